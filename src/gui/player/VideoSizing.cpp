#include "gui/player/VideoSizing.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/media/MCI.h"
#include "core/player/PlayerState.h"
#include "gui/player/MainMenus.h"
#include "gui/player/PlayerPanel.h"
#include "gui/player/PlayerParts.h"
#include "gui/player/StartScreen.h"
#include "gui/player/StatusTimer.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/widgets/mdlZelvoFLVShell.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

#include <cmath>

namespace {

qint32 rounded(double value) {
    return static_cast<qint32>(std::lround(value));
}

// As putMCI centres: a picture larger than the area starts at area - length.
qint32 centred(qint32 area, qint32 length) {
    qint32 at = rounded((static_cast<double>(area) - length) / 2.0);
    if (at < 0) {
        at = area - length;
    }
    return at;
}

}  // namespace

VideoSizing::VideoSizing(PlayerParts& parts) : m_p(parts) {}

void VideoSizing::getMediaNewSize(qint32 availW, qint32 availH, qint32& w, qint32& h) {
    if (static_cast<qint64>(w) * h == 0) {
        w = kMinPictureWidth;
        h = kMinPictureHeight;
    }
    const double byWidth = static_cast<double>(availW) / w;
    const qint32 fittedHeight = rounded(byWidth * h);
    if (fittedHeight <= availH) {
        w = availW;
        h = fittedHeight;
        return;
    }
    const double byHeight = static_cast<double>(availH) / h;
    w = rounded(byHeight * w);
    h = availH;
}

void VideoSizing::timeTexts(float seconds, QString* total, int* mode, QString* zero) {
    int fields = 2;
    *total = formatTime(seconds, 2, 0, &fields);
    *mode = fields;
    *zero = formatTime(0.0, fields, 0);
}

QRect VideoSizing::pictureRect(qint32 w, qint32 h, qint32 availW, qint32 availH) {
    return {centred(availW, w) + 1, centred(availH, h) + 1, w, h};
}

bool VideoSizing::isNormalWindow() const {
    return !m_p.window.isMinimized() && !m_p.window.isMaximized() && !m_p.window.isFullScreen();
}

int VideoSizing::panelAllowance() const {
    return m_p.window.menuBar()->sizeHint().height() + m_p.panel.height() + 2;
}

QSize VideoSizing::ensureMinSize(bool dontApply, int width, int height) {
    const QSize minimum(kMinPictureWidth, kMinPictureHeight + panelAllowance());
    m_p.window.setMinimumSize(minimum);
    if (!isNormalWindow()) {
        return m_p.window.size();
    }
    QSize size =
        width < 0 || height < 0 ? m_p.window.size() : QSize(width, height + panelAllowance());
    size = size.expandedTo(minimum);
    if (!dontApply && size != m_p.window.size()) {
        m_p.window.resize(size);
    }
    return size;
}

void VideoSizing::clientResized() {
    if (m_p.window.isMinimized() || m_p.state.settingsLoading) {
        return;
    }
    ensureMinSize(false, -1, -1);
    myPutSize(false);
}

void VideoSizing::myPutSize(bool mode) {
    // mode: a file has just been opened; the layout is the same either way.
    Q_UNUSED(mode)
    if (m_p.window.isMinimized()) {
        return;
    }
    m_p.state.resizing = true;
    MCI& mci = m_p.session;
    const MainMenus& menus = *m_p.menus;
    PlayerPanel* panel = &m_p.panel;
    // As the file menus: only an open file with a picture can be sized.
    const bool picture = !mci.FileName().isEmpty() && !mci.isAudioOnly();
    menus.mnuKeepWH->setEnabled(picture);
    menus.mnuKeepDef->setEnabled(picture);

    const int panelHeight = panel->height();
    qint32 w = 0;
    qint32 h = 0;
    mci.getDefaultSize(w, h);
    const QSize client = m_p.window.centralWidget()->size();
    m_p.state.availWidth = client.width() - 2;
    m_p.state.availHeight = client.height() - panelHeight - 2;
    if (!menus.mnuKeepDef->isChecked()) {
        if (menus.mnuKeepWH->isChecked()) {
            getMediaNewSize(m_p.state.availWidth, m_p.state.availHeight, w, h);
        } else {
            w = m_p.state.availWidth;
            h = m_p.state.availHeight;
        }
    }
    m_p.video.setGeometry(0, 0, client.width(), client.height() - panelHeight);
    mci.putMCI(w, h, true, 1, m_p.state.availWidth, m_p.state.availHeight);
    if (mci.isSuccess()) {
        const QRect rect = pictureRect(w, h, m_p.state.availWidth, m_p.state.availHeight);
        m_p.shell.announcePicturePlaced(
            QRect(m_p.video.mapTo(&m_p.window, rect.topLeft()), rect.size()));
    }
    layoutPanel();
    panel->move(0, client.height() - panelHeight);
    m_p.state.resizing = false;
}

