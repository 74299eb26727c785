// The command line of the real program: the whole text after its name is one path, even when
// it reads like one of Qt's own options ("-reverse", "-platform X"). Each file is named
// relative to the folder the program starts in, and the program's test log says which file
// starts playing.
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class tst_CommandLineE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariable("DISPLAY").isEmpty(), "needs an X display (xvfb-run)");
    }

    void wordsLikeQtOptionsAreTheFile_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("-reverse") << QStringList{u8("-reverse")};
        QTest::newRow("-platform X") << QStringList{u8("-platform"), u8("X")};
        QTest::newRow("-style fusion -reverse")
            << QStringList{u8("-style"), u8("fusion"), u8("-reverse")};
    }
    void wordsLikeQtOptionsAreTheFile() {
        QFETCH(QStringList, args);
        QTemporaryDir runtime, temp, config, media;
        const QString log = temp.filePath(u8("zelvo-log.txt"));
        const QString file = media.filePath(args.join(u' '));
        QVERIFY(QFile::copy(testsupport::media(u8("h264.flv")), file));

        QProcess program;
        program.setWorkingDirectory(media.path());
        testsupport::startProgram(
            program,
            testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log), args);
        QVERIFY(testsupport::waitUntil(
            [&] { return !testsupport::logLines(log, u8("play")).isEmpty(); }, 20000));
        QCOMPARE(testsupport::logLines(log, u8("play")).constFirst().value(1), file);
        QCOMPARE(program.state(), QProcess::Running);
        testsupport::stopProcess(program);
    }
};

QTEST_MAIN(tst_CommandLineE2E)
#include "tst_commandline_e2e.moc"
