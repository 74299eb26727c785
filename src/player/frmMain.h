#pragma once

#include "app/PlayerWindow.h"
#include "app/frmSplash.h"
#include "playback/MCI.h"
#include "player/PlayerPanel.h"
#include "services/DialogService.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class MainMenus;
class MainVol;
class MixerControl;
class PlaybackControl;
class QAction;
class RangeMarks;
class SpeedSteps;
class StatusTimer;
class VideoSizing;
class frmCap;
class SaveRanges;

// The player window and the start-up object: it builds the shared state in its load
// handler, owns the media sessions, and shuts the program down in its unload handler.
// What it does as a player is split by concern: PlaybackControl (what plays and what
// follows), StatusTimer (status tick, seek bar, volume), SpeedSteps (speed menu and
// stepping), VideoSizing (picture size and panel layout) and RangeMarks; the window
// keeps the public operations other windows call and hands each to its concern.
class frmMain : public QMainWindow, public PlayerWindow {
    Q_OBJECT
    friend class PlaybackControl;
    friend class RangeMarks;
    friend class SaveRanges;
    friend class SpeedSteps;
    friend class StatusTimer;
    friend class VideoSizing;

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // ---- what the other windows ask (PlayerWindow) ------------------------------------
    QWidget* form() override { return this; }
    QString fileName() const override { return mciMain.FileName(); }
    void mnToList(int listIndex, const QString& item) override;

    // ---- start-up and shut-down -----------------------------------------------------
    // The load handler: runs once, right after construction, with the text that
    // followed the program name on the command line.
    void formLoad(const QString& commandLine);
    // Unpacks (unpack true: runs the resource program for mode and waits until it has
    // installed the tools) or deletes the outside tools ("notCapMCI", "CapMCI", "All").
    // Returns false only when unpacking did not finish.
    bool dealMyResource(const QString& mode, bool unpack);
    // A later start of the program handed its command line over: the window comes to
    // the front and plays it, on the next turn of the event loop.
    void linkExecute(const QString& text);
    void returnFocus(bool force) override;
    // The two exit items: 0 saves the settings, 1 leaves them untouched.
    void mnuEnd(int index);
    // True while range marks are being edited (the exit question depends on it).
    bool checkDealRng() const;

    // ---- playback control -----------------------------------------------------------
    // Plays a path or URL as a single file (fromList false) or the list's selected entry
    // (text "", fromList true). Quotes are removed; "path∥marks" carries marks.
    void playSingle(const QString& text, bool fromList) override;
    void newPlay(const QString& path, const QString& marks) override;
    void failPlay(const QString& path);
    MsgResult playErrorMsg(const QString& path, const QString& head);
    void shareBnStop(bool noAdvance, bool goOn, bool checkMarks) override;
    void shareBnPause();
    void mbPlay_Click();
    void mbPause_Click();
    void mbStop_Click() override;
    void mbLastItem_Click();
    void mbNextItem_Click();
    void selectRnd();
    void ifStopped(bool x);
    void fncEbCheck();
    // Pauses playback when a file is playing.
    void pausePrFn() override;
    // Closes the open file when it is path, so the file can be replaced or deleted.
    void closeRunFn(const QString& path) override;
    // Begins (show true) or ends a tool run's busy session over ownerForm.
    void buzySateShow(bool show, QWidget* ownerForm, bool* aborted = nullptr);
    // The report at the end of a tool run.
    void doneAfterSave(const QString& outputPath, bool silent, float seconds, bool aborted);
    void mnuOpen_Click();
    void mnuPlayLast_Click();
    void setFileMenus(bool enabled);
    void munCodec_Click();
    void mnuHelp_Click();

    // ---- status timer, seek bar, volume ---------------------------------------------
    void tmrCheck_Timer();
    void volumeRefresh(bool init);
    // The master volume to drive instead of the sound card's; before formLoad.
    void useMixer(std::unique_ptr<MixerControl> mixer);
    MainVol* mainVolume() const { return mainVol.get(); }

    // ---- speed and steps -------------------------------------------------------------
    void mnuSpeed_Click(int index);
    void mnuFB_Click(int index);
    void setStepCaption(int index, int value);
    void updateStepTips();
    void stepMove(int direction, bool useMode);

    // ---- sizing ----------------------------------------------------------------------
    static void getMediaNewSize(qint32 availW, qint32 availH, qint32& w, qint32& h);
    QSize ensureMinSize(bool dontApply, int width, int height);
    bool isNormalWindow() const;
    void myPutSize(bool mode);
    void layoutPanel();
    void mnuKeepWH_Click();
    void mnuKeepDef_Click();
    void mnuScnFull_Click();

