#pragma once

#include "core/media/MCI.h"
#include "core/player/MarksModel.h"
#include "core/player/PlayerState.h"
#include "gui/dialogs/frmSplash.h"
#include "gui/player/PlayerPanel.h"
#include "gui/player/PlayerParts.h"
#include "gui/windows/PlayerWindow.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVector>

#include <memory>

class MainMenus;
struct MenuRow;
class MainVol;
class MixerControl;
class PlaybackControl;
class QAction;
class RangeMarks;
class SaveRanges;
class SpeedSteps;
class StartScreen;
class StatusTimer;
class TestLog;
class VideoSizing;
class frmCap;
struct SettingLine;

// The player window and the start-up object: it builds the shared state in its load
// handler, owns the media sessions, and shuts the program down in its unload handler. It
// holds the player's state and marks as models, and hands the work to its concerns:
// PlaybackControl (what plays and what follows), StatusTimer (status tick, seek bar,
// volume), SpeedSteps (speed menu and stepping), VideoSizing (picture size and panel
// layout), RangeMarks (the marks on the strip) and SaveRanges (saving them). Those helpers
// share the window's parts (PlayerParts) and ask the window only what PlayerShell offers.
// The other windows ask it what PlayerWindow offers.
class frmMain : public QMainWindow, public PlayerWindow, private PlayerShell {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // ---- what the other windows ask (PlayerWindow) ------------------------------------
    QWidget* form() override { return this; }
    QString fileName() const override { return mciMain.FileName(); }
    void closeRunFn(const QString& path) override;
    void playSingle(const QString& text, bool fromList) override;
    void dropFiles(const QMimeData& dropped) override { Form_OLEDragDrop(&dropped); }
    void newPlay(const QString& path, const QString& marks) override;
    void playEntry(const PlaylistEntry& entry) override;
    void shareBnStop(bool noAdvance, bool goOn, bool checkMarks) override;
    void mbStop_Click() override;
    void pausePrFn() override;
    void playErrorMsg(const QString& path, const QString& head) override;
    void selectRnd() override;
    void fncEbCheck() override;
    void setListStepLooks(int state) override;
    void returnFocus(bool force) override;
    void mnToList(int listIndex, const QString& item) override;
    void saveFile(const QString& path, bool fromList) override;
    bool hasMarks() const override;
    QList<QPair<QString, QString>> markTimes() const override;
    double totalSeconds() const override;
    double secPerFrame() const override;
    void applyMark() override;
    void mnuRngEdit_Click() override;
    void playRange(qint32 from, qint32 to) override;

    // ---- start-up and shut-down -----------------------------------------------------
    // The load handler: runs once, right after construction, with the text that
    // followed the program name on the command line.
    void formLoad(const QString& commandLine);
    // Unpacks (unpack true: runs the resource program for mode and waits until it has
    // installed the tools) or deletes the outside tools ("notCapMCI", "CapMCI", "All").
    // Returns false only when unpacking did not finish.
    bool dealMyResource(const QString& mode, bool unpack);
    // A later start of the program handed its command line over: the window comes to
    // the front and plays it, on the next turn of the event loop (after a tool job).
    void linkExecute(const QString& text);
    // The two exit items: 0 saves the settings, 1 leaves them untouched.
    void mnuEnd(int index);
    // True while range marks are being edited (the exit question depends on it).
    bool checkDealRng() const;
    // The master volume to drive instead of the sound card's; before formLoad.
    void useMixer(std::unique_ptr<MixerControl> mixer);
    // The playlist window the player goes on through, handed over where the program is
    // wired (nullptr: every file plays on its own).
    void setListWindow(ListWindow* list) { m_parts->list = list; }

    // ---- the player's state, models and concerns --------------------------------------
    PlayerState& state() { return m_state; }
    const PlayerState& state() const { return m_state; }
    MarksModel& marksModel() { return m_marksModel; }
    PlaybackControl& playback() const { return *m_playback; }
    StatusTimer& statusTimer() const { return *m_status; }
    SpeedSteps& speedSteps() const { return *m_speed; }
    VideoSizing& sizing() const { return *m_sizing; }
    RangeMarks& marks() const { return *m_marks; }
    SaveRanges& saving() const { return *m_save; }
    MainMenus& menus() const { return *m_menus; }
    MainVol& mainVolume() override;
    // The media session that plays the files, and the panel under the picture.
    MCI& session() { return mciMain; }
    PlayerPanel& panel() const { return *picPlusBk; }
    // What the helpers share.
    PlayerParts& parts() const { return *m_parts; }
    // The capture session's picture box (never shown).
    const QWidget& captureBox() const { return *picCapMCI; }
    QTimer& startTimer() { return tmrStart; }
    QTimer& checkTimer() { return tmrCheck; }
    QAction* mnuEndAction(int index) const;
    QAction* mnuStartListAction() const;
    bool isSplashShown() const { return m_splash && m_splash->isVisible(); }

