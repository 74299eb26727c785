#include "services/FileObject.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

void touch(const QString& path, const QByteArray& content = QByteArray("x")) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList names(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* name : list) {
        result.append(QString::fromUtf8(name));
    }
    return result;
}

// Keeps the process's current folder as it was, whatever a test changes.
struct CurrentFolderGuard {
    QString saved = QDir::currentPath();
    ~CurrentFolderGuard() { QDir::setCurrent(saved); }
};

}  // namespace

class TstFileObject : public QObject {
    Q_OBJECT

private:
    const FileObject& fo = FileObject::shared();

private Q_SLOTS:
    void splitter_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("parts");  // base, extension, file name, parent, drive
        auto row = [](const char* name, const QString& path, const QStringList& parts) {
            QTest::newRow(name) << path << parts;
        };
        const QStringList none{QString(), QString(), QString(), QString(), QString()};
        auto s = [](const char* text) { return QString::fromUtf8(text); };
        row("absolute", s("/a/b.txt"), {s("b"), s("txt"), s("b.txt"), s("/a/"), s("/")});
        row("dot in folder", s("/a.b/c"), {s("c"), QString(), s("c"), s("/a.b/"), s("/")});
        row("several dots", s("/a/b.tar.gz"),
            {s("b.tar"), s("gz"), s("b.tar.gz"), s("/a/"), s("/")});
        row("trailing dot", s("/a/b."), {s("b"), QString(), s("b."), s("/a/"), s("/")});
        row("two trailing dots", s("/a/b.."), {s("b."), QString(), s("b.."), s("/a/"), s("/")});
        row("dot file", s("/home/u/.bashrc"),
            {QString(), s("bashrc"), s(".bashrc"), s("/home/u/"), s("/")});
        row("colon is a name character", s("/v/clip:1.flv"),
            {s("clip:1"), s("flv"), s("clip:1.flv"), s("/v/"), s("/")});
        row("drive-like relative", s("c:a.flv"),
            {s("c:a"), s("flv"), s("c:a.flv"), QString(), s("c")});
        row("backslash is a name character", s("\\a\\b.txt"),
            {s("\\a\\b"), s("txt"), s("\\a\\b.txt"), QString(), s("\\")});
        row("relative", s("a.b/c.d"), {s("c"), s("d"), s("c.d"), s("a.b/"), s("a")});
        row("no dot no folder", s("readme"),
            {s("readme"), QString(), s("readme"), QString(), s("r")});
        row("folder with trailing slash", s("/a/b/"),
            {QString(), QString(), QString(), s("/a/b/"), s("/")});
        row("dot folder, plain name", s("a./b"), {s("b"), QString(), s("b"), s("a./"), s("a")});
        row("Chinese and blanks", s("/影片/第 1 集.FLV"),
            {s("第 1 集"), s("FLV"), s("第 1 集.FLV"), s("/影片/"), s("/")});
        row("blanks around", s("  /a/b.txt  "), {s("b"), s("txt"), s("b.txt"), s("/a/"), s("/")});
        row("separator first", s("/b.txt"), none);
        row("root only", s("/"), none);
        row("dot first", s(".flv"), none);
        row("empty", QString(), none);
        row("blanks only", s("   "), none);
    }
    void splitter() {
        QFETCH(QString, path);
        QFETCH(QStringList, parts);
        const QStringList got{fo.GetBaseName(path), fo.GetExtensionName(path), fo.GetFileName(path),
                              fo.GetParentFolderName(path), fo.GetDriveName(path)};
        QCOMPARE(got, parts);
        const QString constPath = path;
        const QStringList viaConst{fo.GetBaseName(constPath), fo.GetExtensionName(constPath),
                                   fo.GetFileName(constPath), fo.GetParentFolderName(constPath),
                                   fo.GetDriveName(constPath)};
        QCOMPARE(viaConst, parts);
    }

    void trimWrittenBack_data() {
        QTest::addColumn<int>("op");
        const char* names[] = {"FileExists",       "FolderExists", "GetBaseName",
                               "GetExtensionName", "GetFileName",  "GetParentFolderName",
                               "GetDriveName",     "ShortPath",    "DeleteFile",
                               "CreateTextFile"};
        for (int i = 0; i < 10; ++i) {
            QTest::newRow(names[i]) << i;
        }
    }
    void trimWrittenBack() {
        QFETCH(int, op);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString trimmed = dir.filePath(QStringLiteral("-a b\t.txt"));
        QString path = QStringLiteral("  ") + trimmed + QStringLiteral("   ");
        const std::function<void()> calls[] = {
            [&] { fo.FileExists(path); },   [&] { fo.FolderExists(path); },
            [&] { fo.GetBaseName(path); },  [&] { fo.GetExtensionName(path); },
            [&] { fo.GetFileName(path); },  [&] { fo.GetParentFolderName(path); },
            [&] { fo.GetDriveName(path); }, [&] { QCOMPARE(fo.ShortPath(path), trimmed); },
            [&] { fo.DeleteFile(path); },   [&] { fo.CreateTextFile(path, QString()); }};
        calls[op]();
        // Only blanks are trimmed: the tab inside the name stays.
        QCOMPARE(path, trimmed);
    }

    void existence_data() {
        QTest::addColumn<QString>("name");  // inside the test folder
        QTest::addColumn<bool>("relative");
        QTest::addColumn<bool>("isFile");
        QTest::addColumn<bool>("isFolder");
        QTest::newRow("plain file") << "plain.flv" << false << true << false;
        QTest::newRow("plain file, relative") << "plain.flv" << true << true << false;
        QTest::newRow("blanks around") << "  plain.flv " << true << true << false;
        QTest::newRow("hidden file") << ".hidden" << false << true << false;
        QTest::newRow("read-only file") << "readonly.flv" << false << true << false;
        QTest::newRow("odd name") << QStringLiteral("-影片 \"1\".flv") << true << true << false;
        QTest::newRow("link to file") << "link.flv" << false << true << false;
        QTest::newRow("folder") << "folder.flv" << false << false << true;
        QTest::newRow("folder, relative") << "folder.flv" << true << false << true;
        QTest::newRow("hidden folder") << ".cache" << false << false << true;
        QTest::newRow("missing") << "missing.flv" << false << false << false;
        QTest::newRow("dangling link") << "dangling.flv" << false << false << false;
        QTest::newRow("empty") << "" << true << false << false;
    }
    void existence() {
        QFETCH(QString, name);
        QFETCH(bool, relative);
        QFETCH(bool, isFile);
        QFETCH(bool, isFolder);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        touch(dir.filePath(QStringLiteral("plain.flv")));
        touch(dir.filePath(QStringLiteral(".hidden")));
        touch(dir.filePath(QStringLiteral("readonly.flv")));
        QFile::setPermissions(dir.filePath(QStringLiteral("readonly.flv")), QFile::ReadOwner);
        touch(dir.filePath(QStringLiteral("-影片 \"1\".flv")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.flv")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral(".cache")));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("plain.flv")),
                            dir.filePath(QStringLiteral("link.flv"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone.flv")),
                            dir.filePath(QStringLiteral("dangling.flv"))));

        CurrentFolderGuard guard;
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString path =
            relative || name.isEmpty() ? name : dir.path() + QLatin1Char('/') + name;
        QCOMPARE(fo.FileExists(path), isFile);
        QCOMPARE(fo.FolderExists(path), isFolder);
    }

    void deleteFile_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("relative");
        QTest::addColumn<QStringList>("remaining");
        const QStringList all =
            names({".~tmpShidden.flv", "keep.flv", "ro.flv", "~fix~tmpSP001.flv", "~tmpSDir.d",
                   "~tmpSJoin.flv", "~tmpSP001.flv", "~tmpSP002.flv"});
        auto without = [&all](std::initializer_list<const char*> gone) {
            QStringList left = all;
            for (const char* name : gone) {
                left.removeAll(QString::fromUtf8(name));
            }
            return left;
        };
        QTest::newRow("temp files")
            << "~tmpS*.*" << true << without({"~tmpSJoin.flv", "~tmpSP001.flv", "~tmpSP002.flv"});
        QTest::newRow("temp files, absolute")
            << "~tmpS*.*" << false << without({"~tmpSJoin.flv", "~tmpSP001.flv", "~tmpSP002.flv"});
        QTest::newRow("fixed temp files")
            << "~fix~tmpS*.*" << true << without({"~fix~tmpSP001.flv"});
        QTest::newRow("question mark")
            << "~tmpSP00?.flv" << true << without({"~tmpSP001.flv", "~tmpSP002.flv"});
        QTest::newRow("everything but folders") << "*" << false << names({"~tmpSDir.d"});
        QTest::newRow("hidden") << ".~*" << true << without({".~tmpShidden.flv"});
        QTest::newRow("read-only") << "ro.*" << true << without({"ro.flv"});
        QTest::newRow("one file") << " keep.flv " << false << without({"keep.flv"});
        QTest::newRow("folder name") << "~tmpSDir.d" << true << all;
        QTest::newRow("no match") << "nomatch*" << true << all;
        QTest::newRow("case matters") << "KEEP.FLV" << true << all;
    }
    void deleteFile() {
        QFETCH(QString, pattern);
        QFETCH(bool, relative);
        QFETCH(QStringList, remaining);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* name : {".~tmpShidden.flv", "keep.flv", "ro.flv", "~fix~tmpSP001.flv",
                                 "~tmpSJoin.flv", "~tmpSP001.flv", "~tmpSP002.flv"}) {
            touch(dir.filePath(QString::fromLatin1(name)));
        }
        QFile::setPermissions(dir.filePath(QStringLiteral("ro.flv")), QFile::ReadOwner);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("~tmpSDir.d")));
        touch(dir.filePath(QStringLiteral("~tmpSDir.d/inside.flv")));

        CurrentFolderGuard guard;
        QVERIFY(QDir::setCurrent(dir.path()));
        fo.DeleteFile(relative ? pattern : dir.path() + QLatin1Char('/') + pattern.trimmed());
        QCOMPARE(entries(dir.path()), remaining);
        QCOMPARE(entries(dir.filePath(QStringLiteral("~tmpSDir.d"))),
                 QStringList{QStringLiteral("inside.flv")});
    }

    void createTextFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain") << "a.txt"
                               << "abc" << QByteArray("abc\r\n");
        QTest::newRow("empty text") << "a.txt"
                                    << "" << QByteArray("\r\n");
        QTest::newRow("lines") << "a.txt"
                               << "a\r\nb" << QByteArray("a\r\nb\r\n");
        QTest::newRow("Chinese, odd name")
            << QStringLiteral("-清單 \"1\".plt") << QStringLiteral("/影片/a.flv∥1-2")
            << QByteArray(
                   "/\xe5\xbd\xb1\xe7\x89\x87/a.flv\xe2\x88\xa5"
                   "1-2\r\n");
    }
    void createTextFile() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(name);
        touch(path, QByteArray(200, 'o'));  // a longer old file must be replaced, not overwritten
        fo.CreateTextFile(path, text);
        QCOMPARE(readAll(path), bytes);
        QCOMPARE(entries(dir.path()), QStringList{name});  // no temporary file left behind
    }

    void createTextFileFailureIgnored() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("missing/a.txt"));
        fo.CreateTextFile(path, QStringLiteral("x"));
        QVERIFY(!QFile::exists(path));
        fo.CreateTextFile(QString(), QStringLiteral("x"));
    }

    void specialFolders() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray saved = qgetenv("TMPDIR");
        qputenv("TMPDIR", dir.path().toUtf8());
        const QString temp = fo.GetSpecialFolder(2);
        qputenv("TMPDIR", saved);
        QCOMPARE(temp, dir.path() + QLatin1Char('/'));
        QVERIFY(fo.FolderExists(fo.GetSpecialFolder(0)));
        QVERIFY(fo.FolderExists(fo.GetSpecialFolder(1)));
        QCOMPARE(fo.GetSpecialFolder(3), QString());
        QCOMPARE(fo.GetSpecialFolder(-1), QString());
    }
};

QTEST_GUILESS_MAIN(TstFileObject)
#include "tst_fileobject.moc"
