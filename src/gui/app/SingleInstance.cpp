#include "gui/app/SingleInstance.h"

#include "core/app/SupportFolder.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace brivel::gui {

namespace {
constexpr char Acknowledged = 'k';
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), m_name(std::move(serverName)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultServerName() {
    const QByteArray folder = QByteArray::fromStdString(app::SupportFolder::path().string());
    const QByteArray hash =
        QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("brivel-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

bool SingleInstance::handOver(const QStringList& request, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out << request;
    }
    QByteArray header;
    {
        QDataStream out(&header, QIODevice::WriteOnly);
        out << static_cast<quint32>(payload.size());
    }
    socket.write(header + payload);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The answer says the running instance took the request (not a dying one).
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    char answer = 0;
    return socket.getChar(&answer) && answer == Acknowledged;
}

bool SingleInstance::listen() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // Nobody answered handOver(): what is there is a stale socket of a crashed instance.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->bytesAvailable() < 4)
                    return;
                quint32 size = 0;
                {
                    QDataStream head(socket->peek(4));
                    head >> size;
                }
                if (size > (1u << 20)) {
                    socket->abort();
                    return;
                }
                if (socket->bytesAvailable() < 4 + static_cast<qint64>(size))
                    return;
                socket->read(4);
                QStringList request;
                {
                    QDataStream in(socket->read(size));
                    in >> request;
                }
                socket->putChar(Acknowledged);
                socket->flush();
                emit requestReceived(request);
            });
        }
    });
    return true;
}

} // namespace brivel::gui
