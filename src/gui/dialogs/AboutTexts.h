#pragma once

#include <QString>

// Every text of the about and donation windows, in one place.
namespace aboutTexts {

inline QString aboutCaption() {
    return QStringLiteral(" 關於 Zelvo.FLV");
}
inline QString moneyCaption() {
    return QStringLiteral(" 捐助");
}
inline QString ok() {
    return QStringLiteral("離開");
}
inline QString title() {
    return QStringLiteral("Zelvo.FLV");
}
inline QString version() {
    return QString();
}
inline QString titleNote() {
    return QStringLiteral(
        "　FLV 播放、剪輯、合併與轉檔軟體\n"
        "　同時支援影片截圖，與修復的功能");
}
inline QString homePage() {
    return QStringLiteral("Zelvo.FLV 的說明首頁");
}
inline QString mail() {
    return QStringLiteral("意見回饋與問題回報");
}
// The program asks for no money: the donation window says what helps instead.
inline QString money() {
    return QStringLiteral(
        "Zelvo.FLV 是免費軟體，所有的功能都可以免費使用。\n"
        "\n"
        "本軟體不接受金錢捐助，也不會向你索取任何款項；\n"
        "任何以本軟體名義要求匯款或轉帳的訊息，都不是來自我們。\n"
        "\n"
        "如果你覺得本軟體對你有幫助，最好的捐助是：\n"
        "・回報你遇到的問題，附上檔案的格式與操作的步驟\n"
        "　（請按下方的「意見回饋與問題回報」）\n"
        "・把本軟體介紹給需要的朋友\n"
        "・告訴我們你希望加入的功能");
}

}  // namespace aboutTexts
