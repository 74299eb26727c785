#pragma once

#include <QString>

// The texts the range marks model writes for the player: a segment's tip and the total
// under the strip.
namespace marksTexts {

// "標記區段 1：從 00:04.00 到 00:12.00 ＝ 00:08.00 秒"
inline QString segmentText(int number, const QString& from, const QString& to,
                           const QString& length) {
    return QStringLiteral("標記區段 ") + QString::number(number) + QStringLiteral("：從 ") + from +
           QStringLiteral(" 到 ") + to + QStringLiteral(" ＝ ") + length + QStringLiteral(" 秒");
}
// "2 個標記的總時間是 00:20.00 秒"
inline QString marksTotal(int count, const QString& time) {
    return QString::number(count) + QStringLiteral(" 個標記的總時間是 ") + time +
           QStringLiteral(" 秒");
}

}  // namespace marksTexts
