// A certificate no authority signed, for "localhost" and 127.0.0.1, made with the openssl tool
// (package openssl) in a folder of its own that goes with the object.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace velnor7::testing {

class SelfSignedCertificate {
public:
    SelfSignedCertificate() {
        folder_ = std::filesystem::temp_directory_path() / ("velnor7-certificate-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost"
                                    " -addext subjectAltName=DNS:localhost,IP:127.0.0.1 -keyout '" +
                                    KeyFile() + "' -out '" + CertificateFile() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
    ~SelfSignedCertificate() { std::filesystem::remove_all(folder_); }
    SelfSignedCertificate(const SelfSignedCertificate&) = delete;
    SelfSignedCertificate& operator=(const SelfSignedCertificate&) = delete;

    std::string CertificateFile() const { return (folder_ / "certificate.pem").string(); }
    std::string KeyFile() const { return (folder_ / "key.pem").string(); }

private:
    std::filesystem::path folder_;
};

}  // namespace velnor7::testing
