#include "gui/widgets/FileDrop.h"

#include <QDropEvent>
#include <QEvent>
#include <QMimeData>

bool takeFileDrop(QEvent* event, const std::function<void(const QMimeData&)>& take) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData()->hasUrls() || drag->mimeData()->hasText()) {
                drag->acceptProposedAction();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            drop->acceptProposedAction();
            take(*drop->mimeData());
            return true;
        }
        default:
            return false;
    }
}
