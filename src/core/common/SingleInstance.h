#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalSocket;

// One running Zelvo.FLV per user. The first process holds a lock file and answers on a
// local socket; a later start hands its whole command line over that socket and ends
// without showing a window.
//
// The lock decides who is first; the socket only carries the text. A crashed first
// instance leaves a lock whose process is gone (QLockFile treats it as stale) and a
// dead socket file (removed before listening), so the next start simply becomes first.
//
// Both live in a folder no other user can reach: $XDG_RUNTIME_DIR when it is the user's
// own (a real folder, owned by the user, mode 0700), else "Zelvo.FLV-<uid>" in the
// temporary folder, else in the user's cache folder, made with mode 0700 and checked the
// same way before use, so another user can neither block a start nor receive its file. A
// lock or socket file in there that is not the user's own is removed, and each side of a
// hand-over checks that the other is a process of the same user (SO_PEERCRED).
//
// On Wayland a window may come to the front only with a token the compositor gave for a
// user's action; a desktop's launcher gives one to the process it starts
// (XDG_ACTIVATION_TOKEN). A later start has no window to use it on and hands it over with its
// command line, so that the running window can come to the front in its place.
//
// A hand-over is delivered once at most: the running window answers a command line with
// "OK" and plays it only when the new start confirms with "GO". A start that gave up on a
// frozen window has closed its connection, so the window, once awake, drops what it sent.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role {
        First,      // we hold the lock and listen (or found no private folder): run the program
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
    // The private folder of the lock and the socket; "" when none could be had, and the
    // program then runs on its own.
    QString folder() const { return m_folder; }
    QString socketPath() const { return m_socketPath; }
    QString lockPath() const { return m_lockPath; }

    // Sends text (and the activation token, when there is one) to a listening instance of
    // the same user and waits for its answer; true once the hand-over is confirmed.
    static bool forward(const QString& socketPath, const QString& text, int timeoutMs,
                        const QString& activationToken = QString());

Q_SIGNALS:
    // The activation token a later start handed over, emitted just before its linkExecute.
    void activationToken(const QString& token);
    // A later start's command line (possibly empty), delivered on the event loop.
    void linkExecute(const QString& text);

private:
    void acceptConnections();
    void readMessage(QLocalSocket* socket);

    QString m_folder;
    QString m_socketPath;
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};
