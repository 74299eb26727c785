// The settings files as text: which lines count and how their values read, the fifteen lines
// written, the playlists file with damaged headers, and the encodings and line ends read.
#include "TestSupport.h"
#include "core/settings/SettingsFiles.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(SettingKey)

namespace {

// Bytes of a text file, the text they read as, and whether writing that text gives the
// same bytes again.
struct DecodeRow {
    QByteArray bytes;
    QString text;
    bool sameBytes = true;
};

// A byte that is kept as it is, as the text holds it.
QString kept(unsigned char byte) {
    return QString(QChar(char16_t(0xDC00 + byte)));
}

}  // namespace

Q_DECLARE_METATYPE(DecodeRow)

class tst_SettingsFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keys_data();
    void keys();
    void numbersAndTruths();
    void writtenLines();
    void readBackWhatIsWritten();
    void listIni_data();
    void listIni();
    void listIniRoundTrip();
    void encodingsAndLineEnds();
    void encodingPerLine_data();
    void encodingPerLine();
    void listIniKeepsUndecodableEntries();
    void wholeOrNothing();
};

void tst_SettingsFiles::keys_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("key");  // -1: not a setting
    QTest::addColumn<QString>("value");
    const auto row = [](const char* tag, const char* line, int key, const char* value) {
        QTest::newRow(tag) << u8(line) << key << u8(value);
    };
    row("plain", "MainRect=1,2,3,4", int(SettingKey::MainRect), "1,2,3,4");
    row("capitals", "MAINRECT=1,2,3,4", int(SettingKey::MainRect), "1,2,3,4");
    row("blank before =", "MainRect =1,2,3,4", -1, "");
    row("blanks around the line", "  \tKeepWH=False \t", int(SettingKey::KeepWH), "False");
    row("blank after =", "LineFmt=  2", int(SettingKey::LineFmt), "2");
    row("value holding =", "ListDir=/home/a=b/", int(SettingKey::ListDir), "/home/a=b/");
    row("empty value", "SaveDir=", int(SettingKey::SaveDir), "");
    row("no =", "MainRect", -1, "");
    row("unknown", "Volume=3", -1, "");
    row("last key", "donetofn=1", int(SettingKey::DoneToFn), "1");
}

void tst_SettingsFiles::keys() {
    QFETCH(QString, line);
    QFETCH(int, key);
    QFETCH(QString, value);
    const QList<SettingLine> lines = parseSettings(line + QStringLiteral("\r\n"));
    if (key < 0) {
        QVERIFY(lines.isEmpty());
        return;
    }
    QCOMPARE(lines.size(), 1);
    QCOMPARE(int(lines[0].key), key);
    QCOMPARE(lines[0].value, value);
}

void tst_SettingsFiles::numbersAndTruths() {
    QCOMPARE(settingNumber(QStringLiteral("12abc")), 12.0);
    QCOMPARE(settingNumber(QStringLiteral(" -3.5")), -3.5);
    QCOMPARE(settingNumber(QStringLiteral("x1")), 0.0);
    QCOMPARE(settingNumber(QString()), 0.0);
    QCOMPARE(settingNumber(QStringLiteral("99999999999999999999")), 1e20);
    QCOMPARE(settingNumbers(QStringLiteral("1,,x,4.5")), QList<double>({1, 0, 0, 4.5}));
    QCOMPARE(settingTruth(QStringLiteral("tRUE")), std::optional<bool>(true));
    QCOMPARE(settingTruth(QStringLiteral("False")), std::optional<bool>(false));
    QCOMPARE(settingTruth(QStringLiteral("0")), std::optional<bool>(false));
    QCOMPARE(settingTruth(QStringLiteral("-1")), std::optional<bool>(true));
    QCOMPARE(settingTruth(QStringLiteral("yes")), std::nullopt);
}

