#include "platform/SingleInstance.h"

#include "common/Trace.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace velnor7 {

namespace {

constexpr int kConnectTimeoutMs = 500;
const char kWakeUp[] = "show\n";

}  // namespace

CSingleInstance::CSingleInstance(QString key) : key_(std::move(key)) {}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::TellRunningInstance() const {
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(kWakeUp);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool CSingleInstance::Acquire() {
    if (server_) return true;
    if (TellRunningInstance()) return false;
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(key_)) {
        // Nobody answered, so the socket belongs to a run that ended without cleaning up.
        QLocalServer::removeServer(key_);
        if (!server_->listen(key_)) {
            Trace("single instance: cannot listen on %s: %s", qUtf8Printable(key_),
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
