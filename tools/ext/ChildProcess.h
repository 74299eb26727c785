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
};

}  // namespace exttool
