// Frame capture on an X display: Home copies the paused picture, exactly as the screen
// shows it, into the capture window, which saves it as a BMP file; where the user leaves
// that window is kept in twips; the hidden capture session comes with the first video.
#include "../gui/PlayerTestKit.h"
#include "core/files/CommDialog.h"
#include "gui/busy/BusySession.h"
#include "gui/player/MainMenus.h"
#include "gui/player/frmCap.h"
#include "gui/video/VideoWidgetProvider.h"

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QMenuBar>

namespace {

const QString kSampleClip = u8("~tmpExtFlv.wmv");
// Mean difference below which a picture shows ffmpeg's frame: the player's colour
// conversion differs by about 1.4, the neighbouring frame by about 2.7.
constexpr double kSameFrame = 2.0;

frmCap* captureWindow() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* cap = qobject_cast<frmCap*>(window)) {
            return cap;
        }
    }
    return nullptr;
}

// What the screen shows of the player's picture area; on Wayland, where no program reads the
// screen, what the window draws there.
QImage screenArea(frmMain& w) {
    const QRect area(w.parts().video.mapTo(&w, QPoint(1, 1)),
                     QSize(w.state().availWidth, w.state().availHeight));
    QImage shot = w.screen()
                      ->grabWindow(w.winId(), area.x(), area.y(), area.width(), area.height())
                      .toImage();
    if (shot.isNull() && QGuiApplication::platformName() == QLatin1String("wayland")) {
        shot = w.grab(area).toImage();
    }
    return shot.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class tst_CaptureE2e : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { VideoWidgetProvider::install(); }
    void init() {
        // Beside the player window, so neither covers the other.
        capLeft = 700 * twipsPerPixelX;
        capTop = 20 * twipsPerPixelY;
    }
    void capturePausedFrameAndSave();
    void positionKeptInTwips();
    void noPictureAndTheCaptureSession();
};

void tst_CaptureE2e::capturePausedFrameAndSave() {
    ScriptedDialogs dialogs;
    PlayerFixture f;
    const QString media = testsupport::media(u8("h264.flv"));
    const QImage expected = testsupport::decodedFrame(media, 100, f.temp.filePath(u8("100.png")));
    QVERIFY(!expected.isNull());
    f.playPaused(u8("h264.flv"), 100);
    f.w->move(0, 0);
    f.w->sizing().ensureMinSize(false, 642, 480);
    QVERIFY(testsupport::waitExposed(f.w.get()));
    QTRY_COMPARE_WITH_TIMEOUT(QSize(f.w->state().availWidth, f.w->state().availHeight),
                              QSize(640, 480), 5000);
    // The paused frame reaches the screen within a moment.
    QVERIFY(testsupport::waitUntil(
        [&] { return testsupport::meanDifference(screenArea(*f.w), expected) < kSameFrame; },
        10000));

    QVERIFY(f.w->Form_KeyDown(Qt::Key_Home, Qt::NoModifier));
    frmCap* cap = captureWindow();
    QVERIFY(cap != nullptr);
    QVERIFY(testsupport::waitExposed(cap));
    QCOMPARE(cap->windowTitle(), u8(" Zelvo.FLV 擷取到的畫面"));
    QCOMPARE(cap->mnuSaveCap->text(), u8("另存畫面"));
    QCOMPARE(cap->mnuSaveCap->data().toString(), u8("h264_pic.bmp"));
    // The inner area below the menu bar is the picture, nothing more.
    const int bar = cap->menuBar()->height();
    QCOMPARE(cap->picShow->geometry(), QRect(0, bar, 640, 480));
    QCOMPARE(cap->size(), QSize(640, bar + 480));
    QCOMPARE(cap->picture().size(), QSize(640, 480));
    QVERIFY(testsupport::meanDifference(cap->picture(), screenArea(*f.w)) < 1.0);
    QVERIFY(testsupport::meanDifference(cap->picture(), expected) < kSameFrame);

    // Saved: the same picture as a BMP file, then the question whether to go and see it.
    const QString saved = f.temp.filePath(u8("shot.bmp"));
    dialogs.answerFile({saved});
    dialogs.answerMessage(MsgResult::Cancel);
    cap->mnuSaveCap->trigger();
    QCOMPARE(dialogs.fileDialogs().size(), 1);
    const FileDialogRequest asked = dialogs.fileDialogs().constFirst();
    QVERIFY(asked.kind == FileDialogRequest::Kind::Save && asked.filterIndex == 0);
    QCOMPARE(asked.owner, cap);
    QCOMPARE(QStringList({asked.fileName, asked.defaultExt, asked.initDir}) + asked.filters,
             QStringList({u8("h264_pic.bmp"), u8(".bmp"), QFileInfo(media).absolutePath() + u'/',
                          u8("BMP 圖檔格式 (*.bmp)")}));
    QCOMPARE(dialogs.messageTexts(), QStringList{BusySession::doneText(false, 0.0f)});
    QCOMPARE(QImageReader(saved).format(), QByteArray("bmp"));
    QCOMPARE(QImage(saved).convertToFormat(QImage::Format_RGB32), cap->picture());

    // Cancel writes nothing; a folder that does not exist gives the error.
    const QStringList before = QDir(f.temp.path()).entryList(QDir::Files);
    dialogs.clear();
    dialogs.cancelFile();
    dialogs.answerFile({f.temp.filePath(u8("gone/shot.bmp"))});
    dialogs.answerMessage(MsgResult::Ok);
    cap->mnuSaveCap->trigger();
    cap->mnuSaveCap->trigger();
    QCOMPARE(QDir(f.temp.path()).entryList(QDir::Files), before);
    QCOMPARE(dialogs.messageTexts(), QStringList{u8("出現錯誤，無法成功儲存檔案！")});
    QCOMPARE(dialogs.lastMessage().title, u8("錯誤訊息"));

    // Another frame, another Home: the same window shows the new picture.
    {
        const PlayerParts::MciBusy seeking(f.w->parts());
        f.w->session().setCurFrame(300, false);
    }
    const QImage later = testsupport::decodedFrame(media, 300, f.temp.filePath(u8("300.png")));
    QVERIFY(testsupport::waitUntil(
        [&] { return testsupport::meanDifference(screenArea(*f.w), later) < kSameFrame; }, 10000));
    f.w->Form_KeyDown(Qt::Key_Home, Qt::NoModifier);
    QCOMPARE(captureWindow(), cap);
    QVERIFY(testsupport::meanDifference(cap->picture(), later) < kSameFrame);
    QCOMPARE(dialogs.unexpected(), 0);
}

