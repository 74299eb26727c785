#pragma once

#include "core/settings/TextFiles.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The two settings files: "Zelvo.FLV.ini" (window places, folders, options; fifteen
// "Key=value" lines) and "List.ini" (the two playlists). Both are read leniently: a line
// or value that cannot be used is passed over and the rest still counts, so a damaged or
// hand-edited file never stops the program. Both are written whole, in UTF-8 with CR LF
// (through encodeText: a line read as kept bytes goes back as those bytes, so no entry is
// lost to its encoding).

// The keys of "Zelvo.FLV.ini", in the order they are written.
enum class SettingKey {
    MainRect,
    ListRect,
    CapRect,
    KeepWH,
    KeepDef,
    ListDir,
    SaveDir,
    ListDirIdx,
    StepMode,
    PlaySetting,
    ToListEnd,
    StartList,
    AutoAddMark,
    LineFmt,
    DoneToFn,
};

struct SettingLine {
    SettingKey key;
    QString value;
};

// The lines of a settings text with a known key, in file order (a later line for the same
// key is applied later, so it wins). Blanks around a line are trimmed; the key is the text
// up to the first "=", compared without regard to case, so "MainRect =" is no key; the
// value is the trimmed text after that "=".
QList<SettingLine> parseSettings(const QString& text);

// The leading decimal number of a text ("12abc" 12, "-3.5" -3.5, "x" 0).
double settingNumber(const QString& text);
// The numbers of a value separated by ",".
QList<double> settingNumbers(const QString& value);
// "True"/"False" in any case, or a number (0 false); nothing for anything else.
std::optional<bool> settingTruth(const QString& value);

// Everything "Zelvo.FLV.ini" holds. Window places are in twips.
struct SettingsValues {
    std::array<double, 4> mainRect{};  // left, top, width, height
    std::array<int, 2> listPos{};      // left, top of the playlist window
    std::array<int, 2> capPos{};       // left, top of the capture window
    bool keepWH = true;
    bool keepDef = false;
    QString listDir;
    QString saveDir;
    int listDirIdx = -1;
    int stepMode = 1;
    std::array<int, 3> stepValue{5, 5, 5};
    int playSetting = 0;
    bool toListEnd = true;
    bool startList = false;
    bool autoAddMark = false;
    int lineFmt = 0;
    int doneToFn = 0;
};

// The fifteen lines of "Zelvo.FLV.ini", each ended by CR LF.
QString settingsText(const SettingsValues& values);

// One playlist of "List.ini": its entries as item texts and its selection (-1 none).
struct StoredPlaylist {
    QStringList items;
    int selected = -1;
};

struct StoredLists {
    int lastPlaylist = 0;
    std::array<StoredPlaylist, 2> lists;
    int refused = 0;  // entries passed over as no entry a list keeps (isOverlongItem)
};

// "List.ini": the playlist shown last, then for each playlist a header line
// "n∥清單編號∥count∥selected" followed by count entry lines. A header for a playlist other
// than 0 or 1 still takes its count of lines; a count larger than the lines left takes
// the rest; a second header for the same playlist adds to it. An entry too long to be a path
// is passed over and counted in refused.
StoredLists parseListIni(const QString& text);
QString listIniText(const StoredLists& lists);
