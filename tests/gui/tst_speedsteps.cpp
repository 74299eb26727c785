// The speed menu and stepping on real media: fixed and typed speeds with the range
// message, step sizes per mode and key, the ends of the file, and the step-amount box
// with the captions and tool tips it rewrites.
#include "PlayerTestKit.h"
#include "player/MainMenus.h"
#include "widgets/ZelvoButton.h"

#include <QAction>

namespace {

const QString kCancel = QStringLiteral("<cancel>");

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

}  // namespace

class tst_SpeedSteps : public PlayerTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { openPlayer(true); }
    void cleanup() { closePlayer(); }

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
        QVERIFY(m_f->play(QStringLiteral("h264.flv")));
        script(*m_dialogs, typed, rangeMessage);
        w.menus().mnuSpeed[item]->trigger();

        QCOMPARE(w.mciMain.getSpeed(), speed);
        QCOMPARE(checkedSpeed(w), checked);
        if (item == 10) {
            QCOMPARE(m_dialogs->inputs().size(), 1);
            QCOMPARE(m_dialogs->inputs().at(0).defaultText, QStringLiteral("100"));
            QCOMPARE(m_dialogs->inputs().at(0).prompt,
                     QStringLiteral("請輸入目前檔案的自訂播放速度\r\n\r\n"
                                    "輸入條件為介於 1 到 200 之間的整數\r\n"
                                    "正常播放速度的數值為 100 ( ＝100% )\r\n"
                                    "數值越小播放速度越慢，數值越大播放速度越快"));
            QCOMPARE(w.state().playerState, 4);  // typing a speed pauses first
            w.playback().mbPlay_Click();
        }
        QCOMPARE(m_dialogs->messageTexts(),
                 rangeMessage ? QStringList{QStringLiteral("你輸入了錯誤範圍的播放速度！")}
                              : QStringList());
        if (rangeMessage) {
            QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("錯誤訊息"));
        }
        // The status line shows the speed in percent.
        QVERIFY(testsupport::waitUntil(
            [&] { return m_f->status().endsWith(QStringLiteral("播速 %1 ％").arg(speed / 10)); },
            3000));
    }

    void stepSizes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("amount");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");  // -1: the last frame
        QTest::addColumn<int>("state");
        const auto row = [](const char* tag, int mode, int amount, int key, bool playing, int from,
                            int to, int state) {
            QTest::newRow(tag) << mode << amount << key << playing << from << to << state;
        };
        const int pgDn = Qt::Key_PageDown, pgUp = Qt::Key_PageUp;
        row("seconds: PgDn moves 125 frames at 25 fps", 1, 5, pgDn, false, 100, 225, 4);
        row("seconds: PgUp while playing plays on", 1, 5, pgUp, true, 400, 275, 1);
        row("seconds: Right moves 5 frames", 1, 5, Qt::Key_Right, false, 300, 305, 4);
        row("seconds: Left while playing pauses", 1, 7, Qt::Key_Left, true, 300, 295, 4);
        row("frames: PgDn moves the amount", 0, 12, pgDn, false, 100, 112, 4);
        row("percent: 10 % of 752 frames", 2, 10, pgDn, false, 100, 175, 4);
        row("past the end: the last frame, paused", 1, 5, pgDn, true, 700, -1, 4);
        row("before the start: frame 0, paused", 1, 5, pgUp, true, 50, 0, 4);
    }
    void stepSizes() {
        QFETCH(int, mode);
        QFETCH(int, amount);
        QFETCH(int, key);
        QFETCH(bool, playing);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, state);
        m_f->playPaused(QStringLiteral("h264.flv"), from);
        frmMain& w = win();
        QCOMPARE(w.state().totalFrames, 752);
        w.speedSteps().mnuFB_Click(mode);
        w.state().stepValue[mode] = amount;
        if (playing) {
            w.playback().mbPlay_Click();
            QCOMPARE(w.state().playerState, 1);
        }
        const qint32 start = w.mciMain.getCurFrame();
        QTest::keyClick(&w, static_cast<Qt::Key>(key));
        if (to < 0) {
            to = w.state().totalFrames - 1;
        } else if (playing) {
            to += start - from;  // it played on a little before the key
        }
        const qint32 now = w.mciMain.getCurFrame();
        QVERIFY2(std::abs(now - to) <= (playing ? (state == 1 ? 12 : 2) : 1),
                 qPrintable(QStringLiteral("at %1, expected %2").arg(now).arg(to)));
        QCOMPARE(w.state().playerState, state);
        if (now < w.state().totalFrames - 1) {
            QCOMPARE(w.mciMain.getStatus(),
                     state == 1 ? QStringLiteral("playing") : QStringLiteral("paused"));
        }
        QVERIFY(m_f->status().startsWith(state == 1 ? QStringLiteral("正在播放")
                                                    : QStringLiteral("暫停播放")));
        const ZelvoButton* down = state == 4 ? w.picPlusBk->mbPause : w.picPlusBk->mbPlay[0];
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
            QTest::newRow(tag) << mode << typed << QString::fromUtf8(amount)
                               << QString::fromUtf8(arrows) << message;
        };
        row("frames 12", 0, QStringLiteral("12"), "12 格", "12 格", false);
        row("seconds 30", 1, QStringLiteral("30"), "30 秒", "5 格", false);
        row("percent 100", 2, QStringLiteral("100"), "100 ％", "5 格", false);
        row("seconds 101 is refused", 1, QStringLiteral("101"), "5 秒", "5 格", true);
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
            return QString::fromUtf8(text).arg(page, arrow);
        };
        QCOMPARE(w.picPlusBk->mbBackward->toolTip(),
                 QStringLiteral("倒轉 ( PgUp 鍵：5 秒，或 ← 鍵：5 格 )"));
        w.menus().mnuFB[mode]->trigger();
        QVERIFY(w.menus().mnuFB[mode]->isChecked());
        script(*m_dialogs, typed, rangeMessage);
        w.menus().mnuFB[4]->trigger();
        const char* const names[] = {"影格", "秒數", "比例"};
        const QString name = QString::fromUtf8(names[mode]);
        QCOMPARE(m_dialogs->inputs().at(0).prompt,
                 QStringLiteral("請輸入倒轉與快轉的%1模式數值\r\n\r\n"
                                "輸入條件為介於 1 到 100 之間的整數\r\n"
                                "例如，目前的數值是：")
                     .arg(name));
        QCOMPARE(m_dialogs->inputs().at(0).defaultText, QStringLiteral("5"));
        QCOMPARE(w.menus().mnuFB[mode]->text(),
                 QStringLiteral("使用%1模式 ( %2 )").arg(name, amount));
        QCOMPARE(w.picPlusBk->mbBackward->toolTip(),
                 tip("倒轉 ( PgUp 鍵：%1，或 ← 鍵：%2 )", amount, arrows));
        QCOMPARE(w.picPlusBk->mbForward->toolTip(),
                 tip("快轉 ( PgDn 鍵：%1，或 → 鍵：%2 )", amount, arrows));
        QCOMPARE(m_dialogs->messageTexts(),
                 rangeMessage ? QStringList{QStringLiteral("你輸入了錯誤範圍的模式數值！")}
                              : QStringList());
    }
};

QTEST_MAIN(tst_SpeedSteps)
#include "tst_speedsteps.moc"
