// One running program per user: the hand-over of a second start's command line, and
// the starts that race a first instance that is starting, closing or has crashed.
#include "TestSupport.h"
#include "core/common/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Starts of the real program, each in the same private runtime, temp and config folders.
class ProgramRuns {
public:
    // Boxes go to a log instead of waiting for a click that never comes.
    ProgramRuns()
        : m_env(testsupport::programEnvironment(m_runtime.path(), m_temp.path(), m_config.path(),
                                                m_temp.filePath(u8("log.txt")))) {
        m_env.insert(u8("QT_QPA_PLATFORM"), u8("offscreen"));
    }
    ~ProgramRuns() {
        for (QProcess* p : std::as_const(m_processes)) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
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

    // The socket and lock paths the program itself uses in these folders.
    SingleInstance* paths() {
        if (!m_paths) {
            qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
            m_paths = std::make_unique<SingleInstance>();
        }
        return m_paths.get();
    }

    // True when a first instance answers a hand-over within timeoutMs.
    bool firstAnswers(int timeoutMs) {
        return testsupport::waitUntil(
            [this] { return SingleInstance::forward(paths()->socketPath(), QString(), 500); },
            timeoutMs);
    }

private:
    QTemporaryDir m_runtime, m_temp, m_config;
    QProcessEnvironment m_env;
    QList<QProcess*> m_processes;
    std::unique_ptr<SingleInstance> m_paths;
};

}  // namespace

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
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
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
};

QTEST_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
