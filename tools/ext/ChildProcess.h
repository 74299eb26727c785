#pragma once

#include <string>
#include <vector>

namespace exttool {

// Runs one program from an argument list (found on PATH, never through a
// shell) and waits for it. While it runs, SIGTERM, SIGINT and SIGHUP sent to
// this process are passed on to it; should this process be killed outright,
// the child is sent SIGTERM by the kernel, so no ffmpeg outlives its tool.
class ChildProcess {
public:
    struct Result {
        bool started = false;  // false: the program could not be started
        int exitCode = -1;     // exit status; -1 when it ended by a signal
        int stopSignal = 0;    // the signal that asked us to stop, 0 if none
        std::string error;     // why it could not be started
    };

    // With output given, the program's standard output is collected there
    // instead of passed through.
    static Result run(const std::vector<std::string>& argv, std::string* output = nullptr);

    // The stop signal received so far (0 if none). Callers check it before
    // starting further work.
    static int stopRequested();

    // Ties this process to its parent, first thing: when the parent ends (killed
    // outright too), the kernel sends this process SIGTERM, which stops it as a stop
    // request does (its children ended, its half-written output removed). A parent
    // that ended before the tie was made counts as a stop asked for at once. The
    // parent is the process named by the environment variable parentVariable when it
    // is set (the program sets it, so a parent gone before this process even started
    // is noticed), else the parent found at this call.
    static void endWithParent();
    static constexpr const char* parentVariable = "ZELVO_TOOL_PARENT";
};

}  // namespace exttool
