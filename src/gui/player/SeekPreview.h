#pragma once

#include "core/media/FramePreview.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class PlaybackSession;
struct PlayerState;

// The small picture over the seek bar: while the pointer is over the bar (or drags its
// thumb), a frameless popup above the pointer shows the frame at that place and its time in
// the status line's form. A hidden second reader of the open file makes the pictures (the
// keyframe at once, the exact frame once the pointer rests), so playback is never touched.
// Nothing shows while no file is open, for a stream, or for a file without pictures. The
// reader opens the player's file at the first hover over the bar, so a file that is only
// played costs nothing more.
class SeekPreview : public QObject {
    Q_OBJECT

public:
    // bar: the seek bar, whose width is the media's length; thumb and background: the
    // widgets over and under it. session: the player's, whose files the preview follows.
    SeekPreview(QWidget* bar, QWidget* thumb, QWidget* background, const PlayerState& state,
                PlaybackSession& session, QObject* parent = nullptr);
    ~SeekPreview() override;

    // How long the pointer rests before the exact frame is asked for.
    static constexpr int kRestMs = 200;

    // The popup (for tests); hidden while no picture is shown.
    QWidget* popup() const;
    FramePreview& frames() { return m_frames; }

Q_SIGNALS:
    // A picture was shown with this time text, in the popup at this place on the screen.
    void previewShown(const QString& timeText, const QRect& screenRect);
    // Where the seek bar is on the screen, whenever that changes while the window shows.
    void seekBarPlaced(const QRect& screenRect);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The player loaded path ("" closed): the reader lets the old file go.
    void follow(const QString& path);
    void hover(const QPoint& globalPos);
    void hidePreview();
    void checkStillOver();
    void rest();
    void pictureReady(const FramePreview::Result& result);
    void placePopup();
    void scheduleBarPlace();
    double secondsAt(double x) const;
    bool canPreview() const;

    QPointer<QWidget> m_bar;
    QPointer<QWidget> m_thumb;
    QPointer<QWidget> m_background;
    QPointer<QWidget> m_window;
    const PlayerState& m_state;
    // The player's file the pictures are of; "" none (no file, a stream, no pictures).
    QString m_wanted;
    FramePreview m_frames;
    std::unique_ptr<class SeekPreviewPopup> m_popup;
    QTimer m_restTimer;
    bool m_hovering = false;
    QPoint m_pointer;
    double m_seconds = -1.0;
    quint64 m_shownId = 0;
    QRect m_barPlace;
    bool m_barPlaceDue = false;
};