    // ---- frame capture -------------------------------------------------------------------
    // "另存畫面" / Home: the video area's picture into the capture window.
    void mnuSaveCap_Click();
    // The hidden capture session, set up once per run when a file with a picture opens.
    void setupCaptureSession(const QString& path) override;
    // The capture window, created on first use.
    frmCap& captureWindow();

    // The window's key-down handler (Space, Esc, Del, PgUp/PgDn, arrows, and the range
    // marks' "[", "]", Enter and F2, and Home); false for a key it does not handle.
    bool Form_KeyDown(int key, Qt::KeyboardModifiers shift);
    // ---- menus ----------------------------------------------------------------------------
    // The window's menus, one row an item, with what each does.
    QVector<MenuRow> menuRows();
    void mnuHelp_Click();
    void munCodec_Click();
    void mnuDiscuss_Click();
    void mnuMoney_Click();
    // A help file, or a page of the help (a path below the help folder, "#part" allowed);
    // a missing one is said, naming the file looked for.
    void openHelp(const QString& path);
    void openHelpPage(const QString& page);

    // The status text of lblFnName, shown and announced with the current time and the
    // frame it stands for (-1 when it stands for none).
    void setStatusText(const QString& text, qint32 frame = -1) override;

    // A media command that waits on the player is under way.
    bool isMciBusy() const { return m_parts->isMciBusy(); }
    // The end-to-end tests' log (ZELVO_TEST_LOG), nullptr without one.
    TestLog* testLog() const { return m_testLog; }

Q_SIGNALS:
    // playSingle was asked to play text.
    void playRequested(const QString& text, bool fromList);
    // The playlist window is to be shown (the start timer fired).
    void playlistRequested();
    // The status text, the current time or the position changed.
    void statusChanged(const QString& status, const QString& time, qint32 frame);
    // The picture was placed (window coordinates).
    void picturePlaced(const QRect& rect);
    // A file was opened and starts playing, with these marks ("" none).
    void playStarted(const QString& path, const QString& marks);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // PlayerShell
    void openCodecHelp() override { munCodec_Click(); }
    void announcePlayStarted(const QString& path, const QString& marks) override {
        Q_EMIT playStarted(path, marks);
    }
    void announcePicturePlaced(const QRect& rect) override { Q_EMIT picturePlaced(rect); }

    void buildWindow();
    void connectControls();
    void openMediaSessions();
    void closeMediaSessions();
    void loadSettings();
    // Writes both settings files; false (after saying so) when either cannot be written.
    bool saveSettings();
    void mnuSaveNow_Click();
    void applySetting(const SettingLine& line, bool& mainPlaced, bool& listPlaced);
    void showStoppedState();
    void openFirstRunHelp();
    void unloadCaptureWindow();
    void unloadPlaylistWindow();
    void Form_OLEDragDrop(const class QMimeData* dropped);
    void spaceKey();
    void mnuMyExplorer_Click();
    void mnuOpenApp_Click();
    void mnuUninstall_Click();
    void mnuAbout_Click();

    PlayerState m_state;
    MarksModel m_marksModel{m_state};
    MCI mciMain;
    MCI mciCap;
    PlayerPanel* picPlusBk = nullptr;
    // The area above the panel that holds the picture.
    QWidget* picVideo = nullptr;
    // Parent of the capture session's picture; its "on" property tells it is set up.
    QWidget* picCapMCI = nullptr;
    // The note shown until a file plays.
    StartScreen* picNote = nullptr;
    std::unique_ptr<PlayerParts> m_parts;
    QPointer<frmSplash> m_splash;
    TestLog* m_testLog = nullptr;
    QWidget* m_client = nullptr;
    MainMenus* m_menus = nullptr;
    std::unique_ptr<MainVol> mainVol;
    std::unique_ptr<MixerControl> m_mixer;
    std::unique_ptr<RangeMarks> m_marks;
    std::unique_ptr<PlaybackControl> m_playback;
    std::unique_ptr<StatusTimer> m_status;
    std::unique_ptr<SpeedSteps> m_speed;
    std::unique_ptr<VideoSizing> m_sizing;
    std::unique_ptr<SaveRanges> m_save;
    QPointer<frmCap> m_cap;
    QTimer tmrCheck;
    QTimer tmrStart;
    QString m_settingsPath;
    QString m_lastStatus;
    // Closing waits for a tool job that was asked to stop.
    bool m_closeAfterJob = false;
};
