#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringList>

class QMimeData;

// One list of the playlist window: playlist one, playlist two or the join list. A playlist
// keeps each entry as its display line (the item text laid out in the list's layout, see
// mdlLineFormat.h); the join list keeps plain paths. The list has one selected line (-1
// none) and every operation of the list's toolbar works on the lines and that selection.
class PlaylistModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum class Kind { Playlist, Plain };

    explicit PlaylistModel(Kind kind, QObject* parent = nullptr);

    Kind kind() const { return m_kind; }
    int count() const { return static_cast<int>(m_lines.size()); }
    const QStringList& lines() const { return m_lines; }
    QString line(int row) const { return m_lines.value(row); }

    // The selected line, -1 for none. Setting an index outside the list selects nothing.
    int listIndex() const { return m_index; }
    void setListIndex(int index);

    // The layout the lines are laid out in (playlists only). Setting another lays out every
    // line again.
    int layout() const { return m_layout; }
    void setLayout(int layout);

    // A line as an item text (path, "∥" and marks when it has marks) and as a bare path.
    QString itemText(int row) const;
    QString path(int row) const;
    QString selectedItem() const { return itemText(m_index); }
    QString selectedPath() const { return path(m_index); }
    QStringList itemTexts() const;

    // Adds an item text after the selection (at the top without one) or at the end, and
    // selects it. The join list keeps the path without marks. An empty text adds nothing.
    void addToList(const QString& text, bool insertAfterSelection);
    // The same as adding each text in turn, in one change of the list.
    void addItems(const QStringList& texts, bool insertAfterSelection);
    // Replaces every entry, nothing selected.
    void setItems(const QStringList& texts);

    // Removes the selected line; the line that took its place (or the new last one) is
    // selected. Nothing happens without a selection.
    void removeSelected();
    void clear();
    // Exchanges the selected line with its neighbour above (-1) or below (+1); the
    // selection follows it.
    void moveSelected(int step);
    // Sort, reverse and shuffle keep the selected index, not the selected entry.
    // Sorting compares whole lines in the user's locale, ignoring case.
    void sortLines();
    void reverseLines();
    // Every order equally likely.
    void shuffleLines();

Q_SIGNALS:
    void listIndexChanged(int index);

public:
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QString lineOf(const QString& text) const;
    void rewriteLines(QStringList lines);

    Kind m_kind;
    QStringList m_lines;
    int m_index = -1;
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
// first). A file list (URLs) wins over text; text is one name a line. Names that are not
// existing files are skipped.
QStringList droppedFiles(const QMimeData& data);
