#pragma once

#include <QString>

// Every text the main window shows, in one place.
namespace frmMainTexts {

inline QString caption() {
    return QStringLiteral(" Zelvo.FLV - 1.6.1");
}
inline QString menuFile() {
    return QStringLiteral("檔案");
}
inline QString mnuStartList() {
    return QStringLiteral("啟動時顯示播放清單");
}
inline QString mnuEnd0() {
    return QStringLiteral("結束 ( 儲存設定 )");
}
inline QString mnuEnd1() {
    return QStringLiteral("結束 ( 不儲存設定 )");
}
inline QString noSaveMarker() {
    return QStringLiteral("noSaveINI");
}

inline QString exitWhileMarking() {
    return QStringLiteral(
        "你選擇了結束與離開本軟體\r\n"
        "但是你目前處於標記編輯的狀態\r\n"
        "\r\n"
        "按「是」則結束與離開本軟體\r\n"
        "按「否」則繼續使用本軟體");
}

}  // namespace frmMainTexts
