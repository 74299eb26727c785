// The marks list tab with the real player window on real media: the marks shown as time
// lines, edited through the boxes and drawn back onto the player, read again from it, and
// a line played by a double click.
#include "PlayerTestKit.h"
#include "app/ConnectWindows.h"
#include "gui/playlist/frmList.h"
#include "gui/playlist/frmListMarks.h"
#include "gui/widgets/ZelvoTab.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// The lines shown, joined by "|".
QString shown(const MarksTab& tab) {
    QStringList lines;
    for (int row = 0; row < tab.lstRng->count(); ++row) {
        lines << tab.lstRng->item(row)->text();
    }
    return lines.join(u'|');
}

// Which of 新增 修改 移除 ↑ ↓, and 從播放區重讀標記 重繪標記到播放區, can be pressed.
QString usable(const MarksTab& tab) {
    QString flags;
    for (const QPushButton* button : tab.cmdSSt) {
        flags += button->isEnabled() ? u'1' : u'0';
    }
    return flags + u' ' + (tab.cmdLoad->isEnabled() ? u'1' : u'0') +
           (tab.cmdApply->isEnabled() ? u'1' : u'0');
}

}  // namespace

class tst_MarksList : public PlayerTest {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        openPlayer();
        m_list = std::make_unique<frmList>();
        connectWindows(win(), *m_list);
        m_f->load();
    }
    void cleanup() {
        m_f->setList(nullptr);
        appClosing = true;
        m_list.reset();
        appClosing = false;
        closePlayer();
    }

    void shows_data() {
        QTest::addColumn<QString>("marks");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("usable");
        QTest::newRow("no marks") << QString() << QString() << u8("00:00:00.00 00:00:00.00")
                                  << u8("10000 00");
        QTest::newRow("the whole file") << u8("0-752") << u8("　從 00:00:00.00 到 00:00:30.08")
                                        << u8("00:00:00.00 00:00:30.08") << u8("11100 11");
        QTest::newRow("in the player's order")
            << u8("310-725 100-300")
            << u8("　從 00:00:12.40 到 00:00:29.00|　從 00:00:04.00 到 00:00:12.00")
            << u8("00:00:12.40 00:00:29.00") << u8("11101 11");
    }
    void shows() {
        QFETCH(QString, marks);
        QFETCH(QString, lines);
        QFETCH(QString, boxes);
        QFETCH(QString, usable);
        openWithMarks(marks);
        QCOMPARE(shown(tab()), lines);
        QCOMPARE(tab().lstRng->currentRow(), lines.isEmpty() ? -1 : 0);
        QCOMPARE(tab().txtRngStart->text() + u' ' + tab().txtRngEnd->text(), boxes);
        QCOMPARE(tab().lblTtTime->text(), u8("00:00:30.08"));
        QCOMPARE(::usable(tab()), usable);
        const QWidget* panel = m_list->tabStrip(1)->TabPictureBox().at(0);
        QVERIFY(panel->isVisible());
        QVERIFY(tab().minimumSizeHint().boundedTo(panel->size()) == tab().minimumSizeHint());
    }

    void editAndApply() {
        openWithMarks(u8("100-300 310-725"));
        MarksTab& t = tab();
        // A time the file does not have is refused, and what was typed stays.
        t.lstRng->setCurrentRow(1);
        QCOMPARE(t.txtRngStart->text() + u' ' + t.txtRngEnd->text(), u8("00:00:12.40 00:00:29.00"));
        t.txtRngEnd->setText(u8("00:00:31.00"));
        m_dialogs->answerMessage(MsgResult::Ok);
        t.cmdSSt[1]->click();
        QCOMPARE(m_dialogs->lastMessage().text, u8("時間超過此檔案的播放長度！"));
        QCOMPARE(m_dialogs->lastMessage().title, u8("錯誤訊息"));
        QCOMPARE(t.txtRngEnd->text(), u8("00:00:31.00"));

        // Change the second range, add one after it and move that up.
        t.txtRngEnd->setText(u8("00:00:20.00"));
        t.cmdSSt[1]->click();
        t.txtRngStart->setText(u8("00:00:01.00"));
        t.txtRngEnd->setText(u8("00:00:02.00"));
        t.cmdSSt[0]->click();
        t.cmdSSt[3]->click();
        const QString edited =
            u8("　從 00:00:04.00 到 00:00:12.00|　從 00:00:01.00 到 00:00:02.00|"
               "　從 00:00:12.40 到 00:00:20.00");
        QCOMPARE(shown(t), edited);
        QCOMPARE(usable(t), u8("11111 11"));
        QCOMPARE(win().marksModel().marksText(), u8("100-300 310-725"));  // until drawn back
        // Showing the tab again, from the area menu or the tab strip, keeps the edits.
        m_list->changeToTab(0, 0, false);
        m_list->mnuSwithItem[1]->trigger();
        QCOMPARE(m_list->curListId(), 10);
        QCOMPARE(shown(t), edited);
        m_list->tabStrip(1)->setTabNow(1);
        m_list->tabStrip(1)->setTabNow(0);
        QCOMPARE(m_list->curListId(), 10);
        QCOMPARE(shown(t), edited);

        t.cmdApply->click();
        QCOMPARE(win().marksModel().marksText(), u8("100-300 25-50 310-500"));
        QCOMPARE(win().panel().picRngBk->toolTip(), u8("3 個標記的總時間是 00:16.60 秒"));
        QCOMPARE(win().state().playerState, 5);

        // Reading the marks again puts the player's back.
        t.cmdSSt[2]->click();
        QCOMPARE(shown(t), edited.section(u'|', 0, 0) + u'|' + edited.section(u'|', 2));
        t.cmdLoad->click();
        QCOMPARE(shown(t), edited);

        // An emptied list clears the player's marks.
        for (int i = 0; i < 3; ++i) {
            t.cmdSSt[2]->click();
        }
        t.cmdApply->click();
        QVERIFY(!win().marksModel().stripShown());
        QCOMPARE(usable(t), u8("10000 00"));
    }

    void doubleClickPlays_data() {
        QTest::addColumn<QString>("marks");  // on the player
        QTest::addColumn<QString>("added");  // in the tab only
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("a marked range") << u8("100-300 400-725") << QString() << 1 << 400 << 725;
        QTest::newRow("a range not drawn back")
            << QString() << u8("00:00:02.00 00:00:04.00") << 0 << 50 << 100;
    }
    void doubleClickPlays() {
        QFETCH(QString, marks);
        QFETCH(QString, added);
        QFETCH(int, row);
        QFETCH(int, from);
        QFETCH(int, to);
        openWithMarks(marks);
        MarksTab& t = tab();
        if (!added.isEmpty()) {
            t.txtRngStart->setText(added.section(u' ', 0, 0));
            t.txtRngEnd->setText(added.section(u' ', 1));
            t.cmdSSt[0]->click();
        }
        win().playback().mbPause_Click();
        const QPoint at = t.lstRng->visualItemRect(t.lstRng->item(row)).center();
        // The first click of a double click selects, the second one plays.
        QTest::mouseClick(t.lstRng->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(t.lstRng->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        MCI& mci = win().session();
        QVERIFY(mci.isRngPlaying());
        QCOMPARE(QStringLiteral("%1-%2").arg(mci.rngStart()).arg(mci.rngEnd()),
                 QStringLiteral("%1-%2").arg(from).arg(to));
        QVERIFY(m_f->waitPlaying());
        QVERIFY(testsupport::waitUntil([&] {
            const qint32 frame = mci.getCurFrame();
            return frame > from && frame <= to;
        }));
        QCOMPARE(win().marksModel().stripShown(), !marks.isEmpty());  // the marks stay
    }

    void newFileKeepsFocus() {
        openWithMarks(u8("100-300"));
        win().activateWindow();
        QVERIFY(testsupport::waitUntil([&] { return QApplication::activeWindow() == &win(); }));
        // Opening a file reloads the marks list, which stays behind.
        QVERIFY(m_f->play(QStringLiteral("h264.flv")));
        QVERIFY(testsupport::waitUntil([&] { return tab().lstRng->count() == 0; }));
        QVERIFY(m_f->waitTicks());  // by when a change of window would have come through
        QCOMPARE(QApplication::activeWindow(), &win());
    }

private:
    MarksTab& tab() const { return *m_list->marksTab(); }
    // Plays the H.264 file with marks in frames ("" none) and opens the tab with F2.
    void openWithMarks(const QString& marks) {
        QVERIFY(m_f->play(QStringLiteral("h264.flv")));
        // 752 frames, 25 a second: the times rest on it.
        QCOMPARE(win().state().totalFrames, 752);
        QCOMPARE(win().state().secPerFrame, 0.04f);
        if (!marks.isEmpty()) {
            win().marks().loadMarksText(marks);
        }
        QTest::keyClick(&win(), Qt::Key_F2);
        QCOMPARE(m_list->curListId(), 10);
    }
    std::unique_ptr<frmList> m_list;
};

QTEST_MAIN(tst_MarksList)
#include "tst_markslist.moc"
