// Where the program finds its own files: a build tree, an installed prefix, a folder copied
// anywhere (blanks and Chinese in its name), a program folder it may not write to, and
// whether a package manager installed it.
#include "TestSupport.h"
#include "core/common/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <unistd.h>


class tst_AppPaths : public QObject {
    Q_OBJECT

    static bool touch(const QString& path, QFileDevice::Permissions permissions = {}) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) &&
               (permissions == QFileDevice::Permissions() || file.setPermissions(permissions));
    }

private Q_SLOTS:
    void layouts_data() {
        QTest::addColumn<QString>("prefix");  // below the test folder
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("helper");  // the helper program found, below the folder
        QTest::newRow("build tree")
            << u8("build") << QStringList{u8("build/bin/Zelvo.FLV"), u8("build/bin/ZelvoResFLV")}
            << u8("build/bin/ZelvoResFLV");
        QTest::newRow("installed prefix")
            << u8("usr")
            << QStringList{u8("usr/bin/Zelvo.FLV"), u8("usr/lib/zelvo-flv/ZelvoResFLV")}
            << u8("usr/lib/zelvo-flv/ZelvoResFLV");
        QTest::newRow("a folder copied anywhere")
            << u8("我的 程式/Zelvo FLV")
            << QStringList{u8("我的 程式/Zelvo FLV/bin/Zelvo.FLV"),
                           u8("我的 程式/Zelvo FLV/lib/zelvo-flv/ZelvoResFLV")}
            << u8("我的 程式/Zelvo FLV/lib/zelvo-flv/ZelvoResFLV");
        // Where it is missing, it is looked for beside the program, so the message names
        // the place a build puts it.
        QTest::newRow("helper missing")
            << u8("opt") << QStringList{u8("opt/bin/Zelvo.FLV")} << u8("opt/bin/ZelvoResFLV");
    }
    void layouts() {
        QFETCH(QString, prefix);
        QFETCH(QStringList, files);
        QFETCH(QString, helper);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        for (const QString& file : files) {
            QVERIFY(touch(root.filePath(file)));
        }
        const QString base = root.path() + u'/' + prefix + u'/';
        // The program folder as the system hands it over, without the trailing "/", and a
        // temporary folder that exists.
        const AppPaths paths(base + u8("bin"), root.path());
        QCOMPARE(paths.programFolder(), base + u8("bin/"));
        QCOMPARE(paths.program(), base + u8("bin/Zelvo.FLV"));
        QCOMPARE(paths.resourceProgram(), root.path() + u'/' + helper);
        QCOMPARE(paths.helpFolder(), base + u8("share/zelvo-flv/help/"));
        QCOMPARE(paths.helpFile(), base + u8("share/zelvo-flv/help/Zelvo.FLV.html"));
        QCOMPARE(paths.codecHelpFile(), base + u8("share/zelvo-flv/help/Voduv.ADI.html"));
        // The home page is an address a browser opens: blanks and Chinese escaped.
        const QString home = paths.homePage();
        QVERIFY(home.startsWith(u8("file:///")));
        QVERIFY(home.endsWith(u8("/help/")));
        QVERIFY(!home.contains(u' '));
        QCOMPARE(QUrl(home + u8("index.html")).toLocalFile(),
                 paths.helpFolder() + u8("index.html"));
        QCOMPARE(paths.tempFolder(), root.path() + u'/');
        QCOMPARE(paths.mencoder(), root.path() + u8("/~tmpExtMcd"));
        QCOMPARE(paths.sampleClip(), root.path() + u8("/~tmpExtFlv.wmv"));
    }

    // Settings go beside a program whose folder is writable, and otherwise into the user's
    // configuration folder; a temporary folder that is not there gives way to the program's.
    void settingsAndTemp() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(touch(root.filePath(u8("bin/Zelvo.FLV"))));
        qunsetenv("ZELVO_SETTINGS_DIR");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(u8("config"))));
        const AppPaths writable(root.filePath(u8("bin")), root.filePath(u8("gone")));
        QCOMPARE(writable.settingsFolder(), root.filePath(u8("bin")) + u'/');
        QCOMPARE(writable.jobsFolder(), root.filePath(u8("bin/jobs")));
        QCOMPARE(writable.tempFolder(), root.filePath(u8("bin")) + u'/');
        if (::geteuid() == 0) {
            QSKIP("every folder is writable for root");
        }
        QVERIFY(QFile::setPermissions(root.filePath(u8("bin")),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const AppPaths readOnly(root.filePath(u8("bin")), root.path());
        const QString settings = readOnly.settingsFile(u8("Zelvo.FLV.ini"));
        QVERIFY(QFile::setPermissions(root.filePath(u8("bin")), QFileDevice::ReadOwner |
                                                                    QFileDevice::WriteOwner |
                                                                    QFileDevice::ExeOwner));
        QCOMPARE(settings, root.filePath(u8("config/Zelvo.FLV/Zelvo.FLV.ini")));
    }

    // Installed by the package manager when the package's file list names this program
    // (directly or through a link), otherwise a folder copy.
    void install_data() {
        QTest::addColumn<QByteArray>("list");  // the package's list; "-" none
        QTest::addColumn<bool>("package");
        QTest::newRow("no package") << QByteArray("-") << false;
        QTest::newRow("listed") << QByteArray("/.\n/@/share\n/@/bin/Zelvo.FLV\n") << true;
        QTest::newRow("listed through a link") << QByteArray("/link/bin/Zelvo.FLV\n") << true;
        QTest::newRow("another copy listed")
            << QByteArray("/usr/bin/Zelvo.FLV\n/usr/bin\n") << false;
        QTest::newRow("a long line") << QByteArray(10000, 'x') + "\n" << false;
    }
    void install() {
        QFETCH(QByteArray, list);
        QFETCH(bool, package);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(touch(root.filePath(u8("prefix/bin/Zelvo.FLV"))));
        QVERIFY(QFile::link(root.filePath(u8("prefix")), root.filePath(u8("link"))));
        const QString database = root.filePath(u8("dpkg/info"));
        QDir().mkpath(database);
        if (list != "-") {
            list.replace("/@", QFile::encodeName(root.filePath(u8("prefix"))));
            list.replace("/link", QFile::encodeName(root.filePath(u8("link"))));
            QFile file(database + u8("/zelvo-flv.list"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(list);
        }
        const AppPaths paths(root.filePath(u8("prefix/bin")), root.path(), database);
        QCOMPARE(paths.install() == AppPaths::Install::Package, package);
    }
};

QTEST_MAIN(tst_AppPaths)
#include "tst_apppaths.moc"
