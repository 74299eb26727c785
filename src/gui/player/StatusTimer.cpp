#include "gui/player/StatusTimer.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/media/MCI.h"
#include "core/media/MainVol.h"
#include "core/player/MarksModel.h"
#include "core/player/PlayerState.h"
#include "gui/player/PlaybackControl.h"
#include "gui/player/PlayerPanel.h"
#include "gui/player/PlayerParts.h"
#include "gui/player/RangeMarks.h"
#include "gui/player/frmMainTexts.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/windows/ListWindow.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

StatusTimer::StatusTimer(PlayerParts& parts) : m_p(parts) {
    PlayerPanel* panel = &m_p.panel;
    for (QObject* box :
         {static_cast<QObject*>(panel->picHsb), static_cast<QObject*>(panel->picHsbBack),
          static_cast<QObject*>(panel->picHsb2), static_cast<QObject*>(panel->picVolSdr),
          static_cast<QObject*>(panel->picVolPos)}) {
        box->installEventFilter(this);
    }
    connect(&m_p.checkTimer, &QTimer::timeout, this, &StatusTimer::timerTick);
    connect(panel->mbSound, &ZelvoButton::Click, this, &StatusTimer::mbSound_Click);
    m_thumbLeft = panel->picHsb2->x();
}

void StatusTimer::timerTick() {
    if (m_p.isMciBusy()) {
        return;
    }
    tick();
}

void StatusTimer::tick() {
    // A tick that ends a file may start the next one, whose opening lets the timer fire.
    if (m_inTick) {
        return;
    }
    m_inTick = true;
    MCI& mci = m_p.session;
    const qint32 cur = mci.getCurFrame();
    if ((cur != lastTickFrame || m_p.state.playerState == 4) && m_p.state.totalFrames > 1 &&
        !m_dragging) {
        showPosition(cur);
    }

    bool end = false;
    if (mci.isRngPlaying() && m_p.state.playerState != 4) {
        end = (mci.rngEnd() > 0 && cur >= mci.rngEnd()) || cur == lastTickFrame;
    }
    const QString status = mci.getStatus();
    end = end || (status == QLatin1String("stopped") && m_p.state.playerState != 4);
    if (end) {
        endReached();
    }
    lastTickFrame = cur;
    m_inTick = false;
}

void StatusTimer::showPosition(qint32 frame) {
    const PlayerState& state = m_p.state;
    putThumb(frame);
    // The part of the media played: where the thumb's centre stands on the bar.
    const double part =
        std::max(0.0, static_cast<double>(frame) / std::max<qint32>(1, state.totalFrames));
    float seconds = static_cast<float>(state.totalSeconds * part);
    m_p.panel.lblCurTime->setText(formatTime(seconds, state.curTimeMode, 0));
    QString status = frmMainTexts::statusPlaying(state.playerState == 4, std::lround(part * 100.0),
                                                 std::lround(state.speed / 10.0));
    if (!state.statusNote.isEmpty() &&
        QDateTime::currentMSecsSinceEpoch() < state.statusNoteUntil) {
        status += QStringLiteral("　") + state.statusNote;
    }
    m_p.shell.setStatusText(status, frame);
    if (m_p.marks.lastSegmentOpen()) {
        bool ok = false;
        m_p.rangeMarks->closeSegment(false, -1, ok);
    }
}

void StatusTimer::endReached() {
    MCI& mci = m_p.session;
    RangeMarks& marks = *m_p.rangeMarks;
    const MarksModel& model = m_p.marks;
    const int last = model.lastSegmentIndex();
    if (mci.rngRepeat()) {
        // All segments repeat in turn.
        marks.playNextRS(1, model.playSeg >= last ? 0 : model.playSeg + 1, 0, -1, -1, false);
    } else if (mci.rngEnd() > 0 && model.playSeg < last) {
        marks.playNextRS(0, model.playSeg + 1, 0, -1, -1, false);
    } else {
        mci.rngCancel();
        const ListWindow* list = m_p.list;
        m_p.playback->shareBnStop(false, list != nullptr && list->playSetting() != 0, false);
    }
}

void StatusTimer::putThumb(qint32 frame) {
    const PlayerPanel* panel = &m_p.panel;
    setThumbLeft(static_cast<double>(m_p.state.twipsPerFrame) * frame -
                 PlayerPanel::kThumbWidth / 2.0 + panel->picHsb->x());
}

void StatusTimer::setThumbLeft(double left) {
    m_thumbLeft = left;
    QWidget* thumb = m_p.panel.picHsb2;
    thumb->move(static_cast<int>(std::lround(left)), thumb->y());
}

