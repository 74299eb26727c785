#include "gui/playlist/PlaylistView.h"

#include "core/lists/PlaylistModel.h"
#include "core/lists/mdlLineFormat.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QShowEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <deque>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

const QChar cellSeparator(u'\t');

// The space the style leaves before an item's text.
int textMargin(const QWidget* widget) {
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

// An upper bound of the width a text measures in a font, from the advances of its
// characters: laying the text out moves a character only by kerning, which the bound
// allows for (a sixteenth of an average character a character, and a pixel for rounding).
// A character whose width may depend on its neighbours beyond that (marks, controls,
// surrogates, scripts whose letters join or reorder) gives no bound (-1), nor does a font
// with extra letter or word spacing.
class WidthBound {
public:
    explicit WidthBound(const QFont& font)
        : m_metrics(font),
          m_usable(qFuzzyIsNull(font.letterSpacing()) && qFuzzyIsNull(font.wordSpacing())),
          m_slack(m_metrics.averageCharWidth() / 16),
          m_advances(0x10000, unknown) {}

    qreal of(QStringView text) {
        if (!m_usable) {
            return -1;
        }
        qreal sum = 1 + m_slack * static_cast<qreal>(text.size());
        for (const QChar c : text) {
            qreal& advance = m_advances[c.unicode()];
            if (advance == unknown) {
                advance = simple(c) ? m_metrics.horizontalAdvance(c) : -1;
            }
            if (advance < 0) {
                return -1;
            }
            sum += advance;
        }
        return sum;
    }

private:
    static constexpr qreal unknown = -2;

    static bool simple(QChar c) {
        if (c.isSurrogate() || c.isMark() || c.category() == QChar::Other_Control ||
            c.category() == QChar::Other_Format || c.category() == QChar::Other_NotAssigned) {
            return false;
        }
        switch (c.script()) {
            case QChar::Script_Common:
            case QChar::Script_Latin:
            case QChar::Script_Greek:
            case QChar::Script_Cyrillic:
            case QChar::Script_Han:
            case QChar::Script_Hiragana:
            case QChar::Script_Katakana:
            case QChar::Script_Bopomofo:
            case QChar::Script_Hangul:
                return true;
            default:
                return false;
        }
    }

    QFontMetricsF m_metrics;
    bool m_usable;
    qreal m_slack;
    std::vector<qreal> m_advances;  // by UTF-16 unit: unknown, -1 for no bound, the advance
};

// Draws a line's cells at the view's column stops, never elided. The panel, selection and
// focus are the style's own, so the list looks like the desktop's other lists.
class LineDelegate : public QStyledItemDelegate {
public:
    explicit LineDelegate(PlaylistView* view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString line = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        const int left = textRect.left() + textMargin(widget);
        const bool selected = opt.state.testFlag(QStyle::State_Selected);
        QPalette::ColorGroup group = QPalette::Normal;
        if (!opt.state.testFlag(QStyle::State_Enabled)) {
            group = QPalette::Disabled;
        } else if (!opt.state.testFlag(QStyle::State_Active)) {
            group = QPalette::Inactive;
        }

        painter->save();
        painter->setClipRect(opt.rect);
        // The entry the player plays is underlined in the link colour: neither changes a
        // cell's width, so the columns stay where they were measured.
        const bool playing = index.data(PlaylistModel::PlayingRole).toBool();
        QFont font = opt.font;
        font.setUnderline(playing);
        painter->setFont(font);
        QPalette::ColorRole role = selected ? QPalette::HighlightedText : QPalette::Text;
        if (playing && !selected) {
            role = QPalette::Link;
        }
        painter->setPen(opt.palette.color(group, role));
        const QList<int> stops = m_view->columnStops();
        const QFontMetrics metrics(opt.font);
        const int gap = 2 * metrics.averageCharWidth();
        int column = 0;
        int x = left;
        int next = left;
        for (const QStringView cell : QStringView(line).tokenize(cellSeparator)) {
            // Before the first fit (or past its columns) a cell follows the one before it.
            if (column > 0) {
                x = column - 1 < stops.size() ? left + stops.at(column - 1) : next;
            }
            const QString text = cell.toString();
            const int width = metrics.horizontalAdvance(text);
            painter->drawText(
                QRect(x, textRect.top(), width + gap, textRect.height()),
                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
            next = x + width + gap;
            ++column;
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        // Every line is as tall as one with Latin and CJK letters, whichever row is asked.
        opt.text = QStringLiteral("Xg 片");
        const QWidget* widget = opt.widget;
        const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        const QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), widget);
        return {m_view->contentWidth(), size.height()};
    }

private:
    PlaylistView* m_view;
};

}  // namespace

