// One running program per user: the hand-over of a second start's command line, the starts
// that race a first instance that is starting, closing or has crashed, a hand-over that is
// given up and must not be played later, and the places and files of other users, which
// neither block a start nor receive its file.
//
// The other user is "nobody": where the test runs as root, this program runs itself under
// setpriv as that user (--listen: a server that answers every message, as one would that
// wants to capture the file; --send: a client that hands over a text).
#include "TestSupport.h"
#include "core/common/SingleInstance.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr uid_t kNobody = 65534;

// A sanitizer build's process turned into another user cannot read its own /proc entries,
// where the sanitizer looks for its options, and its leak check then fails it at exit: the
// plain build runs these.
bool otherUserAvailable() {
    return ::getuid() == 0 && !QStandardPaths::findExecutable(u8("setpriv")).isEmpty() &&
           !qEnvironmentVariableIsSet("ASAN_OPTIONS");
}

bool setMode(const QString& path, mode_t mode) {
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

bool giveToNobody(const QString& path) {
    return ::lchown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0;
}

// This test program run as "nobody" with args; its output is collected.
class OtherUser {
public:
    explicit OtherUser(const QStringList& args) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(u8("setpriv"),
                        QStringList{u8("--reuid=65534"), u8("--regid=65534"), u8("--clear-groups"),
                                    QCoreApplication::applicationFilePath()} +
                            args);
    }
    ~OtherUser() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QString output() {
        m_output += QString::fromUtf8(m_process.readAllStandardOutput());
        return m_output;
    }
    bool waitFor(const char* text, int timeoutMs = 10000) {
        return testsupport::waitUntil([&] { return output().contains(u8(text)); }, timeoutMs);
    }
    bool finished() const { return m_process.state() == QProcess::NotRunning; }

private:
    QProcess m_process;
    QString m_output;
};

// Starts of the real program, each in the same private runtime, temp, config and cache
// folders. paths() gives this process the same environment, so that it finds the program's
// lock and socket where the program puts them.
class ProgramRuns {
public:
    // Boxes go to a log instead of waiting for a click that never comes.
    ProgramRuns()
        : m_env(testsupport::programEnvironment(m_runtime.path(), m_temp.path(), m_config.path(),
                                                m_temp.filePath(u8("log.txt")))) {
        m_env.insert(u8("QT_QPA_PLATFORM"), u8("offscreen"));
        m_env.insert(u8("XDG_CACHE_HOME"), m_cache.path());
        for (const char* name : kVariables) {
            m_saved << qgetenv(name);
            m_wasSet << qEnvironmentVariableIsSet(name);
        }
    }
    ~ProgramRuns() {
        for (QProcess* p : std::as_const(m_processes)) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
        m_paths.reset();
        for (int i = 0; i < m_saved.size(); ++i) {
            if (m_wasSet.at(i)) {
                qputenv(kVariables[i], m_saved.at(i));
            } else {
                qunsetenv(kVariables[i]);
            }
        }
    }

    QString runtime() const { return m_runtime.path(); }
    QString temp() const { return m_temp.path(); }
    QString cache() const { return m_cache.path(); }
    // A folder like the shared temporary folder, where every user may make files.
    QString shared() const { return m_shared.path(); }

    // Sets (or, for a null value, removes) a variable for the program and this process.
    void setVariable(const QString& name, const QString& value) {
        if (value.isNull()) {
            m_env.remove(name);
        } else {
            m_env.insert(name, value);
        }
    }

    QProcess* start(const QStringList& args) {
        auto* p = new QProcess;
        p->setProcessEnvironment(m_env);
        p->setProcessChannelMode(QProcess::ForwardedChannels);
        p->start(testsupport::binDir() + u8("/Zelvo.FLV"), args);
        m_processes << p;
        return p;
    }

    // The lock and socket the program itself uses with these variables.
    SingleInstance* paths() {
        if (!m_paths) {
            for (const char* name : kVariables) {
                const QString value = m_env.value(u8(name), QString());
                if (value.isNull()) {
                    qunsetenv(name);
                } else {
                    qputenv(name, QFile::encodeName(value));
                }
            }
            m_paths = std::make_unique<SingleInstance>();
        }
        return m_paths.get();
    }

    // The names of the lock and the socket in whatever folder they are.
    static QString lockName() { return names().first; }
    static QString socketName() { return names().second; }

