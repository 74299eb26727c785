#include "gui/player/PlaybackControl.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "core/files/FileObject.h"
#include "core/lists/mdlLineFormat.h"
#include "core/media/MCI.h"
#include "core/media/MediaCheck.h"
#include "core/player/MarksModel.h"
#include "core/player/PlayerState.h"
#include "gui/busy/BusySession.h"
#include "gui/busy/frmBuzy.h"
#include "gui/player/MainMenus.h"
#include "gui/player/PlayerPanel.h"
#include "gui/player/PlayerParts.h"
#include "gui/player/RangeMarks.h"
#include "gui/player/SpeedSteps.h"
#include "gui/player/StartScreen.h"
#include "gui/player/StatusTimer.h"
#include "gui/player/VideoSizing.h"
#include "gui/player/frmMainTexts.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/widgets/mdlIconKestal.h"
#include "gui/windows/ListWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QRandomGenerator>
#include <QTime>
#include <QWidget>

namespace {

const QString kAlias = QStringLiteral("Zelvo.FLV");
const QString kSingleFileMarker = QStringLiteral("on2");
// How long the status line tells of an entry passed over.
constexpr qint64 statusNoteMs = 5000;

}  // namespace

PlaybackControl::PlaybackControl(PlayerParts& parts) : m_p(parts) {}

int PlaybackControl::moveTarget(int direction, int index, int count) {
    if (direction == 1) {
        return index >= count - 1 ? 0 : index + 1;
    }
    if (index == 0) {
        index = count;
    }
    return index - 1;
}

void PlaybackControl::playSingle(const QString& text, bool fromList) {
    QString item = text;
    item.remove(QLatin1Char('"'));
    if (m_p.rangeMarks->checkDealRng() && !fromList) {
        // newPlay then goes back to single-file mode after its question.
        m_marksEditMarker = kSingleFileMarker;
    }
    listPlayState = fromList ? 2 : 3;
    playListLine(item);
    showPlayer();
}

void PlaybackControl::playEntry(const PlaylistEntry& entry) {
    listPlayState = 2;
    if (ListWindow* list = m_p.list) {
        list->setPlayingEntry(true);
    }
    m_p.playback->newPlay(upperDriveLetter(entry.path), entry.marks);
    showPlayer();
}

void PlaybackControl::showPlayer() {
    if (m_p.window.isMinimized()) {
        m_p.window.showNormal();
    } else {
        m_p.window.show();
    }
    m_p.state.settingsLoading = false;
}

void PlaybackControl::playListLine(const QString& text) {
    PlaylistEntry entry;
    ListWindow* list = m_p.list;
    if (!text.isEmpty()) {
        entry = PlaylistEntry::fromItemText(text);
    } else if (list != nullptr) {
        entry = list->selectedEntry();
    }
    if (list != nullptr) {
        list->setPlayingEntry(text.isEmpty());
    }
    m_p.playback->newPlay(upperDriveLetter(entry.path), entry.marks);
}

