#include "gui/widgets/mdlWindowHook.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <utility>

namespace {

// Lives as a child of the hooked video area, so it goes away with the area and the hook
// is released before the area is gone.
class VideoAreaHook : public QObject {
public:
    VideoAreaHook(QWidget* videoArea, std::function<void()> onSpace)
        : QObject(videoArea), m_videoArea(videoArea), m_onSpace(std::move(onSpace)) {
        videoArea->installEventFilter(this);
    }

    void release() {
        if (m_videoArea) {
            m_videoArea->removeEventFilter(this);
        }
        m_onSpace = nullptr;
        // The hook may be released from inside its own Space action.
        deleteLater();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_videoArea || !m_onSpace) {
            return false;
        }
        // A double click's second press counts as a press of its own, as with any click.
        if (event->type() != QEvent::MouseButtonPress &&
            event->type() != QEvent::MouseButtonDblClick) {
            return false;
        }
        const auto* press = static_cast<QMouseEvent*>(event);
        // Presses on the picture reach the area too: the picture takes no mouse input.
        if (press->button() != Qt::LeftButton ||
            !m_videoArea->rect().contains(press->position().toPoint())) {
            return false;
        }
        const std::function<void()> onSpace = m_onSpace;
        onSpace();
        // Taken here, so the main window's own left-press handling does not toggle again.
        return true;
    }

private:
    QPointer<QWidget> m_videoArea;
    std::function<void()> m_onSpace;
};

QPointer<VideoAreaHook> installedHook;

}  // namespace

namespace mdlWindowHook {

bool Hook(QWidget* videoArea, std::function<void()> onSpace) {
    if (installedHook || videoArea == nullptr || !onSpace) {
        return false;
    }
    installedHook = new VideoAreaHook(videoArea, std::move(onSpace));
    return true;
}

void Unhook() {
    if (installedHook) {
        installedHook->release();
        installedHook = nullptr;
    }
}

bool isHooked() {
    return !installedHook.isNull();
}

}  // namespace mdlWindowHook
