// The playlist's lines: an entry laid out in each of the three layouts and read back,
// switching layouts, short and empty lines, and which marks column counts as marks.
#include "TestSupport.h"
#include "core/lists/mdlLineFormat.h"

#include <QtTest>

namespace {

QStringList u8List(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts) {
        list << u8(text);
    }
    return list;
}

}  // namespace

class tst_LineLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void switchLayout_data();
    void switchLayout();
    void shortLines_data();
    void shortLines();
    void linePathMarks_data();
    void linePathMarks();
};

void tst_LineLayout::roundTrip_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("marks");
    auto row = [](const char* tag, const char* item, int layout, const char* line, const char* path,
                  const char* marks) {
        QTest::newRow(tag) << u8(item) << layout << u8(line) << u8(path) << u8(marks);
    };

    const char* plain = "/home/ann/video/clip.flv";
    row("path 0", plain, 0, "/home/ann/video/clip.flv\t無標記", plain, "");
    row("path 1", plain, 1, "clip.flv\t/home/ann/video/\t無標記", plain, "");
    row("path 2", plain, 2, "clip.flv\t無標記\t/home/ann/video/", plain, "");

    const char* marked = "/home/ann/video/clip.flv∥120-480 900-1500 2000-2500";
    const char* ranges = "120-480 900-1500 2000-2500";
    row("marks 0", marked, 0, "/home/ann/video/clip.flv\t標記 120-480 900-1500 2000-2500", plain,
        ranges);
    row("marks 1", marked, 1, "clip.flv\t/home/ann/video/\t標記 120-480 900-1500 2000-2500", plain,
        ranges);
    row("marks 2", marked, 2, "clip.flv\t標記 120-480 900-1500 2000-2500\t/home/ann/video/", plain,
        ranges);

    const char* bars = "/media/a∥b/x∥y.mp4∥0-250";
    const char* barsPath = "/media/a∥b/x∥y.mp4";
    row("bar in path 0", bars, 0, "/media/a∥b/x∥y.mp4\t標記 0-250", barsPath, "0-250");
    row("bar in path 1", bars, 1, "x∥y.mp4\t/media/a∥b/\t標記 0-250", barsPath, "0-250");
    row("bar in path 2", bars, 2, "x∥y.mp4\t標記 0-250\t/media/a∥b/", barsPath, "0-250");

    // Unmarked, the path keeps a final "∥" in its item text, or its end would read as marks.
    const char* barsOnly = "/media/a∥b.flv∥";
    const char* barsOnlyPath = "/media/a∥b.flv";
    row("bar, no marks 0", barsOnly, 0, "/media/a∥b.flv\t無標記", barsOnlyPath, "");
    row("bar, no marks 1", barsOnly, 1, "a∥b.flv\t/media/\t無標記", barsOnlyPath, "");

    const char* chinese = "/home/ann/影片/演唱會.flv∥30-90";
    const char* chinesePath = "/home/ann/影片/演唱會.flv";
    row("chinese 0", chinese, 0, "/home/ann/影片/演唱會.flv\t標記 30-90", chinesePath, "30-90");
    row("chinese 1", chinese, 1, "演唱會.flv\t/home/ann/影片/\t標記 30-90", chinesePath, "30-90");
    row("chinese 2", chinese, 2, "演唱會.flv\t標記 30-90\t/home/ann/影片/", chinesePath, "30-90");

    const char* blanks = "/mnt/usb disk/my  clip .mp4";
    row("blanks 0", blanks, 0, "/mnt/usb disk/my  clip .mp4\t無標記", blanks, "");
    row("blanks 1", blanks, 1, "my  clip .mp4\t/mnt/usb disk/\t無標記", blanks, "");
    row("blanks 2", blanks, 2, "my  clip .mp4\t無標記\t/mnt/usb disk/", blanks, "");

    const char* url = "http://example.com/live/stream.flv∥5-60";
    const char* urlPath = "http://example.com/live/stream.flv";
    row("url 0", url, 0, "http://example.com/live/stream.flv\t標記 5-60", urlPath, "5-60");
    row("url 1", url, 1, "stream.flv\thttp://example.com/live/\t標記 5-60", urlPath, "5-60");
    row("url 2", url, 2, "stream.flv\t標記 5-60\thttp://example.com/live/", urlPath, "5-60");

    row("root 1", "/clip.flv", 1, "clip.flv\t/\t無標記", "/clip.flv", "");
    row("root 2", "/clip.flv", 2, "clip.flv\t無標記\t/", "/clip.flv", "");
}

