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

// A text file's bytes as text: UTF-8 (a byte-order mark is skipped), or Big5 when the
// bytes are not UTF-8, as the Windows predecessor of the program wrote its files.
QString decodeText(QByteArrayView bytes);

// Replaces path by bytes as one step: a crash, a full disk or a short write leaves the old
// file whole. False when the file could not be written completely.
bool writeWholeFile(const QString& path, const QByteArray& bytes);
