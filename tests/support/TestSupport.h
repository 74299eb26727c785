#pragma once

#include <functional>

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QWindow>

// Helpers every test shares: where the generated media and the built programs
// are, and running a program with a deadline.
namespace testsupport {

// Full path of a generated media file (relative to the media folder, e.g. "h264.flv"
// or "bad/empty.flv"). Fails the calling test's QVERIFY when it is missing.
QString media(const QString& name);

// Folder of the built programs (Zelvo.FLV, ZelvoResFLV, ZelvoToolFLV).
QString binDir();

// Installs the editing tools into folder the way the program does before a job, and makes
// folder this process's temporary folder, where the tools find their own. False when the
// resource program fails.
bool installTools(const QString& folder);

struct RunResult {
    int exitCode = -1;
    bool finished = false;  // false: the deadline passed and the process was killed
    QByteArray output;      // standard output and standard error, merged
};

// Runs a program from an argument list (never a shell) in workDir, waiting at most
// timeoutMs.
RunResult run(const QString& program, const QStringList& args, const QString& workDir = QString(),
              int timeoutMs = 120000);

// Runs the event loop until done() holds or timeoutMs pass; true when it holds. Tests wait
// on conditions with this (or on signals), never for a fixed time.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Waits until a widget's window is on screen.
template <typename Widget>
bool waitExposed(Widget* widget, int timeoutMs = 5000) {
    return waitUntil(
        [widget] {
            const QWindow* window = widget->window()->windowHandle();
            return window != nullptr && window->isExposed();
        },
        timeoutMs);
}

// Visible X windows whose name matches the regular expression (xdotool search).
QStringList windowsNamed(const QString& pattern);

// The environment the end-to-end tests start the real program in: private runtime,
// temporary and configuration folders, the display's own platform, and the program's
// test log at logPath (every box written there instead of shown).
QProcessEnvironment programEnvironment(const QString& runtimeDir, const QString& tempDir,
                                       const QString& configDir, const QString& logPath);

// The lines of one kind ("status", "message", ...) of the program's test log, each split
// into its TAB-separated fields.
QList<QStringList> logLines(const QString& logPath, const QString& kind);

// Asks a started program to end, and kills it when it does not within 10 s.
void stopProcess(QProcess& process);

// The mean colour of an area of a picture (an invalid colour for an empty area).
QColor average(const QImage& image, const QRect& area);

// ffprobe helpers on a media file.
double probeDuration(const QString& path);                      // seconds, -1 on failure
QStringList probeCodecs(const QString& path);                   // codec names in stream order
QString probeEntry(const QString& path, const QString& stream,  // e.g. ("v:0", "width")
                   const QString& entry);

}  // namespace testsupport
