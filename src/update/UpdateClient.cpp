#include "update/UpdateClient.h"

#include "common/Trace.h"

#include <curl/curl.h>
#include <json/reader.h>

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string_view>

namespace velnor7 {
namespace {

bool IsPlainNameCharacter(char c) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
}


constexpr const char* kDefaultServiceUrl = "https://velnor7.org/api/";
constexpr const char* kUserAgent = "WinHTTP Client/1.0";
constexpr long kConnectTimeoutSeconds = 60;

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlHandleDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

// The number the leading digits of `text` make in `base`; 0 without any. A number too long for 63
// bits stays at the largest one instead of wrapping into a small or negative version.
int64_t LeadingNumber(std::string_view text, int base) {
    int64_t number = 0;
    for (const char c : text) {
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : base == 16 && std::isxdigit(static_cast<unsigned char>(c))
                              ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                              : -1;
        if (digit < 0) break;
        if (number > (std::numeric_limits<int64_t>::max() - digit) / base) return std::numeric_limits<int64_t>::max();
        number = number * base + digit;
    }
    return number;
}

// A member's text: a string as it is, a number as its decimal text; anything else is no text.
std::string TextMember(const Json::Value& object, const char* key) {
    const Json::Value& value = object[key];
    return value.isString() || value.isNumeric() ? value.asString() : std::string();
}

bool ParseReply(const std::string& reply, Json::Value& root) {
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    try {
        return reader->parse(reply.data(), reply.data() + reply.size(), &root, nullptr) && root.isObject();
    } catch (const Json::Exception&) {
        // The reader throws instead of failing on some inputs (nesting too deep).
        return false;
    }
}

// The service's answer, refused whole once it would grow past kMaxReplyBytes.
struct BoundedReply {
    std::string text;
    bool refused = false;
};

size_t CollectReply(char* data, size_t size, size_t count, void* user) {
    auto* reply = static_cast<BoundedReply*>(user);
    const size_t bytes = size * count;
    if (bytes > kMaxReplyBytes - reply->text.size()) {
        reply->refused = true;
        return 0;  // libcurl ends the transfer with CURLE_WRITE_ERROR
    }
    reply->text.append(data, bytes);
    return bytes;
}

int EndWhenCancelled(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const CUpdateClient*>(client)->Cancelled() ? 1 : 0;
}

// A download on its way into the ".part" file.
struct DownloadSink {
    int fd = -1;
    long long total = -1;  // announced by HEAD; -1 unknown
    long long received = 0;
    long long lastReported = -1;  // `received` of the last progress call
    int writeErrno = 0;
    bool overlong = false;
    const CUpdateClient::Progress* progress = nullptr;
};

size_t WriteDownload(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<DownloadSink*>(user);
    const size_t bytes = size * count;
    if (sink->total >= 0 && static_cast<long long>(bytes) > sink->total - sink->received) {
        sink->overlong = true;
        return 0;
    }
    for (size_t written = 0; written < bytes;) {
        const ssize_t result = ::write(sink->fd, data + written, bytes - written);
        if (result < 0 && errno == EINTR) continue;
        if (result <= 0) {
            sink->writeErrno = result < 0 ? errno : EIO;
            return 0;
        }
        written += static_cast<size_t>(result);
    }
    sink->received += static_cast<long long>(bytes);
    if (sink->total >= 0 && *sink->progress) {
        sink->lastReported = sink->received;
        (*sink->progress)(static_cast<double>(sink->total), static_cast<double>(sink->received));
    }
    return bytes;
}

std::string Errno(int error) { return std::strerror(error); }

}  // namespace

// One libcurl transfer, with the words libcurl leaves for a failure.
struct CUpdateClient::Transfer {
    char error[CURL_ERROR_SIZE] = {};
    CurlList headers;
    std::unique_ptr<CURL, CurlHandleDeleter> handle{curl_easy_init()};  // the first to go: it uses the two above
};

std::string MakeTargetKey(const UpdateTargetRow& row) {
    if (row.currentVersion == 0) return "NULL";
    return std::string(row.vendor) + "_" + std::to_string(row.versionFormat) + "_" + row.model + "_" + row.keyPart +
           "_" + std::to_string(row.keyNumber);
}

std::string VersionText(int32_t version, bool hexadecimal) {
    char text[16];
    if (hexadecimal) std::snprintf(text, sizeof text, "V%04x", static_cast<uint32_t>(version));
    else std::snprintf(text, sizeof text, "V%d", version);
    return text;
}