    // True when a first instance answers a hand-over within timeoutMs.
    bool firstAnswers(int timeoutMs) {
        return testsupport::waitUntil(
            [this] { return SingleInstance::forward(paths()->socketPath(), QString(), 500); },
            timeoutMs);
    }

private:
    static constexpr const char* kVariables[] = {"XDG_RUNTIME_DIR", "TMPDIR", "XDG_CACHE_HOME"};

    static std::pair<QString, QString> names() {
        QTemporaryDir folder;
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        const bool wasSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        setMode(folder.path(), 0700);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder.path()));
        const SingleInstance probe;
        if (wasSet) {
            qputenv("XDG_RUNTIME_DIR", saved);
        } else {
            qunsetenv("XDG_RUNTIME_DIR");
        }
        return {QFileInfo(probe.lockPath()).fileName(), QFileInfo(probe.socketPath()).fileName()};
    }

    QTemporaryDir m_runtime, m_temp, m_config, m_cache, m_shared;
    QProcessEnvironment m_env;
    QList<QProcess*> m_processes;
    std::unique_ptr<SingleInstance> m_paths;
    QByteArrayList m_saved;
    QList<bool> m_wasSet;
};

// Where the lock and socket of another user (or a fake first instance) wait for the start.
enum class Trap {
    OpenRuntime,       // $XDG_RUNTIME_DIR readable by others (no root needed)
    LinkedRuntime,     // $XDG_RUNTIME_DIR a link to a private folder (no root needed)
    LinkedTempFolder,  // no $XDG_RUNTIME_DIR; the private temp folder's name is a link
    OthersRuntime,     // $XDG_RUNTIME_DIR owned by another user
    OthersTempFolder,  // no $XDG_RUNTIME_DIR; another user holds the temp folder's name
    OthersFiles,       // another user's lock and socket in the user's own folder
    OthersServer,      // the user's lock held, the socket served by another user
};

enum class Place { Runtime, TempFolder, Cache };

struct TrapRow {
    Trap trap;
    Place expected;  // the folder the program uses instead
};

}  // namespace

Q_DECLARE_METATYPE(TrapRow)

