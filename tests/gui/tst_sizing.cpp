// Picture size and panel layout: fitting a picture into the area, the window's minimum and
// the narrow button bar, the time texts, where the picture goes with each size option, the
// file menus for pictures and sound, and the maximise toggle.
#include "PlayerTestKit.h"
#include "player/MainMenus.h"
#include "player/VideoSizing.h"
#include "widgets/ZelvoButton.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>

class tst_Sizing : public PlayerTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { openPlayer(true); }
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
        QTest::newRow("75.4 s") << 75.4f << QStringLiteral("01:15 00:00");
        QTest::newRow("just under an hour") << 3599.99f << QStringLiteral("59:59 00:00");
        QTest::newRow("2 hours") << 7200.0f << QStringLiteral("02:00:00 00:00:00");
        QTest::newRow("unknown length") << 0.0f << QStringLiteral("00:00 00:00");
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
        PlayerPanel* p = w.picPlusBk;
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
        QCOMPARE(w.picVideo->height(), p->y());
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
        const QPoint area = w.picVideo->mapTo(&w, QPoint(0, 0));
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
};

QTEST_MAIN(tst_Sizing)
#include "tst_sizing.moc"