std::optional<std::string> InstallerFileName(const std::string& url) {
    std::string path = url.substr(0, url.find_first_of("?#"));
    if (const size_t scheme = path.find("://"); scheme != std::string::npos) {
        const size_t slash = path.find('/', scheme + 3);
        path = slash == std::string::npos ? "" : path.substr(slash);
    }
    const std::string segment = path.substr(path.rfind('/') + 1);
    std::string name;
    for (size_t i = 0; i < segment.size(); ++i) {
        if (segment[i] != '%') {
            name += segment[i];
            continue;
        }
        const std::string hex = segment.substr(i + 1, 2);
        if (hex.size() != 2 || !std::isxdigit(static_cast<unsigned char>(hex[0])) ||
            !std::isxdigit(static_cast<unsigned char>(hex[1]))) {
            return std::nullopt;
        }
        name += static_cast<char>(std::strtol(hex.c_str(), nullptr, 16));
        i += 2;
    }
    if (name.empty() || name.size() > 255 || name.front() == '.' ||
        !std::all_of(name.begin(), name.end(), IsPlainNameCharacter)) {
        return std::nullopt;
    }
    return name;
}


int ApplicationVersion() {
    std::string digits = VELNOR7_VERSION;
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    return static_cast<int>(std::min<int64_t>(LeadingNumber(digits, 10), std::numeric_limits<int>::max()));
}

std::string UpdateServiceUrl(const std::string& configured) {
    const char* environment = std::getenv("VELNOR7_UPDATE_URL");
    std::string url = environment != nullptr && *environment != '\0' ? environment
                      : !configured.empty()                           ? configured
                                                                      : kDefaultServiceUrl;
    if (url.back() != '/') url += '/';
    return url;
}

CUpdateClient::CUpdateClient(std::string baseUrl) : baseUrl_(std::move(baseUrl)) { InitialiseCurlOnce(); }

UpdateInfo CUpdateClient::QueryUpdate(const std::string& key, int32_t currentVersion, bool hexadecimal) {
    char version[16];
    if (hexadecimal) std::snprintf(version, sizeof version, "%x", static_cast<uint32_t>(currentVersion));
    else std::snprintf(version, sizeof version, "%d", currentVersion);
    const std::string body = "app_key=" + key + "&version=" + version;
    std::string reply;
    // The service reads the body as a C string: its terminating zero is sent and counted too.
    SendRequest("POST", baseUrl_ + "updates", body, body.size() + 1, reply);

    UpdateInfo info;
    if (reply.starts_with(kNoLinkServer)) info.name = kNoLinkServer;
    Json::Value root;
    if (!ParseReply(reply, root)) return info;

    info.path = TextMember(root, "path");
    info.name = TextMember(root, "name");
    info.versionName = TextMember(root, "version_name");
    const std::string offeredText = TextMember(root, "version");
    info.newText = hexadecimal ? "V" + offeredText : info.versionName;
    info.deviceId = root["device_id"].isInt() ? root["device_id"].asInt() : 0;
    info.currentText = VersionText(currentVersion, hexadecimal);
    const int64_t offered = LeadingNumber(offeredText, hexadecimal ? 16 : 10);
    info.status = offered > currentVersion ? kUpdateNewer : kUpdateCurrent;
    return info;
}

long CUpdateClient::Refuse(int error) {
    lastError_ = error;
    return -1;
}

bool CUpdateClient::Prepare(Transfer& transfer, const std::string& url) const {
    CURL* handle = transfer.handle.get();
    if (handle == nullptr) return false;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, transfer.error);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
    // Only the web: a "file:" or other URL in an answer must not reach anything else.
    if (curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https") != CURLE_OK) return false;
    // Never a step down from https to http on a redirect.
    const bool secure = ::strncasecmp(url.c_str(), "https:", 6) == 0;
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stallSeconds_);
    // Signals for name look-up time-outs would reach the whole program's threads.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, EndWhenCancelled);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
    if (!certificateFile_.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, certificateFile_.c_str());
    return true;
}

long CUpdateClient::SendRequest(const std::string& method, const std::string& url, const std::string& body,
                                size_t bodyLength, std::string& reply) {
    if (url.empty()) return Refuse(kErrorNoUrl);
    const bool post = ::strcasecmp(method.c_str(), "POST") == 0;
    if (!post && ::strcasecmp(method.c_str(), "GET") != 0) return Refuse(kErrorInvalidRequest);
    // c_str() ends in a zero: one byte past the text may be sent, nothing further.
    if (bodyLength > body.size() + 1) return Refuse(kErrorInvalidRequest);
    if (Cancelled()) return Refuse(CURLE_ABORTED_BY_CALLBACK);

    Transfer transfer;
    if (!Prepare(transfer, url)) return Refuse(CURLE_FAILED_INIT);
    CURL* handle = transfer.handle.get();
    const std::string contentLength = "Content-Length: " + std::to_string(bodyLength);
    // "Expect:" keeps libcurl from adding a header of its own before a large body.
    for (const char* header : {contentLength.c_str(), "Content-Type: application/x-www-form-urlencoded",
                               "Accept:application/prs.Zelva.v1+json", "Expect:"}) {
        curl_slist* list = curl_slist_append(transfer.headers.get(), header);
        if (list == nullptr) return Refuse(CURLE_OUT_OF_MEMORY);
        if (!transfer.headers) transfer.headers.reset(list);  // the head of the list, once there is one, stays
    }
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, transfer.headers.get());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bodyLength));
    if (!post) curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, "GET");
    BoundedReply received;
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, CollectReply);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &received);

    const CURLcode code = curl_easy_perform(handle);
    lastError_ = code;
    long requestBytes = 0;
    curl_easy_getinfo(handle, CURLINFO_REQUEST_SIZE, &requestBytes);
    Trace("update: %s %s: %s, %ld bytes sent, %zu received", method.c_str(), url.c_str(),
          code == CURLE_OK ? "done" : transfer.error, requestBytes, received.text.size());
    if (received.refused) {
        reply.clear();
        return 0;
    }
    // Not sent: the request never went out, or no answer came before the time-out. A server
    // that took the request and closed without a word did answer: with nothing.
    if (code != CURLE_OK && received.text.empty() && (requestBytes == 0 || code == CURLE_OPERATION_TIMEDOUT)) {
        reply = kNoLinkServer;
        return 0;
    }
    reply += received.text;
    return static_cast<long>(received.text.size());
}

