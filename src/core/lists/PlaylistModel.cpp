#include "core/lists/PlaylistModel.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/lists/mdlLineFormat.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QRandomGenerator>
#include <QUrl>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

PlaylistModel::PlaylistModel(Kind kind, QObject* parent)
    : QAbstractListModel(parent), m_kind(kind) {}

int PlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return line(index.row());
    }
    if (role == PlayingRole) {
        return m_rows.at(index.row()).playing;
    }
    return {};
}

PlaylistEntry PlaylistModel::entry(int row) const {
    return row >= 0 && row < count() ? m_rows.at(row).entry : PlaylistEntry();
}

QList<PlaylistEntry> PlaylistModel::entries() const {
    QList<PlaylistEntry> result;
    result.reserve(m_rows.size());
    for (const Row& row : m_rows) {
        result << row.entry;
    }
    return result;
}

QString PlaylistModel::line(int row) const {
    if (row < 0 || row >= count()) {
        return {};
    }
    const PlaylistEntry& e = m_rows.at(row).entry;
    return m_kind == Kind::Playlist ? entryLine(e, m_layout) : e.path;
}

QStringList PlaylistModel::lines() const {
    QStringList result;
    result.reserve(m_rows.size());
    for (int row = 0; row < count(); ++row) {
        result << line(row);
    }
    return result;
}

void PlaylistModel::setListIndex(int index) {
    if (index < 0 || index >= count()) {
        index = -1;
    }
    // The current entry is always selected: anything beyond it is another selected entry.
    const bool others = m_selectedCount > (m_index >= 0 ? 1 : 0);
    if (index == m_index && !others) {
        return;
    }
    clearSelectionFlags();
    m_index = index;
    if (index >= 0) {
        m_rows[index].selected = true;
        m_selectedCount = 1;
    }
    Q_EMIT listIndexChanged(m_index);
    Q_EMIT selectionChanged();
}

QList<int> PlaylistModel::selectedRows() const {
    // Most of the time the current entry is the only one: no pass over a long list then.
    if (m_selectedCount == 0) {
        return {};
    }
    if (m_selectedCount == 1 && m_index >= 0 && m_index < count() && m_rows.at(m_index).selected) {
        return {m_index};
    }
    QList<int> rows;
    for (int row = 0; row < count(); ++row) {
        if (m_rows.at(row).selected) {
            rows << row;
        }
    }
    return rows;
}

void PlaylistModel::setSelectedRows(const QList<int>& rows, int current) {
    clearSelectionFlags();
    int first = -1;
    bool currentIn = false;
    for (const int row : rows) {
        if (row >= 0 && row < count()) {
            m_selectedCount += m_rows.at(row).selected ? 0 : 1;
            m_rows[row].selected = true;
            first = first < 0 ? row : std::min(first, row);
            currentIn = currentIn || row == current;
        }
    }
    const int index = currentIn ? current : first;
    const bool moved = index != m_index;
    m_index = index;
    if (moved) {
        Q_EMIT listIndexChanged(m_index);
    }
    Q_EMIT selectionChanged();
}

void PlaylistModel::clearSelectionFlags() {
    if (m_selectedCount == 1 && m_index >= 0 && m_index < count() && m_rows.at(m_index).selected) {
        m_rows[m_index].selected = false;
    } else if (m_selectedCount > 0) {
        for (Row& row : m_rows) {
            row.selected = false;
        }
    }
    m_selectedCount = 0;
}

int PlaylistModel::playingRow() const {
    for (int row = 0; row < count(); ++row) {
        if (m_rows.at(row).playing) {
            return row;
        }
    }
    return -1;
}

void PlaylistModel::setPlayingRow(int row) {
    const int old = playingRow();
    if (old == row) {
        return;
    }
    if (old >= 0) {
        m_rows[old].playing = false;
        Q_EMIT dataChanged(index(old), index(old), {PlayingRole});
    }
    if (row >= 0 && row < count()) {
        m_rows[row].playing = true;
        Q_EMIT dataChanged(index(row), index(row), {PlayingRole});
    }
}

void PlaylistModel::setLayout(int layout) {
    if (layout == m_layout) {
        return;
    }
    m_layout = layout;
    if (m_kind == Kind::Playlist && !m_rows.isEmpty()) {
        Q_EMIT dataChanged(index(0), index(count() - 1), {Qt::DisplayRole});
    }
}

QString PlaylistModel::itemText(int row) const {
    if (row < 0 || row >= count()) {
        return {};
    }
    // The join list keeps bare paths: its item text is the path as it is.
    return m_kind == Kind::Playlist ? m_rows.at(row).entry.itemText() : m_rows.at(row).entry.path;
}

QString PlaylistModel::path(int row) const {
    return row >= 0 && row < count() ? m_rows.at(row).entry.path : QString();
}

