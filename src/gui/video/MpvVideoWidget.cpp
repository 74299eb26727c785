#include "gui/video/MpvVideoWidget.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <mpv/render_gl.h>

#include <cmath>

MpvVideoWidget::MpvVideoWidget(mpv_handle* mpv, VideoSurface::Listener* listener, QWidget* parent)
    : QOpenGLWidget(parent), m_mpv(mpv), m_listener(listener) {
    setObjectName(QStringLiteral("mciVideo"));
}

MpvVideoWidget::~MpvVideoWidget() {
    // The base class destroys the context after this part of the widget is gone: it
    // must not call back into it then.
    disconnect(m_contextGoing);
    makeCurrent();
    freeRenderContext();
    doneCurrent();
}

void MpvVideoWidget::detach() {
    m_listener = nullptr;
    makeCurrent();
    freeRenderContext();
    doneCurrent();
}

void* MpvVideoWidget::procAddress(void* self, const char* name) {
    Q_UNUSED(self);
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (context == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(context->getProcAddress(name));
}

void MpvVideoWidget::onUpdate(void* self) {
    // Called on a player thread: only ask ours for a new frame.
    QMetaObject::invokeMethod(static_cast<MpvVideoWidget*>(self), &MpvVideoWidget::requestFrame,
                              Qt::QueuedConnection);
}

void MpvVideoWidget::requestFrame() {
    update();
}

void MpvVideoWidget::initializeGL() {
    if (m_render != nullptr || m_mpv == nullptr) {
        return;
    }
    mpv_opengl_init_params gl{&MpvVideoWidget::procAddress, nullptr};
    char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, apiType},
                                 {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&m_render, m_mpv, params) < 0) {
        m_render = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(m_render, &MpvVideoWidget::onUpdate, this);
    // The context goes when the widget moves to another window; the picture then stops
    // until the new one is made.
    m_contextGoing = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
                             &MpvVideoWidget::contextGoing, Qt::DirectConnection);
    if (m_listener != nullptr) {
        m_listener->surfaceReady(true);
    }
}

void MpvVideoWidget::contextGoing() {
    makeCurrent();
    freeRenderContext();
    doneCurrent();
}

void MpvVideoWidget::paintGL() {
    if (m_render == nullptr) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                       static_cast<int>(std::lround(width() * ratio)),
                       static_cast<int>(std::lround(height() * ratio)), 0};
    int flipY = 1;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_render(m_render, params);
}

void MpvVideoWidget::freeRenderContext() {
    if (m_render == nullptr) {
        return;
    }
    // The player stops sending pictures first, then the context goes.
    if (m_listener != nullptr) {
        m_listener->surfaceReady(false);
    }
    mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
    mpv_render_context_free(m_render);
    m_render = nullptr;
}
