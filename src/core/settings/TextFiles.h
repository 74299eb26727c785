#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

// Reading and writing the program's own text files: settings, playlists and list files.

// The text without the blanks (spaces and tabs) at its ends.
QStringView trimBlanks(QStringView text);

// The lines of a text, each ended by CR LF, LF or CR alone; a final line needs no end.
std::vector<QStringView> splitLines(QStringView text);

// A text file's bytes as text, line by line (one byte-order mark at the start is skipped):
// a line of valid UTF-8 is UTF-8, else Big5 when it reads as Big5 text (lists and settings
// written on older Chinese systems), else its bytes are kept. Such a line could be a file
// name in another 8-bit encoding, a real file on Linux: its valid UTF-8 sequences become
// their characters and every other byte b becomes the lone surrogate U+DC00 + b (U+DC80 to
// U+DCFF), which no decoded UTF-8 or Big5 ever holds, so encodeText gives the same bytes
// back and an entry that cannot be decoded survives a save byte for byte.
QString decodeText(QByteArrayView bytes);

// The text as UTF-8, each kept byte of decodeText (a lone U+DC80 to U+DCFF) written as that
// byte again.
QByteArray encodeText(QStringView text);

// Whether the text holds bytes decodeText kept (see there).
bool holdsRawBytes(QStringView text);

// Replaces path by bytes as one step: a crash, a full disk or a short write leaves the old
// file whole. False when the file could not be written completely.
bool writeWholeFile(const QString& path, const QByteArray& bytes);
