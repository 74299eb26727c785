#pragma once

#include <QString>
#include <QStringList>

// Every text the playlist window shows, in one place.
namespace frmListTexts {

inline QString caption() {
    return QStringLiteral(" 播放清單");
}

// ---- work areas and their tabs ------------------------------------------------------
// The menu entry of each area; area 5 has none.
inline QStringList mnuSwithItem() {
    return {QStringLiteral("第一區／播放清單"),        QStringLiteral("第二區／標記清單"),
            QStringLiteral("第三區／合併、切割功能"),  QStringLiteral("第四區／截圖功能"),
            QStringLiteral("第五區／修復功能"),        QString(),
            QStringLiteral("第六區／FLV <----> 影片"), QStringLiteral("第七區／FLV <----> 音樂")};
}
inline QStringList tabCaptions(int area) {
    switch (area) {
        case 0:
            return {QStringLiteral("播放清單一"), QStringLiteral("播放清單二")};
        case 1:
            return {QStringLiteral("標記清單"), QStringLiteral("檔案列表")};
        case 2:
            return {QStringLiteral("合併功能"), QStringLiteral("切割功能")};
        case 3:
            return {QStringLiteral("截圖功能")};
        case 4:
            return {QStringLiteral("修復功能")};
        case 6:
            return {QStringLiteral("FLV 轉影片"), QStringLiteral("影片轉 FLV")};
        case 7:
            return {QStringLiteral("FLV 轉音樂"), QStringLiteral("音樂轉 FLV")};
        default:
            return {};
    }
}
inline QString mnuSwith() {
    return QStringLiteral("切換工作區");
}

// ---- the playlist menu ---------------------------------------------------------------
inline QString mnuMnLst() {
    return QStringLiteral("播放清單設定");
}
inline QString mnuPlayList() {
    return QStringLiteral("清單播放模式");
}
inline QStringList mnuPlaySetting() {
    return {QStringLiteral("單次播放檔案"), QStringLiteral("循環播放檔案"),
            QStringLiteral("循環播放清單"), QStringLiteral("隨機播放清單")};
}
inline QString mnuLineShow() {
    return QStringLiteral("清單顯示模式");
}
inline QStringList mnuLineFmt() {
    return {QStringLiteral("目錄 → 檔名 → 標記"), QStringLiteral("檔名 → 目錄 → 標記"),
            QStringLiteral("檔名 → 標記 → 目錄")};
}
inline QString mnuAddToList() {
    return QStringLiteral("加入指定項目到");
}
inline QStringList mnuToList() {
    return {QStringLiteral("播放清單一"), QStringLiteral("播放清單二"), QStringLiteral("合併清單")};
}
inline QString mnuToListEnd() {
    return QStringLiteral("總是加到清單末尾");
}
inline QString mnuPlaySpec() {
    return QStringLiteral("播放指定影片");
}
inline QString mnuPlaySpecVideo() {
    return QStringLiteral("播放來源影片");
}
inline QString mnuPlaySpecMusic() {
    return QStringLiteral("播放來源音樂");
}

// ---- toolbar tips --------------------------------------------------------------------
inline QString tipAdd(int index) {
    return index == 0 ? QStringLiteral("加入檔案 ( 可複選 )") : QStringLiteral("加入清單檔案");
}
inline QString tipDel(int index) {
    return index == 0 ? QStringLiteral("移除指定項目") : QStringLiteral("移除全部項目");
}
inline QString tipMove(int index) {
    return index == 0 ? QStringLiteral("上移指定項目") : QStringLiteral("下移指定項目");
}
inline QString tipSortItem() {
    return QStringLiteral("依序排列項目");
}
inline QString tipRevItem() {
    return QStringLiteral("依表倒序項目");
}
inline QString tipRndItem() {
    return QStringLiteral("隨機打亂項目");
}
inline QString tipSave(int index) {
    return index == 0 ? QStringLiteral("另存清單 ( 預設副檔名 plt )")
                      : QStringLiteral("另存指定檔案");
}
inline QString tipToFile() {
    return QStringLiteral("指定項目前往檔案列表");
}
inline QString tipPlay() {
    return QStringLiteral("播放指定項目");
}
inline QString tipRndPlay() {
    return QStringLiteral("隨機播放某一項目");
}
inline QString tipStop() {
    return QStringLiteral("停止目前播放");
}
inline QString tipStopLoop() {
    return QStringLiteral("停止全部播放");
}

// ---- hints under the panels -----------------------------------------------------------
inline QString notePlaylist() {
    return QStringLiteral("用滑鼠雙擊清單的指定項目，便可以播放該檔案");
}
inline QString noteMarks() {
    return QStringLiteral("用滑鼠雙擊清單的指定項目，便可以播放該標記區段");
}
inline QString noteBrowser() {
    return QStringLiteral("用滑鼠雙擊列表的指定項目，便可以播放該檔案");
}
// The hint of a tool tab: how its run button becomes usable.
inline QString noteTool(const QString& runButton) {
    return QStringLiteral("按照步驟輸入參數之後，「") + runButton + QStringLiteral("」便可以按下");
}
inline QString runFix() {
    return QStringLiteral("執行修復功能");
}
inline QString runEncode() {
    return QStringLiteral("執行轉檔功能");
}
inline QString joinTotal(const QString& kilobytes) {
    return QStringLiteral("合併清單目前所有項目的總檔案大小是：") + kilobytes +
           QStringLiteral(" KB");
}

// ---- messages and dialogs ------------------------------------------------------------
inline QString removeAll() {
    return QStringLiteral("確定要移除這個清單的全部項目？");
}
inline QString listFilter() {
    return QStringLiteral("支援的清單檔 (*.plt;*.pls;*.m3u;*.asx)|");
}
// The save dialog's title: which formats keep the marks.
inline QString saveListTitle() {
    return QStringLiteral("另存清單 ( 只有 plt 格式會保留標記 )");
}
inline QString saveListFilter() {
    return QStringLiteral(
        "Zelvo.FLV 清單檔 ( 保留標記 )|*.plt|M3U 清單檔|*.m3u|PLS 清單檔|*.pls|"
        "ASX 清單檔|*.asx");
}
// ---- the repair tab ------------------------------------------------------------------
inline QString fixExplain() {
    return QStringLiteral(
        "如果指定的 FLV 無法播放，或是播放時間不正確，或是無法跳轉，或是 Meta Data "
        "有毀損，你可以「執行修復 FLV」來解決這些問題，讓你把此 FLV "
        "再度放在網路上時，可以正常播放。此修復，讓你另存新檔成另一個 FLV 檔案。");
}
// The tip of a tool's source box while it names no file.
inline QString dropHint() {
    return QStringLiteral("你可以拖曳檔案到這裡");
}
// What a tool's run button says while its source is missing.
inline QString missingSource() {
    return QStringLiteral("請先指定要處理的檔案");
}
inline QString sourceGone(const QString& path) {
    return QStringLiteral("指定的檔案並不存在：") + path;
}
inline QString fixUnsupported() {
    return QStringLiteral("你所指定處理的檔案並不存在，或是\r\n你選擇了不支援修復的多媒體格式！");
}
inline QString tempListName() {
    return QStringLiteral("~tmpS.plt");
}

// ---- folders and batches ---------------------------------------------------------------
inline QString mnuAddDir() {
    return QStringLiteral("加入資料夾……");
}
inline QString addDirPrompt() {
    return QStringLiteral("請選取要加入清單的資料夾") + QStringLiteral("\r\n") +
           QStringLiteral("資料夾中的多媒體檔案會依檔名順序加入");
}
// Folders dropped or picked that hold no media file.
inline QString noMediaIn(const QStringList& folders) {
    return QStringLiteral("資料夾中沒有可播放的多媒體檔案：") + QStringLiteral("\r\n") +
           folders.join(QStringLiteral("\r\n"));
}
inline QString mnuBatch() {
    return QStringLiteral("批次處理");
}
inline QString mnuBatchFix() {
    return QStringLiteral("批次修復……");
}
inline QString mnuBatchEncode() {
    return QStringLiteral("批次轉檔……");
}
inline QString mnuBatchSplit() {
    return QStringLiteral("批次切割……");
}
inline QString mnuBatchSnap() {
    return QStringLiteral("批次截圖……");
}
inline QString mnuBatchSaveRng() {
    return QStringLiteral("批次另存標記區段……");
}
inline QString batchFolderPrompt(int files) {
    return QStringLiteral("請選取 ") + QString::number(files) +
           QStringLiteral(" 個檔案處理後的儲存目錄") + QStringLiteral("\r\n") +
           QStringLiteral("這裡，強烈建議你新建一個資料夾！");
}
inline QString batchNothing() {
    return QStringLiteral("清單中沒有項目可以處理");
}
// The conversion's formats and settings come from the panel shown last.
inline QString batchEncodeConfirm(int files, const QString& from, const QString& to) {
    return QStringLiteral("將 ") + QString::number(files) + QStringLiteral(" 個 ") + from +
           QStringLiteral(" 檔案轉檔成為 ") + to + QStringLiteral(" 檔案") +
           QStringLiteral("\r\n") + QStringLiteral("（格式與參數依轉檔功能頁目前的設定）") +
           QStringLiteral("\r\n\r\n") + QStringLiteral("確定要「執行轉檔功能」？");
}
inline QString batchAskParts() {
    return QStringLiteral("每個檔案要切割成幾個等份？（2 到 99）");
}
inline QString batchAskPictures() {
    return QStringLiteral("每個檔案要平均取得幾張截圖？（1 到 999）");
}
inline QString batchNoMarked() {
    return QStringLiteral("選取的項目都沒有標記，沒有區段可以另存");
}
inline QString batchRunning() {
    return QStringLiteral("批次處理正在進行，要中止它嗎？") + QStringLiteral("\r\n") +
           QStringLiteral("已完成的檔案會保留");
}

}  // namespace frmListTexts
