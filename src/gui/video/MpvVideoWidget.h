#pragma once

#include "core/media/VideoSurface.h"

#include <QOpenGLWidget>

struct mpv_handle;
struct mpv_render_context;

// Draws the picture of one media session with libmpv's render API. It tells the session
// when it can draw (its OpenGL context exists) and when it no longer can, so the player
// only sends pictures here while they can be shown. Where no OpenGL context can be had
// the widget stays black and the session plays on without a picture.
class MpvVideoWidget : public QOpenGLWidget {
    Q_OBJECT

public:
    MpvVideoWidget(mpv_handle* mpv, VideoSurface::Listener* listener, QWidget* parent);
    ~MpvVideoWidget() override;

    // Frees the render context at once and stops telling the listener anything; for a
    // session that is going away.
    void detach();
    bool isDrawing() const { return m_render != nullptr; }

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void onUpdate(void* self);
    static void* procAddress(void* self, const char* name);
    void requestFrame();
    void freeRenderContext();
    void contextGoing();

    QMetaObject::Connection m_contextGoing;
    mpv_handle* m_mpv = nullptr;
    VideoSurface::Listener* m_listener = nullptr;
    mpv_render_context* m_render = nullptr;
};
