// The file browser's folder data: the roots offered as drives, a folder's files and
// subfolders in reading order, full paths of the selection, the case-insensitive find, and
// where the browser goes when its folder disappears.
#include "TestSupport.h"
#include "core/lists/FolderBrowser.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using Open = FolderBrowser::Open;

class tst_FolderBrowser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roots();
    void sortedIgnoringCase();
    void findIgnoresCase_data();
    void findIgnoresCase();
    void deletedFolder();

private:
    // A folder holding these files and subfolders ("name/"), with a trailing "/".
    QString make(const QString& folder, const QStringList& names) {
        const QString path = m_dir.filePath(folder) + QLatin1Char('/');
        QDir().mkpath(path);
        for (const QString& name : names) {
            if (name.endsWith(QLatin1Char('/'))) {
                QDir().mkpath(path + name);
            } else {
                testsupport::writeFile(path + name, QByteArray("x"));
            }
        }
        return path;
    }
    QTemporaryDir m_dir;
};

void tst_FolderBrowser::roots() {
    const QStringList found = FolderBrowser::roots();
    QCOMPARE(found.value(0), u8("/"));
    QVERIFY(found.contains(FolderBrowser::folderPath(QDir::homePath())));
    for (const QString& root : found) {
        QVERIFY2(root.endsWith(QLatin1Char('/')) && QFileInfo(root).isDir(), qPrintable(root));
    }
    // The drive shown for a folder: the longest root holding it, by whole names.
    const QStringList some{u8("/"), u8("/home/ann/"), u8("/media/ann/USB/")};
    QCOMPARE(FolderBrowser::rootOf(u8("/home/ann/影片"), some), u8("/home/ann/"));
    QCOMPARE(FolderBrowser::rootOf(u8("/home/anna/"), some), u8("/"));
    QCOMPARE(FolderBrowser::rootOf(u8("/media/ann/USB/a/"), some), u8("/media/ann/USB/"));
}

void tst_FolderBrowser::sortedIgnoringCase() {
    const QString folder = make(u8("mixed"), {u8("b.flv"), u8("A.mp3"), u8("c.MP4"), u8("a2.wav"),
                                              u8("Zed/"), u8("alpha/"), u8("Beta/")});
    FolderBrowser browser;
    QCOMPARE(browser.open(folder.chopped(1)), Open::Opened);
    QCOMPARE(browser.folder(), folder);
    QCOMPARE(browser.files(), (QStringList{u8("A.mp3"), u8("a2.wav"), u8("b.flv"), u8("c.MP4")}));
    QCOMPARE(browser.subfolders(), (QStringList{u8("alpha"), u8("Beta"), u8("Zed")}));
    // The first file is selected; a selection past the end is refused.
    QCOMPARE(browser.getFnFn(-1), folder + u8("A.mp3"));
    browser.select(2);
    browser.select(4);
    QCOMPARE(browser.getFnFn(-1), folder + u8("b.flv"));
    QCOMPARE(browser.getFnFn(3), folder + u8("c.MP4"));
    QCOMPARE(browser.getFnFn(4), QString());

    QCOMPARE(browser.open(make(u8("empty"), {})), Open::Opened);
    QCOMPARE(browser.selected(), -1);
    QCOMPARE(browser.getFnFn(-1), QString());
}

void tst_FolderBrowser::findIgnoresCase_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("found");
    QTest::newRow("same case") << u8("a.flv") << 1;
    QTest::newRow("other case") << u8("A.FLV") << 1;
    QTest::newRow("Chinese") << u8("片段.Mp4") << 2;
    QTest::newRow("missing") << u8("a.mp4") << -1;
    QTest::newRow("part of a name") << u8("a") << -1;
}

void tst_FolderBrowser::findIgnoresCase() {
    QFETCH(QString, name);
    QFETCH(int, found);
    FolderBrowser browser;
    QCOMPARE(browser.open(make(u8("find"), {u8("0.flv"), u8("a.flv"), u8("片段.mp4")})),
             Open::Opened);
    QCOMPARE(browser.find(name), found);
}

void tst_FolderBrowser::deletedFolder() {
    const QString root = make(u8("drive"), {u8("a.flv")});
    const QString folder = make(u8("drive/gone"), {u8("x.flv"), u8("y.flv")});
    FolderBrowser browser;
    QCOMPARE(browser.open(folder), Open::Opened);
    browser.select(1);
    QCOMPARE(browser.reload(), Open::Opened);
    QCOMPARE(browser.getFnFn(-1), folder + u8("y.flv"));  // a reload keeps the selection

    QVERIFY(QDir(folder).removeRecursively());
    QCOMPARE(browser.reload(), Open::Missing);
    QCOMPARE(browser.folder(), folder);  // nothing changes until it falls back
    QCOMPARE(browser.fallBack(root), Open::Opened);
    QCOMPARE(browser.getFnFn(-1), root + u8("a.flv"));
    // With the root gone too, "/" is left.
    QVERIFY(QDir(root).removeRecursively());
    QCOMPARE(browser.fallBack(root), Open::Opened);
    QCOMPARE(browser.folder(), u8("/"));
}

QTEST_GUILESS_MAIN(tst_FolderBrowser)
#include "tst_folderbrowser.moc"
