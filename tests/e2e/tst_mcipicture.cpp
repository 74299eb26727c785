// The picture of a media session inside a window of the program, as the user sees it on
// the screen: the test pattern where it was put, and nothing outside it.
#include "TestSupport.h"
#include "core/media/MciInterpreter.h"
#include "gui/video/VideoWidgetProvider.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <clocale>
#include <cmath>
#include <memory>

namespace {

const QColor kBackground(40, 70, 100);

// The reply to a command, or "<error N>".
QString ask(const QString& command) {
    return testsupport::mci(command);
}

// Opens a test file as the session "pic", its picture in the window.
QString openIn(const QWidget& window, const QString& file) {
    return ask(u8("open \"%1\" type mpegvideo alias pic parent %2 style child")
                   .arg(testsupport::media(file))
                   .arg(window.winId()));
}

QString putAt(const QRect& r) {
    return ask(
        u8("put pic window at %1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
}

// Paints a widget in the background colour, as the player's picture area is.
void paintBackground(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, kBackground);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
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

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        std::setlocale(LC_NUMERIC, "C");
        MciInterpreter::instance().setAudioOutput(u8("null"));
        VideoWidgetProvider::install();
        QVERIFY(m_dir.isValid());
    }
    void cleanup() { ask(u8("close all")); }

    void pictureWhereItWasPut_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QRect>("picture");
        QTest::addColumn<int>("frame");
        QTest::newRow("h264.flv centred") << "h264.flv" << QRect(40, 30, 320, 240) << 0;
        QTest::newRow("clip.mpg corner") << "clip.mpg" << QRect(0, 0, 240, 180) << 0;
        QTest::newRow("h263.flv after a seek") << "h263.flv" << QRect(100, 60, 288, 216) << 137;
    }
    void pictureWhereItWasPut() {
        QFETCH(QString, file);
        QFETCH(QRect, picture);
        QFETCH(int, frame);
        // The frame as ffmpeg decodes it, at the size it is shown.
        const QImage expected = testsupport::decodedFrame(
            testsupport::media(file), frame, m_dir.filePath(u8("frame.png")), picture.size());
        QVERIFY(!expected.isNull());

        QWidget window;
        paintBackground(window);
        window.resize(480, 320);
        window.show();
        QVERIFY(testsupport::waitExposed(&window));
        QCOMPARE(openIn(window, file), QString());
        QCOMPARE(ask(u8("set pic time format frames")), QString());
        QCOMPARE(putAt(picture), QString());
        if (frame > 0) {
            QCOMPARE(ask(u8("seek pic to %1").arg(frame)), QString());
        }
        QCOMPARE(ask(u8("where pic destination max")), u8("0 0 480 320"));

        // The picture appears within a moment; put somewhere else, it moves there.
        QImage shown;
        double match = 0.0;
        const auto showsAt = [&](const QRect& where) {
            shown = screenOf(window);
            match = testsupport::matchingBlocks(shown, where, expected);
            return match > 0.97;
        };
        QVERIFY2(testsupport::waitUntil([&] { return showsAt(picture); }, 8000),
                 qPrintable(u8("%1 of the blocks match").arg(match)));
        QCOMPARE(strayPixels(shown, picture), 0);
        const QRect moved = picture.translated(30, 20);
        QCOMPARE(putAt(moved), QString());
        QVERIFY2(testsupport::waitUntil([&] { return showsAt(moved); }, 5000),
                 qPrintable(u8("%1 of the blocks match").arg(match)));
        QCOMPARE(strayPixels(shown, moved), 0);

        // Closing the device takes the picture away.
        QCOMPARE(ask(u8("close pic")), QString());
        QVERIFY(testsupport::waitUntil([&] { return strayPixels(screenOf(window), QRect()) == 0; },
                                       5000));
    }

    // The window goes while the device plays: it plays on without its picture, and closes.
    void windowClosedBeforeTheDevice() {
        auto window = std::make_unique<QWidget>();
        window->resize(400, 300);
        window->show();
        QVERIFY(testsupport::waitExposed(window.get()));
        QCOMPARE(openIn(*window, u8("clip.mp4")), QString());
        QCOMPARE(ask(u8("set pic time format frames")), QString());
        QCOMPARE(putAt(QRect(0, 0, 320, 240)), QString());
        QCOMPARE(ask(u8("play pic")), QString());
        const auto position = [] { return ask(u8("status pic position")).toInt(); };
        QVERIFY(testsupport::waitUntil([&] { return position() > 5; }));
        window.reset();
        const int at = position();
        QVERIFY(testsupport::waitUntil([&] { return position() > at + 5; }));
        QCOMPARE(ask(u8("status pic mode")), u8("playing"));
        QCOMPARE(ask(u8("seek pic to 300")), QString());
        QCOMPARE(ask(u8("status pic position")), u8("300"));
        QCOMPARE(ask(u8("close pic")), QString());
    }

    // In a main window the picture area is the part below the menu bar.
    void mainWindowCountsFromBelowItsMenu() {
        QMainWindow window;
        window.menuBar()->addMenu(u8("檔案"));
        auto* central = new QWidget;
        paintBackground(*central);
        window.setCentralWidget(central);
        window.resize(480, 360);
        window.show();
        QVERIFY(testsupport::waitExposed(&window));
        QCOMPARE(openIn(window, u8("h264.flv")), QString());
        QCOMPARE(putAt(QRect(0, 0, 160, 120)), QString());
        QCOMPARE(ask(u8("where pic destination max")),
                 u8("0 0 %1 %2").arg(central->width()).arg(central->height()));
        auto* picture = central->findChild<QWidget*>(u8("mciVideo"));
        QVERIFY(picture != nullptr);
        QVERIFY(testsupport::waitUntil([picture] { return picture->isVisible(); }));
        QCOMPARE(picture->geometry(), QRect(0, 0, 160, 120));
        QVERIFY(picture->mapTo(&window, QPoint(0, 0)).y() >= window.menuBar()->height());
    }
};

QTEST_MAIN(TestMciPicture)
#include "tst_mcipicture.moc"
