#include "common/JsonFile.h"

#include "common/TimestampId.h"
#include "common/Trace.h"
#include "platform/files/FileRead.h"
#include "platform/files/FileWrite.h"

#include <json/reader.h>
#include <json/writer.h>

#include <memory>

namespace velnor7 {
namespace {

FileReadResult ReadTraced(const std::string& path) {
    FileReadResult read = ReadRegularFile(path);
    Trace("readjsonFile 错误吗：：%d\n", read.error);
    if (read.status != FileReadStatus::Ok && read.status != FileReadStatus::Missing)
        Trace("readjsonFile %s %s", path.c_str(), read.reason.c_str());
    return read;
}

std::string TextBeforeNul(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

JsonFileRead NotRead(JsonFileStatus status, std::string reason) {
    JsonFileRead result;
    result.status = status;
    result.reason = std::move(reason);
    return result;
}

bool Parse(const std::string& path, const std::string& text, Json::Value& root) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    try {
        if (reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return true;
        Trace("%s: %s", path.c_str(), errors.c_str());
    } catch (const Json::Exception& error) {
        // The reader throws instead of failing on some inputs (nesting too deep).
        Trace("%s: %s", path.c_str(), error.what());
    }
    root = Json::Value();
    return false;
}

}  // namespace

std::string readjsonFile(const std::string& path) {
    const FileReadResult read = ReadTraced(path);
    return read.status == FileReadStatus::Ok ? TextBeforeNul(read.bytes) : std::string();
}

JsonFileRead ReadJsonFile(const std::string& path) {
    const FileReadResult read = ReadTraced(path);
    switch (read.status) {
    case FileReadStatus::Ok: break;
    case FileReadStatus::Missing: return NotRead(JsonFileStatus::Missing, read.reason);
    case FileReadStatus::NotRegular: return NotRead(JsonFileStatus::NotRegular, read.reason);
    case FileReadStatus::Unreadable: return NotRead(JsonFileStatus::Unreadable, read.reason);
    }
    const std::string text = TextBeforeNul(read.bytes);
    if (text.empty()) return NotRead(JsonFileStatus::Empty, "is empty");
    JsonFileRead result;
    if (!Parse(path, text, result.value)) return NotRead(JsonFileStatus::NotJson, "is not JSON");
    return result;
}

Json::Value LoadJsonFile(const std::string& path) {
    JsonFileRead read = ReadJsonFile(path);
    if (read.status != JsonFileStatus::Ok && read.status != JsonFileStatus::NotJson) Trace("%s", path.c_str());
    return std::move(read.value);
}

JsonFileWrite WriteJsonFile(const std::string& path, const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    std::string text = Json::writeString(builder, value);
    text += '\n';

    const FileWriteResult written = WriteFileDurably(path, text);
    Trace("wirtejsonFile 错误吗：：%d\n", written.error);
    if (!written.ok) Trace("wirtejsonFile %s %s", path.c_str(), written.reason.c_str());
    return {written.ok, written.reason};
}

int wirtejsonFile(const std::string& path, const Json::Value& value) { return WriteJsonFile(path, value).ok ? 0 : 1; }

KeptFileCopy KeepBrokenFile(const std::string& path) { return KeepCopyOfFile(path, "broken"); }

KeptFileCopy KeepCopyOfFile(const std::string& path, const std::string& label) {
    const FileReadResult original = ReadRegularFile(path);
    if (original.status != FileReadStatus::Ok) return {false, {}, "the file " + original.reason};

    // Two copies made within one millisecond must not overwrite each other.
    const std::string stem = path + "." + label + "-" + NewTimestampId();
    std::string copy = stem;
    for (int n = 2; PathExists(copy); ++n) copy = stem + "-" + std::to_string(n);

    // The copy is as private as the file it keeps.
    const FileWriteResult written = WriteFileDurably(copy, original.bytes, original.permissions);
    if (!written.ok) {
        Trace("%s file %s not kept: %s", label.c_str(), path.c_str(), written.reason.c_str());
        return {false, {}, "the copy " + written.reason};
    }
    Trace("%s file %s kept as %s", label.c_str(), path.c_str(), copy.c_str());
    return {true, copy, {}};
}

}  // namespace velnor7