void tst_SettingsFiles::writtenLines() {
    SettingsValues v;
    v.mainRect = {1500, 3000, 5550, 5550};
    v.listPos = {1950, 3450};
    v.capPos = {-150, 0};
    v.listDir = u8("/home/ann/影片/");
    v.stepMode = 2;
    v.stepValue = {30, 10, 5};
    v.playSetting = 3;
    v.lineFmt = 1;
    v.doneToFn = 1;
    QCOMPARE(settingsText(v), u8("MainRect=1500,3000,5550,5550\r\n"
                                 "ListRect=1950,3450\r\n"
                                 "CapRect=-150,0\r\n"
                                 "KeepWH=True\r\n"
                                 "KeepDef=False\r\n"
                                 "ListDir=/home/ann/影片/\r\n"
                                 "SaveDir=\r\n"
                                 "ListDirIdx=-1\r\n"
                                 "StepMode=2,30,10,5\r\n"
                                 "PlaySetting=3\r\n"
                                 "ToListEnd=True\r\n"
                                 "StartList=False\r\n"
                                 "AutoAddMark=False\r\n"
                                 "LineFmt=1\r\n"
                                 "DoneToFn=1\r\n"));
}

void tst_SettingsFiles::readBackWhatIsWritten() {
    SettingsValues v;
    v.mainRect = {1234.5, -7, 99999, 0.25};
    const QList<SettingLine> lines = parseSettings(settingsText(v));
    QCOMPARE(lines.size(), 15);
    QCOMPARE(lines[0].key, SettingKey::MainRect);
    const QList<double> read = settingNumbers(lines[0].value);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(float(read[i]), float(v.mainRect[size_t(i)]));
    }
    QCOMPARE(lines[14].key, SettingKey::DoneToFn);
}

void tst_SettingsFiles::listIni_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("last");
    QTest::addColumn<QStringList>("one");
    QTest::addColumn<int>("oneSelected");
    QTest::addColumn<QStringList>("two");
    QTest::addColumn<int>("refused");
    const QString a = u8("/v/a.flv∥10-20");
    const QString b = QStringLiteral("/v/b.flv");
    QTest::newRow("both")
        << u8("1\r\n0∥清單編號∥2∥1\r\n/v/a.flv∥10-20\r\n/v/b.flv\r\n1∥清單編號∥1∥0\r\n"
              "/v/b.flv\r\n")
        << 1 << QStringList{a, b} << 1 << QStringList{b} << 0;
    QTest::newRow("count 0 then the next header")
        << u8("0\r\n0∥清單編號∥0∥-1\r\n1∥清單編號∥1∥-1\r\n/v/b.flv\r\n") << 0 << QStringList() << -1
        << QStringList{b} << 0;
    QTest::newRow("count larger than the lines")
        << u8("0\r\n0∥清單編號∥500∥0\r\n/v/a.flv∥10-20\r\n/v/b.flv") << 0 << QStringList{a, b} << 0
        << QStringList() << 0;
    QTest::newRow("no such playlist takes its lines")
        << u8("0\r\n7∥清單編號∥1∥0\r\n/v/x.flv\r\n1∥清單編號∥1∥0\r\n/v/b.flv\r\n") << 0
        << QStringList() << -1 << QStringList{b} << 0;
    QTest::newRow("selection past the end") << u8("0\r\n0∥清單編號∥1∥5\r\n/v/b.flv\r\n") << 0
                                            << QStringList{b} << -1 << QStringList() << 0;
    QTest::newRow("a second header adds")
        << u8("0\r\n0∥清單編號∥1∥0\r\n/v/b.flv\r\n0∥清單編號∥1∥1\r\n/v/a.flv∥10-20\r\n") << 0
        << QStringList{b, a} << 1 << QStringList() << 0;
    QTest::newRow("garbage") << u8("x\r\n∥∥∥\r\n\r\n") << 0 << QStringList() << -1 << QStringList()
                             << 0;
    QTest::newRow("empty") << QString() << 0 << QStringList() << -1 << QStringList() << 0;
    // Longer than any path (4,096 bytes: 1,366 three-byte characters), or marks longer than
    // 65,536 characters: passed over and counted; the longest path that can be is kept.
    const QString longest = QLatin1Char('/') + QString(4094, u'x');
    QTest::newRow("entries too long for a path")
        << u8("0\r\n0∥清單編號∥5∥0\r\n/") + QString(4095, u'x') + u8("\r\n/") +
               QString(1366, u'影') + u8("\r\n") + longest + u8("\r\n/v/b.flv∥") +
               QString(65537, u'1') + u8("\r\n/v/b.flv\r\n")
        << 0 << QStringList{longest, b} << 0 << QStringList() << 3;
}

