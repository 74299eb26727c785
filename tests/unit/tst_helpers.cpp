// The helpers without a window: what the program makes of paths, times and file names, its
// folders and deletions, the file object's rules, the master volume's rules over a mixer the
// test controls and over this machine's, and the range marks as data.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "core/media/MainVol.h"
#include "core/player/MarksModel.h"
#include "core/player/PlayerState.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <limits>
#include <memory>
#include <utility>

namespace {

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

struct CurrentFolderGuard {
    QString saved = QDir::currentPath();
    ~CurrentFolderGuard() { QDir::setCurrent(saved); }
};

// What a sound card's master control would do; what is written goes to a list the
// test keeps (mutes as "mute N"), as MainVol drops a mixer that does not open.
struct TestMixer : MixerControl {
    explicit TestMixer(QStringList& log) : written(log) {}
    bool opens = true, hasVolume = true, readsWork = true;
    qint32 minimum = 0, maximum = 65536, level = 30000, muted = 0;
    QStringList& written;

    static bool give(qint32* to, qint32 value, bool ok) {
        *to = value;
        return ok;
    }
    bool open() override { return opens; }
    // Bounds read a second time would be others.
    bool volumeRange(qint32* low, qint32* high) override {
        return give(low, std::exchange(minimum, 10), true) &&
               give(high, std::exchange(maximum, 20), hasVolume);
    }
    bool volume(qint32* value) override { return give(value, level, readsWork); }
    bool mute(qint32* value) override { return give(value, muted, readsWork); }
    bool setVolume(qint32 value) override {
        written << QString::number(level = value);
        return true;
    }
    bool setMute(qint32 value) override {
        written << u8("mute %1").arg(muted = value);
        return true;
    }
};

// What the volume shows: bounds, level and mute.
QString shown(const MainVol& volume) {
    return u8("%1..%2 at %3%4")
        .arg(volume.MinMainVolume())
        .arg(volume.MaxMainVolume())
        .arg(volume.MainVolume())
        .arg(QLatin1String(volume.MainMute() ? ", muted" : ""));
}

}  // namespace

class TstHelpers : public QObject {
    Q_OBJECT