    // ---- saving marked ranges and files ----------------------------------------------------
    // 0: the segments joined into one new file ("另存裁剪"); 1: one file per segment
    // ("另存分割").
    void saveRanges(int mode);
    // Copies path byte for byte to a name the user picks; fromList: the playlist window
    // asks and owns the dialog.
    void saveFile(const QString& path, bool fromList) override;
    void mnuSaveFile_Click();

    // ---- frame capture -------------------------------------------------------------------
    // "另存畫面" / Home: the video area's picture into the capture window.
    void mnuSaveCap_Click();
    // The hidden capture session, set up once per run when a file with a picture opens.
    void setupCaptureSession(const QString& path);
    // The capture window, created on first use.
    frmCap& captureWindow();
    // Parent of the capture session's picture; its "on" property tells it is set up.
    QWidget* picCapMCI = nullptr;

    // The window's key-down handler (Space, Esc, Del, PgUp/PgDn, arrows, and the range
    // marks' "[", "]", Enter and F2, and Home); false for a key it does not handle.
    bool Form_KeyDown(int key, Qt::KeyboardModifiers shift);

    // ---- state shared with the other windows ------------------------------------------
    MCI mciMain;
    MCI mciCap;
    // 1 playing, 4 paused, 5 stopped.
    int playerState = 5;
    // Length of the open media in frames, and seek-bar pixels and seconds per frame.
    qint32 totalFrames = 1;
    float twipsPerFrame = 1.0f;
    float secPerFrame = 1.0f;
    // The picture area in pixels.
    qint32 availWidth = 0;
    qint32 availHeight = 0;
    // Step mode (0 frames, 1 seconds, 2 percent) and the amount of each mode.
    int stepMode = 1;
    int stepValue[3] = {5, 5, 5};
    // The file open before the current one.
    QString lastPlayed;
    QString helpFile;
    bool settingsLoading = false;
    bool resizing = false;

    PlayerPanel* picPlusBk = nullptr;
    // The area above the panel that holds the picture.
    QWidget* picVideo = nullptr;
    MainMenus& menus() const { return *m_menus; }
    RangeMarks& marks() const { return *m_marks; }

    QAction* mnuEndAction(int index) const;
    QAction* mnuStartListAction() const;
    QTimer& startTimer() { return tmrStart; }
    QTimer& checkTimer() { return tmrCheck; }
    bool isSplashShown() const { return m_splash && m_splash->isVisible(); }

    // The status text of lblFnName, shown and announced with the current time and the
    // frame it stands for (-1 when it stands for none).
    void setStatusText(const QString& text, qint32 frame = -1);

Q_SIGNALS:
    // playSingle was asked to play text.
    void playRequested(const QString& text, bool fromList);
    // The playlist window is to be shown (the start timer fired).
    void playlistRequested();
    // The status text, the current time or the position changed.
    void statusChanged(const QString& status, const QString& time, qint32 frame);
    // The picture was placed (window coordinates).
    void picturePlaced(const QRect& rect);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void connectControls();
    void recordFrameSizes();
    void initVolumeDisplay();
    void drawProgramIcon();
    void openMediaSessions();
    void closeMediaSessions();
    void loadSettings();
    void saveSettings();
    void setupCommonDialog();
    void showStoppedState();
    void openFirstRunHelp();
    void installWindowHook();
    void unloadCaptureWindow();
    void unloadPlaylistWindow();
    void tmrStartTick();
    void Form_OLEDragDrop(const class QMimeData* dropped);
    void spaceKey();
    void connectMenus();
    void openHelp(const QString& path, const QString& fileName);

    QPointer<frmSplash> m_splash;
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
    // Media commands may wait on the player with the event loop running; the status tick
    // and a handed-over command line wait until no such command is under way.
    int m_busyDepth = 0;
    // Closing waits for a tool job that was asked to stop.
    bool m_closeAfterJob = false;

public:
    class MciBusy {
    public:
        explicit MciBusy(frmMain& w) : m_w(w) { ++m_w.m_busyDepth; }
        ~MciBusy() { --m_w.m_busyDepth; }
        MciBusy(const MciBusy&) = delete;
        MciBusy& operator=(const MciBusy&) = delete;

    private:
        frmMain& m_w;
    };
    bool isMciBusy() const { return m_busyDepth > 0; }
};
