// What hovering over the seek bar costs the file that plays: the player window plays FILE;
// for SECONDS with the pointer away, then for SECONDS with the pointer moving over the seek
// bar (a move every 20 ms, sweeping back and forth, as a hand looking for a place), it
// counts the pictures the player dropped, how far playback went, and the previews shown.
// Prints Markdown table rows:
//   hover_bench FILE LABEL [SECONDS]
#include "AppHarness.h"
#include "ScriptedDialogs.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/media/MCI.h"
#include "core/media/MciInterpreter.h"
#include "core/media/PlaybackSession.h"
#include "gui/player/PlayerPanel.h"
#include "gui/player/SeekPreview.h"
#include "gui/player/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

[[noreturn]] void fail(const char* why) {
    std::fprintf(stderr, "hover_bench: %s\n", why);
    std::exit(1);
}

// Runs the event loop for ms, calling each (when given) every 20 ms.
void runFor(int ms, const std::function<void()>& each = {}) {
    QEventLoop loop;
    QTimer tick;
    if (each) {
        QObject::connect(&tick, &QTimer::timeout, &loop, each);
        tick.start(20);
    }
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Stretch {
    qint64 dropped = 0;
    double played = 0.0;  // seconds of the file
    int previews = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: hover_bench FILE LABEL [SECONDS]\n", stderr);
        return 2;
    }
    // Settings and temporary files of its own: a user who has run the program before.
    QTemporaryDir work;
    qputenv("TMPDIR", work.path().toUtf8());
    qputenv("ZELVO_SETTINGS_DIR", work.path().toUtf8());
    if (QFile settings(work.filePath(QStringLiteral("Zelvo.FLV.ini")));
        !settings.open(QIODevice::WriteOnly)) {
        fail("no settings file");
    }
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    MciInterpreter::instance().setAudioOutput(QStringLiteral("null"));
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QString label = QString::fromLocal8Bit(argv[2]);
    const int ms = (argc > 3 ? std::max(1, std::atoi(argv[3])) : 10) * 1000;

    ScriptedDialogs dialogs;
    frmMain w;
    w.useMixer(std::make_unique<SilentMixer>());
    w.formLoad(QString());
    w.resize(900, 600);
    w.show();
    w.playSingle(file, false);
    PlaybackSession& session = w.session().playback();
    QElapsedTimer waited;
    waited.start();
    while (session.position().value_or(0.0) < 1.0 && waited.elapsed() < 20000) {
        runFor(50);
    }
    if (!session.isOpen() || session.position().value_or(0.0) < 1.0) {
        fail("the file does not play");
    }
    auto* preview = w.findChild<SeekPreview*>();
    if (preview == nullptr) {
        fail("no seek-bar preview");
    }
    int shown = 0;
    QObject::connect(preview, &SeekPreview::previewShown, [&shown] { ++shown; });

    QWidget* bar = w.panel().picHsb;
    const auto measure = [&](bool hovering) {
        Stretch s;
        const qint64 dropped = session.droppedFrames();
        const double at = session.position().value_or(0.0);
        const int before = shown;
        int step = 0;
        runFor(
            ms, !hovering ? std::function<void()>() : [&] {
                // Back and forth over the bar, 2 % of it a move.
                const int along = step++ % 100;
                const int x = bar->width() * (along < 50 ? along : 100 - along) / 50;
                const QPointF local(x, bar->height() / 2.0);
                QMouseEvent move(QEvent::MouseMove, local, bar->mapToGlobal(local), Qt::NoButton,
                                 Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(bar, &move);
            });
        s.dropped = session.droppedFrames() - dropped;
        s.played = session.position().value_or(0.0) - at;
        s.previews = shown - before;
        return s;
    };
    const Stretch still = measure(false);
    const Stretch hovered = measure(true);
    for (const auto& [what, s] : {std::pair{"pointer away", still}, {"hovering", hovered}}) {
        std::printf("| %s | %s | %d | %lld | %.1f | %d |\n", qPrintable(label), what, ms / 1000,
                    static_cast<long long>(s.dropped), s.played, s.previews);
    }
    w.session().closeMCI(QString());
    return 0;
}