    const FileObject& fo = FileObject::shared();
    PlayerState m_state;  // of the marks

private Q_SLOTS:
    void init() {
        // 30 s at 25 frames a second.
        m_state.totalFrames = 750;
        m_state.secPerFrame = 0.04f;
        m_state.totalSeconds = 30.0;
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // What the program makes of a path.
    void classification_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("kinds");
        auto row = [](const char* tag, const char* path, const char* kinds) {
            QTest::newRow(tag) << u8(path) << u8(kinds);
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
        row("nothing", "", "");
    }
    void classification() {
        QFETCH(QString, path);
        QFETCH(QString, kinds);
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
        QCOMPARE(listPatterns, u8("*.plt;*.pls;*.m3u;*.m3u8;*.asx;"));
        QCOMPARE(editableFilter, u8("支援處理的檔案 (flv ; mpg ; dat ; vob)|") + editable);
        QCOMPARE(openFilter, editableFilter + u8("|支援播放的多媒體檔案|") + media +
                                 u8("|支援瀏覽的影像圖檔案|") + images + u8("|所有檔案|*.*"));
    }

    // The tools' dialogs start in the default save folder while it is set and there, and
    // otherwise in the source's own folder, whatever folder the file browser shows.
    void workDir_data() {
        QTest::addColumn<QString>("saveDir");  // "<dir>" a folder that is there
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("beside the source")
            << QString() << u8("/v/影片 1/a.flv") << u8("/v/影片 1/");
        QTest::newRow("default save folder") << u8("<dir>") << u8("/v/a.flv") << u8("<dir>/");
        QTest::newRow("default save folder gone")
            << u8("<dir>/gone") << u8("/v/a.flv") << u8("/v/");
        QTest::newRow("no source") << QString() << QString() << QString();
        QTest::newRow("a stream") << QString() << u8("http://host/a.flv") << QString();
        QTest::newRow("a stream, with a save folder")
            << u8("<dir>") << u8("http://host/a.flv") << u8("<dir>/");
    }
    void workDir() {
        QFETCH(QString, saveDir);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCOMPARE(::getWorkDir(path, saveDir.replace(u8("<dir>"), dir.path())),
                 expected.replace(u8("<dir>"), dir.path()));
    }

    void absoluteTarget_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("relative") << u8("media/a b.flv") << u8("/home/u/media/a b.flv");
        QTest::newRow("up a folder") << u8("../影片/-x.flv") << u8("/home/影片/-x.flv");
        QTest::newRow("above the root") << u8("../../../etc/x∥1-2") << u8("/etc/x∥1-2");
        QTest::newRow("to the root") << u8("./../../..") << u8("/");
        QTest::newRow("quoted, with marks")
            << u8("\"a.flv\"∥100-200") << u8("/home/u/a.flv∥100-200");
        QTest::newRow("absolute") << u8("/v/a.flv") << u8("/v/a.flv");
        QTest::newRow("stream") << u8("http://host/a.flv") << u8("http://host/a.flv");
        // A file manager's address is the file's path, its escapes undone.
        QTest::newRow("file address") << u8("file:///v/a.flv") << u8("/v/a.flv");
        QTest::newRow("file address, escaped")
            << u8("file:///v/%E5%BD%B1%E7%89%87%20%231%25.flv") << u8("/v/影片 #1%.flv");
        QTest::newRow("file address on localhost")
            << u8("FILE://localhost/v/a%20b.flv") << u8("/v/a b.flv");
        QTest::newRow("file address of another host")
            << u8("file://host/v/a.flv") << u8("file://host/v/a.flv");
        QTest::newRow("other scheme") << u8("rtmp://host/a.flv") << u8("rtmp://host/a.flv");
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
        QTest::addColumn<QString>("remaining");
        QTest::newRow("one file") << "a.flv"
                                  << "~tmpSP001.flv ~tmpSP002.flv";
        QTest::newRow("wildcard") << "~tmpS*.*"
                                  << "a.flv";
        QTest::newRow("missing") << "missing.flv"
                                 << "a.flv ~tmpSP001.flv ~tmpSP002.flv";
    }
    void killFile() {
        QFETCH(QString, name);
        QFETCH(QString, remaining);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* file : {"a.flv", "~tmpSP001.flv", "~tmpSP002.flv"}) {
            QVERIFY(testsupport::writeFile(dir.filePath(u8(file))));
        }
        ::killFile(dir.filePath(name));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name).join(u' '), remaining);
    }

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
        QVERIFY(testsupport::writeFile(dir.filePath(u8("plain.flv")), "x"));
        QVERIFY(testsupport::writeFile(dir.filePath(u8("-影片 \"1\".flv")), "x"));
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
            QVERIFY(testsupport::writeFile(dir.filePath(u8(name)), "x"));
        }
        QVERIFY(QDir(dir.path()).mkdir(u8("~tmpS.d")));
        QVERIFY(testsupport::writeFile(dir.filePath(u8("~tmpS.d/inside.flv")), "x"));
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
        // A longer old file must be replaced, not overwritten.
        QVERIFY(testsupport::writeFile(path, QByteArray(200, 'o')));
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

    void mixer_data() {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("muted");  // as the card reports it
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("requested");
        QTest::addColumn<QString>("result");  // shown before; shown after; written; messages
        const auto row = [](const char* tag, int minimum, int maximum, int muted, const char* fault,
                            int requested, const char* result) {
            QTest::newRow(tag) << minimum << maximum << muted << u8(fault) << requested
                               << u8(result);
        };
        row("inside", 0, 65536, 0, "", 1234,
            "0..65536 at 30000; 0..65536 at 1234; 1234|mute 1|mute 0");
        row("below", 0, 65536, 0, "", -5, "0..65536 at 30000; 0..65536 at 0; 0|mute 1|mute 0");
        row("above", 0, 65536, 0, "", 70000,
            "0..65536 at 30000; 0..65536 at 65536; 65536|mute 1|mute 0");
        row("raised minimum", 100, 200, 0, "", 50,
            "100..200 at 30000; 100..200 at 100; 100|mute 1|mute 0");
        row("negative range", -6400, 0, 0, "", 300,
            "-6400..0 at 30000; -6400..0 at 0; 0|mute 1|mute 0");
        // Only 1 reads as muted.
        row("muted", 0, 65536, 1, "", 5,
            "0..65536 at 30000, muted; 0..65536 at 5; 5|mute 1|mute 0");
        row("mute 2", 0, 65536, 2, "", 5, "0..65536 at 30000; 0..65536 at 5; 5|mute 1|mute 0");
        row("mute -1", 0, 65536, -1, "", 5, "0..65536 at 30000; 0..65536 at 5; 5|mute 1|mute 0");
        // Reads that fail give 0; a card without a volume control has empty bounds,
        // and no mute either; without a mixer "No mixer found!" is told once.
        row("reads fail", 0, 65536, 1, "reads", 5, "0..65536 at 0; 0..65536 at 0; 5|mute 1|mute 0");
        row("no volume control", 0, 65536, 1, "volume", 5, "0..0 at 30000; 0..0 at 0; 0");
        row("no mixer", 0, 65536, 1, "open", 5, "0..0 at 0; 0..0 at 0; ; No mixer found!");
    }
    // The bounds are read once, when the object is made; a volume set is clamped
    // to them; mute is written as 1 and 0.
    void mixer() {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, muted);
        QFETCH(QString, fault);
        QFETCH(int, requested);
        QFETCH(QString, result);
        ScriptedDialogs dialogs;
        dialogs.answerMessage(MsgResult::Ok);
        QStringList written;
        auto mixer = std::make_unique<TestMixer>(written);
        mixer->minimum = minimum;
        mixer->maximum = maximum;
        mixer->muted = muted;
        mixer->readsWork = fault != u8("reads");
        mixer->hasVolume = fault != u8("volume");
        mixer->opens = fault != u8("open");
        MainVol volume(std::move(mixer));
        QStringList seen = {shown(volume)};
        volume.setMainVolume(requested);
        volume.setMainMute(true);
        volume.setMainMute(false);
        seen << shown(volume) << written.join(u'|');
        for (const MessageRequest& message : dialogs.messages()) {
            QCOMPARE(message.buttons, MsgButtons::Ok);
            QCOMPARE(message.title, titles::app());
            seen << message.text;
        }
        QCOMPARE(seen.join(u8("; ")), result);
        QCOMPARE(volume.lastError(), 0);
    }

    // Without a sound card as a mixer that does not open; with one, its master volume
    // lies within the bounds, and setting it back to where it was changes nothing.
    void thisMachine() {
        ScriptedDialogs dialogs;
        dialogs.answerMessage(MsgResult::Ok);
        MainVol volume;
        const qint32 now = volume.MainVolume();
        QVERIFY(volume.MinMainVolume() <= now && now <= volume.MaxMainVolume());
        volume.setMainVolume(now);
        QCOMPARE(volume.MainVolume(), now);
        if (!dialogs.messages().isEmpty()) {
            QCOMPARE(dialogs.messageTexts(), QStringList(u8("No mixer found!")));
            QCOMPARE(shown(volume), u8("0..0 at 0"));
        }
    }

    void editing_data() {
        QTest::addColumn<QString>("ops");
        QTest::addColumn<QString>("marks");  // marksText, then "open" when the last is open
        QTest::addColumn<int>("curSeg");
        QTest::addColumn<bool>("strip");
        const auto row = [](const char* ops, const char* marks, int cur, bool strip) {
            QTest::newRow(ops) << u8(ops) << u8(marks) << cur << strip;
        };
        row("", "0-0 empty", 0, false);
        row("o100", "100-101 open", 0, true);
        row("o100 o120", "120-121 open", 0, true);  // a second start moves the open one
        row("o100 c200 o300", "100-200 300-301 open", 1, true);
        row("o100 c200 o300 c400 r0", "300-400", 0, true);
        row("o100 c200 o300 c400 r1", "100-200", 0, true);
        row("o100 c200 r0", "0-0 empty", 0, false);  // the only segment: nothing is left
        row("o100 c200 x", "0-0 empty", 0, false);
        row("t100-200 300-400", "100-200 300-400", 1, false);
        row("t 5-2  x-9 ", "5-5 0-9", 1, false);        // lenient numbers, no backward segment
        row("o100 t100-751", "100-101 open", 0, true);  // beyond the end: refused
        row("o100 t", "100-101 open", 0, true);
    }
    void editing() {
        QFETCH(QString, ops);
        QFETCH(QString, marks);
        QFETCH(int, curSeg);
        QFETCH(bool, strip);
        MarksModel model(m_state);
        QSignalSpy changed(&model, &MarksModel::changed);
        int expectedSignals = 0;
        for (const QString& op : ops.split(u' ', Qt::SkipEmptyParts)) {
            const QChar kind = op.at(0);
            const qint32 n = op.mid(1).toInt();
            if (kind == u'o') {
                model.openSegment(n);
            } else if (kind == u'c') {
                const MarksModel::Segment s = model.segment(model.curSeg);
                model.setSegment(model.curSeg, s.start, n - s.start, MarksModel::State::Closed);
            } else if (kind == u'r') {
                model.removeSegment(n);
            } else if (kind == u'x') {
                model.clear();
            } else if (kind == u't') {
                if (!model.setMarksText(ops.mid(ops.indexOf(u't') + 1), 750)) {
                    --expectedSignals;
                }
                ++expectedSignals;
                break;
            }
            ++expectedSignals;
        }
        QString shown = model.marksText();
        if (model.isEmpty()) {
            shown += u8(" empty");
        } else if (model.lastSegmentOpen()) {
            shown += u8(" open");
        }
        QCOMPARE(shown, marks);
        QCOMPARE(model.curSeg, curSeg);
        QCOMPARE(model.stripShown(), strip);
        QCOMPARE(changed.size(), expectedSignals);
    }

    // The times of a segment at 25 frames a second; nothing while the length is unknown.
    // (The texts the strip shows and the tools get: tst_rangemarks.)
    void marksTimes() {
        MarksModel model(m_state);
        QVERIFY(model.setMarksText(u8("307-503 700-750"), 750));
        float from = -1.0f;
        float to = -1.0f;
        QString start;
        QString end;
        QString length;
        model.segmentSeconds(0, from, to);
        QCOMPARE(from, 12.28f);
        QCOMPARE(to, 20.12f);

        m_state.totalSeconds = 0.0;  // a stream of unknown length
        model.segmentSeconds(0, from, to);
        QCOMPARE(QList<float>({from, to}), QList<float>({0.0f, 0.0f}));
        model.rsFormat(0, start, end, 2, from, to, 0.0f, 0.0f, length);
        QCOMPARE(start + end, QString());
    }
};

QTEST_GUILESS_MAIN(TstHelpers)
#include "tst_helpers.moc"
