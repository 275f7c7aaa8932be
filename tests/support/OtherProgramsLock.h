// Another program holding the owner lock of a file: flock(1), until its input ends. Started
// with a plain fork and exec, which the thread sanitizer follows (Qt's process start does not
// tell it what the child does before exec).
#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace velnor7::testing {

class OtherProgramsLock {
public:
    explicit OtherProgramsLock(const std::string& path) {
        int input[2];
        int output[2];
        if (::pipe(input) != 0) return;
        if (::pipe(output) != 0) {
            ::close(input[0]);
            ::close(input[1]);
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(input[0], STDIN_FILENO);
            ::dup2(output[1], STDOUT_FILENO);
            ::close(input[1]);
            ::close(output[0]);
            ::execlp("flock", "flock", path.c_str(), "-c", "echo locked; exec cat", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(output[1]);
        input_ = input[1];
        char said[7] = {};
        held_ = pid_ > 0 && ::read(output[0], said, 6) == 6 && std::string(said) == "locked";
        ::close(output[0]);
    }
    ~OtherProgramsLock() { Release(); }
    OtherProgramsLock(const OtherProgramsLock&) = delete;
    OtherProgramsLock& operator=(const OtherProgramsLock&) = delete;

    bool Held() const { return held_; }
    pid_t Pid() const { return pid_; }
    // Ends its input: the program ends, and the lock with it.
    void Release() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    bool held_ = false;
};

}  // namespace velnor7::testing