void PlaybackControl::newPlay(const QString& file, const QString& marks) {
    // A copy: the caller may pass lastPlayed itself, which changes below.
    const QString path = file;
    const PlayerParts::MciBusy busy(m_p);
    PlayerPanel* panel = &m_p.panel;
    RangeMarks& strip = *m_p.rangeMarks;
    MCI& mci = m_p.session;

    if (strip.checkDealRng()) {
        if (mci.getStatus() == QLatin1String("playing")) {
            mbPause_Click();
        }
        if (msgBox(frmMainTexts::playWhileMarking(path), MsgButtons::YesNo, titles::notice(),
                   MsgIcon::Question, &m_p.window) != MsgResult::Yes) {
            return;
        }
        listPlayState = 0;
        shareBnStop(true, true, false);
        listPlayState = m_marksEditMarker == kSingleFileMarker ? 3 : 2;
        QCoreApplication::processEvents();
    }
    // No status tick may look at a device that is being replaced.
    m_p.checkTimer.stop();
    m_marksEditMarker.clear();
    strip.clearMarks();

    m_p.state.lastPlayed = mci.FileName();
    m_p.menus->mnuPlayLast->setEnabled(!m_p.state.lastPlayed.isEmpty());

    m_p.marks.marksEdited = false;
    m_p.state.totalFrames = 0;
    m_p.status->putThumb(0);

    mci.closeMCI(QString());
    mci.setIsAudioOnly(false);

    mdlIconKestal::drawFileIcon(panel->picAssIcon, path);
    const QString name = FileObject::shared().GetFileName(path);
    m_p.state.fileTag = name;
    m_p.window.setWindowTitle(frmMainTexts::fileCaption(name));
    m_p.shell.setStatusText(frmMainTexts::statusStart());
    m_p.speed->checkSpeedItem(4, 1000);

    // The session draws into the window's client area, below the menu bar, where
    // "put" places the picture over the video area.
    mci.openMCI(path, m_p.window.winId(), kAlias);
    mci.setVolume(500);

    m_p.sizing->myPutSize(true);
    strip.loadMarksText(marks);
    // The capture session opens once the file's first frame is on its way, not before.
    m_p.shell.setupCaptureSession(path);

    if (mci.isSuccess()) {
        m_p.note.hide();
        enterPlaying(false);
        checkStreamLength();
        if (ListWindow* list = m_p.list) {
            list->loadMark();
        }
        setFileMenus(true);
        m_p.shell.announcePlayStarted(path, marks);
    } else {
        failPlay(QString());
    }
}

void PlaybackControl::enterPlaying(bool fromResume) {
    PlayerPanel* panel = &m_p.panel;
    if (!fromResume) {
        setTransportLook(false);
        setPlayButtons(2);
    }
    panel->showTimeLabels(true);
    if (m_p.session.isRngPlaying()) {
        panel->mbRngStart->setState(ZelvoButton::Disabled);
        panel->mbRngEnd->setState(ZelvoButton::Disabled);
    } else if (m_p.marks.stripShown()) {
        panel->mbRngStart->setState(ZelvoButton::Normal);
    }
    m_p.status->volumeRefresh(false);
    m_p.state.playerState = 1;
    fncEbCheck();
    m_p.checkTimer.start();
}

void PlaybackControl::checkStreamLength() {
    if (m_p.session.getTotalSeconds() > 0.0f) {
        return;
    }
    // A stream, or a file of unknown length: nothing to go on to, nothing to mark.
    if (ListWindow* list = m_p.list) {
        list->mbStopLoop_Click();
    } else {
        listPlayState = 0;
    }
    m_p.panel.mbRngStart->setState(ZelvoButton::Disabled);
    m_p.panel.mbRngEnd->setState(ZelvoButton::Disabled);
    m_p.panel.showTimeLabels(false);
}

void PlaybackControl::failPlay(const QString& path) {
    listPlayState = 0;
    if (ListWindow* list = m_p.list) {
        list->loadMark();
    }
    setFileMenus(false);
    const QString file = path.isEmpty() ? m_p.session.FileName() : path;
    m_p.panel.showTimeLabels(false);
    if (BusySession::shared().dialog() != nullptr && !BusySession::shared().isRunningJob()) {
        BusySession::shared().buzySateShow(false, &m_p.window);
    }
    shareBnStop(true, true, false);
    m_p.shell.setStatusText(frmMainTexts::statusFailed());
    m_p.menus->mnuSaveCap->setEnabled(false);
    playErrorMsg(file, frmMainTexts::cannotPlayHead());
}

MsgResult PlaybackControl::playErrorMsg(const QString& path, const QString& head) {
    const bool flv = FileObject::shared().GetExtensionName(path).toLower() == QLatin1String("flv");
    MessageRequest box;
    box.text = frmMainTexts::playError(head, path, flv);
    box.title = titles::error();
    box.buttons = flv ? MsgButtons::OkCancel : MsgButtons::Ok;
    box.icon = MsgIcon::Critical;
    box.owner = &m_p.window;
    // An FLV cut off or otherwise damaged may play again once repaired.
    if (flv && mediacheck::examineFlv(path).looksDamaged()) {
        box.text += frmMainTexts::damagedFlvOffer();
        box.extraButton = frmMainTexts::repairButton();
    }
    const MsgResult answer = DialogService::handler().message(box);
    if (answer == MsgResult::Extra && m_p.list != nullptr) {
        m_p.list->repairFile(path);
    }
    if (flv && answer == MsgResult::Ok) {
        m_p.shell.openCodecHelp();
        QCoreApplication::processEvents();
    }
    return answer;
}

