#include "common/JsonFile.h"

#include "common/Trace.h"

#include <json/reader.h>
#include <json/writer.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>

namespace velnor7 {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string TemporaryNameBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    static const unsigned processSalt = std::random_device{}();
    std::ostringstream name;
    name << path << ".tmp" << std::hex << processSalt << '_' << counter.fetch_add(1);
    return name.str();
}

}  // namespace

std::string readjsonFile(const std::string& path) {
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    Trace("readjsonFile 错误吗：：%d\n", errno);
    if (!file) return {};
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return {};
    const long length = std::ftell(file.get());
    if (length <= 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return {};
    std::string text(static_cast<size_t>(length), '\0');
    if (std::fread(text.data(), 1, text.size(), file.get()) != text.size()) return {};
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

Json::Value LoadJsonFile(const std::string& path) {
    const std::string text = readjsonFile(path);
    if (text.empty()) {
        Trace("%s", path.c_str());
        return Json::Value();
    }
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return Json::Value();
    } catch (const Json::Exception& error) {
        // The reader throws instead of failing on some inputs (nesting too deep).
        Trace("%s: %s", path.c_str(), error.what());
        return Json::Value();
    }
    return root;
}

int wirtejsonFile(const std::string& path, const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    std::string text = Json::writeString(builder, value);
    text += '\n';

    const std::string temporary = TemporaryNameBeside(path);
    errno = 0;
    FilePtr file(std::fopen(temporary.c_str(), "wb"));
    Trace("wirtejsonFile 错误吗：：%d\n", errno);
    if (!file) return 1;
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
                         std::fflush(file.get()) == 0;
    const bool closed = std::fclose(file.release()) == 0;
    std::error_code error;
    if (written && closed) {
        std::filesystem::rename(temporary, path, error);
        if (!error) return 0;
    }
    Trace("wirtejsonFile %s: %s", path.c_str(), error ? error.message().c_str() : "write failed");
    std::filesystem::remove(temporary, error);
    return 1;
}

}  // namespace velnor7
