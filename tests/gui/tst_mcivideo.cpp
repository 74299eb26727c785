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

    void playsInAWindowWithoutPicture() {
        QWidget window;
        window.resize(500, 400);
        window.show();
        const QString open =
            QStringLiteral("open \"%1\" type mpegvideo alias v parent %2 style child")
                .arg(testsupport::media(QStringLiteral("h264.flv")))
                .arg(window.winId());
        QCOMPARE(mciSendString(open, nullptr), 0);
        QCOMPARE(mciSendString(QStringLiteral("put v window at 10 10 320 240"), nullptr), 0);
        QString reply;
        QCOMPARE(mciSendString(QStringLiteral("where v destination max"), &reply), 0);
        QCOMPARE(reply, QStringLiteral("0 0 500 400"));
        QCOMPARE(mciSendString(QStringLiteral("set v time format frames"), nullptr), 0);
        QCOMPARE(mciSendString(QStringLiteral("seek v to 77"), nullptr), 0);
        QCOMPARE(mciSendString(QStringLiteral("status v position"), &reply), 0);
        QCOMPARE(reply, QStringLiteral("77"));
        QCOMPARE(mciSendString(QStringLiteral("play v"), nullptr), 0);
        QTest::qWait(200);
        QCOMPARE(mciSendString(QStringLiteral("status v mode"), &reply), 0);
        QCOMPARE(reply, QStringLiteral("playing"));
        QCOMPARE(mciSendString(QStringLiteral("close v"), nullptr), 0);
        // No widget of the device is left behind in the window.
        QVERIFY(window.findChildren<QWidget*>().isEmpty());
    }

    void windowGoesBeforeTheDevice() {
        auto window = std::make_unique<QWidget>();
        window->resize(300, 200);
        window->show();
        const QString open =
            QStringLiteral("open \"%1\" type mpegvideo alias v parent %2 style child")
                .arg(testsupport::media(QStringLiteral("clip.mp4")))
                .arg(window->winId());
        QCOMPARE(mciSendString(open, nullptr), 0);
        QCOMPARE(mciSendString(QStringLiteral("put v window at 0 0 300 200"), nullptr), 0);
        window.reset();
        // The device outlives its window and still answers.
        QString reply;
        QCOMPARE(mciSendString(QStringLiteral("put v window at 0 0 100 100"), nullptr), 0);
        QCOMPARE(mciSendString(QStringLiteral("where v destination max"), &reply), 0);
        QCOMPARE(reply, QStringLiteral("0 0 640 480"));
        QCOMPARE(mciSendString(QStringLiteral("close v"), nullptr), 0);
    }

    void unknownWindowPlaysWithoutPicture() {
        const QString open =
            QStringLiteral("open \"%1\" type mpegvideo alias v parent 987654321 style child")
                .arg(testsupport::media(QStringLiteral("clip.avi")));
        QCOMPARE(mciSendString(open, nullptr), 0);
        QCOMPARE(mciSendString(QStringLiteral("put v window at 0 0 100 100"), nullptr), 0);
        QCOMPARE(mciSendString(QStringLiteral("play v"), nullptr), 0);
        QString reply;
        QCOMPARE(mciSendString(QStringLiteral("status v mode"), &reply), 0);
        QCOMPARE(reply, QStringLiteral("playing"));
    }
};

QTEST_MAIN(TestMciVideo)
#include "tst_mcivideo.moc"
