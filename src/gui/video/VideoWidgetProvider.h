#pragma once

#include "core/media/VideoSurfaceProvider.h"

// Puts the pictures of media sessions into the program's widgets: "parent N" names the
// widget whose native window id is N, and the picture is drawn in a child of it (of its
// central widget for a main window, whose client area begins below the menu bar).
class VideoWidgetProvider : public VideoSurfaceProvider {
public:
    // Makes the MCI interpreter draw into widgets; call once the QApplication exists.
    static void install();

    std::unique_ptr<VideoSurface> createSurface(quintptr parentWindow, mpv_handle* mpv,
                                                VideoSurface::Listener* listener) override;
};
