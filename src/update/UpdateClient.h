// The client of the update service: which version of a device's firmware or of this program the
// service offers, and the download of its installer.
//
// Every call uses a libcurl handle of its own, so one client may serve several threads. Certificates
// and host names are always verified; a proxy comes from the environment (http_proxy, https_proxy,
// no_proxy). Cancel, from any thread, ends the running call and fails every later one.
#pragma once

#include "core/DeviceCatalogue.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace velnor7 {

// One query's result.
struct UpdateInfo {
    int status = 0;           // kUpdateNewer, kUpdateCurrent or kUpdateNoAnswer
    int deviceId = 0;         // "device_id" of the reply
    std::string name;         // "name" of the reply; kNoLinkServer when no request could be sent
    std::string currentText;  // the installed version: "V%04x" (hexadecimal targets) or "V%d" (decimal)
    std::string versionName;  // "version_name"
    std::string newText;      // the offered version: "V" + "version" (hexadecimal targets), else "version_name"
    std::string path;         // "path": the installer's URL
    std::string localFile;    // where the settings window put the installer
};

inline constexpr int kUpdateNoAnswer = 0, kUpdateNewer = 1, kUpdateCurrent = 7;
inline constexpr const char* kNoLinkServer = "NO_LINK_SERVER";
// The service answers in a few hundred bytes: a longer reply is refused whole.
inline constexpr size_t kMaxReplyBytes = 102400;
// LastError of a request refused before anything was tried: no URL, or a method other than GET and POST
// (or a body length past the body).
inline constexpr int kErrorNoUrl = 3, kErrorInvalidRequest = 87;

// The service's name of a target: "NULL" when its installed version is unknown (0), else
// vendor_versionFormat_model_keyPart_keyNumber.
std::string MakeTargetKey(const UpdateTargetRow& row);
// A version as the service's answers show it: "V%04x" for hexadecimal targets, "V%d" for decimal ones.
std::string VersionText(int32_t version, bool hexadecimal);
// The installed version of this program: its version text ("1000.2") without the dots, read as a
// decimal number (its leading digits; 0 when there are none): 10002.
int ApplicationVersion();
// The file name an installer is saved under: the last segment of its URL's path, %-escapes
// decoded. Nothing unless that is a plain name (letters, digits, '.', '-', '_', not starting with
// '.', at most 255 bytes), which can name no other folder and no hidden file.
std::optional<std::string> InstallerFileName(const std::string& url);
// The service's base URL, ending in "/": VELNOR7_UPDATE_URL when set, else `configured` when not
// empty, else the program's own service.
std::string UpdateServiceUrl(const std::string& configured = {});

struct DownloadResult {
    bool ok = false;
    std::string reason;  // for a person, when not ok
};

class CUpdateClient {
public:
    explicit CUpdateClient(std::string baseUrl);

    // POSTs "app_key=KEY&version=V" (V in hex or decimal, as the target counts) to BASE/updates and
    // reads the JSON answer. A reply that is no JSON object gives kUpdateNoAnswer.
    UpdateInfo QueryUpdate(const std::string& key, int32_t currentVersion, bool hexadecimal);
    // Sends `bodyLength` bytes of `body` (one more than its size sends its terminating zero too) and
    // appends the server's answer, whatever its HTTP status, to `reply`. Returns the bytes appended, or
    // -1 when the request is refused before anything is tried. When nothing could be sent (no
    // connection, no trusted certificate, a time-out before any answer) `reply` becomes kNoLinkServer
    // and 0 is returned; a reply longer than kMaxReplyBytes is refused: `reply` is cleared, 0 returned.
    long SendRequest(const std::string& method, const std::string& url, const std::string& body,
                     size_t bodyLength, std::string& reply);
    // libcurl's code of the last request (0: it went through), or kErrorNoUrl / kErrorInvalidRequest.
    int LastError() const;

    // progress(total, received) after every piece written while the length is known; once complete,
    // a last call with received == total (the only call when the length is unknown). A failure ends
    // with progress(0, received).
    using Progress = std::function<void(double total, double received)>;
    // Downloads `url` to `localFile` (whose folder must exist) through localFile + ".part", which
    // replaces localFile only once complete and is removed on any failure.
    DownloadResult Download(const std::string& url, const std::string& localFile, const Progress& progress);

    void Cancel();
    bool Cancelled() const;

    // A transfer that moves less than a byte a second for this many seconds fails (30 by default).
    void SetStallSeconds(long seconds);
    // Trusts the certificates of this PEM file instead of the system's (an own certificate authority).
    void SetCertificateFile(std::string path);

private:
    struct Transfer;
    // Sets up the transfer's handle for `url` with what every transfer shares; false when libcurl has no
    // handle to give.
    bool Prepare(Transfer& transfer, const std::string& url) const;
    long Refuse(int error);
    // The length a HEAD request announces, -1 when it announces none; false (with the reason) when
    // the request failed.
    bool AnnouncedLength(const std::string& url, long long& length, std::string& failure);
    // Why a transfer failed, for a person.
    std::string FailureReason(const Transfer& transfer, int code) const;

    std::string baseUrl_;
    long stallSeconds_ = 30;
    std::string certificateFile_;
    std::atomic<int> lastError_{0};
    std::atomic<bool> cancelled_{false};
};

}  // namespace velnor7