QStringList PlaylistModel::itemTexts() const {
    QStringList texts;
    texts.reserve(m_rows.size());
    for (int row = 0; row < count(); ++row) {
        texts << itemText(row);
    }
    return texts;
}

PlaylistEntry PlaylistModel::entryOf(const QString& text) const {
    if (m_kind == Kind::Playlist) {
        return PlaylistEntry::fromItemText(text);
    }
    return PlaylistEntry{splitItemMarks(text, nullptr), QString()};
}

void PlaylistModel::addToList(const QString& text, bool insertAfterSelection) {
    addItems(QStringList{text}, insertAfterSelection);
}

void PlaylistModel::addItems(const QStringList& texts, bool insertAfterSelection) {
    QList<PlaylistEntry> entries;
    entries.reserve(texts.size());
    for (const QString& text : texts) {
        if (!text.isEmpty()) {
            entries << entryOf(text);
        }
    }
    addEntries(entries, insertAfterSelection);
}

void PlaylistModel::addEntries(const QList<PlaylistEntry>& entries, bool insertAfterSelection) {
    QList<Row> rows;
    rows.reserve(entries.size());
    for (const PlaylistEntry& e : entries) {
        if (e.path.isEmpty()) {
            continue;
        }
        rows.append({m_kind == Kind::Playlist ? e : PlaylistEntry{e.path, QString()}});
    }
    if (rows.isEmpty()) {
        return;
    }
    // Each entry goes after the one added before it, so they keep their order either way.
    const int at = insertAfterSelection ? m_index + 1 : count();
    // The rows before the insertion keep their numbers: the selection is cleared there.
    clearSelectionFlags();
    const int last = at + static_cast<int>(rows.size()) - 1;
    beginInsertRows(QModelIndex(), at, last);
    if (at == count()) {
        m_rows.append(rows);
    } else {
        QList<Row> merged;
        merged.reserve(m_rows.size() + rows.size());
        merged.append(m_rows.mid(0, at));
        merged.append(rows);
        merged.append(m_rows.mid(at));
        m_rows = std::move(merged);
    }
    endInsertRows();
    m_index = -1;
    setListIndex(last);
}

void PlaylistModel::setItems(const QStringList& texts) {
    // Straight into the rows: a List.ini of a million entries makes no second list.
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(texts.size());
    for (const QString& text : texts) {
        if (!text.isEmpty()) {
            m_rows.append({entryOf(text)});
        }
    }
    endReset();
}

void PlaylistModel::setEntries(const QList<PlaylistEntry>& entries) {
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(entries.size());
    for (const PlaylistEntry& e : entries) {
        if (!e.path.isEmpty()) {
            m_rows.append({m_kind == Kind::Playlist ? e : PlaylistEntry{e.path, QString()}});
        }
    }
    endReset();
}

void PlaylistModel::endReset() {
    m_index = -1;
    m_selectedCount = 0;
    endResetModel();
    Q_EMIT listIndexChanged(m_index);
    Q_EMIT selectionChanged();
}

void PlaylistModel::removeSelected() {
    const int at = m_index;
    if (at < 0) {
        return;
    }
    // From the last up, so the rows still to go keep their numbers; runs of rows go at once.
    const QList<int> rows = selectedRows();
    // Every selected entry goes: whoever looks while the rows go sees no selection.
    m_index = -1;
    m_selectedCount = 0;
    int removedBefore = 0;
    for (qsizetype i = rows.size() - 1; i >= 0;) {
        qsizetype j = i;
        while (j > 0 && rows.at(j - 1) == rows.at(j) - 1) {
            --j;
        }
        beginRemoveRows(QModelIndex(), rows.at(j), rows.at(i));
        m_rows.remove(rows.at(j), rows.at(i) - rows.at(j) + 1);
        endRemoveRows();
        i = j - 1;
    }
    for (const int row : rows) {
        removedBefore += row < at ? 1 : 0;
    }
    setListIndex(std::min(at - removedBefore, count() - 1));
}

void PlaylistModel::clear() {
    beginResetModel();
    m_rows.clear();
    m_index = -1;
    m_selectedCount = 0;
    endResetModel();
    Q_EMIT listIndexChanged(m_index);
    Q_EMIT selectionChanged();
}

void PlaylistModel::moveSelected(int step) {
    const int from = m_index;
    const int to = from + (step < 0 ? -1 : 1);
    if (from < 0 || to < 0 || to >= count()) {
        return;
    }
    m_rows.swapItemsAt(from, to);
    Q_EMIT dataChanged(index(std::min(from, to)), index(std::max(from, to)));
    // The current entry's flag moved with it.
    m_index = to;
    Q_EMIT listIndexChanged(m_index);
    Q_EMIT selectionChanged();
}

