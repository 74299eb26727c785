#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace exttool {

namespace {

volatile sig_atomic_t stopSignal = 0;
volatile pid_t runningChild = 0;

const int forwardedSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void forwardSignal(int sig) {
    stopSignal = sig;
    const pid_t child = runningChild;
    if (child > 0) {
        kill(child, sig);
    }
}

void installHandlers() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    struct sigaction sa {};
    sa.sa_handler = forwardSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;
    for (int sig : forwardedSignals) {
        sigaction(sig, &sa, nullptr);
    }
    // A closed output pipe must not kill the tool before it cleans up.
    signal(SIGPIPE, SIG_IGN);
}

sigset_t forwardedSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : forwardedSignals) {
        sigaddset(&set, sig);
    }
    return set;
}

[[noreturn]] void execChild(const std::vector<std::string>& argv, pid_t parent, int errorPipe,
                            int outputPipe) {
    if (outputPipe >= 0) {
        dup2(outputPipe, STDOUT_FILENO);
    }
    // Back to the defaults ffmpeg expects: handlers and ignored signals are
    // inherited across exec otherwise.
    for (int sig : forwardedSignals) {
        signal(sig, SIG_DFL);
    }
    signal(SIGPIPE, SIG_DFL);
    const sigset_t set = forwardedSet();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
        _exit(128 + SIGTERM);
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    execvp(args[0], args.data());
    const int err = errno;
    ssize_t ignored = write(errorPipe, &err, sizeof err);
    (void)ignored;
    _exit(127);
}

}  // namespace

int ChildProcess::stopRequested() {
    installHandlers();
    return stopSignal;
}

void ChildProcess::endWithParent() {
    installHandlers();
    pid_t parent = getppid();
    if (const char* named = std::getenv(parentVariable); named != nullptr && *named != '\0') {
        char* end = nullptr;
        const long pid = std::strtol(named, &end, 10);
        if (*end == '\0' && pid > 0) {
            parent = static_cast<pid_t>(pid);
        }
    }
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // Checked after the tie: a parent gone before it sends nothing.
    if (getppid() != parent) {
        stopSignal = SIGTERM;
    }
}

ChildProcess::Result ChildProcess::run(const std::vector<std::string>& argv, std::string* output) {
    Result r;
    installHandlers();
    if (argv.empty()) {
        r.error = "nothing to run";
        return r;
    }
    if (stopSignal != 0) {
        r.stopSignal = stopSignal;
        r.error = "stopped";
        return r;
    }
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        r.error = std::string("cannot start ") + argv[0] + ": " + std::strerror(errno);
        return r;
    }
    int outFds[2] = {-1, -1};
    if (output != nullptr && pipe2(outFds, O_CLOEXEC) != 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        r.error = std::string("cannot start ") + argv[0] + ": " + std::strerror(errno);
        return r;
    }
    // Signals stay blocked until the child's id is known, so none is lost
    // between the fork and the handler seeing the child.
    const sigset_t set = forwardedSet();
    sigset_t old;
    sigprocmask(SIG_BLOCK, &set, &old);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        execChild(argv, parent, pipeFds[1], outFds[1]);
    }
    if (pid < 0) {
        const int err = errno;
        sigprocmask(SIG_SETMASK, &old, nullptr);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (output != nullptr) {
            close(outFds[0]);
            close(outFds[1]);
        }
        r.error = std::string("cannot start ") + argv[0] + ": " + std::strerror(err);
        return r;
    }
    runningChild = pid;
    if (stopSignal != 0) {
        kill(pid, stopSignal);
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
    close(pipeFds[1]);

    int execError = 0;
    ssize_t n = 0;
    do {
        n = read(pipeFds[0], &execError, sizeof execError);
    } while (n < 0 && errno == EINTR);
    close(pipeFds[0]);

    if (output != nullptr) {
        close(outFds[1]);
        char buf[4096];
        for (;;) {
            const ssize_t got = read(outFds[0], buf, sizeof buf);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                break;
            }
            output->append(buf, static_cast<std::size_t>(got));
        }
        close(outFds[0]);
    }

    int status = 0;
    pid_t waited = 0;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    runningChild = 0;
    r.stopSignal = stopSignal;

    if (n == static_cast<ssize_t>(sizeof execError)) {
        r.error = std::string("cannot start ") + argv[0] + ": " + std::strerror(execError);
        return r;
    }
    r.started = true;
    if (waited == pid && WIFEXITED(status)) {
        r.exitCode = WEXITSTATUS(status);
    }
    return r;
}

}  // namespace exttool
