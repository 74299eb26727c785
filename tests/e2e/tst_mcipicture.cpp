// The picture of a media session inside a window of the program, as the user sees it on
// the screen: the test pattern where it was put, and nothing outside it.
#include "TestSupport.h"
#include "playback/MciInterpreter.h"
#include "playback/VideoWidgetProvider.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QPalette>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <clocale>
#include <cmath>
#include <memory>

namespace {

const QColor kBackground(40, 70, 100);

int send(const QString& command, QString* reply = nullptr) {
    return mciSendString(command, reply);
}

// What the user sees of the window right now.
QImage screenOf(QWidget& window) {
    return window.screen()
        ->grabWindow(window.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

int distance(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

// The share of 16×16 blocks of `shown` (inside `where`) whose colour matches the same
// block of the reference picture.
double matchingBlocks(const QImage& shown, const QRect& where, const QImage& reference) {
    int matching = 0;
    int blocks = 0;
    for (int y = 0; y + 16 <= reference.height(); y += 16) {
        for (int x = 0; x + 16 <= reference.width(); x += 16) {
            const QColor expected = testsupport::average(reference, QRect(x, y, 16, 16));
            const QColor seen =
                testsupport::average(shown, QRect(where.x() + x, where.y() + y, 16, 16));
            ++blocks;
            if (distance(expected, seen) < 60) {
                ++matching;
            }
        }
    }
    return blocks == 0 ? 0.0 : double(matching) / blocks;
}

// Pixels outside `picture` that are not the window's background.
int strayPixels(const QImage& shown, const QRect& picture) {
    const QRect around = picture.adjusted(-1, -1, 1, 1);
    int stray = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (!around.contains(x, y) && distance(shown.pixelColor(x, y), kBackground) > 6) {
                ++stray;
            }
        }
    }
    return stray;
}

}  // namespace

class TestMciPicture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void pictureWhereItWasPut_data();
    void pictureWhereItWasPut();
    void windowClosedBeforeTheDevice();
    void mainWindowCountsFromBelowItsMenu();

private:
    QTemporaryDir m_dir;
};

void TestMciPicture::initTestCase() {
    std::setlocale(LC_NUMERIC, "C");
    MciInterpreter::instance().setAudioOutput(QStringLiteral("null"));
    VideoWidgetProvider::install();
    QVERIFY(m_dir.isValid());
}

void TestMciPicture::cleanup() {
    send(QStringLiteral("close all"));
}

void TestMciPicture::pictureWhereItWasPut_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QRect>("picture");
    QTest::addColumn<int>("frame");
    QTest::newRow("h264.flv centred") << QStringLiteral("h264.flv") << QRect(40, 30, 320, 240) << 0;
    QTest::newRow("clip.mpg corner") << QStringLiteral("clip.mpg") << QRect(0, 0, 240, 180) << 0;
    QTest::newRow("h263.flv after a seek")
        << QStringLiteral("h263.flv") << QRect(100, 60, 288, 216) << 137;
}

