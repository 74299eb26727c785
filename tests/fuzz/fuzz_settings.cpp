// The settings files: "Zelvo.FLV.ini" and "List.ini" as any bytes. Decoding keeps valid
// UTF-8 as it is and the bytes of a line it cannot decode, the lines split at their ends
// only, and what is read, written back and read again gives the same values.
#include "FuzzCheck.h"
#include "core/settings/SettingsFiles.h"

#include <QStringDecoder>

#include <cstddef>
#include <cstdint>

namespace {

const char* const keyNames[] = {
    "MainRect=",  "ListRect=",  "CapRect=",     "KeepWH=",   "KeepDef=",
    "ListDir=",   "SaveDir=",   "ListDirIdx=",  "StepMode=", "PlaySetting=",
    "ToListEnd=", "StartList=", "AutoAddMark=", "LineFmt=",  "DoneToFn="};

// Every line break in the text ends exactly one line, and the lines are the text between.
void checkLines(const QString& text) {
    const std::vector<QStringView> lines = splitLines(text);
    qsizetype at = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        fuzzCheck(line.data() >= text.constData() + at, "lines in order");
        const QStringView gap(text.constData() + at, line.data());
        fuzzCheck(i == 0 ? gap.isEmpty() : gap == u"\r\n" || gap == u"\r" || gap == u"\n",
                  "one line end between two lines", gap.toString());
        fuzzCheck(!line.contains(u'\r') && !line.contains(u'\n'), "no line end in a line");
        at = line.data() - text.constData() + line.size();
    }
    const QStringView rest = QStringView(text).sliced(at);
    fuzzCheck(lines.empty() ? text.isEmpty()
                            : rest.isEmpty() || rest == u"\r\n" || rest == u"\r" || rest == u"\n",
              "the text ends after the last line", rest.toString());
}

// A whole number the program keeps, when the value holds one.
std::optional<int> integer(double n) {
    if (n > -2147483648.0 && n < 2147483647.0) {
        return static_cast<int>(n);
    }
    return std::nullopt;
}

// The settings as the program keeps them: window places in whole twips within the range
// of a screen (a million pixels), numbers as ints.
SettingsValues apply(const QList<SettingLine>& lines) {
    SettingsValues v;
    for (const SettingLine& line : lines) {
        const QList<double> n = settingNumbers(line.value);
        const std::optional<bool> truth = settingTruth(line.value);
        const auto place = [](double twips) {
            return twips > -1.5e7 && twips < 1.5e7 ? static_cast<int>(twips) : 0;
        };
        switch (line.key) {
            case SettingKey::MainRect:
                if (n.size() >= 4) {
                    for (size_t i = 0; i < 4; ++i) {
                        v.mainRect[i] = place(n[qsizetype(i)]);
                    }
                }
                break;
            case SettingKey::ListRect:
            case SettingKey::CapRect:
                if (n.size() >= 2) {
                    auto& pos = line.key == SettingKey::ListRect ? v.listPos : v.capPos;
                    pos = {place(n[0]), place(n[1])};
                }
                break;
            case SettingKey::KeepWH:
                v.keepWH = truth.value_or(v.keepWH);
                break;
            case SettingKey::KeepDef:
                v.keepDef = truth.value_or(v.keepDef);
                break;
            case SettingKey::ToListEnd:
                v.toListEnd = truth.value_or(v.toListEnd);
                break;
            case SettingKey::StartList:
                v.startList = truth.value_or(v.startList);
                break;
            case SettingKey::AutoAddMark:
                v.autoAddMark = truth.value_or(v.autoAddMark);
                break;
            case SettingKey::ListDir:
                v.listDir = line.value;
                break;
            case SettingKey::SaveDir:
                v.saveDir = line.value;
                break;
            case SettingKey::StepMode:
                if (n.size() >= 4) {
                    v.stepMode = integer(n[0]).value_or(v.stepMode);
                    for (size_t i = 0; i < 3; ++i) {
                        v.stepValue[i] = integer(n[qsizetype(i) + 1]).value_or(v.stepValue[i]);
                    }
                }
                break;
            case SettingKey::ListDirIdx:
            case SettingKey::PlaySetting:
            case SettingKey::LineFmt:
            case SettingKey::DoneToFn: {
                int& value = line.key == SettingKey::ListDirIdx    ? v.listDirIdx
                             : line.key == SettingKey::PlaySetting ? v.playSetting
                             : line.key == SettingKey::LineFmt     ? v.lineFmt
                                                                   : v.doneToFn;
                if (!n.isEmpty()) {
                    value = integer(n[0]).value_or(value);
                }
                break;
            }
        }
    }
    return v;
}

