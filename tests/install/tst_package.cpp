// The Debian package `make package` builds: its name and version, every file a user gets
// and nothing else, a Depends that names the package of every library the programs link and
// the programs and fonts they run with, and apt's answer that it would install it here.
#include "InstallKit.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The packages a Depends, Recommends… field names, without versions or alternatives.
QStringList packageNames(const QString& field) {
    QStringList names;
    for (const QString& item : field.split(u',', Qt::SkipEmptyParts)) {
        for (const QString& choice : item.split(u'|', Qt::SkipEmptyParts)) {
            names << choice.trimmed().section(u' ', 0, 0).section(u':', 0, 0);
        }
    }
    return names;
}

// The libraries a program names itself (not those they load in turn), with the file each
// resolves to here.
QHash<QString, QString> linkedLibraries(const QString& program) {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QStringList needed;
    const testsupport::RunResult dump =
        testsupport::run(QStringLiteral("objdump"), {QStringLiteral("-p"), program}, env);
    static const QRegularExpression neededLine(QStringLiteral(R"(^\s*NEEDED\s+(\S+)\s*$)"),
                                               QRegularExpression::MultilineOption);
    for (auto m = neededLine.globalMatch(QString::fromUtf8(dump.output)); m.hasNext();) {
        needed << m.next().captured(1);
    }
    QHash<QString, QString> libraries;
    const testsupport::RunResult ldd = testsupport::run(QStringLiteral("ldd"), {program}, env);
    static const QRegularExpression resolved(QStringLiteral(R"(^\s*(\S+) => (/\S+))"),
                                             QRegularExpression::MultilineOption);
    for (auto m = resolved.globalMatch(QString::fromUtf8(ldd.output)); m.hasNext();) {
        const auto match = m.next();
        if (needed.contains(match.captured(1))) {
            libraries.insert(match.captured(1), match.captured(2));
        }
    }
    for (const QString& name : std::as_const(needed)) {
        if (!libraries.contains(name)) {
            libraries.insert(name, QString());  // not found here: the test names it
        }
    }
    return libraries;
}

// The installed package that holds each file (none when no package does), asked of dpkg at
// once: each question reads its whole list of files. With /lib a link to /usr/lib, a library
// is registered under either name.
QHash<QString, QString> owningPackages(const QStringList& files) {
    QHash<QString, QStringList> candidates;
    QStringList all;
    for (const QString& file : files) {
        QStringList names;
        for (const QString& path : {file, QFileInfo(file).canonicalFilePath()}) {
            names << path
                  << (path.startsWith(QLatin1String("/usr/")) ? path.mid(4)
                                                              : QStringLiteral("/usr") + path);
        }
        candidates.insert(file, names);
        all << names;
    }
    all.removeDuplicates();
    const testsupport::RunResult r =
        testsupport::run(QStringLiteral("dpkg"), QStringList{QStringLiteral("-S")} + all,
                         QProcessEnvironment::systemEnvironment());
    QHash<QString, QString> owner;  // "libc6:amd64: /lib/x86_64-linux-gnu/libc.so.6"
    for (const QString& line : QString::fromUtf8(r.output).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(QLatin1String(": /"));
        if (colon > 0) {
            owner.insert(line.mid(colon + 2), line.left(colon).section(u':', 0, 0).trimmed());
        }
    }
    QHash<QString, QString> packages;
    for (auto it = candidates.cbegin(); it != candidates.cend(); ++it) {
        for (const QString& name : it.value()) {
            if (owner.contains(name)) {
                packages.insert(it.key(), owner.value(name));
                break;
            }
        }
    }
    return packages;
}

}  // namespace

class tst_Package : public QObject {
    Q_OBJECT

    QTemporaryDir m_out{QDir::tempPath() + QStringLiteral("/zelvo package XXXXXX")};
    QString m_deb;
    QStringList m_depends;

