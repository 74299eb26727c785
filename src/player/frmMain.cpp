#include "player/frmMain.h"

#include "app/SettingsLocation.h"
#include "app/frmSplash.h"
#include "app/mdlZelvoFLV.h"
#include "app/mdlZelvoFLVShell.h"
#include "player/frmMainTexts.h"
#include "services/CommDialog.h"
#include "services/DialogService.h"
#include "services/FileObject.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// How long the resource program may take to install the tools.
constexpr int kResourceTimeoutMs = 60000;

}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(frmMainTexts::caption());
    setAcceptDrops(true);
    buildWindow();
    buildMenus();
    tmrStart.setObjectName(QStringLiteral("tmrStart"));
    tmrStart.setInterval(200);
    tmrStart.setSingleShot(false);
    connect(&tmrStart, &QTimer::timeout, this, &frmMain::tmrStartTick);
    tmrCheck.setObjectName(QStringLiteral("tmrCheck"));
}

frmMain::~frmMain() {
    if (m_splash) {
        m_splash->close();
    }
    appHooks().closeRunFn = nullptr;
}

void frmMain::buildWindow() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    picVideo = new QWidget(central);
    picVideo->setObjectName(QStringLiteral("picVideo"));
    picVideo->setAutoFillBackground(true);
    QPalette black = picVideo->palette();
    black.setColor(QPalette::Window, Qt::black);
    picVideo->setPalette(black);
    picVideo->setMinimumSize(320, 240);
    layout->addWidget(picVideo, 1);

    picRngBk = new QWidget(central);
    picRngBk->setObjectName(QStringLiteral("picRngBk"));
    picRngBk->setFixedHeight(10);
    layout->addWidget(picRngBk);

    picCtrl = new QWidget(central);
    picCtrl->setObjectName(QStringLiteral("picCtrl"));
    auto* strip = new QHBoxLayout(picCtrl);
    strip->setContentsMargins(6, 4, 6, 4);
    picAssIcon = new QLabel(picCtrl);
    picAssIcon->setObjectName(QStringLiteral("picAssIcon"));
    picAssIcon->setFixedSize(16, 16);
    // The icon picture doubles as the window's quiet focus target.
    picAssIcon->setFocusPolicy(Qt::StrongFocus);
    lblFnName = new QLabel(picCtrl);
    lblFnName->setObjectName(QStringLiteral("lblFnName"));
    strip->addWidget(picAssIcon);
    strip->addWidget(lblFnName, 1);
    layout->addWidget(picCtrl);

    setCentralWidget(central);
    resize(640, 520);
}

void frmMain::buildMenus() {
    QMenu* file = menuBar()->addMenu(frmMainTexts::menuFile());
    mnuStartList = file->addAction(frmMainTexts::mnuStartList());
    mnuStartList->setObjectName(QStringLiteral("mnuStartList"));
    mnuStartList->setCheckable(true);
    file->addSeparator();
    for (int i = 0; i < 2; ++i) {
        m_mnuEnd[i] = file->addAction(i == 0 ? frmMainTexts::mnuEnd0() : frmMainTexts::mnuEnd1());
        m_mnuEnd[i]->setObjectName(QStringLiteral("mnuEnd%1").arg(i));
        connect(m_mnuEnd[i], &QAction::triggered, this, [this, i] { mnuEnd(i); });
    }
}

void frmMain::formLoad(const QString& commandLine) {
    // The single-instance hand-over has already happened in main(): only the first
    // instance gets here.
    m_splash = new frmSplash;
    m_splash->show();
    QCoreApplication::processEvents();

    FileObject& fso = FileObject::shared();
    appDir = addSeparator(QCoreApplication::applicationDirPath());
    const QString temp = fso.GetSpecialFolder(2);
    tempDir = fso.FolderExists(temp) ? addSeparator(temp) : appDir;
    twipsPerPixelX = 15;
    twipsPerPixelY = 15;

    recordFrameSizes();
    picRngBk->hide();

    tmrCheck.setInterval(333);
    tmrCheck.stop();
    lblFnName->setText(QString());

    initVolumeDisplay();
    drawProgramIcon();
    openMediaSessions();

    stepValue[0] = stepValue[1] = stepValue[2] = 5;
    stepMode = 1;

    appHooks().closeRunFn = [this](const QString& path) { closeRunFn(path); };
    dealMyResource(QStringLiteral("All"), false);

    settingsLoading = true;
    loadSettings();
    settingsLoading = false;

    buildDialogFilters();
    helpFile = appDir + QStringLiteral("Zelvo.FLV.chm");

    setupCommonDialog();
    showStoppedState();

    if (!commandLine.isEmpty()) {
        playSingle(commandLine, false);
    }

    if (m_splash) {
        m_splash->close();
    }
    openFirstRunHelp();
    if (mnuStartList->isChecked()) {
        tmrStart.start();
    }
    // A development copy keeps the hook off so a debugger can break freely.
    if (!fso.FileExists(appDir + QStringLiteral("Zelvo.FLV.vbp"))) {
        installWindowHook();
    }
}

