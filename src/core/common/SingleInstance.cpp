#include "core/common/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace {

// Each message is a 32-bit big-endian length followed by UTF-8; the answer is "OK".
const QByteArray kAck = QByteArrayLiteral("OK");
constexpr quint32 kMaxMessage = 1u << 20;

QString runtimeFolder() {
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists()) {
        dir = QDir::tempPath();
    }
    return dir;
}

}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent) {
    // The socket name is derived from the key and the user, so two users never meet.
    const QByteArray id = key.toUtf8() + '|' + QByteArray::number(getuid());
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(16));
    const QString base = runtimeFolder() + QStringLiteral("/Zelvo.FLV-") + hash;
    m_socketPath = base + QStringLiteral(".sock");
    m_lockPath = base + QStringLiteral(".lock");
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

SingleInstance::~SingleInstance() {
    stop();
}

SingleInstance::Role SingleInstance::start(const QString& commandLine, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    do {
        auto lock = std::make_unique<QLockFile>(m_lockPath);
        // Only a lock whose process is gone counts as stale, never an old one.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            m_lock = std::move(lock);
            QLocalServer::removeServer(m_socketPath);
            if (m_server.listen(m_socketPath)) {
                return Role::First;
            }
            m_lock.reset();
            return Role::Failed;
        }
        const int left =
            static_cast<int>(qBound(qint64(0), deadline.remainingTime(), qint64(1000)));
        if (forward(m_socketPath, commandLine, left)) {
            return Role::Forwarded;
        }
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return Role::Failed;
}

void SingleInstance::stop() {
    if (m_server.isListening()) {
        m_server.close();
    }
    m_lock.reset();
}

bool SingleInstance::isListening() const {
    return m_server.isListening();
}

bool SingleInstance::forward(const QString& socketPath, const QString& text, int timeoutMs) {
    const QDeadlineTimer deadline(qMax(timeoutMs, 1));
    auto left = [&deadline] { return static_cast<int>(qMax<qint64>(1, deadline.remainingTime())); };
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(left())) {
        return false;
    }
    const QByteArray body = text.toUtf8();
    QByteArray message;
    QDataStream(&message, QIODevice::WriteOnly) << static_cast<quint32>(body.size());
    message += body;
    socket.write(message);
    if (!socket.waitForBytesWritten(left())) {
        return false;
    }
    QByteArray answer;
    while (answer.size() < kAck.size() && socket.waitForReadyRead(left())) {
        answer += socket.readAll();
    }
    return answer.startsWith(kAck);
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0) {
            readMessage(socket);
        }
    }
}

void SingleInstance::readMessage(QLocalSocket* socket) {
    if (socket->property("done").toBool() || socket->bytesAvailable() < 4) {
        return;
    }
    quint32 size = 0;
    QDataStream(socket->peek(4)) >> size;
    if (size > kMaxMessage) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < 4 + static_cast<qint64>(size)) {
        return;
    }
    socket->read(4);
    const QString text = QString::fromUtf8(socket->read(size));
    socket->setProperty("done", true);
    socket->write(kAck);
    socket->flush();
    // Delivered on the next turn of the event loop: a receiver that opens a file runs
    // a nested loop, which may delete this socket under us.
    QMetaObject::invokeMethod(
        this, [this, text] { Q_EMIT linkExecute(text); }, Qt::QueuedConnection);
}