    QString field(const QString& name) const {
        const testsupport::RunResult r =
            testsupport::run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), m_deb, name},
                             QProcessEnvironment::systemEnvironment());
        return r.exitCode == 0 ? QString::fromUtf8(r.output).trimmed() : QString();
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_out.isValid());
        const testsupport::RunResult r = testsupport::run(
            qEnvironmentVariable("ZELVO_CPACK"),
            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
             installkit::buildDir() + QStringLiteral("/CPackConfig.cmake"), QStringLiteral("-B"),
             m_out.path()},
            QProcessEnvironment::systemEnvironment(), m_out.path(), 300000);
        QVERIFY2(r.exitCode == 0, r.output.constData());
        const QStringList debs = QDir(m_out.path()).entryList({QStringLiteral("*.deb")});
        QCOMPARE(debs.size(), 1);
        m_deb = m_out.filePath(debs.constFirst());
        m_depends = packageNames(field(QStringLiteral("Depends")));
    }

    void nameVersionAndArchitecture() {
        const testsupport::RunResult arch =
            testsupport::run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")},
                             QProcessEnvironment::systemEnvironment());
        const QString architecture = QString::fromUtf8(arch.output).trimmed();
        QCOMPARE(field(QStringLiteral("Package")), QStringLiteral("zelvo-flv"));
        QCOMPARE(field(QStringLiteral("Version")), QStringLiteral(ZELVO_VERSION));
        QCOMPARE(field(QStringLiteral("Architecture")), architecture);
        QCOMPARE(
            QFileInfo(m_deb).fileName(),
            QStringLiteral("zelvo-flv_%1_%2.deb").arg(QStringLiteral(ZELVO_VERSION), architecture));
        QVERIFY(!field(QStringLiteral("Maintainer")).isEmpty());
        QVERIFY(
            field(QStringLiteral("Description")).contains(QLatin1String("Traditional Chinese")));
    }

    // The program, its helper programs, the help, the desktop entry, the metadata and the
    // icons under /usr; the programs executable by everyone.
    void holdsEveryFileAndNothingElse() {
        const testsupport::RunResult r =
            testsupport::run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), m_deb},
                             QProcessEnvironment::systemEnvironment());
        QCOMPARE(r.exitCode, 0);
        QStringList files;
        QStringList executables;
        for (const QString& line : QString::fromUtf8(r.output).split(u'\n', Qt::SkipEmptyParts)) {
            // "-rwxr-xr-x root/root  1234 2026-01-01 00:00 ./usr/bin/Zelvo.FLV"
            const qsizetype path = line.indexOf(QLatin1String(" ./"));
            QVERIFY2(path > 0, qPrintable(line));
            if (line.startsWith(u'-')) {
                files << line.mid(path + 3);
                if (line.startsWith(QLatin1String("-rwxr-xr-x"))) {
                    executables << line.mid(path + 3);
                }
            }
        }
        files.sort();
        QStringList expected;
        for (const QString& file : installkit::installedFiles()) {
            expected << QStringLiteral("usr/") + file;
        }
        QCOMPARE(files, expected);
        executables.sort();
        QCOMPARE(executables, (QStringList{QStringLiteral("usr/bin/Zelvo.FLV"),
                                           QStringLiteral("usr/lib/zelvo-flv/ZelvoResFLV"),
                                           QStringLiteral("usr/lib/zelvo-flv/ZelvoToolFLV")}));
    }

    // One row per library a program links: the package that holds it here is in Depends,
    // so `apt install` brings it.
    void dependsCoversEveryLinkedLibrary_data() {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("package");
        QList<std::pair<QString, QHash<QString, QString>>> programs;
        QStringList files;
        for (const char* program : {"Zelvo.FLV", "ZelvoResFLV", "ZelvoToolFLV"}) {
            const QHash<QString, QString> libraries =
                linkedLibraries(testsupport::binDir() + u'/' + QLatin1String(program));
            QVERIFY2(!libraries.isEmpty(), program);
            programs.append({QLatin1String(program), libraries});
            files << libraries.values();
        }
        const QHash<QString, QString> owners = owningPackages(files);
        for (const auto& [program, libraries] : std::as_const(programs)) {
            for (auto it = libraries.cbegin(); it != libraries.cend(); ++it) {
                QTest::addRow("%s %s", qPrintable(program), qPrintable(it.key()))
                    << it.key() << it.value() << owners.value(it.value());
            }
        }
    }
    void dependsCoversEveryLinkedLibrary() {
        QFETCH(QString, library);
        QFETCH(QString, file);
        QFETCH(QString, package);
        QVERIFY2(!file.isEmpty(), qPrintable(library + QStringLiteral(" is not found here")));
        QVERIFY2(!package.isEmpty(), qPrintable(file + QStringLiteral(" is in no package")));
        QVERIFY2(m_depends.contains(package),
                 qPrintable(package + QStringLiteral(" (") + library +
                            QStringLiteral(") is missing from Depends")));
    }

    // What the program runs and shows with, beyond the libraries it links.
    void dependsNamesToolsFontsAndPlatform_data() {
        QTest::addColumn<QString>("package");
        for (const char* package :
             {"libmpv2", "ffmpeg", "flvmeta", "fonts-noto-cjk", "qt6-qpa-plugins", "libqt6widgets6",
              "libqt6opengl6", "libqt6openglwidgets6", "libqt6network6", "libqt6dbus6"}) {
            QTest::newRow(package) << QString::fromLatin1(package);
        }
    }
    void dependsNamesToolsFontsAndPlatform() {
        QFETCH(QString, package);
        QVERIFY(m_depends.contains(package));
        // A name apt knows: the package is installed here, where the tests run the program.
        const testsupport::RunResult r =
            testsupport::run(QStringLiteral("dpkg-query"), {QStringLiteral("-W"), package},
                             QProcessEnvironment::systemEnvironment());
        QVERIFY2(r.exitCode == 0, r.output.constData());
    }

    void recommendsWaylandAndTranslations() {
        const QStringList recommends = packageNames(field(QStringLiteral("Recommends")));
        QVERIFY(recommends.contains(QStringLiteral("qt6-wayland")));
        QVERIFY(recommends.contains(QStringLiteral("qt6-translations-l10n")));
    }

    // apt would install the file as it is (a dry run: nothing is installed).
    void aptWouldInstallIt() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        const testsupport::RunResult r =
            testsupport::run(QStringLiteral("apt-get"),
                             {QStringLiteral("install"), QStringLiteral("--simulate"),
                              QStringLiteral("--no-install-recommends"), m_deb},
                             env);
        const QString output = QString::fromUtf8(r.output);
        QVERIFY2(r.exitCode == 0, r.output.constData());
        QVERIFY2(output.contains(QLatin1String("Inst zelvo-flv ")) ||
                     output.contains(QLatin1String("zelvo-flv is already the newest version")),
                 r.output.constData());
    }
};

QTEST_GUILESS_MAIN(tst_Package)
#include "tst_package.moc"
