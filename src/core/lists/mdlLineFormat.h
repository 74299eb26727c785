#pragma once

#include "core/lists/PlaylistEntry.h"

#include <QString>
#include <QStringList>

// The lines a playlist shows. An entry is kept as its item text, a full path optionally
// followed by "∥" and its marks text ("120-480 900-1500"); the list shows it as one line
// of TAB-separated columns in one of three layouts:
//   0  full path, marks label
//   1  file name, folder, marks label
//   2  file name, marks label, folder
// The marks label is "標記 " + marks, or "無標記" without marks. Folders end in "/".
// Any other layout number has no columns and gives empty lines.

inline constexpr QChar itemMarksSeparator(0x2225);  // "∥"
inline constexpr QStringView marksLabelPrefix = u"標記 ";
inline constexpr QStringView noMarksLabel = u"無標記";

// Whether an item text is no entry a list keeps: its path longer than any path the system
// allows (PATH_MAX bytes), or its marks text longer than 65,536 characters (some five
// thousand ranges). Such a text is passed over, never laid out, so that one damaged line of
// megabytes costs no time in the list.
bool isOverlongItem(QStringView text);

// The path of an item text; marks (when given) receives the marks text ("" when none).
// Only the last "∥" separates the marks, so a path may hold "∥" itself.
QString splitItemMarks(const QString& text, QString* marks = nullptr);

// The line of an item text in layout; path and marks (when given) receive the parts.
// An empty path gives an empty line.
QString formatLine(const QString& text, int layout, QString* path = nullptr,
                   QString* marks = nullptr);

// The line of an entry in layout.
QString entryLine(const PlaylistEntry& entry, int layout);

// The item text of a line laid out in layout; "" for an empty line. Missing columns read
// as empty; a layout 2 line of fewer than three columns gives "". The item text of a path
// holding "∥" ends in "∥" (plus the marks, if any).
QString lineToItem(const QString& line, int layout);

// The path of a line laid out in layout, its drive letter normalised. Only a marks column
// holding a range ("-") counts: marks (when given) receives its marks text, else "". With
// withMarks the result is the item text: path + "∥" + marks when there are marks, and a
// path holding "∥" ends in "∥". "" for an empty line.
QString linePath(const QString& line, int layout, QString* marks, bool withMarks);

// How many columns a line of layout has: 2, 3, 3, and 0 for any other layout.
int lineColumnCount(int layout);

// The lines of a playlist laid out in fromLayout, laid out again in toLayout.
QStringList reformatList(const QStringList& lines, int fromLayout, int toLayout);
