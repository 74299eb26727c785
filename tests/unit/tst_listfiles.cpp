// List files: reading each format (line ends, encodings, relative paths, comments, entry
// order, entities, damaged files), refusing what is no list, the exact bytes written, the
// round trip through every format, and a failed write leaving the old list whole.
#include "TestSupport.h"
#include "core/lists/ListFiles.h"
#include "core/lists/mdlLineFormat.h"

#include <sys/resource.h>
#include <csignal>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace testsupport;

namespace {

// Where the tests put their lists; "@" in an expected item stands for the temporary folder.
const QString listFolder = QStringLiteral("lists");

enum Setup { NoFile, Folder, Bytes, Oversized };

}  // namespace

class tst_ListFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir(m_dir->path()).mkdir(listFolder));
    }
    void format_data();
    void format();
    void read_data();
    void read();
    void refused_data();
    void refused();
    void longLists_data();
    void longLists();
    void hostileLists_data();
    void hostileLists();
    void overlongEntries_data();
    void overlongEntries();
    void write_data();
    void write();
    void roundTrip_data();
    void roundTrip();
    void failedWrite_data();
    void failedWrite();
    void interruptedWriteKeepsOldList();

private:
    QString listPath(const QString& name) const {
        return m_dir->filePath(listFolder + QLatin1Char('/') + name);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_ListFiles::format_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<ListFileFormat>("format");
    QTest::newRow("plt") << u8("/a/list.plt") << ListFileFormat::Plt;
    QTest::newRow("m3u") << u8("/a/list.M3U") << ListFileFormat::M3u;
    QTest::newRow("m3u8") << u8("/a/list.m3u8") << ListFileFormat::M3u;
    QTest::newRow("pls") << u8("/a/list.Pls") << ListFileFormat::Pls;
    QTest::newRow("asx") << u8("/a/list.ASX") << ListFileFormat::Asx;
    QTest::newRow("other") << u8("/a/list.txt") << ListFileFormat::Plt;
    QTest::newRow("none") << u8("/a.pls/list") << ListFileFormat::Plt;
}

void tst_ListFiles::format() {
    QFETCH(QString, path);
    QFETCH(ListFileFormat, format);
    QCOMPARE(listFileFormat(path), format);
}

