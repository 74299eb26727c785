#pragma once

#include "core/media/VideoSurface.h"

#include <QtGlobal>

#include <memory>

struct mpv_handle;

// Makes picture areas inside the program's windows. The GUI installs one
// (MciInterpreter::setVideoSurfaceProvider); without it every session decodes into
// nothing, which is what headless runs and tests want.
class VideoSurfaceProvider {
public:
    virtual ~VideoSurfaceProvider() = default;

    // A surface inside the window whose native id is parentWindow, drawing the picture
    // of mpv, or nullptr when the program has no such window. The surface reports to
    // listener until it is destroyed.
    virtual std::unique_ptr<VideoSurface> createSurface(quintptr parentWindow, mpv_handle* mpv,
                                                        VideoSurface::Listener* listener) = 0;
};
