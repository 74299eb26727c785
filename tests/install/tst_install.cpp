// The program as `make install` puts it on a machine: installed below a staging folder with a
// blank in its name, every file where the desktop looks for it and nothing else, the desktop
// entry and the software centre's metadata valid by the desktop's own checkers, and the
// installed program started as a user starts it, by a relative path, from its own folder and
// from another one, with a file, on the X display the test runs under.
#include "InstallKit.h"

#include <QImage>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

class tst_Install : public QObject {
    Q_OBJECT

    QTemporaryDir m_stage{QDir::tempPath() + QStringLiteral("/zelvo install XXXXXX")};

    QString prefix() const { return m_stage.path() + QStringLiteral("/usr"); }
    QString installed(const QString& relative) const {
        return prefix() + QLatin1Char('/') + relative;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_stage.isValid());
        QVERIFY(!installkit::buildDir().isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DESTDIR"), m_stage.path());
        const testsupport::RunResult r =
            testsupport::run(qEnvironmentVariable("ZELVO_CMAKE"),
                             {QStringLiteral("--install"), installkit::buildDir(),
                              QStringLiteral("--prefix"), QStringLiteral("/usr")},
                             env);
        QVERIFY2(r.exitCode == 0, r.output.constData());
    }

    // Everything the user needs, and nothing the build made for itself (tests, build tools).
    void installsExactlyTheProgramsFiles() {
        QStringList expected;
        for (const QString& file : installkit::installedFiles()) {
            expected << u8("usr/") + file;
        }
        QCOMPARE(installkit::filesBelow(m_stage.path()), expected);
    }

    void programsAreExecutable_data() {
        QTest::addColumn<QString>("file");
        for (const char* file :
             {"bin/Zelvo.FLV", "lib/zelvo-flv/ZelvoResFLV", "lib/zelvo-flv/ZelvoToolFLV"}) {
            QTest::newRow(file) << QString::fromLatin1(file);
        }
    }
    void programsAreExecutable() {
        QFETCH(QString, file);
        QVERIFY(QFileInfo(installed(file)).isExecutable());
    }

