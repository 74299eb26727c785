#pragma once

#include <QString>

// Every text of the busy dialog, of the tools' shared questions and reports,
// and the names the tools leave in the working folder, kept in one place so
// they can be checked and translated. Line breaks are CR LF.

// The editing operations that run outside tools.
enum class ToolOperation {
    Split,      // split tool of the playlist window
    Snapshot,   // snapshot tool
    Join,       // join tool
    Repair,     // fix tool
    Convert,    // encode tool
    SaveCut,    // the player's "另存裁剪": marked ranges joined into one file
    SaveSplit,  // the player's "另存分割": one file per marked range
};

namespace toolTexts {

inline QString crlf() {
    return QStringLiteral("\r\n");
}

// The busy dialog.
inline QString breakButton() {
    return QStringLiteral("中止程序");
}
inline QString breakHint1() {
    return QStringLiteral("如果改變主意，或等不耐煩");
}
inline QString breakHint2() {
    return QStringLiteral("你隨時可以按下");
}
// Five lines, so the label keeps the height of a real busy text.
inline QString initialBusyText() {
    return QStringLiteral(" \r\n\r\n \r\n\r\n ");
}
inline QString busyTitle() {
    return QStringLiteral("Zelvo.FLV");
}
inline QString countLine(int count, int index) {
    return QStringLiteral("共有 ") + QString::number(count) + QStringLiteral(" 個程序，正處理第 ") +
           QString::number(index) + QStringLiteral(" 個");
}

// What each operation says in the busy line, in the audio re-encoding question
// (empty where the operation never asks it) and in the failure report.
struct OperationTexts {
    QString busyLine;
    QString question1;
    QString question2;
    QString questionLast;
    QString failureLine;
};

inline OperationTexts operationTexts(ToolOperation op) {
    switch (op) {
        case ToolOperation::Split:
            return {QStringLiteral("正在進行「切割」多媒體檔案"),
                    QStringLiteral("切割後的區段，音訊必須重新編碼"),
                    QStringLiteral("這個「切割」程序才能成功"),
                    QStringLiteral("按「取消」則中止這個「切割」程序"),
                    QStringLiteral("可能是檔案格式不支援進一步的切割")};
        case ToolOperation::Snapshot:
            return {QStringLiteral("正在進行「截圖」多媒體檔案"), QString(), QString(), QString(),
                    QStringLiteral("可能是檔案格式不支援進一步的截圖")};
        case ToolOperation::Join:
            return {QStringLiteral("正在進行「合併」多媒體檔案"),
                    QStringLiteral("合併後的檔案，音訊必須重新編碼"),
                    QStringLiteral("這個「合併」程序才能成功"),
                    QStringLiteral("按「取消」則中止這個「合併」程序"),
                    QStringLiteral("可能是檔案格式不支援進一步的合併")};
        case ToolOperation::Repair:
            return {QStringLiteral("正在進行「修復」多媒體檔案"),
                    QStringLiteral("修復後的檔案，音訊必須重新編碼"),
                    QStringLiteral("這個「修復」程序才能成功"),
                    QStringLiteral("按「取消」則中止這個「修復」程序"),
                    QStringLiteral("可能是檔案格式不支援進一步的修復")};
        case ToolOperation::Convert:
            return {QStringLiteral("正在進行「轉檔」多媒體檔案"), QString(), QString(), QString(),
                    QStringLiteral("可能是檔案格式不支援進一步的轉檔")};
        case ToolOperation::SaveCut:
            return {QStringLiteral("正在進行「裁剪」多媒體檔案"),
                    QStringLiteral("裁剪後的區段，音訊必須重新編碼"),
                    QStringLiteral("這個「另存裁剪」程序才能成功"),
                    QStringLiteral("按「取消」則中止這個「另存裁剪」程序"),
                    QStringLiteral("可能是檔案格式不支援進一步的剪輯")};
        case ToolOperation::SaveSplit:
            return {QStringLiteral("正在進行「分割」多媒體檔案"),
                    QStringLiteral("分割後的區段，音訊必須重新編碼"),
                    QStringLiteral("這個「另存分割」程序才能成功"),
                    QStringLiteral("按「取消」則中止這個「另存分割」程序"),
                    QStringLiteral("可能是檔案格式不支援進一步的剪輯")};
    }
    return {};
}

inline QString reencodeContinue() {
    return QStringLiteral("按「確定」則繼續程序，並且音訊重新編碼");
}

// The failure report.
inline QString failureHead() {
    return QStringLiteral("出現錯誤，無法成功處理檔案");
}
inline QString failureTail() {
    return QStringLiteral("或者，該檔案被正被其他程式所執行");
}

// The first line of the failure report where the job knows why it failed.
inline QString causeToolMissing(const QString& name) {
    return QStringLiteral("找不到處理檔案所需的工具程式：") + name;
}
inline QString causeSourceUnreadable(const QString& path) {
    return QStringLiteral("無法讀取來源檔案：") + path;
}
inline QString causeFolderNotWritable(const QString& folder) {
    return QStringLiteral("無法寫入這個資料夾：") + folder;
}
inline QString causeDiskFull(const QString& folder) {
    return QStringLiteral("磁碟空間不足，無法寫入這個資料夾：") + folder;
}

// The end of a session after Break.
inline QString abortedNotice() {
    return QStringLiteral("你已經中止程序！");
}

// The completion report.
inline QString doneHead() {
    return QStringLiteral("全部的檔案處理程序已經");
}
inline QString doneAborted() {
    return QStringLiteral("被中止掉");
}
inline QString doneSucceeded() {
    return QStringLiteral("成功結束");
}
inline QString timeLead() {
    return QStringLiteral("總共使用的時間有 ");
}
inline QString timeUnit() {
    return QStringLiteral(" 秒");
}
inline QString doneHint1() {
    return QStringLiteral("按下「確定」，可以前往檔案總管");
}
inline QString doneHint2() {
    return QStringLiteral("或本軟體的檔案列表，查看新檔案");
}

// A destination refused because the job would destroy its source: 1 the destination is
// the source, 2 a name the job writes is the source, 3 the source has a name the clean-up
// removes.
inline QString sourceConflict(int kind, const QString& source) {
    const QString head = kind == 1 ? QStringLiteral("另存的新檔案不能取代正在處理的來源檔案：")
                         : kind == 2 ? QStringLiteral("分割出的新檔案會取代正在處理的來源檔案：")
                                     : QStringLiteral("來源檔案的名稱與暫存檔相同，會被清除：");
    const QString tail = kind == 3 ? QStringLiteral("請先將來源檔案改名，或另外選擇資料夾！")
                                   : QStringLiteral("請另外選擇檔名或資料夾！");
    return head + crlf() + source + crlf() + crlf() + tail;
}

// A destination refused because the clean-up after the job would remove it.
inline QString outputTempName(const QString& path) {
    return QStringLiteral("新檔案的名稱與暫存檔相同，會被清除：") + crlf() + path + crlf() +
           crlf() + QStringLiteral("請另外選擇檔名！");
}

// What the tools leave in the working folder, removed after every job.
inline QString tempPattern() {
    return QStringLiteral("~tmpS*.*");
}
// Put before what the tool says of one range of a save: "第 2 段：".
inline QString rangeNote(int number) {
    return QStringLiteral("第 %1 段：").arg(number);
}

inline QString fixTempPattern() {
    return QStringLiteral("~fix~tmpS*.*");
}

}  // namespace toolTexts