void tst_CaptureE2e::positionKeptInTwips() {
    {
        PlayerFixture f;
        f.playPaused(u8("h264.flv"), 10);
        f.w->Form_KeyDown(Qt::Key_Home, Qt::NoModifier);
        frmCap* cap = captureWindow();
        QVERIFY(cap != nullptr);
        QCOMPARE(cap->pos(), QPoint(700, 20));
        // The user moves it and closes it: it is only hidden, its place is kept.
        cap->move(123, 77);
        QTRY_COMPARE_WITH_TIMEOUT(cap->pos(), QPoint(123, 77), 5000);
        cap->close();
        QCOMPARE(QPoint(capLeft, capTop), QPoint(123 * 15, 77 * 15));
        QVERIFY(!cap->isVisible());
        f.w->Form_KeyDown(Qt::Key_Home, Qt::NoModifier);
        QCOMPARE(captureWindow(), cap);
        cap->move(200, 90);
        QTRY_COMPARE_WITH_TIMEOUT(cap->pos(), QPoint(200, 90), 5000);
        // The player's unload handler unloads it and keeps where it was.
        f.w->close();
        QCOMPARE(QPoint(capLeft, capTop), QPoint(200 * 15, 90 * 15));
        QCOMPARE(captureWindow(), nullptr);
    }
    PlayerFixture f;
    f.playPaused(u8("h264.flv"), 10);
    f.w->Form_KeyDown(Qt::Key_Home, Qt::NoModifier);
    QVERIFY(captureWindow() != nullptr);
    QCOMPARE(captureWindow()->pos(), QPoint(200, 90));
}

void tst_CaptureE2e::noPictureAndTheCaptureSession() {
    PlayerFixture f;
    f.load();
    const QString sample = QDir(f.temp.path()).filePath(kSampleClip);
    const auto captureSession = [] {
        QString mode;
        const int error = mciSendString(u8("status Zelvo.FLV_forCapture mode"), &mode);
        return error == 0 ? mode : u8("closed");
    };
    const auto homeDoesNothing = [&] {
        QVERIFY(!f.w->menus().mnuSaveCap->isEnabled());
        QVERIFY(f.w->Form_KeyDown(Qt::Key_Home, Qt::NoModifier));
        QCOMPARE(captureWindow(), nullptr);
    };
    homeDoesNothing();

    // Sound only: no picture to capture, no capture session.
    f.w->playSingle(testsupport::media(u8("clip.mp3")), false);
    QVERIFY(f.waitStatus(u8("正在播放")));
    homeDoesNothing();
    QVERIFY(!f.w->captureBox().property("Tag").isValid());
    QVERIFY(!QFile::exists(sample));
    QCOMPARE(captureSession(), u8("closed"));

    // The first video sets it up once: the sample clip, opened and never shown or played.
    f.w->playSingle(testsupport::media(u8("h264.flv")), false);
    QVERIFY(f.waitStatus(u8("正在播放")));
    QCOMPARE(f.w->captureBox().property("Tag").toString(), u8("on"));
    QVERIFY(QFileInfo(sample).size() > 0);
    QCOMPARE(captureSession(), u8("stopped"));
    QVERIFY(!f.w->captureBox().isVisible());
    const auto* picture = f.w->captureBox().findChild<QWidget*>(u8("mciVideo"));
    QVERIFY(picture != nullptr && !picture->isVisible());
    // The player's own widgets still draw into its one window.
    QVERIFY(!f.w->centralWidget()->testAttribute(Qt::WA_NativeWindow));
    QVERIFY(!f.w->menuBar()->testAttribute(Qt::WA_NativeWindow));

    // The player's unload handler closes it and deletes the clip.
    f.w->close();
    QCOMPARE(captureSession(), u8("closed"));
    QVERIFY(!QFile::exists(sample));
}

QTEST_MAIN(tst_CaptureE2e)
#include "tst_capture_e2e.moc"
