// Watches the X screen while it starts a player and says how long the user waited.
//   player_watch painted TIMEOUT_MS PROGRAM ARGS...   until a window is drawn on the
//                                                     (black) screen
//   player_watch menu    TIMEOUT_MS PROGRAM ARGS...   until a menu bar (the light grey
//                                                     of Qt's default style) is drawn
//   player_watch frame   TIMEOUT_MS PROGRAM ARGS...   until the test picture shows (its
//                                                     colour bars are on screen)
// Prints the milliseconds from starting the program, or -1 after the timeout; the
// program is then ended. The screen is grabbed as the user would see it, every few ms.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace {

bool near(QRgb pixel, int r, int g, int b) {
    return std::abs(qRed(pixel) - r) + std::abs(qGreen(pixel) - g) + std::abs(qBlue(pixel) - b) <
           40;
}

// Something other than the black root window is on the screen.
bool painted(const QImage& screen) {
    for (int y = 0; y < screen.height(); y += 4) {
        const auto* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        for (int x = 0; x < screen.width(); x += 4) {
            if (qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]) > 60) {
                return true;
            }
        }
    }
    return false;
}

// A menu bar's worth of the default style's light grey.
bool menuBar(const QImage& screen) {
    int grey = 0;
    for (int y = 0; y < screen.height(); y += 2) {
        const auto* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        for (int x = 0; x < screen.width(); x += 2) {
            grey += near(line[x], 239, 239, 239) ? 1 : 0;
        }
    }
    return grey > 1000;
}

// The test source's yellow, cyan and magenta bars, each over a fair area.
bool testPicture(const QImage& screen) {
    int yellow = 0, cyan = 0, magenta = 0;
    for (int y = 0; y < screen.height(); y += 2) {
        const auto* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        for (int x = 0; x < screen.width(); x += 2) {
            yellow += near(line[x], 255, 255, 0) ? 1 : 0;
            cyan += near(line[x], 0, 255, 255) ? 1 : 0;
            magenta += near(line[x], 255, 0, 255) ? 1 : 0;
        }
    }
    return yellow > 500 && cyan > 500 && magenta > 500;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4) {
        std::fputs("usage: player_watch painted|menu|frame TIMEOUT_MS PROGRAM ARGS...\n", stderr);
        return 2;
    }
    const QString mode = args.at(1);
    const int timeoutMs = args.at(2).toInt();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (painted(screen->grabWindow(0).toImage())) {
        std::fputs("the screen is not empty before the start\n", stderr);
        return 2;
    }

    QProcess player;
    player.setProgram(args.at(3));
    player.setArguments(args.mid(4));
    player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    player.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    player.start();
    qint64 seen = -1;
    while (clock.elapsed() < timeoutMs && player.state() != QProcess::NotRunning) {
        const QImage image = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
        const bool shown = mode == QLatin1String("frame")  ? testPicture(image)
                           : mode == QLatin1String("menu") ? menuBar(image)
                                                           : painted(image);
        if (shown) {
            seen = clock.elapsed();
            break;
        }
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    player.terminate();
    if (!player.waitForFinished(3000)) {
        player.kill();
        player.waitForFinished(3000);
    }
    std::printf("%lld\n", static_cast<long long>(seen));
    return 0;
}
