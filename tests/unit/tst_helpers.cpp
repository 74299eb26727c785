#include "app/mdlZelvoFLV.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

namespace {

struct CurrentFolderGuard {
    QString saved = QDir::currentPath();
    ~CurrentFolderGuard() { QDir::setCurrent(saved); }
};

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

class TstHelpers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { appHooks() = AppHooks(); }
    void cleanup() { appHooks() = AppHooks(); }

    // What the program makes of a path; an empty path asks about the file being played.
    void classification_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("playing");
        QTest::addColumn<QString>("kinds");
        auto row = [](const char* tag, const char* path, const char* kinds,
                      const char* playing = "") {
            QTest::newRow(tag) << u8(path) << u8(playing) << u8(kinds);
        };
        row("bare extension", "flv", "media editable");
        row("case ignored", "/影片/a.Flv", "media editable");
        row("audio", "/music/a.WAV", "media audio");
        row("plays, not editable", "/v/c.mkv", "media");
        row("playlist", "/l/list.m3u", "list");
        row("bare list extension", "m3u", "");
        row("image", "/p/a.png", "");
        row("trailing dot", "/v/a.", "");
        row("semicolon inside", "/v/a.flv;mp3", "");
        row("stream, any case", "HTTP://A/b.flv", "media editable url");
        row("mms, no slashes", "MmS:x", "url");
        row("rtsp", "rtsp://x", "url");
        row("other scheme", "ftp://x", "");
        row("drive letter", "C:/a.flv", "media editable");
        row("colon first", ":http", "");
        row("colon in a path", "/home/http:x", "");
        row("two schemes", "rtsp;mms://x", "");
        row("nothing playing", "", "");
        row("playing a file", "", "editable", "/v/a.flv");
        row("playing a stream", "", "editable url", "mms://host/a.wmv");
    }
    void classification() {
        QFETCH(QString, path);
        QFETCH(QString, playing);
        QFETCH(QString, kinds);
        appHooks().playerFileName = [playing] { return playing; };
        QStringList found;
        const bool checks[] = {isMediaFile(path), isAudioFile(path), isEditableFile(path),
                               isListFile(path), ::isUrl(path)};
        const char* names[] = {"media", "audio", "editable", "list", "url"};
        for (int i = 0; i < 5; ++i) {
            if (checks[i]) {
                found.append(u8(names[i]));
            }
        }
        QCOMPARE(found.join(u' '), kinds);
    }

    void pathText_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("withSeparator");
        QTest::addColumn<QString>("upperDrive");
        auto row = [](const char* tag, const char* path, const char* with, const char* upper) {
            QTest::newRow(tag) << u8(path) << u8(with) << u8(upper);
        };
        row("folder", "/dir", "/dir/", "/dir");
        row("folder with separator", "/dir/", "/dir/", "/dir/");
        row("empty", "", "", "");
        row("drive letter", "c:/a/b.flv", "c:/a/b.flv/", "C:/a/b.flv");
        row("colon in a path", "/home/a:b", "/home/a:b/", "/home/a:b");
    }
    void pathText() {
        QFETCH(QString, path);
        QFETCH(QString, withSeparator);
        QFETCH(QString, upperDrive);
        QCOMPARE(addSeparator(path), withSeparator);
        QCOMPARE(upperDriveLetter(path), upperDrive);
    }

    void formatTime_data() {
        QTest::addColumn<float>("seconds");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("rewritten");
        QTest::newRow("carried to a minute") << 59.997f << 3 << 2 << u8("00:01:00.00") << 60.0f;
        QTest::newRow("never 60 seconds") << 59.7f << 2 << 0 << u8("00:59") << 59.7f;
        QTest::newRow("carried to an hour") << 3599.999f << 2 << 0 << u8("01:00:00") << 3600.0f;
        QTest::newRow("cut below hundredths") << 1.2349f << 3 << 2 << u8("00:00:01.23") << 1.23f;
        QTest::newRow("total seconds") << 75.345f << 0 << 3 << u8("75.340") << 75.34f;
        QTest::newRow("mode 1, one decimal") << 5.57f << 1 << 1 << u8("5.5") << 5.57f;
        QTest::newRow("mode 1 minutes") << 65.5f << 1 << 2 << u8("01:5.50") << 65.5f;
        QTest::newRow("mode 2 with hours") << 3725.0f << 2 << 0 << u8("01:02:05") << 3725.0f;
        QTest::newRow("total minutes") << 3725.0f << 4 << 2 << u8("62:05.00") << 3725.0f;
    }
    void formatTime() {
        QFETCH(float, seconds);
        QFETCH(int, mode);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QFETCH(float, rewritten);
        // A comma locale must not leak into the text.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const double asDouble = static_cast<double>(seconds);
        int gotFields = -1;
        QCOMPARE(::formatTime(seconds, mode, decimals, &gotFields), text);
        QCOMPARE(gotFields, static_cast<int>(text.count(u':')) + 1);  // fields: as many as shown
        QCOMPARE(seconds, rewritten);
        QCOMPARE(::formatTime(asDouble, mode, decimals), text);
        QLocale::setDefault(QLocale::c());
    }

    void parseTime_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("seconds");
        QTest::newRow("no colon") << u8("12.5") << 0.0f;
        QTest::newRow("hours") << u8("01:02:03.5") << 3723.5f;
        QTest::newRow("minutes") << u8("2:30") << 150.0f;
        QTest::newRow("lenient parts") << u8(" 1: 30abc") << 90.0f;
        QTest::newRow("empty part") << u8(":30") << 30.0f;
        QTest::newRow("comma is not a decimal point") << u8("0:1,5") << 1.0f;
    }
    void parseTime() {
        QFETCH(QString, text);
        QFETCH(float, seconds);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(::parseTime(text), seconds);
        QLocale::setDefault(QLocale::c());
    }

    void ceilSingle() {
        QCOMPARE(::ceilSingle(1.0f), 1);
        QCOMPARE(::ceilSingle(1.2f), 2);
        QCOMPARE(::ceilSingle(-1.2f), -1);
        QCOMPARE(::ceilSingle(1e10f), std::numeric_limits<int>::max());
    }

    void patternsAndFilters() {
        buildDialogPatterns();
        buildDialogPatterns();  // built again: nothing doubled
        buildDialogFilters();
        const QString editable =
            u8("*.flv;*.mpg;*.mpeg;*.dat;*.vob;*.avi;*.mp4;*.3gp;*.mov;*.wmv;*.asf;");
        const QString media = u8(
            "*.flv;*.ape;*.mpeg;*.wm?;*.asf;*.wav;*.pcm;*.mid;*.m?v;*.m?a;*.mp?;*.avi;*.ra;*.rm;"
            "*.rm?;*.ram;*.rmvb;*.rpm;*.mov;*.qt;*.3gp;*.au;*.snd;*.cda;*.dat;*.divx;*.vob;*.ifo;"
            "*.ac3;*.aac;*.dts;*.og?;*.mkv;");
        const QString images = u8("*.jpg;*.jpeg;*.jpe;*.gif;*.bmp;*.png;*.wmf;*.emf;*.ico;*.cur;");
        QCOMPARE(editablePatterns, editable);
        QCOMPARE(mediaPatterns, media);
        QCOMPARE(imagePatterns, images);
        QCOMPARE(listPatterns, u8("*.plt;*.pls;*.m3u;*.asx;"));
        QCOMPARE(editableFilter, u8("支援處理的檔案 (flv ; mpg ; dat ; vob)|") + editable);
        QCOMPARE(openFilter, editableFilter + u8("|支援播放的多媒體檔案|") + media +
                                 u8("|支援瀏覽的影像圖檔案|") + images + u8("|所有檔案|*.*"));
        QCOMPARE(buildPatterns(u8(";;a;;b;")), u8("*.a;*.b;"));
    }

    void getWorkDir() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString shown = dir.path() + u8("/");
        const QString gone = dir.path() + u8("/gone/");
        QString folder = shown;
        QString afterClear;  // what the browser shows once told its folder is gone
        int clears = 0;
        appHooks().browserFolder = [&folder] { return folder; };
        appHooks().clearBrowserFolder = [&] {
            ++clears;
            folder = afterClear;
        };
        QCOMPARE(::getWorkDir(u8("/v/a.flv")), shown);
        QCOMPARE(clears, 0);
        folder = gone;
        afterClear = shown;
        QCOMPARE(::getWorkDir(u8("/v/a.flv")), shown);
        QCOMPARE(clears, 1);
        folder = gone;
        afterClear.clear();
        QCOMPARE(::getWorkDir(u8("/影片 1/a.flv")), u8("/影片 1/"));
        folder = gone;
        QCOMPARE(::getWorkDir(QString()), QString());
        QCOMPARE(clears, 3);
    }

    void changeDirTo_data() {
        QTest::addColumn<QString>("target");  // inside the test folder
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder") << u8("影片 1/") << u8("影片 1");
        QTest::newRow("file in a folder") << u8("影片 1/-a.flv") << u8("影片 1");
        QTest::newRow("missing folder") << u8("missing/") << u8(".");
    }
    void changeDirTo() {
        QFETCH(QString, target);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(u8("影片 1")));
        CurrentFolderGuard guard;
        QVERIFY(QDir::setCurrent(dir.path()));
        ::changeDirTo(dir.filePath(target));
        QCOMPARE(QDir::current().canonicalPath(), QDir(dir.filePath(expected)).canonicalPath());
    }

    void killFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("noClose");
        QTest::addColumn<bool>("closeAsked");
        QTest::addColumn<QStringList>("remaining");
        const QStringList temps{u8("~tmpSP001.flv"), u8("~tmpSP002.flv")};
        QTest::newRow("played file closed first") << u8("a.flv") << false << true << temps;
        QTest::newRow("tool file") << u8("a.flv") << true << false << temps;
        QTest::newRow("wildcard") << u8("~tmpS*.*") << true << false << QStringList{u8("a.flv")};
        QTest::newRow("missing") << u8("missing.flv") << false << false
                                 << QStringList{u8("a.flv")} + temps;
    }
    void killFile() {
        QFETCH(QString, name);
        QFETCH(bool, noClose);
        QFETCH(bool, closeAsked);
        QFETCH(QStringList, remaining);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* file : {"a.flv", "~tmpSP001.flv", "~tmpSP002.flv"}) {
            QFile f(dir.filePath(u8(file)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QString path = dir.filePath(name);
        QStringList closed;
        appHooks().closeRunFn = [&closed, &dir](const QString& file) {
            closed.append(file);
            // The player lets go of the file before it is deleted.
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
        };
        ::killFile(path, noClose);
        QCOMPARE(closed, closeAsked ? QStringList{path} : QStringList());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), remaining);
    }
};

QTEST_GUILESS_MAIN(TstHelpers)
#include "tst_helpers.moc"
