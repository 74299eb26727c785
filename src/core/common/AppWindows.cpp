#include "core/common/AppWindows.h"

AppWindows& appWindows() {
    static AppWindows windows;
    return windows;
}
