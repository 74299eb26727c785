#include "core/common/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each message is a 32-bit big-endian length followed by UTF-8: the command line, and, when
// the start has an activation token, a NUL and the token (a command line never holds a NUL).
// The running window answers "OK" and plays the text once the sender confirms with "GO".
const QByteArray kAnswer = QByteArrayLiteral("OK");
const QByteArray kConfirm = QByteArrayLiteral("GO");
constexpr quint32 kMaxMessage = 1u << 20;

enum class Stage { Message, Confirmation, Done };
const char* const kStage = "handOverStage";
const char* const kText = "handOverText";

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// A folder only this user can reach: a real folder (not a link), the user's own, with no
// access for anyone else.
bool isPrivateFolder(const QString& path) {
    struct stat info {};
    return QDir::isAbsolutePath(path) && ::lstat(native(path).constData(), &info) == 0 &&
           S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

// The folder at path, made when it is missing; false unless it is private.
bool makePrivateFolder(const QString& path) {
    if (::mkdir(native(path).constData(), 0700) == 0) {
        // Exactly 0700 whatever the umask; the new folder itself, never a link put there.
        const int fd =
            ::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            ::fchmod(fd, 0700);
            ::close(fd);
        }
    }
    return isPrivateFolder(path);
}

// $XDG_RUNTIME_DIR when it is private. Otherwise a folder of the user's own in the shared
// temporary folder; when someone else already holds that name there, one in the user's
// cache folder, which nobody else can name. "" when neither can be had.
QString privateFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime)) {
        return runtime;
    }
    const QString user = QString::number(::getuid());
    const QString temp = QDir::tempPath() + QStringLiteral("/Zelvo.FLV-") + user;
    if (makePrivateFolder(temp)) {
        return temp;
    }
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString mine = cache + QStringLiteral("/Zelvo.FLV");
    if (!cache.isEmpty() && QDir().mkpath(cache) && makePrivateFolder(mine)) {
        return mine;
    }
    return QString();
}

// Only the user's own lock file and socket count: a link or someone else's file in the
// user's folder is removed before it can block a start or take its file.
void removeForeign(const QString& path, bool socket) {
    struct stat info {};
    if (::lstat(native(path).constData(), &info) != 0) {
        return;
    }
    const bool kind = socket ? S_ISSOCK(info.st_mode) : S_ISREG(info.st_mode);
    if (!kind || info.st_uid != ::getuid()) {
        ::unlink(native(path).constData());
    }
}

// Whether the process at the other end of a connected local socket is this user's.
bool peerIsSameUser(qintptr descriptor) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return descriptor >= 0 &&
           ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           size == sizeof peer && peer.uid == ::getuid();
}

}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent), m_folder(privateFolder()) {
    // The socket name is derived from the key and the user.
    const QByteArray id = key.toUtf8() + '|' + QByteArray::number(::getuid());
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(16));
    if (!m_folder.isEmpty()) {
        const QString base = m_folder + QStringLiteral("/Zelvo.FLV-") + hash;
        m_socketPath = base + QStringLiteral(".sock");
        m_lockPath = base + QStringLiteral(".lock");
    }
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

SingleInstance::~SingleInstance() {
    stop();
}

SingleInstance::Role SingleInstance::start(const QString& commandLine, int timeoutMs) {
    if (m_folder.isEmpty()) {
        qWarning("Zelvo.FLV: no private folder for the single-instance lock; running on its own.");
        return Role::First;
    }
    const QDeadlineTimer deadline(timeoutMs);
    do {
        removeForeign(m_lockPath, false);
        removeForeign(m_socketPath, true);
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
        if (forward(m_socketPath, commandLine, left,
                    qEnvironmentVariable("XDG_ACTIVATION_TOKEN"))) {
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

bool SingleInstance::forward(const QString& socketPath, const QString& text, int timeoutMs,
                             const QString& activationToken) {
    const QDeadlineTimer deadline(qMax(timeoutMs, 1));
    auto left = [&deadline] { return static_cast<int>(qMax<qint64>(1, deadline.remainingTime())); };
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    // Only a server of this user gets the text.
    if (!socket.waitForConnected(left()) || !peerIsSameUser(socket.socketDescriptor())) {
        return false;
    }
    QByteArray body = text.toUtf8();
    if (!activationToken.isEmpty()) {
        body.append('\0').append(activationToken.toUtf8());
    }
    QByteArray message;
    QDataStream(&message, QIODevice::WriteOnly) << static_cast<quint32>(body.size());
    message += body;
    socket.write(message);
    if (!socket.waitForBytesWritten(left())) {
        return false;
    }
    QByteArray answer;
    while (answer.size() < kAnswer.size() && socket.waitForReadyRead(left())) {
        answer += socket.readAll();
    }
    // Without an answer in time the connection closes unconfirmed, and the text with it.
    if (!answer.startsWith(kAnswer)) {
        return false;
    }
    socket.write(kConfirm);
    // Two bytes into a local socket that has just answered: this never waits for long.
    return socket.waitForBytesWritten(1000);
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!peerIsSameUser(socket->socketDescriptor())) {
            socket->abort();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
        if (socket->bytesAvailable() > 0) {
            readMessage(socket);
        }
    }
}

void SingleInstance::readMessage(QLocalSocket* socket) {
    const auto stage = static_cast<Stage>(socket->property(kStage).toInt());
    if (stage == Stage::Message) {
        if (socket->bytesAvailable() < 4) {
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
        socket->setProperty(kText, QString::fromUtf8(socket->read(size)));
        socket->setProperty(kStage, static_cast<int>(Stage::Confirmation));
        socket->write(kAnswer);
        socket->flush();
    }
    if (static_cast<Stage>(socket->property(kStage).toInt()) != Stage::Confirmation ||
        socket->bytesAvailable() < kConfirm.size()) {
        return;
    }
    if (socket->read(kConfirm.size()) != kConfirm) {
        socket->abort();
        return;
    }
    socket->setProperty(kStage, static_cast<int>(Stage::Done));
    const QString body = socket->property(kText).toString();
    const qsizetype nul = body.indexOf(QChar(0));
    const QString text = nul < 0 ? body : body.left(nul);
    const QString token = nul < 0 ? QString() : body.mid(nul + 1);
    // Delivered on the next turn of the event loop: a receiver that opens a file runs
    // a nested loop, which may delete this socket under us.
    QMetaObject::invokeMethod(
        this,
        [this, text, token] {
            if (!token.isEmpty()) {
                Q_EMIT activationToken(token);
            }
            Q_EMIT linkExecute(text);
        },
        Qt::QueuedConnection);
}
