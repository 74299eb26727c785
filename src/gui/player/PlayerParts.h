#pragma once

#include "gui/windows/ListWindow.h"

#include <QRect>
#include <QString>
#include <QtGlobal>

class MainMenus;
class MainVol;
class MarksModel;
class MCI;
class PlaybackControl;
class PlayerPanel;
class QMainWindow;
class QTimer;
class QWidget;
class RangeMarks;
class SaveRanges;
class SpeedSteps;
class StartScreen;
class StatusTimer;
class VideoSizing;
struct PlayerState;

// What the player's helpers ask of the window around them, beyond its parts: the status
// line, the focus, the capture session, the codec help, and the announcements the rest of
// the program listens to.
class PlayerShell {
public:
    virtual ~PlayerShell() = default;

    // The status text, shown and announced with the current time and the frame it stands
    // for (-1 when it stands for none).
    virtual void setStatusText(const QString& text, qint32 frame = -1) = 0;
    // Gives the focus back to the player when the playlist window is in front (or always).
    virtual void returnFocus(bool force) = 0;
    // The hidden capture session, set up once per run when a file with a picture opens.
    virtual void setupCaptureSession(const QString& path) = 0;
    // Opens the help page about decoders.
    virtual void openCodecHelp() = 0;
    // The master volume the volume slider drives.
    virtual MainVol& mainVolume() = 0;
    // A file was opened and starts playing, with these marks ("" none).
    virtual void announcePlayStarted(const QString& path, const QString& marks) = 0;
    // The picture was placed (window coordinates).
    virtual void announcePicturePlaced(const QRect& rect) = 0;
};

// The player window's parts as its helpers share them: the player's state and marks, the
// media session, the window and its widgets, the status tick, the shell, the playlist
// window (nullptr without one) and the helpers themselves, which reach each other here.
// The window makes it, fills it in as it builds itself, and hands it to each helper; no
// helper goes through the window.
struct PlayerParts {
    PlayerState& state;
    MarksModel& marks;
    MCI& session;
    QMainWindow& window;
    // The area above the panel that holds the picture, and the panel under it.
    QWidget& video;
    PlayerPanel& panel;
    // The note shown until a file plays.
    StartScreen& note;
    QTimer& checkTimer;
    PlayerShell& shell;
    MainMenus* menus = nullptr;
    // Set where the program is wired.
    ListWindow* list = nullptr;
    // The playlist window's default save folder ("" none, or no playlist window).
    QString saveFolder() const { return list != nullptr ? list->saveFolder() : QString(); }

    PlaybackControl* playback = nullptr;
    RangeMarks* rangeMarks = nullptr;
    StatusTimer* status = nullptr;
    SpeedSteps* speed = nullptr;
    VideoSizing* sizing = nullptr;
    SaveRanges* save = nullptr;

    // Media commands may wait on the player with the event loop running; the status tick
    // and a handed-over command line wait until no such command is under way.
    class MciBusy {
    public:
        explicit MciBusy(PlayerParts& parts) : m_parts(parts) { ++m_parts.busyDepth; }
        ~MciBusy() { --m_parts.busyDepth; }
        MciBusy(const MciBusy&) = delete;
        MciBusy& operator=(const MciBusy&) = delete;

    private:
        PlayerParts& m_parts;
    };
    bool isMciBusy() const { return busyDepth > 0; }
    int busyDepth = 0;
};
