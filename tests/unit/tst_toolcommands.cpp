#include "tools/ToolCommands.h"

#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(ToolCommand)

namespace {

const QString mcd = QStringLiteral("/tmp/~tmpExtMcd");
const QString fmg = QStringLiteral("/tmp/~tmpExtFmg");
const QString fmd = QStringLiteral("/tmp/~tmpExtFmd");

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// Names written with "|" between them.
QStringList list(const char* joined) {
    return u8(joined).split(u'|');
}

// The words of a command text, the way the tools have always read it: split at
// blanks, a word in double quotes running to the quote before a blank or the end.
QStringList words(const QString& text) {
    static const QRegularExpression word(QStringLiteral("\"(.*?)\"(?= |$)|(\\S+)"));
    QStringList out;
    for (const QRegularExpressionMatch& m : word.globalMatch(text)) {
        out << m.captured(1) + m.captured(2);
    }
    return out;
}

EncodeSettings panel(int p) {
    EncodeSettings s;
    s.panel = p;
    return s;
}

// A panel's lists as picked: size, frame rate, bit rates, channels, "|" between them.
EncodeSettings panel(int p, const char* picked) {
    const QStringList v = list(picked);
    return {p, v[0], v[1], v[2], v[3], v[4], v[5]};
}

}  // namespace