void PlaylistModel::reorder(const std::vector<int>& order) {
    if (m_rows.isEmpty()) {
        return;
    }
    QList<Row> rows;
    rows.reserve(m_rows.size());
    int index = -1;
    for (const int old : order) {
        if (old == m_index) {
            index = static_cast<int>(rows.size());
        }
        rows.append(std::move(m_rows[old]));
    }
    m_rows = std::move(rows);
    Q_EMIT dataChanged(this->index(0), this->index(count() - 1));
    if (index != m_index) {
        m_index = index;
        Q_EMIT listIndexChanged(m_index);
    }
    Q_EMIT selectionChanged();
}

void PlaylistModel::sortLines() {
    if (count() < 2) {
        return;
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // One key a line: comparing keys is a byte compare, where comparing texts would run
    // the locale's rules n log n times.
    std::vector<QCollatorSortKey> keys;
    const auto n = static_cast<size_t>(m_rows.size());
    keys.reserve(n);
    for (int row = 0; row < count(); ++row) {
        keys.push_back(collator.sortKey(line(row)));
    }
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]) < 0;
    });
    reorder(order);
}

void PlaylistModel::reverseLines() {
    std::vector<int> order(static_cast<size_t>(count()));
    std::iota(order.rbegin(), order.rend(), 0);
    reorder(order);
}

void PlaylistModel::shuffleLines() {
    std::vector<int> order(static_cast<size_t>(count()));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), *QRandomGenerator::global());
    reorder(order);
}

ListButtonStates listButtonStates(int count, int index) {
    ListButtonStates states;
    states.moveUp = index >= 1;
    states.moveDown = index >= 0 && index < count - 1;
    states.hasLines = count >= 1;
    states.twoOrMore = count >= 2;
    return states;
}

QString entryTip(const QString& path) {
    if (isUrl(path)) {
        return path;
    }
    const QFileInfo info(path);
    if (!info.isFile()) {
        return path + QStringLiteral(" ( 不存在 )");
    }
    const qint64 kilobytes = (info.size() + 1023) / 1024;
    return path + QStringLiteral(" ( ") + QString::number(kilobytes) + QStringLiteral(" KB )");
}

namespace {

QString droppedName(QString name) {
    while (name.contains(QLatin1String("//"))) {
        name.replace(QLatin1String("//"), QLatin1String("/"));
    }
    return upperDriveLetter(name);
}

}  // namespace

bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            // Runs of digits compare by value: leading zeros first dropped, then the longer
            // run is the larger number, then digit by digit.
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a.at(ei).isDigit()) {
                ++ei;
            }
            while (ej < b.size() && b.at(ej).isDigit()) {
                ++ej;
            }
            QStringView x = QStringView(a).sliced(i, ei - i);
            QStringView y = QStringView(b).sliced(j, ej - j);
            while (x.size() > 1 && x.front() == u'0') {
                x = x.sliced(1);
            }
            while (y.size() > 1 && y.front() == u'0') {
                y = y.sliced(1);
            }
            if (x.size() != y.size()) {
                return x.size() < y.size();
            }
            if (const int c = x.compare(y); c != 0) {
                return c < 0;
            }
            i = ei;
            j = ej;
            continue;
        }
        const QChar x = a.at(i).toCaseFolded();
        const QChar y = b.at(j).toCaseFolded();
        if (x != y) {
            return x < y;
        }
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

QStringList mediaFilesIn(const QString& folder) {
    const QDir dir(folder);
    QStringList names = dir.entryList(QDir::Files | QDir::Readable);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&](const QString& name) {
                                   return !isMediaFile(name) && !isEditableFile(name);
                               }),
                names.end());
    std::stable_sort(names.begin(), names.end(), naturalLess);
    QStringList files;
    files.reserve(names.size());
    for (const QString& name : std::as_const(names)) {
        files << dir.absoluteFilePath(name);
    }
    return files;
}

QStringList droppedFiles(const QMimeData& data, QStringList* emptyFolders) {
    QStringList names;
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls()) {
            if (url.isLocalFile()) {
                names << url.toLocalFile();
            }
        }
    } else if (data.hasText()) {
        const QStringList pieces = data.text().split(QLatin1Char('\n'));
        for (const QString& piece : pieces) {
            // File managers that drop text give one file:// address a line.
            const QString name = piece.trimmed();
            const QUrl url(name);
            names << (url.isLocalFile() ? url.toLocalFile() : name);
        }
    }
    QStringList files;
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        if (it->isEmpty()) {
            continue;
        }
        const QString name = droppedName(*it);
        const QFileInfo info(name);
        if (info.isFile()) {
            files << name;
        } else if (info.isDir()) {
            const QStringList inside = mediaFilesIn(name);
            if (inside.isEmpty() && emptyFolders != nullptr) {
                *emptyFolders << name;
            }
            files << inside;
        }
    }
    return files;
}
