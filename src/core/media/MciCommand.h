#pragma once

#include <QString>
#include <QStringList>

// One MCI command string taken apart: the command word, the device (an alias, or for
// "open" the file, URL or drive) and the words that follow, lower-cased for matching.
struct MciCommand {
    QString verb;      // lower case: "open", "play", ...
    QString device;    // as written, without its quotes
    QStringList args;  // the remaining words, lower case

    // Splits text; 0 on success, else the MCI error number (no command word, an
    // unclosed quote). For "open" the device may be a quoted path that itself holds
    // double quotes: it ends at the last quote of the text.
    static int parse(const QString& text, MciCommand* out);
};