// The command texts must read exactly as the tools have always been given
// them, and the program and arguments that really run are the words of the text.
class TestToolCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandText_data() {
        QTest::addColumn<ToolCommand>("command");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* tag, const ToolCommand& c, const char* text) {
            QTest::newRow(tag) << c << u8(text);
        };
        const QString src = u8("/home/u/影片 測試.flv");
        row("cut one segment", cutCommand(mcd, u8("12"), u8("9"), u8("~tmpSP001.flv"), src),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -ss 12 -endpos 9 -o ~tmpSP001.flv "
            "\"/home/u/影片 測試.flv\"");
        row("cut with mp3 audio",
            cutCommand(mcd, u8("90"), u8("5"), u8("~tmpSP004.avi"), u8("/v/a \"b\".avi"), true),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac mp3lame -lameopts br=64 -ss 90 -endpos 5 -o "
            "~tmpSP004.avi \"/v/a \"b\".avi\"");
        row("remux of a part", remuxCommand(fmg, u8("~tmpSP002.flv")),
            "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i ~tmpSP002.flv ~fix~tmpSP002.flv");
        row("metadata of a part", metaCommand(fmd, u8("~tmpSP002.flv")),
            "/tmp/~tmpExtFmd ~tmpSP002.flv");
        row("join of cut parts",
            joinPartsCommand(mcd, u8("flv"), list("~tmpSP001.flv|~tmpSP002.flv")),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o ~tmpSJoin.flv ~tmpSP001.flv "
            "~tmpSP002.flv");
        row("mpeg join remuxed into the chosen file",
            remuxToCommand(fmg, u8("~tmpSJoin.mpg"), u8("/out/clip_part.mpg")),
            "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i ~tmpSJoin.mpg \"/out/clip_part.mpg\"");
        row("join of cut parts into the chosen file",
            joinPartsToCommand(mcd, u8("/out/my clip_part.avi"),
                               list("~tmpSP001.avi|~tmpSP002.avi|~tmpSP003.avi")),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o \"/out/my clip_part.avi\" ~tmpSP001.avi "
            "~tmpSP002.avi ~tmpSP003.avi");
        row("join list, flv", joinFilesCommand(mcd, u8("flv"), list("/v/a b.flv|/v/-c.flv")),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o ~tmpSJoin.flv \"/v/a b.flv\" "
            "\"/v/-c.flv\"");
        row("join list, other types",
            joinFilesToCommand(mcd, u8("/out/a_merge.avi"), list("/v/a.avi|/v/b.avi")),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac copy -o \"/out/a_merge.avi\" \"/v/a.avi\" "
            "\"/v/b.avi\"");
        row("join list, other types, mp3 audio",
            joinFilesToCommand(mcd, u8("/out/a_merge.avi"), list("/v/a.avi|/v/b.avi"), true),
            "/tmp/~tmpExtMcd -mc 1 -ovc copy -oac mp3lame -lameopts br=64 -o \"/out/a_merge.avi\" "
            "\"/v/a.avi\" \"/v/b.avi\"");
        row("snapshot, single jpg", snapshotCommand(fmg, src, u8("12.340"), u8("jpg")),
            "/tmp/~tmpExtFmg -i \"/home/u/影片 測試.flv\" -y -ss 12.340 -t 0.001 ~tmpSP%03d.jpg");
        row("snapshot, series png", snapshotCommand(fmg, u8("/v/clip.flv"), u8("0.000"), u8("png")),
            "/tmp/~tmpExtFmg -i \"/v/clip.flv\" -y -ss 0.000 -t 0.001 ~tmpSP%03d.png");
        row("fix, flv", fixFlvCommand(fmg, u8("/v/clip.flv"), u8("flv")),
            "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i \"/v/clip.flv\" ~fix~tmpSP.flv");
        row("fix, mpeg", fixMpegCommand(fmg, u8("/v/clip.vob"), u8("/out/clip_fix.vob")),
            "/tmp/~tmpExtFmg -y -vcodec copy -acodec copy -i \"/v/clip.vob\" "
            "\"/out/clip_fix.vob\"");
        row("fix, other types", fixOtherCommand(mcd, u8("/v/clip.avi"), u8("/out/clip_fix.avi")),
            "/tmp/~tmpExtMcd -ovc copy -oac copy -o \"/out/clip_fix.avi\" \"/v/clip.avi\"");
        row("fix, other types, mp3 audio",
            fixOtherCommand(mcd, u8("/v/clip.avi"), u8("/out/clip_fix.avi"), true),
            "/tmp/~tmpExtMcd -ovc copy -oac mp3lame -lameopts br=64 -o \"/out/clip_fix.avi\" "
            "\"/v/clip.avi\"");
        row("encode, flv to mpg, defaults",
            encodeCommand(fmg, u8("/v/clip.flv"), u8("/out/clip.mpg"), panel(0)),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -r 25 -b 200 -ar 22050 -ab 64 -ac 2 "
            "\"/out/clip.mpg\"");
        row("encode, flv to wmv, 320x240",
            encodeCommand(fmg, u8("/v/clip.flv"), u8("/out/CLIP.WMV"),
                          panel(0, "320x240|25|200|22050|64|立體聲")),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -vcodec wmv2  -s 320x240 -r 25 -b 200 -ar 22050 "
            "-ab 64 -ac 2 \"/out/CLIP.WMV\"");
        row("encode, video to flv, defaults",
            encodeCommand(fmg, u8("/v/clip.mpg"), u8("/out/clip.flv"), panel(1)),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.mpg\" -r 25 -b 200 -ar 22050 -ab 64 -ac 2 "
            "\"/out/clip.flv\"");
        row("encode, flv metadata", metaQuotedCommand(fmd, u8("/out/my clip.flv")),
            "/tmp/~tmpExtFmd \"/out/my clip.flv\"");
        row("encode, flv to mp3, defaults",
            encodeCommand(fmg, u8("/v/clip.flv"), u8("/out/clip.mp3"), panel(2)),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -vn  -ar 22050 -ab 64 -ac 2 \"/out/clip.mp3\"");
        // The video lists take no part on the audio panels.
        row("encode, audio to flv, mono",
            encodeCommand(fmg, u8("/v/clip.wav"), u8("/out/clip.flv"),
                          panel(3, "320x240|30|1600|44100|128|單聲道")),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.wav\" -vn  -ar 44100 -ab 128 -ac 1 \"/out/clip.flv\"");
        row("encode, flv to avi, own settings",
            encodeCommand(fmg, u8("/v/clip.flv"), u8("/out/clip.avi"),
                          panel(0, "160x120|29.97|1600|22050|64|立體聲")),
            "/tmp/~tmpExtFmg -y -i \"/v/clip.flv\" -s 160x120 -r 29.97 -b 1600 -ar 22050 -ab 64 "
            "-ac 2 \"/out/clip.avi\"");
        row("resource program", resourceCommand(u8("/opt/zelvo/ZelvoResFLV"), u8("Edit1")),
            "/opt/zelvo/ZelvoResFLV Edit1");
    }
    void commandText() {
        QFETCH(ToolCommand, command);
        QFETCH(QString, text);
        QCOMPARE(command.text(), text);
        QCOMPARE(QStringList(command.program()) + command.arguments(), words(text));
    }

    void containerFamily_data() {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<int>("family");
        for (const QString& row : list("flv 1|FLV 1|mpeg 2|mpg 2|Vob 2|avi 3|dat 3|f4v 3| 3")) {
            QTest::newRow(qPrintable(row)) << row.section(u' ', 0, 0) << row.right(1).toInt();
        }
    }
    void containerFamily() {
        QFETCH(QString, ext);
        QFETCH(int, family);
        QCOMPARE(::containerFamily(ext), family);
    }

    // An empty value stays one (empty) argument and adds nothing to the text.
    void emptyArgument() {
        const ToolCommand c = ToolCommand(mcd).raw(u8(" -o ")).quoted(u8("a b")).arg(QString());
        QCOMPARE(c.arguments(), QStringList({u8("-o"), u8("a b"), QString()}));
        QCOMPARE(c.text(), u8("/tmp/~tmpExtMcd -o \"a b\""));
    }
};

QTEST_GUILESS_MAIN(TestToolCommands)
#include "tst_toolcommands.moc"
