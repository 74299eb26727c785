// Times the playback engine through the same command strings the player sends.
//   mci_bench open   FILE RUNS   open until the first frame is ready, then close
//   mci_bench seek   FILE RUNS   exact seeks to frames spread over the file
//   mci_bench status FILE RUNS   "status … position" round trips while playing
//   mci_bench memory FILE SECS   play; print the peak resident memory (kB)
// Prints one number: the median in milliseconds (status: microseconds), or kB.
#include "core/media/MciInterpreter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

namespace {

int send(const QString& command, QString* reply = nullptr) {
    const int error = mciSendString(command, reply);
    if (error != 0) {
        std::fprintf(stderr, "%s: error %d\n", qPrintable(command), error);
    }
    return error;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

QString openCommand(const QString& file) {
    return QStringLiteral("open \"%1\" type mpegvideo alias bench parent 0 style child").arg(file);
}

long peakKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc < 4) {
        std::fprintf(stderr, "usage: mci_bench open|seek|status|memory FILE N\n");
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString file = QString::fromLocal8Bit(argv[2]);
    const int count = std::max(1, QString::fromLocal8Bit(argv[3]).toInt());
    MciInterpreter::instance().setAudioOutput(QStringLiteral("null"));
    QElapsedTimer clock;
    std::vector<double> times;

    if (mode == QLatin1String("open")) {
        for (int i = 0; i < count; ++i) {
            clock.start();
            if (send(openCommand(file)) != 0) {
                return 1;
            }
            times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            send(QStringLiteral("close bench"));
        }
        std::printf("%.2f\n", median(times));
        return 0;
    }

    if (send(openCommand(file)) != 0 || send(QStringLiteral("set bench time format frames")) != 0) {
        return 1;
    }
    QString reply;
    send(QStringLiteral("status bench length"), &reply);
    const long length = reply.toLong();

    if (mode == QLatin1String("seek")) {
        int missed = 0;
        for (int i = 0; i < count; ++i) {
            // Spread over the file and not in order (mpv_ipc.py uses the same frames).
            const long target = (static_cast<long>(i) * 373 + 17) % (length - 10);
            clock.start();
            if (send(QStringLiteral("seek bench to %1").arg(target)) != 0) {
                return 1;
            }
            times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            send(QStringLiteral("status bench position"), &reply);
            missed += reply.toLong() != target ? 1 : 0;
        }
        std::printf("%.2f\n", median(times));
        if (missed > 0) {
            std::fprintf(stderr, "engine: %d of %d seeks landed on another frame\n", missed, count);
        }
    } else if (mode == QLatin1String("status")) {
        send(QStringLiteral("play bench"));
        for (int i = 0; i < count; ++i) {
            clock.start();
            send(QStringLiteral("status bench position"), &reply);
            times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e3);
        }
        std::printf("%.1f\n", median(times));
    } else if (mode == QLatin1String("memory")) {
        send(QStringLiteral("play bench"));
        clock.start();
        while (clock.elapsed() < count * 1000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(20);
        }
        std::printf("%ld\n", peakKilobytes());
    }
    send(QStringLiteral("close all"));
    return 0;
}