bool frmMain::dealMyResource(const QString& mode, bool unpack) {
    QCoreApplication::processEvents();
    sampleWmvPath = tempDir + QStringLiteral("~tmpExtFlv.wmv");
    mencoderPath = tempDir + QStringLiteral("~tmpExtMcd");
    ffmpegPath = tempDir + QStringLiteral("~tmpExtFmg");
    flvMetaPath = tempDir + QStringLiteral("~tmpExtFmd");

    if (unpack) {
        // The tools must be in place before the first run, so wait for the installer,
        // keeping the windows alive meanwhile.
        QProcess installer;
        installer.setProgram(appDir + QStringLiteral("ZelvoResFLV"));
        installer.setArguments({mode});
        installer.setStandardInputFile(QProcess::nullDevice());
        installer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        QString folder = tempDir;
        folder.chop(1);
        env.insert(QStringLiteral("TMPDIR"), folder);
        installer.setProcessEnvironment(env);
        QEventLoop loop;
        connect(&installer, &QProcess::finished, &loop, &QEventLoop::quit);
        connect(&installer, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer::singleShot(kResourceTimeoutMs, &loop, &QEventLoop::quit);
        installer.start();
        if (installer.state() != QProcess::NotRunning) {
            loop.exec();
        }
        if (installer.state() != QProcess::NotRunning) {
            installer.kill();
            installer.waitForFinished(2000);
            return false;
        }
        return installer.exitStatus() == QProcess::NormalExit && installer.exitCode() == 0;
    }

    if (mode == QLatin1String("notCapMCI") || mode == QLatin1String("All")) {
        killFile(mencoderPath, true);
        killFile(ffmpegPath, true);
        killFile(flvMetaPath, true);
    }
    if (mode == QLatin1String("CapMCI") || mode == QLatin1String("All")) {
        killFile(sampleWmvPath, false);
    }
    QCoreApplication::processEvents();
    return true;
}

void frmMain::linkExecute(const QString& text) {
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
}

void frmMain::playSingle(const QString& text, bool fromList) {
    // Opening and playing lands with the media session; until then the request is
    // only announced.
    Q_EMIT playRequested(text, fromList);
}

void frmMain::pausePrFn() {
    // Nothing plays yet: the media session fills this in.
}

void frmMain::closeRunFn(const QString& path) {
    Q_UNUSED(path)  // nothing is open yet: the media session fills this in.
}

void frmMain::returnFocus(bool force) {
    const QWidget* foreground = QApplication::activeWindow();
    const bool playlistInFront =
        foreground != nullptr && foreground->objectName() == QLatin1String("frmList");
    if (force || playlistInFront) {
        picAssIcon->setFocus();
    }
}

void frmMain::mnuEnd(int index) {
    m_mnuEnd[0]->setData(index == 1 ? frmMainTexts::noSaveMarker() : QString());
    close();
}

bool frmMain::checkDealRng() const {
    // Range marks land with the marks strip; until then nothing is being edited.
    return false;
}

void frmMain::closeEvent(QCloseEvent* event) {
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
    if (m_mnuEnd[0]->data().toString().isEmpty()) {
        saveSettings();
    }
    unloadPlaylistWindow();
    event->accept();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() || event->mimeData()->hasText()) {
        event->acceptProposedAction();
    }
}

void frmMain::dropEvent(QDropEvent* event) {
    Form_OLEDragDrop(event->mimeData());
    event->acceptProposedAction();
}

void frmMain::Form_OLEDragDrop(const QMimeData* dropped) {
    pausePrFn();
    QString firstFile;
    for (const QUrl& url : dropped->urls()) {
        if (url.isLocalFile()) {
            firstFile = url.toLocalFile();
            break;
        }
    }
    if (!firstFile.isEmpty()) {
        // Only the first dropped file plays.
        QString path =
            upperDriveLetter(firstFile.replace(QStringLiteral("//"), QStringLiteral("/")));
        if (FileObject::shared().FileExists(path)) {
            playSingle(path, false);
        }
        returnFocus(true);
        return;
    }
    QString text = dropped->hasText()   ? dropped->text()
                   : dropped->hasUrls() ? dropped->urls().constFirst().toString()
                                        : QString();
    if (!text.isEmpty()) {
        // A dropped link plays as a stream.
        playSingle(text, false);
        returnFocus(true);
    }
}

void frmMain::tmrStartTick() {
    tmrStart.stop();
    Q_EMIT playlistRequested();
}

// The steps below belong to features that land later (layout, volume, media sessions,
// settings, playlist window, capture window, window hook). Each is called at its
// place in the start-up and shut-down order.

void frmMain::recordFrameSizes() {}
void frmMain::initVolumeDisplay() {}
void frmMain::drawProgramIcon() {}
void frmMain::openMediaSessions() {}
void frmMain::closeMediaSessions() {}

void frmMain::loadSettings() {
    m_settingsPath = settingsFilePath(appDir, QStringLiteral("Zelvo.FLV.ini"));
    buildDialogPatterns();
}

void frmMain::saveSettings() {}

void frmMain::setupCommonDialog() {
    CommDialog& dialog = CommDialog::shared();
    dialog.setOwnerWindow(this);
    dialog.setBrowseFlags(0x64);
    dialog.setOpenFlags(0x81004);
    dialog.setSaveFlags(6);
    dialog.setInitDir(appHooks().browserFolder ? appHooks().browserFolder() : QString());
}

void frmMain::showStoppedState() {}

void frmMain::openFirstRunHelp() {
    FileObject& fso = FileObject::shared();
    if (fso.FileExists(helpFile) && !fso.FileExists(m_settingsPath)) {
        shellOpen(helpFile, this);
    }
}

void frmMain::installWindowHook() {}
void frmMain::unloadCaptureWindow() {}
void frmMain::unloadPlaylistWindow() {}
