// The conversion panels' rules: when a source and a target are usable, how a change of
// format rewrites a path, which format a dropped file picks, the browse filters, typed
// names taken from the current folder, and what stops a conversion before anything runs.
#include "TestSupport.h"
#include "core/jobs/EncodeRules.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using encodeRules::Refusal;

Q_DECLARE_METATYPE(Refusal)

class TestEncodeRules : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_before;

    QString at(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        for (const char* name : {"clip.flv", "CLIP2.FLV", "clip.mpeg", "clip.mpg", "noext",
                                 "~tmpSold.flv", "a b/片段 -1.flv"}) {
            QDir().mkpath(QFileInfo(at(u8(name))).path());
            QVERIFY(testsupport::writeFile(at(u8(name)), "x"));
        }
        QVERIFY(QDir().mkpath(at(u8("dir.flv"))));
        // Typed names are looked up in the current folder.
        m_before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(m_before); }

    void validation_data() {
        QTest::addColumn<bool>("source");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("path");  // relative: in the current folder
        QTest::addColumn<bool>("valid");
        const auto row = [](const char* tag, bool source, const char* format, const char* path,
                            bool valid) {
            QTest::newRow(tag) << source << u8(format) << u8(path) << valid;
        };
        row("source flv", true, "FLV", "clip.flv", true);
        row("source, extension in capitals", true, "FLV", "CLIP2.FLV", true);
        row("source, blanks and a dash", true, "FLV", "a b/片段 -1.flv", true);
        row("source, other format", true, "FLV", "clip.mpg", false);
        row("source missing", true, "FLV", "gone.flv", false);
        row("source is a folder", true, "FLV", "dir.flv", false);
        row("mpeg counts as mpg", true, "MPG", "clip.mpeg", true);
        row("but not as avi", true, "AVI", "clip.mpeg", false);
        row("any format", true, "不限", "clip.mpg", true);
        row("any format needs an extension", true, "不限", "noext", false);
        row("target, bare name", false, "MPG", "out.mpg", true);
        row("target in a folder", false, "FLV", "a b/新 -1.flv", true);
        row("target, extension in capitals", false, "WMV", "OUT.WMV", true);
        row("target, folder missing", false, "MPG", "nowhere/out.mpg", false);
        row("target, other extension", false, "MPG", "out.mpeg", false);
        row("target without a name", false, "FLV", ".flv", false);
        row("target without an extension", false, "FLV", "out", false);
    }
    void validation() {
        QFETCH(bool, source);
        QFETCH(QString, format);
        QFETCH(QString, path);
        QFETCH(bool, valid);
        for (const QString& p : {path, at(path)}) {
            QCOMPARE(
                source ? encodeRules::sourceValid(p, format) : encodeRules::targetValid(p, format),
                valid);
        }
    }

    void withFormat_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("flv to avi") << u8("/v/clip.flv") << u8("AVI") << u8("/v/clip.avi");
        QTest::newRow("bare name") << u8("clip.flv") << u8("MPG") << u8("clip.mpg");
        QTest::newRow("no extension yet") << u8("/v/a b") << u8("WMV") << u8("/v/a b.wmv");
        QTest::newRow("any format") << u8("/v/clip.flv") << u8("不限") << u8("/v/clip.flv");
        QTest::newRow("no name") << u8("/v/") << u8("AVI") << u8("/v/");
        QTest::newRow("empty") << QString() << u8("FLV") << QString();
    }
    void withFormat() {
        QFETCH(QString, path);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(encodeRules::withFormat(path, format), expected);
    }

    void dropsAndFilters() {
        const QStringList video = encodeRules::panel(1).sourceFormats;
        QCOMPARE(encodeRules::dropFormat(video, u8("/x/a.Avi")), 1);
        QCOMPARE(encodeRules::dropFormat(video, u8("/x/a.mov")), 4);  // "不限"
        QCOMPARE(encodeRules::dropFormat({u8("FLV")}, u8("/x/a.mp4")), -1);

        QCOMPARE(encodeRules::browseFilter(u8("MPG"), true),
                 u8("MPG 檔案格式 (*.MPG)|*.mpg;*.mpeg"));
        QCOMPARE(encodeRules::browseFilter(u8("MPG"), false), u8("MPG 檔案格式 (*.MPG)|*.mpg"));
        QCOMPARE(encodeRules::browseFilter(u8("FLV"), true), u8("FLV 檔案格式 (*.FLV)|*.flv"));
        QCOMPARE(encodeRules::browseFilter(u8("不限"), true), u8("不限定檔案格式|*.*"));
        QCOMPARE(encodeRules::browseDefaultExt(u8("WAV")), u8(".WAV"));
        QCOMPARE(encodeRules::browseDefaultExt(u8("不限")), QString());

        QCOMPARE(encodeRules::absolutePath(u8("  clip.flv ")), at(u8("clip.flv")));
        QCOMPARE(encodeRules::absolutePath(u8("a b/x.flv")), at(u8("a b/x.flv")));
        QCOMPARE(encodeRules::absolutePath(u8("/v/x.flv")), u8("/v/x.flv"));
    }

    void refusals_data() {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QString>("src");  // relative: in the current folder
        QTest::addColumn<QString>("dst");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<Refusal>("refusal");
        const auto row = [](const char* tag, int panel, const char* src, const char* dst,
                            const char* rate, Refusal refusal) {
            QTest::newRow(tag) << panel << u8(src) << u8(dst) << u8(rate) << refusal;
        };
        row("defaults", 0, "clip.flv", "out.mpg", "25", Refusal::None);
        row("source missing", 0, "gone.flv", "out.mpg", "25", Refusal::SourceMissing);
        row("same file", 1, "clip.flv", "clip.flv", "25", Refusal::SameFile);
        row("same file, other spelling", 1, "clip.flv", "a b/../clip.flv", "25", Refusal::SameFile);
        row("mpg at 15 fps", 0, "clip.flv", "out.mpg", "15", Refusal::FrameRate);
        row("mpg at 7.5 fps", 0, "clip.flv", "out.MPG", "7.5", Refusal::FrameRate);
        row("mpg at 20 fps", 0, "clip.flv", "out.mpg", "20", Refusal::None);
        row("mpeg at 15 fps", 0, "clip.flv", "out.mpeg", "15", Refusal::None);
        row("music panel at 15 fps", 2, "clip.flv", "out.mpg", "15", Refusal::None);
    }
    void refusals() {
        QFETCH(int, panel);
        QFETCH(QString, src);
        QFETCH(QString, dst);
        QFETCH(QString, rate);
        QFETCH(Refusal, refusal);
        QCOMPARE(encodeRules::check(panel, at(src), at(dst), rate), refusal);
    }
};

QTEST_GUILESS_MAIN(TestEncodeRules)
#include "tst_encoderules.moc"
