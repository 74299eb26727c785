#include "core/lists/PlaylistModel.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/lists/mdlLineFormat.h"

#include <QCollator>
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
    if (!index.isValid() || index.row() >= count() || role != Qt::DisplayRole) {
        return {};
    }
    return m_lines.at(index.row());
}

void PlaylistModel::setListIndex(int index) {
    if (index < 0 || index >= count()) {
        index = -1;
    }
    if (index == m_index) {
        return;
    }
    m_index = index;
    Q_EMIT listIndexChanged(m_index);
}

void PlaylistModel::setLayout(int layout) {
    if (layout == m_layout) {
        return;
    }
    const int from = m_layout;
    m_layout = layout;
    if (m_kind == Kind::Playlist && !m_lines.isEmpty()) {
        rewriteLines(reformatList(m_lines, from, layout));
    }
}

QString PlaylistModel::itemText(int row) const {
    if (row < 0 || row >= count()) {
        return {};
    }
    return m_kind == Kind::Playlist ? lineToItem(m_lines.at(row), m_layout) : m_lines.at(row);
}

QString PlaylistModel::path(int row) const {
    if (row < 0 || row >= count()) {
        return {};
    }
    return m_kind == Kind::Playlist ? linePath(m_lines.at(row), m_layout, nullptr, false)
                                    : m_lines.at(row);
}

QStringList PlaylistModel::itemTexts() const {
    QStringList texts;
    texts.reserve(m_lines.size());
    for (int row = 0; row < count(); ++row) {
        texts << itemText(row);
    }
    return texts;
}

QString PlaylistModel::lineOf(const QString& text) const {
    if (m_kind == Kind::Playlist) {
        return formatLine(text, m_layout);
    }
    return splitItemMarks(text, nullptr);
}

void PlaylistModel::addToList(const QString& text, bool insertAfterSelection) {
    addItems(QStringList{text}, insertAfterSelection);
}

void PlaylistModel::addItems(const QStringList& texts, bool insertAfterSelection) {
    QStringList lines;
    lines.reserve(texts.size());
    for (const QString& text : texts) {
        if (text.isEmpty()) {
            continue;
        }
        const QString line = lineOf(text);
        if (!line.isEmpty()) {
            lines << line;
        }
    }
    if (lines.isEmpty()) {
        return;
    }
    // Each text goes after the one added before it, so they keep their order either way.
    const int at = insertAfterSelection ? m_index + 1 : count();
    const int last = at + static_cast<int>(lines.size()) - 1;
    beginInsertRows(QModelIndex(), at, last);
    if (at == count()) {
        m_lines.append(lines);
    } else {
        QStringList merged;
        merged.reserve(m_lines.size() + lines.size());
        merged.append(m_lines.mid(0, at));
        merged.append(lines);
        merged.append(m_lines.mid(at));
        m_lines = std::move(merged);
    }
    endInsertRows();
    m_index = -1;
    setListIndex(last);
}

void PlaylistModel::setItems(const QStringList& texts) {
    beginResetModel();
    m_lines.clear();
    m_lines.reserve(texts.size());
    for (const QString& text : texts) {
        const QString line = text.isEmpty() ? QString() : lineOf(text);
        if (!line.isEmpty()) {
            m_lines << line;
        }
    }
    m_index = -1;
    endResetModel();
    Q_EMIT listIndexChanged(m_index);
}

void PlaylistModel::removeSelected() {
    const int at = m_index;
    if (at < 0) {
        return;
    }
    beginRemoveRows(QModelIndex(), at, at);
    m_lines.removeAt(at);
    endRemoveRows();
    m_index = -1;
    setListIndex(std::min(at, count() - 1));
}

void PlaylistModel::clear() {
    beginResetModel();
    m_lines.clear();
    m_index = -1;
    endResetModel();
    Q_EMIT listIndexChanged(m_index);
}

void PlaylistModel::moveSelected(int step) {
    const int from = m_index;
    const int to = from + (step < 0 ? -1 : 1);
    if (from < 0 || to < 0 || to >= count()) {
        return;
    }
    m_lines.swapItemsAt(from, to);
    Q_EMIT dataChanged(index(std::min(from, to)), index(std::max(from, to)));
    setListIndex(to);
}

void PlaylistModel::rewriteLines(QStringList lines) {
    m_lines = std::move(lines);
    if (!m_lines.isEmpty()) {
        Q_EMIT dataChanged(index(0), index(count() - 1));
    }
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
    const auto n = static_cast<size_t>(m_lines.size());
    keys.reserve(n);
    for (const QString& line : std::as_const(m_lines)) {
        keys.push_back(collator.sortKey(line));
    }
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]) < 0;
    });
    QStringList sorted;
    sorted.reserve(m_lines.size());
    for (const int row : order) {
        sorted << m_lines.at(row);
    }
    rewriteLines(std::move(sorted));
}

void PlaylistModel::reverseLines() {
    QStringList lines = m_lines;
    std::reverse(lines.begin(), lines.end());
    rewriteLines(std::move(lines));
}

void PlaylistModel::shuffleLines() {
    QStringList lines = m_lines;
    std::shuffle(lines.begin(), lines.end(), *QRandomGenerator::global());
    rewriteLines(std::move(lines));
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

QStringList droppedFiles(const QMimeData& data) {
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
        if (QFileInfo(name).isFile()) {
            files << name;
        }
    }
    return files;
}