PlaylistView::PlaylistView(QWidget* parent) : QListView(parent) {
    // Several entries can be selected (Shift, Ctrl) for the batch tools and Del; the
    // toolbar works on the current one.
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    // Every line is the same size, so layout and scrolling never ask each row for it.
    setUniformItemSizes(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(ScrollPerPixel);
    setMouseTracking(true);
    // Files come from file managers; the lines are never dragged about inside the list.
    setDragEnabled(false);
    setDragDropMode(DropOnly);
    setDropIndicatorShown(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setItemDelegate(new LineDelegate(this));
}

void PlaylistView::setPlaylist(PlaylistModel* model) {
    if (m_model != nullptr) {
        disconnect(m_model, nullptr, this, nullptr);
    }
    m_model = model;
    m_stops.clear();
    m_modelChanging = 0;
    QItemSelectionModel* oldSelection = selectionModel();

    // Connected before the view's own handlers, so the flag is up before the selection
    // model moves the current row.
    if (model != nullptr) {
        const auto begin = [this] { ++m_modelChanging; };
        connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, begin);
        connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, begin);
        connect(model, &QAbstractItemModel::rowsAboutToBeMoved, this, begin);
        connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, begin);
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, begin);
    }
    setModel(model);
    if (oldSelection != nullptr && oldSelection != selectionModel()) {
        oldSelection->deleteLater();
    }
    if (model == nullptr) {
        return;
    }
    const auto end = [this] {
        m_modelChanging = std::max(0, m_modelChanging - 1);
        if (m_modelChanging == 0) {
            showListIndex();
        }
    };
    connect(model, &QAbstractItemModel::rowsInserted, this, end);
    connect(model, &QAbstractItemModel::rowsRemoved, this, end);
    connect(model, &QAbstractItemModel::rowsMoved, this, end);
    connect(model, &QAbstractItemModel::layoutChanged, this, end);
    connect(model, &QAbstractItemModel::modelReset, this, end);
    connect(model, &PlaylistModel::listIndexChanged, this, [this] { showListIndex(); });
    connect(model, &PlaylistModel::selectionChanged, this, [this] {
        if (m_modelChanging == 0) {
            showListIndex();
        }
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { followCurrent(current.row()); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { followCurrent(currentIndex().row()); });
    showListIndex();
}

void PlaylistView::refitWhenShown() {
    if (isVisible()) {
        fitListWidth();
    } else {
        m_fitPending = true;
    }
}

void PlaylistView::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
    if (m_fitPending) {
        fitListWidth();
    }
}

