#include "gui/player/SpeedSteps.h"

#include "core/files/DialogService.h"
#include "core/media/MCI.h"
#include "core/player/PlayerState.h"
#include "gui/player/MainMenus.h"
#include "gui/player/PlaybackControl.h"
#include "gui/player/PlayerPanel.h"
#include "gui/player/PlayerParts.h"
#include "gui/player/StatusTimer.h"
#include "gui/player/frmMainTexts.h"
#include "gui/widgets/ZelvoButton.h"

#include <QAction>
#include <QMainWindow>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

// Speeds of the fixed items, in the session's units (1000 = normal).
constexpr qint32 kSpeeds[9] = {100, 250, 500, 750, 1000, 1250, 1500, 1750, 2000};
constexpr int kCustomSpeed = 10;
constexpr int kCustomStep = 4;

}  // namespace

SpeedSteps::SpeedSteps(PlayerParts& parts) : m_p(parts) {}

qint32 SpeedSteps::typedNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch()) {
        return 0;
    }
    const double value = match.captured(1).toDouble();
    // Anything this large is out of every range anyway.
    return static_cast<qint32>(std::lround(std::clamp(value, -1e9, 1e9)));
}

void SpeedSteps::mnuSpeed_Click(int index) {
    qint32 value = 0;
    if (index >= 0 && index < 9) {
        value = kSpeeds[index];
    } else if (index == kCustomSpeed) {
        m_p.playback->pausePrFn();
        const QString answer =
            inputBox(frmMainTexts::speedPrompt(), QString(), QStringLiteral("100"), &m_p.window);
        const qint32 typed = typedNumber(answer);
        if (answer.isEmpty() || typed < 1 || typed > 200) {
            if (!answer.isEmpty()) {
                msgBox(frmMainTexts::speedOutOfRange(), MsgButtons::Ok, titles::error(),
                       MsgIcon::Critical, &m_p.window);
            }
            // The menu ticked the item on its own; the speed did not change.
            checkSpeedItem(m_speedIndex, m_p.state.speed);
            return;
        }
        value = typed * 10;
    } else {
        return;
    }
    checkSpeedItem(index, value);
    m_p.session.setSpeed(value);
}

void SpeedSteps::checkSpeedItem(int index, qint32 value) {
    const MainMenus& menus = *m_p.menus;
    for (int i = 0; i < 11; ++i) {
        if (i != 9) {
            menus.mnuSpeed[i]->setChecked(i == index);
        }
    }
    m_speedIndex = index;
    m_p.state.speed = value;
}

void SpeedSteps::mnuFB_Click(int index) {
    const MainMenus& menus = *m_p.menus;
    if (index >= 0 && index < 3) {
        for (int i = 0; i < 3; ++i) {
            menus.mnuFB[i]->setChecked(i == index);
        }
        m_p.state.stepMode = index;
        updateStepTips();
        return;
    }
    if (index != kCustomStep) {
        return;
    }
    m_p.playback->pausePrFn();
    const int mode = m_p.state.stepMode;
    const QString modeName = menus.mnuFB[mode]->text().mid(2, 2);
    const QString answer = inputBox(frmMainTexts::stepPrompt(modeName), QString(),
                                    QString::number(m_p.state.stepValue[mode]), &m_p.window);
    if (answer.isEmpty()) {
        return;
    }
    const qint32 typed = typedNumber(answer);
    if (typed < 1 || typed > 100) {
        msgBox(frmMainTexts::stepOutOfRange(), MsgButtons::Ok, titles::error(), MsgIcon::Critical,
               &m_p.window);
        return;
    }
    m_p.state.stepValue[mode] = typed;
    setStepCaption(mode, typed);
    updateStepTips();
}

void SpeedSteps::setStepCaption(int index, int value) {
    QAction* item = m_p.menus->mnuFB[index];
    const QString old = item->text();
    const QString unit = old.right(3).left(1);
    item->setText(QStringLiteral("使用") + old.mid(2, 2) + QStringLiteral("模式 ( ") +
                  QString::number(value) + QLatin1Char(' ') + unit + QStringLiteral(" )"));
}

void SpeedSteps::updateStepTips() {
    const int mode = m_p.state.stepMode;
    const QString unit = frmMainTexts::stepUnits().value(mode);
    const int amount = m_p.state.stepValue[mode];
    const int frames = m_p.state.stepValue[0];
    m_p.panel.mbBackward->SetToolTip(frmMainTexts::tipBackward(amount, unit, frames));
    m_p.panel.mbForward->SetToolTip(frmMainTexts::tipForward(amount, unit, frames));
}

qint32 SpeedSteps::stepFrames(bool useMode, int stepMode, const int stepValue[3],
                              double framesPerSecond, qint32 totalFrames) {
    if (!useMode || stepMode == 0) {
        return stepValue[0];
    }
    if (stepMode == 1) {
        return static_cast<qint32>(std::lround(stepValue[1] * framesPerSecond));
    }
    return static_cast<qint32>(
        std::lround(stepValue[2] * static_cast<double>(totalFrames) / 100.0));
}

void SpeedSteps::stepMove(int direction, bool useMode) {
    const PlayerParts::MciBusy busy(m_p);
    MCI& mci = m_p.session;
    mci.rngCancel();
    // A stopped file is stepped like a paused one: its picture stops on the new place.
    const bool wasStopped = m_p.state.playerState == 5;
    if (wasStopped) {
        m_p.state.playerState = 4;
    }
    const bool frameStep = !useMode || m_p.state.stepMode == 0;
    const qint32 amount =
        stepFrames(useMode, m_p.state.stepMode, m_p.state.stepValue,
                   static_cast<double>(mci.getFramesPerSecond()), m_p.state.totalFrames);
    qint32 target = mci.getCurFrame() + direction * amount;
    const qint32 total = mci.getTotalFrames();
    if (target >= total) {
        target = total - 1 < 1 ? total : total - 1;
        m_p.state.playerState = 4;
    }
    if (target < 1) {
        target = 0;
        m_p.state.playerState = 4;
    }
    if (frameStep) {
        mci.pauseMCI();
        mci.setCurFrame(target, false);
        m_p.state.playerState = 4;
    } else {
        mci.setCurFrame(target, m_p.state.playerState != 4);
    }
    const bool succeeded = mci.isSuccess();

    PlayerPanel* panel = &m_p.panel;
    m_p.status->putThumb(mci.getCurFrame());
    if (m_p.state.playerState == 4) {
        panel->mbPause->setState(ZelvoButton::Down);
        m_p.playback->currentPlayButton()->setState(ZelvoButton::Normal);
    } else {
        m_p.playback->currentPlayButton()->setState(ZelvoButton::Down);
        panel->mbPause->setState(ZelvoButton::Normal);
    }
    if (wasStopped) {
        panel->showTimeLabels(true);
        m_p.checkTimer.start();
    }
    m_p.status->tick();
    if (!succeeded) {
        msgBox(frmMainTexts::stepFailed(), MsgButtons::Ok, titles::error(), MsgIcon::Critical,
               &m_p.window);
    }
}
