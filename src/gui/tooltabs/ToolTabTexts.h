#pragma once

#include <QString>
#include <QStringList>

// Every text of the split, snapshot and join tabs, in one place.
namespace toolTabTexts {

inline QString crlf() {
    return QStringLiteral("\r\n");
}

// ---- the source and its probe, shared by the split and snapshot tabs ------------------------
inline QString probeButton() {
    return QStringLiteral("取得屬性");
}
inline QString lengthUnknown() {
    return QStringLiteral("此多媒體屬性：未確認");
}
inline QString lengthKnown(const QString& seconds, qint64 kilobytes) {
    return QStringLiteral("此多媒體屬性：播放長度 ") + seconds + QStringLiteral(" 秒 = 大小 ") +
           QString::number(kilobytes) + QStringLiteral(" KB");
}
inline QString probeFailedHead() {
    return QStringLiteral("無法取得指定檔案的相關屬性：");
}
// word: "切割" or "截圖".
inline QString noPicture(const QString& word) {
    return QStringLiteral("「") + word + QStringLiteral("功能」無法處理沒有畫面／視訊的影片！");
}
inline QString splitWord() {
    return QStringLiteral("切割");
}
inline QString snapWord() {
    return QStringLiteral("截圖");
}
// The tip of the boxes that take a decimal point.
inline QString decimalsAllowed() {
    return QStringLiteral("允許有小數點");
}
inline QString unsupported(const QString& word) {
    return QStringLiteral("你所指定處理的檔案並不存在，或是") + crlf() +
           QStringLiteral("你選擇了不支援") + word + QStringLiteral("的多媒體格式！");
}
inline QString saveFilter(const QString& ext) {
    return ext.toUpper() + QStringLiteral(" 檔案格式 (*.") + ext + QStringLiteral(")|*.") + ext;
}
// The folder dialog of many pieces or pictures.
inline QString seriesFolderPrompt(const QString& ext, bool pieces) {
    return (pieces ? QStringLiteral("切割出的檔案將以「split_編號.")
                   : QStringLiteral("分割出的檔案將以「split_編號.")) +
           ext + QStringLiteral("」儲存") + crlf() +
           QStringLiteral("請選取分割出的新檔案的儲存目錄") + crlf() +
           QStringLiteral("這裡，強烈建議你新建一個資料夾！");
}

// ---- split --------------------------------------------------------------------------------------
inline QString runSplit() {
    return QStringLiteral("執行切割功能");
}
inline QStringList splitModes() {
    return {QStringLiteral("切割成　 　　  個等份　　　　　Byte"),
            QStringLiteral("切割以　　　　　　秒數為單位"),
            QStringLiteral("切割以　　　　　　KB 為單位"),
            QStringLiteral("切割一段從第　　　　　　秒數"),
            QStringLiteral("切割一段從第　　　　　　KB"),
            QStringLiteral("切割一段從第　　　　　　％ 位置")};
}
// The second caption of the one-piece modes.
inline QStringList splitModeEnds() {
    return {QStringLiteral("到第　　　　　　秒數"), QStringLiteral("到第　　　　　　KB"),
            QStringLiteral("到第　　　　　　％ 位置")};
}
inline QString fewestPieces() {
    return QStringLiteral("最小切割數 002");
}
inline QString mostPieces() {
    return QStringLiteral("最大切割數 099");
}
inline QString spanHead() {
    return QStringLiteral("目前指定區段有");
}
// The preview of where the pieces really start.
inline QString realStarts(const QStringList& times, bool more) {
    return QStringLiteral("實際開始於關鍵影格：") + times.join(QStringLiteral("、")) +
           (more ? QStringLiteral("…") : QString());
}
inline QString earliest(const QString& seconds) {
    return QStringLiteral("最多比指定的時間提早 ") + seconds + QStringLiteral(" 秒");
}
inline QString onTheCut() {
    return QStringLiteral("每段都從指定的時間開始");
}
inline QString scanning() {
    return QStringLiteral("正在尋找關鍵影格……");
}
// What the run buttons say while they cannot be pressed.
inline QString probeFirst() {
    return QStringLiteral("請先指定檔案，並按下「取得屬性」");
}
inline QString splitNumbers() {
    return QStringLiteral("請輸入 2 到 99 個切割數，或是在播放長度之內的區段");
}
inline QString snapNumbers() {
    return QStringLiteral("請輸入在播放長度之內的時刻或區段，以及 1 到 999 張的截圖");
}

// ---- snapshot -----------------------------------------------------------------------------------
inline QString runSnap() {
    return QStringLiteral("執行截圖功能");
}
inline QStringList snapChoices() {
    return {QStringLiteral("選取時刻是第　　　　　　秒數 ( 即僅取一張截圖 )"),
            QStringLiteral("選取區段是影片的全部"), QStringLiteral("選取區段從第　　　　　　秒數")};
}
inline QString snapSpanEnd() {
    return QStringLiteral("到第　　　　　　秒數");
}
inline QStringList snapSpacings() {
    return {QStringLiteral("取得截圖以等時間間隔，共　　　 　張"),
            QStringLiteral("取得截圖以每　　　　　　秒數為間隔")};
}
inline QStringList pictureTypes() {
    return {QStringLiteral("JPG"), QStringLiteral("PNG"), QStringLiteral("GIF")};
}

// ---- join ---------------------------------------------------------------------------------------
inline QString runJoin() {
    return QStringLiteral("執行合併功能");
}
inline QString joinRefused() {
    return QStringLiteral("合併清單裡的檔案類型不一致，或是") + crlf() +
           QStringLiteral("清單裡包含不支援合併的多媒體格式") + crlf() +
           QStringLiteral("或是，清單裡包含了不存在的檔案！") + crlf() + crlf() +
           QStringLiteral("此合併功能，僅支援同類型的檔案");
}
inline QString joinNeedsTwo() {
    return QStringLiteral("請在合併清單加入至少兩個同類型的檔案");
}

}  // namespace toolTabTexts
