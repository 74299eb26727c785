// MCI command strings as any text: parsing succeeds or names one of the parse errors, and
// a parsed command written out again (its words quoted where needed) parses to the same.
#include "FuzzCheck.h"
#include "core/media/MciCommand.h"
#include "core/media/MciErrors.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

bool hasBlank(const QString& word) {
    return word.contains(u' ') || word.contains(u'\t') || word.contains(u'\r') ||
           word.contains(u'\n');
}

bool needsQuotes(const QString& word) {
    return word.isEmpty() || hasBlank(word);
}

QString written(const QString& word, bool quoted) {
    return quoted ? QLatin1Char('"') + word + QLatin1Char('"') : word;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    MciCommand command;
    const int error = MciCommand::parse(text, &command);
    fuzzCheck(
        error == 0 || error == mcierr::kNoClosingQuote || error == mcierr::kMissingCommandString,
        "a parse error or none", QString::number(error));
    if (error != 0) {
        return 0;
    }
    fuzzCheck(command.verb == command.verb.toLower(), "the verb in lower case", command.verb);
    for (const QString& arg : command.args) {
        fuzzCheck(arg == arg.toLower(), "the words in lower case", arg);
    }

    // A quote inside a word has no way to be written; an open's quoted file name runs to
    // the text's last quote, so no quoted word may follow it.
    const auto hasQuote = [](const QString& word) { return word.contains(u'"'); };
    if (hasQuote(command.verb) || hasQuote(command.device) ||
        std::any_of(command.args.begin(), command.args.end(), hasQuote)) {
        return 0;
    }
    const bool deviceQuoted = needsQuotes(command.device);
    const bool anyArgQuoted = std::any_of(command.args.begin(), command.args.end(), needsQuotes);
    if (command.verb == QLatin1String("open") && deviceQuoted && anyArgQuoted) {
        return 0;
    }
    QStringList words{written(command.verb, needsQuotes(command.verb))};
    if (!command.device.isEmpty() || !command.args.isEmpty()) {
        words << written(command.device, deviceQuoted);
    }
    for (const QString& arg : command.args) {
        words << written(arg, needsQuotes(arg));
    }
    const QString again = words.join(u' ');
    MciCommand reread;
    fuzzCheck(MciCommand::parse(again, &reread) == 0, "the command written parses", again);
    fuzzCheck(reread.verb == command.verb && reread.device == command.device &&
                  reread.args == command.args,
              "the command written parses to the same", again);
    return 0;
}
