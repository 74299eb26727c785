#include "player/RangeMarks.h"

#include "app/AppWindows.h"
#include "app/ListWindow.h"
#include "app/mdlZelvoFLV.h"
#include "player/MainMenus.h"
#include "player/PlaybackControl.h"
#include "player/frmMain.h"
#include "player/frmMainTexts.h"
#include "widgets/ZelvoButton.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

const QString kStart = QStringLiteral("start");
const QString kEnd = QStringLiteral("end");

qint32 whole(double value) {
    return static_cast<qint32>(std::lround(value));
}

// The leading decimal number of a text, 0 when there is none.
qint32 leadingNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    qsizetype n = 0;
    while (n < trimmed.size() && trimmed.at(n).isDigit()) {
        ++n;
    }
    return trimmed.left(n).toInt();
}

}  // namespace

RangeMarks::RangeMarks(frmMain& w) : m_w(w) {
    m_seg.append(newSegment());
    PlayerPanel* panel = m_w.picPlusBk;
    panel->picRngBk->installEventFilter(this);
    connect(panel->mbRngStart, &ZelvoButton::Click, this, &RangeMarks::mbRngStart_Click);
    const MainMenus& m = m_w.menus();
    for (int i = 0; i < 2; ++i) {
        connect(m.mnuRngPlay[i], &QAction::triggered, this, [this, i] { mnuRngPlay_Click(i); });
    }
    connect(m.mnuRngClear, &QAction::triggered, this, &RangeMarks::mnuRngClear_Click);
    connect(m.mnuRngEdit, &QAction::triggered, this, &RangeMarks::mnuRngEdit_Click);
    for (int i = 0; i < 3; ++i) {
        connect(m.mnuToList[i], &QAction::triggered, this, [this, i] { mnuToList_Click(i); });
    }
}

// ---- the boxes ---------------------------------------------------------------------------

RangeMarks::Segment RangeMarks::newSegment() {
    Segment segment;
    segment.box = new QFrame(m_w.picPlusBk->picRngBk);
    segment.box->setObjectName(QStringLiteral("picRS"));
    segment.box->setAutoFillBackground(true);
    segment.box->setCursor(Qt::PointingHandCursor);
    segment.box->installEventFilter(this);
    segment.box->hide();
    QPalette green = segment.box->palette();
    green.setColor(QPalette::Window, QColor(0, 255, 0));
    segment.box->setPalette(green);
    return segment;
}

void RangeMarks::dropSegment(int index) {
    // Later: the box may be the one whose click is being handled.
    QFrame* box = m_seg.at(index).box;
    box->hide();
    box->deleteLater();
    m_seg.removeAt(index);
}

void RangeMarks::placeBox(int index) {
    const Segment& s = m_seg.at(index);
    const double scale = static_cast<double>(m_w.twipsPerFrame);
    const int x = whole(s.left * scale);
    const int width = std::max(1, whole(s.width * scale));
    s.box->setGeometry(x, 0, width, m_w.picPlusBk->picRngBk->height());
}

void RangeMarks::placeBoxes() {
    for (int i = 0; i < m_seg.size(); ++i) {
        placeBox(i);
    }
}

void RangeMarks::setBoxColor(int index, bool asked) {
    QFrame* box = m_seg.at(index).box;
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, asked ? QColor(255, 0, 0) : QColor(0, 255, 0));
    box->setPalette(palette);
    box->repaint();
}

int RangeMarks::indexOfBox(const QObject* box) const {
    for (int i = 0; i < m_seg.size(); ++i) {
        if (m_seg.at(i).box == box) {
            return i;
        }
    }
    return -1;
}

