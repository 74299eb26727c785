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

    void classification_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("media");
        QTest::addColumn<bool>("audio");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<bool>("list");
        QTest::newRow("bare extension") << "flv" << true << false << true << false;
        QTest::newRow("upper case") << "x.FLV" << true << false << true << false;
        QTest::newRow("full path, mixed case") << "/v/a.Flv" << true << false << true << false;
        QTest::newRow("Chinese folder")
            << u8("/影片/第 1 集.mp4") << true << false << true << false;
        QTest::newRow("audio") << "song.mp3" << true << true << false << false;
        QTest::newRow("wav") << "/music/a.WAV" << true << true << false << false;
        QTest::newRow("mkv plays, not editable") << "/v/c.mkv" << true << false << false << false;
        QTest::newRow("playlist") << "/l/list.m3u" << false << false << false << true;
        QTest::newRow("bare list extension") << "m3u" << false << false << false << false;
        QTest::newRow("stream") << "http://host/live.flv" << true << false << true << false;
        QTest::newRow("empty") << "" << false << false << false << false;
        QTest::newRow("no extension") << "/a.b/readme" << false << false << false << false;
        QTest::newRow("trailing dot") << "/v/a." << false << false << false << false;
        QTest::newRow("semicolon inside") << "/v/a.flv;mp3" << false << false << false << false;
        QTest::newRow("image") << "/p/a.png" << false << false << false << false;
    }
    void classification() {
        QFETCH(QString, path);
        QFETCH(bool, media);
        QFETCH(bool, audio);
        QFETCH(bool, editable);
        QFETCH(bool, list);
        QCOMPARE(isMediaFile(path), media);
        QCOMPARE(isAudioFile(path), audio);
        QCOMPARE(isEditableFile(path), editable);
        QCOMPARE(isListFile(path), list);
    }

    void isUrl_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("url");
        QTest::newRow("http") << "http://a/b.flv" << true;
        QTest::newRow("upper case") << "HTTP://A/B" << true;
        QTest::newRow("mms any case") << "MmS://x/y" << true;
        QTest::newRow("https") << "https://x" << true;
        QTest::newRow("rtsp") << "rtsp://x" << true;
        QTest::newRow("pnm") << "pnm://x" << true;
        QTest::newRow("scheme without slashes") << "mms:x" << true;
        QTest::newRow("other scheme") << "ftp://x" << false;
        QTest::newRow("file url") << "file:///a.flv" << false;
        QTest::newRow("drive letter") << "C:/a.flv" << false;
        QTest::newRow("one letter") << "a:b" << false;
        QTest::newRow("colon first") << ":http" << false;
        QTest::newRow("colon in a path") << "/home/http:x" << false;
        QTest::newRow("two schemes") << "rtsp;mms://x" << false;
        QTest::newRow("empty, nothing playing") << "" << false;
    }
    void isUrl() {
        QFETCH(QString, text);
        QFETCH(bool, url);
        QCOMPARE(::isUrl(text), url);
    }

    // An empty argument asks about the file open in the player.
    void playerFile_data() {
        QTest::addColumn<QString>("playing");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<bool>("url");
        QTest::newRow("nothing") << "" << false << false;
        QTest::newRow("local flv") << "/v/a.flv" << true << false;
        QTest::newRow("local mkv") << "/v/a.mkv" << false << false;
        QTest::newRow("stream") << "mms://host/a.wmv" << true << true;
    }
    void playerFile() {
        QFETCH(QString, playing);
        QFETCH(bool, editable);
        QFETCH(bool, url);
        appHooks().playerFileName = [playing] { return playing; };
        QCOMPARE(isEditableFile(QString()), editable);
        QCOMPARE(::isUrl(QString()), url);
    }

    void pathText_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("withSeparator");
        QTest::addColumn<QString>("upperDrive");
        QTest::newRow("folder") << "/dir"
                                << "/dir/"
                                << "/dir";
        QTest::newRow("folder with separator") << "/dir/"
                                               << "/dir/"
                                               << "/dir/";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("url") << "http://host"
                             << "http://host/"
                             << "http://host";
        QTest::newRow("drive letter") << "c:/a/b.flv"
                                      << "c:/a/b.flv/"
                                      << "C:/a/b.flv";
        QTest::newRow("colons later") << "a:b:c"
                                      << "a:b:c/"
                                      << "A:b:c";
        QTest::newRow("colon in a path") << "/home/a:b"
                                         << "/home/a:b/"
                                         << "/home/a:b";
        QTest::newRow("Chinese") << u8("/影片 1") << u8("/影片 1/") << u8("/影片 1");
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
        QTest::addColumn<int>("fields");
        QTest::addColumn<float>("rewritten");
        QTest::newRow("carried to a minute") << 59.997f << 3 << 2 << "00:01:00.00" << 3 << 60.0f;
        QTest::newRow("never 60 seconds") << 59.7f << 2 << 0 << "00:59" << 2 << 59.7f;
        QTest::newRow("never 60, mode 1") << 119.7f << 1 << 0 << "01:59" << 2 << 119.7f;
        QTest::newRow("total seconds") << 75.5f << 0 << 2 << "75.50" << 1 << 75.5f;
        QTest::newRow("whole seconds cut") << 12.7f << 0 << 0 << "12" << 1 << 12.7f;
        QTest::newRow("three decimals") << 12.345f << 0 << 3 << "12.340" << 1 << 12.34f;
        QTest::newRow("one decimal cut") << 5.57f << 1 << 1 << "5.5" << 1 << 5.57f;
        QTest::newRow("seconds only") << 5.5f << 1 << 2 << "5.50" << 1 << 5.5f;
        QTest::newRow("mode 1 minutes") << 65.5f << 1 << 2 << "01:5.50" << 2 << 65.5f;
        QTest::newRow("mode 1 hours") << 3605.5f << 1 << 2 << "01:5.50" << 3 << 3605.5f;
        QTest::newRow("minutes and seconds") << 65.5f << 2 << 2 << "01:05.50" << 2 << 65.5f;
        QTest::newRow("mode 2 with hours") << 3725.0f << 2 << 0 << "01:02:05" << 3 << 3725.0f;
        QTest::newRow("zero, mode 2") << 0.0f << 2 << 0 << "00:00" << 2 << 0.0f;
        QTest::newRow("zero, mode 3") << 0.0f << 3 << 2 << "00:00:00.00" << 3 << 0.0f;
        QTest::newRow("hundredths kept") << 0.57f << 3 << 2 << "00:00:00.57" << 3 << 0.57f;
        QTest::newRow("cut below hundredths") << 1.2349f << 3 << 2 << "00:00:01.23" << 3 << 1.23f;
        QTest::newRow("carried to an hour") << 3599.999f << 2 << 0 << "01:00:00" << 3 << 3600.0f;
        QTest::newRow("total minutes") << 3725.0f << 4 << 2 << "62:05.00" << 2 << 3725.0f;
        QTest::newRow("hundred hours") << 360000.0f << 3 << 0 << "100:00:00" << 3 << 360000.0f;
    }
    void formatTime() {
        QFETCH(float, seconds);
        QFETCH(int, mode);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QFETCH(int, fields);
        QFETCH(float, rewritten);
        // A comma locale must not leak into the text.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const double asDouble = static_cast<double>(seconds);
        int gotFields = -1;
        QCOMPARE(::formatTime(seconds, mode, decimals, &gotFields), text);
        QCOMPARE(gotFields, fields);
        QCOMPARE(seconds, rewritten);
        QCOMPARE(::formatTime(asDouble, mode, decimals), text);
        QLocale::setDefault(QLocale::c());
    }

    void parseTime_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("seconds");
        QTest::newRow("no colon") << "12.5" << 0.0f;
        QTest::newRow("empty") << "" << 0.0f;
        QTest::newRow("hours") << "01:02:03.5" << 3723.5f;
        QTest::newRow("minutes") << "2:30" << 150.0f;
        QTest::newRow("marks form") << "00:00:59.99" << 59.99f;
        QTest::newRow("lenient parts") << " 1: 30abc" << 90.0f;
        QTest::newRow("empty part") << ":30" << 30.0f;
        QTest::newRow("no number") << "abc:10" << 10.0f;
        QTest::newRow("decimal minutes") << "1.5:0" << 90.0f;
        QTest::newRow("comma is not a decimal point") << "0:1,5" << 1.0f;
    }
    void parseTime() {
        QFETCH(QString, text);
        QFETCH(float, seconds);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(::parseTime(text), seconds);
        QLocale::setDefault(QLocale::c());
    }

    void ceilSingle_data() {
        QTest::addColumn<float>("x");
        QTest::addColumn<int>("result");
        QTest::newRow("whole") << 1.0f << 1;
        QTest::newRow("fraction") << 1.2f << 2;
        QTest::newRow("tiny fraction") << 0.0001f << 1;
        QTest::newRow("almost whole") << 2.999f << 3;
        QTest::newRow("zero") << 0.0f << 0;
        QTest::newRow("negative fraction") << -1.2f << -1;
        QTest::newRow("negative half") << -0.5f << 0;
        QTest::newRow("negative whole") << -3.0f << -3;
        QTest::newRow("too large") << 1e10f << std::numeric_limits<int>::max();
    }
    void ceilSingle() {
        QFETCH(float, x);
        QFETCH(int, result);
        QCOMPARE(::ceilSingle(x), result);
    }

    void patternsAndFilters() {
        buildDialogPatterns();
        buildDialogPatterns();  // built again: nothing doubled
        buildDialogFilters();
        const QString editable =
            QStringLiteral("*.flv;*.mpg;*.mpeg;*.dat;*.vob;*.avi;*.mp4;*.3gp;*.mov;*.wmv;*.asf;");
        const QString media = QStringLiteral(
            "*.flv;*.ape;*.mpeg;*.wm?;*.asf;*.wav;*.pcm;*.mid;*.m?v;*.m?a;*.mp?;*.avi;*.ra;*.rm;"
            "*.rm?;*.ram;*.rmvb;*.rpm;*.mov;*.qt;*.3gp;*.au;*.snd;*.cda;*.dat;*.divx;*.vob;*.ifo;"
            "*.ac3;*.aac;*.dts;*.og?;*.mkv;");
        const QString images =
            QStringLiteral("*.jpg;*.jpeg;*.jpe;*.gif;*.bmp;*.png;*.wmf;*.emf;*.ico;*.cur;");
        QCOMPARE(editablePatterns, editable);
        QCOMPARE(mediaPatterns, media);
        QCOMPARE(mediaPatterns.count(QLatin1Char(';')), 33);
        QCOMPARE(imagePatterns, images);
        QCOMPARE(listPatterns, QStringLiteral("*.plt;*.pls;*.m3u;*.asx;"));
        QCOMPARE(editableFilter,
                 QStringLiteral("支援處理的檔案 (flv ; mpg ; dat ; vob)|") + editable);
        QCOMPARE(openFilter,
                 QStringLiteral(
                     "支援處理的檔案 (flv ; mpg ; dat ; vob)|"
                     "*.flv;*.mpg;*.mpeg;*.dat;*.vob;*.avi;*.mp4;*.3gp;*.mov;*.wmv;*.asf;"
                     "|支援播放的多媒體檔案|"
                     "*.flv;*.ape;*.mpeg;*.wm?;*.asf;*.wav;*.pcm;*.mid;*.m?v;*.m?a;*.mp?;*.avi;"
                     "*.ra;*.rm;*.rm?;*.ram;*.rmvb;*.rpm;*.mov;*.qt;*.3gp;*.au;*.snd;*.cda;*.dat;"
                     "*.divx;*.vob;*.ifo;*.ac3;*.aac;*.dts;*.og?;*.mkv;"
                     "|支援瀏覽的影像圖檔案|"
                     "*.jpg;*.jpeg;*.jpe;*.gif;*.bmp;*.png;*.wmf;*.emf;*.ico;*.cur;"
                     "|所有檔案|*.*"));
        QCOMPARE(buildPatterns(QStringLiteral(";;a;;b;")), QStringLiteral("*.a;*.b;"));
        QCOMPARE(buildPatterns(QString()), QString());
    }

    void getWorkDir_data() {
        QTest::addColumn<QString>("shown");       // browser folder: "ok", "gone" or ""
        QTest::addColumn<QString>("afterClear");  // what the browser shows once cleared
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("clears");
        QTest::newRow("browser folder") << "ok"
                                        << ""
                                        << "/v/a.flv"
                                        << "ok" << 0;
        QTest::newRow("gone, falls back") << "gone"
                                          << "ok"
                                          << "/v/a.flv"
                                          << "ok" << 1;
        QTest::newRow("gone, file folder") << "gone"
                                           << ""
                                           << "/v/a.flv"
                                           << "/v/" << 1;
        QTest::newRow("gone, no path") << "gone"
                                       << ""
                                       << ""
                                       << "" << 1;
        QTest::newRow("no browser") << ""
                                    << "" << u8("/影片 1/a.flv") << u8("/影片 1/") << 1;
    }
    void getWorkDir() {
        QFETCH(QString, shown);
        QFETCH(QString, afterClear);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QFETCH(int, clears);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        auto real = [&dir](const QString& token) {
            if (token == QLatin1String("ok")) {
                return dir.path() + QLatin1Char('/');
            }
            if (token == QLatin1String("gone")) {
                return dir.path() + QStringLiteral("/gone/");
            }
            return token;
        };
        QString folder = real(shown);
        int clearCount = 0;
        if (!shown.isEmpty()) {
            appHooks().browserFolder = [&folder] { return folder; };
        }
        appHooks().clearBrowserFolder = [&] {
            ++clearCount;
            folder = real(afterClear);
        };
        QCOMPARE(::getWorkDir(path), real(expected));
        QCOMPARE(clearCount, clears);
    }

    void changeDirTo_data() {
        QTest::addColumn<QString>("target");  // inside the test folder; "" = empty argument
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder") << u8("影片 1/") << u8("影片 1");
        QTest::newRow("file in a folder") << u8("影片 1/-a.flv") << u8("影片 1");
        QTest::newRow("missing folder") << "missing/"
                                        << ".";
        QTest::newRow("empty") << ""
                               << ".";
    }
    void changeDirTo() {
        QFETCH(QString, target);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(u8("影片 1")));
        CurrentFolderGuard guard;
        QVERIFY(QDir::setCurrent(dir.path()));
        ::changeDirTo(target.isEmpty() ? QString() : dir.path() + QLatin1Char('/') + target);
        QCOMPARE(QDir::current().canonicalPath(),
                 QDir(dir.path() + QLatin1Char('/') + expected).canonicalPath());
    }

    void killFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("noClose");
        QTest::addColumn<bool>("closeAsked");
        QTest::addColumn<QStringList>("remaining");
        const QStringList all{QStringLiteral(".h.flv"), QStringLiteral("a.flv"),
                              QStringLiteral("sub.flv"), QStringLiteral("~tmpSP001.flv"),
                              QStringLiteral("~tmpSP002.flv")};
        auto without = [all](const QStringList& gone) {
            QStringList left = all;
            for (const QString& name : gone) {
                left.removeAll(name);
            }
            return left;
        };
        QTest::newRow("played file closed first")
            << "a.flv" << false << true << without({QStringLiteral("a.flv")});
        QTest::newRow("tool file")
            << "a.flv" << true << false << without({QStringLiteral("a.flv")});
        QTest::newRow("hidden") << ".h.flv" << false << true << without({QStringLiteral(".h.flv")});
        QTest::newRow("wildcard") << "~tmpS*.*" << true << false
                                  << without({QStringLiteral("~tmpSP001.flv"),
                                              QStringLiteral("~tmpSP002.flv")});
        QTest::newRow("missing") << "missing.flv" << false << false << all;
        QTest::newRow("folder") << "sub.flv" << false << false << all;
    }
    void killFile() {
        QFETCH(QString, name);
        QFETCH(bool, noClose);
        QFETCH(bool, closeAsked);
        QFETCH(QStringList, remaining);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const QString& file :
             {QStringLiteral(".h.flv"), QStringLiteral("a.flv"), QStringLiteral("~tmpSP001.flv"),
              QStringLiteral("~tmpSP002.flv")}) {
            QFile f(dir.filePath(file));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub.flv")));
        const QString path = dir.filePath(name);
        QStringList closed;
        appHooks().closeRunFn = [&closed, &dir](const QString& file) {
            closed.append(file);
            // The player still has the file at this moment.
            QVERIFY(!QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        };
        ::killFile(path, noClose);
        QCOMPARE(closed, closeAsked ? QStringList{path} : QStringList());
        QCOMPARE(QDir(dir.path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                 remaining);
    }
};

QTEST_GUILESS_MAIN(TstHelpers)
#include "tst_helpers.moc"
