# `make package`: a Debian package of what `make install` installs, under /usr.
#
# Depends names the Debian 12 packages the installed files need at run time: the libraries
# the programs link (checked against the programs' own list of libraries by the test
# tst_package), Qt's platform plugins (the program cannot open a window without them), and
# the programs and fonts it runs with: ffmpeg and flvmeta for every edit, Noto CJK for its
# Chinese texts.
# `make install` and `make package` build first; installing and packaging itself then only
# copies, instead of checking every target again (which takes longer than the packaging).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelvo-flv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "FLV and media player and lossless editor (Traditional Chinese)")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zelvo.FLV plays FLV and other audio and video files, streams and playlists, and
edits them without re-encoding: mark ranges while watching and save them joined
or one file per range; split, snapshot, join, repair and convert files. Its
interface is in Traditional Chinese.")
set(ZELVO_PACKAGE_MAINTAINER "Zelvo.FLV developers" CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZELVO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.36)"
    "libstdc++6 (>= 12)"
    "libgcc-s1"
    "libmpv2 (>= 0.35)"
    "libqt6core6 (>= 6.4)"
    "libqt6gui6 (>= 6.4)"
    "libqt6widgets6 (>= 6.4)"
    "libqt6network6 (>= 6.4)"
    "libqt6opengl6 (>= 6.4)"
    "libqt6openglwidgets6 (>= 6.4)"
    "libqt6dbus6 (>= 6.4)"
    "qt6-qpa-plugins"
    "libasound2"
    "libavformat59"
    "libavcodec59"
    "libavutil57"
    "libswscale6"
    "ffmpeg"
    "flvmeta"
    "fonts-noto-cjk")
# On a Wayland desktop the window is a Wayland window with qt6-wayland (without it, an X11
# window through Xwayland); Qt's own dialog texts in Chinese; the browser for the help.
string(JOIN ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland" "qt6-translations-l10n" "xdg-utils")
include(CPack)
