#pragma once

class QWidget;

// Translucent windows (the busy dialog is shown at 220 of 255 over the window it works
// for).
namespace mdlWindowAlpha {

// Gives the top-level window of window a constant opacity of alpha / 255; values outside
// 0..255 are clamped.
void setWindowAlpha(QWidget* window, int alpha);

}  // namespace mdlWindowAlpha