void tst_ListFiles::read_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("items");
    auto row = [](const char* tag, const char* name, const QByteArray& bytes,
                  std::initializer_list<const char*> items) {
        QStringList list;
        for (const char* item : items) {
            list << u8(item);
        }
        QTest::newRow(tag) << u8(name) << bytes << list;
    };

    row("plt crlf", "a.plt", "/a/x.flv\r\n \t/a/y z.flv∥120-480 900-1500\t \r\n\r\nnot a path\r\n",
        {"/a/x.flv", "/a/y z.flv∥120-480 900-1500", "not a path"});
    row("plt lf", "a.plt", "\n/a/1.flv\n\n   \n/a/2.flv", {"/a/1.flv", "/a/2.flv"});
    row("plt cr", "a.plt", "/a/1.flv\r/a/2.flv\r\r", {"/a/1.flv", "/a/2.flv"});
    row("plt relative and windows paths unchanged", "a.plt", "C:\\Videos\\a.flv\r\nrel/b.flv\r\n",
        {"C:\\Videos\\a.flv", "rel/b.flv"});
    row("bom", "a.plt", "\xEF\xBB\xBF/影片/a.flv\r\n", {"/影片/a.flv"});
    row("big5", "a.plt", "/home/\xBC\x76\xA4\xF9/a.flv\r\nD:\\\xBC\x76\xA4\xF9\\b.flv\r\n",
        {"/home/影片/a.flv", "D:\\影片\\b.flv"});
    QTest::newRow("long line") << u8("a.plt") << "/" + QByteArray(4000, 'x') + "\n/b"
                               << QStringList{QLatin1Char('/') + QString(4000, u'x'), u8("/b")};
    row("empty", "a.plt", "", {});
    row("empty m3u", "a.m3u", "#EXTM3U\r\n", {});
    row("m3u", "a.m3u",
        "#EXTM3U\r\n#EXTINF:123,Title\r\nsub/a.flv\r\n../b.flv\r\n /abs/c d.flv \r\n"
        "HTTP://h/s.flv\r\nrtsp://h/live\r\nfile:///x/a%20b.flv\r\nD:\\v\\d.flv\r\nE:/v/e.flv\r\n"
        "\\\\server\\share\\f.flv\r\n./x∥y.flv\r\n",
        {"@/lists/sub/a.flv", "@/b.flv", "/abs/c d.flv", "HTTP://h/s.flv", "rtsp://h/live",
         "/x/a b.flv", "D:\\v\\d.flv", "E:/v/e.flv", "\\\\server\\share\\f.flv",
         "@/lists/x∥y.flv∥"});
    row("m3u8", "a.M3U8", "a.flv\n", {"@/lists/a.flv"});
    row("line break or NUL in a path", "a.m3u",
        "file:///a%0Ab.flv\nfile:///c%0D.flv\nfile:///e%00.flv\n/d.flv\n", {"/d.flv"});
    row("pls in the order of N", "a.pls",
        "[playlist]\nNumberOfEntries=3\nFile3=c.flv\nTitle3=c\nfile1=/a.flv\n FILE2 = http://h/b \n"
        "File10=/j.flv\nFileX=/bad\nFile=/bad\nFile-1=/bad\nLength1=-1\nFile4=\nVersion=2\n",
        {"/a.flv", "http://h/b", "@/lists/c.flv", "/j.flv"});
    row("asx", "a.asx",
        "<ASX version=\"3.0\"><!-- <ref href=\"/hidden.flv\"/> --><Entry><Title>t</Title>"
        "<REF HREF=\"/a&amp;b &lt;1&gt; &quot;q&quot; &apos;s&apos;.flv\"/></Entry>\n"
        "<entry><ref href='rel/&#24433;&#x7247;.flv'></ref></entry>\n"
        "<entry><Ref Href = http://h/s.asf ></entry><refx href=\"/no.flv\"/>"
        "<ref href=\"/bare & amp;&#0;&bogus;.flv\"/><ref foo=\"/no.flv\"/></asx>",
        {"/a&b <1> \"q\" 's'.flv", "@/lists/rel/影片.flv", "http://h/s.asf",
         "/bare & amp;&#0;&bogus;.flv"});
    row("asx line break in a path", "a.asx",
        "<ref href=\"/a&#10;b.flv\"/><ref href=\"/c&#x0D;.flv\"/><ref href=\"/d.flv\"/>",
        {"/d.flv"});
    row("asx unclosed quote", "a.asx", "<ref href=\"/ok.flv\"><ref href=\"/open.flv<ref <<<<",
        {"/ok.flv"});
    row("asx unclosed comment", "a.asx", "<ref href=/ok.flv><!-- <ref href=\"/no.flv\"/>",
        {"/ok.flv"});
    row("asx cut", "a.asx", "<entry><ref href=", {});
    row("asx no xml", "a.asx", "& < > <<ref>> = \" ' <ref/ href", {});
    // Relative paths are cleaned: ".." above the root stays at the root.
    const QByteArray up = QByteArray("../").repeated(40);
    QTest::newRow("m3u above the root")
        << u8("a.m3u") << up + "etc/shadow\n" + up + "./a/../b.flv\n"
        << QStringList{u8("/etc/shadow"), u8("/b.flv")};
    QTest::newRow("pls above the root") << u8("a.pls") << "[playlist]\nFile1=" + up + "etc/x\n"
                                        << QStringList{u8("/etc/x")};
    QTest::newRow("asx above the root")
        << u8("a.asx") << "<ref href=\"" + up + "etc/x\"/>" << QStringList{u8("/etc/x")};
    // A file name in another encoding than the list's is kept byte for byte.
    QTest::newRow("latin-1 line in a utf-8 list")
        << u8("a.m3u") << QByteArray("/\xe5\xbd\xb1.flv\n/music/caf\xe9.flv\n")
        << QStringList{u8("/影.flv"), u8("/music/caf") + QChar(char16_t(0xDCE9)) + u8(".flv")};
}

void tst_ListFiles::read() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, items);
    items.replaceInStrings(u8("@"), m_dir->path());
    QVERIFY(writeFile(listPath(name), bytes));

    const ListFileContents contents = readListFile(listPath(name));
    QCOMPARE(contents.error, QString());
    QCOMPARE(contents.items, items);
}

void tst_ListFiles::refused_data() {
    QTest::addColumn<int>("setup");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << int(NoFile) << QByteArray()
                             << u8("無法讀取清單檔案：@/lists/a.plt");
    QTest::newRow("folder") << int(Folder) << QByteArray() << u8("無法讀取清單檔案：@/lists/a.plt");
    QTest::newRow("binary") << int(Bytes) << QByteArray("/a.flv\n\0/b.flv\n", 15)
                            << u8("這不是文字格式的清單檔案：@/lists/a.plt");
    QTest::newRow("too large") << int(Oversized) << QByteArray()
                               << u8("清單檔案超過 64 MB，無法讀取：@/lists/a.plt");
}