void PlaylistView::fitListWidth() {
    m_fitPending = false;
    const QFontMetrics metrics(font());
    // Folders and marks labels repeat over many lines: each distinct text is measured once.
    QHash<QString, int> widths;
    const auto widthOf = [&](QStringView text) {
        // A key over the line's own characters finds a known text without copying it.
        const QString key = QString::fromRawData(text.data(), text.size());
        const auto found = widths.constFind(key);
        if (found != widths.constEnd()) {
            return *found;
        }
        const int width = metrics.horizontalAdvance(key);
        widths.insert(text.toString(), width);
        return width;
    };

    // Measuring a text lays it out, which costs tens of microseconds: a list of a million
    // different names would take half a minute. Only the widest cell of a column counts, so
    // a cell is measured only when the bound from its characters' widths could beat the
    // widest cell known: each column keeps the cells of the highest bounds (a text once),
    // at most kCandidates, and measures them from the highest bound down until the bound
    // falls below the widest measured. When a column had more candidates than that, the
    // highest bound left out stands in for those cells, so the stop is at most the bound's
    // slack wider than the widest cell, never narrower. Cells without a bound are measured.
    constexpr size_t kCandidates = 2000;
    struct Candidate {
        qreal most;
        QStringView text;
    };
    const auto higher = [](const Candidate& a, const Candidate& b) { return a.most > b.most; };
    struct ViewHash {
        size_t operator()(QStringView text) const { return qHash(text); }
    };
    struct Column {
        int widest = 0;
        qreal leftOut = 0;            // the highest bound of a candidate that did not fit
        std::vector<Candidate> heap;  // the lowest bound at the front
        std::unordered_set<QStringView, ViewHash> texts;
    };
    WidthBound bound(font());
    std::vector<Column> columns;
    // A marks label ("標記 " + marks) is made as a text only when it may be the widest:
    // its bound is the prefix's plus the marks', never below the whole label's.
    std::deque<QString> labels;
    const qreal prefixBound = bound.of(marksLabelPrefix);
    const auto consider = [&](QStringView text, size_t index, const QString* marks = nullptr) {
        if (index == columns.size()) {
            columns.emplace_back();
        }
        Column& column = columns[index];
        qreal most = -1;
        if (marks != nullptr) {
            const qreal marksBound = bound.of(*marks);
            most = prefixBound < 0 || marksBound < 0 ? -1 : prefixBound + marksBound;
            if (most >= 0 && (most <= column.widest || (column.heap.size() == kCandidates &&
                                                        most <= column.heap.front().most))) {
                if (most > column.widest) {
                    column.leftOut = std::max(column.leftOut, most);
                }
                return;
            }
            labels.push_back(marksLabelPrefix.toString() + *marks);
            text = labels.back();
        } else {
            most = bound.of(text);
        }
        if (most < 0) {
            column.widest = std::max(column.widest, widthOf(text));
            return;
        }
        if (most <= column.widest || column.texts.count(text) > 0) {
            return;
        }
        if (column.heap.size() == kCandidates) {
            if (most <= column.heap.front().most) {
                column.leftOut = std::max(column.leftOut, most);
                return;
            }
            std::pop_heap(column.heap.begin(), column.heap.end(), higher);
            column.leftOut = std::max(column.leftOut, column.heap.back().most);
            column.texts.erase(column.heap.back().text);
            column.heap.pop_back();
        }
        column.heap.push_back({most, text});
        std::push_heap(column.heap.begin(), column.heap.end(), higher);
        column.texts.insert(text);
    };

    const bool plain = m_model != nullptr && m_model->kind() == PlaylistModel::Kind::Plain;
    // The cells are views into the entries (and into the labels made here), so nothing is
    // copied for the lines that cannot be the widest.
    static const QString root = QStringLiteral("/");
    if (m_model != nullptr) {
        const int layout = m_model->layout();
        for (int row = 0; row < m_model->count(); ++row) {
            const PlaylistEntry& entry = m_model->entryAt(row);
            const QStringView path(entry.path);
            if (plain) {
                consider(path, 0);
                continue;
            }
            const QString* marks = entry.hasMarks() ? &entry.marks : nullptr;
            const auto label = [&](size_t column) { consider(noMarksLabel, column, marks); };
            if (layout == 0) {
                consider(path, 0);
                label(1);
                continue;
            }
            const qsizetype nameStart = path.lastIndexOf(u'/') + 1;
            const QStringView name = path.sliced(nameStart);
            const QStringView folder = nameStart > 0 ? path.first(nameStart) : QStringView(root);
            consider(name, 0);
            if (layout == 1) {
                consider(folder, 1);
                label(2);
            } else {
                label(1);
                consider(folder, 2);
            }
        }
    }
    QList<int> widest;
    for (Column& column : columns) {
        std::sort(column.heap.begin(), column.heap.end(), higher);
        for (const Candidate& candidate : column.heap) {
            if (candidate.most < column.widest) {
                break;
            }
            column.widest = std::max(column.widest, widthOf(candidate.text));
        }
        if (column.leftOut > column.widest) {
            column.widest = static_cast<int>(std::ceil(column.leftOut));
        }
        widest << column.widest;
    }

    QList<int> stops;
    if (plain) {
        stops << (widest.isEmpty() ? 0 : widest.first()) + 10;
    } else if (m_model != nullptr) {
        const int gap = 2 * metrics.averageCharWidth();
        int stop = 0;
        for (const int width : std::as_const(widest)) {
            stop += width + gap;
            stops << stop;
        }
    }
    m_stops = stops;
    // The rows' size hint is the content width: lay out again so the sideways scroll range
    // follows it.
    doItemsLayout();
    viewport()->update();
}

void PlaylistView::scrollToTop(int row) {
    if (m_model == nullptr || row < 0 || row >= m_model->count()) {
        return;
    }
    scrollTo(m_model->index(row, 0), PositionAtTop);
}

void PlaylistView::setTipProvider(std::function<QString(int)> provider) {
    m_tipProvider = std::move(provider);
}

QString PlaylistView::tipAt(const QPoint& viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid() || !m_tipProvider) {
        return {};
    }
    return m_tipProvider(index.row());
}

