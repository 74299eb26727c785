#include "core/media/MciCommand.h"

#include "core/media/MciErrors.h"

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

// Next word from pos: a run of non-blanks, or a quoted text. Returns false at the end.
bool nextWord(const QString& text, qsizetype& pos, QString* word, int* error) {
    while (pos < text.size() && isBlank(text.at(pos))) {
        ++pos;
    }
    if (pos >= text.size()) {
        return false;
    }
    if (text.at(pos) == QLatin1Char('"')) {
        const qsizetype close = text.indexOf(QLatin1Char('"'), pos + 1);
        if (close < 0) {
            *error = mcierr::kNoClosingQuote;
            return false;
        }
        *word = text.mid(pos + 1, close - pos - 1);
        pos = close + 1;
        return true;
    }
    const qsizetype start = pos;
    while (pos < text.size() && !isBlank(text.at(pos))) {
        ++pos;
    }
    *word = text.mid(start, pos - start);
    return true;
}

}  // namespace

int MciCommand::parse(const QString& text, MciCommand* out) {
    *out = MciCommand();
    qsizetype pos = 0;
    int error = 0;
    QString word;
    if (!nextWord(text, pos, &word, &error)) {
        return error != 0 ? error : mcierr::kMissingCommandString;
    }
    out->verb = word.toLower();

    while (pos < text.size() && isBlank(text.at(pos))) {
        ++pos;
    }
    if (out->verb == QLatin1String("open") && pos < text.size() &&
        text.at(pos) == QLatin1Char('"')) {
        // A file name may itself hold quotes; nothing after it does.
        const qsizetype close = text.lastIndexOf(QLatin1Char('"'));
        if (close <= pos) {
            return mcierr::kNoClosingQuote;
        }
        out->device = text.mid(pos + 1, close - pos - 1);
        pos = close + 1;
    } else if (nextWord(text, pos, &word, &error)) {
        out->device = word;
    } else if (error != 0) {
        return error;
    }

    while (nextWord(text, pos, &word, &error)) {
        out->args.append(word.toLower());
    }
    return error;
}
