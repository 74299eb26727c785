#pragma once

#include <QString>

// Every text the capture window shows, in one place.
namespace frmCapTexts {

// The leading blank belongs to the caption.
inline QString caption() {
    return QStringLiteral(" Zelvo.FLV 擷取到的畫面");
}
inline QString mnuSaveCap() {
    return QStringLiteral("另存畫面");
}
// Appended to the base name of the file the picture comes from.
inline QString nameSuffix() {
    return QStringLiteral("_pic.bmp");
}
inline QString saveFilter() {
    return QStringLiteral("BMP 圖檔格式 (*.bmp)|*.bmp");
}
inline QString saveExtension() {
    return QStringLiteral(".bmp");
}
inline QString cannotSave() {
    return QStringLiteral("出現錯誤，無法成功儲存檔案！");
}

}  // namespace frmCapTexts
