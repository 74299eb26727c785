#pragma once

#include <QSize>

// Where one media session draws its picture: an area inside the window the device was
// opened with ("parent N style child"). The GUI provides it; the session only places it
// and is told when it can draw, so the playback core needs no widgets.
class VideoSurface {
public:
    // Told when the surface gains or loses its drawing context. The session switches its
    // video output on that: it decodes into nothing until a surface is ready.
    class Listener {
    public:
        virtual void surfaceReady(bool ready) = 0;

    protected:
        ~Listener() = default;
    };

    virtual ~VideoSurface() = default;

    // The picture's rectangle in the parent window's pixels ("put … window at").
    virtual void setGeometry(int x, int y, int width, int height) = 0;
    virtual void setVisible(bool visible) = 0;
    // The inner size of the parent window ("where … destination max").
    virtual QSize parentSize() const = 0;
};
