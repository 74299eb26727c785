// The picture and the panel below it on real media: sizes, layout and size options; speeds,
// steps and the step-amount box; the status text as it advances and ends; the seek bar; the
// master-volume slider and its mute button.
#include "PlayerTestKit.h"
#include "gui/player/MainMenus.h"
#include "gui/widgets/ZelvoButton.h"

#include <QAction>
#include <QMenu>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

const QString kCancel = u8("<cancel>");

int checkedSpeed(const frmMain& w) {
    for (int i = 0; i < 11; ++i) {
        if (i != 9 && w.menus().mnuSpeed[i]->isChecked()) {
            return i;
        }
    }
    return -1;
}

// Scripts the answer to the next input box (none, a text or kCancel), then to the range
// message if one is due.
void script(ScriptedDialogs& dialogs, const QString& typed, bool rangeMessage) {
    if (typed == kCancel) {
        dialogs.cancelInput();
    } else if (!typed.isEmpty()) {
        dialogs.answerInput(typed);
    }
    if (rangeMessage) {
        dialogs.answerMessage(MsgResult::Ok);
    }
}

// A mouse event delivered to a widget at a position of its own (QTest's mouse helpers
// do not move with the button held on the offscreen platform).
void mouse(QWidget* w, QEvent::Type type, double x, Qt::MouseButtons buttons) {
    const QPointF at(x, w->height() / 2.0);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// A step: the step mode and its amount, the key, whether it plays first, the frame it starts
// paused on, where it lands (-1: the last frame) and the player's state then.
struct Step {
    int mode, amount, key;
    bool playing;
    int from, to, state;
};

}  // namespace

class tst_PlayerPanel : public PlayerTest {
    Q_OBJECT

    void playPaused(qint32 frame) { m_f->playPaused(u8("h264.flv"), frame); }

private Q_SLOTS:
    // The volume slider's rows give the mixer its range before the window loads.
    void init() { openPlayer(qstrcmp(QTest::currentTestFunction(), "volumeSlider") != 0); }
    void cleanup() { closePlayer(); }