void tst_SettingsFiles::listIni() {
    QFETCH(QString, text);
    QFETCH(int, last);
    QFETCH(QStringList, one);
    QFETCH(int, oneSelected);
    QFETCH(QStringList, two);
    QFETCH(int, refused);
    const StoredLists read = parseListIni(text);
    QCOMPARE(read.lastPlaylist, last);
    QCOMPARE(read.lists[0].items, one);
    QCOMPARE(read.lists[0].selected, oneSelected);
    QCOMPARE(read.lists[1].items, two);
    QCOMPARE(read.refused, refused);
}

void tst_SettingsFiles::listIniRoundTrip() {
    StoredLists lists;
    lists.lastPlaylist = 1;
    lists.lists[0] = {{u8("/v/片段∥1.flv∥100-200 300-400"), QStringLiteral("http://h/x.flv")}, 0};
    lists.lists[1] = {{}, -1};
    const QString text = listIniText(lists);
    QVERIFY(text.startsWith(u8("1\r\n0∥清單編號∥2∥0\r\n")));
    const StoredLists read = parseListIni(text);
    QCOMPARE(read.lastPlaylist, 1);
    QCOMPARE(read.lists[0].items, lists.lists[0].items);
    QCOMPARE(read.lists[0].selected, 0);
    QVERIFY(read.lists[1].items.isEmpty());
}

void tst_SettingsFiles::encodingsAndLineEnds() {
    // "影片" in Big5 and in UTF-8 with a byte-order mark; CR-only and LF-only line ends.
    QCOMPARE(decodeText("ListDir=/\xbc\x76\xa4\xf9/"), u8("ListDir=/影片/"));
    QCOMPARE(decodeText("\xef\xbb\xbfListDir=/\xe5\xbd\xb1\xe7\x89\x87/"), u8("ListDir=/影片/"));
    const auto joined = [](const QString& text) {
        QStringList lines;
        for (const QStringView line : splitLines(text)) {
            lines << line.toString();
        }
        return lines.join(QLatin1Char('|'));
    };
    QCOMPARE(joined(QStringLiteral("a\rb\nc\r\nd")), QStringLiteral("a|b|c|d"));
    QCOMPARE(joined(QStringLiteral("a\r\n\r\n")), QStringLiteral("a|"));
    const QList<SettingLine> lines = parseSettings(QStringLiteral("KeepWH=False\rLineFmt=2\n"));
    QCOMPARE(lines.size(), 2);
    // Binary bytes give no settings and no trouble.
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i) {
        binary[i] = char(i * 37);
    }
    parseSettings(decodeText(binary));
    parseListIni(decodeText(binary));
}

