#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace brivel::gui {

// One running brivel per user and support folder: a second start hands its command line to the
// first over a local socket and exits, so that no account is opened by two processes.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The server name is derived from the user and the support folder.
    explicit SingleInstance(QString serverName = defaultServerName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultServerName();

    // Gives the request to a running instance. True when one took it (this process should exit).
    bool handOver(const QStringList& request, int timeoutMs = 3000);
    // Becomes the running instance; a stale socket left by a crashed one is replaced.
    bool listen();

signals:
    void requestReceived(const QStringList& request);

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};

} // namespace brivel::gui
