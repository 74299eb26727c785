// The seek-bar preview's waits and memory on one file: for 100 positions spread over it (in
// a shuffled order, as a pointer jumps), the time from a request to its keyframe picture
// and, asked as a pointer at rest asks, to the exact frame; and the resident memory the
// preview session adds. Prints one Markdown table row:
//   preview_bench FILE LABEL SECONDS
#include "core/media/FramePreview.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

double percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return -1.0;
    }
    std::sort(values.begin(), values.end());
    const auto at = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

// Waits for the answer to id; its milliseconds, or -1 without a picture.
double answer(FramePreview& preview, quint64 id, const QElapsedTimer& clock) {
    double took = -2.0;
    const auto connection = QObject::connect(
        &preview, &FramePreview::pictureReady, [&](const FramePreview::Result& result) {
            if (result.id == id) {
                took = result.picture.isNull() ? -1.0
                                               : static_cast<double>(clock.nsecsElapsed()) / 1e6;
            }
        });
    while (took < -1.5) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    QObject::disconnect(connection);
    return took;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fputs("usage: preview_bench FILE LABEL SECONDS\n", stderr);
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const long before = residentKb();
    FramePreview preview;
    preview.open(file);
    while (preview.state() == FramePreview::State::Opening) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    if (preview.state() != FramePreview::State::Ready) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const double length = std::max(1.0, QString::fromLocal8Bit(argv[3]).toDouble());
    QElapsedTimer clock;
    std::vector<double> places;
    for (int i = 0; i < 100; ++i) {
        places.push_back(length * (i + 0.5) / 100.0);
    }
    std::shuffle(places.begin(), places.end(), *QRandomGenerator::global());
    std::vector<double> keyframe;
    std::vector<double> exact;
    int missing = 0;
    for (const double at : places) {
        clock.restart();
        const double k =
            answer(preview, preview.request(at, FramePreview::Precision::Keyframe), clock);
        clock.restart();
        const double e =
            answer(preview, preview.request(at, FramePreview::Precision::Exact), clock);
        missing += (k < 0.0 ? 1 : 0) + (e < 0.0 ? 1 : 0);
        if (k >= 0.0) {
            keyframe.push_back(k);
        }
        if (e >= 0.0) {
            exact.push_back(e);
        }
    }
    const long after = residentKb();
    std::printf("| %s | %.1f | %.1f | %.1f | %.1f | %ld | %d |\n", argv[2],
                percentile(keyframe, 0.5), percentile(keyframe, 0.95), percentile(exact, 0.5),
                percentile(exact, 0.95), after - before, missing);
    return 0;
}
