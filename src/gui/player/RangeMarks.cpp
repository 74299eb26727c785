#include "gui/player/RangeMarks.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/media/MCI.h"
#include "core/player/MarksModel.h"
#include "core/player/PlayerState.h"
#include "gui/player/MainMenus.h"
#include "gui/player/PlaybackControl.h"
#include "gui/player/PlayerPanel.h"
#include "gui/player/PlayerParts.h"
#include "gui/player/frmMainTexts.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/windows/ListWindow.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

qint32 whole(double value) {
    return static_cast<qint32>(std::lround(value));
}

using State = MarksModel::State;

}  // namespace

RangeMarks::RangeMarks(PlayerParts& parts) : m_p(parts), m_model(parts.marks) {
    PlayerPanel* panel = &m_p.panel;
    panel->picRngBk->installEventFilter(this);
    connect(&m_model, &MarksModel::changed, this, &RangeMarks::drawBoxes);
    connect(panel->mbRngStart, &ZelvoButton::Click, this, &RangeMarks::mbRngStart_Click);
    drawBoxes();
}

// ---- the boxes ---------------------------------------------------------------------------

void RangeMarks::drawBoxes() {
    QFrame* strip = m_p.panel.picRngBk;
    const int count = m_model.lastSegmentIndex() + 1;
    while (m_boxes.size() < count) {
        auto* box = new QFrame(strip);
        box->setObjectName(QStringLiteral("picRS"));
        box->setAutoFillBackground(true);
        box->setCursor(Qt::PointingHandCursor);
        box->installEventFilter(this);
        box->hide();
        m_boxes.append(box);
        setBoxColor(static_cast<int>(m_boxes.size()) - 1, false);
    }
    while (m_boxes.size() > count) {
        // Later: the box may be the one whose click is being handled.
        QFrame* box = m_boxes.takeLast();
        box->hide();
        box->deleteLater();
    }
    for (int i = 0; i < count; ++i) {
        const MarksModel::Segment& segment = m_model.segment(i);
        QFrame* box = m_boxes.at(i);
        box->setToolTip(segment.state == State::Closed ? m_model.segmentText(i) : QString());
        placeBox(i);
        box->setVisible(segment.state != State::Empty);
    }
    strip->setVisible(m_model.stripShown());
}

void RangeMarks::placeBox(int index) {
    const MarksModel::Segment& s = m_model.segment(index);
    const auto scale = static_cast<double>(m_p.state.twipsPerFrame);
    const int x = whole(s.start * scale);
    const int width = std::max(1, whole(s.length * scale));
    m_boxes.at(index)->setGeometry(x, 0, width, m_p.panel.picRngBk->height());
}

void RangeMarks::setBoxColor(int index, bool asked) {
    QFrame* box = m_boxes.at(index);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, asked ? QColor(255, 0, 0) : QColor(0, 255, 0));
    box->setPalette(palette);
    box->repaint();
}

int RangeMarks::indexOfBox(const QObject* box) const {
    for (int i = 0; i < m_boxes.size(); ++i) {
        if (m_boxes.at(i) == box) {
            return i;
        }
    }
    return -1;
}

bool RangeMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_p.panel.picRngBk) {
        if (event->type() == QEvent::Resize) {
            for (int i = 0; i < m_boxes.size(); ++i) {
                placeBox(i);
            }
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const int index = indexOfBox(watched);
        if (index >= 0) {
            picRS_Click(index);
            return true;
        }
    }
    return false;
}

// ---- marking -----------------------------------------------------------------------------

bool RangeMarks::checkDealRng() const {
    return m_model.lastSegmentOpen() || (m_model.marksEdited && m_model.stripShown());
}

void RangeMarks::mbRngStart_Click() {
    PlayerPanel* panel = &m_p.panel;
    if (!panel->picHsb->isEnabled()) {
        return;
    }
    setMark(m_p.session.getCurFrame(), -1);
    panel->mbRngStart->setState(ZelvoButton::Normal);
    panel->mbRngEnd->setState(ZelvoButton::Normal);
}

void RangeMarks::mbRngEnd_Click() {
    if (!m_model.stripShown()) {
        return;
    }
    setMark(-1, m_p.session.getCurFrame());
    m_p.panel.mbRngEnd->setState(ZelvoButton::Normal);
}

