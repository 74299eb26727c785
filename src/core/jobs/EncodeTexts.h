#pragma once

#include <QString>
#include <QStringList>

// Every text of the conversion panels ("FLV 轉影片", "影片轉 FLV", "FLV 轉音樂",
// "音樂轉 FLV"): their labels, lists and messages. Line breaks are CR LF.
namespace encodeTexts {

inline QString sourceVideo() {
    return QStringLiteral("來源影片");
}
inline QString sourceMusic() {
    return QStringLiteral("來源音樂");
}
inline QString toVideo() {
    return QStringLiteral("轉成影片");
}
inline QString toMusic() {
    return QStringLiteral("轉成音樂");
}

// A format list entry that takes any extension.
inline QString anyFormat() {
    return QStringLiteral("不限");
}
// What a settings list shows on a panel that has no use for it.
inline QString unused() {
    return QStringLiteral("不使用");
}
inline QString originalSize() {
    return QStringLiteral("原視訊大小");
}
inline QString mono() {
    return QStringLiteral("單聲道");
}
inline QString stereo() {
    return QStringLiteral("立體聲");
}

inline QString runButton() {
    return QStringLiteral("執行轉檔程序");
}

// What the run button's tip says is missing.
inline QString noSource() {
    return QStringLiteral("請先指定來源檔案");
}
inline QString sourceGone(const QString& path) {
    return QStringLiteral("來源檔案並不存在：") + path;
}
inline QString noTarget() {
    return QStringLiteral("請先指定轉成的檔案");
}
inline QString targetFolderGone(const QString& folder) {
    return QStringLiteral("轉成檔案的資料夾並不存在：") + folder;
}
inline QString sourceSide() {
    return QStringLiteral("來源檔案");
}
inline QString targetSide() {
    return QStringLiteral("轉成檔案");
}
// "來源檔案不是所選的 MPG 格式：/v/c.mp4"
inline QString notInFormat(const QString& side, const QString& format, const QString& path) {
    return side + QStringLiteral("不是所選的 ") + format + QStringLiteral(" 格式：") + path;
}

// The browse dialog's filter for a format: "FLV 檔案格式 (*.FLV)|*.flv".
inline QString formatFilter(const QString& format, const QString& pattern) {
    return format.toUpper() + QStringLiteral(" 檔案格式 (*.") + format + QStringLiteral(")|*.") +
           pattern;
}
inline QString anyFilter() {
    return QStringLiteral("不限定檔案格式|*.*");
}

// ---- messages ------------------------------------------------------------------------------
inline QString sourceMissing() {
    return QStringLiteral("你所指定的來源檔案並不存在，或是\r\n你選擇了不支援轉檔的多媒體格式！");
}
inline QString sameFile() {
    return QStringLiteral("你所指定的轉成檔案（目標檔案）與\r\n與來源檔案是同一個，這是不允許的");
}
inline QString mpgFrameRate() {
    return QStringLiteral(
        "你所指定的轉成檔案（目標檔案）是 MPG\r\n此格式的楨速率，抱歉，不能小於數值 20");
}
// A file named like the tools' temporary files would be cleared with them.
inline QString confirm(const QString& source, const QString& target) {
    return QStringLiteral("你所指定的來源檔案：\r\n") + source +
           QStringLiteral("\r\n\r\n將轉檔成為目標檔案：\r\n") + target +
           QStringLiteral("\r\n\r\n確定要「執行轉檔功能」？");
}

}  // namespace encodeTexts
