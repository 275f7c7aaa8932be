#pragma once
// One running program per user: the first start listens on a local socket named after the
// application key in the user's runtime folder; a later start tells it to come to the
// front and ends.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace velnor7 {

class CSingleInstance {
public:
    explicit CSingleInstance(QString key);
    ~CSingleInstance();

    // True when this process is the first. False when another instance runs; it has been
    // told to come to the front. A socket left behind by a run that crashed is taken over.
    bool Acquire();
    const QString& SocketPath() const { return path_; }
    static QString SocketPathFor(const QString& key);
    // Called on the UI thread whenever a later start knocks.
    void SetOnAnotherStart(std::function<void()> handler) { onAnotherStart_ = std::move(handler); }

private:
    bool TellRunningInstance() const;

    QString path_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onAnotherStart_;
};

}  // namespace velnor7
