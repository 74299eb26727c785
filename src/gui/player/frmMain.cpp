#include "gui/player/frmMain.h"

#include "core/common/AppPaths.h"
#include "core/jobs/ToolJob.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/ResourceTools.h"
#include "core/jobs/ToolJob.h"
#include "core/jobs/mdlGetCmdOutput.h"
#include "core/media/MainVol.h"
#include "core/media/MixerControl.h"
#include "core/settings/SettingsLocation.h"
#include "gui/busy/BusySession.h"
#include "gui/dialogs/frmSplash.h"
#include "gui/player/MainMenus.h"
#include "gui/player/PlaybackControl.h"
#include "gui/player/RangeMarks.h"
#include "gui/player/SaveRanges.h"
#include "gui/player/SeekPreview.h"
#include "gui/player/SpeedSteps.h"
#include "gui/player/StartScreen.h"
#include "gui/player/StatusTimer.h"
#include "gui/player/TestLog.h"
#include "gui/player/VideoSizing.h"
#include "gui/player/frmMainTexts.h"
#include "gui/video/VideoWidgetProvider.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/widgets/mdlIconKestal.h"
#include "gui/widgets/mdlWindowHook.h"
#include "gui/widgets/mdlZelvoFLVShell.h"
#include "gui/windows/ListWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QOpenGLWidget>

namespace {

// A handed-over command line that arrives while a file is opening waits this long.
constexpr int kRetryMs = 50;

void paintBlack(QWidget* box) {
    QPalette black = box->palette();
    black.setColor(QPalette::Window, Qt::black);
    box->setPalette(black);
    box->setAutoFillBackground(true);
}

}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(frmMainTexts::caption());
    setWindowIcon(mdlIconKestal::programIcon());
    setAcceptDrops(true);
    buildWindow();
    m_parts.reset(new PlayerParts{m_state, m_marksModel, mciMain, *this, *picVideo, *picPlusBk,
                                  *picNote, tmrCheck, *this});
    m_parts->menus = m_menus;
    m_marks = std::make_unique<RangeMarks>(*m_parts);
    m_parts->rangeMarks = m_marks.get();
    m_playback = std::make_unique<PlaybackControl>(*m_parts);
    m_parts->playback = m_playback.get();
    m_status = std::make_unique<StatusTimer>(*m_parts);
    m_parts->status = m_status.get();
    m_speed = std::make_unique<SpeedSteps>(*m_parts);
    m_parts->speed = m_speed.get();
    m_sizing = std::make_unique<VideoSizing>(*m_parts);
    m_parts->sizing = m_sizing.get();
    m_save = std::make_unique<SaveRanges>(*m_parts);
    m_parts->save = m_save.get();
    // The picture over the seek bar, of the file the player has loaded.
    new SeekPreview(picPlusBk->picHsb, picPlusBk->picHsb2, picPlusBk->picHsbBack, m_state,
                    mciMain.playback(), this);
    connectControls();
    tmrStart.setObjectName(QStringLiteral("tmrStart"));
    tmrStart.setInterval(200);
    connect(&tmrStart, &QTimer::timeout, this, [this] {
        tmrStart.stop();
        Q_EMIT playlistRequested();
    });
    tmrCheck.setObjectName(QStringLiteral("tmrCheck"));
    tmrCheck.setInterval(333);
    m_client->installEventFilter(this);
    resize(370, 370);
}

frmMain::~frmMain() {
    tmrCheck.stop();
    // A window that goes without its unload handler still leaves no player behind.
    if (!appClosing && !mciMain.FileName().isEmpty()) {
        mciMain.closeMCI(QString());
    }
    if (m_splash) {
        m_splash->close();
    }
    m_client->removeEventFilter(this);
}

