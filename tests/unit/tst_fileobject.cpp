#include "services/FileObject.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <utility>

namespace {

void touch(const QString& path, const QByteArray& content = QByteArray("x")) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

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
        auto row = [](const char* tag, const char* path, const char* base, const char* ext,
                      const char* name, const char* parent, const char* drive) {
            QTest::newRow(tag) << u8(path)
                               << QStringList{u8(base), u8(ext), u8(name), u8(parent), u8(drive)};
        };
        row("absolute", "/a/b.txt", "b", "txt", "b.txt", "/a/", "/");
        row("dot in folder", "/a.b/c", "c", "", "c", "/a.b/", "/");
        row("several dots", "/a/b.tar.gz", "b.tar", "gz", "b.tar.gz", "/a/", "/");
        row("trailing dot", "/a/b.", "b", "", "b.", "/a/", "/");
        row("dot file", "/home/u/.bashrc", "", "bashrc", ".bashrc", "/home/u/", "/");
        row("colon is a name character", "/v/clip:1.flv", "clip:1", "flv", "clip:1.flv", "/v/",
            "/");
        row("backslash is a name character", "\\a\\b.txt", "\\a\\b", "txt", "\\a\\b.txt", "", "\\");
        row("relative", "a.b/c.d", "c", "d", "c.d", "a.b/", "a");
        row("folder with trailing slash", "/a/b/", "", "", "", "/a/b/", "/");
        row("blanks around", "  /a/b.txt  ", "b", "txt", "b.txt", "/a/", "/");
        row("separator first", "/b.txt", "", "", "", "", "");
        row("dot first", ".flv", "", "", "", "", "");
        row("empty", "", "", "", "", "", "");
    }
    void splitter() {
        QFETCH(QString, path);
        QFETCH(QStringList, parts);
        const auto split = [this](auto& p) {
            return QStringList{fo.GetBaseName(p), fo.GetExtensionName(p), fo.GetFileName(p),
                               fo.GetParentFolderName(p), fo.GetDriveName(p)};
        };
        QCOMPARE(split(std::as_const(path)), parts);
        QCOMPARE(split(path), parts);
    }

    // The overloads taking a variable write the trimmed path back; only blanks are trimmed.
    void trimWrittenBack() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString trimmed = dir.filePath(u8("-a b\t.txt"));
        const std::function<void(QString&)> calls[] = {
            [this](QString& p) { fo.FileExists(p); }, [this](QString& p) { fo.GetFileName(p); },
            [this, &trimmed](QString& p) { QCOMPARE(fo.ShortPath(p), trimmed); },
            [this](QString& p) { fo.DeleteFile(p); },
            [this](QString& p) { fo.CreateTextFile(p, QString()); }};
        for (const auto& call : calls) {
            QString path = u8("  ") + trimmed + u8("   ");
            call(path);
            QCOMPARE(path, trimmed);
        }
    }

    void existence_data() {
        QTest::addColumn<QString>("name");  // relative to the test folder
        QTest::addColumn<bool>("isFile");
        QTest::addColumn<bool>("isFolder");
        QTest::newRow("file, blanks around") << u8("  plain.flv ") << true << false;
        QTest::newRow("odd name") << u8("-影片 \"1\".flv") << true << false;
        QTest::newRow("link to file") << u8("link.flv") << true << false;
        QTest::newRow("folder") << u8("folder.flv") << false << true;
        QTest::newRow("missing") << u8("missing.flv") << false << false;
        QTest::newRow("empty") << QString() << false << false;
    }
    void existence() {
        QFETCH(QString, name);
        QFETCH(bool, isFile);
        QFETCH(bool, isFolder);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        touch(dir.filePath(u8("plain.flv")));
        touch(dir.filePath(u8("-影片 \"1\".flv")));
        QVERIFY(QDir(dir.path()).mkdir(u8("folder.flv")));
        QVERIFY(QFile::link(dir.filePath(u8("plain.flv")), dir.filePath(u8("link.flv"))));
        CurrentFolderGuard guard;
        QVERIFY(QDir::setCurrent(dir.path()));
        // Relative to the current folder, and absolute.
        for (const QString& path : {name, name.isEmpty() ? name : dir.filePath(name.trimmed())}) {
            QCOMPARE(QList<bool>({fo.FileExists(path), fo.FolderExists(path)}),
                     QList<bool>({isFile, isFolder}));
        }
    }

    void deleteFile_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("relative");
        QTest::addColumn<QString>("remaining");
        auto row = [](const char* tag, const char* pattern, bool relative, const char* remaining) {
            QTest::newRow(tag) << u8(pattern) << relative << u8(remaining);
        };
        const char* all =
            ".~tmpS.flv keep.flv ~fix~tmpS1.flv ~tmpS.d ~tmpS1.flv ~tmpS2.flv ~tmpSab.flv";
        const char* noTemps = ".~tmpS.flv keep.flv ~fix~tmpS1.flv ~tmpS.d";
        row("temp files", "~tmpS*.*", true, noTemps);
        row("temp files, absolute", "~tmpS*.*", false, noTemps);
        row("question mark", "~tmpS?.flv", true,
            ".~tmpS.flv keep.flv ~fix~tmpS1.flv ~tmpS.d ~tmpSab.flv");
        row("all, hidden too, no folders", "*", false, "~tmpS.d");
        row("one file, blanks around", " keep.flv ", false,
            ".~tmpS.flv ~fix~tmpS1.flv ~tmpS.d ~tmpS1.flv ~tmpS2.flv ~tmpSab.flv");
        row("folder name", "~tmpS.d", true, all);
    }
    void deleteFile() {
        QFETCH(QString, pattern);
        QFETCH(bool, relative);
        QFETCH(QString, remaining);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* name : {".~tmpS.flv", "keep.flv", "~fix~tmpS1.flv", "~tmpS1.flv",
                                 "~tmpSab.flv", "~tmpS2.flv"}) {
            touch(dir.filePath(u8(name)));
        }
        QVERIFY(QDir(dir.path()).mkdir(u8("~tmpS.d")));
        touch(dir.filePath(u8("~tmpS.d/inside.flv")));
        CurrentFolderGuard guard;
        QVERIFY(QDir::setCurrent(dir.path()));
        fo.DeleteFile(relative ? pattern : dir.path() + u8("/") + pattern.trimmed());
        QCOMPARE(entries(dir.path()).join(u' '), remaining);
        QCOMPARE(entries(dir.filePath(u8("~tmpS.d"))), QStringList{u8("inside.flv")});
    }

    void createTextFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain") << "a.txt" << u8("abc") << QByteArray("abc\r\n");
        QTest::newRow("empty text") << "a.txt" << QString() << QByteArray("\r\n");
        QTest::newRow("Chinese, odd name")  // UTF-8, as this source file is
            << "-清單 \"1\".plt" << u8("/影片/a.flv∥1-2") << QByteArray("/影片/a.flv∥1-2\r\n");
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
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QCOMPARE(entries(dir.path()), QStringList{name});  // no temporary file left behind
    }

    void specialFolders() {
        QTemporaryDir dir;
        const QByteArray saved = qgetenv("TMPDIR");
        qputenv("TMPDIR", dir.path().toUtf8());
        const QString temp = fo.GetSpecialFolder(2);
        qputenv("TMPDIR", saved);
        QCOMPARE(temp + u8("|") + fo.GetSpecialFolder(3), dir.path() + u8("/|"));
    }
};

QTEST_GUILESS_MAIN(TstFileObject)
#include "tst_fileobject.moc"