class tst_SingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void secondStartForwardsWholeCommandLine_data() {
        QTest::addColumn<QStringList>("args");  // the first instance gets them joined by blanks
        QTest::addColumn<QString>("relative");  // or, for a relative path, this one made absolute
        const auto row = [](const char* tag, const QStringList& args,
                            const QString& relative = {}) {
            QTest::newRow(tag) << args << relative;
        };
        row("none", {});
        row("plain", {u8("/v/clip.flv")});
        row("blanks in one argument", {u8("/v/my clip.flv")});
        // The quotes reach the first instance; stripping them is playback's job.
        row("quotes kept", {u8("\"/v/a b.flv\"")});
        row("several arguments joined", {u8("/v/my"), u8("clip.flv")});
        row("chinese", {u8("/影片/測試 一.flv")});
        // A relative path is made absolute against the later start's own folder.
        row("leading dash", {u8("-clip.flv")}, u8("-clip.flv"));
        row("relative, with marks", {u8("影片/a"), u8("b.flv∥1-2")}, u8("影片/a b.flv∥1-2"));
        row("url", {u8("http://127.0.0.1:8080/live.flv")});
    }
    void secondStartForwardsWholeCommandLine() {
        QFETCH(QStringList, args);
        QFETCH(QString, relative);
        ProgramRuns runs;
        SingleInstance* first = runs.paths();
        QCOMPARE(first->start(QString(), 2000), SingleInstance::Role::First);
        QSignalSpy received(first, &SingleInstance::linkExecute);

        QProcess* second = runs.start(args);
        QVERIFY(received.wait(10000));
        QCOMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).toString(),
                 relative.isEmpty() ? args.join(u' ') : QDir::current().filePath(relative));
        // The first instance confirms from its event loop, which must keep running here.
        QTRY_COMPARE_WITH_TIMEOUT(second->state(), QProcess::NotRunning, 10000);
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
    }

    // A desktop's launcher gives the process it starts a token to come to the front with; a
    // later start hands it to the running window with its command line, which stays as it
    // was.
    void activationTokenTravelsWithTheCommandLine_data() {
        QTest::addColumn<QString>("token");
        QTest::newRow("launched with a token") << u8("zelvo-token-0123_abc");
        QTest::newRow("started from a terminal") << QString();
    }
    void activationTokenTravelsWithTheCommandLine() {
        QFETCH(QString, token);
        ProgramRuns runs;
        SingleInstance* first = runs.paths();
        QCOMPARE(first->start(QString(), 2000), SingleInstance::Role::First);
        QSignalSpy received(first, &SingleInstance::linkExecute);
        QSignalSpy tokens(first, &SingleInstance::activationToken);

        runs.setVariable(u8("XDG_ACTIVATION_TOKEN"), token);
        QProcess* second = runs.start({u8("/影片/a b.flv")});
        QVERIFY(received.wait(10000));
        QCOMPARE(received.at(0).at(0).toString(), u8("/影片/a b.flv"));
        QCOMPARE(tokens.count(), token.isEmpty() ? 0 : 1);
        if (!token.isEmpty()) {
            QCOMPARE(tokens.at(0).at(0).toString(), token);
        }
        // The first instance confirms from its event loop, which must keep running here.
        QTRY_COMPARE_WITH_TIMEOUT(second->state(), QProcess::NotRunning, 10000);
        QCOMPARE(second->exitCode(), 0);
    }

    void crashedFirstDoesNotBlockNextStart() {
        ProgramRuns runs;
        QProcess* first = runs.start({});
        QVERIFY(runs.firstAnswers(15000));
        first->kill();  // no clean-up: the lock file and the socket file stay behind
        QVERIFY(first->waitForFinished(5000));
        QVERIFY(QFile::exists(runs.paths()->lockPath()));
        QVERIFY(QFile::exists(runs.paths()->socketPath()));

        QProcess* next = runs.start({});
        QVERIFY(runs.firstAnswers(15000));
        QCOMPARE(next->state(), QProcess::Running);
    }

    void simultaneousStartsGiveOneInstance() {
        ProgramRuns runs;
        QProcess* a = runs.start({});
        QProcess* b = runs.start({u8("/v/clip.flv")});
        QVERIFY(runs.firstAnswers(15000));
        // One of the two handed over and ended; the other keeps running.
        QTRY_VERIFY_WITH_TIMEOUT(
            (a->state() == QProcess::NotRunning) != (b->state() == QProcess::NotRunning), 15000);
        QProcess* ended = a->state() == QProcess::NotRunning ? a : b;
        QCOMPARE(ended->exitCode(), 0);
    }

    void startWhileFirstIsClosingBecomesFirst() {
        ProgramRuns runs;
        // A first instance in its last moments: the lock still held, its socket taking
        // connections but no longer answering.
        QLockFile closing(runs.paths()->lockPath());
        QVERIFY(closing.tryLock(0));
        QLocalServer silent;
        QVERIFY(silent.listen(runs.paths()->socketPath()));
        QProcess* next = runs.start({});
        // A second try comes only after the first went unanswered: still waiting, not given up.
        int tries = 0;
        connect(&silent, &QLocalServer::newConnection, this, [&] {
            silent.nextPendingConnection()->setParent(&silent);
            ++tries;
        });
        QVERIFY(testsupport::waitUntil([&] { return tries >= 2; }, 15000));
        QCOMPARE(next->state(), QProcess::Running);
        silent.close();
        closing.unlock();
        QVERIFY(runs.firstAnswers(15000));
        QCOMPARE(next->state(), QProcess::Running);
    }

    void lockedButSilentInstanceGivesUp() {
        ProgramRuns runs;
        QLockFile hung(runs.paths()->lockPath());
        QVERIFY(hung.tryLock(0));
        SingleInstance late;
        QCOMPARE(late.start(u8("x"), 600), SingleInstance::Role::Failed);
        QVERIFY(!late.isListening());
    }

    // A start that gave up on a frozen first window (its deadline passed unanswered) is not
    // played when the window wakes: one hand-over, delivered once, and only the one that was
    // confirmed.
    void givenUpHandOverIsNotPlayedLater() {
        ProgramRuns runs;
        SingleInstance* first = runs.paths();
        QCOMPARE(first->start(QString(), 2000), SingleInstance::Role::First);
        QSignalSpy received(first, &SingleInstance::linkExecute);

        // Waiting here without the event loop freezes the first instance; the later start
        // tries again and again until it gives up.
        QProcess* late = runs.start({u8("/v/late.flv")});
        QVERIFY(late->waitForFinished(30000));
        QCOMPARE(late->exitCode(), 1);

        // Awake again: the next start's file arrives, and only that one.
        runs.start({u8("/v/next.flv")});
        QVERIFY(received.wait(10000));
        QCOMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).toString(), u8("/v/next.flv"));
    }

    void foreignPlacesNeitherBlockNorCapture_data() {
        testsupport::addRows<TrapRow>({
            {"XDG_RUNTIME_DIR open to others", {Trap::OpenRuntime, Place::TempFolder}},
            {"XDG_RUNTIME_DIR a link", {Trap::LinkedRuntime, Place::TempFolder}},
            {"temp folder name a link", {Trap::LinkedTempFolder, Place::Cache}},
            {"XDG_RUNTIME_DIR of another user", {Trap::OthersRuntime, Place::TempFolder}},
            {"temp folder name of another user", {Trap::OthersTempFolder, Place::Cache}},
            {"another user's files in the folder", {Trap::OthersFiles, Place::Runtime}},
            {"another user's server at the socket", {Trap::OthersServer, Place::Runtime}},
        });
    }
    // A lock and a listening socket where the program would look for a first instance, made
    // by another user or in a folder others can reach: the program starts as first in a
    // folder of its own, and the other side receives nothing.
    void foreignPlacesNeitherBlockNorCapture() {
        QFETCH(TrapRow, row);
        const bool needsOtherUser = row.trap == Trap::OthersRuntime ||
                                    row.trap == Trap::OthersTempFolder ||
                                    row.trap == Trap::OthersFiles || row.trap == Trap::OthersServer;
        if (needsOtherUser && !otherUserAvailable()) {
            QSKIP("needs root, setpriv and a build without the sanitizers to act as another user");
        }
        ProgramRuns runs;
        QVERIFY(setMode(runs.shared(), 01777));
        const QString uid = QString::number(::getuid());
        const QString tempFolder = runs.temp() + u8("/Zelvo.FLV-") + uid;
        const QString lockName = ProgramRuns::lockName();
        const QString socketName = ProgramRuns::socketName();

        // A fake first instance of this user, for the traps that need no other user.
        std::unique_ptr<QLockFile> fakeLock;
        QLocalServer fake;
        int fakeConnections = 0;
        connect(&fake, &QLocalServer::newConnection, this, [&] {
            fake.nextPendingConnection()->setParent(&fake);
            ++fakeConnections;
        });
        const auto fakeFirstIn = [&](const QString& folder) {
            fakeLock = std::make_unique<QLockFile>(folder + u8("/") + lockName);
            return fakeLock->tryLock(0) && fake.listen(folder + u8("/") + socketName);
        };
        std::unique_ptr<OtherUser> other;
        const auto otherFirstIn = [&](const QString& folder) {
            other = std::make_unique<OtherUser>(QStringList{
                u8("--listen"), folder + u8("/") + socketName, folder + u8("/") + lockName});
            return other->waitFor("listening");
        };

        switch (row.trap) {
            case Trap::OpenRuntime:
                QVERIFY(setMode(runs.runtime(), 0755));
                QVERIFY(fakeFirstIn(runs.runtime()));
                break;
            case Trap::LinkedRuntime: {
                const QString link = runs.shared() + u8("/runtime-link");
                QVERIFY(QFile::link(runs.runtime(), link));
                runs.setVariable(u8("XDG_RUNTIME_DIR"), link);
                QVERIFY(fakeFirstIn(runs.runtime()));
                break;
            }
            case Trap::LinkedTempFolder:
                runs.setVariable(u8("XDG_RUNTIME_DIR"), QString());
                QVERIFY(QFile::link(runs.runtime(), tempFolder));
                QVERIFY(fakeFirstIn(runs.runtime()));
                break;
            case Trap::OthersRuntime:
                QVERIFY(giveToNobody(runs.runtime()));
                QVERIFY(otherFirstIn(runs.runtime()));
                break;
            case Trap::OthersTempFolder:
                runs.setVariable(u8("XDG_RUNTIME_DIR"), QString());
                QVERIFY(setMode(runs.temp(), 01777));
                QVERIFY(QDir().mkdir(tempFolder));
                QVERIFY(setMode(tempFolder, 0700) && giveToNobody(tempFolder));
                QVERIFY(otherFirstIn(tempFolder));
                break;
            case Trap::OthersFiles:
            case Trap::OthersServer: {
                // Made where the other user may, then moved into the user's own folder.
                QVERIFY(otherFirstIn(runs.shared()));
                const QString socket = runs.runtime() + u8("/") + socketName;
                QVERIFY(QFile::rename(runs.shared() + u8("/") + socketName, socket));
                if (row.trap == Trap::OthersFiles) {
                    QVERIFY(QFile::rename(runs.shared() + u8("/") + lockName,
                                          runs.runtime() + u8("/") + lockName));
                } else {
                    // The socket file looks like the user's own; only its server is not.
                    QVERIFY(::lchown(QFile::encodeName(socket).constData(), 0, 0) == 0);
                    fakeLock = std::make_unique<QLockFile>(runs.runtime() + u8("/") + lockName);
                    QVERIFY(fakeLock->tryLock(0));
                }
                break;
            }
        }

        QProcess* start = runs.start({u8("/v/secret.flv")});
        if (row.trap == Trap::OthersServer) {
            // The start finds the lock held and tries the socket, but hands nothing over;
            // once the lock is free it becomes first.
            QVERIFY(other->waitFor("connection", 15000));
            QCOMPARE(start->state(), QProcess::Running);
            fakeLock->unlock();
        }
        // The start is first, and no other side got anything.
        QVERIFY(runs.firstAnswers(15000));
        QCOMPARE(start->state(), QProcess::Running);
        QCOMPARE(fakeConnections, 0);
        if (other) {
            QVERIFY2(!other->output().contains(u8("received")), qPrintable(other->output()));
        }
        // It is first in a private folder of its own.
        const QString expected = row.expected == Place::Runtime ? runs.runtime()
                                 : row.expected == Place::TempFolder
                                     ? tempFolder
                                     : runs.cache() + u8("/Zelvo.FLV");
        QCOMPARE(runs.paths()->folder(), expected);
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(expected).constData(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
    }

    // The running window takes no hand-over from another user's process, even when its
    // folder and socket were opened to others after it started.
    void handOverFromAnotherUserIsRefused() {
        if (!otherUserAvailable()) {
            QSKIP("needs root, setpriv and a build without the sanitizers to act as another user");
        }
        ProgramRuns runs;
        SingleInstance* first = runs.paths();
        QCOMPARE(first->start(QString(), 2000), SingleInstance::Role::First);
        QSignalSpy received(first, &SingleInstance::linkExecute);
        QVERIFY(setMode(runs.runtime(), 0711) && setMode(first->socketPath(), 0777));

        OtherUser other({u8("--send"), first->socketPath(), u8("/v/planted.flv")});
        QVERIFY(testsupport::waitUntil([&] { return other.finished(); }, 15000));
        QCOMPARE(other.output(), u8("refused\n"));
        QCOMPARE(received.count(), 0);
    }
};

