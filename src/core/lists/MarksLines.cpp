#include "core/lists/MarksLines.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "core/lists/MarksLinesTexts.h"

#include <cmath>

namespace t = MarksLinesTexts;

namespace {

const QString kTo = QStringLiteral(" 到 ");

bool digit(QChar c, char highest = '9') {
    return c >= QLatin1Char('0') && c <= QLatin1Char(highest);
}

}  // namespace

QString MarksLines::zeroTime() {
    return QStringLiteral("00:00:00.00");
}

bool MarksLines::isValidTime(const QString& text) {
    // ##:[0-5]#:[0-5]#.##
    return text.size() == 11 && digit(text.at(0)) && digit(text.at(1)) &&
           text.at(2) == QLatin1Char(':') && digit(text.at(3), '5') && digit(text.at(4)) &&
           text.at(5) == QLatin1Char(':') && digit(text.at(6), '5') && digit(text.at(7)) &&
           text.at(8) == QLatin1Char('.') && digit(text.at(9)) && digit(text.at(10));
}

QString MarksLines::rangeLine(const QString& start, const QString& end) {
    return QStringLiteral("　從 ") + start + kTo + end;
}

std::pair<QString, QString> MarksLines::splitRangeLine(const QString& line) {
    const qsizetype at = line.indexOf(kTo);
    if (at < 0) {
        return {zeroTime(), zeroTime()};
    }
    QString start = line.left(at).trimmed();
    if (start.startsWith(QStringLiteral("從"))) {
        start = start.mid(1).trimmed();
    }
    return {start, line.mid(at + kTo.size()).trimmed()};
}

bool MarksLines::lineFrames(const QString& line, double secPerFrame, qint32& start, qint32& end) {
    if (!line.contains(kTo) || !(secPerFrame > 0.0)) {
        return false;
    }
    const auto [from, to] = splitRangeLine(line);
    // Rounded: a time text is cut to hundredths, so it may fall a hair short of its frame.
    start = static_cast<qint32>(std::lround(static_cast<double>(parseTime(from)) / secPerFrame));
    end = static_cast<qint32>(std::lround(static_cast<double>(parseTime(to)) / secPerFrame));
    return true;
}

void MarksLines::load(const QString& totalText, const QList<QPair<QString, QString>>& ranges) {
    m_total = totalText;
    m_lines.clear();
    for (const auto& range : ranges) {
        m_lines << rangeLine(range.first, range.second);
    }
    m_selected = 0;
    settle();
}

void MarksLines::select(int row) {
    m_selected = row >= 0 && row < count() ? row : -1;
    settle();
}

QString MarksLines::rangeError(const QString& start, const QString& end) const {
    if (!isValidTime(start) || !isValidTime(end)) {
        return t::badFormat();
    }
    if (start > m_total || end > m_total) {
        return t::beyondLength();
    }
    if (start >= end) {
        return t::endNotAfterStart();
    }
    return {};
}

bool MarksLines::edit(Edit edit, const QString& startBox, const QString& endBox, QObject* owner) {
    const int n = count();
    switch (edit) {
        case Add:
        case Change: {
            const QString error = rangeError(startBox, endBox);
            if (!error.isEmpty()) {
                msgBox(error, MsgButtons::Ok, titles::error(), MsgIcon::Exclamation, owner);
                return false;
            }
            const QString line = rangeLine(startBox, endBox);
            if (edit == Change) {
                if (m_selected < 0) {
                    return false;
                }
                m_lines[m_selected] = line;
            } else {
                m_selected = m_selected < 0 ? 0 : m_selected + 1;
                m_lines.insert(m_selected, line);
            }
            break;
        }
        case Remove:
            if (n > 0 && m_selected >= 0) {
                m_lines.removeAt(m_selected);
            }
            break;
        case Up:
            if (n > 1 && m_selected > 0) {
                m_lines.swapItemsAt(m_selected, m_selected - 1);
                --m_selected;
            }
            break;
        case Down:
            if (n > 1 && m_selected >= 0 && m_selected + 1 < n) {
                m_lines.swapItemsAt(m_selected, m_selected + 1);
                ++m_selected;
            }
            break;
    }
    settle();
    return true;
}

void MarksLines::settle() {
    if (m_selected > count() - 1) {
        m_selected = count() - 1;
    }
    const auto [start, end] = splitRangeLine(m_lines.value(m_selected));
    m_startBox = start;
    m_endBox = end;
}