void PlaybackControl::mbPlay_Click() {
    const PlayerParts::MciBusy busy(m_p);
    MCI& mci = m_p.session;
    setTransportLook(true);
    setPlayButtons(2);
    const int before = m_p.state.playerState;
    if (before != 4) {
        mci.playMCI(0, m_p.state.totalFrames, false, false, false);
        mci.rngCancel();
        if (!mci.isSuccess()) {
            // The device may have been closed under us (a tool took the file): reopen.
            m_p.playback->playSingle(mci.FileName(), false);
            return;
        }
    } else {
        mci.resumeMCI();
    }
    if (mci.isSuccess()) {
        if (before == 5) {
            listPlayState = 2;
        }
        enterPlaying(true);
        m_p.status->tick();
    } else {
        failPlay(QString());
    }
}

void PlaybackControl::mbPause_Click() {
    const PlayerParts::MciBusy busy(m_p);
    setTransportLook(false);
    m_p.panel.mbPause->setState(ZelvoButton::Down);
    QCoreApplication::processEvents();
    shareBnPause();
    m_p.status->tick();
}

void PlaybackControl::shareBnPause() {
    m_p.session.pauseMCI();
    m_p.state.playerState = 4;
    setPlayButtons(0);
}

void PlaybackControl::mbStop_Click() {
    const bool goOn = listPlayState == 2 && m_p.list != nullptr && m_p.list->playSetting() >= 2;
    shareBnStop(false, goOn, false);
}

void PlaybackControl::shareBnStop(bool noAdvance, bool goOn, bool checkMarks) {
    const PlayerParts::MciBusy busy(m_p);
    RangeMarks& strip = *m_p.rangeMarks;
    MCI& mci = m_p.session;
    if (m_p.marks.lastSegmentOpen()) {
        strip.mbRngEnd_Click();
    }
    mci.rngCancel();
    const bool over = listIsOver();
    // Only a stop that goes on to another list entry keeps the position.
    if (!(goOn && !mci.isCDa() && !over)) {
        mci.stopMCI(QString(), 0);
    }
    ifStopped(false);
    if (checkMarks && m_p.marks.marksEdited) {
        ListWindow* list = m_p.list;
        if (m_p.marks.stripShown() && list != nullptr && list->playSetting() != 0) {
            mci.stopMCI(QString(), 0);
            QCoreApplication::processEvents();
            msgBox(frmMainTexts::marksModeChanged(), MsgButtons::Ok, titles::notice(),
                   MsgIcon::Information, &m_p.window);
            list->mnuPlaySetting_Click(0);
        }
        return;
    }
    if (!noAdvance) {
        stepList(+1, false);
    }
    m_p.shell.returnFocus(false);
}

bool PlaybackControl::listIsOver() {
    const ListWindow* list = m_p.list;
    const bool canGoOn =
        list != nullptr && (list->browserActive() ? list->count() > 0 : list->hasPlaylist());
    if (!canGoOn || list->playSetting() == 0) {
        listPlayState = 0;
        return true;
    }
    return false;
}

