#include "core/player/MarksModel.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/player/MarksTexts.h"
#include "core/player/PlayerState.h"

#include <QStringList>

#include <algorithm>

namespace {

// The leading decimal number of a text, 0 when there is none.
qint32 leadingNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    qsizetype n = 0;
    while (n < trimmed.size() && trimmed.at(n).isDigit()) {
        ++n;
    }
    return trimmed.left(n).toInt();
}

}  // namespace

MarksModel::MarksModel(const PlayerState& player, QObject* parent)
    : QObject(parent), m_player(player), m_seg{Segment{}} {}

void MarksModel::setStripShown(bool shown) {
    if (m_stripShown != shown) {
        m_stripShown = shown;
        Q_EMIT changed();
    }
}

int MarksModel::openSegment(qint32 start) {
    if (m_seg.constLast().state == State::Closed) {
        m_seg.append(Segment{});
    }
    curSeg = lastSegmentIndex();
    m_seg[curSeg] = {start, 1, State::Open};
    m_stripShown = true;
    Q_EMIT changed();
    return curSeg;
}

void MarksModel::setSegment(int index, qint32 start, qint32 length, State state) {
    m_seg[index] = {start, std::max(0, length), state};
    Q_EMIT changed();
}

void MarksModel::removeSegment(int index) {
    if (lastSegmentIndex() < 1) {
        clear();
        return;
    }
    if (index >= 0 && index <= lastSegmentIndex()) {
        m_seg.removeAt(index);
    }
    curSeg = lastSegmentIndex();
    Q_EMIT changed();
}

void MarksModel::clear() {
    m_seg = {Segment{}};
    curSeg = 0;
    playSeg = 0;
    marksEdited = false;
    m_stripShown = false;
    Q_EMIT changed();
}

bool MarksModel::setMarksText(const QString& text, qint32 lastFrame) {
    QList<Segment> segments;
    for (const QString& piece : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList ends = piece.split(QLatin1Char('-'));
        const qint32 start = leadingNumber(ends.value(0));
        const qint32 end = leadingNumber(ends.value(1));
        if (end > lastFrame) {
            return false;
        }
        segments.append({start, std::max(0, end - start), State::Closed});
    }
    if (segments.isEmpty()) {
        return false;
    }
    m_seg = segments;
    curSeg = lastSegmentIndex();
    Q_EMIT changed();
    return true;
}

QString MarksModel::marksText() const {
    QStringList pieces;
    for (const Segment& s : m_seg) {
        pieces.append(QString::number(s.start) + QLatin1Char('-') +
                      QString::number(s.start + s.length));
    }
    return pieces.join(QLatin1Char(' '));
}

void MarksModel::rsFormat(int index, QString& startText, QString& endText, int mode,
                          float& startSec, float& endSec, float padStart, float padEnd,
                          QString& lengthText) const {
    const double total = m_player.totalSeconds;
    if (total <= 0.0) {
        startText.clear();
        endText.clear();
        return;
    }
    const Segment& s = m_seg.at(index);
    const auto perFrame = static_cast<double>(m_player.secPerFrame);
    const double from = s.start * perFrame;
    const double to = (s.start + s.length) * perFrame;
    startSec = static_cast<float>(std::max(0.0, from + static_cast<double>(padStart)));
    endSec = static_cast<float>(std::min(total, to + static_cast<double>(padEnd)));
    lengthText = formatTime(s.length * perFrame, mode, 2);
    startText = formatTime(static_cast<double>(startSec), mode, 2);
    endText = formatTime(static_cast<double>(endSec), mode, 2);
}

void MarksModel::segmentSeconds(int index, float& startSec, float& endSec) const {
    startSec = 0.0f;
    endSec = 0.0f;
    QString from;
    QString to;
    QString length;
    rsFormat(index, from, to, 0, startSec, endSec, 0.0f, 0.0f, length);
    if (!from.isEmpty()) {
        startSec = cutToHundredths(startSec);
        endSec = cutToHundredths(endSec);
    }
}

QString MarksModel::segmentText(int index) const {
    QString from;
    QString to;
    QString length;
    float fromSec = 0.0f;
    float toSec = 0.0f;
    rsFormat(index, from, to, 2, fromSec, toSec, 0.0f, 0.0f, length);
    return marksTexts::segmentText(index + 1, from, to, length);
}

QString MarksModel::totalText() const {
    double frames = 0.0;
    for (const Segment& s : m_seg) {
        frames += s.length;
    }
    return marksTexts::marksTotal(
        lastSegmentIndex() + 1,
        formatTime(frames * static_cast<double>(m_player.secPerFrame), 2, 2));
}
