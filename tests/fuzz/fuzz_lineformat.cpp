// The playlist's lines: the first byte picks the layout, the rest is an item text (and,
// taken as a line, a line of that layout). An entry laid out as a line and read back keeps
// its path and its marks; any line reads without harm.
#include "FuzzCheck.h"
#include "core/lists/mdlLineFormat.h"

#include <cstddef>
#include <cstdint>

namespace {

// A path with its drive letter in capitals ("c:/v/a.flv" as "C:/v/a.flv").
QString driveUpper(const QString& path) {
    QString upper = path;
    if (upper.indexOf(u':') == 1) {
        upper[0] = upper.at(0).toUpper();
    }
    return upper;
}

// Layouts 1 and 2 show the folder with its drive letter in capitals.
QString shownPath(const QString& path, bool folderColumn) {
    return folderColumn && path.contains(u'/') ? driveUpper(path) : path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const int layout = data[0] % 4;  // 3: no such layout
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data) + 1,
                                           static_cast<qsizetype>(size - 1));

    // Any text as a line of the layout.
    QString marks;
    lineToItem(text, layout);
    linePath(text, layout, &marks, true);

    // The text as an entry; TAB separates the columns, so a path or marks cannot hold one.
    if (text.contains(u'\t')) {
        return 0;
    }
    QString path;
    const QString line = formatLine(text, layout, &path, &marks);
    fuzzCheck(
        path + (text.contains(itemMarksSeparator) ? itemMarksSeparator + marks : QString()) == text,
        "path and marks make the entry");
    if (layout == 3 || path.isEmpty()) {
        fuzzCheck(line.isEmpty(), "no line without a path or a layout", line);
        return 0;
    }
    fuzzCheck(line.count(u'\t') == lineColumnCount(layout) - 1, "the layout's columns", line);
    QString backMarks;
    const QString backPath = splitItemMarks(lineToItem(line, layout), &backMarks);
    fuzzCheck(backPath == shownPath(path, layout != 0), "the path read back from the line",
              line + QStringLiteral(" -> ") + backPath);
    fuzzCheck(backMarks == marks, "the marks read back from the line", line);

    QString lineMarks;
    const QString playPath = linePath(line, layout, &lineMarks, false);
    fuzzCheck(playPath == driveUpper(path), "the path played from the line", playPath);
    fuzzCheck(lineMarks == (marks.contains(u'-') ? marks : QString()),
              "marks with a range are played", lineMarks);

    // Switching the layout and back gives the line again.
    for (int other = 0; other < 3; ++other) {
        const QStringList back = reformatList(reformatList({line}, layout, other), other, layout);
        const QString item =
            shownPath(path, layout != 0 || other != 0) + itemMarksSeparator + marks;
        fuzzCheck(back.first() == formatLine(item, layout),
                  "a line switched to another layout and back",
                  line + QStringLiteral(" -> ") + back.first());
    }
    return 0;
}