int CUpdateClient::LastError() const { return lastError_; }

std::string CUpdateClient::FailureReason(const Transfer& transfer, int code) const {
    if (Cancelled()) return "the download was cancelled";
    return transfer.error[0] != '\0' ? transfer.error : curl_easy_strerror(static_cast<CURLcode>(code));
}

bool CUpdateClient::AnnouncedLength(const std::string& url, long long& length, std::string& failure) {
    Transfer transfer;
    if (!Prepare(transfer, url)) {
        failure = curl_easy_strerror(CURLE_FAILED_INIT);
        return false;
    }
    CURL* handle = transfer.handle.get();
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    const CURLcode code = curl_easy_perform(handle);
    lastError_ = code;
    if (code != CURLE_OK) {
        failure = FailureReason(transfer, code);
        return false;
    }
    long status = 0;
    curl_off_t announced = -1;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    // The length of an error page is not the installer's; the GET tells what went wrong.
    length = status < 400 ? announced : -1;
    return true;
}

DownloadResult CUpdateClient::Download(const std::string& url, const std::string& localFile, const Progress& progress) {
    const std::string partFile = localFile + ".part";
    DownloadSink sink;
    sink.progress = &progress;
    bool partCreated = false;
    const auto fail = [&](std::string reason) {
        if (sink.fd >= 0) ::close(sink.fd);
        if (partCreated) ::unlink(partFile.c_str());
        if (progress) progress(0, static_cast<double>(sink.received));
        Trace("update: download of %s failed: %s", url.c_str(), reason.c_str());
        return DownloadResult{false, std::move(reason)};
    };
    const auto cannotWrite = [&](int error) { return fail("cannot write " + partFile + ": " + Errno(error)); };
    if (Cancelled()) return fail("the download was cancelled");
    if (url.empty() || localFile.empty()) return fail("there is nothing to download, or no file to download to");

    std::string failure;
    if (!AnnouncedLength(url, sink.total, failure)) return fail(failure);
    sink.fd = ::open(partFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (sink.fd < 0) return fail("cannot create " + partFile + ": " + Errno(errno));
    partCreated = true;

    Transfer transfer;
    if (!Prepare(transfer, url)) return fail(curl_easy_strerror(CURLE_FAILED_INIT));
    CURL* handle = transfer.handle.get();
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    // An error status fails the transfer before its page is written anywhere.
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteDownload);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    const CURLcode code = curl_easy_perform(handle);
    lastError_ = code;

    const auto shortBy = [&](long long expected) {
        return fail("the server sent " + std::to_string(sink.received) + " of " + std::to_string(expected) + " bytes");
    };
    if (sink.writeErrno != 0) return cannotWrite(sink.writeErrno);
    if (sink.overlong) {
        return fail("the server sent more than the " + std::to_string(sink.total) + " bytes it announced");
    }
    if (code == CURLE_PARTIAL_FILE) {
        curl_off_t expected = sink.total;
        if (expected < 0) curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
        return expected >= 0 ? shortBy(expected) : fail(FailureReason(transfer, code));
    }
    if (code != CURLE_OK) return fail(FailureReason(transfer, code));
    if (sink.total >= 0 && sink.received != sink.total) return shortBy(sink.total);
    if (::fsync(sink.fd) != 0) return cannotWrite(errno);
    const int closed = ::close(sink.fd);
    sink.fd = -1;
    if (closed != 0) return cannotWrite(errno);
    if (std::rename(partFile.c_str(), localFile.c_str()) != 0) {
        return fail("cannot replace " + localFile + ": " + Errno(errno));
    }
    if (progress && sink.lastReported != sink.received) {
        progress(static_cast<double>(sink.received), static_cast<double>(sink.received));
    }
    return {true, {}};
}

void CUpdateClient::Cancel() { cancelled_ = true; }

bool CUpdateClient::Cancelled() const { return cancelled_; }

void CUpdateClient::SetStallSeconds(long seconds) { stallSeconds_ = seconds; }

void CUpdateClient::SetCertificateFile(std::string path) { certificateFile_ = std::move(path); }

}  // namespace velnor7