void frmMain::buildWindow() {
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("frmMainClient"));
    picVideo = new QWidget(m_client);
    picVideo->setObjectName(QStringLiteral("picVideo"));
    paintBlack(picVideo);
    picPlusBk = new PlayerPanel(m_client);
    setCentralWidget(m_client);
    // The window draws pictures through OpenGL from the start: turning that on only when
    // the first video opens would make a new native window (a blink, a new window id).
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
        auto* surface = new QOpenGLWidget(picVideo);
        surface->setObjectName(QStringLiteral("picVideoSurface"));
        surface->hide();
    }
    m_menus = new MainMenus(menuBar(), menuRows());
    picNote = new StartScreen(m_client);
    picNote->raise();
    connect(picNote, &StartScreen::blogClicked, this, &frmMain::mnuDiscuss_Click);
    connect(picNote, &StartScreen::moneyClicked, this, &frmMain::mnuMoney_Click);
    // The capture session's picture box: a window of its own, never shown, that goes with
    // this one. Not a child: its native id would turn this window's widgets native too.
    picCapMCI = new QWidget;
    picCapMCI->setObjectName(QStringLiteral("picCapMCI"));
    connect(this, &QObject::destroyed, picCapMCI, [box = picCapMCI] { delete box; });
}

void frmMain::connectControls() {
    PlayerPanel* p = picPlusBk;
    PlaybackControl* play = m_playback.get();
    for (ZelvoButton* button : p->mbPlay) {
        connect(button, &ZelvoButton::Click, this, [play] { play->mbPlay_Click(); });
    }
    connect(p->mbPause, &ZelvoButton::Click, this, [play] { play->mbPause_Click(); });
    connect(p->mbStop, &ZelvoButton::Click, this, &frmMain::mbStop_Click);
    connect(p->mbLastItem, &ZelvoButton::Click, this, [play] { play->listStepButton(-1); });
    connect(p->mbNextItem, &ZelvoButton::Click, this, [play] { play->listStepButton(+1); });
    connect(p->mbBackward, &ZelvoButton::Click, this, [this] { m_speed->stepMove(-1, true); });
    connect(p->mbForward, &ZelvoButton::Click, this, [this] { m_speed->stepMove(+1, true); });
    connect(p->mbRngEnd, &ZelvoButton::Click, this, [this] { m_marks->mbRngEnd_Click(); });
}

void frmMain::formLoad(const QString& commandLine) {
    // The single-instance hand-over has already happened in main(): only the first
    // instance gets here.
    m_testLog = TestLog::installFromEnvironment(this);
    // The tests' log sees the playlist window too, from before the start's file plays.
    if (m_testLog != nullptr && m_parts->list != nullptr) {
        m_testLog->watchWindow(m_parts->list->form());
    }
    m_splash = new frmSplash;
    m_splash->show();
    QCoreApplication::processEvents();

    FileObject& fso = FileObject::shared();
    const AppPaths& paths = AppPaths::running();
    twipsPerPixelX = 15;
    twipsPerPixelY = 15;

    // The minimum size depends on the menu bar and the panel: fixed from here on. The
    // client area gets its size now, so a file opened before the window shows fits it.
    m_sizing->ensureMinSize(true, -1, -1);
    if (layout() != nullptr) {
        layout()->activate();
    }
    m_sizing->layoutPanel();
    picPlusBk->picRngBk->hide();

    tmrCheck.setInterval(333);
    tmrCheck.stop();
    picPlusBk->lblFnName->setText(QString());

    m_status->volumeRefresh(true);
    mdlIconKestal::drawFileIcon(picPlusBk->picAssIcon, paths.program());
    openMediaSessions();

    m_state.stepValue[0] = m_state.stepValue[1] = m_state.stepValue[2] = 5;
    m_state.stepMode = 1;
    m_speed->updateStepTips();

    dealMyResource(QStringLiteral("All"), false);
    // A job cut short by the program's end (a kill, a crash) left its parts in its folder.
    ToolJob::setRecordFolder(paths.jobsFolder());
    ToolJob::clearUnfinished();

    m_state.settingsLoading = true;
    loadSettings();
    m_save->loadExactCut();
    m_state.settingsLoading = false;

    buildDialogFilters();

    // The dialogs start in the file browser's folder until a file is picked elsewhere.
    const ListWindow* list = m_parts->list;
    CommDialog::setLastFolder(list != nullptr ? list->browserFolder() : QString());
    showStoppedState();

    if (!commandLine.isEmpty()) {
        // The window goes up first: its picture surface is made while the file opens,
        // instead of after.
        show();
        playSingle(commandLine, false);
    }

    if (m_splash) {
        m_splash->close();
    }
    openFirstRunHelp();
    if (m_menus->mnuStartList->isChecked()) {
        tmrStart.start();
    }
    // A development copy keeps the hook off so a debugger can break freely.
    if (!fso.FileExists(paths.programFolder() + QStringLiteral("Zelvo.FLV.vbp"))) {
        mdlWindowHook::Hook(picVideo, [this] { Form_KeyDown(Qt::Key_Space, Qt::NoModifier); });
    }
}