bool StatusTimer::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease) {
        return false;
    }
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    PlayerPanel* panel = &m_p.panel;
    if (watched == panel->picHsb || watched == panel->picHsbBack) {
        if (type == QEvent::MouseButtonPress) {
            // The background hands its clicks to the bar, in the bar's own coordinates.
            const double x =
                watched == panel->picHsb
                    ? mouse->position().x()
                    : mouse->position().x() + panel->picHsbBack->x() - panel->picHsb->x();
            seekBarDown(mouse, x);
        }
        return true;
    }
    if (watched == panel->picHsb2) {
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            m_dragging = m_p.checkTimer.isActive();
        } else if (type == QEvent::MouseMove || type == QEvent::MouseButtonRelease) {
            thumbDrag(mouse, type == QEvent::MouseButtonRelease);
        }
        return true;
    }
    if (watched == panel->picVolSdr && type == QEvent::MouseButtonPress) {
        volumeTrackDown(mouse);
        return true;
    }
    if (watched == panel->picVolPos && type == QEvent::MouseMove) {
        volumeKnobMove(mouse);
        return true;
    }
    return false;
}

void StatusTimer::seekBarDown(const QMouseEvent* event, double x) {
    if (event->button() != Qt::LeftButton || !m_p.checkTimer.isActive() ||
        !m_p.panel.picHsb->isEnabled()) {
        return;
    }
    const PlayerParts::MciBusy busy(m_p);
    const bool play = m_p.state.playerState != 4;
    const auto frame =
        static_cast<qint32>(std::lround(x / static_cast<double>(m_p.state.twipsPerFrame)));
    m_p.session.setCurFrame(frame, play);
    setThumbLeft(x - PlayerPanel::kThumbWidth / 2.0 + m_p.panel.picHsb->x());
    // A seek leaves the range being played.
    m_p.rangeMarks->stopMarkPlay();
}

bool StatusTimer::thumbDrag(const QMouseEvent* event, bool release) {
    if (!m_dragging) {
        return false;
    }
    if (!release && !(event->buttons() & Qt::LeftButton)) {
        return false;
    }
    const QWidget* bar = m_p.panel.picHsb;
    const double left = bar->x();
    const double right = bar->x() + bar->width();
    const double pos = std::clamp(m_thumbLeft + event->position().x(), left, right);
    if (release) {
        m_dragging = false;
        const PlayerParts::MciBusy busy(m_p);
        const bool play = m_p.state.playerState != 4;
        const auto frame = static_cast<qint32>(
            std::lround((pos - left) / static_cast<double>(m_p.state.twipsPerFrame)));
        m_p.session.setCurFrame(frame, play);
        m_p.panel.picHsbBack->update();
        m_p.panel.picHsb->update();
    }
    setThumbLeft(pos - PlayerPanel::kThumbWidth / 2.0);
    m_p.rangeMarks->stopMarkPlay();
    return true;
}

// ---- volume ----------------------------------------------------------------------------

void StatusTimer::volumeRefresh(bool init) {
    MainVol& volume = m_p.shell.mainVolume();
    ZelvoButton* sound = m_p.panel.mbSound;
    sound->setState(volume.MainMute() ? ZelvoButton::Down : ZelvoButton::Normal);
    if (!init && m_p.session.isVideoOnly()) {
        sound->setState(ZelvoButton::Disabled);
    }
    placeKnob(volume.MainVolume());
}

double StatusTimer::volumeScale() const {
    return static_cast<double>(m_p.shell.mainVolume().MaxMainVolume()) -
           m_p.shell.mainVolume().MinMainVolume();
}

void StatusTimer::placeKnob(qint32 volume) {
    const QWidget* track = m_p.panel.picVolSdr;
    const double scale = volumeScale();
    const double along = scale > 0.0 ? volume * track->width() / scale : 0.0;
    m_knobLeft = along + track->x() - PlayerPanel::kKnobWidth / 2.0;
    QWidget* knob = m_p.panel.picVolPos;
    knob->move(static_cast<int>(std::lround(m_knobLeft)), knob->y());
}

void StatusTimer::volumeTrackDown(const QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // The track's own scale runs from 0 to (maximum - minimum) across its width.
    const double x =
        event->position().x() * volumeScale() / std::max(1, m_p.panel.picVolSdr->width());
    m_p.shell.mainVolume().setMainVolume(static_cast<qint32>(std::lround(x)));
    placeKnob(m_p.shell.mainVolume().MainVolume());
}

void StatusTimer::volumeKnobMove(const QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        return;
    }
    const QWidget* track = m_p.panel.picVolSdr;
    const double left = track->x();
    const double right = track->x() + track->width();
    const double at = m_knobLeft + event->position().x();
    const double pos = std::clamp(at, left, right);
    // The volume follows the pointer itself; the mixer keeps it within its bounds.
    m_p.shell.mainVolume().setMainVolume(static_cast<qint32>(
        std::lround((at - left) * volumeScale() / std::max(1, track->width()))));
    m_knobLeft = pos - PlayerPanel::kKnobWidth / 2.0;
    QWidget* knob = m_p.panel.picVolPos;
    knob->move(static_cast<int>(std::lround(m_knobLeft)), knob->y());
}

void StatusTimer::mbSound_Click() {
    m_p.shell.mainVolume().setMainMute(m_p.panel.mbSound->State() == ZelvoButton::Down);
}