void tst_ListFiles::refused() {
    QFETCH(int, setup);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const QString path = listPath(u8("a.plt"));
    if (setup == Folder) {
        QVERIFY(QDir().mkdir(path));
    } else if (setup == Bytes) {
        QVERIFY(writeFile(path, bytes));
    } else if (setup == Oversized) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(maxListFileSize + 1));
    }

    const ListFileContents contents = readListFile(path);
    QCOMPARE(contents.error, error.replace(u8("@"), m_dir->path()));
    QCOMPARE(contents.items, QStringList());
}

void tst_ListFiles::longLists_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("item");
    QTest::newRow("plt") << u8("a.plt") << u8("/media/影片/clip%1.flv∥120-480 900-1500")
                         << u8("/media/影片/clip%1.flv∥120-480 900-1500");
    QTest::newRow("m3u") << u8("a.m3u") << u8("影片/clip%1.flv") << u8("@/lists/影片/clip%1.flv");
}

// A hundred thousand entries read in well under a second.
void tst_ListFiles::longLists() {
    QFETCH(QString, name);
    QFETCH(QString, line);
    QFETCH(QString, item);
    item.replace(u8("@"), m_dir->path());
    constexpr int count = 100000;
    QString text;
    for (int i = 0; i < count; ++i) {
        text += line.arg(i) + u8("\r\n");
    }
    QVERIFY(writeFile(listPath(name), text.toUtf8()));

    // How fast this is, bench/playlist measures.
    const ListFileContents contents = readListFile(listPath(name));
    QCOMPARE(contents.items.size(), count);
    QCOMPARE(contents.items.first(), item.arg(0));
    QCOMPARE(contents.items.last(), item.arg(count - 1));
}

void tst_ListFiles::hostileLists_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("items");
    const qsizetype mb = 1024 * 1024;
    // (A path of 1 MB is none: the entry is then passed over.)
    QTest::newRow("asx of 1 MB of \"&\" in a path")
        << u8("a.asx") << "<ref href=\"/" + QByteArray(mb, '&') + "\"/>" << 0;
    QTest::newRow("asx of \"&\" and one \";\" at the end")
        << u8("a.asx") << "<ref href=\"/" + QByteArray(mb, '&') + ";\"/>" << 0;
    QTest::newRow("asx of unclosed tags")
        << u8("a.asx") << QByteArray("<ref href=a ").repeated(mb / 12) << int(mb / 12);
    QTest::newRow("m3u line climbing 1 MB")
        << u8("a.m3u") << QByteArray("a/../").repeated(mb / 5) << 1;
    QTest::newRow("plt of lines in Latin-1")
        << u8("a.plt") << QByteArray("/caf\xe9.flv\n").repeated(mb / 12) << int(mb / 12);
}

// Lists made to be slow to read are read in one pass: a 1 MB list takes milliseconds. The
// bound is generous on purpose (a busy machine, a sanitizer build); reading that goes back
// over the text for every character takes minutes here.
void tst_ListFiles::hostileLists() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, items);
    QVERIFY(writeFile(listPath(name), bytes));
    QElapsedTimer timer;
    timer.start();
    const ListFileContents contents = readListFile(listPath(name));
    const qint64 ms = timer.elapsed();
    QCOMPARE(contents.error, QString());
    QCOMPARE(contents.items.size(), items);
    QVERIFY2(ms < 2000, qPrintable(u8("%1 ms").arg(ms)));
}

void tst_ListFiles::overlongEntries_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray overlong = '/' + QByteArray(50 * 1024 * 1024, 'x');
    QTest::newRow("plt") << u8("a.plt") << "/a.flv\n" + overlong + "\n/b.flv\n";
    QTest::newRow("m3u") << u8("a.m3u") << "/a.flv\n" + overlong + "\n/b.flv\n";
    QTest::newRow("asx") << u8("a.asx")
                         << "<ref href=\"/a.flv\"/><ref href=\"" + overlong +
                                "\"/><ref href=\"/b.flv\"/>";
}

// An entry of 50 MB is no path: it is passed over and counted, the others are read.
void tst_ListFiles::overlongEntries() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QVERIFY(writeFile(listPath(name), bytes));
    const ListFileContents contents = readListFile(listPath(name));
    QCOMPARE(contents.error, QString());
    QCOMPARE(contents.items, QStringList({u8("/a.flv"), u8("/b.flv")}));
    QCOMPARE(contents.refused, 1);
}

