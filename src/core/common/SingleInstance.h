#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

// One running Zelvo.FLV per user. The first process holds a lock file and answers on a
// local socket; a later start hands its whole command line over that socket and ends
// without showing a window.
//
// The lock decides who is first; the socket only carries the text. A crashed first
// instance leaves a lock whose process is gone (QLockFile treats it as stale) and a
// dead socket file (removed before listening), so the next start simply becomes first.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role {
        First,      // we hold the lock and listen: run the whole program
        Forwarded,  // the running instance took our command line: end now
        Failed      // an instance holds the lock but never answered in time
    };

    // key names the instance; the program uses "Zelvo.FLV|FormDDE".
    explicit SingleInstance(const QString& key = QStringLiteral("Zelvo.FLV|FormDDE"),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes first, or forwards commandLine to the running instance. Retries while
    // the running instance is still starting (locked but not yet listening) or
    // closing (no longer listening, lock not yet released), up to timeoutMs.
    Role start(const QString& commandLine, int timeoutMs = 10000);

    // Stops answering (first the socket, then the lock), so that a start during
    // shutdown waits and then becomes first itself.
    void stop();

    bool isListening() const;
    QString socketPath() const { return m_socketPath; }
    QString lockPath() const { return m_lockPath; }

    // Sends text to a listening instance and waits for its acknowledgement.
    static bool forward(const QString& socketPath, const QString& text, int timeoutMs);

Q_SIGNALS:
    // A later start's command line (possibly empty), delivered on the event loop.
    void linkExecute(const QString& text);

private:
    void acceptConnections();
    void readMessage(class QLocalSocket* socket);

    QString m_socketPath;
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};
