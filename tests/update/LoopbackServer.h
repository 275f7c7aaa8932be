// An HTTP or HTTPS server of the test's own on 127.0.0.1, on a port no one else uses, served by a
// thread of its own from Start until Stop (or the end of the object).
#pragma once

#include "support/WaitUntil.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <string>
#include <thread>

namespace velnor7::testing {

class LoopbackServer {
public:
    LoopbackServer() : server_(std::make_unique<httplib::Server>()), scheme_("http") {}
    // HTTPS with the certificate and key of these PEM files.
    LoopbackServer(const std::string& certificateFile, const std::string& keyFile)
        : server_(std::make_unique<httplib::SSLServer>(certificateFile.c_str(), keyFile.c_str())), scheme_("https") {}
    ~LoopbackServer() { Stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Where the routes are added, before Start.
    httplib::Server& Routes() { return *server_; }

    void Start() {
        // One request per connection: nothing waits on an idle connection when the server stops.
        server_->set_keep_alive_max_count(1);
        port_ = server_->bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        // A stop before the thread listens would not reach it.
        ASSERT_TRUE(WaitUntil([this] { return server_->is_running(); }));
    }
    // Ends the serving thread; a handler still waiting must have been let go before.
    void Stop() {
        if (!thread_.joinable()) return;
        server_->stop();
        thread_.join();
    }

    int Port() const { return port_; }
    // "http://127.0.0.1:PORT/" + path.
    std::string Url(const std::string& path = {}) const {
        return scheme_ + "://127.0.0.1:" + std::to_string(port_) + "/" + path;
    }

private:
    std::unique_ptr<httplib::Server> server_;
    std::string scheme_;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace velnor7::testing