bool operator==(const SettingsValues& a, const SettingsValues& b) {
    return a.mainRect == b.mainRect && a.listPos == b.listPos && a.capPos == b.capPos &&
           a.keepWH == b.keepWH && a.keepDef == b.keepDef && a.listDir == b.listDir &&
           a.saveDir == b.saveDir && a.listDirIdx == b.listDirIdx && a.stepMode == b.stepMode &&
           a.stepValue == b.stepValue && a.playSetting == b.playSetting &&
           a.toListEnd == b.toListEnd && a.startList == b.startList &&
           a.autoAddMark == b.autoAddMark && a.lineFmt == b.lineFmt && a.doneToFn == b.doneToFn;
}

void checkSettings(const QString& text) {
    const QList<SettingLine> lines = parseSettings(text);
    QString written;
    for (const SettingLine& line : lines) {
        fuzzCheck(!line.value.startsWith(u' ') && !line.value.endsWith(u' '), "values trimmed");
        written += QLatin1String(keyNames[static_cast<int>(line.key)]) + line.value +
                   QStringLiteral("\r\n");
    }
    const QList<SettingLine> again = parseSettings(written);
    fuzzCheck(again.size() == lines.size(), "every line read back", written);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        fuzzCheck(again[i].key == lines[i].key && again[i].value == lines[i].value,
                  "each line read back as it was", again[i].value);
    }

    const SettingsValues values = apply(lines);
    const QString text1 = settingsText(values);
    const QList<SettingLine> read = parseSettings(text1);
    fuzzCheck(read.size() == 15, "fifteen settings written", text1);
    fuzzCheck(apply(read) == values, "the settings written read back the same", text1);
}

void checkListIni(const QString& text) {
    const StoredLists lists = parseListIni(text);
    fuzzCheck(lists.lastPlaylist == 0 || lists.lastPlaylist == 1, "a playlist shown");
    for (const StoredPlaylist& list : lists.lists) {
        fuzzCheck(list.selected >= -1 && list.selected < list.items.size(), "selection in range");
    }
    const QString written = listIniText(lists);
    const StoredLists again = parseListIni(written);
    fuzzCheck(again.lastPlaylist == lists.lastPlaylist, "last playlist read back", written);
    for (size_t i = 0; i < 2; ++i) {
        fuzzCheck(again.lists[i].items == lists.lists[i].items, "entries read back", written);
        fuzzCheck(again.lists[i].selected == lists.lists[i].selected, "selection read back",
                  written);
    }
}

// Each line of bytes is read on its own: valid UTF-8 as it is; a line read with kept bytes
// comes back byte for byte; and whatever the text, writing it and reading it again gives it
// back.
void checkDecoding(QByteArrayView bytes, const QString& text) {
    QByteArrayView body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) {
        body = body.sliced(3);
    }
    if (bytes.isValidUtf8()) {
        fuzzCheck(text.toUtf8() == body, "UTF-8 kept as it is", text);
    }
    const std::vector<QStringView> lines = splitLines(text);
    // A byte-order mark inside the text is a character of it.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    std::vector<QByteArrayView> byteLines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == '\r' || body[i] == '\n') {
            byteLines.push_back(body.sliced(start, i - start));
            if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < body.size()) {
        byteLines.push_back(body.sliced(start));
    }
    fuzzCheck(lines.size() == byteLines.size(), "one line of text for each line of bytes", text);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (byteLines[i].isValidUtf8()) {
            fuzzCheck(lines[i] == QString(utf8.decode(byteLines[i])), "a UTF-8 line read as UTF-8",
                      lines[i].toString());
        } else if (holdsRawBytes(lines[i])) {
            fuzzCheck(encodeText(lines[i]) == byteLines[i], "kept bytes written back as they were",
                      lines[i].toString());
        }
    }
    if (!text.startsWith(QChar(0xFEFF))) {
        fuzzCheck(decodeText(encodeText(text)) == text, "the text written reads back the same",
                  text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const QString text = decodeText(bytes);
    checkDecoding(bytes, text);
    checkLines(text);
    checkSettings(text);
    checkListIni(text);
    return 0;
}