    void mediaNewSize_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("fitted");
        QTest::newRow("wide area: fit the height")
            << QSize(640, 480) << QSize(1000, 500) << QSize(667, 500);
        QTest::newRow("tall area: fit the width")
            << QSize(640, 480) << QSize(1000, 900) << QSize(1000, 750);
        QTest::newRow("no picture: 320 x 10") << QSize(0, 0) << QSize(1000, 500) << QSize(1000, 31);
        QTest::newRow("3gp into a small area")
            << QSize(352, 288) << QSize(300, 400) << QSize(300, 245);
        QTest::newRow("portrait picture") << QSize(480, 640) << QSize(400, 300) << QSize(225, 300);
    }
    void mediaNewSize() {
        QFETCH(QSize, picture);
        QFETCH(QSize, area);
        QFETCH(QSize, fitted);
        qint32 w = picture.width();
        qint32 h = picture.height();
        VideoSizing::getMediaNewSize(area.width(), area.height(), w, h);
        QCOMPARE(QSize(w, h), fitted);
    }

    // The total time label and the current time's zero, by the length of the media.
    void timeTexts_data() {
        QTest::addColumn<float>("seconds");
        QTest::addColumn<QString>("texts");
        QTest::newRow("75.4 s") << 75.4f << u8("01:15 00:00");
        QTest::newRow("just under an hour") << 3599.99f << u8("59:59 00:00");
        QTest::newRow("2 hours") << 7200.0f << u8("02:00:00 00:00:00");
        QTest::newRow("unknown length") << 0.0f << u8("00:00 00:00");
    }
    void timeTexts() {
        QFETCH(float, seconds);
        QFETCH(QString, texts);
        QString total, zero;
        int mode = 0;
        VideoSizing::timeTexts(seconds, &total, &mode, &zero);
        QCOMPARE(total + u' ' + zero, texts);
    }

    // The window asks for a picture area or is resized: the area it gets, the panel below
    // it, and the button bar, which drops the list buttons where the end mark would reach
    // the sound panel.
    void layout_data() {
        QTest::addColumn<QSize>("asked");   // picture area; invalid: the window as it is
        QTest::addColumn<QSize>("window");  // resized to first; invalid: not resized
        QTest::addColumn<QSize>("area");    // availWidth x availHeight; invalid: not checked
        QTest::addColumn<bool>("narrow");
        const QSize none;
        QTest::newRow("asked below the minimum") << QSize(100, 5) << none << QSize(318, 10) << true;
        QTest::newRow("asked size") << QSize(602, 300) << none << QSize(600, 300) << false;
        QTest::newRow("dragged too small") << none << QSize(50, 50) << QSize(318, 10) << true;
        QTest::newRow("366: the end mark reaches the sound panel")
            << none << QSize(366, 400) << none << true;
        QTest::newRow("367: just wide enough") << none << QSize(367, 400) << none << false;
        QTest::newRow("wide") << none << QSize(800, 400) << none << false;
    }
    void layout() {
        QFETCH(QSize, asked);
        QFETCH(QSize, window);
        QFETCH(QSize, area);
        QFETCH(bool, narrow);
        frmMain& w = win();
        PlayerPanel* p = &w.panel();
        if (window.isValid()) {
            w.resize(window);
        }
        w.sizing().ensureMinSize(false, asked.width(), asked.height());
        if (area.isValid()) {
            QTRY_COMPARE_WITH_TIMEOUT(QSize(w.state().availWidth, w.state().availHeight), area,
                                      3000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(p->width(), window.width(), 3000);
        }
        QVERIFY(w.width() >= 320);
        // The panel stands at the bottom, the picture area above it.
        QCOMPARE(p->y() + p->height(), w.centralWidget()->height());
        QCOMPARE(w.parts().video.height(), p->y());
        QCOMPARE(p->mbLastItem->isVisible(), !narrow);
        QCOMPARE(p->mbNextItem->isVisible(), !narrow);
        QCOMPARE(p->mbRngStart->x(), narrow ? 118 : 165);
        QCOMPARE(p->mbRngEnd->x(), narrow ? 175 : 222);
        // The sound panel keeps to the right end; nothing overlaps it.
        QCOMPARE(p->picSndBk->x() + p->picSndBk->width() + 4, p->picBnBk->width());
        QVERIFY(p->mbRngEnd->x() + p->mbRngEnd->width() <= p->picSndBk->x());
    }

    void pictureOptions_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("keepWH");
        QTest::addColumn<bool>("keepDef");
        QTest::addColumn<QRect>("picture");  // in the picture area; null: no picture
        QTest::newRow("keep proportions") << "h264.flv" << true << false << QRect(101, 1, 400, 300);
        QTest::newRow("stretched") << "h264.flv" << false << false << QRect(1, 1, 600, 300);
        QTest::newRow("own size, larger than the area")
            << "h264.flv" << true << true << QRect(-39, -179, 640, 480);
        QTest::newRow("3gp, own size") << "clip.3gp" << false << true << QRect(125, 7, 352, 288);
        QTest::newRow("sound only") << "clip.mp3" << true << false << QRect();
    }
    void pictureOptions() {
        QFETCH(QString, file);
        QFETCH(bool, keepWH);
        QFETCH(bool, keepDef);
        QFETCH(QRect, picture);
        frmMain& w = win();
        const MainMenus& m = w.menus();
        const QList<QAction*> pictureMenus{m.mnuSaveCap, m.mnuKeepWH, m.mnuKeepDef};
        const QList<QAction*> fileMenus{m.mnuExplorer, m.mnuSaveFile, m.mnuAddToList->menuAction()};
        for (QAction* menu : pictureMenus + fileMenus) {
            QVERIFY(!menu->isEnabled());  // nothing open yet
        }
        w.sizing().ensureMinSize(false, 602, 300);
        QTRY_COMPARE_WITH_TIMEOUT(w.state().availHeight, 300, 3000);
        QVERIFY(m_f->play(file));
        for (QAction* menu : pictureMenus) {
            QCOMPARE(menu->isEnabled(), picture.isValid());
        }
        for (QAction* menu : fileMenus) {
            QVERIFY(menu->isEnabled());
        }
        if (!picture.isValid()) {
            return;
        }
        // Each option is a menu click, which places the picture again.
        QSignalSpy placed(&w, &frmMain::picturePlaced);
        if (m.mnuKeepWH->isChecked() != keepWH) {
            m.mnuKeepWH->trigger();
        }
        if (m.mnuKeepDef->isChecked() != keepDef) {
            m.mnuKeepDef->trigger();
        }
        w.sizing().myPutSize(false);
        QVERIFY(!placed.isEmpty());
        const QPoint area = w.parts().video.mapTo(&w, QPoint(0, 0));
        QCOMPARE(placed.constLast().at(0).toRect().translated(-area), picture);
    }

    void escapeToggles() {
        frmMain& w = win();
        const QSize normal = w.size();
        QTest::keyClick(&w, Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(w.isMaximized(), 3000);
        QTest::keyClick(&w, Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!w.isMaximized(), 3000);
        w.menus().mnuScnFull->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(w.isMaximized(), 3000);
        w.menus().mnuScnFull->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(w.size(), normal, 3000);
    }

    void speedItems_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("speed");  // session units after the click
        QTest::addColumn<int>("checked");
        QTest::addColumn<bool>("rangeMessage");
        QTest::newRow("10 %") << 0 << "" << 100 << 0 << false;
        QTest::newRow("125 %") << 5 << "" << 1250 << 5 << false;
        QTest::newRow("200 %") << 8 << "" << 2000 << 8 << false;
        QTest::newRow("typed 150") << 10 << "150" << 1500 << 10 << false;
        QTest::newRow("typed 99.6 is 100") << 10 << "99.6" << 1000 << 10 << false;
        QTest::newRow("typed leading number") << 10 << " 7 倍" << 70 << 10 << false;
        QTest::newRow("typed 0") << 10 << "0" << 1000 << 4 << true;
        QTest::newRow("typed 201") << 10 << "201" << 1000 << 4 << true;
        QTest::newRow("typed text") << 10 << "fast" << 1000 << 4 << true;
        QTest::newRow("cancelled") << 10 << kCancel << 1000 << 4 << false;
    }
    void speedItems() {
        QFETCH(int, item);
        QFETCH(QString, typed);
        QFETCH(int, speed);
        QFETCH(int, checked);
        QFETCH(bool, rangeMessage);
        frmMain& w = win();
        QVERIFY(m_f->play(u8("h264.flv")));
        script(*m_dialogs, typed, rangeMessage);
        w.menus().mnuSpeed[item]->trigger();

        QCOMPARE(w.session().getSpeed(), speed);
        QCOMPARE(checkedSpeed(w), checked);
        if (item == 10) {
            QCOMPARE(m_dialogs->inputs().size(), 1);
            QCOMPARE(m_dialogs->inputs().at(0).defaultText, u8("100"));
            QCOMPARE(m_dialogs->inputs().at(0).prompt,
                     u8("請輸入目前檔案的自訂播放速度\r\n\r\n"
                        "輸入條件為介於 1 到 200 之間的整數\r\n"
                        "正常播放速度的數值為 100 ( ＝100% )\r\n"
                        "數值越小播放速度越慢，數值越大播放速度越快"));
            QCOMPARE(w.state().playerState, 4);  // typing a speed pauses first
            w.playback().mbPlay_Click();
        }
        QCOMPARE(m_dialogs->messageTexts(),
                 rangeMessage ? QStringList{u8("你輸入了錯誤範圍的播放速度！")} : QStringList());
        if (rangeMessage) {
            QCOMPARE(m_dialogs->lastMessage().title, u8("錯誤訊息"));
        }
        // The status line shows the speed in percent.
        QVERIFY(testsupport::waitUntil(
            [&] { return m_f->status().endsWith(u8("播速 %1 ％").arg(speed / 10)); }, 3000));
    }

    void stepSizes_data() {
        const int pgDn = Qt::Key_PageDown, pgUp = Qt::Key_PageUp;
        testsupport::addRows<Step>({
            {"seconds: PgDn moves 125 frames at 25 fps", {1, 5, pgDn, false, 100, 225, 4}},
            {"seconds: PgUp while playing plays on", {1, 5, pgUp, true, 400, 275, 1}},
            {"seconds: Right moves 5 frames", {1, 5, Qt::Key_Right, false, 300, 305, 4}},
            {"seconds: Left while playing pauses", {1, 7, Qt::Key_Left, true, 300, 295, 4}},
            {"frames: PgDn moves the amount", {0, 12, pgDn, false, 100, 112, 4}},
            {"percent: 10 % of 752 frames", {2, 10, pgDn, false, 100, 175, 4}},
            {"past the end: the last frame, paused", {1, 5, pgDn, true, 700, -1, 4}},
            {"before the start: frame 0, paused", {1, 5, pgUp, true, 50, 0, 4}},
        });
    }
    void stepSizes() {
        QFETCH(Step, row);
        auto [mode, amount, key, playing, from, to, state] = row;
        m_f->playPaused(u8("h264.flv"), from);
        frmMain& w = win();
        QCOMPARE(w.state().totalFrames, 752);
        w.speedSteps().mnuFB_Click(mode);
        w.state().stepValue[mode] = amount;
        if (playing) {
            w.playback().mbPlay_Click();
            QCOMPARE(w.state().playerState, 1);
        }
        const qint32 start = w.session().getCurFrame();
        QTest::keyClick(&w, static_cast<Qt::Key>(key));
        if (to < 0) {
            to = w.state().totalFrames - 1;
        } else if (playing) {
            to += start - from;  // it played on a little before the key
        }
        const qint32 now = w.session().getCurFrame();
        QVERIFY2(std::abs(now - to) <= (playing ? (state == 1 ? 12 : 2) : 1),
                 qPrintable(u8("at %1, expected %2").arg(now).arg(to)));
        QCOMPARE(w.state().playerState, state);
        if (now < w.state().totalFrames - 1) {
            QCOMPARE(w.session().getStatus(), state == 1 ? u8("playing") : u8("paused"));
        }
        QVERIFY(m_f->status().startsWith(state == 1 ? u8("正在播放") : u8("暫停播放")));
        const ZelvoButton* down = state == 4 ? w.panel().mbPause : w.panel().mbPlay[0];
        QCOMPARE(down->State(), int(ZelvoButton::Down));
    }

    void stepAmountBox_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("amount");  // of the page keys: shown in the caption and tips
        QTest::addColumn<QString>("arrows");  // of the arrow keys
        QTest::addColumn<bool>("rangeMessage");
        const auto row = [](const char* tag, int mode, const QString& typed, const char* amount,
                            const char* arrows, bool message) {
            QTest::newRow(tag) << mode << typed << u8(amount) << u8(arrows) << message;
        };
        row("frames 12", 0, u8("12"), "12 格", "12 格", false);
        row("seconds 30", 1, u8("30"), "30 秒", "5 格", false);
        row("percent 100", 2, u8("100"), "100 ％", "5 格", false);
        row("seconds 101 is refused", 1, u8("101"), "5 秒", "5 格", true);
        row("cancelled", 2, kCancel, "5 ％", "5 格", false);
    }
    void stepAmountBox() {
        QFETCH(int, mode);
        QFETCH(QString, typed);
        QFETCH(QString, amount);
        QFETCH(QString, arrows);
        QFETCH(bool, rangeMessage);
        frmMain& w = win();
        const auto tip = [](const char* text, const QString& page, const QString& arrow) {
            return u8(text).arg(page, arrow);
        };
        QCOMPARE(w.panel().mbBackward->toolTip(), u8("倒轉 ( PgUp 鍵：5 秒，或 ← 鍵：5 格 )"));
        w.menus().mnuFB[mode]->trigger();
        QVERIFY(w.menus().mnuFB[mode]->isChecked());
        script(*m_dialogs, typed, rangeMessage);
        w.menus().mnuFB[4]->trigger();
        const char* const names[] = {"影格", "秒數", "比例"};
        const QString name = u8(names[mode]);
        QCOMPARE(m_dialogs->inputs().at(0).prompt, u8("請輸入倒轉與快轉的%1模式數值\r\n\r\n"
                                                      "輸入條件為介於 1 到 100 之間的整數\r\n"
                                                      "例如，目前的數值是：")
                                                       .arg(name));
        QCOMPARE(m_dialogs->inputs().at(0).defaultText, u8("5"));
        QCOMPARE(w.menus().mnuFB[mode]->text(), u8("使用%1模式 ( %2 )").arg(name, amount));
        QCOMPARE(w.panel().mbBackward->toolTip(),
                 tip("倒轉 ( PgUp 鍵：%1，或 ← 鍵：%2 )", amount, arrows));
        QCOMPARE(w.panel().mbForward->toolTip(),
                 tip("快轉 ( PgDn 鍵：%1，或 → 鍵：%2 )", amount, arrows));
        QCOMPARE(m_dialogs->messageTexts(),
                 rangeMessage ? QStringList{u8("你輸入了錯誤範圍的模式數值！")} : QStringList());
    }

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
        frmMain& w = win();
        w.playSingle(testsupport::media(file), false);
        QCOMPARE(m_f->status(), u8("正在播放，進度 0 ％，播速 100 ％"));
        w.speedSteps().mnuSpeed_Click(speedItem);
        const long speed = std::lround(w.state().speed / 10.0);
        QSignalSpy shown(&w, &frmMain::statusChanged);
        {
            // Half-way: 50 %, 00:15. No tick may report the way there.
            const PlayerParts::MciBusy seeking(w.parts());
            w.session().setCurFrame(w.state().totalFrames / 2, true);
        }
        QVERIFY(testsupport::waitUntil([&] { return shown.count() >= 4; }, 4000));

        const QRegularExpression text(u8("^正在播放，進度 (\\d+) ％，播速 (\\d+) ％$"));
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
            QVERIFY(change.at(1).toString().startsWith(u8("00:1")));
        }
        QVERIFY(shown.constLast().at(2).toInt() > shown.constFirst().at(2).toInt());
        QCOMPARE(w.panel().lblTtTime->text(), total);

        m_f->nearEnd();
        QVERIFY(m_f->waitStatus(u8("結束播放"), 4000));
        QCOMPARE(w.state().playerState, 5);
        QVERIFY(!w.checkTimer().isActive());
        QCOMPARE(w.panel().lblCurTime->text(), u8("00:00"));
    }

    void pausedEndIsNotDetected() {
        playPaused(-1);  // the device itself may report the end: the player is paused
        QVERIFY(m_f->waitTicks(3));
        QVERIFY(m_f->status().startsWith(u8("暫停播放，進度 100 ％")));
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
        QWidget* bar = w.panel().picHsb;
        QWidget* thumb = w.panel().picHsb2;
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
                QCOMPARE(w.session().getCurFrame(), start);  // nothing moves while dragging
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
        const qint32 now = w.session().getCurFrame();
        // One pixel of the bar is about two frames; playing, it has gone on a little.
        QVERIFY2(
            paused ? std::abs(now - frame) <= (drag ? 2 : 0) : now >= frame && now < frame + 15,
            qPrintable(u8("at %1, expected %2").arg(now).arg(frame)));
        QCOMPARE(w.session().getStatus(), paused ? u8("paused") : u8("playing"));
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
        PlayerPanel* p = &win().panel();
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

QTEST_MAIN(tst_PlayerPanel)
#include "tst_playerpanel.moc"