void tst_ListFiles::write_data() {
    QTest::addColumn<ListFileFormat>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plt") << ListFileFormat::Plt
                         << QByteArray("/v/a b.flv∥1-2 5-9\r\nhttp://h/s?x=1&y=2\r\n");
    QTest::newRow("m3u") << ListFileFormat::M3u
                         << QByteArray("#EXTM3U\r\n/v/a b.flv\r\nhttp://h/s?x=1&y=2\r\n");
    QTest::newRow("pls") << ListFileFormat::Pls
                         << QByteArray(
                                "[playlist]\r\nFile1=/v/a b.flv\r\nTitle1=a b.flv\r\n"
                                "File2=http://h/s?x=1&y=2\r\nTitle2=s?x=1&y=2\r\n"
                                "NumberOfEntries=2\r\nVersion=2\r\n");
    QTest::newRow("asx") << ListFileFormat::Asx
                         << QByteArray(
                                "<asx version=\"3.0\">\r\n"
                                "<entry><ref href=\"/v/a b.flv\"/></entry>\r\n"
                                "<entry><ref href=\"http://h/s?x=1&amp;y=2\"/></entry>\r\n"
                                "</asx>\r\n");
}

void tst_ListFiles::write() {
    QFETCH(ListFileFormat, format);
    QFETCH(QByteArray, bytes);
    const QString path = listPath(u8("out"));
    QVERIFY(writeFile(path, "an older, longer list that the new one replaces\r\n"));

    QString error = u8("untouched");
    QVERIFY(
        writeListFile(path, {u8("/v/a b.flv∥1-2 5-9"), u8("http://h/s?x=1&y=2")}, format, &error));
    QCOMPARE(error, u8("untouched"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
}

void tst_ListFiles::roundTrip_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("plt") << u8("list.plt");
    QTest::newRow("m3u") << u8("list.m3u");
    QTest::newRow("pls") << u8("list.pls");
    QTest::newRow("asx") << u8("list.asx");
}

// The paths come back from every format; marks only from the program's own.
void tst_ListFiles::roundTrip() {
    QFETCH(QString, name);
    const QStringList items = {
        u8("/v/a b  c.flv"),
        u8("/v/\"q\" 'a' & <b> &amp;.flv"),
        u8("/影片/演唱會.flv"),
        u8("/v/-dash.flv"),
        u8("/v/x∥y.flv∥"),
        u8("/v/x∥y.flv∥10-20"),
        u8("http://h/s.flv?a=1&b=2"),
        u8("/v/m.flv∥120-480 900-1500"),
    };
    const QString path = listPath(name);
    const ListFileFormat format = listFileFormat(path);
    QVERIFY(writeListFile(path, items, format));

    const ListFileContents contents = readListFile(path);
    QCOMPARE(contents.error, QString());
    if (format == ListFileFormat::Plt) {
        QCOMPARE(contents.items, items);
        return;
    }
    QCOMPARE(contents.items.size(), items.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        QString marks;
        const QString written = splitItemMarks(items.at(i), &marks);
        QCOMPARE(splitItemMarks(contents.items.at(i), &marks), written);
        QCOMPARE(marks, QString());
    }
}

void tst_ListFiles::failedWrite_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("no such folder") << u8("missing/list.plt");
    QTest::newRow("a folder") << u8("folder.plt");
}

void tst_ListFiles::failedWrite() {
    QFETCH(QString, name);
    QVERIFY(QDir(m_dir->path()).mkdir(u8("folder.plt")));
    const QString path = m_dir->filePath(name);

    QString error;
    QVERIFY(!writeListFile(path, {u8("/a.flv")}, ListFileFormat::Plt, &error));
    QCOMPARE(error, u8("無法寫入清單檔案：") + path);
    QVERIFY(QFileInfo(m_dir->filePath(u8("folder.plt"))).isDir());
    QCOMPARE(filesIn(m_dir->path()), QStringList());
}

// A write cut short (here by a file size limit, which holds for every user) leaves the old
// list as it was and no temporary file beside it.
void tst_ListFiles::interruptedWriteKeepsOldList() {
    const QString path = listPath(u8("list.plt"));
    const QByteArray old = "/old/a.flv\r\n/old/b.flv∥1-2\r\n";
    QVERIFY(writeFile(path, old));

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct Restore {
        rlimit limit;
        void (*handler)(int);
        ~Restore() {
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, handler);
        }
    } restore{saved, std::signal(SIGXFSZ, SIG_IGN)};
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);

    QString error;
    const QStringList items(1000, u8("/new/a long enough path to pass the limit.flv"));
    QVERIFY(!writeListFile(path, items, ListFileFormat::Plt, &error));
    QCOMPARE(error, u8("無法寫入清單檔案：") + path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    QCOMPARE(filesIn(m_dir->filePath(listFolder)), QStringList{u8("list.plt")});
}

QTEST_GUILESS_MAIN(tst_ListFiles)
#include "tst_listfiles.moc"
