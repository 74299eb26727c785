#include "gui/player/SeekPreview.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/media/PlaybackSession.h"
#include "core/player/PlayerState.h"
#include "gui/player/SeekPreviewPopup.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// The popup stands this far above the bar.
constexpr int kGap = 6;

}  // namespace

SeekPreview::SeekPreview(QWidget* bar, QWidget* thumb, QWidget* background,
                         const PlayerState& state, PlaybackSession& session, QObject* parent)
    : QObject(parent),
      m_bar(bar),
      m_thumb(thumb),
      m_background(background),
      m_window(bar->window()),
      m_state(state),
      m_popup(std::make_unique<SeekPreviewPopup>()) {
    setObjectName(QStringLiteral("seekPreview"));
    for (QWidget* widget : {bar, thumb, background}) {
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }
    m_window->installEventFilter(this);
    m_restTimer.setSingleShot(true);
    m_restTimer.setInterval(kRestMs);
    connect(&m_restTimer, &QTimer::timeout, this, &SeekPreview::rest);
    connect(&m_frames, &FramePreview::pictureReady, this, &SeekPreview::pictureReady);
    // A stream is the player's alone: reading it twice would cost the network twice.
    connect(&session, &PlaybackSession::loaded, this, [this, &session](const QString& path) {
        follow(session.isStream() || isUrl(path) || !session.hasVideo() ? QString() : path);
    });
    connect(&session, &PlaybackSession::closed, this, [this] { follow(QString()); });
    connect(&m_frames, &FramePreview::stateChanged, this, [this](FramePreview::State now) {
        if (now == FramePreview::State::Ready && m_hovering) {
            m_seconds = -1.0;
            hover(m_pointer);
        } else if (now != FramePreview::State::Ready) {
            m_restTimer.stop();
            m_popup->hide();
        }
    });
}

SeekPreview::~SeekPreview() = default;

QWidget* SeekPreview::popup() const {
    return m_popup.get();
}

void SeekPreview::follow(const QString& path) {
    m_wanted = path;
    if (m_frames.path().isEmpty() || m_frames.path() == path) {
        return;
    }
    m_restTimer.stop();
    m_popup->hide();
    m_popup->clear();
    m_seconds = -1.0;
    m_frames.open(QString());
}

bool SeekPreview::canPreview() const {
    return m_bar != nullptr && m_frames.state() == FramePreview::State::Ready &&
           m_state.totalSeconds > 0.0 && m_bar->width() > 0 && m_window != nullptr &&
           m_window->isVisible();
}

double SeekPreview::secondsAt(double x) const {
    const double width = m_bar->width();
    const double along = std::clamp(x, 0.0, width);
    if (m_state.totalFrames > 1) {
        // The frame a click here would go to, as the bar's click counts it.
        const double frame = std::round(along * m_state.totalFrames / width);
        return frame * m_state.totalSeconds / m_state.totalFrames;
    }
    return along / width * m_state.totalSeconds;
}

bool SeekPreview::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == m_window) {
        if (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) {
            scheduleBarPlace();
        } else if (type == QEvent::Hide || type == QEvent::Leave) {
            hidePreview();
        }
        return false;
    }
    if (watched == m_bar && (type == QEvent::Resize || type == QEvent::Move)) {
        scheduleBarPlace();
    }
    if (type == QEvent::MouseMove) {
        hover(static_cast<const QMouseEvent*>(event)->globalPosition().toPoint());
    } else if (type == QEvent::Enter) {
        hover(QCursor::pos());
    } else if (type == QEvent::Leave) {
        // Onto the thumb is still over the bar: looked at once the pointer has arrived.
        QTimer::singleShot(0, this, &SeekPreview::checkStillOver);
    } else if (type == QEvent::MouseButtonRelease) {
        QTimer::singleShot(0, this, &SeekPreview::checkStillOver);
    }
    return false;
}

void SeekPreview::checkStillOver() {
    if (m_bar == nullptr) {
        return;
    }
    const QPoint at = QCursor::pos();
    const auto over = [&at](const QWidget* widget) {
        return widget != nullptr && widget->isVisible() &&
               QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()).contains(at);
    };
    const bool dragging = (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0 &&
                          m_thumb != nullptr && QWidget::mouseGrabber() == m_thumb;
    if (!dragging && !over(m_bar) && !over(m_thumb) && !over(m_background)) {
        hidePreview();
    }
}

void SeekPreview::hover(const QPoint& globalPos) {
    m_pointer = globalPos;
    // Over the bar while the file is still being opened: shown once it is.
    m_hovering = true;
    if (m_frames.path() != m_wanted) {
        m_frames.open(m_wanted);
    }
    if (!canPreview()) {
        m_restTimer.stop();
        m_popup->hide();
        return;
    }
    const double seconds = secondsAt(m_bar->mapFromGlobal(globalPos).x());
    if (m_popup->isVisible()) {
        placePopup();
    }
    if (seconds == m_seconds) {
        return;
    }
    m_seconds = seconds;
    m_frames.request(seconds, FramePreview::Precision::Keyframe);
    m_restTimer.start();
}

void SeekPreview::rest() {
    if (m_hovering && canPreview() && m_seconds >= 0.0) {
        m_frames.request(m_seconds, FramePreview::Precision::Exact);
    }
}

void SeekPreview::hidePreview() {
    m_hovering = false;
    m_restTimer.stop();
    m_seconds = -1.0;
    m_popup->hide();
}

void SeekPreview::pictureReady(const FramePreview::Result& result) {
    // A result older than the picture shown is stale.
    if (!m_hovering || result.id <= m_shownId || result.picture.isNull()) {
        return;
    }
    m_shownId = result.id;
    m_popup->setPicture(result.picture, formatTime(result.requested, m_state.curTimeMode, 0));
    placePopup();
    m_popup->show();
    Q_EMIT previewShown(m_popup->timeText(), m_popup->geometry());
}

void SeekPreview::placePopup() {
    if (m_bar == nullptr) {
        return;
    }
    const QPoint barTop = m_bar->mapToGlobal(QPoint(0, 0));
    QPoint at(m_pointer.x() - m_popup->width() / 2, barTop.y() - kGap - m_popup->height());
    if (const QScreen* screen = m_bar->screen()) {
        const QRect area = screen->geometry();
        at.setX(std::clamp(at.x(), area.left(),
                           std::max(area.left(), area.right() + 1 - m_popup->width())));
        at.setY(std::max(at.y(), area.top()));
    }
    m_popup->move(at);
}

void SeekPreview::scheduleBarPlace() {
    // Written once the window has laid the bar out for its new size.
    if (m_barPlaceDue) {
        return;
    }
    m_barPlaceDue = true;
    QTimer::singleShot(0, this, [this] {
        m_barPlaceDue = false;
        if (m_bar == nullptr || m_window == nullptr || !m_window->isVisible()) {
            return;
        }
        const QRect place(m_bar->mapToGlobal(QPoint(0, 0)), m_bar->size());
        if (place != m_barPlace) {
            m_barPlace = place;
            Q_EMIT seekBarPlaced(place);
        }
    });
}
