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

QString decodeText(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    if (bytes.isValidUtf8()) {
        return QString::fromUtf8(bytes);
    }
    // Qt converts Big5 through ICU; a Qt built without it reads such a file as Latin-1,
    // where the names come out garbled but ASCII paths and numbers still work.
    QStringDecoder big5("Big5", QStringDecoder::Flag::Stateless);
    if (big5.isValid()) {
        return big5(bytes);
    }
    return QString::fromLatin1(bytes);
}

bool writeWholeFile(const QString& path, const QByteArray& bytes) {
    // A short write (a full disk, a file size limit) is no error to QSaveFile, which would
    // then commit the part written: it is checked here, and the old file stays.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}
