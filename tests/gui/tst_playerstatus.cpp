// The status timer on real media: the status text and current time as they advance,
// the end of a file, seeking on the bar (a click at once, a drag on release), and the
// master-volume slider with its mute button.
#include "PlayerTestKit.h"
#include "player/MainMenus.h"
#include "widgets/ZelvoButton.h"

#include <QAction>
#include <QRegularExpression>
#include <QSignalSpy>

#include <algorithm>
#include <cmath>

namespace {

// A mouse event delivered to a widget at a position of its own (QTest's mouse helpers
// do not move with the button held on the offscreen platform).
void mouse(QWidget* w, QEvent::Type type, double x, Qt::MouseButtons buttons) {
    const QPointF at(x, w->height() / 2.0);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

}  // namespace

class tst_PlayerStatus : public PlayerTest {
    Q_OBJECT

    void playPaused(qint32 frame) { m_f->playPaused(QStringLiteral("h264.flv"), frame); }

private Q_SLOTS:
    void init() { openPlayer(); }
    void cleanup() { closePlayer(); }

    void statusAdvancesAndEnds_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("speedItem");
        QTest::addColumn<QString>("total");
        QTest::newRow("h264.flv at normal speed") << "h264.flv" << 4 << "00:30";
        QTest::newRow("clip.mpg at 200 %") << "clip.mpg" << 8 << "00:29";
        QTest::newRow("clip.mp3 at 50 %") << "clip.mp3" << 2 << "00:30";
    }
    void statusAdvancesAndEnds() {
        QFETCH(QString, file);
        QFETCH(int, speedItem);
        QFETCH(QString, total);
        m_f->load();
        frmMain& w = win();
        w.playSingle(testsupport::media(file), false);
        QCOMPARE(m_f->status(), QStringLiteral("正在播放，進度 0 ％，播速 100 ％"));
        w.speedSteps().mnuSpeed_Click(speedItem);
        const long speed = std::lround(w.state().speed / 10.0);
        QSignalSpy shown(&w, &frmMain::statusChanged);
        {
            // Half-way: 50 %, 00:15. No tick may report the way there.
            const frmMain::MciBusy seeking(w);
            w.mciMain.setCurFrame(w.state().totalFrames / 2, true);
        }
        QVERIFY(testsupport::waitUntil([&] { return shown.count() >= 4; }, 4000));

        const QRegularExpression text(QStringLiteral("^正在播放，進度 (\\d+) ％，播速 (\\d+) ％$"));
        int last = -1;
        for (const QList<QVariant>& change : std::as_const(shown)) {
            const QRegularExpressionMatch m = text.match(change.at(0).toString());
            QVERIFY2(m.hasMatch(), qPrintable(change.at(0).toString()));
            QCOMPARE(m.captured(2).toLong(), speed);
            const int percent = m.captured(1).toInt();
            QVERIFY(percent >= last && percent >= 49 && percent <= 65);
            last = percent;
            const int frame = change.at(2).toInt();
            // The percentage is where the thumb stands: the frame's share within a pixel.
            QVERIFY(std::abs(percent - 100.0 * frame / w.state().totalFrames) <= 1.5);
            QVERIFY(change.at(1).toString().startsWith(QStringLiteral("00:1")));
        }
        QVERIFY(shown.constLast().at(2).toInt() > shown.constFirst().at(2).toInt());
        QCOMPARE(w.picPlusBk->lblTtTime->text(), total);

        m_f->nearEnd();
        QVERIFY(m_f->waitStatus(QStringLiteral("結束播放"), 4000));
        QCOMPARE(w.state().playerState, 5);
        QVERIFY(!w.checkTimer().isActive());
        QCOMPARE(w.picPlusBk->lblCurTime->text(), QStringLiteral("00:00"));
    }

    void pausedEndIsNotDetected() {
        playPaused(-1);  // the device itself may report the end: the player is paused
        QVERIFY(m_f->waitTicks(3));
        QVERIFY(m_f->status().startsWith(QStringLiteral("暫停播放，進度 100 ％")));
        QCOMPARE(win().state().playerState, 4);
        QVERIFY(win().checkTimer().isActive());
    }

