// A server that takes one request whole, then closes the connection without a word: the request
// reached it, and the answer is empty.
#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace velnor7::testing {

class SilentServer {
public:
    SilentServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listener_, 1) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "no listening socket";
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~SilentServer() {
        // Ends an accept that no client came to.
        ::shutdown(listener_, SHUT_RDWR);
        if (thread_.joinable()) thread_.join();
        ::close(listener_);
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    std::string Url(const std::string& path = {}) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
    }
    // What the server read: the whole request. Only once a client has come (it waits for the server to finish).
    const std::string& Request() {
        if (thread_.joinable()) thread_.join();
        return request_;
    }

private:
    void Serve() {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) return;
        size_t wanted = std::string::npos;
        char buffer[4096];
        while (request_.size() < wanted) {
            const ssize_t got = ::read(connection, buffer, sizeof buffer);
            if (got <= 0) break;
            request_.append(buffer, static_cast<size_t>(got));
            const size_t headersEnd = request_.find("\r\n\r\n");
            const size_t length = request_.find("Content-Length: ");
            if (headersEnd != std::string::npos && wanted == std::string::npos) {
                const size_t body = length < headersEnd ? std::strtoul(request_.c_str() + length + 16, nullptr, 10) : 0;
                wanted = headersEnd + 4 + body;
            }
        }
        ::close(connection);
    }

    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::string request_;
};

// A port on 127.0.0.1 that nothing listens on: taken from the system, then let go.
inline int ClosedPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

}  // namespace velnor7::testing
