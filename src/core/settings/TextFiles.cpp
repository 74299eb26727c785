#include "core/settings/TextFiles.h"

#include <QSaveFile>
#include <QStringDecoder>

QStringView trimBlanks(QStringView text) {
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && blank(text.at(start))) {
        ++start;
    }
    while (end > start && blank(text.at(end - 1))) {
        --end;
    }
    return text.sliced(start, end - start);
}

std::vector<QStringView> splitLines(QStringView text) {
    std::vector<QStringView> lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            continue;
        }
        lines.push_back(text.sliced(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n')) {
            ++i;
        }
        start = i + 1;
    }
    if (start < size) {
        lines.push_back(text.sliced(start));
    }
    return lines;
}

namespace {

// A lone low surrogate U+DC80 to U+DCFF stands for the byte of its low eight bits.
constexpr char16_t kRawBase = 0xDC00;

bool isRawByte(QStringView text, qsizetype at) {
    const char16_t c = text.at(at).unicode();
    return c >= kRawBase + 0x80 && c <= kRawBase + 0xFF &&
           (at == 0 || !text.at(at - 1).isHighSurrogate());
}

// The length of the well-formed UTF-8 sequence at line[at], 0 when none begins there.
qsizetype utf8Length(QByteArrayView line, qsizetype at) {
    const auto byte = [&](qsizetype i) {
        return at + i < line.size() ? static_cast<unsigned char>(line[at + i]) : 0u;
    };
    const auto in = [](unsigned b, unsigned low, unsigned high) { return b >= low && b <= high; };
    const unsigned lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    const bool next = in(byte(1), 0x80, 0xBF);
    const bool third = in(byte(2), 0x80, 0xBF);
    if (in(lead, 0xC2, 0xDF)) {
        return next ? 2 : 0;
    }
    if (in(lead, 0xE0, 0xEF)) {
        // No overlong forms (E0 below A0) and no surrogates (ED above 9F).
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : 0xBF;
        return in(byte(1), low, high) && third ? 3 : 0;
    }
    if (in(lead, 0xF0, 0xF4)) {
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
        return in(byte(1), low, high) && third && in(byte(3), 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

// Big5 read from bytes that are no Big5 gives replacement characters, the private-use
// characters of codes no one assigned, or control characters for stray bytes: such a line
// keeps its bytes instead.
bool isPlainText(QStringView text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t') || (u >= 0x7F && u <= 0x9F) || (u >= 0xE000 && u <= 0xF8FF) ||
            u == QChar::ReplacementCharacter) {
            return false;
        }
    }
    return true;
}

class LineDecoder {
public:
    void append(QByteArrayView line, QString& text) {
        if (line.isValidUtf8()) {
            text += QString(m_utf8.decode(line));
            return;
        }
        if (m_big5.isValid()) {
            // Qt keeps the error of one conversion through resetState(): a decoder that has
            // seen one is replaced.
            if (m_big5.hasError()) {
                m_big5 = QStringDecoder("Big5", QStringDecoder::Flag::Stateless);
            }
            const QString big5(m_big5.decode(line));
            if (!m_big5.hasError() && isPlainText(big5)) {
                text += big5;
                return;
            }
        }
        appendKeepingBytes(line, text);
    }

private:
    void appendKeepingBytes(QByteArrayView line, QString& text) {
        qsizetype at = 0;
        while (at < line.size()) {
            const qsizetype start = at;
            for (qsizetype n = 0; at < line.size() && (n = utf8Length(line, at)) > 0;) {
                at += n;
            }
            text += QString(m_utf8.decode(line.sliced(start, at - start)));
            if (at < line.size()) {
                text +=
                    QChar(static_cast<char16_t>(kRawBase + static_cast<unsigned char>(line[at])));
                ++at;
            }
        }
    }

    // A byte-order mark inside the text is a character of it (U+FEFF), kept as it is.
    QStringDecoder m_utf8{QStringConverter::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom};
    // Qt converts Big5 through ICU; a Qt built without it keeps the bytes of such lines.
    QStringDecoder m_big5{"Big5", QStringDecoder::Flag::Stateless};
};

}  // namespace

QString decodeText(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    LineDecoder decoder;
    QString text;
    if (bytes.isValidUtf8()) {
        decoder.append(bytes, text);
        return text;
    }
    // Each line on its own: one line in another encoding leaves the others as they are.
    text.reserve(bytes.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            decoder.append(bytes.sliced(start, i - start), text);
            text += QLatin1Char(bytes[i]);
            start = i + 1;
        }
    }
    decoder.append(bytes.sliced(start), text);
    return text;
}

QByteArray encodeText(QStringView text) {
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isRawByte(text, i)) {
            bytes += text.sliced(start, i - start).toUtf8();
            bytes += static_cast<char>(text.at(i).unicode() - kRawBase);
            start = i + 1;
        }
    }
    if (start == 0) {
        return text.toUtf8();
    }
    return bytes + text.sliced(start).toUtf8();
}

bool holdsRawBytes(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isRawByte(text, i)) {
            return true;
        }
    }
    return false;
}

bool writeWholeFile(const QString& path, const QByteArray& bytes) {
    // A short write (a full disk, a file size limit) is no error to QSaveFile, which would
    // then commit the part written: it is checked here, and the old file stays.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}
