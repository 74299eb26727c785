#include "core/lists/mdlLineFormat.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/settings/TextFiles.h"

#include <climits>

namespace {

const QChar tab = QLatin1Char('\t');
const QChar separator = QLatin1Char('/');

QString column(const QStringList& columns, int index) {
    return index < columns.size() ? columns.at(index) : QString();
}

// The column that holds the marks label.
int marksColumn(int layout) {
    return layout == 1 ? 2 : 1;
}

QString marksLabel(const QString& marks) {
    return marks.isEmpty() ? noMarksLabel.toString() : marksLabelPrefix.toString() + marks;
}

}  // namespace

bool isOverlongItem(QStringView text) {
    constexpr qsizetype maxMarks = 65536;
    const qsizetype bar = text.lastIndexOf(itemMarksSeparator);
    const QStringView path = bar < 0 ? text : text.first(bar);
    if (bar >= 0 && text.size() - bar - 1 > maxMarks) {
        return true;
    }
    // A character is one to three bytes of the path's name on disk.
    if (path.size() * 3 < PATH_MAX) {
        return false;
    }
    return path.size() >= PATH_MAX || encodeText(path).size() >= PATH_MAX;
}

QString splitItemMarks(const QString& text, QString* marks) {
    const qsizetype bar = text.lastIndexOf(itemMarksSeparator);
    if (marks != nullptr) {
        *marks = bar < 0 ? QString() : text.mid(bar + 1);
    }
    return bar < 0 ? text : text.left(bar);
}

QString formatLine(const QString& text, int layout, QString* path, QString* marks) {
    const PlaylistEntry entry = PlaylistEntry::fromItemText(text);
    if (path) {
        *path = entry.path;
    }
    if (marks) {
        *marks = entry.marks;
    }
    return entryLine(entry, layout);
}

QString entryLine(const PlaylistEntry& entry, int layout) {
    const QString& itemPath = entry.path;
    if (itemPath.isEmpty() || lineColumnCount(layout) == 0) {
        return QString();
    }
    const QString label = marksLabel(entry.marks);
    if (layout == 0) {
        return itemPath + tab + label;
    }
    // Split at the last "/" here rather than through the file object, whose splitter gives
    // nothing for a file at the root and trims blanks.
    const qsizetype nameStart = itemPath.lastIndexOf(separator) + 1;
    const QString name = itemPath.mid(nameStart);
    const QString folder = addSeparator(upperDriveLetter(itemPath.left(nameStart)));
    if (layout == 1) {
        return name + tab + folder + tab + label;
    }
    return name + tab + label + tab + folder;
}

QString lineToItem(const QString& line, int layout) {
    if (line.isEmpty() || lineColumnCount(layout) == 0) {
        return QString();
    }
    // Views into the line: a list is saved by turning every line back into its item, so
    // this avoids a copy of each column.
    QStringView columns[3];
    int count = 0;
    for (const QStringView cell : QStringView(line).tokenize(tab)) {
        if (count == 3) {
            break;
        }
        columns[count++] = cell;
    }
    QStringView label = columns[marksColumn(layout)];
    const bool marked = label != noMarksLabel && label.startsWith(marksLabelPrefix);
    if (marked) {
        label = label.sliced(marksLabelPrefix.size());
    } else if (label == noMarksLabel) {
        label = {};
    }
    const QStringView folder = layout == 0 ? QStringView() : columns[layout == 1 ? 1 : 2];
    if (layout == 2 && count < 3) {
        return QString();
    }
    QString item;
    item.reserve(folder.size() + columns[0].size() + label.size() + 1);
    item.append(folder).append(columns[0]);
    // A path holding "∥" keeps a final one, or its end would be taken for marks.
    if (marked || item.contains(itemMarksSeparator)) {
        item.append(itemMarksSeparator);
    }
    return item.append(label);
}

QString linePath(const QString& line, int layout, QString* marks, bool withMarks) {
    QString unused;
    if (marks == nullptr) {
        marks = &unused;
    }
    marks->clear();
    if (line.isEmpty() || lineColumnCount(layout) == 0) {
        return QString();
    }
    const QStringList columns = line.split(tab);
    // Layout 0 keeps the whole path in column 0; the folder is column 1 in layout 1 and
    // column 2 in layout 2.
    const QString folder = layout == 0 ? QString() : column(columns, layout);
    const QString path = upperDriveLetter(folder + columns.at(0));
    const QString label = column(columns, marksColumn(layout));
    if (!label.contains(QLatin1Char('-')) || label == noMarksLabel) {
        return withMarks && path.contains(itemMarksSeparator) ? path + itemMarksSeparator : path;
    }
    *marks = label.startsWith(marksLabelPrefix) ? label.mid(marksLabelPrefix.size()) : label;
    return withMarks ? path + itemMarksSeparator + *marks : path;
}

int lineColumnCount(int layout) {
    switch (layout) {
        case 0:
            return 2;
        case 1:
        case 2:
            return 3;
        default:
            return 0;
    }
}

QStringList reformatList(const QStringList& lines, int fromLayout, int toLayout) {
    QStringList result;
    result.reserve(lines.size());
    for (const QString& line : lines) {
        result << formatLine(lineToItem(line, fromLayout), toLayout);
    }
    return result;
}