void RangeMarks::setMark(qint32 start, qint32 end) {
    if (start >= 0) {
        // A second start before an end moves the open segment's start.
        m_model.openSegment(start);
    }
    if (end > 0) {
        const MarksModel::Segment open = m_model.segment(m_model.curSeg);
        m_model.setSegment(m_model.curSeg, open.start, open.length, State::Closed);
        bool ok = false;
        closeSegment(true, end, ok);
        if (ok) {
            enableMarkMenus(true);
            enableSaveMenus();
            m_model.marksEdited = true;
            updateMarksTotal();
        }
    }
}

void RangeMarks::closeSegment(bool force, qint32 end, bool& ok) {
    MCI& mci = m_p.session;
    if (end == -1) {
        end = mci.getCurFrame();
    }
    const int cur = m_model.curSeg;
    const MarksModel::Segment segment = m_model.segment(cur);
    if (end <= 0 && segment.start != 0 && m_p.state.playerState == 1) {
        // The media ran out and the position reads 0.
        end = mci.getTotalFrames();
    }
    const qint32 length = end - segment.start;
    // A hair of slack for positions read back a little early; a button mark must give a
    // box that shows on the bar.
    ok = end > 0 && static_cast<double>(length) * 100.0 / end >= -0.03 &&
         (!force ||
          static_cast<double>(length) * static_cast<double>(m_p.state.twipsPerFrame) >= 0.5);
    if (ok) {
        m_model.setSegment(cur, segment.start, length, segment.state);
    } else {
        deleteSegment(cur);
    }
}

void RangeMarks::deleteSegment(int index) {
    m_p.panel.mbRngEnd->setState(ZelvoButton::Disabled);
    if (m_model.lastSegmentIndex() < 1) {
        clearMarks();
    } else {
        m_model.removeSegment(index);
    }
    if (m_model.curSeg == 0) {
        m_p.menus->mnuSaveCut->setEnabled(false);
    }
}

void RangeMarks::clearMarks() {
    m_p.session.rngCancel();
    PlayerPanel* panel = &m_p.panel;
    panel->picRngBk->setToolTip(QString());
    setBoxColor(0, false);
    m_model.clear();
    if (m_p.state.playerState != 5) {
        panel->mbRngStart->setState(ZelvoButton::Normal);
    }
    panel->mbRngEnd->setState(ZelvoButton::Disabled);
    enableMarkMenus(false);
    m_p.menus->mnuRngEdit->setEnabled(true);
    m_p.menus->mnuSaveRng->setEnabled(false);
    m_p.menus->mnuSaveCut->setEnabled(false);
    updateMarksTotal();
}

void RangeMarks::enableMarkMenus(bool enabled) {
    const MainMenus& m = *m_p.menus;
    m.mnuRngEdit->setEnabled(true);
    m.mnuRngClear->setEnabled(enabled);
    m.mnuRngPlay[0]->setEnabled(enabled);
    m.mnuRngPlay[1]->setEnabled(enabled);
}

void RangeMarks::updateMarksTotal() {
    if (m_model.stripShown()) {
        m_p.panel.picRngBk->setToolTip(m_model.totalText());
    }
    if (ListWindow* list = m_p.list) {
        list->checkCmdRng();
    }
}

void RangeMarks::enableSaveMenus() {
    if (const QString open = m_p.session.FileName(); isUrl(open) || !isEditableFile(open)) {
        return;
    }
    m_p.menus->mnuSaveRng->setEnabled(true);
    if (m_model.curSeg >= 1) {
        m_p.menus->mnuSaveCut->setEnabled(true);
    }
}

// ---- playing -----------------------------------------------------------------------------

void RangeMarks::playNextRS(int loopMode, int index, int keepListMode, qint32 from, qint32 to,
                            bool onlyThis) {
    if (m_model.lastSegmentOpen()) {
        deleteSegment(m_model.lastSegmentIndex());
    }
    if (index < 0 || index > m_model.lastSegmentIndex() ||
        m_model.segment(index).state != State::Closed) {
        return;  // the only segment was the open one: nothing is left to play
    }
    const MarksModel::Segment s = m_model.segment(index);
    if (from == -1) {
        from = s.start;
    }
    if (to == -1) {
        to = s.start + s.length;
    }
    if (playFrames(loopMode, keepListMode, from, to)) {
        m_model.playSeg = onlyThis ? m_model.lastSegmentIndex() : index;
    }
}

