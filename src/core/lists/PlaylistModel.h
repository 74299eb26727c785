#pragma once

#include "core/lists/PlaylistEntry.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class QMimeData;

// One list of the playlist window: playlist one, playlist two or the join list. Each entry
// is a value (path and marks, PlaylistEntry); a playlist shows it as a line of the list's
// layout (see mdlLineFormat.h), made when the line is drawn, measured or compared, and the
// join list shows the path alone and keeps no marks. The list has one current entry (the
// selection the toolbar works on, -1 none), may have more selected beside it, and knows
// which entry the player is playing. All three follow their entries when the list is
// reordered.
class PlaylistModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum class Kind { Playlist, Plain };
    // The entry the player plays from this list is drawn marked.
    enum Role { PlayingRole = Qt::UserRole + 1 };

    explicit PlaylistModel(Kind kind, QObject* parent = nullptr);

    Kind kind() const { return m_kind; }
    int count() const { return static_cast<int>(m_rows.size()); }
    PlaylistEntry entry(int row) const;
    // The entry of a row inside the list (0 <= row < count()), valid until the list changes.
    const PlaylistEntry& entryAt(int row) const { return m_rows.at(row).entry; }
    QList<PlaylistEntry> entries() const;
    // The line a row shows in the list's layout ("" past the end), and every line.
    QString line(int row) const;
    QStringList lines() const;

    // The current entry, -1 for none. Setting an index outside the list selects nothing.
    // The current entry is always one of the selected ones.
    int listIndex() const { return m_index; }
    void setListIndex(int index);
    // Every selected row, in order; the current one alone unless more were selected.
    QList<int> selectedRows() const;
    // Selects rows (those outside the list are passed over); current stays the current
    // entry when it is among them, else the first of them is.
    void setSelectedRows(const QList<int>& rows, int current = -1);

    // The entry the player is playing from this list, -1 none.
    int playingRow() const;
    void setPlayingRow(int row);

    // The layout the lines are shown in (playlists only).
    int layout() const { return m_layout; }
    void setLayout(int layout);

    // An entry as an item text (path, "∥" and marks when it has marks) and as a bare path.
    QString itemText(int row) const;
    QString path(int row) const;
    PlaylistEntry selectedEntry() const { return entry(m_index); }
    QString selectedItem() const { return itemText(m_index); }
    QString selectedPath() const { return path(m_index); }
    QStringList itemTexts() const;

    // Adds an item text after the selection (at the top without one) or at the end, and
    // selects it. The join list keeps the path without marks. An empty text adds nothing.
    void addToList(const QString& text, bool insertAfterSelection);
    // The same as adding each text in turn, in one change of the list.
    void addItems(const QStringList& texts, bool insertAfterSelection);
    void addEntries(const QList<PlaylistEntry>& entries, bool insertAfterSelection);
    // Replaces every entry, nothing selected.
    void setItems(const QStringList& texts);
    void setEntries(const QList<PlaylistEntry>& entries);

    // Removes the selected entries; the entry that took the current one's place (or the new
    // last one) becomes current. Nothing happens without a selection.
    void removeSelected();
    void clear();
    // Exchanges the current entry with its neighbour above (-1) or below (+1); the
    // selection follows it.
    void moveSelected(int step);
    // Sort, reverse and shuffle keep the selected entries selected, wherever they go.
    // Sorting compares whole lines in the user's locale, ignoring case.
    void sortLines();
    void reverseLines();
    // Every order equally likely.
    void shuffleLines();

Q_SIGNALS:
    void listIndexChanged(int index);
    // The set of selected rows changed (also when only the order of the list did).
    void selectionChanged();

public:
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Row {
        PlaylistEntry entry;
        bool selected = false;
        bool playing = false;
    };
    PlaylistEntry entryOf(const QString& text) const;
    // Puts the rows in the order given (old row numbers), the flags going with them.
    void reorder(const std::vector<int>& order);
    void clearSelectionFlags();
    // The end of a reset that put new rows in: nothing selected.
    void endReset();

    Kind m_kind;
    QList<Row> m_rows;
    int m_index = -1;
    int m_selectedCount = 0;  // rows flagged selected
    int m_layout = 0;
};

// Which toolbar buttons of a list can act, from its line count and selection.
struct ListButtonStates {
    bool moveUp = false;
    bool moveDown = false;
    bool hasLines = false;   // remove, remove all, save, save the file, go to it, play
    bool twoOrMore = false;  // sort, reverse, shuffle, random play
};
ListButtonStates listButtonStates(int count, int index);

// The tool tip of an entry's path: its size in KB rounded up, " ( 不存在 )" for a missing
// file, the bare URL for a stream.
QString entryTip(const QString& path);

// The files a drop onto a list brings, in the order they are added (the last dropped
// first). A file list (URLs) wins over text; text is one name a line. A folder brings its
// media files in name order; one without any is put into emptyFolders (when given). Names
// that are neither existing files nor folders are skipped.
QStringList droppedFiles(const QMimeData& data, QStringList* emptyFolders = nullptr);

// Name order as file managers show it: case ignored, runs of digits by their value
// ("clip2" before "clip10").
bool naturalLess(const QString& a, const QString& b);

// The media files directly in folder, in name order (as a file manager sorts them: case
// ignored, numbers by their value); hidden files are left out.
QStringList mediaFilesIn(const QString& folder);
