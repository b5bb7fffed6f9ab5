#include "gui/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <pwd.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr const char* kRaise = "raise\n";
constexpr int kConnectMs = 1000;

} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

QString SingleInstance::defaultName()
{
    const passwd* pw = getpwuid(getuid());
    return "quillmar-" + (pw && pw->pw_name ? QString::fromLocal8Bit(pw->pw_name) : QString::number(getuid()));
}

bool SingleInstance::becomePrimary()
{
    {
        QLocalSocket peer;
        peer.connectToServer(name_);
        if (peer.waitForConnected(kConnectMs)) {
            peer.write(kRaise);
            peer.waitForBytesWritten(kConnectMs);
            peer.disconnectFromServer();
            return false;
        }
    }
    // Nobody answers: a socket left by a crashed run is stale.
    QLocalServer::removeServer(name_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_))
        return true; // run alone rather than not at all
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            auto read = [this, s] {
                if (s->readAll().contains("raise"))
                    emit activationRequested();
            };
            connect(s, &QLocalSocket::readyRead, this, read);
            if (s->bytesAvailable() > 0)
                read();
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return true;
}

} // namespace qm
