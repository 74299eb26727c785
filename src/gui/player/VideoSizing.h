#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QtGlobal>

struct PlayerParts;

// How large the picture is and where it sits, the control panel's layout along the
// bottom, the window's minimum size, the two picture-size options and the maximise
// toggle. It also recomputes the scales between the seek bar and media positions.
class VideoSizing {
public:
    explicit VideoSizing(PlayerParts& parts);

    static constexpr int kMinPictureWidth = 320;
    static constexpr int kMinPictureHeight = 10;

    // Fits w × h into availW × availH keeping its proportions; no size (w × h = 0, an
    // audio file) counts as 320 × 10.
    static void getMediaNewSize(qint32 availW, qint32 availH, qint32& w, qint32& h);
    // The total-time text, formatTime's mode for the current time (2 or 3) and the
    // current time's zero text for a media of seconds.
    static void timeTexts(float seconds, QString* total, int* mode, QString* zero);
    // Where putMCI puts a w × h picture centred in the area, one pixel in.
    static QRect pictureRect(qint32 w, qint32 h, qint32 availW, qint32 availH);

    // Keeps the window at or above its minimum: width and height (pixels of the picture
    // area, -1 for the window's current size) are raised to the minimum and, unless
    // dontApply, the window is sized to the result. Returns the window size.
    QSize ensureMinSize(bool dontApply, int width, int height);
    bool isNormalWindow() const;
    void myPutSize(bool mode);
    void layoutPanel();
    // The window's client area changed size.
    void clientResized();
    // The height the window needs beyond the picture: menu bar, panel and borders.
    int panelAllowance() const;
    void toggleMaximised();

private:
    PlayerParts& m_p;
};