void PlaybackControl::ifStopped(bool x) {
    PlayerPanel* panel = &m_p.panel;
    m_p.checkTimer.stop();
    m_p.status->putThumb(m_p.session.getCurFrame());
    m_p.shell.setStatusText(m_p.state.fileTag.isEmpty() ? frmMainTexts::statusNoFile()
                                                        : frmMainTexts::statusEnded());
    if (m_p.state.twipsPerFrame != 1.0f) {
        panel->lblCurTime->setText(formatTime(0.0, m_p.state.curTimeMode, 0));
    }
    // With no file nothing can be played, paused or stepped yet.
    const int fileLook = x ? ZelvoButton::Disabled : ZelvoButton::Normal;
    for (int i = 0; i < 3; ++i) {
        panel->mbPlay[i]->setVisible(i == 0);
    }
    panel->mbPlay[0]->setState(fileLook);
    panel->mbPause->setState(ZelvoButton::Disabled);
    panel->mbStop->setState(fileLook);
    panel->mbBackward->setState(fileLook);
    panel->mbForward->setState(fileLook);
    panel->mbRngStart->setState(ZelvoButton::Disabled);
    panel->mbRngEnd->setState(ZelvoButton::Disabled);
    m_p.state.playerState = 5;
    fncEbCheck();
}

void PlaybackControl::fncEbCheck() {
    // Previous and next make sense only with another entry to go to.
    // They sleep while the playlist window is closed: there is no list to see.
    ListWindow* list = m_p.list;
    const bool listShown =
        list != nullptr && (list->form() == nullptr || list->form()->isVisible());
    const bool canStep =
        listShown && (list->browserActive() || list->hasPlaylist()) && list->count() > 1;
    const int look = canStep ? ZelvoButton::Normal : ZelvoButton::Disabled;
    m_p.panel.mbLastItem->setState(look);
    m_p.panel.mbNextItem->setState(look);
}

void PlaybackControl::listStepButton(int direction) {
    stepList(direction, true);
    m_p.shell.returnFocus(false);
}

void PlaybackControl::stepList(int direction, bool explicitStep) {
    m_p.checkTimer.stop();
    ListWindow* list = m_p.list;
    int count = 0;
    int index = -1;
    if (list != nullptr && (list->browserActive() || list->hasPlaylist())) {
        count = list->count();
        index = list->listIndex();
    }
    if (direction != 1) {
        direction = -1;
    }
    if (explicitStep) {
        listPlayState = 2;
    }
    if ((explicitStep || listPlayState == 2) && count > 0) {
        const int mode = explicitStep ? 2 : list->playSetting();
        switch (mode) {
            case 0:
                listPlayState = 0;
                break;
            case 1:
                playListLine(QString());
                break;
            case 2:
            case 3:
                if (selectPlayable(mode, direction, index, count, explicitStep)) {
                    playListLine(QString());
                }
                break;
            default:
                break;
        }
    }
    if (listPlayState == 3 || count == 0) {
        listPlayState = 0;
    }
}

bool PlaybackControl::selectPlayable(int mode, int direction, int index, int count,
                                     bool explicitStep) {
    ListWindow* list = m_p.list;
    // Going on by itself, the list passes over an entry whose file has gone, and the status
    // line says so; a step the user asked for plays what it lands on, or says why not.
    for (int tries = 0; tries < count; ++tries) {
        if (mode == 2) {
            moveListSelection(direction, tries == 0 ? index : list->listIndex(), count);
        } else {
            selectRnd();
        }
        const QString path = list->selectedEntry().path;
        if (explicitStep || list->browserActive() || isUrl(path) || QFileInfo::exists(path)) {
            return true;
        }
        PlayerState& state = m_p.state;
        state.statusNote = frmMainTexts::skippedMissing(FileObject::shared().GetFileName(path));
        state.statusNoteUntil = QDateTime::currentMSecsSinceEpoch() + statusNoteMs;
        m_p.shell.setStatusText(state.statusNote);
    }
    // Every entry has gone: the list stops.
    listPlayState = 0;
    return false;
}

void PlaybackControl::moveListSelection(int direction, int index, int count) {
    ListWindow* list = m_p.list;
    const int next = moveTarget(direction, index, count);
    if (next >= 0 && next < list->count()) {
        list->setListIndex(next);
    }
    list->setMoveLooks(next >= 1 ? ZelvoButton::Normal : ZelvoButton::Disabled,
                       next < count - 1 ? ZelvoButton::Normal : ZelvoButton::Disabled);
}

