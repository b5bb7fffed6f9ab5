#pragma once
// One running Quillmar per user: the first start listens on a local socket;
// a later start asks it to come to the front and then exits.
#include <QObject>
#include <QString>

class QLocalServer;

namespace qm {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);
    // "quillmar-" and the user's login name.
    static QString defaultName();

    // True when this process is the first instance (it now listens); false
    // when another one runs, which has been asked to raise its window.
    bool becomePrimary();

signals:
    // A later start asked the window to come to the front.
    void activationRequested();

private:
    QString name_;
    QLocalServer* server_ = nullptr;
};

} // namespace qm
