#pragma once

#include <QObject>
#include <QtGlobal>

struct PlayerParts;
class QMouseEvent;

// The player's status timer, seek bar and volume slider. Every tick of tmrCheck (333 ms
// while a file is open) moves the seek-bar thumb, rewrites the status text and the current
// time, and notices the end of the file or of a playing range. Clicks and drags on the
// seek bar move playback (a drag only when released); the volume track and its knob set
// the master volume, the sound button mutes it.
class StatusTimer : public QObject {
    Q_OBJECT

public:
    explicit StatusTimer(PlayerParts& parts);

    // One status tick (tmrCheck_Timer).
    void tick();
    // The thumb's centre on frame.
    void putThumb(qint32 frame);
    // Re-reads the master volume into the knob and the sound button; init at start-up.
    void volumeRefresh(bool init);
    // The thumb's left edge in panel pixels, unrounded.
    double thumbLeft() const { return m_thumbLeft; }

    // The frame seen at the previous tick; kept across files.
    qint32 lastTickFrame = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Ticks from the timer wait while a media command is under way.
    void timerTick();
    void showPosition(qint32 frame);
    void endReached();
    void setThumbLeft(double left);
    void seekBarDown(const QMouseEvent* event, double x);
    bool thumbDrag(const QMouseEvent* event, bool release);
    double volumeScale() const;
    void placeKnob(qint32 volume);
    void volumeTrackDown(const QMouseEvent* event);
    void volumeKnobMove(const QMouseEvent* event);
    void mbSound_Click();

    PlayerParts& m_p;
    double m_thumbLeft = 0.0;
    double m_knobLeft = 0.0;
    bool m_inTick = false;
    bool m_dragging = false;
};
