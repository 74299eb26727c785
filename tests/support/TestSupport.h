#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

#include <QColor>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

class QTcpServer;

// Text written in UTF-8, as the literals with Chinese in them are.
inline QString u8(const char* text) {
    return QString::fromUtf8(text);
}

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
// The same in the environment env.
RunResult run(const QString& program, const QStringList& args, const QProcessEnvironment& env,
              const QString& workDir = QString(), int timeoutMs = 120000);

// The keys of a desktop entry file's [Desktop Entry] group.
QHash<QString, QString> desktopEntryKeys(const QString& path);

// Runs the event loop until done() holds or timeoutMs pass; true when it holds. Tests wait
// on conditions with this (or on signals), never for a fixed time.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// A test's data as one column "row", each row a tag and a value (a struct, for a wide table);
// the test reads it with QFETCH(Type, row).
template <typename Row>
void addRows(std::initializer_list<std::pair<const char*, Row>> rows) {
    QTest::addColumn<Row>("row");
    for (const auto& [tag, row] : rows) {
        QTest::newRow(tag) << row;
    }
}

// Writes a file with these bytes; false when it cannot.
bool writeFile(const QString& path, const QByteArray& bytes = QByteArray());

// The files of a folder, hidden ones too, sorted by name.
QStringList filesIn(const QString& folder);

// A digest of a file's bytes ("" for a folder or a missing file).
QString digest(const QString& path);

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

// For the tests that run the editing tools: the program's temporary folder, where the tools
// go, and an output folder, new for each test, where they run as the program's jobs run them.
class ToolFolders {
protected:
    QTemporaryDir m_tmp;
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_mcd = m_tmp.filePath(u8("~tmpExtMcd"));
    QString m_fmg = m_tmp.filePath(u8("~tmpExtFmg"));
    QString m_fmd = m_tmp.filePath(u8("~tmpExtFmd"));

    // Installs the tools with the real resource program, as installTools does.
    bool install() {
        return m_tmp.isValid() && installTools(m_tmp.path()) && QFileInfo(m_mcd).isExecutable();
    }
    bool newWorkFolder() {
        m_work = std::make_unique<QTemporaryDir>();
        return m_work->isValid();
    }
    QString work(const QString& name) const { return m_work->filePath(name); }
    QStringList workFiles() const { return filesIn(m_work->path()); }
};

// Visible X windows whose name matches the regular expression (xdotool search).
QStringList windowsNamed(const QString& pattern);

// The reply to a media command, or "<error N>" when it fails with error number N.
QString mci(const QString& command);

// The environment the end-to-end tests start the real program in: private runtime,
// temporary and configuration folders (an empty settings file in it: a user who has run the
// program before, so no first-run help opens), the display's own platform, and the program's
// test log at logPath (every box written there instead of shown).
QProcessEnvironment programEnvironment(const QString& runtimeDir, const QString& tempDir,
                                       const QString& configDir, const QString& logPath);

// The lines of one kind ("status", "message", ...) of the program's test log, each split
// into its TAB-separated fields.
QList<QStringList> logLines(const QString& logPath, const QString& kind);
// Starts the built program with args in env, its output passed through.
void startProgram(QProcess& process, const QProcessEnvironment& env, const QStringList& args);
// The last line of that kind (empty when there is none).
QStringList lastLogLine(const QString& logPath, const QString& kind);
// A logged place "x y width height".
QRect rectField(const QString& text);
// The last logged place of a menu title, menu item, button… named name (field 1).
QRect loggedRect(const QString& logPath, const QString& kind, const QString& name);

// The user's hand on an X display (xdotool): a key typed into a window, `times` clicks of
// the left button at a screen point.
void typeKey(const QString& window, const QString& key);
void click(const QPoint& at, int times = 1);

// Asks a started program to end, and kills it when it does not within 10 s.
void stopProcess(QProcess& process);

// How many pixels of an area of a picture match.
int countPixels(const QImage& image, const QRect& area,
                const std::function<bool(const QColor&)>& match);

// Mean difference per colour channel of two pictures of one size (255 when they differ in
// size or one is null).
double meanDifference(const QImage& a, const QImage& b);

// The mean colour of an area of a picture (an invalid colour for an empty area).
QColor average(const QImage& image, const QRect& area);

// Ten minutes of the H.264 clip (its copy looped) at path, so the tools run long enough to
// be met while they run; false when ffmpeg fails.
bool makeLongClip(const QString& path);

// A frame of a media file as ffmpeg decodes it (scaled to size when one is given), by way of
// a PNG file at png; a null image when ffmpeg fails.
QImage decodedFrame(const QString& file, int frame, const QString& png, const QSize& size = {});

// The share of 16×16 blocks of the picture shown at `where` whose mean colour matches the
// same block of the reference picture.
double matchingBlocks(const QImage& shown, const QRect& where, const QImage& reference);

// ffprobe helpers on a media file.
double probeDuration(const QString& path);                      // seconds, -1 on failure
QStringList probeCodecs(const QString& path);                   // codec names, sorted
QString probeEntry(const QString& path, const QString& stream,  // e.g. ("v:0", "width")
                   const QString& entry);

// The MD5 digest of every picture ffmpeg decodes from the first video stream, in the order
// shown; empty on failure. A piece's pictures are found in its source by these.
QStringList frameDigests(const QString& path);

// The whole of a file ("" when it cannot be read).
QByteArray readFile(const QString& path);
// count bytes from at as a big-endian number (FLV's sizes and times).
quint32 bigEndian(const QByteArray& bytes, qsizetype at, int count);

// Serves body (an FLV) over HTTP on a free port of this machine, from this thread, with or
// without a Content-Length. The head goes out as a client connects, the body 150 ms later,
// as from a server far away; without a length it trickles on as a live stream, never ending.
// False when no port could be had.
bool serveHttp(QTcpServer& server, const QByteArray& body, bool withLength = true);

}  // namespace testsupport