void PlaylistView::showListIndex() {
    if (m_model == nullptr || selectionModel() == nullptr) {
        return;
    }
    const QModelIndex index = m_model->index(m_model->listIndex(), 0);
    m_showingIndex = true;
    if (index.isValid()) {
        // Runs of selected rows as ranges: "all of a long list" is one.
        QItemSelection selection;
        const QList<int> rows = m_model->selectedRows();
        for (qsizetype i = 0; i < rows.size();) {
            qsizetype j = i;
            while (j + 1 < rows.size() && rows.at(j + 1) == rows.at(j) + 1) {
                ++j;
            }
            selection.select(m_model->index(rows.at(i), 0), m_model->index(rows.at(j), 0));
            i = j + 1;
        }
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    } else {
        selectionModel()->clear();
    }
    m_showingIndex = false;
}

void PlaylistView::focusInEvent(QFocusEvent* event) {
    // Taking the focus makes a list without a current line current on its first one: no
    // choice of the user's, so the entry selected (or none) stays as it was.
    const bool showing = m_showingIndex;
    m_showingIndex = true;
    QListView::focusInEvent(event);
    if (m_model != nullptr && m_model->listIndex() < 0) {
        selectionModel()->clearCurrentIndex();
    }
    m_showingIndex = showing;
}

void PlaylistView::followCurrent(int row) {
    if (m_showingIndex || m_modelChanging > 0 || m_model == nullptr || row < 0) {
        return;
    }
    QList<int> rows;
    for (const QModelIndex& selected : selectionModel()->selectedRows()) {
        rows << selected.row();
    }
    std::sort(rows.begin(), rows.end());
    if (!rows.contains(row)) {
        rows << row;
    }
    if (rows == m_model->selectedRows() && row == m_model->listIndex()) {
        return;
    }
    m_model->setSelectedRows(rows, row);
}

bool PlaylistView::viewportEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::ToolTip: {
            const auto* help = static_cast<QHelpEvent*>(event);
            const QString tip = tipAt(help->pos());
            if (tip.isEmpty()) {
                QToolTip::hideText();
            } else {
                QToolTip::showText(help->globalPos(), tip, viewport(),
                                   visualRect(indexAt(help->pos())));
            }
            return true;
        }
        case QEvent::Leave:
            setToolTip(QString());
            break;
        default:
            break;
    }
    return QListView::viewportEvent(event);
}

QItemSelectionModel::SelectionFlags PlaylistView::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    // A list box keeps its line selected: neither a click off the lines nor Ctrl+click
    // leaves it without one while the model still has it.
    const QItemSelectionModel::SelectionFlags flags = QListView::selectionCommand(index, event);
    if (!index.isValid() || flags.testFlag(QItemSelectionModel::Deselect)) {
        return QItemSelectionModel::NoUpdate;
    }
    return flags;
}

void PlaylistView::mousePressEvent(QMouseEvent* event) {
    QListView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        Q_EMIT mouseDown(indexAt(event->position().toPoint()).row());
    }
}

void PlaylistView::mouseMoveEvent(QMouseEvent* event) {
    QListView::mouseMoveEvent(event);
    setToolTip(tipAt(event->position().toPoint()));
}

void PlaylistView::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        Q_EMIT lineDoubleClicked(index.row());
    }
}

void PlaylistView::contextMenuEvent(QContextMenuEvent* event) {
    QPoint at = event->globalPos();
    // From the keyboard the menu opens at the selected line rather than the box's middle.
    if (event->reason() == QContextMenuEvent::Keyboard && currentIndex().isValid()) {
        at = viewport()->mapToGlobal(visualRect(currentIndex()).center());
    }
    event->accept();
    Q_EMIT contextMenuAt(at);
}

namespace {

bool bringsFiles(const QMimeData* mime) {
    return mime != nullptr && (mime->hasUrls() || mime->hasText());
}

}  // namespace

void PlaylistView::dragEnterEvent(QDragEnterEvent* event) {
    if (bringsFiles(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void PlaylistView::dragMoveEvent(QDragMoveEvent* event) {
    if (bringsFiles(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void PlaylistView::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (!bringsFiles(mime)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    QStringList emptyFolders;
    const QStringList files = droppedFiles(*mime, &emptyFolders);
    if (!files.isEmpty()) {
        Q_EMIT filesDropped(files);
    }
    if (!emptyFolders.isEmpty()) {
        Q_EMIT foldersWithoutMedia(emptyFolders);
    }
}