void TestMciPicture::pictureWhereItWasPut() {
    QFETCH(QString, file);
    QFETCH(QRect, picture);
    QFETCH(int, frame);
    const QString path = testsupport::media(file);

    // The frame as ffmpeg decodes it, at the size it is shown.
    const QString reference = m_dir.filePath(QStringLiteral("%1-%2.png").arg(file).arg(frame));
    const testsupport::RunResult made =
        testsupport::run(QStringLiteral("ffmpeg"),
                         {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                          QStringLiteral("-i"), path, QStringLiteral("-vf"),
                          QStringLiteral("select=eq(n\\,%1),scale=%2:%3")
                              .arg(frame)
                              .arg(picture.width())
                              .arg(picture.height()),
                          QStringLiteral("-frames:v"), QStringLiteral("1"), reference});
    QCOMPARE(made.exitCode, 0);
    const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!expected.isNull());

    QWidget window;
    window.setWindowTitle(QStringLiteral("picture"));
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, kBackground);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.resize(480, 320);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, 5000));

    const QString open =
        QStringLiteral("open \"%1\" type mpegvideo alias pic parent %2 style child")
            .arg(path)
            .arg(window.winId());
    QCOMPARE(send(open), 0);
    QCOMPARE(send(QStringLiteral("set pic time format frames")), 0);
    QCOMPARE(send(QStringLiteral("put pic window at %1 %2 %3 %4")
                      .arg(picture.x())
                      .arg(picture.y())
                      .arg(picture.width())
                      .arg(picture.height())),
             0);
    if (frame > 0) {
        QCOMPARE(send(QStringLiteral("seek pic to %1").arg(frame)), 0);
    }
    QString size;
    QCOMPARE(send(QStringLiteral("where pic destination max"), &size), 0);
    QCOMPARE(size, QStringLiteral("0 0 480 320"));

    // The picture appears within a moment.
    QImage shown;
    double match = 0.0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 8000) {
        QTest::qWait(50);
        shown = screenOf(window);
        match = matchingBlocks(shown, picture, expected);
        if (match > 0.97) {
            break;
        }
    }
    QVERIFY2(match > 0.97, qPrintable(QStringLiteral("%1 of the blocks match").arg(match)));
    QCOMPARE(strayPixels(shown, picture), 0);

    // Put somewhere else, the picture moves there.
    const QRect moved = picture.translated(30, 20);
    QCOMPARE(send(QStringLiteral("put pic window at %1 %2 %3 %4")
                      .arg(moved.x())
                      .arg(moved.y())
                      .arg(moved.width())
                      .arg(moved.height())),
             0);
    clock.restart();
    do {
        QTest::qWait(50);
        shown = screenOf(window);
    } while (matchingBlocks(shown, moved, expected) <= 0.97 && clock.elapsed() < 5000);
    QVERIFY(matchingBlocks(shown, moved, expected) > 0.97);
    QCOMPARE(strayPixels(shown, moved), 0);

    // Closing the device takes the picture away.
    QCOMPARE(send(QStringLiteral("close pic")), 0);
    QTest::qWait(100);
    QCOMPARE(strayPixels(screenOf(window), QRect()), 0);
}

void TestMciPicture::windowClosedBeforeTheDevice() {
    auto window = std::make_unique<QWidget>();
    window->resize(400, 300);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get(), 5000));
    const QString open =
        QStringLiteral("open \"%1\" type mpegvideo alias pic parent %2 style child")
            .arg(testsupport::media(QStringLiteral("clip.mp4")))
            .arg(window->winId());
    QCOMPARE(send(open), 0);
    QCOMPARE(send(QStringLiteral("put pic window at 0 0 320 240")), 0);
    QCOMPARE(send(QStringLiteral("play pic")), 0);
    QTest::qWait(300);
    window.reset();
    // The device plays on without its picture, and closes cleanly.
    QTest::qWait(100);
    QString mode;
    QCOMPARE(send(QStringLiteral("status pic mode"), &mode), 0);
    QCOMPARE(mode, QStringLiteral("playing"));
    QCOMPARE(send(QStringLiteral("set pic time format frames")), 0);
    QCOMPARE(send(QStringLiteral("seek pic to 300")), 0);
    QString position;
    QCOMPARE(send(QStringLiteral("status pic position"), &position), 0);
    QCOMPARE(position, QStringLiteral("300"));
    QCOMPARE(send(QStringLiteral("close pic")), 0);
}

void TestMciPicture::mainWindowCountsFromBelowItsMenu() {
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("檔案"));
    auto* central = new QWidget;
    QPalette palette = central->palette();
    palette.setColor(QPalette::Window, kBackground);
    central->setPalette(palette);
    central->setAutoFillBackground(true);
    window.setCentralWidget(central);
    window.resize(480, 360);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, 5000));
    const QString open =
        QStringLiteral("open \"%1\" type mpegvideo alias pic parent %2 style child")
            .arg(testsupport::media(QStringLiteral("h264.flv")))
            .arg(window.winId());
    QCOMPARE(send(open), 0);
    QCOMPARE(send(QStringLiteral("put pic window at 0 0 160 120")), 0);
    QString size;
    QCOMPARE(send(QStringLiteral("where pic destination max"), &size), 0);
    QCOMPARE(size, QStringLiteral("0 0 %1 %2").arg(central->width()).arg(central->height()));
    auto* picture = central->findChild<QWidget*>(QStringLiteral("mciVideo"));
    QVERIFY(picture != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(picture->isVisible(), 5000);
    QCOMPARE(picture->geometry(), QRect(0, 0, 160, 120));
    // Below the menu bar, not under it.
    QVERIFY(picture->mapTo(&window, QPoint(0, 0)).y() >= window.menuBar()->height());
}

QTEST_MAIN(TestMciPicture)
#include "tst_mcipicture.moc"
