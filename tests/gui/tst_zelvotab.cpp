// The tab strip as the playlist window meets it: where its tab boxes lie for a count and a
// row width, which tab a click picks and when TabClick comes, TabNow, the captions kept in
// All_Caption, the current tab's look, and the panels laid under the rows.
#include "TestSupport.h"
#include "gui/widgets/ZelvoTab.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

QString emitted(const QSignalSpy& spy) {
    QStringList previous;
    for (const QList<QVariant>& call : spy) {
        previous << call.at(0).toString();
    }
    return previous.join(QLatin1Char(' '));
}

QString rectText(const QRect& rect) {
    return QStringLiteral("%1,%2 %3x%4")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

}  // namespace

class tst_ZelvoTab : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> m_host;
    ZelvoTab* m_tab = nullptr;

    // The strip at (10, 20) of a shown window, so its moves and resizes are delivered at once.
    void makeStrip(int tabs, int perRow, int width, int height = 100) {
        m_tab->setTabs(tabs);
        m_tab->setTabsPerRow(perRow);
        m_tab->setGeometry(10, 20, width, height);
    }

private Q_SLOTS:
    void init() {
        m_host = std::make_unique<QWidget>();
        m_host->setGeometry(100, 100, 420, 320);
        m_tab = new ZelvoTab(m_host.get());
        m_host->show();
        QVERIFY(testsupport::waitExposed(m_host.get()));
    }
    void cleanup() { m_host.reset(); }

    void defaults() {
        QCOMPARE(m_tab->Tabs(), 3);
        QCOMPARE(m_tab->TabsPerRow(), 3);
        QCOMPARE(m_tab->TabNow(), 0);
        QCOMPARE(m_tab->All_Caption(), QString());
        QCOMPARE(m_tab->TabCaption(), QStringLiteral("Tab 0"));
    }

    void geometry_data() {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<int>("perRow");
        QTest::addColumn<int>("width");
        // Every tab's box in tab order (x,y wxh), then the panel's place in the window (strip at
        // 10, 20, 100 pixels high).
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("panel");
        const auto row = [](const char* tag, int tabs, int perRow, int width, const char* boxes,
                            const char* panel) {
            QTest::newRow(tag) << tabs << perRow << width << boxes << panel;
        };
        row("one row of three, the last column takes the rest", 3, 3, 301,
            "0,0 100x20; 100,0 100x20; 200,0 101x20", "10,40 301x80");
        row("five in rows of two, tab 0 at the bottom", 5, 2, 301,
            "0,40 150x20; 150,40 151x20; "
            "0,20 150x20; 150,20 151x20; "
            "0,0 150x20",
            "10,80 301x40");
        row("seven in rows of three", 7, 3, 200,
            "0,40 66x20; 66,40 66x20; 132,40 68x20; "
            "0,20 66x20; 66,20 66x20; 132,20 68x20; "
            "0,0 66x20",
            "10,80 200x40");
        row("fewer tabs than a row holds", 2, 4, 100, "0,0 25x20; 25,0 25x20", "10,40 100x80");
        row("one tab a row", 2, 1, 90, "0,20 90x20; 0,0 90x20", "10,60 90x60");
    }
    void geometry() {
        QFETCH(int, tabs);
        QFETCH(int, perRow);
        QFETCH(int, width);
        QFETCH(QString, boxes);
        QFETCH(QString, panel);
        auto* page = new QWidget(m_host.get());
        m_tab->setTabPictureBox({page});
        makeStrip(tabs, perRow, width);
        QStringList shown;
        for (int tab = 0; tab < tabs; ++tab) {
            shown << rectText(m_tab->tabRect(tab));
        }
        QCOMPARE(shown.join(QStringLiteral("; ")), boxes);
        QCOMPARE(rectText(page->geometry()), panel);
    }

    void click_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QPoint>("at");  // in the strip: five tabs in rows of two, 301 wide
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("tabNow");
        QTest::addColumn<QString>("previous");  // what TabClick carried, in order
        QTest::newRow("bottom row, second tab")
            << 0 << QPoint(200, 50) << Qt::LeftButton << 1 << "0";
        QTest::newRow("middle row, first tab") << 0 << QPoint(5, 25) << Qt::LeftButton << 2 << "0";
        QTest::newRow("top row") << 1 << QPoint(10, 5) << Qt::LeftButton << 4 << "1";
        QTest::newRow("first pixel of the second column")
            << 0 << QPoint(150, 59) << Qt::LeftButton << 1 << "0";
        QTest::newRow("last pixel of the first column")
            << 1 << QPoint(149, 40) << Qt::LeftButton << 0 << "1";
        QTest::newRow("the current tab") << 2 << QPoint(5, 25) << Qt::LeftButton << 2 << "";
        QTest::newRow("empty end of the top row")
            << 0 << QPoint(200, 5) << Qt::LeftButton << 0 << "";
        QTest::newRow("panel frame under the rows")
            << 0 << QPoint(100, 80) << Qt::LeftButton << 0 << "";
        QTest::newRow("right button") << 0 << QPoint(200, 50) << Qt::RightButton << 0 << "";
    }
    void click() {
        QFETCH(int, start);
        QFETCH(QPoint, at);
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, tabNow);
        QFETCH(QString, previous);
        makeStrip(5, 2, 301);
        m_tab->setTabNow(start);
        QSignalSpy clicked(m_tab, &ZelvoTab::TabClick);
        QTest::mouseClick(m_tab, button, {}, at);
        QCOMPARE(m_tab->TabNow(), tabNow);
        QCOMPARE(emitted(clicked), previous);
    }

    void setTabNow_data() {
        QTest::addColumn<QList<int>>("values");  // set one after another, starting at tab 0
        QTest::addColumn<int>("tabNow");
        QTest::addColumn<QString>("previous");
        QTest::newRow("another tab") << QList<int>{2} << 2 << "0";
        QTest::newRow("its current value") << QList<int>{0} << 0 << "";
        QTest::newRow("past the last tab") << QList<int>{3} << 0 << "";
        QTest::newRow("below the first tab") << QList<int>{-1} << 0 << "";
        QTest::newRow("a walk with repeats") << QList<int>{1, 1, 2, 5, 0, 0} << 0 << "0 1 2";
    }
    void setTabNow() {
        QFETCH(QList<int>, values);
        QFETCH(int, tabNow);
        QFETCH(QString, previous);
        makeStrip(3, 3, 300);
        QSignalSpy clicked(m_tab, &ZelvoTab::TabClick);
        for (int value : values) {
            m_tab->setTabNow(value);
        }
        QCOMPARE(m_tab->TabNow(), tabNow);
        QCOMPARE(emitted(clicked), previous);
    }

    void counts() {
        makeStrip(5, 2, 300);
        m_tab->setTabNow(4);
        QSignalSpy clicked(m_tab, &ZelvoTab::TabClick);
        // Fewer tabs than the current index: the last one becomes current, quietly.
        m_tab->setTabs(3);
        QCOMPARE(m_tab->TabNow(), 2);
        m_tab->setTabs(0);
        m_tab->setTabsPerRow(0);
        m_tab->setTabsPerRow(-2);
        QCOMPARE(m_tab->Tabs(), 3);
        QCOMPARE(m_tab->TabsPerRow(), 2);
        QCOMPARE(emitted(clicked), QString());
    }

    void captions_data() {
        QTest::addColumn<QString>("saved");  // All_Caption as the container stored it
        QTest::addColumn<int>("tabs");
        QTest::addColumn<int>("tabNow");
        QTest::addColumn<QString>("captions");  // every tab's caption, joined by "|"
        QTest::addColumn<QString>("renamed");   // TabCaption set to this
        QTest::addColumn<QString>("allAfter");
        QTest::addColumn<QString>("captionsAfter");
        QTest::newRow("two stored, three tabs")
            << u8("清單一≡清單二≡") << 3 << 2 << u8("清單一|清單二|Tab 2") << u8("合併")
            << u8("清單一≡清單二≡合併≡") << u8("清單一|清單二|合併");
        QTest::newRow("nothing stored") << "" << 2 << 0 << "Tab 0|Tab 1" << u8("播放清單")
                                        << u8("播放清單≡Tab 1≡") << u8("播放清單|Tab 1");
        QTest::newRow("an empty piece")
            << u8("A≡≡C≡D≡") << 3 << 1 << "A|Tab 1|C" << u8("新") << u8("A≡新≡C≡") << u8("A|新|C");
        QTest::newRow("emptied caption") << u8("A≡B≡") << 2 << 1 << "A|B"
                                         << "" << u8("A≡≡") << "A|Tab 1";
        QTest::newRow("the separator in a caption")
            << u8("A≡B≡") << 2 << 0 << "A|B" << u8("x≡y") << u8("xy≡B≡") << "xy|B";
    }
    void captions() {
        QFETCH(QString, saved);
        QFETCH(int, tabs);
        QFETCH(int, tabNow);
        QFETCH(QString, captions);
        QFETCH(QString, renamed);
        QFETCH(QString, allAfter);
        QFETCH(QString, captionsAfter);
        const auto shown = [this] {
            QStringList all;
            for (int tab = 0; tab < m_tab->Tabs(); ++tab) {
                all << m_tab->caption(tab);
            }
            return all.join(QLatin1Char('|'));
        };
        m_tab->loadAll_Caption(saved);
        makeStrip(tabs, 3, 300);
        m_tab->setTabNow(tabNow);
        QCOMPARE(shown(), captions);
        QCOMPARE(m_tab->All_Caption(), saved);
        m_tab->setTabCaption(renamed);
        QCOMPARE(m_tab->All_Caption(), allAfter);
        QCOMPARE(shown(), captionsAfter);
    }

    // The current tab is drawn in the style's selected look, its caption in TabCapColor;
    // the other captions keep the palette's text colour.
    void currentLook() {
        makeStrip(3, 3, 300, 60);
        const QRect boxes[] = {{0, 0, 100, 20}, {100, 0, 100, 20}, {200, 0, 100, 20}};
        const QImage plain = m_tab->grab().toImage();
        m_tab->setTabNow(1);
        const QImage selected = m_tab->grab().toImage();
        QVERIFY(plain.copy(boxes[1]) != selected.copy(boxes[1]));
        QVERIFY(plain.copy(boxes[0]) != selected.copy(boxes[0]));

        m_tab->setTabCapColor(QColor(255, 0, 0));
        const auto red = [](const QColor& c) {
            return c.red() > 150 && c.green() < 90 && c.blue() < 90;
        };
        QImage image = m_tab->grab().toImage();
        QVERIFY(testsupport::countPixels(image, boxes[1], red) > 0);
        QCOMPARE(testsupport::countPixels(image, boxes[0], red), 0);
        QCOMPARE(testsupport::countPixels(image, boxes[2], red), 0);
        m_tab->setTabNow(2);
        image = m_tab->grab().toImage();
        QCOMPARE(testsupport::countPixels(image, boxes[1], red), 0);
        QVERIFY(testsupport::countPixels(image, boxes[2], red) > 0);
    }

    void panels() {
        QList<QWidget*> pages;
        for (int i = 0; i < 5; ++i) {
            pages << new QWidget(m_host.get());
            pages.last()->show();
        }
        makeStrip(5, 2, 301);
        m_tab->setTabPictureBox(pages);
        for (QWidget* page : pages) {
            QCOMPARE(rectText(page->geometry()), QStringLiteral("10,80 301x40"));
        }
        QCOMPARE(m_host->childAt(100, 100), pages[0]);
        // The tabs above the panels stay the strip's.
        QCOMPARE(m_host->childAt(100, 30), m_tab);

        QSignalSpy clicked(m_tab, &ZelvoTab::TabClick);
        QTest::mouseClick(m_tab, Qt::LeftButton, {}, QPoint(200, 25));
        QCOMPARE(m_host->childAt(100, 100), pages[3]);
        QCOMPARE(emitted(clicked), QStringLiteral("0"));

        // Another panel brought forward by the window: a click on the current tab restores it.
        pages[1]->raise();
        QTest::mouseClick(m_tab, Qt::LeftButton, {}, QPoint(200, 25));
        QCOMPARE(m_host->childAt(100, 100), pages[3]);
        QCOMPARE(emitted(clicked), QStringLiteral("0"));

        // Moved and resized by its window, the strip takes its panels along.
        delete pages.takeAt(2);
        m_tab->setGeometry(30, 40, 200, 160);
        for (QWidget* page : pages) {
            QCOMPARE(rectText(page->geometry()), QStringLiteral("30,100 200x100"));
        }
        QCOMPARE(m_host->childAt(60, 150), pages[2]);
        m_tab->move(50, 10);
        QCOMPARE(rectText(pages[0]->geometry()), QStringLiteral("50,70 200x100"));
        m_tab->resize(250, 160);
        QCOMPARE(rectText(pages[1]->geometry()), QStringLiteral("50,70 250x100"));
        // One row now: the panels rise to meet it.
        m_tab->setTabsPerRow(5);
        QCOMPARE(rectText(pages[3]->geometry()), QStringLiteral("50,30 250x140"));
    }

    // Panels inside another widget of the window still line up under the rows.
    void panelsElsewhere() {
        auto* area = new QWidget(m_host.get());
        area->setGeometry(5, 7, 400, 300);
        auto* page = new QWidget(area);
        makeStrip(3, 3, 300);
        m_tab->setTabPictureBox({page});
        QCOMPARE(rectText(page->geometry()), QStringLiteral("5,33 300x80"));
    }
};

QTEST_MAIN(tst_ZelvoTab)
#include "tst_zelvotab.moc"
