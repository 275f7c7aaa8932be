// A private folder per test for profile files, and the places of the shipped data.
#pragma once

#include <gtest/gtest.h>
#include <json/value.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/JsonFile.h"

namespace velnor7::testing {

namespace fs = std::filesystem;

inline fs::path TestDataDirectory() {
    if (const char* configured = std::getenv("VELNOR7_TEST_DATA")) return configured;
    return fs::path(__FILE__).parent_path().parent_path() / "data";
}

inline fs::path ShippedDefaultData() { return TestDataDirectory().parent_path().parent_path() / "DefaultData"; }

class ProfileFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("velnor7_profiles_") + info->test_suite_name() + "_" + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
    void WriteText(const std::string& name, const std::string& text) const {
        std::ofstream(PathOf(name), std::ios::binary) << text;
    }
    std::string ReadText(const std::string& name) const { return readjsonFile(PathOf(name)); }
    // A default profile file whose device document is `device`.
    std::string WriteDefaults(const Json::Value& device) const {
        Json::Value file;
        file["Device"][0] = device;
        wirtejsonFile(PathOf("default.Json"), file);
        return PathOf("default.Json");
    }

    fs::path folder_;
};

}  // namespace velnor7::testing
