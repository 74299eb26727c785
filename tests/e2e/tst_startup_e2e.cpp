// The real program on a real X display: the first start opens the main window, a
// second start hands over and ends without a window of its own.
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class tst_StartupE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstStartShowsMainWindowSecondHandsOver();
};

void tst_StartupE2E::firstStartShowsMainWindowSecondHandsOver() {
    QVERIFY2(!qEnvironmentVariable("DISPLAY").isEmpty(), "needs an X display (xvfb-run)");
    QTemporaryDir runtime, temp, config;
    // Boxes (such as the missing sound card's) go to a log instead of waiting for a click.
    const QProcessEnvironment env = testsupport::programEnvironment(
        runtime.path(), temp.path(), config.path(), temp.filePath(QStringLiteral("log.txt")));
    const QString program = testsupport::binDir() + QStringLiteral("/Zelvo.FLV");

    QProcess first;
    first.setWorkingDirectory(temp.path());
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(program, {});
    const QString caption = QStringLiteral("^ Zelvo\\.FLV - 1\\.6\\.1$");
    QTRY_COMPARE_WITH_TIMEOUT(testsupport::windowsNamed(caption).size(), 1, 20000);
    const QString window = testsupport::windowsNamed(caption).at(0);
    QCOMPARE(first.state(), QProcess::Running);

    QProcess second;
    second.setProcessEnvironment(env);
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer t;
    t.start();
    // Named relative to its own folder, which is not the first instance's.
    second.setWorkingDirectory(QFileInfo(testsupport::media(QStringLiteral("h264.flv"))).path());
    second.start(program, {QStringLiteral("h264.flv")});
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitCode(), 0);
    // Still one main window, now playing the handed-over file, and the first instance
    // lives on.
    QTRY_COMPARE_WITH_TIMEOUT(
        testsupport::windowsNamed(QStringLiteral("^ h264\\.flv - Zelvo\\.FLV$")),
        QStringList{window}, 10000);
    QCOMPARE(testsupport::windowsNamed(QStringLiteral("Zelvo\\.FLV")), QStringList{window});
    QCOMPARE(first.state(), QProcess::Running);

    testsupport::stopProcess(first);
}

QTEST_MAIN(tst_StartupE2E)
#include "tst_startup_e2e.moc"
