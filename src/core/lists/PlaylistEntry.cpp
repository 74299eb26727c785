#include "core/lists/PlaylistEntry.h"

#include "core/lists/mdlLineFormat.h"

PlaylistEntry PlaylistEntry::fromItemText(const QString& text) {
    PlaylistEntry entry;
    entry.path = splitItemMarks(text, &entry.marks);
    return entry;
}

QString PlaylistEntry::itemText() const {
    if (marks.isEmpty() && !path.contains(itemMarksSeparator)) {
        return path;
    }
    return path + itemMarksSeparator + marks;
}
