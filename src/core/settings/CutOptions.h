#pragma once

#include <QString>

// Options of the range saving that "Zelvo.FLV.ini" has no line for. They live in their own
// small file, "Options.ini", in the settings folder beside it, so that file keeps its
// fifteen lines; each change is written at once (through a temporary file renamed over the
// old one) and holds whichever way the program ends.
namespace cutOptions {

// "ExactCut=True": 另存裁剪 and 另存分割 cut at exactly the marked pictures. False when the
// file or the line is missing or cannot be read.
bool readExactCut(const QString& programFolder);
// False when the file could not be written (the old one stays as it was).
bool writeExactCut(const QString& programFolder, bool on);

// The file's text with the option set, keeping every other line of text.
QString optionsText(const QString& text, bool exactCut);
// The option as text holds it; lines as the settings file's: keys case-insensitive, the
// value trimmed, "True"/"False" in any case or a number (0 false).
bool exactCutOf(const QString& text);

}  // namespace cutOptions
