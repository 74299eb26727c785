#pragma once

class ListWindow;
class PlayerWindow;

// The program's two windows as the helpers, the tools and each other see them. main.cpp
// fills this in once the windows exist; an empty place means the window is not there (the
// helpers then act as if there were no file open, no browser folder, no list).
struct AppWindows {
    PlayerWindow* player = nullptr;
    ListWindow* list = nullptr;
};

AppWindows& appWindows();