bool frmMain::dealMyResource(const QString& mode, bool unpack) {
    if (unpack) {
        // The tools must be in place before they are used: the installer is waited for.
        GetCmdOutput(resourceTools::installCommand(mode), QString(),
                     resourceTools::installEnvironment());
        return lastCmdExitCode() == 0;
    }
    if (mode == QLatin1String("CapMCI") || mode == QLatin1String("All")) {
        closeRunFn(AppPaths::running().sampleClip());
    }
    resourceTools::remove(mode);
    return true;
}

void frmMain::linkExecute(const QString& text) {
    // Handled on the next turn of the event loop: playing waits on the player with the
    // loop running, and the hand-over's connection must not be torn down under its own
    // notification meanwhile. A file that is opening right now is let finish first.
    // During a tool job the windows take nothing new: the text waits for the job's end.
    if (BusySession::shared().isRunningJob()) {
        connect(
            &BusySession::shared(), &BusySession::jobEnded, this,
            [this, text] { linkExecute(text); }, Qt::SingleShotConnection);
        return;
    }
    QTimer::singleShot(isMciBusy() ? kRetryMs : 0, this, [this, text] {
        if (appClosing || m_closeAfterJob) {
            return;  // the window is going away
        }
        if (isMciBusy() || BusySession::shared().isRunningJob()) {
            linkExecute(text);
            return;
        }
        if (isMinimized()) {
            showNormal();
        } else {
            show();
        }
        raise();
        activateWindow();
        if (!text.isEmpty()) {
            playSingle(text, false);
        }
    });
}

void frmMain::returnFocus(bool force) {
    const QWidget* foreground = QApplication::activeWindow();
    const bool playlistInFront =
        foreground != nullptr && foreground->objectName() == QLatin1String("frmList");
    if (force || playlistInFront) {
        picPlusBk->picAssIcon->setFocus();
    }
}

void frmMain::mnuEnd(int index) {
    m_menus->mnuEnd[0]->setData(index == 1 ? frmMainTexts::noSaveMarker() : QString());
    close();
}

QAction* frmMain::mnuEndAction(int index) const {
    return m_menus->mnuEnd[index];
}

QAction* frmMain::mnuStartListAction() const {
    return m_menus->mnuStartList;
}

