#include "FakeWindows.h"
#include "app/mdlZelvoFLV.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

class TstHelpers : public QObject {
    Q_OBJECT

    FakePlayerWindow m_player;
    FakeListWindow m_list;
    std::unique_ptr<FakeWindowsScope> m_windows;

private Q_SLOTS:
    void init() {
        m_player = FakePlayerWindow();
        m_list = FakeListWindow();
        m_windows = std::make_unique<FakeWindowsScope>(&m_player, &m_list);
    }
    void cleanup() {
        m_windows.reset();
        QLocale::setDefault(QLocale::c());
    }

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
        m_player.file = playing;
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

    // Times as text and back; a comma locale must not leak into either.
    void times_data() {
        QTest::addColumn<float>("seconds");
        QTest::addColumn<int>("mode");  // -1: the text is read back, not written
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("rewritten");  // the seconds as the text shows them
        const auto row = [](const char* tag, float seconds, int mode, int decimals,
                            const char* text, float rewritten) {
            QTest::newRow(tag) << seconds << mode << decimals << u8(text) << rewritten;
        };
        row("carried to a minute", 59.997f, 3, 2, "00:01:00.00", 60.0f);
        row("never 60 seconds", 59.7f, 2, 0, "00:59", 59.7f);
        row("carried to an hour", 3599.999f, 2, 0, "01:00:00", 3600.0f);
        row("cut below hundredths", 1.2349f, 3, 2, "00:00:01.23", 1.23f);
        row("total seconds", 75.345f, 0, 3, "75.340", 75.34f);
        row("mode 1, one decimal", 5.57f, 1, 1, "5.5", 5.57f);
        row("mode 1 minutes", 65.5f, 1, 2, "01:5.50", 65.5f);
        row("mode 2 with hours", 3725.0f, 2, 0, "01:02:05", 3725.0f);
        row("total minutes", 3725.0f, 4, 2, "62:05.00", 3725.0f);
        row("read, no colon", 0.0f, -1, 0, "12.5", 0.0f);
        row("read, hours", 3723.5f, -1, 0, "01:02:03.5", 0.0f);
        row("read, lenient parts", 90.0f, -1, 0, " 1: 30abc", 0.0f);
        row("read, empty part", 30.0f, -1, 0, ":30", 0.0f);
        row("read, comma is not a decimal point", 1.0f, -1, 0, "0:1,5", 0.0f);
    }
    void times() {
        QFETCH(float, seconds);
        QFETCH(int, mode);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QFETCH(float, rewritten);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        if (mode < 0) {
            QCOMPARE(::parseTime(text), seconds);
            return;
        }
        const double asDouble = static_cast<double>(seconds);
        int gotFields = -1;
        QCOMPARE(::formatTime(seconds, mode, decimals, &gotFields), text);
        QCOMPARE(gotFields, static_cast<int>(text.count(u':')) + 1);  // fields: as many as shown
        QCOMPARE(seconds, rewritten);
        QCOMPARE(::formatTime(asDouble, mode, decimals), text);
    }

    void smallRules() {
        QCOMPARE(::ceilSingle(1.0f), 1);
        QCOMPARE(::ceilSingle(1.2f), 2);
        QCOMPARE(::ceilSingle(-1.2f), -1);
        QCOMPARE(::ceilSingle(1e10f), std::numeric_limits<int>::max());
        QCOMPARE(QStringList({addSeparator(u8("/dir")), addSeparator(u8("/dir/")),
                              addSeparator(QString())}),
                 QStringList({u8("/dir/"), u8("/dir/"), QString()}));
        // Only a leading drive letter is raised; ":" is a name character.
        QCOMPARE(upperDriveLetter(u8("c:/a/b.flv")) + u8(" ") + upperDriveLetter(u8("/home/a:b")),
                 u8("C:/a/b.flv /home/a:b"));
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
    }

    // The browser's folder while it exists; once gone the browser is told,
    // and the file's own folder serves.
    void folders() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid() && QDir(dir.path()).mkdir(u8("影片 1")));
        const QString shown = dir.path() + u8("/");
        const QString gone = dir.path() + u8("/gone/");
        QString& folder = m_list.folder;
        folder = shown;
        QString afterClear;  // what the browser shows once told its folder is gone
        int clears = 0;
        m_list.onClearFolder = [&] {
            ++clears;
            folder = afterClear;
        };
        const auto workDir = [&clears](const char* path) {
            const QString found = ::getWorkDir(u8(path));
            return found + u8(" after clears: ") + QString::number(clears);
        };
        QCOMPARE(workDir("/v/a.flv"), shown + u8(" after clears: 0"));
        folder = gone;
        afterClear = shown;
        QCOMPARE(workDir("/v/a.flv"), shown + u8(" after clears: 1"));
        folder = gone;
        afterClear.clear();
        QCOMPARE(workDir("/影片 1/a.flv"), u8("/影片 1/ after clears: 2"));
        folder = gone;
        QCOMPARE(workDir(""), u8(" after clears: 3"));
    }

    void absoluteTarget_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("relative") << u8("media/a b.flv") << u8("/home/u/media/a b.flv");
        QTest::newRow("up a folder") << u8("../影片/-x.flv") << u8("/home/影片/-x.flv");
        QTest::newRow("quoted, with marks")
            << u8("\"a.flv\"∥100-200") << u8("/home/u/a.flv∥100-200");
        QTest::newRow("absolute") << u8("/v/a.flv") << u8("/v/a.flv");
        QTest::newRow("stream") << u8("http://host/a.flv") << u8("http://host/a.flv");
        QTest::newRow("other scheme") << u8("file:///v/a.flv") << u8("file:///v/a.flv");
        QTest::newRow("nothing") << QString() << QString();
    }
    // What a later start hands to the running window: never a path relative to its own
    // folder.
    void absoluteTarget() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(::absoluteTarget(text, u8("/home/u")), expected);
    }

    void killFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("noClose");
        QTest::addColumn<bool>("closeAsked");
        QTest::addColumn<QString>("remaining");
        QTest::newRow("played file closed first")
            << "a.flv" << false << true << "~tmpSP001.flv ~tmpSP002.flv";
        QTest::newRow("tool file") << "a.flv" << true << false << "~tmpSP001.flv ~tmpSP002.flv";
        QTest::newRow("wildcard") << "~tmpS*.*" << true << false << "a.flv";
        QTest::newRow("missing") << "missing.flv" << false << false
                                 << "a.flv ~tmpSP001.flv ~tmpSP002.flv";
    }
    void killFile() {
        QFETCH(QString, name);
        QFETCH(bool, noClose);
        QFETCH(bool, closeAsked);
        QFETCH(QString, remaining);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* file : {"a.flv", "~tmpSP001.flv", "~tmpSP002.flv"}) {
            QFile f(dir.filePath(u8(file)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QString path = dir.filePath(name);
        QStringList closed;
        m_player.onClose = [&closed, &dir](const QString& file) {
            closed.append(file);
            // The player lets go of the file before it is deleted.
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
        };
        ::killFile(path, noClose);
        QCOMPARE(closed, closeAsked ? QStringList{path} : QStringList());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name).join(u' '), remaining);
    }
};

QTEST_GUILESS_MAIN(TstHelpers)
#include "tst_helpers.moc"
