#pragma once
// xdotool, typing and clicking on an X server of the test's own as another program would.

#include <QString>

#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace velnor7::testing {

// xdotool against the given display, with a plain fork and exec (see OtherProgramsLock.h).
// True when it ran and succeeded.
inline bool Xdotool(const QString& display, const std::vector<std::string>& arguments) {
    std::vector<std::string> environment{"DISPLAY=" + display.toStdString()};
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::string(*variable).rfind("DISPLAY=", 0) != 0) environment.emplace_back(*variable);
    }
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : command) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execvpe("xdotool", argv.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace velnor7::testing
