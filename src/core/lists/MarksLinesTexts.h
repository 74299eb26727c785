#pragma once

#include <QString>

// The texts of the marks list tab.
namespace MarksLinesTexts {

inline QString badFormat() {
    return QStringLiteral("輸入的時間不符合格式要求！");
}
inline QString beyondLength() {
    return QStringLiteral("時間超過此檔案的播放長度！");
}
inline QString endNotAfterStart() {
    return QStringLiteral("結束時間必須在開始時間之後！");
}

inline QString editCaption(int index) {
    switch (index) {
        case 0:
            return QStringLiteral("新增");
        case 1:
            return QStringLiteral("修改");
        case 2:
            return QStringLiteral("移除");
        case 3:
            return QStringLiteral("↑");
        default:
            return QStringLiteral("↓");
    }
}
inline QString startLabel() {
    return QStringLiteral("開始時間");
}
inline QString endLabel() {
    return QStringLiteral("結束時間");
}
inline QString lengthLabel() {
    return QStringLiteral("這個多媒體檔案的播放總長度：");
}
inline QString formatHint() {
    return QStringLiteral("輸入標記時，請符合時間格式：hh:mm:ss.ss");
}
inline QString formatMeaning() {
    return QStringLiteral("hh:mm:ss.ss = 小時：分鐘：秒數.秒小數");
}
inline QString applyReminder() {
    return QStringLiteral("標記編輯後，請記得執行「重繪標記到播放區」");
}
inline QString cmdLoad() {
    return QStringLiteral("從播放區重讀標記");
}
inline QString cmdLoadTip() {
    return QStringLiteral("將播放畫面區的標記重讀到這裡");
}
inline QString cmdApply() {
    return QStringLiteral("重繪標記到播放區");
}
inline QString cmdApplyTip() {
    return QStringLiteral("將這裡的編輯結果重繪到播放畫面區");
}

}  // namespace MarksLinesTexts
