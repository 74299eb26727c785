#include "gui/widgets/mdlWindowAlpha.h"

#include <QWidget>

#include <algorithm>

namespace mdlWindowAlpha {

void setWindowAlpha(QWidget* window, int alpha) {
    if (window == nullptr) {
        return;
    }
    window->window()->setWindowOpacity(std::clamp(alpha, 0, 255) / 255.0);
}

}  // namespace mdlWindowAlpha
