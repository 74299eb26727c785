#pragma once

#include "core/jobs/ToolTexts.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Every text the main window shows, in one place.
namespace frmMainTexts {

inline QString caption() {
    return QStringLiteral(" Zelvo.FLV - 1.6.1");
}
// The caption while a file is open; the leading blank belongs to it.
inline QString fileCaption(const QString& fileName) {
    return QStringLiteral(" ") + fileName + QStringLiteral(" - Zelvo.FLV");
}

// ---- menus ----------------------------------------------------------------------------
inline QString menuFile() {
    return QStringLiteral("檔案");
}
inline QString menuPlay() {
    return QStringLiteral("播放");
}
inline QString menuView() {
    return QStringLiteral("畫面");
}
inline QString menuHelp() {
    return QStringLiteral("說明");
}
inline QString menuTools() {
    return QStringLiteral("工具");
}
inline QString mnuList() {
    return QStringLiteral("前往播放清單　　　F1");
}
inline QString mnuMyExplorer() {
    return QStringLiteral("前往檔案列表　　F3");
}
inline QString mnuMediaJoin() {
    return QStringLiteral("合併功能");
}
inline QString mnuMediaSplit() {
    return QStringLiteral("切割功能");
}
inline QString mnuMediaSnap() {
    return QStringLiteral("截圖功能");
}
inline QString mnuMediaFix() {
    return QStringLiteral("修復功能");
}
inline QString mnuFLV2Mov(int index) {
    return index == 0 ? QStringLiteral("FLV 轉影片") : QStringLiteral("影片轉 FLV");
}
inline QString mnuFLV2Muc(int index) {
    return index == 0 ? QStringLiteral("FLV 轉音樂") : QStringLiteral("音樂轉 FLV");
}
inline QString mnuOpen() {
    return QStringLiteral("開啟檔案 ....");
}
inline QString mnuPlayLast() {
    return QStringLiteral("播放上一個檔案");
}
inline QString mnuSaveFile() {
    return QStringLiteral("另存目前檔案");
}
inline QString mnuExplorer() {
    return QStringLiteral("前往檔案總管");
}
inline QString mnuAddToList() {
    return QStringLiteral("加入目前檔案到");
}
inline QStringList mnuToList() {
    return {QStringLiteral("播放清單一"), QStringLiteral("播放清單二"), QStringLiteral("合併清單")};
}
inline QString mnuStartList() {
    return QStringLiteral("啟動時顯示播放清單");
}
inline QString mnuSaveNow() {
    return QStringLiteral("立即儲存設定");
}
inline QString settingsSaved() {
    return QStringLiteral("已經成功儲存播放清單與其它組態設定！");
}
inline QString settingsNotSaved() {
    return QStringLiteral("無法儲存設定到 Zelvo.FLV 的組態檔案");
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
inline QString menuSpeed() {
    return QStringLiteral("設定播放速度");
}
// Index 9 is the separator.
inline QStringList mnuSpeed() {
    return {QStringLiteral("10% 播放速度"),    QStringLiteral("25% 播放速度"),
            QStringLiteral("50% 播放速度"),    QStringLiteral("75% 播放速度"),
            QStringLiteral("正常播放 (100%)"), QStringLiteral("125% 播放速度"),
            QStringLiteral("150% 播放速度"),   QStringLiteral("175% 播放速度"),
            QStringLiteral("200% 播放速度"),   QString(),
            QStringLiteral("自訂播放速度")};
}
inline QString menuSteps() {
    return QStringLiteral("設定倒轉快轉");
}
// Index 3 is the separator.
inline QStringList mnuFB() {
    return {QStringLiteral("使用影格模式 ( 5 格 )"), QStringLiteral("使用秒數模式 ( 5 秒 )"),
            QStringLiteral("使用比例模式 ( 5 ％ )"), QString(),
            QStringLiteral("自訂目前模式的數值")};
}
inline QString mnuKeepWH() {
    return QStringLiteral("影片維持長寬比例");
}
inline QString mnuKeepDef() {
    return QStringLiteral("影片維持原始大小");
}
inline QString mnuScnFull() {
    return QStringLiteral("切換畫面最大化　　Esc");
}
inline QString mnuSaveCap() {
    return QStringLiteral("另存畫面　　　　　Home");
}
inline QString mnuHelp() {
    return QStringLiteral("說明主題");
}
inline QString munCodec() {
    return QStringLiteral("無法播放 FLV？");
}
inline QString mnuOpenApp() {
    return QStringLiteral("開啟安裝目錄");
}
inline QString mnuUninstall() {
    return QStringLiteral("移除本軟體");
}
inline QString mnuSaveDir() {
    return QStringLiteral("設定存取目錄 ....");
}
inline QString mnuFLVGet() {
    return QStringLiteral("擷取網頁 FLV");
}
inline QString mnuLearn() {
    return QStringLiteral("本軟體的教學");
}
inline QString mnuUpdate() {
    return QStringLiteral("查看最新版本");
}
inline QString menuDlPlus() {
    return QStringLiteral("下載附加元件");
}
inline QString mnuDlPlus0() {
    return QStringLiteral("K-Lite Mega Codec Pack ( 播放非 Windows Media Files 與特殊格式所需 )");
}
inline QString mnuDownloadFamily() {
    return QStringLiteral("下載家族軟體");
}
// The family's programs: caption and page below the home page.
inline QList<QPair<QString, QString>> familyPages() {
    return {{QStringLiteral("ZelvoResFLV ( 本軟體的工具程式 )"),
             QStringLiteral("software/detail/ZelvoResFLV.htm")}};
}
inline QString mnuDiscuss() {
    return QStringLiteral("作者的部落格");
}
inline QString mnuMoney() {
    return QStringLiteral("捐助 ......");
}
inline QString mnuAbout() {
    return QStringLiteral("關於本軟體");
}
// The start screen's hint and its donation label.
inline QString startNote() {
    return QStringLiteral(
        "把影片或音樂檔案拖曳到這裡，或按「檔案」→「開啟檔案」開始播放；"
        "播放時按「[」與「]」標記要剪輯的區段");
}
inline QString startMoney() {
    return QStringLiteral("捐助");
}
// The uninstall note: a copy in a folder goes with its folder; a package is removed by the
// package manager.
inline QString uninstallFolderCopy() {
    return QStringLiteral(
        "本軟體乃是綠色軟體，與免費軟體\r\n"
        "如果想移除本軟體，只要將安裝的\r\n"
        "目錄與目錄下的檔案全部刪除即可\r\n"
        "\r\n"
        "你可以使用「開啟安裝目錄」選項");
}
inline QString uninstallPackage(const QString& package) {
    return QStringLiteral("本軟體是以套件「") + package +
           QStringLiteral(
               "」安裝的免費軟體\r\n"
               "如果想移除本軟體，請在終端機執行：\r\n"
               "\r\n"
               "sudo apt remove ") +
           package;
}

// ---- status line and time labels -----------------------------------------------------
inline QString statusStart() {
    return QStringLiteral("正在播放，進度 0 ％，播速 100 ％");
}
// "正在播放，進度 37 ％，播速 100 ％", or "暫停播放，…" while paused.
inline QString statusPlaying(bool paused, long percent, long speedPercent) {
    return (paused ? QStringLiteral("暫停") : QStringLiteral("正在")) +
           QStringLiteral("播放，進度 ") + QString::number(percent) + QStringLiteral(" ％，播速 ") +
           QString::number(speedPercent) + QStringLiteral(" ％");
}
inline QString statusEnded() {
    return QStringLiteral("結束播放");
}
inline QString statusNoFile() {
    return QStringLiteral("請開啟新的檔案");
}
// An entry whose file has gone, passed over while a list plays on by itself.
inline QString skippedMissing(const QString& name) {
    return QStringLiteral("已略過不存在的檔案：") + name;
}
inline QString statusFailed() {
    return QStringLiteral("無法播放");
}
inline QString timeSplit() {
    return QStringLiteral(" / ");
}

// ---- buttons ---------------------------------------------------------------------------
inline QString tipPlay() {
    return QStringLiteral("播放 ( 空白鍵 )");
}
inline QString tipPause() {
    return QStringLiteral("暫停 ( 空白鍵 )");
}
inline QString tipStop() {
    return QStringLiteral("停止 ( Del 鍵 )");
}
inline QString tipLastItem() {
    return QStringLiteral("播放清單的上一個項目 ( ↑ 鍵 )");
}
inline QString tipNextItem() {
    return QStringLiteral("播放清單的下一個項目 ( ↓ 鍵 )");
}
inline QString tipRngStart() {
    return QStringLiteral("標記開始 (  [  )");
}
inline QString tipRngEnd() {
    return QStringLiteral("標記結束 (  ]  )");
}
inline QString tipSound() {
    return QStringLiteral("靜音");
}
inline QString tipVolume() {
    return QStringLiteral("主音量");
}
// "倒轉 ( PgUp 鍵：5 秒，或 ← 鍵：5 格 )"
inline QString tipBackward(int amount, const QString& unit, int frames) {
    return QStringLiteral("倒轉 ( PgUp 鍵：") + QString::number(amount) + unit +
           QStringLiteral("，或 ← 鍵：") + QString::number(frames) + QStringLiteral(" 格 ") +
           QStringLiteral(")");
}
inline QString tipForward(int amount, const QString& unit, int frames) {
    return QStringLiteral("快轉 ( PgDn 鍵：") + QString::number(amount) + unit +
           QStringLiteral("，或 → 鍵：") + QString::number(frames) + QStringLiteral(" 格 ") +
           QStringLiteral(")");
}
// The units of the three step modes as the tool tips write them.
inline QStringList stepUnits() {
    return {QStringLiteral(" 格"), QStringLiteral(" 秒"), QStringLiteral(" ％")};
}

// ---- messages ----------------------------------------------------------------------------
// Closing the window while a tool job runs.
inline QString exitWhileJob() {
    return QStringLiteral(
        "你選擇了結束與離開本軟體\r\n"
        "但是檔案處理程序正在進行中\r\n"
        "\r\n"
        "要中止程序，並且結束本軟體嗎？");
}
inline QString exitWhileMarking() {
    return QStringLiteral(
        "你選擇了結束與離開本軟體\r\n"
        "但是你目前處於標記編輯的狀態\r\n"
        "\r\n"
        "按「是」則結束與離開本軟體\r\n"
        "按「否」則繼續使用本軟體");
}
inline QString playWhileMarking(const QString& path) {
    return QStringLiteral(
               "某個多媒體檔案正準備接續播放\r\n"
               "但是你目前處於標記編輯的狀態\r\n"
               "\r\n"
               "按「是」則允許該多媒體的播放\r\n"
               "按「否」則取消該多媒體的播放\r\n"
               "\r\n") +
           path;
}
inline QString cannotPlayHead() {
    return QStringLiteral("出現錯誤，無法播放指定的檔案：");
}
// The body of the cannot-play box; flv adds the codec help offer.
inline QString playError(const QString& head, const QString& path, bool flv) {
    QString text = head + QStringLiteral("\r\n") + path +
                   QStringLiteral(
                       "\r\n"
                       "\r\n"
                       "可能是因為檔案不存在，或者是格式不支援\r\n"
                       "也有可能，這是被「授權保護」的媒體檔案\r\n"
                       "\r\n"
                       "請留意，當你使用的是繁體中文的作業系統\r\n"
                       "無法播放可能是該檔名包含了簡體、日文字\r\n"
                       "\r\n"
                       "－－－－－－－－－－－－－－－－－－－\r\n");
    if (flv) {
        text += QStringLiteral(
            "如果不是以上的問題，表示你需要安裝 FLV\r\n"
            "的解碼器，按下「確定」將開啟說明文件！");
    } else {
        text += QStringLiteral(
            "關於多媒體的播放的格式支援問題，你可以\r\n"
            "參考本軟體的「說明」-->「下載附加元件」");
    }
    return text;
}
// Added to the cannot-play box of an FLV that looks damaged, with its button.
inline QString damagedFlvOffer() {
    return QStringLiteral(
        "\r\n"
        "\r\n"
        "－－－－－－－－－－－－－－－－－－－\r\n"
        "這個 FLV 檔案看來已經損壞（資料不完整）\r\n"
        "按下「修復檔案」將開啟修復功能！");
}
inline QString repairButton() {
    return QStringLiteral("修復檔案");
}
inline QString marksModeChanged() {
    return QStringLiteral(
        "由於你針對目前的檔案進行了標記編輯\r\n"
        "清單播放模式將改為「單次播放檔案」");
}
inline QString speedPrompt() {
    return QStringLiteral(
        "請輸入目前檔案的自訂播放速度\r\n"
        "\r\n"
        "輸入條件為介於 1 到 200 之間的整數\r\n"
        "正常播放速度的數值為 100 ( ＝100% )\r\n"
        "數值越小播放速度越慢，數值越大播放速度越快");
}
inline QString speedOutOfRange() {
    return QStringLiteral("你輸入了錯誤範圍的播放速度！");
}
inline QString stepPrompt(const QString& modeName) {
    return QStringLiteral("請輸入倒轉與快轉的") + modeName +
           QStringLiteral(
               "模式數值\r\n"
               "\r\n"
               "輸入條件為介於 1 到 100 之間的整數\r\n"
               "例如，目前的數值是：");
}
inline QString stepOutOfRange() {
    return QStringLiteral("你輸入了錯誤範圍的模式數值！");
}
inline QString stepFailed() {
    return QStringLiteral("無法以指定的方式倒轉或快轉！");
}
inline QString helpMissing(const QString& fileName) {
    return QStringLiteral("找不到說明檔 ") + fileName + QStringLiteral("！");
}

// ---- range marks -------------------------------------------------------------------------
inline QString menuMarks() {
    return QStringLiteral("標記剪輯");
}
inline QString mnuRngEdit() {
    return QStringLiteral("前往標記清單　　 　F2");
}
inline QString mnuRngClear() {
    return QStringLiteral("清除所有標記");
}
inline QStringList mnuRngPlay() {
    return {QStringLiteral("單次播放標記　　 　Enter"),
            QStringLiteral("循環播放標記　   Ctr+Enter")};
}
inline QString mnuSaveRng() {
    return QStringLiteral("另存裁剪");
}
inline QString mnuSaveCut() {
    return QStringLiteral("另存分割");
}
inline QString mnuExactCut() {
    return QStringLiteral("精確裁剪 ( 只重新編碼切點附近的畫面 )");
}
inline QString mnuAutoAddMark() {
    return QStringLiteral("總是自動附加標記");
}
inline QString mnuToListEnd() {
    return QStringLiteral("總是加到清單末尾");
}
inline QString clearMarksQuestion() {
    return QStringLiteral("確定要清除所有的標記？");
}
inline QString segmentQuestion(const QString& segment) {
    return segment + QStringLiteral(
                         "\r\n\r\n"
                         "是否要播放或刪除這個標記區段？\r\n"
                         "\r\n\r\n"
                         "按「是」則播放這個標記區段\r\n"
                         "按「否」則刪除這個標記區段");
}
// The marks are listed one range a line.
inline QString attachMarksQuestion(const QString& ranges) {
    return QStringLiteral(
               "你選擇把目前的檔案加入到指定清單\r\n"
               "是否要附加標記，被標記的影格如下：\r\n"
               "\r\n") +
           ranges;
}

// ---- saving marked ranges and files -----------------------------------------------------
// "裁剪" (cut) or "分割" (split).
inline QString saveModeWord(int mode) {
    return mode == 0 ? QStringLiteral("裁剪") : QStringLiteral("分割");
}
inline QString saveNoMarks() {
    return QStringLiteral(
        "你要處理的檔案並不存在於本地硬碟\r\n"
        "或是其他的原因導致無法讀取標記！");
}
inline QString saveNoPicture(const QString& modeWord) {
    return QStringLiteral("「另存") + modeWord + QStringLiteral("」無法處理沒有畫面／視訊的影片！");
}
inline QString saveConfirm(int mode, const QString& source) {
    const QString word = saveModeWord(mode);
    return QStringLiteral("本軟體可以不經轉檔而直接") + word +
           QStringLiteral(" FLV 檔案等等：\r\n") + source + QStringLiteral("\r\n\r\n") +
           (mode == 0 ? QStringLiteral("裁剪功能，可以將所有的標記區段接合為單一的新檔案\r\n"
                                       "下一個步驟，將會開啟另存新檔的檔案對話盒")
                      : QStringLiteral("分割功能，可以將所有的標記區段分別存檔為新的檔案\r\n"
                                       "下一個步驟，將會開啟瀏覽資料夾的目錄對話盒")) +
           QStringLiteral("\r\n\r\n確定要進行「另存") + word + QStringLiteral("」？");
}
inline QString splitFolderTitle(const QString& ext) {
    return QStringLiteral("分割出的檔案將以「split_編號.") + ext +
           QStringLiteral(
               "」儲存\r\n"
               "請選取分割出的新檔案的儲存目錄\r\n"
               "這裡，強烈建議你新建一個資料夾！");
}
inline QString cutFilter(const QString& ext) {
    return ext.toUpper() + QStringLiteral(" 檔案格式 (*.") + ext + QStringLiteral(")|*.") + ext;
}
// saveFile's filter has no blank before the parenthesis.
inline QString saveFileFilter(const QString& ext) {
    return (ext == QLatin1String("plt") ? QStringLiteral("預設清單檔")
                                        : ext.toUpper() + QStringLiteral(" 檔案格式")) +
           QStringLiteral("(*.") + ext + QStringLiteral(")|*.") + ext;
}
inline QString saveFileFailed() {
    return QStringLiteral("出現錯誤，無法成功儲存檔案！");
}
// A destination that would replace or remove the file being saved from: 1 the chosen
// file is the source, 2 a "split_NNN" name of the run is the source, 3 the source has a
// temporary name the clean-up removes from the chosen folder.
inline QString saveSourceConflict(int kind, const QString& source) {
    return toolTexts::sourceConflict(kind, source);
}

}  // namespace frmMainTexts
