#include "gui/player/SpeedSteps.h"

#include "core/files/DialogService.h"
#include "gui/player/MainMenus.h"
#include "gui/player/PlaybackControl.h"
#include "gui/player/StatusTimer.h"
#include "gui/player/frmMain.h"
#include "gui/player/frmMainTexts.h"
#include "gui/widgets/ZelvoButton.h"

#include <QAction>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

// Speeds of the fixed items, in the session's units (1000 = normal).
constexpr qint32 kSpeeds[9] = {100, 250, 500, 750, 1000, 1250, 1500, 1750, 2000};
constexpr int kCustomSpeed = 10;
constexpr int kCustomStep = 4;

}  // namespace

SpeedSteps::SpeedSteps(frmMain& w) : m_w(w) {}

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
        m_w.pausePrFn();
        const QString answer =
            inputBox(frmMainTexts::speedPrompt(), QString(), QStringLiteral("100"), &m_w);
        const qint32 typed = typedNumber(answer);
        if (answer.isEmpty() || typed < 1 || typed > 200) {
            if (!answer.isEmpty()) {
                msgBox(frmMainTexts::speedOutOfRange(), MsgButtons::Ok, titles::error(),
                       MsgIcon::Critical, &m_w);
            }
            // The menu ticked the item on its own; the speed did not change.
            checkSpeedItem(m_speedIndex, m_w.state().speed);
            return;
        }
        value = typed * 10;
    } else {
        return;
    }
    checkSpeedItem(index, value);
    m_w.mciMain.setSpeed(value);
}

void SpeedSteps::checkSpeedItem(int index, qint32 value) {
    const MainMenus& menus = m_w.menus();
    for (int i = 0; i < 11; ++i) {
        if (i != 9) {
            menus.mnuSpeed[i]->setChecked(i == index);
        }
    }
    m_speedIndex = index;
    m_w.state().speed = value;
}

void SpeedSteps::mnuFB_Click(int index) {
    const MainMenus& menus = m_w.menus();
    if (index >= 0 && index < 3) {
        for (int i = 0; i < 3; ++i) {
            menus.mnuFB[i]->setChecked(i == index);
        }
        m_w.state().stepMode = index;
        updateStepTips();
        return;
    }
    if (index != kCustomStep) {
        return;
    }
    m_w.pausePrFn();
    const int mode = m_w.state().stepMode;
    const QString modeName = menus.mnuFB[mode]->text().mid(2, 2);
    const QString answer = inputBox(frmMainTexts::stepPrompt(modeName), QString(),
                                    QString::number(m_w.state().stepValue[mode]), &m_w);
    if (answer.isEmpty()) {
        return;
    }
    const qint32 typed = typedNumber(answer);
    if (typed < 1 || typed > 100) {
        msgBox(frmMainTexts::stepOutOfRange(), MsgButtons::Ok, titles::error(), MsgIcon::Critical,
               &m_w);
        return;
    }
    m_w.state().stepValue[mode] = typed;
    setStepCaption(mode, typed);
    updateStepTips();
}

void SpeedSteps::setStepCaption(int index, int value) {
    QAction* item = m_w.menus().mnuFB[index];
    const QString old = item->text();
    const QString unit = old.right(3).left(1);
    item->setText(QStringLiteral("使用") + old.mid(2, 2) + QStringLiteral("模式 ( ") +
                  QString::number(value) + QLatin1Char(' ') + unit + QStringLiteral(" )"));
}

void SpeedSteps::updateStepTips() {
    const int mode = m_w.state().stepMode;
    const QString unit = frmMainTexts::stepUnits().value(mode);
    const int amount = m_w.state().stepValue[mode];
    const int frames = m_w.state().stepValue[0];
    m_w.picPlusBk->mbBackward->SetToolTip(frmMainTexts::tipBackward(amount, unit, frames));
    m_w.picPlusBk->mbForward->SetToolTip(frmMainTexts::tipForward(amount, unit, frames));
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
    const frmMain::MciBusy busy(m_w);
    MCI& mci = m_w.mciMain;
    mci.rngCancel();
    // A stopped file is stepped like a paused one: its picture stops on the new place.
    const bool wasStopped = m_w.state().playerState == 5;
    if (wasStopped) {
        m_w.state().playerState = 4;
    }
    const bool frameStep = !useMode || m_w.state().stepMode == 0;
    const qint32 amount =
        stepFrames(useMode, m_w.state().stepMode, m_w.state().stepValue,
                   static_cast<double>(mci.getFramesPerSecond()), m_w.state().totalFrames);
    qint32 target = mci.getCurFrame() + direction * amount;
    const qint32 total = mci.getTotalFrames();
    if (target >= total) {
        target = total - 1 < 1 ? total : total - 1;
        m_w.state().playerState = 4;
    }
    if (target < 1) {
        target = 0;
        m_w.state().playerState = 4;
    }
    if (frameStep) {
        mci.pauseMCI();
        mci.setCurFrame(target, false);
        m_w.state().playerState = 4;
    } else {
        mci.setCurFrame(target, m_w.state().playerState != 4);
    }
    const bool succeeded = mci.isSuccess();

    PlayerPanel* panel = m_w.picPlusBk;
    m_w.statusTimer().putThumb(mci.getCurFrame());
    if (m_w.state().playerState == 4) {
        panel->mbPause->setState(ZelvoButton::Down);
        m_w.playback().currentPlayButton()->setState(ZelvoButton::Normal);
    } else {
        m_w.playback().currentPlayButton()->setState(ZelvoButton::Down);
        panel->mbPause->setState(ZelvoButton::Normal);
    }
    if (wasStopped) {
        panel->showTimeLabels(true);
        m_w.checkTimer().start();
    }
    m_w.statusTimer().tick();
    if (!succeeded) {
        msgBox(frmMainTexts::stepFailed(), MsgButtons::Ok, titles::error(), MsgIcon::Critical,
               &m_w);
    }
}
