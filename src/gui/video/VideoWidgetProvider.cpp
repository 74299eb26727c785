#include "gui/video/VideoWidgetProvider.h"

#include "core/media/MciInterpreter.h"
#include "gui/video/MpvVideoWidget.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>

namespace {

// Offscreen and minimal platforms have no OpenGL for widgets.
bool canDraw() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// One session's picture area. The widget belongs to its parent window and may be
// destroyed with it before the session ends, hence the guarded pointers.
class WidgetSurface : public VideoSurface {
public:
    WidgetSurface(QWidget* parent, MpvVideoWidget* widget) : m_parent(parent), m_widget(widget) {}
    ~WidgetSurface() override {
        if (m_widget) {
            m_widget->detach();
            delete m_widget;
        }
    }
    WidgetSurface(const WidgetSurface&) = delete;
    WidgetSurface& operator=(const WidgetSurface&) = delete;

    void setGeometry(int x, int y, int width, int height) override {
        if (m_widget) {
            m_widget->setGeometry(x, y, width, height);
        }
    }
    void setVisible(bool visible) override {
        if (m_widget) {
            m_widget->setVisible(visible);
            if (visible) {
                m_widget->raise();
            }
        }
    }
    QSize parentSize() const override {
        return m_parent ? m_parent->contentsRect().size() : QSize();
    }

private:
    QPointer<QWidget> m_parent;
    QPointer<MpvVideoWidget> m_widget;
};

}  // namespace

void VideoWidgetProvider::install() {
    static VideoWidgetProvider provider;
    MciInterpreter::instance().setVideoSurfaceProvider(&provider);
}

std::unique_ptr<VideoSurface> VideoWidgetProvider::createSurface(quintptr parentWindow,
                                                                 mpv_handle* mpv,
                                                                 VideoSurface::Listener* listener) {
    QWidget* parent = QWidget::find(static_cast<WId>(parentWindow));
    if (parent == nullptr) {
        return nullptr;
    }
    // A main window's client area, where "put" positions count from, lies below its
    // menu bar: that is its central widget.
    if (auto* mainWindow = qobject_cast<QMainWindow*>(parent);
        mainWindow != nullptr && mainWindow->centralWidget() != nullptr) {
        parent = mainWindow->centralWidget();
    }
    MpvVideoWidget* widget = nullptr;
    if (canDraw()) {
        widget = new MpvVideoWidget(mpv, listener, parent);
        // The drawing context and the player's renderer are made while the file opens,
        // not after it: the widget starts as one pixel in the corner, under everything
        // else, and the first "put" gives it its place.
        widget->setGeometry(0, 0, 1, 1);
        widget->lower();
        widget->show();
    }
    return std::make_unique<WidgetSurface>(parent, widget);
}
