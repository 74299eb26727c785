#pragma once

#include <QString>

// The texts of a batch: the busy window's lines, the reasons a file is skipped, the question
// after Break and the report's lines. Line breaks are CR LF.
namespace batchTexts {

// "第 3 個檔案，共 20 個"
inline QString fileLine(int index, int count) {
    return QStringLiteral("第 ") + QString::number(index) + QStringLiteral(" 個檔案，共 ") +
           QString::number(count) + QStringLiteral(" 個");
}

// Why a file was not worked on.
inline QString missing() {
    return QStringLiteral("檔案不存在");
}
inline QString empty() {
    return QStringLiteral("檔案是空的（0 位元組）");
}
inline QString notMedia() {
    return QStringLiteral("不是多媒體檔案");
}
// The tool does not take the file's type; word names the tool ("修復", "轉檔" ...).
inline QString wrongType(const QString& word) {
    return QStringLiteral("不支援") + word + QStringLiteral("的多媒體格式");
}
inline QString marksMisfit() {
    return QStringLiteral("標記不符合這個檔案的長度");
}
inline QString duplicate() {
    return QStringLiteral("與前面的項目是同一個檔案");
}
inline QString noMarks() {
    return QStringLiteral("沒有標記");
}
inline QString noPicture() {
    return QStringLiteral("沒有畫面，無法截圖");
}
inline QString unknownLength() {
    return QStringLiteral("無法取得播放長度");
}
inline QString badNumbers() {
    return QStringLiteral("切割或截圖的參數不適用於這個檔案");
}
inline QString diskFull() {
    return QStringLiteral("磁碟已滿");
}
inline QString stopped() {
    return QStringLiteral("已中止");
}
inline QString notReached() {
    return QStringLiteral("批次處理已中止，未處理");
}

// Asked after Break stopped the file in work.
inline QString stopRest(int left) {
    return QStringLiteral("已中止目前的檔案。") + QStringLiteral("\r\n\r\n") +
           QStringLiteral("還有 ") + QString::number(left) +
           QStringLiteral(" 個檔案尚未處理，要全部中止嗎？") + QStringLiteral("\r\n") +
           QStringLiteral("按「確定」全部中止，按「取消」繼續處理下一個檔案");
}

// The report: a head line, then one line a file.
inline QString reportTitle() {
    return QStringLiteral("批次處理結果");
}
inline QString reportHead(int done, int failed, int skipped) {
    return QStringLiteral("完成 ") + QString::number(done) + QStringLiteral(" 個，失敗 ") +
           QString::number(failed) + QStringLiteral(" 個，略過 ") + QString::number(skipped) +
           QStringLiteral(" 個");
}
inline QString doneLine(const QString& source, const QString& output) {
    return QStringLiteral("完成：") + source + QStringLiteral(" → ") + output;
}
inline QString failedLine(const QString& source, const QString& reason) {
    return QStringLiteral("失敗：") + source + QStringLiteral("（") + reason + QStringLiteral("）");
}
inline QString skippedLine(const QString& source, const QString& reason) {
    return QStringLiteral("略過：") + source + QStringLiteral("（") + reason + QStringLiteral("）");
}
// A note of what a tool mended, under its file's line.
inline QString noteLine(const QString& note) {
    return QStringLiteral("　　") + note;
}
// More files than the one shown: "（共 12 個檔案）".
inline QString moreOutputs(int count) {
    return QStringLiteral("（共 ") + QString::number(count) + QStringLiteral(" 個檔案）");
}

}  // namespace batchTexts

// The report window's buttons.
namespace batchTexts {
inline QString copyButton() {
    return QStringLiteral("複製");
}
inline QString saveButton() {
    return QStringLiteral("另存文字檔……");
}
inline QString folderButton() {
    return QStringLiteral("查看輸出資料夾");
}
inline QString closeButton() {
    return QStringLiteral("關閉");
}
inline QString saveFilter() {
    return QStringLiteral("文字檔 (*.txt)|*.txt");
}
inline QString proposedReportName() {
    return QStringLiteral("批次處理結果.txt");
}
inline QString cannotSave(const QString& path) {
    return QStringLiteral("無法寫入檔案：") + path;
}
}  // namespace batchTexts
