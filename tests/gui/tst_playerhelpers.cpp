// The player window's helpers built from their parts alone, with a small stand-in for the
// window around them: the status tick's seek bar and volume slider (StatusTimer) with the
// range marks it stops (RangeMarks), on a real media session.
#include "PlayerTestKit.h"
#include "core/media/MCI.h"
#include "core/media/MainVol.h"
#include "core/player/MarksModel.h"
#include "core/player/PlayerState.h"
#include "gui/player/PlayerPanel.h"
#include "gui/player/PlayerParts.h"
#include "gui/player/RangeMarks.h"
#include "gui/player/StartScreen.h"
#include "gui/player/StatusTimer.h"
#include "gui/widgets/ZelvoButton.h"

#include <QMainWindow>
#include <QTimer>

namespace {

// The window as the helpers see it: it records what they ask of it.
class FakeShell : public PlayerShell {
public:
    FakeMixerState mixer;
    MainVol volume{std::make_unique<FakeMixer>(&mixer)};
    QStringList statuses;

    void setStatusText(const QString& text, qint32) override { statuses << text; }
    void returnFocus(bool) override {}
    void setupCaptureSession(const QString&) override {}
    void openCodecHelp() override {}
    MainVol& mainVolume() override { return volume; }
    void announcePlayStarted(const QString&, const QString&) override {}
    void announcePicturePlaced(const QRect&) override {}
};

// The parts a helper is given, without a player window.
struct Parts {
    PlayerState state;
    MarksModel marks{state};
    MCI session;
    QMainWindow window;
    QWidget* video = new QWidget(&window);
    PlayerPanel* panel = new PlayerPanel(&window);
    StartScreen* note = new StartScreen(&window);
    QTimer tick;
    FakeShell shell;
    PlayerParts parts{state, marks, session, window, *video, *panel, *note, tick, shell};

    Parts() { window.resize(420, 300); }
    ~Parts() {
        if (!session.FileName().isEmpty()) {
            session.closeMCI(QString());
        }
    }
};

QPoint along(const QWidget* box, double part) {
    return QPoint(static_cast<int>(box->width() * part), box->height() / 2);
}

}  // namespace

class TstPlayerHelpers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A click on the volume track sets the master volume by where it falls; dragging the
    // knob past the track's end gives the top of the mixer's range; the sound button
    // mutes.
    void volumeSlider_data() {
        QTest::addColumn<double>("click");
        QTest::addColumn<int>("volume");
        QTest::newRow("three quarters") << 0.75 << 75;
        QTest::newRow("start") << 0.0 << 0;
        QTest::newRow("middle") << 0.5 << 50;
    }
    void volumeSlider() {
        QFETCH(double, click);
        QFETCH(int, volume);
        Parts p;
        p.shell.mixer.volume = 33;
        StatusTimer status(p.parts);
        p.parts.status = &status;
        QWidget* track = p.panel->picVolSdr;
        QTest::mouseClick(track, Qt::LeftButton, Qt::NoModifier, along(track, click));
        QCOMPARE(p.shell.mixer.volume, volume);
        // The knob's centre sits where the volume is along the track.
        const QWidget* knob = p.panel->picVolPos;
        const int centre = knob->x() + PlayerPanel::kKnobWidth / 2;
        QVERIFY2(std::abs(centre - (track->x() + track->width() * volume / 100)) <= 1,
                 qPrintable(QString::number(centre)));

        QMouseEvent drag(QEvent::MouseMove, QPointF(track->width() * 2.0, 1), QPointF(),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(p.panel->picVolPos, &drag);
        QCOMPARE(p.shell.mixer.volume, 100);

        p.panel->mbSound->setState(ZelvoButton::Down);
        Q_EMIT p.panel->mbSound->Click();
        QCOMPARE(p.shell.mixer.mute, 1);
    }

    // A click on the seek bar moves the real session to the frame under it while the status
    // tick runs, places the thumb there, and the next tick says what plays.
    void seekBarClick() {
        Parts p;
        StatusTimer status(p.parts);
        RangeMarks marks(p.parts);
        p.parts.status = &status;
        p.parts.rangeMarks = &marks;
        p.session.openMCI(testsupport::media(u8("h264.flv")), 0, u8("helpers"));
        QVERIFY(p.session.isSuccess());
        const qint32 frames = p.session.getTotalFrames();
        QVERIFY(frames > 100);
        QWidget* bar = p.panel->picHsb;
        p.state.totalFrames = frames;
        p.state.twipsPerFrame = static_cast<float>(bar->width()) / static_cast<float>(frames);
        p.state.playerState = 4;  // paused: the click does not start playback

        // Without the status tick the bar is not live.
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, along(bar, 0.5));
        QCOMPARE(p.session.getCurFrame(), 0);

        p.tick.start(60'000);
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, along(bar, 0.5));
        const auto expected =
            static_cast<qint32>(std::lround(along(bar, 0.5).x() / double(p.state.twipsPerFrame)));
        QTRY_COMPARE_WITH_TIMEOUT(p.session.getCurFrame(), expected, 5000);
        const QWidget* thumb = p.panel->picHsb2;
        QVERIFY(std::abs(thumb->x() + PlayerPanel::kThumbWidth / 2 -
                         (bar->x() + along(bar, 0.5).x())) <= 1);
        status.tick();
        QVERIFY(!p.shell.statuses.isEmpty());
        QCOMPARE(
            p.shell.statuses.last(),
            u8("暫停播放，進度 %1 ％，播速 100 ％").arg(std::lround(100.0 * expected / frames)));
    }
};

QTEST_MAIN(TstPlayerHelpers)
#include "tst_playerhelpers.moc"