void VideoSizing::layoutPanel() {
    PlayerPanel* p = &m_p.panel;
    MCI& mci = m_p.session;
    const int scaleWidth = m_p.window.centralWidget()->width();

    p->resize(scaleWidth, p->height());
    p->picMsgBk->resize(scaleWidth - 2 * p->picMsgBk->x(), p->picMsgBk->height());
    p->picBnBk->resize(p->picMsgBk->width() + 2, p->picBnBk->height());
    p->picSndBk->move(p->picBnBk->width() - p->picSndBk->width() - 4, p->picSndBk->y());

    const float seconds = mci.getTotalSeconds();
    PlayerState& state = m_p.state;
    state.totalSeconds = static_cast<double>(seconds);
    QString total;
    QString zero;
    timeTexts(seconds, &total, &state.curTimeMode, &zero);
    PlayerPanel::setAutoSizeText(p->lblTtTime, total);
    PlayerPanel::setAutoSizeText(p->lblCurTime, zero);

    const int msgWidth = p->picMsgBk->width();
    p->lblTtTime->move(msgWidth - p->lblTtTime->width() - 5, p->lblTtTime->y());
    p->lblSplit->move(p->lblTtTime->x() - p->lblSplit->width() - 3, p->lblSplit->y());
    p->lblCurTime->move(p->lblSplit->x() - p->lblCurTime->width() - 2, p->lblCurTime->y());
    p->lblCover->setGeometry(p->lblCurTime->x() - 10, p->lblCover->y(), 100, p->lblCover->height());
    p->lblFnName->resize(std::max(0, msgWidth - p->lblFnName->x()), p->lblFnName->height());

    p->picHsb->resize(p->width() - 2 * p->picHsb->x() - 1, p->picHsb->height());
    p->picHsbBack->resize(p->picHsb->width(), p->picHsbBack->height());
    drawEdgeBox(p->picHsb, 2);

    state.totalFrames = mci.getTotalFrames();
    if (state.totalFrames <= 1) {
        state.totalFrames = 1;
        state.secPerFrame = 1.0f;
        state.twipsPerFrame = 1.0f;
    } else {
        state.secPerFrame = static_cast<float>(state.totalSeconds / state.totalFrames);
        state.twipsPerFrame =
            static_cast<float>(static_cast<double>(p->picHsb->width()) / state.totalFrames);
    }
    // The range strip stays as wide as the bar; its segments keep their frames.
    p->picRngBk->resize(p->picHsb->width(), p->picRngBk->height());
    if (!mci.FileName().isEmpty()) {
        m_p.status->putThumb(mci.getCurFrame());
    }

    // The start screen's note stays centred at the top.
    if (StartScreen* note = &m_p.note; note != nullptr && !note->isHidden()) {
        note->move((note->parentWidget()->width() - note->width()) / 2, 0);
    }

    const bool narrow = p->mbRngEnd->width() + 221 + 3 > p->picSndBk->x();
    p->mbLastItem->setVisible(!narrow);
    p->mbNextItem->setVisible(!narrow);
    p->mbRngStart->move(narrow ? PlayerPanel::kRngStartNarrow : PlayerPanel::kRngStartWide,
                        p->mbRngStart->y());
    p->mbRngEnd->move(narrow ? PlayerPanel::kRngEndNarrow : PlayerPanel::kRngEndWide,
                      p->mbRngEnd->y());
}

void VideoSizing::toggleMaximised() {
    if (m_p.window.isMaximized()) {
        m_p.window.showNormal();
    } else {
        m_p.window.showMaximized();
    }
}