void tst_SettingsFiles::encodingPerLine_data() {
    testsupport::addRows<DecodeRow>({
        {"utf-8", {"/v/\xe5\xbd\xb1.flv\r\n", u8("/v/影.flv\r\n")}},
        // One line in another encoding leaves the lines around it as they are.
        {"latin-1 line among utf-8",
         {"/v/\xe5\xbd\xb1.flv\r\n/music/caf\xe9.flv\r\n/v/\xe5\xbd\xb1.flv\n",
          u8("/v/影.flv\r\n/music/caf") + kept(0xe9) + u8(".flv\r\n/v/影.flv\n")}},
        {"big5 line among utf-8",
         {"/v/\xe5\xbd\xb1.flv\r/\xbc\x76\xa4\xf9/\r", u8("/v/影.flv\r/影片/\r"), false}},
        // Each line is judged on its own, also after one that was neither.
        {"big5 after a line kept as bytes",
         {"caf\xe9.\n/\xbc\x76\xa4\xf9/", u8("caf") + kept(0xe9) + u8(".\n/影片/"), false}},
        // Bytes that only a lenient Big5 table takes (a private-use or control character)
        // and a mix of UTF-8 and stray bytes are kept.
        {"no big5 text", {"\xff\x80x\n", kept(0xff) + kept(0x80) + u8("x\n")}},
        {"utf-8 and stray bytes",
         {"\xe5\xbd\xb1x\xe9.\xe5\xbd",
          u8("影x") + kept(0xe9) + u8(".") + kept(0xe5) + kept(0xbd)}},
        {"overlong, surrogate, beyond U+10FFFF",
         {"\xc0\x80\xed\xa0\x80\xf4\x90\x80\x80", kept(0xc0) + kept(0x80) + kept(0xed) +
                                                      kept(0xa0) + kept(0x80) + kept(0xf4) +
                                                      kept(0x90) + kept(0x80) + kept(0x80)}},
        // One byte-order mark opens the file; one inside a line is a character of it.
        {"byte-order marks",
         {"\xef\xbb\xbf\xef\xbb\xbf"
          "a\n\xef\xbb\xbf"
          "caf\xe9.",
          QChar(0xFEFF) + u8("a\n\uFEFFcaf") + kept(0xe9) + u8("."), false}},
    });
}

// Each line is read in its own encoding, and a line that is neither UTF-8 nor Big5 is
// written back byte for byte.
void tst_SettingsFiles::encodingPerLine() {
    QFETCH(DecodeRow, row);
    const QString text = decodeText(row.bytes);
    QCOMPARE(text, row.text);
    if (row.sameBytes) {
        QCOMPARE(encodeText(text), row.bytes);
    }
    QCOMPARE(decodeText(encodeText(text)), text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text);
}

// A List.ini of UTF-8 entries and one Latin-1 file name keeps every entry, that one byte
// for byte.
void tst_SettingsFiles::listIniKeepsUndecodableEntries() {
    QByteArray bytes =
        "0\r\n0\xe2\x88\xa5\xe6\xb8\x85\xe5\x96\xae\xe7\xb7\xa8\xe8\x99\x9f"
        "\xe2\x88\xa5"
        "1002\xe2\x88\xa5-1\r\n";
    for (int i = 0; i < 1001; ++i) {
        bytes += "/v/\xe5\xbd\xb1" + QByteArray::number(i) +
                 ".flv\xe2\x88\xa5"
                 "1-2\r\n";
    }
    bytes +=
        "/music/caf\xe9.flv\r\n1\xe2\x88\xa5\xe6\xb8\x85\xe5\x96\xae\xe7\xb7\xa8"
        "\xe8\x99\x9f\xe2\x88\xa5"
        "0\xe2\x88\xa5-1\r\n";
    const StoredLists lists = parseListIni(decodeText(bytes));
    QCOMPARE(lists.lists[0].items.size(), 1002);
    QCOMPARE(lists.lists[0].items.last(), u8("/music/caf") + kept(0xe9) + u8(".flv"));
    QCOMPARE(encodeText(listIniText(lists)), bytes);
}

void tst_SettingsFiles::wholeOrNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Zelvo.FLV.ini"));
    QVERIFY(writeWholeFile(path, "old"));
    QVERIFY(writeWholeFile(path, "new text"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("new text"));
    QVERIFY(!writeWholeFile(dir.filePath(QStringLiteral("missing/List.ini")), "x"));
    QVERIFY(!writeWholeFile(dir.path(), "x"));
    QCOMPARE(testsupport::filesIn(dir.path()), QStringList{QStringLiteral("Zelvo.FLV.ini")});
}

QTEST_GUILESS_MAIN(tst_SettingsFiles)
#include "tst_settingsfiles.moc"