void RangeMarks::playRange(qint32 from, qint32 to) {
    m_p.session.rngCancel();
    m_p.playback->shareBnStop(true, false, false);
    if (m_model.lastSegmentOpen()) {
        deleteSegment(m_model.lastSegmentIndex());
    }
    if (playFrames(0, 0, from, to)) {
        // No mark follows the range.
        m_model.playSeg = m_model.lastSegmentIndex();
    }
}

bool RangeMarks::playFrames(int loopMode, int keepListMode, qint32 from, qint32 to) {
    MCI& mci = m_p.session;
    {
        const PlayerParts::MciBusy busy(m_p);
        mci.playMCI(from, to, loopMode == 1, false, false);
    }
    if (!mci.isSuccess()) {
        m_p.playback->failPlay(QString());
        return false;
    }
    if (keepListMode == 0 && m_p.state.playerState == 5) {
        listPlayState = 3;
    }
    m_p.playback->enterPlaying(false);
    return true;
}

void RangeMarks::startMarkPlay(bool stopFirst, int mode) {
    if (!m_model.stripShown()) {
        return;
    }
    ListWindow* list = m_p.list;
    if (list != nullptr && list->playSetting() != 0) {
        if (stopFirst) {
            m_p.session.stopMCI(QString(), 0);
        } else {
            m_p.playback->pausePrFn();
        }
        msgBox(frmMainTexts::marksModeChanged(), MsgButtons::Ok, titles::notice(),
               MsgIcon::Information, &m_p.window);
        list->mnuPlaySetting_Click(0);
    }
    if (mode != -1) {
        playNextRS(mode, 0, 0, -1, -1, false);
    }
}

void RangeMarks::stopMarkPlay() {
    MCI& mci = m_p.session;
    if (!mci.isRngPlaying()) {
        return;
    }
    mci.rngCancel();
    mci.setRngStart(0);
    PlayerPanel* panel = &m_p.panel;
    for (int i = 0; i < 3; ++i) {
        panel->mbPlay[i]->setVisible(i == 0);
    }
    panel->mbPlay[0]->setState(m_p.state.playerState == 1 ? ZelvoButton::Down
                                                          : ZelvoButton::Normal);
    panel->mbRngStart->setState(ZelvoButton::Normal);
    panel->mbRngEnd->setState(ZelvoButton::Disabled);
}

void RangeMarks::loadMarksText(const QString& text) {
    MCI& mci = m_p.session;
    if (m_model.lastSegmentIndex() > 0 || !m_model.isEmpty()) {
        clearMarks();
    }
    if (text.trimmed().isEmpty()) {
        mci.playMCI(0, 0, false, false, false);
        return;
    }
    m_p.state.totalFrames = mci.getTotalFrames();
    if (!m_model.setMarksText(text, m_p.state.totalFrames)) {
        // Marks of another length cannot belong to this file.
        clearMarks();
        mci.playMCI(0, 0, false, false, false);
        return;
    }
    playNextRS(0, 0, -1, -1, -1, false);
    if (mci.isSuccess()) {
        m_model.setStripShown(true);
        enableMarkMenus(true);
        enableSaveMenus();
        updateMarksTotal();
    }
}

void RangeMarks::applyMark() {
    clearMarks();
    m_p.playback->shareBnStop(true, false, true);
    const ListWindow* list = m_p.list;
    if (list == nullptr) {
        return;
    }
    for (const QString& line : list->marksLines()) {
        qint32 start = -1;
        qint32 end = -1;
        list->getStartEnd(line, start, end);
        if (start >= 0 && end >= 0) {
            setMark(start, end);
        }
    }
}

// ---- lists -------------------------------------------------------------------------------