bool RangeMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_w.picPlusBk->picRngBk) {
        if (event->type() == QEvent::Resize) {
            placeBoxes();
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

// ---- state -------------------------------------------------------------------------------

bool RangeMarks::checkDealRng() const {
    return lastSegmentOpen() || (marksEdited && stripVisible());
}

bool RangeMarks::lastSegmentOpen() const {
    return m_seg.constLast().tag == kStart;
}

int RangeMarks::lastSegmentIndex() const {
    return static_cast<int>(m_seg.size()) - 1;
}

bool RangeMarks::stripVisible() const {
    return !m_w.picPlusBk->picRngBk->isHidden();
}

QFrame* RangeMarks::picRS(int index) const {
    return m_seg.at(index).box;
}

double RangeMarks::segmentLeft(int index) const {
    return m_seg.at(index).left;
}

double RangeMarks::segmentWidth(int index) const {
    return m_seg.at(index).width;
}

QString RangeMarks::segmentTag(int index) const {
    return m_seg.at(index).tag;
}

QString RangeMarks::marksText() const {
    QStringList pieces;
    for (const Segment& s : m_seg) {
        pieces.append(QString::number(whole(s.left)) + QLatin1Char('-') +
                      QString::number(whole(s.left + s.width)));
    }
    return pieces.join(QLatin1Char(' '));
}

// ---- marking -----------------------------------------------------------------------------

void RangeMarks::mbRngStart_Click() {
    PlayerPanel* panel = m_w.picPlusBk;
    if (!panel->picHsb->isEnabled()) {
        return;
    }
    setMark(m_w.mciMain.getCurFrame(), -1);
    panel->mbRngStart->setState(ZelvoButton::Normal);
    panel->mbRngEnd->setState(ZelvoButton::Normal);
}

void RangeMarks::mbRngEnd_Click() {
    if (!stripVisible()) {
        return;
    }
    setMark(-1, m_w.mciMain.getCurFrame());
    m_w.picPlusBk->mbRngEnd->setState(ZelvoButton::Normal);
}

void RangeMarks::setMark(qint32 start, qint32 end) {
    if (start >= 0) {
        // A second start before an end moves the open segment's start.
        if (m_seg.constLast().tag == kEnd) {
            m_seg.append(newSegment());
        }
        const int n = lastSegmentIndex();
        curSeg = n;
        Segment& s = m_seg[n];
        s.box->raise();
        s.tag = kStart;
        s.width = 1.0;
        s.left = start;
        s.box->setToolTip(QString());
        placeBox(n);
        s.box->show();
        m_w.picPlusBk->picRngBk->show();
    }
    if (end > 0) {
        m_seg[curSeg].tag = kEnd;
        bool ok = false;
        closeSegment(true, end, ok);
        if (ok) {
            enableMarkMenus(true);
            m_seg.at(curSeg).box->setToolTip(segmentText(curSeg));
            enableSaveMenus();
            marksEdited = true;
            updateMarksTotal();
        }
    }
}

void RangeMarks::closeSegment(bool force, qint32 end, bool& ok) {
    MCI& mci = m_w.mciMain;
    if (end == -1) {
        end = mci.getCurFrame();
    }
    const qint32 start = whole(m_seg.at(curSeg).left);
    if (end <= 0 && start != 0 && m_w.playerState == 1) {
        // The media ran out and the position reads 0.
        end = mci.getTotalFrames();
    }
    const qint32 length = end - start;
    // A hair of slack for positions read back a little early; a button mark must give a
    // box that shows on the bar.
    ok = end > 0 && static_cast<double>(length) * 100.0 / end >= -0.03 &&
         (!force || static_cast<double>(length) * static_cast<double>(m_w.twipsPerFrame) >= 0.5);
    if (ok) {
        m_seg[curSeg].width = std::max(0, length);
        placeBox(curSeg);
    } else {
        deleteSegment(curSeg);
    }
}

void RangeMarks::deleteSegment(int index) {
    m_w.picPlusBk->mbRngEnd->setState(ZelvoButton::Disabled);
    const int upper = lastSegmentIndex();
    if (upper < 1) {
        clearMarks();
    } else if (index >= 0 && index <= upper) {
        for (int j = index; j < upper; ++j) {
            m_seg[j].left = m_seg.at(j + 1).left;
            m_seg[j].width = m_seg.at(j + 1).width;
            m_seg[j].tag = m_seg.at(j + 1).tag;
            m_seg.at(j).box->setToolTip(segmentText(j));
        }
        dropSegment(upper);
        placeBoxes();
    }
    curSeg = lastSegmentIndex();
    if (curSeg == 0) {
        m_w.menus().mnuSaveCut->setEnabled(false);
    }
}

void RangeMarks::clearMarks() {
    m_w.mciMain.rngCancel();
    PlayerPanel* panel = m_w.picPlusBk;
    panel->picRngBk->hide();
    panel->picRngBk->setToolTip(QString());
    Segment& first = m_seg[0];
    first.box->hide();
    setBoxColor(0, false);
    first.tag.clear();
    first.left = 0.0;
    first.width = 0.0;
    first.box->setToolTip(QString());
    if (m_w.playerState != 5) {
        panel->mbRngStart->setState(ZelvoButton::Normal);
    }
    panel->mbRngEnd->setState(ZelvoButton::Disabled);
    curSeg = 0;
    playSeg = 0;
    for (int i = lastSegmentIndex(); i >= 1; --i) {
        dropSegment(i);
    }
    enableMarkMenus(false);
    m_w.menus().mnuRngEdit->setEnabled(true);
    m_w.menus().mnuSaveRng->setEnabled(false);
    m_w.menus().mnuSaveCut->setEnabled(false);
    marksEdited = false;
    updateMarksTotal();
}

void RangeMarks::enableMarkMenus(bool enabled) {
    const MainMenus& m = m_w.menus();
    m.mnuRngEdit->setEnabled(true);
    m.mnuRngClear->setEnabled(enabled);
    m.mnuRngPlay[0]->setEnabled(enabled);
    m.mnuRngPlay[1]->setEnabled(enabled);
}

// ---- texts -------------------------------------------------------------------------------

void RangeMarks::rsFormat(int index, QString& startText, QString& endText, int mode,
                          float& startSec, float& endSec, float padStart, float padEnd,
                          QString& lengthText) const {
    const double total = m_w.picPlusBk->ttTimeTag.toDouble();
    if (total <= 0.0) {
        startText.clear();
        endText.clear();
        return;
    }
    const Segment& box = m_seg.at(index);
    const double perFrame = static_cast<double>(m_w.secPerFrame);
    const double s = box.left * perFrame;
    const double e = (box.left + box.width) * perFrame;
    startSec = static_cast<float>(std::max(0.0, s + static_cast<double>(padStart)));
    endSec = static_cast<float>(std::min(total, e + static_cast<double>(padEnd)));
    lengthText = formatTime(box.width * perFrame, mode, 2);
    startText = formatTime(static_cast<double>(startSec), mode, 2);
    endText = formatTime(static_cast<double>(endSec), mode, 2);
}

QString RangeMarks::segmentText(int index) const {
    QString from;
    QString to;
    QString length;
    float fromSec = 0.0f;
    float toSec = 0.0f;
    rsFormat(index, from, to, 2, fromSec, toSec, 0.0f, 0.0f, length);
    return frmMainTexts::segmentText(index + 1, from, to, length);
}

void RangeMarks::updateMarksTotal() {
    double sum = 0.0;
    for (const Segment& s : m_seg) {
        sum += s.width;
    }
    if (stripVisible()) {
        m_w.picPlusBk->picRngBk->setToolTip(frmMainTexts::marksTotal(
            lastSegmentIndex() + 1, formatTime(sum * static_cast<double>(m_w.secPerFrame), 2, 2)));
    }
    if (ListWindow* list = appWindows().list) {
        list->checkCmdRng();
    }
}

void RangeMarks::enableSaveMenus() {
    if (isUrl(QString()) || !isEditableFile(QString())) {
        return;
    }
    m_w.menus().mnuSaveRng->setEnabled(true);
    if (curSeg >= 1) {
        m_w.menus().mnuSaveCut->setEnabled(true);
    }
}

// ---- playing -----------------------------------------------------------------------------

void RangeMarks::playNextRS(int loopMode, int index, int keepListMode, qint32 from, qint32 to,
                            bool onlyThis) {
    if (lastSegmentOpen()) {
        deleteSegment(lastSegmentIndex());
    }
    if (index < 0 || index > lastSegmentIndex() || m_seg.at(index).tag != kEnd) {
        return;  // the only segment was the open one: nothing is left to play
    }
    const Segment& s = m_seg.at(index);
    if (from == -1) {
        from = whole(s.left);
    }
    if (to == -1) {
        to = whole(s.left + s.width);
    }
    MCI& mci = m_w.mciMain;
    {
        const frmMain::MciBusy busy(m_w);
        mci.playMCI(from, to, loopMode == 1, false, false);
    }
    if (!mci.isSuccess()) {
        m_w.failPlay(QString());
        return;
    }
    if (keepListMode == 0 && m_w.playerState == 5) {
        listPlayState = 3;
    }
    m_w.m_playback->enterPlaying(false);
    playSeg = onlyThis ? lastSegmentIndex() : index;
}

void RangeMarks::startMarkPlay(bool stopFirst, int mode) {
    if (!stripVisible()) {
        return;
    }
    ListWindow* list = appWindows().list;
    if (list != nullptr && list->playSetting() != 0) {
        if (stopFirst) {
            m_w.mciMain.stopMCI(QString(), 0);
        } else {
            m_w.pausePrFn();
        }
        msgBox(frmMainTexts::marksModeChanged(), MsgButtons::Ok, titles::notice(),
               MsgIcon::Information, &m_w);
        list->mnuPlaySetting_Click(0);
    }
    if (mode != -1) {
        playNextRS(mode, 0, 0, -1, -1, false);
    }
}

void RangeMarks::stopMarkPlay() {
    MCI& mci = m_w.mciMain;
    if (!mci.isRngPlaying()) {
        return;
    }
    mci.rngCancel();
    mci.setRngStart(0);
    PlayerPanel* panel = m_w.picPlusBk;
    for (int i = 0; i < 3; ++i) {
        panel->mbPlay[i]->setVisible(i == 0);
    }
    panel->mbPlay[0]->setState(m_w.playerState == 1 ? ZelvoButton::Down : ZelvoButton::Normal);
    panel->mbRngStart->setState(ZelvoButton::Normal);
    panel->mbRngEnd->setState(ZelvoButton::Disabled);
}

void RangeMarks::loadMarksText(const QString& text) {
    MCI& mci = m_w.mciMain;
    if (lastSegmentIndex() > 0 || !m_seg.constFirst().tag.isEmpty()) {
        clearMarks();
    }
    if (text.trimmed().isEmpty()) {
        mci.playMCI(0, 0, false, false, false);
        return;
    }
    m_w.totalFrames = mci.getTotalFrames();
    const QStringList pieces = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool beyond = false;
    for (int i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            m_seg.append(newSegment());
        }
        const QStringList ends = pieces.at(i).split(QLatin1Char('-'));
        const qint32 start = leadingNumber(ends.value(0));
        const qint32 end = leadingNumber(ends.value(1));
        Segment& s = m_seg[i];
        s.left = start;
        s.width = std::max(0, end - start);
        s.tag = kEnd;
        s.box->raise();
        s.box->setToolTip(segmentText(i));
        placeBox(i);
        s.box->show();
        beyond = beyond || end > m_w.totalFrames;
    }
    if (beyond) {
        // Marks of another length cannot belong to this file.
        clearMarks();
        mci.playMCI(0, 0, false, false, false);
        return;
    }
    curSeg = lastSegmentIndex();
    playNextRS(0, 0, -1, -1, -1, false);
    if (mci.isSuccess()) {
        m_w.picPlusBk->picRngBk->show();
        enableMarkMenus(true);
        enableSaveMenus();
        updateMarksTotal();
    }
}

void RangeMarks::applyMark() {
    clearMarks();
    m_w.shareBnStop(true, false, true);
    const ListWindow* list = appWindows().list;
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
    const QString path = m_w.mciMain.FileName();
    if (path.isEmpty()) {
        return QString();
    }
    if (m_seg.constFirst().box->isHidden()) {
        return path;  // nothing marked: the file goes to the list as it is
    }
    const QString marks = marksText();
    if (!m_w.menus().mnuAutoAddMark->isChecked()) {
        m_w.pausePrFn();
        QString ranges = marks;
        ranges.replace(QLatin1Char(' '), QStringLiteral("\r\n"));
        const MsgResult answer =
            msgBox(frmMainTexts::attachMarksQuestion(ranges), MsgButtons::YesNoCancel,
                   titles::notice(), MsgIcon::Question, &m_w);
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
    ListWindow* list = appWindows().list;
    if (list == nullptr) {
        return;
    }
    if (listIndex == 2) {
        list->changeToTab(2, 0, true);
    } else {
        list->changeToTab(0, listIndex, true);
    }
    list->addToList(item, !m_w.menus().mnuToListEnd->isChecked(), true);
}

// ---- handlers ----------------------------------------------------------------------------

void RangeMarks::mnuRngPlay_Click(int index) {
    startMarkPlay(false, index);
}

void RangeMarks::mnuRngClear_Click() {
    m_w.pausePrFn();
    if (msgBox(frmMainTexts::clearMarksQuestion(), MsgButtons::OkCancel, titles::notice(),
               MsgIcon::Question, &m_w) == MsgResult::Ok) {
        clearMarks();
        m_w.shareBnStop(true, false, false);
    }
}

void RangeMarks::mnuRngEdit_Click() {
    m_w.pausePrFn();
    if (lastSegmentOpen()) {
        mbRngEnd_Click();
    }
    startMarkPlay(false, -1);
    if (ListWindow* list = appWindows().list) {
        list->changeToTab(1, 0, true);
        list->loadMark();
    }
    m_w.fncEbCheck();
}

void RangeMarks::mnuToList_Click(int index) {
    const QString item = itemWithMarks();
    if (!item.isEmpty()) {
        mnToList(index, item);
    }
}

void RangeMarks::picRS_Click(int index) {
    if (m_seg.at(index).tag == kStart) {
        deleteSegment(index);
        return;
    }
    setBoxColor(index, true);
    m_w.pausePrFn();
    const MsgResult answer =
        msgBox(frmMainTexts::segmentQuestion(m_seg.at(index).box->toolTip()),
               MsgButtons::YesNoCancel, titles::notice(), MsgIcon::Question, &m_w);
    if (answer != MsgResult::Cancel) {
        m_w.mciMain.rngCancel();
        if (answer == MsgResult::No) {
            m_w.shareBnStop(true, false, true);
            deleteSegment(index);
            updateMarksTotal();
        } else {
            m_w.shareBnStop(true, true, true);
            playNextRS(0, index, 0, -1, -1, true);
        }
    }
    for (int i = 0; i < m_seg.size(); ++i) {
        setBoxColor(i, false);
    }
}

bool RangeMarks::keyDown(int key, Qt::KeyboardModifiers shift) {
    const MainMenus& m = m_w.menus();
    PlayerPanel* panel = m_w.picPlusBk;
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
