#pragma once

#include <QString>

class QFrame;
class QWidget;

// Shell helpers that need the desktop or a window; the widget-free helpers are in
// mdlZelvoFLV.h.

namespace shellTexts {
// The desktop has no program for a web page or file (folder false) or a folder.
inline QString cannotOpen(const QString& target, bool folder) {
    return (folder ? QStringLiteral("找不到可以開啟這個資料夾的檔案管理程式：")
                   : QStringLiteral("找不到可以開啟這個檔案或網址的程式：")) +
           QStringLiteral("\r\n") + target;
}
}  // namespace shellTexts

// Opens a document, help file, web page or mail link with the desktop's handler.
// Text with a scheme ("https:", "mailto:") stays a URL unless it names an
// existing file; anything else is a path (relative to the current folder). When
// the desktop has nothing to open it with, a message over owner says so.
void shellOpen(const QString& target, QWidget* owner = nullptr);

// Shows the file selected in the desktop's file manager. When no file manager
// answers (or there is no session bus) the file's folder is opened instead, and
// when nothing opens that either, a message says so.
void explorerSelect(const QString& path);

// Keeps the window above normal windows (onTop) or returns it among them, without
// moving, resizing, showing or hiding it.
void setTopMost(QWidget* window, bool onTop);

// Draws a 3-D edge round the box. edge combines the outer (1 raised, 2 sunken) and
// inner (4 raised, 8 sunken) borders:
//   one border only (1, 2, 4, 8)  -> QFrame::Panel, 1 pixel, raised or sunken
//   raised 5, sunken 10           -> QFrame::WinPanel, raised or sunken (2 pixels)
//   etched 6 (sunken outside)     -> QFrame::Box | QFrame::Sunken
//   bump 9 (raised outside)       -> QFrame::Box | QFrame::Raised
//   0                             -> no edge
// Where one border asks for both raised and sunken, sunken wins.
void drawEdgeBox(QFrame* box, int edge);
