#include "platform/SingleInstance.h"

#include "common/Trace.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace velnor7 {

namespace {

constexpr int kConnectTimeoutMs = 500;
const char kWakeUp[] = "show\n";

}  // namespace

// In the user's runtime folder ($XDG_RUNTIME_DIR, or a folder of the user's own with mode
// 0700 that Qt makes under the temporary folder), never a shared name in /tmp that another
// local user could take first. Empty when there is no such folder.
QString CSingleInstance::SocketPathFor(const QString& key) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QString() : folder + "/" + key;
}

CSingleInstance::CSingleInstance(QString key) : path_(SocketPathFor(key)) {}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::TellRunningInstance() const {
    QLocalSocket socket;
    socket.connectToServer(path_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(kWakeUp);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool CSingleInstance::Acquire() {
    if (server_) return true;
    if (path_.isEmpty()) {
        Trace("single instance: no runtime folder of this user's; another start is not told apart");
        return true;
    }
    if (TellRunningInstance()) return false;
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path_)) {
        // Nobody answered, so the socket belongs to a run that ended without cleaning up.
        QLocalServer::removeServer(path_);
        if (!server_->listen(path_)) {
            Trace("single instance: cannot listen on %s: %s", qUtf8Printable(path_),
                  qUtf8Printable(server_->errorString()));
            return true;
        }
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (onAnotherStart_) onAnotherStart_();
        }
    });
    return true;
}

}  // namespace velnor7
