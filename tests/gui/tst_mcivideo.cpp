// The video widget where no OpenGL can be had (the offscreen platform): sessions opened
// with a window still play, place their picture and close, without a picture.
#include "TestSupport.h"
#include "playback/MciErrors.h"
#include "playback/MciInterpreter.h"
#include "playback/VideoWidgetProvider.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <clocale>
#include <memory>

class TestMciVideo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        std::setlocale(LC_NUMERIC, "C");
        MciInterpreter::instance().setAudioOutput(QStringLiteral("null"));
        VideoWidgetProvider::install();
    }
    void cleanup() { mciSendString(QStringLiteral("close all"), nullptr); }

    void sessions_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("window");     // invalid: a window id that does not exist
        QTest::addColumn<bool>("windowGoes");  // after the picture was first placed in it
        QTest::addColumn<QString>("destination");
        QTest::newRow("in a window") << "h264.flv" << QSize(500, 400) << false << "0 0 500 400";
        QTest::newRow("the window goes first")
            << "clip.mp4" << QSize(300, 200) << true << "0 0 640 480";
        QTest::newRow("unknown window") << "clip.avi" << QSize() << false << "0 0 640 480";
    }
    void sessions() {
        QFETCH(QString, file);
        QFETCH(QSize, window);
        QFETCH(bool, windowGoes);
        QFETCH(QString, destination);
        // The reply to a command, or "error N" when it fails.
        const auto mci = [](const QString& command) {
            QString reply;
            const int error = mciSendString(command, &reply);
            return error == 0 ? reply : QStringLiteral("error %1").arg(error);
        };
        std::unique_ptr<QWidget> parent;
        if (window.isValid()) {
            parent = std::make_unique<QWidget>();
            parent->resize(window);
            parent->show();
        }
        QCOMPARE(mci(QStringLiteral("open \"%1\" type mpegvideo alias v parent %2 style child")
                         .arg(testsupport::media(file))
                         .arg(parent ? parent->winId() : WId(987654321))),
                 QString());
        QCOMPARE(mci(QStringLiteral("put v window at 10 10 320 240")), QString());
        if (windowGoes) {
            parent.reset();
        }
        // The device still answers, plays and closes, without a picture.
        QCOMPARE(mci(QStringLiteral("put v window at 0 0 100 100")), QString());
        QCOMPARE(mci(QStringLiteral("where v destination max")), destination);
        QCOMPARE(mci(QStringLiteral("set v time format frames")), QString());
        QCOMPARE(mci(QStringLiteral("seek v to 77")), QString());
        QCOMPARE(mci(QStringLiteral("status v position")), QStringLiteral("77"));
        QCOMPARE(mci(QStringLiteral("play v")), QString());
        QVERIFY(testsupport::waitUntil(
            [&] { return mci(QStringLiteral("status v position")).toInt() > 80; }));
        QCOMPARE(mci(QStringLiteral("status v mode")), QStringLiteral("playing"));
        QCOMPARE(mci(QStringLiteral("close v")), QString());
        if (parent) {
            // No widget of the device is left behind in the window.
            QVERIFY(parent->findChildren<QWidget*>().isEmpty());
        }
    }
};

QTEST_MAIN(TestMciVideo)
#include "tst_mcivideo.moc"
