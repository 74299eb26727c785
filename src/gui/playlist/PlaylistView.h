#pragma once

#include "core/lists/PlaylistModel.h"

#include <QList>
#include <QListView>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

// The list box of one list of the playlist window. It shows a PlaylistModel one line a row,
// a playlist's TAB-separated columns aligned at column stops and never elided (the box
// scrolls sideways instead), and keeps its single selection in step with the model's
// listIndex both ways. Drops of files from a file manager, double clicks, presses and the
// context menu are handed to the window as signals.
//
// The stops are measured by fitListWidth(), which the window calls once after a batch of
// changes or a change of layout: measuring on every insert would cost a pass over the whole
// list each time.
class PlaylistView : public QListView {
    Q_OBJECT

public:
    explicit PlaylistView(QWidget* parent = nullptr);

    void setPlaylist(PlaylistModel* model);
    PlaylistModel* playlist() const { return m_model; }

    // Measures the lines with the view's font and sets the column stops: stop j is stop
    // j-1 (0 before the first column) plus the widest cell of column j plus a gap of two
    // average characters. A list without columns is as wide as its widest line plus 10 px.
    // In a column where more than 2,000 different cells come close to the widest, the
    // widest is taken from the characters' widths: at most a sixteenth of an average
    // character a character too wide, never too narrow.
    void fitListWidth();
    // The same, deferred until the list is on screen when it is not now: a playlist loaded
    // at start-up costs no measuring until it is shown.
    void refitWhenShown();
    QList<int> columnStops() const { return m_stops; }
    // The width of a line's contents: the last stop (0 before a fit and for a playlist
    // without lines).
    int contentWidth() const { return m_stops.isEmpty() ? 0 : m_stops.last(); }

    // Scrolls so that row is the top line.
    using QListView::scrollToTop;
    void scrollToTop(int row);

    // The text of the tip shown over a line.
    void setTipProvider(std::function<QString(int row)> provider);

Q_SIGNALS:
    // Existing files dropped on the list, the last dropped first; never empty.
    void filesDropped(const QStringList& files);
    // Folders dropped on the list that hold no media file.
    void foldersWithoutMedia(const QStringList& folders);
    void lineDoubleClicked(int row);
    // A left or right press on the list, after the selection followed it; -1 off the lines.
    void mouseDown(int row);
    void contextMenuAt(const QPoint& globalPos);

protected:
    bool viewportEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;

private:
    QString tipAt(const QPoint& viewportPos) const;
    void showListIndex();
    void followCurrent(int row);

    QPointer<PlaylistModel> m_model;
    QList<int> m_stops;
    std::function<QString(int)> m_tipProvider;
    // While the model changes its rows the selection model moves the current row on its
    // own; the model's listIndex is the truth then, shown again once the change is done.
    int m_modelChanging = 0;
    bool m_showingIndex = false;
    bool m_fitPending = false;
};