namespace {

// --listen SOCKET LOCK: holds LOCK and answers "OK" to whatever arrives on SOCKET, telling
// each connection and each message on standard output.
int listenAsOtherUser(const QString& socketPath, const QString& lockPath) {
    QLockFile lock(lockPath);
    QLocalServer server;
    server.setSocketOptions(QLocalServer::WorldAccessOption);
    if (!lock.tryLock(0) || !server.listen(socketPath)) {
        std::puts("cannot listen");
        return 1;
    }
    const auto say = [](const char* text) {
        std::puts(text);
        std::fflush(stdout);
    };
    QObject::connect(&server, &QLocalServer::newConnection, [&] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            say("connection");
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, say] {
                socket->readAll();
                say("received");
                socket->write("OK");
            });
        }
    });
    say("listening");
    return QCoreApplication::exec();
}

// --send SOCKET TEXT: hands TEXT over as a later start does; "answered" or "refused".
int sendAsOtherUser(const QString& socketPath, const QString& text) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    QByteArray message;
    const QByteArray body = text.toUtf8();
    QDataStream(&message, QIODevice::WriteOnly) << static_cast<quint32>(body.size());
    bool answered = false;
    if (socket.waitForConnected(5000)) {
        socket.write(message + body);
        socket.waitForBytesWritten(5000);
        answered = socket.waitForReadyRead(5000) && socket.readAll().startsWith("OK");
        if (answered) {
            socket.write("GO");
            socket.waitForBytesWritten(5000);
        }
    }
    std::puts(answered ? "answered" : "refused");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--listen") == 0) {
        return listenAsOtherUser(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    if (argc == 4 && std::strcmp(argv[1], "--send") == 0) {
        return sendAsOtherUser(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    tst_SingleInstance test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