void PlaybackControl::selectRnd() {
    ListWindow* list = m_p.list;
    if (list == nullptr || list->count() < 1) {
        return;
    }
    const int count = list->count();
    QRandomGenerator random(static_cast<quint32>(QTime::currentTime().msecsSinceStartOfDay()));
    const int next = static_cast<int>(random.generateDouble() * count);
    list->setListIndex(next);
    if (!list->browserActive()) {
        list->setMoveLooks(next >= 1 ? ZelvoButton::Normal : ZelvoButton::Disabled,
                           next < count - 1 ? ZelvoButton::Normal : ZelvoButton::Disabled);
    }
}

void PlaybackControl::pausePrFn() {
    if (m_p.state.playerState == 1) {
        mbPause_Click();
        m_p.window.update();
    }
}

void PlaybackControl::closeRunFn(const QString& path) {
    const QString open = m_p.session.FileName();
    if (path.isEmpty() || open.isEmpty() || QFileInfo(path) != QFileInfo(open)) {
        return;
    }
    // The file name stays: the play button reopens it once the file is free again.
    const PlayerParts::MciBusy busy(m_p);
    m_p.session.rngCancel();
    m_p.session.closeMCI(QString());
    ifStopped(false);
}

void PlaybackControl::mnuOpen_Click() {
    pausePrFn();
    CommDialog dialog;
    dialog.setOwnerWindow(&m_p.window);
    dialog.setFilter(openFilter);
    dialog.setFilterIndex(1);
    dialog.setDialogTitle(QString());
    const QString path = dialog.ShowOpen(true, false);
    if (!path.isEmpty()) {
        m_p.playback->playSingle(path, false);
    }
}

void PlaybackControl::mnuPlayLast_Click() {
    if (m_p.state.lastPlayed.isEmpty()) {
        return;
    }
    listPlayState = 3;
    m_p.playback->newPlay(m_p.state.lastPlayed, QString());
}

void PlaybackControl::setFileMenus(bool enabled) {
    const MainMenus& menus = *m_p.menus;
    const bool picture = !m_p.session.FileName().isEmpty() && !m_p.session.isAudioOnly();
    menus.mnuSaveCap->setEnabled(picture);
    menus.mnuKeepDef->setEnabled(picture);
    menus.mnuKeepWH->setEnabled(picture);
    menus.mnuExplorer->setEnabled(enabled);
    menus.mnuSaveFile->setEnabled(enabled);
    menus.mnuAddToList->setEnabled(enabled);
}

ZelvoButton* PlaybackControl::currentPlayButton() const {
    return m_p.panel.mbPlay[rangeMode()];
}

int PlaybackControl::rangeMode() const {
    if (!m_p.session.isRngPlaying()) {
        return 0;
    }
    return m_p.session.rngRepeat() ? 2 : 1;
}

void PlaybackControl::setPlayButtons(int state) {
    const int current = rangeMode();
    for (int i = 0; i < 3; ++i) {
        m_p.panel.mbPlay[i]->setVisible(i == current);
    }
    m_p.panel.mbPlay[current]->setState(state);
    QCoreApplication::processEvents();
}

void PlaybackControl::setTransportLook(bool playing) {
    // Playing or paused, a file is open: everything that acts on it is usable. The play
    // and pause buttons then show which of the two is down.
    Q_UNUSED(playing)
    PlayerPanel* panel = &m_p.panel;
    panel->mbPause->setState(ZelvoButton::Normal);
    panel->mbStop->setState(ZelvoButton::Normal);
    panel->mbBackward->setState(ZelvoButton::Normal);
    panel->mbForward->setState(ZelvoButton::Normal);
    const bool ranging = m_p.session.isRngPlaying();
    panel->mbRngStart->setState(ranging ? ZelvoButton::Disabled : ZelvoButton::Normal);
    panel->mbRngEnd->setState(!ranging && m_p.marks.stripShown() ? ZelvoButton::Normal
                                                                 : ZelvoButton::Disabled);
    fncEbCheck();
}
