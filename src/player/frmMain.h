#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "app/frmSplash.h"

class QAction;
class QLabel;

// The player window and the start-up object: it builds the shared state in its load
// handler, owns the media sessions, and shuts the program down in its unload handler.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The load handler: runs once, right after construction, with the text that
    // followed the program name on the command line.
    void formLoad(const QString& commandLine);

    // Unpacks (unpack true: runs the resource program for mode and waits until it has
    // installed the tools) or deletes the outside tools ("notCapMCI", "CapMCI", "All").
    // Returns false only when unpacking did not finish.
    bool dealMyResource(const QString& mode, bool unpack);

    // A later start of the program handed its command line over.
    void linkExecute(const QString& text);

    // Plays a path or URL as a single file (fromList false) or the playlist's selected
    // line (fromList true).
    void playSingle(const QString& text, bool fromList);

    // Pauses playback when a file is playing.
    void pausePrFn();

    // Closes the open file when it is path, so the file can be replaced or deleted.
    void closeRunFn(const QString& path);

    void returnFocus(bool force);

    // The two exit items: 0 saves the settings, 1 leaves them untouched.
    void mnuEnd(int index);

    // True while range marks are being edited (the exit question depends on it).
    bool checkDealRng() const;

    QAction* mnuEndAction(int index) const { return m_mnuEnd[index]; }
    QAction* mnuStartListAction() const { return mnuStartList; }
    QTimer& startTimer() { return tmrStart; }
    QTimer& checkTimer() { return tmrCheck; }
    bool isSplashShown() const { return m_splash && m_splash->isVisible(); }
    QString helpFile;

Q_SIGNALS:
    // playSingle was asked to play text.
    void playRequested(const QString& text, bool fromList);
    // The playlist window is to be shown (the start timer fired).
    void playlistRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildWindow();
    void buildMenus();
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

    QPointer<frmSplash> m_splash;
    QWidget* picVideo = nullptr;
    QWidget* picCtrl = nullptr;
    QWidget* picRngBk = nullptr;
    QWidget* picAssIcon = nullptr;
    QLabel* lblFnName = nullptr;
    QAction* mnuStartList = nullptr;
    QAction* m_mnuEnd[2] = {nullptr, nullptr};
    QTimer tmrCheck;
    QTimer tmrStart;
    bool settingsLoading = false;
    int stepMode = 0;
    int stepValue[3] = {0, 0, 0};
    QString m_settingsPath;
};