    // Each PNG is drawn at the size its folder names, the SVG is a picture too.
    void iconsHaveTheirSizes_data() {
        QTest::addColumn<int>("size");
        for (int size : installkit::iconSizes()) {
            QTest::newRow(qPrintable(QString::number(size))) << size;
        }
    }
    void iconsHaveTheirSizes() {
        QFETCH(int, size);
        const QImage png(installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/").arg(size) +
                                   installkit::appId + QStringLiteral(".png")));
        QCOMPARE(png.size(), QSize(size, size));
        QVERIFY(png.hasAlphaChannel());
        // Drawn, not empty: the middle is the opaque tile.
        QCOMPARE(qAlpha(png.pixel(size / 2, size / 2)), 255);
    }

    void checkersAcceptDesktopEntryAndMetadata_data() {
        QTest::addColumn<QString>("checker");
        QTest::addColumn<QString>("package");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("desktop entry")
            << u8("desktop-file-validate") << u8("desktop-file-utils")
            << QStringList{
                   installed(u8("share/applications/") + installkit::appId + u8(".desktop"))};
        QTest::newRow("AppStream metadata")
            << u8("appstreamcli") << u8("appstream")
            << QStringList{
                   u8("validate"), u8("--no-net"),
                   installed(u8("share/metainfo/") + installkit::appId + u8(".metainfo.xml"))};
    }
    void checkersAcceptDesktopEntryAndMetadata() {
        QFETCH(QString, checker);
        QFETCH(QString, package);
        QFETCH(QStringList, args);
        const QString program = installkit::tool(checker, qPrintable(package));
        QVERIFY(!program.isEmpty());
        const testsupport::RunResult r =
            testsupport::run(program, args, QProcessEnvironment::systemEnvironment());
        QVERIFY2(r.exitCode == 0, r.output.constData());
    }

    // The menu entry starts the program that was installed, with the icon that was.
    void desktopEntryNamesInstalledProgramAndIcon() {
        const QHash<QString, QString> entry = testsupport::desktopEntryKeys(
            installed(u8("share/applications/") + installkit::appId + u8(".desktop")));
        const QStringList exec = entry.value(u8("Exec")).split(u' ');
        QCOMPARE(exec, (QStringList{u8("Zelvo.FLV"), u8("%u")}));
        QVERIFY(QFileInfo(installed(u8("bin/") + exec.constFirst())).isExecutable());
        QCOMPARE(entry.value(u8("TryExec")), exec.constFirst());
        QCOMPARE(entry.value(u8("Icon")), installkit::appId);
    }

    // The resource program finds the tool program beside itself in lib/zelvo-flv and installs
    // a job's tools from there.
    void helperProgramsWorkFromTheirFolder() {
        QTemporaryDir temp;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u8("TMPDIR"), temp.path());
        const testsupport::RunResult r = testsupport::run(
            installed(u8("lib/zelvo-flv/ZelvoResFLV")), {u8("Edit1")}, env, temp.path());
        QVERIFY2(r.exitCode == 0, r.output.constData());
        for (const char* tool : {"~tmpExtMcd", "~tmpExtFmg", "~tmpExtFmd"}) {
            QVERIFY2(QFileInfo(temp.filePath(u8(tool))).isExecutable(), tool);
        }
    }

    // Started by a relative path from its own folder and from the file's folder, the
    // installed program opens the file named relative to where it starts, shows its name in
    // the caption, and runs its helper program from lib/zelvo-flv (the capture session's
    // sample clip that it writes appears in the temporary folder).
    void startsByRelativePathFromAnyFolder_data() {
        QTest::addColumn<bool>("fromOwnFolder");
        QTest::newRow("from its own folder") << true;
        QTest::newRow("from the file's folder") << false;
    }
    void startsByRelativePathFromAnyFolder() {
        QFETCH(bool, fromOwnFolder);
        QVERIFY2(!qEnvironmentVariable("DISPLAY").isEmpty(), "needs an X display (xvfb-run)");
        QTemporaryDir runtime, temp, config, media;
        const QString name = u8("clip 影片.flv");
        const QString clip = media.filePath(name);
        QVERIFY(QFile::copy(testsupport::media(u8("h264.flv")), clip));
        const QString log = temp.filePath(u8("log.txt"));
        const QString program = installed(u8("bin/Zelvo.FLV"));
        const QString folder = fromOwnFolder ? QFileInfo(program).path() : media.path();
        const QString relativeProgram = QDir(folder).relativeFilePath(program);
        QVERIFY(!QDir::isAbsolutePath(relativeProgram));

        QProcess p;
        p.setProcessEnvironment(
            testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log));
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.setWorkingDirectory(folder);
        p.start(relativeProgram.contains(u'/') ? relativeProgram : u8("./") + relativeProgram,
                {QDir(folder).relativeFilePath(clip)});
        QVERIFY2(p.waitForStarted(10000), qPrintable(p.errorString()));
        const auto stop = qScopeGuard([&p] { testsupport::stopProcess(p); });

        QVERIFY(testsupport::waitUntil(
            [&] { return !testsupport::logLines(log, u8("play")).isEmpty(); }, 20000));
        const QString caption = u8(" ") + name + u8(" - Zelvo.FLV");
        QVERIFY2(
            testsupport::waitUntil(
                [&] { return testsupport::lastLogLine(log, u8("caption")).value(1) == caption; },
                20000),
            qPrintable(testsupport::lastLogLine(log, u8("caption")).value(1)));
        QCOMPARE(testsupport::lastLogLine(log, u8("play")).value(1), clip);
        const QString sample = temp.filePath(u8("~tmpExtFlv.wmv"));
        QVERIFY2(testsupport::waitUntil([&] { return QFileInfo(sample).size() > 0; }, 15000),
                 "the installed program did not run lib/zelvo-flv/ZelvoResFLV");
        QCOMPARE(p.state(), QProcess::Running);
    }

    // A file manager opens a file with the desktop entry's command, the file as a file: URL
    // with percent escapes; a later start hands it to the running window, which plays the
    // file the URL names.
    void fileManagerHandsAUrlToTheRunningWindow() {
        QTemporaryDir runtime, temp, config, media;
        const QString clip = media.filePath(u8("clip 影片 100%.flv"));
        QVERIFY(QFile::copy(testsupport::media(u8("h264.flv")), clip));
        const QString log = temp.filePath(u8("log.txt"));
        const QProcessEnvironment env =
            testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log);
        const QString program = installed(u8("bin/Zelvo.FLV"));

        QProcess first;
        first.setProcessEnvironment(env);
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(program, {});
        QVERIFY(first.waitForStarted(10000));
        const auto stop = qScopeGuard([&first] { testsupport::stopProcess(first); });
        QVERIFY(testsupport::waitUntil(
            [&] { return !testsupport::logLines(log, u8("menu")).isEmpty(); }, 20000));

        const QString url = QString::fromLatin1(QUrl::fromLocalFile(clip).toEncoded());
        QVERIFY(url.startsWith(u8("file:///")) && url.contains(u8("%E5%BD%B1")));
        const testsupport::RunResult second = testsupport::run(program, {url}, env, media.path());
        QCOMPARE(second.exitCode, 0);
        QVERIFY(testsupport::waitUntil(
            [&] { return !testsupport::logLines(log, u8("play")).isEmpty(); }, 20000));
        QCOMPARE(testsupport::lastLogLine(log, u8("play")).value(1), clip);
        QVERIFY(testsupport::waitUntil(
            [&] {
                return testsupport::lastLogLine(log, u8("caption")).value(1) ==
                       u8(" clip 影片 100%.flv - Zelvo.FLV");
            },
            20000));
    }
};

QTEST_GUILESS_MAIN(tst_Install)
#include "tst_install.moc"
