#pragma once

#include <QString>

// One entry of a playlist as a value: the media file's path (or a stream URL) and the range
// marks it plays with ("120-480 900-1500", "" for none). Lists keep entries; the text a
// list shows and the text a list file holds are made from an entry when they are needed.
struct PlaylistEntry {
    QString path;
    QString marks;

    bool isEmpty() const { return path.isEmpty(); }
    bool hasMarks() const { return !marks.isEmpty(); }

    // The entry of an item text: everything before the last "∥" is the path, the rest the
    // marks ("x∥" is the path "x" without marks; "a∥b∥" the path "a∥b").
    static PlaylistEntry fromItemText(const QString& text);
    // The item text a list file and "List.ini" keep: the path, then "∥" and the marks when
    // there are marks, or a final "∥" when the path holds "∥" itself, so that reading the
    // text back gives the same entry.
    QString itemText() const;

    friend bool operator==(const PlaylistEntry& a, const PlaylistEntry& b) {
        return a.path == b.path && a.marks == b.marks;
    }
    friend bool operator!=(const PlaylistEntry& a, const PlaylistEntry& b) { return !(a == b); }
};