bool frmMain::checkDealRng() const {
    return m_marks->checkDealRng();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // The tools are deleted on the way out: not under a job that still uses them.
    BusySession& busy = BusySession::shared();
    if (busy.isRunningJob()) {
        event->ignore();
        if (msgBox(frmMainTexts::exitWhileJob(), MsgButtons::YesNo, titles::notice(),
                   MsgIcon::Question, this) == MsgResult::Yes &&
            busy.isRunningJob()) {
            m_closeAfterJob = true;
            connect(&busy, &BusySession::jobEnded, this, &frmMain::close,
                    Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
            busy.breakJob();
        }
        return;
    }
    if (isMinimized() || isMaximized()) {
        showNormal();
    }
    if (checkDealRng()) {
        pausePrFn();
        if (msgBox(frmMainTexts::exitWhileMarking(), MsgButtons::YesNo, titles::notice(),
                   MsgIcon::Question, this) != MsgResult::Yes) {
            event->ignore();
            return;
        }
    }
    appClosing = true;
    closeMediaSessions();
    dealMyResource(QStringLiteral("All"), false);
    unloadCaptureWindow();
    if (m_menus->mnuEnd[0]->data().toString().isEmpty()) {
        saveSettings();
    }
    unloadPlaylistWindow();
    event->accept();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client && event->type() == QEvent::Resize) {
        m_sizing->clientResized();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::setStatusText(const QString& text, qint32 frame) {
    picPlusBk->lblFnName->setText(text);
    const QString time = picPlusBk->lblCurTime->text();
    const QString shown =
        text + QLatin1Char('\t') + time + QLatin1Char('\t') + QString::number(frame);
    if (shown != m_lastStatus) {
        m_lastStatus = shown;
        Q_EMIT statusChanged(text, time, frame);
    }
}

// ---- what the other windows ask ---------------------------------------------------------

void frmMain::playSingle(const QString& text, bool fromList) {
    Q_EMIT playRequested(text, fromList);
    m_playback->playSingle(text, fromList);
}
void frmMain::playEntry(const PlaylistEntry& entry) {
    m_playback->playEntry(entry);
}
void frmMain::newPlay(const QString& path, const QString& marks) {
    m_playback->newPlay(path, marks);
}
void frmMain::shareBnStop(bool noAdvance, bool goOn, bool checkMarks) {
    m_playback->shareBnStop(noAdvance, goOn, checkMarks);
}
void frmMain::mbStop_Click() {
    m_playback->mbStop_Click();
}
void frmMain::pausePrFn() {
    m_playback->pausePrFn();
}

void frmMain::playErrorMsg(const QString& path, const QString& head) {
    m_playback->playErrorMsg(path, head);
}
void frmMain::selectRnd() {
    m_playback->selectRnd();
}
void frmMain::fncEbCheck() {
    m_playback->fncEbCheck();
}
void frmMain::setListStepLooks(int state) {
    picPlusBk->mbLastItem->setState(state);
    picPlusBk->mbNextItem->setState(state);
}
void frmMain::closeRunFn(const QString& path) {
    m_playback->closeRunFn(path);
}
void frmMain::mnToList(int listIndex, const QString& item) {
    m_marks->mnToList(listIndex, item);
}
void frmMain::saveFile(const QString& path, bool fromList) {
    m_save->saveFile(path, fromList);
}
bool frmMain::hasMarks() const {
    return m_marksModel.stripShown();
}
QList<QPair<QString, QString>> frmMain::markTimes() const {
    QList<QPair<QString, QString>> times;
    for (int i = 0; i <= m_marksModel.lastSegmentIndex(); ++i) {
        if (m_marksModel.segment(i).state == MarksModel::State::Empty) {
            continue;
        }
        QString from, to, length;
        float fromSec = 0.0f;
        float toSec = 0.0f;
        m_marksModel.rsFormat(i, from, to, 3, fromSec, toSec, 0.0f, 0.0f, length);
        times.append({from, to});
    }
    return times;
}
double frmMain::totalSeconds() const {
    return m_state.totalSeconds;
}
double frmMain::secPerFrame() const {
    return static_cast<double>(m_state.secPerFrame);
}
void frmMain::applyMark() {
    m_marks->applyMark();
}
void frmMain::mnuRngEdit_Click() {
    m_marks->mnuRngEdit_Click();
}
void frmMain::playRange(qint32 from, qint32 to) {
    m_marks->playRange(from, to);
}

void frmMain::useMixer(std::unique_ptr<MixerControl> mixer) {
    m_mixer = std::move(mixer);
}

MainVol& frmMain::mainVolume() {
    if (!mainVol) {
        mainVol = std::make_unique<MainVol>(std::move(m_mixer));
    }
    return *mainVol;
}

// ---- start-up and shut-down steps --------------------------------------------------------

void frmMain::openMediaSessions() {
    VideoWidgetProvider::install();
    mciMain.closeMCI(QStringLiteral("Zelvo.FLV"));
    mciCap.closeMCI(QStringLiteral("Zelvo.FLV_forCapture"));
}

void frmMain::closeMediaSessions() {
    tmrCheck.stop();
    mciMain.closeMCI(QString());
    mciCap.closeMCI(QStringLiteral("Zelvo.FLV_forCapture"));
}

// The steps below belong to features that land later (settings, playlist window,
// capture window). Each is called at its place in the start-up and shut-down order.

void frmMain::showStoppedState() {
    m_marks->clearMarks();
    m_playback->setFileMenus(false);
    m_playback->fncEbCheck();
    m_playback->ifStopped(true);
    picPlusBk->showTimeLabels(false);
}

void frmMain::openFirstRunHelp() {
    FileObject& fso = FileObject::shared();
    const QString helpFile = AppPaths::running().helpFile();
    if (fso.FileExists(helpFile) && !fso.FileExists(m_settingsPath)) {
        shellOpen(helpFile, this);
    }
}

void frmMain::unloadPlaylistWindow() {
    // With the exit flag set the playlist window really closes instead of hiding.
    if (ListWindow* list = m_parts->list) {
        if (list->form() != nullptr) {
            list->form()->close();
        }
    }
}
