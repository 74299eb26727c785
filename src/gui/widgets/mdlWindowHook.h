#pragma once

#include <functional>

class QWidget;

// Makes a left click on the player's picture act like the Space key of the main window
// (play or pause). The hook watches the video area: a left press inside it calls the
// main window's Space handling once and goes no further, so the window's own mouse
// handling cannot toggle playback a second time; every other press passes on untouched.
//
// One video area is hooked at a time. A hooked area that is destroyed unhooks itself.
namespace mdlWindowHook {

// Installs the hook on videoArea (its child widgets, such as the picture itself, are
// covered too). Installing while a hook is in place changes nothing and returns false.
bool Hook(QWidget* videoArea, std::function<void()> onSpace);

// Removes the hook; nothing happens when none is installed.
void Unhook();

bool isHooked();

}  // namespace mdlWindowHook