    void seekBar_data() {
        QTest::addColumn<bool>("drag");    // the thumb dragged, else a click on the bar
        QTest::addColumn<bool>("paused");  // a click while paused, else while playing
        QTest::addColumn<double>("to");    // share of the bar's width; a drag may end outside
        QTest::addColumn<double>("lands");
        QTest::newRow("click, paused, a quarter") << false << true << 0.25 << 0.25;
        QTest::newRow("click, paused, left end") << false << true << 0.0 << 0.0;
        QTest::newRow("click, playing, three quarters") << false << false << 0.75 << 0.75;
        QTest::newRow("drag to the middle") << true << true << 0.5 << 0.5;
        QTest::newRow("drag beyond the left end") << true << true << -0.3 << 0.0;
        QTest::newRow("drag beyond the right end") << true << true << 1.4 << 1.0;
    }
    // A click seeks at once, a drag only when released; the thumb stands where it went.
    void seekBar() {
        QFETCH(bool, drag);
        QFETCH(bool, paused);
        QFETCH(double, to);
        QFETCH(double, lands);
        const qint32 start = drag ? 200 : 100;
        playPaused(start);
        frmMain& w = win();
        if (!paused) {
            w.playback().mbPlay_Click();
        }
        QWidget* bar = w.picPlusBk->picHsb;
        QWidget* thumb = w.picPlusBk->picHsb2;
        const double grip = thumb->width() / 2.0;
        const double end = bar->x() + (drag ? lands * bar->width() : std::floor(to * bar->width()));
        const double target = bar->x() + to * bar->width();
        if (drag) {
            mouse(thumb, QEvent::MouseButtonPress, grip, Qt::LeftButton);
            // Move in steps, the pointer staying on the thumb's grip point.
            for (int step = 1; step <= 4; ++step) {
                const double pointer = thumb->x() + grip;
                const double next = pointer + (target - pointer) / (5 - step);
                mouse(thumb, QEvent::MouseMove, next - thumb->x(), Qt::LeftButton);
                QCOMPARE(w.mciMain.getCurFrame(), start);  // nothing moves while dragging
            }
            QVERIFY(std::abs(thumb->x() + grip - end) <= 1.0);
            mouse(thumb, QEvent::MouseButtonRelease, target - thumb->x(), Qt::NoButton);
        } else {
            mouse(bar, QEvent::MouseButtonPress, end - bar->x(), Qt::LeftButton);
            mouse(bar, QEvent::MouseButtonRelease, end - bar->x(), Qt::NoButton);
        }
        const auto frame =
            std::min(static_cast<qint32>(std::lround((std::round(end) - bar->x()) /
                                                     double(w.state().twipsPerFrame))),
                     w.state().totalFrames);
        const qint32 now = w.mciMain.getCurFrame();
        // One pixel of the bar is about two frames; playing, it has gone on a little.
        QVERIFY2(
            paused ? std::abs(now - frame) <= (drag ? 2 : 0) : now >= frame && now < frame + 15,
            qPrintable(QStringLiteral("at %1, expected %2").arg(now).arg(frame)));
        QCOMPARE(w.mciMain.getStatus(),
                 paused ? QStringLiteral("paused") : QStringLiteral("playing"));
        QCOMPARE(w.state().playerState, paused ? 4 : 1);
        QVERIFY(std::abs(thumb->x() + grip - end) <= 1.0);
    }

    void volumeSlider_data() {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<double>("click");  // share of the track
        QTest::addColumn<int>("volume");
        QTest::newRow("0..100, middle") << 0 << 100 << 0.5 << 50;
        QTest::newRow("0..65536, three quarters") << 0 << 65536 << 0.75 << 49152;
        // The left end is volume 0, which the mixer raises to its minimum.
        QTest::newRow("-30..30, left end") << -30 << 30 << 0.0 << 0;
        QTest::newRow("20..80, left end") << 20 << 80 << 0.0 << 20;
    }
    void volumeSlider() {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(double, click);
        QFETCH(int, volume);
        m_f->mixer.minimum = minimum;
        m_f->mixer.maximum = maximum;
        m_f->mixer.volume = minimum;
        m_f->mixer.mute = 1;
        m_f->load();
        PlayerPanel* p = win().picPlusBk;
        QCOMPARE(p->mbSound->State(), int(ZelvoButton::Down));  // muted at start

        QWidget* track = p->picVolSdr;
        mouse(track, QEvent::MouseButtonPress, click * track->width(), Qt::LeftButton);
        QCOMPARE(m_f->mixer.volume, volume);
        const double knobCentre = p->picVolPos->x() + p->picVolPos->width() / 2.0;
        const double expectedCentre =
            track->x() + double(volume) * track->width() / (maximum - minimum);
        QVERIFY(std::abs(knobCentre - expectedCentre) <= 1.0);

        // The track's scale starts at 0: its right end is maximum - minimum, kept within the
        // bounds by the mixer.
        mouse(p->picVolPos, QEvent::MouseMove, track->x() + track->width() - p->picVolPos->x(),
              Qt::LeftButton);
        const double perPixel = double(maximum - minimum) / track->width();
        QVERIFY(std::abs(m_f->mixer.volume - std::clamp(maximum - minimum, minimum, maximum)) <=
                perPixel + 1);

        QTest::mouseClick(p->mbSound, Qt::LeftButton);
        QCOMPARE(m_f->mixer.mute, 0);
        QTest::mouseClick(p->mbSound, Qt::LeftButton);
        QCOMPARE(m_f->mixer.mute, 1);
    }
};

QTEST_MAIN(tst_PlayerStatus)
#include "tst_playerstatus.moc"