// The entry makes the line, and the line gives the entry back.
void tst_LineLayout::roundTrip() {
    QFETCH(QString, item);
    QFETCH(int, layout);
    QFETCH(QString, line);
    QFETCH(QString, path);
    QFETCH(QString, marks);

    QString gotPath;
    QString gotMarks;
    QCOMPARE(formatLine(item, layout, &gotPath, &gotMarks), line);
    QCOMPARE(gotPath, path);
    QCOMPARE(gotMarks, marks);
    QCOMPARE(splitItemMarks(item, &gotMarks), path);
    QCOMPARE(gotMarks, marks);

    QCOMPARE(lineToItem(line, layout), item);
    QCOMPARE(linePath(line, layout, &gotMarks, true), item);
    QCOMPARE(gotMarks, marks);
    QCOMPARE(linePath(line, layout, &gotMarks, false), path);
}

void tst_LineLayout::switchLayout_data() {
    QTest::addColumn<int>("layout");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("1") << 1
                       << u8List({"b.flv\t/a/\t無標記", "c∥d.mp4\t/a/\t標記 1-2 3-4", "",
                                  "影片.flv\t/x y/\t無標記"});
    QTest::newRow("2") << 2
                       << u8List({"b.flv\t無標記\t/a/", "c∥d.mp4\t標記 1-2 3-4\t/a/", "",
                                  "影片.flv\t無標記\t/x y/"});
    QTest::newRow("no such layout") << 5 << u8List({"", "", "", ""});
}

// Picking another layout re-lays every line; picking layout 0 again restores them.
void tst_LineLayout::switchLayout() {
    QFETCH(int, layout);
    QFETCH(QStringList, lines);

    const QStringList original =
        u8List({"/a/b.flv\t無標記", "/a/c∥d.mp4\t標記 1-2 3-4", "", "/x y/影片.flv\t無標記"});
    const QStringList relaid = reformatList(original, 0, layout);
    QCOMPARE(relaid, lines);
    if (layout <= 2) {
        QCOMPARE(reformatList(relaid, layout, 0), original);
    }
}

void tst_LineLayout::shortLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("item");
    auto row = [](const char* tag, const char* line, int layout, const char* item) {
        QTest::newRow(tag) << u8(line) << layout << u8(item);
    };

    row("empty 0", "", 0, "");
    row("empty 2", "", 2, "");
    row("path only 0", "/a/b.flv", 0, "/a/b.flv");
    row("no label 1", "b.flv\t/a/", 1, "/a/b.flv");
    row("name only 1", "b.flv", 1, "b.flv");
    row("no folder 2", "b.flv\t標記 1-2", 2, "");
    row("no such layout", "/a/b.flv\t無標記", 3, "");
}

// Lines with fewer columns than their layout has, as a hand-edited list may hold.
void tst_LineLayout::shortLines() {
    QFETCH(QString, line);
    QFETCH(int, layout);
    QFETCH(QString, item);

    QCOMPARE(lineToItem(line, layout), item);
}

void tst_LineLayout::linePathMarks_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("layout");
    QTest::addColumn<bool>("withMarks");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("marks");
    auto row = [](const char* tag, const char* line, int layout, bool withMarks, const char* path,
                  const char* marks) {
        QTest::newRow(tag) << u8(line) << layout << withMarks << u8(path) << u8(marks);
    };

    row("range", "/a/b.flv\t標記 120-480", 0, true, "/a/b.flv∥120-480", "120-480");
    row("range, path only", "/a/b.flv\t標記 120-480", 0, false, "/a/b.flv", "120-480");
    row("no marks", "/a/b.flv\t無標記", 0, true, "/a/b.flv", "");
    row("no range", "/a/b.flv\t標記 120", 0, true, "/a/b.flv", "");
    row("no label", "/a/b.flv", 0, true, "/a/b.flv", "");
    row("folder missing 2", "b.flv\t標記 1-2", 2, true, "b.flv∥1-2", "1-2");
    row("drive letter", "c.flv\t無標記\tc:/x/", 2, false, "C:/x/c.flv", "");
    row("empty", "", 1, true, "", "");
    row("no such layout", "/a/b.flv\t標記 1-2", 3, true, "", "");
}

// Only a marks column holding a range is taken as marks.
void tst_LineLayout::linePathMarks() {
    QFETCH(QString, line);
    QFETCH(int, layout);
    QFETCH(bool, withMarks);
    QFETCH(QString, path);
    QFETCH(QString, marks);

    QString gotMarks = u8("stale");
    QCOMPARE(linePath(line, layout, &gotMarks, withMarks), path);
    QCOMPARE(gotMarks, marks);
}

QTEST_GUILESS_MAIN(tst_LineLayout)
#include "tst_linelayout.moc"