QString RangeMarks::itemWithMarks() {
    const QString path = m_p.session.FileName();
    // Without marks there is nothing to add: the list's own "+" adds a bare file.
    if (path.isEmpty() || m_model.isEmpty()) {
        return QString();
    }
    const QString marks = m_model.marksText();
    if (!m_p.menus->mnuAutoAddMark->isChecked()) {
        m_p.playback->pausePrFn();
        QString ranges = marks;
        ranges.replace(QLatin1Char(' '), QStringLiteral("\r\n"));
        const MsgResult answer =
            msgBox(frmMainTexts::attachMarksQuestion(ranges), MsgButtons::YesNoCancel,
                   titles::notice(), MsgIcon::Question, &m_p.window);
        if (answer == MsgResult::Cancel) {
            return QString();
        }
        if (answer == MsgResult::No) {
            return path;
        }
    }
    return path + QChar(0x2225) + marks;
}

void RangeMarks::mnToList(int listIndex, const QString& item) {
    ListWindow* list = m_p.list;
    if (list == nullptr) {
        return;
    }
    if (listIndex == 2) {
        list->changeToTab(2, 0, true);
    } else {
        list->changeToTab(0, listIndex, true);
    }
    list->addToList(item, !m_p.menus->mnuToListEnd->isChecked(), true);
}

// ---- handlers ----------------------------------------------------------------------------

void RangeMarks::mnuRngPlay_Click(int index) {
    startMarkPlay(false, index);
}

void RangeMarks::mnuRngClear_Click() {
    m_p.playback->pausePrFn();
    if (msgBox(frmMainTexts::clearMarksQuestion(), MsgButtons::OkCancel, titles::notice(),
               MsgIcon::Question, &m_p.window) == MsgResult::Ok) {
        clearMarks();
        m_p.playback->shareBnStop(true, false, false);
    }
}

void RangeMarks::mnuRngEdit_Click() {
    m_p.playback->pausePrFn();
    if (m_model.lastSegmentOpen()) {
        mbRngEnd_Click();
    }
    startMarkPlay(false, -1);
    if (ListWindow* list = m_p.list) {
        list->changeToTab(1, 0, true);
        list->loadMark();
    }
    m_p.playback->fncEbCheck();
}

void RangeMarks::mnuToList_Click(int index) {
    const QString item = itemWithMarks();
    if (!item.isEmpty()) {
        mnToList(index, item);
    }
}

void RangeMarks::picRS_Click(int index) {
    if (m_model.segment(index).state == State::Open) {
        deleteSegment(index);
        return;
    }
    setBoxColor(index, true);
    m_p.playback->pausePrFn();
    const MsgResult answer =
        msgBox(frmMainTexts::segmentQuestion(m_model.segmentText(index)), MsgButtons::YesNoCancel,
               titles::notice(), MsgIcon::Question, &m_p.window);
    if (answer != MsgResult::Cancel) {
        m_p.session.rngCancel();
        if (answer == MsgResult::No) {
            m_p.playback->shareBnStop(true, false, true);
            deleteSegment(index);
            updateMarksTotal();
        } else {
            m_p.playback->shareBnStop(true, true, true);
            playNextRS(0, index, 0, -1, -1, true);
        }
    }
    for (int i = 0; i < m_boxes.size(); ++i) {
        setBoxColor(i, false);
    }
}

bool RangeMarks::keyDown(int key, Qt::KeyboardModifiers shift) {
    const MainMenus& m = *m_p.menus;
    PlayerPanel* panel = &m_p.panel;
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            // Ctrl (with or without Shift) loops; Shift alone plays once.
            if (m.mnuRngPlay[0]->isEnabled() && !(shift & Qt::AltModifier)) {
                m.mnuRngPlay[(shift & Qt::ControlModifier) ? 1 : 0]->trigger();
            }
            return true;
        }
        case Qt::Key_BracketLeft:
            if (panel->mbRngStart->State() < 2) {
                mbRngStart_Click();
            }
            return true;
        case Qt::Key_BracketRight:
            if (panel->mbRngEnd->State() < 2) {
                mbRngEnd_Click();
            }
            return true;
        case Qt::Key_F2:
            if (m.mnuRngEdit->isEnabled()) {
                m.mnuRngEdit->trigger();
            }
            return true;
        default:
            return false;
    }
}
