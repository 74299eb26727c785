// Zelvo.FLV on a Wayland desktop: a headless weston (its GL renderer draws the clients'
// pictures, its debug mode lets weston-screenshooter read the screen) with the program as a
// Wayland client. The program starts without a file; a second start hands it a clip, which
// it plays; the screen then shows the clip's coloured bars where before there were none.
// Skipped only when the compositor cannot start here.
#include "InstallKit.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kSocket = QStringLiteral("zelvo-wayland-test");

// A strongly coloured pixel, as the clip's bars are and the window's greys, the desktop's
// background and a black picture are not.
bool vivid(QRgb pixel) {
    const int high = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    const int low = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    return high - low >= 100;
}

}  // namespace

class tst_Wayland : public QObject {
    Q_OBJECT

    QTemporaryDir m_runtime;  // XDG_RUNTIME_DIR of the compositor and of the program
    QTemporaryDir m_temp, m_config;
    QProcess m_weston;
    std::unique_ptr<QProcess> m_first;

    QString log() const { return m_temp.filePath(QStringLiteral("log.txt")); }

    QProcessEnvironment clientEnvironment() const {
        QProcessEnvironment env = testsupport::programEnvironment(m_runtime.path(), m_temp.path(),
                                                                  m_config.path(), log());
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), kSocket);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        // Nothing to fall back to: the window is a Wayland window or none.
        env.remove(QStringLiteral("DISPLAY"));
        return env;
    }

    // The screen as weston-screenshooter reads it (each into a folder of its own: the file's
    // name has the time to the second).
    QImage screenshot() {
        const auto folder = std::make_unique<QTemporaryDir>();
        const testsupport::RunResult r = testsupport::run(
            QStringLiteral("weston-screenshooter"), {}, clientEnvironment(), folder->path(), 20000);
        const QStringList shots = QDir(folder->path()).entryList({QStringLiteral("*.png")});
        if (r.exitCode != 0 || shots.size() != 1) {
            qWarning("weston-screenshooter: %s", r.output.constData());
            return QImage();
        }
        return QImage(folder->filePath(shots.constFirst())).convertToFormat(QImage::Format_RGB32);
    }

    // The screen once the compositor has drawn it: on a busy machine its first picture can
    // still be the uninitialised buffer. Two shots in a row alike, or the last of ten.
    QImage settledScreenshot() {
        QImage previous = screenshot();
        for (int i = 0; i < 10 && !previous.isNull(); ++i) {
            const QImage next = screenshot();
            if (next == previous) {
                break;
            }
            previous = next;
        }
        return previous;
    }

    static int vividPixels(const QImage& image) {
        return testsupport::countPixels(image, image.rect(),
                                        [](const QColor& c) { return vivid(c.rgb()); });
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_runtime.isValid() && m_temp.isValid() && m_config.isValid());
        const QString weston = installkit::tool(QStringLiteral("weston"), "weston");
        QVERIFY(!weston.isEmpty());
        QVERIFY(!installkit::tool(QStringLiteral("weston-screenshooter"), "weston").isEmpty());
        QFile::setPermissions(m_runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("DISPLAY"));
        m_weston.setProcessEnvironment(env);
        m_weston.setProcessChannelMode(QProcess::MergedChannels);
        m_weston.start(weston,
                       {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--use-gl"),
                        QStringLiteral("--debug"), QStringLiteral("--idle-time=0"),
                        QStringLiteral("--width=1600"), QStringLiteral("--height=1200"),
                        QStringLiteral("--socket=") + kSocket});
        const QString socket = m_runtime.filePath(kSocket);
        const bool up =
            m_weston.waitForStarted(10000) &&
            testsupport::waitUntil(
                [&] { return QFile::exists(socket) || m_weston.state() == QProcess::NotRunning; },
                15000);
        if (!up || m_weston.state() != QProcess::Running) {
            QSKIP(qPrintable(QStringLiteral("weston cannot start a headless compositor here: ") +
                             QString::fromUtf8(m_weston.readAll().right(2000))));
        }
    }

    void cleanupTestCase() {
        if (m_first) {
            testsupport::stopProcess(*m_first);
        }
        if (m_weston.state() != QProcess::NotRunning) {
            testsupport::stopProcess(m_weston);
        }
    }

    // The first start shows its window; a second start with a clip hands it over and ends,
    // and the running window plays the clip and shows it.
    void handsOverAndShowsTheVideo() {
        m_first = std::make_unique<QProcess>();
        testsupport::startProgram(*m_first, clientEnvironment(), {});
        QVERIFY(testsupport::waitUntil(
            [&] { return !testsupport::logLines(log(), QStringLiteral("menu")).isEmpty(); },
            20000));
        QCOMPARE(testsupport::lastLogLine(log(), QStringLiteral("caption")).value(1),
                 u8(" Zelvo.FLV - 1.6.1"));
        const QImage before = settledScreenshot();
        QVERIFY(!before.isNull());

        const QString clip = testsupport::media(QStringLiteral("h264.flv"));
        QProcess second;
        testsupport::startProgram(second, clientEnvironment(), {clip});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(testsupport::waitUntil(
            [&] { return !testsupport::logLines(log(), QStringLiteral("play")).isEmpty(); },
            20000));
        QVERIFY(testsupport::waitUntil(
            [&] {
                return testsupport::lastLogLine(log(), QStringLiteral("caption")).value(1) ==
                       u8(" h264.flv - Zelvo.FLV");
            },
            20000));
        QCOMPARE(testsupport::lastLogLine(log(), QStringLiteral("play")).value(1), clip);
        // Two seconds into the clip: the picture has been drawn for a while.
        QVERIFY(testsupport::waitUntil(
            [&] {
                return testsupport::lastLogLine(log(), QStringLiteral("status")).value(3).toInt() >=
                       50;
            },
            20000));
        const QRect picture = testsupport::rectField(
            testsupport::lastLogLine(log(), QStringLiteral("picture")).value(1));
        QVERIFY(picture.width() > 100 && picture.height() > 100);
        const QImage during = screenshot();
        QVERIFY(!during.isNull());

        // The clip's bars at the size the window shows them: that many coloured pixels more
        // than before (half of them at least, should the compositor have put part of the
        // window past the screen's edge).
        const QImage frame = testsupport::decodedFrame(
            clip, 50, m_temp.filePath(QStringLiteral("frame.png")), picture.size());
        QVERIFY(!frame.isNull());
        const int expected = vividPixels(frame);
        QVERIFY(expected > picture.width() * picture.height() / 3);
        const int added = vividPixels(during) - vividPixels(before);
        qInfo("coloured pixels: %d more on screen, %d in the clip's picture", added, expected);
        QVERIFY2(added >= expected / 2,
                 qPrintable(QStringLiteral("%1 coloured pixels more on screen, %2 in the picture")
                                .arg(added)
                                .arg(expected)));
        QCOMPARE(m_first->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(tst_Wayland)
#include "tst_wayland.moc"
