// The list box of a playlist window list as the user meets it: where each column's cells are
// drawn in each layout, the sideways width, the selection kept with the model's, the tip over
// a line, files dropped from a file manager, and the presses and double clicks it reports.
#include "TestSupport.h"
#include "core/lists/PlaylistModel.h"
#include "gui/playlist/PlaylistView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace {

const QStringList sampleItems = {
    u8("/home/user/Videos/a.flv"),
    u8("/home/user/Videos/Series 12/長篇影片/episode 0345 片段.flv∥120-480 900-1500"),
    u8("/media/a rather long folder name that goes on and on for a while/sub/x.mp4"),
    u8("/tmp/短.flv∥5-10"),
};

// Where the user sees the stops: after each column's widest cell and a gap of two average
// characters, measured from the lines as shown.
QList<int> expectedStops(const QStringList& lines, const QFont& font) {
    const QFontMetrics metrics(font);
    QList<int> widest;
    for (const QString& line : lines) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        for (qsizetype j = 0; j < cells.size(); ++j) {
            if (j == widest.size()) {
                widest << 0;
            }
            widest[j] = std::max(widest[j], metrics.horizontalAdvance(cells.at(j)));
        }
    }
    QList<int> stops;
    int stop = 0;
    for (const int width : widest) {
        stop += width + 2 * metrics.averageCharWidth();
        stops << stop;
    }
    return stops;
}

// The leftmost and rightmost x of drawn ink in [from, to) of a row of the picture; -1 for none.
std::pair<int, int> inkSpan(const QImage& image, const QRect& row, int from, int to) {
    const QColor base = image.pixelColor(image.width() - 1, row.center().y());
    int first = -1;
    int last = -1;
    for (int x = std::max(from, 0); x < std::min(to, image.width()); ++x) {
        for (int y = row.top(); y <= row.bottom(); ++y) {
            if (std::abs(qGray(image.pixel(x, y)) - qGray(base.rgb())) > 80) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

}  // namespace

class tst_PlaylistView : public QObject {
    Q_OBJECT

    std::unique_ptr<PlaylistModel> m_model;
    std::unique_ptr<PlaylistView> m_view;
    QTemporaryDir m_dir;

    void makeView(PlaylistModel::Kind kind, const QStringList& items, int layout = 0) {
        m_model = std::make_unique<PlaylistModel>(kind);
        m_model->setLayout(layout);
        m_model->setItems(items);
        m_view = std::make_unique<PlaylistView>();
        m_view->setPlaylist(m_model.get());
        m_view->resize(1600, 240);
        m_view->show();
        QVERIFY(testsupport::waitExposed(m_view.get()));
        m_view->fitListWidth();
    }
    QPoint rowCentre(int row) const { return m_view->visualRect(m_model->index(row)).center(); }
    QPoint belowLines() const {
        return {20, m_view->visualRect(m_model->index(m_model->count() - 1)).bottom() + 20};
    }

private Q_SLOTS:
    void cleanup() {
        m_view.reset();
        m_model.reset();
    }

    void columnsAlign_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("full path") << 0 << 0;
        QTest::newRow("full path to name, folder") << 0 << 1;
        QTest::newRow("name, folder to name, marks") << 1 << 2;
        QTest::newRow("name, marks to full path") << 2 << 0;
    }
    void columnsAlign() {
        QFETCH(int, from);
        QFETCH(int, to);
        makeView(PlaylistModel::Kind::Playlist, sampleItems, from);
        const QList<int> before = m_view->columnStops();
        QCOMPARE(before, expectedStops(m_model->lines(), m_view->font()));

        m_model->setLayout(to);
        m_view->fitListWidth();
        const QList<int> stops = m_view->columnStops();
        QCOMPARE(stops, expectedStops(m_model->lines(), m_view->font()));
        QCOMPARE(stops.size(), to == 0 ? 2 : 3);
        QCOMPARE(m_view->contentWidth(), stops.last());
        if (from != to) {
            QVERIFY(stops != before);
        }

        // Drawn: every row's second column starts at the same x, right of the first column's
        // widest cell and within the item's padding of the stop.
        const QImage image = m_view->viewport()->grab().toImage();
        const int gap = 2 * QFontMetrics(m_view->font()).averageCharWidth();
        QList<int> starts;
        for (int row = 0; row < m_model->count(); ++row) {
            const QRect rect = m_view->visualRect(m_model->index(row));
            const auto [first, last] = inkSpan(image, rect, 0, stops.at(0));
            QVERIFY2(last >= 0 && last < stops.at(0) - gap / 2, qPrintable(QString::number(row)));
            const int start = inkSpan(image, rect, stops.at(0), stops.at(1)).first;
            QVERIFY(start >= stops.at(0) && start < stops.at(0) + gap);
            starts << start;
        }
        if (to == 1) {  // the folders all begin with "/", so their ink starts alike
            QCOMPARE(std::count(starts.cbegin(), starts.cend(), starts.first()), starts.size());
        }
    }

    void cjkWidensItsColumn() {
        makeView(PlaylistModel::Kind::Playlist, {u8("/v/abcd.flv")}, 1);
        const int latin = m_view->columnStops().at(0);
        m_model->setItems({u8("/v/片段影片.flv")});
        m_view->fitListWidth();
        QVERIFY2(
            m_view->columnStops().at(0) > latin,
            qPrintable(QStringLiteral("%1 <= %2").arg(m_view->columnStops().at(0)).arg(latin)));
    }

    void plainListWidth() {
        const QStringList paths = {u8("/a/b.flv"), u8("/home/user/影片/很長的檔名 0001.flv"),
                                   u8("/tmp/x.mp4∥1-2")};
        makeView(PlaylistModel::Kind::Plain, paths);
        const QFontMetrics metrics(m_view->font());
        int widest = 0;
        for (const QString& line : m_model->lines()) {
            widest = std::max(widest, metrics.horizontalAdvance(line));
        }
        QCOMPARE(m_view->contentWidth(), widest + 10);

        // Narrower than its lines, the box scrolls sideways over the whole content width,
        // and a fit after a longer line is added widens the range.
        m_view->resize(120, 200);
        const auto rangeFollows = [this] {
            return m_view->horizontalScrollBar()->maximum() ==
                   m_view->contentWidth() - m_view->viewport()->width();
        };
        QVERIFY(testsupport::waitUntil(rangeFollows));
        const int before = m_view->horizontalScrollBar()->maximum();
        m_model->addToList(u8("/home/user/影片/一個更長更長更長的檔名，真的很長 0002.flv"), false);
        m_view->fitListWidth();
        QVERIFY(testsupport::waitUntil(rangeFollows));
        QVERIFY(m_view->horizontalScrollBar()->maximum() > before);
    }

    void pressSelects_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("row");  // -1: below the lines
        QTest::addColumn<int>("selected");
        QTest::newRow("left on line 2") << Qt::LeftButton << 2 << 2;
        QTest::newRow("right on line 1") << Qt::RightButton << 1 << 1;
        QTest::newRow("left below the lines") << Qt::LeftButton << -1 << 3;
    }
    void pressSelects() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, row);
        QFETCH(int, selected);
        makeView(PlaylistModel::Kind::Playlist, sampleItems);
        m_model->setListIndex(3);
        QList<int> seen;  // the model's selection when mouseDown comes
        connect(m_view.get(), &PlaylistView::mouseDown, this,
                [&](int down) { seen << down << m_model->listIndex(); });
        QTest::mouseClick(m_view->viewport(), button, {}, row < 0 ? belowLines() : rowCentre(row));
        QCOMPARE(seen, (QList<int>{row, selected}));
        QCOMPARE(m_model->listIndex(), selected);
        QCOMPARE(m_view->selectionModel()->selectedRows(),
                 QModelIndexList{m_model->index(selected)});
    }

    void selectionFollowsModel() {
        makeView(PlaylistModel::Kind::Playlist, sampleItems);
        m_model->setListIndex(0);
        QCOMPARE(m_view->selectionModel()->selectedRows(), QModelIndexList{m_model->index(0)});
        QCOMPARE(m_view->currentIndex().row(), 0);
        m_model->setListIndex(-1);
        QVERIFY(m_view->selectionModel()->selectedRows().isEmpty());

        // Removing a line selects the one that took its place, in the model and the box alike.
        // The window hears of the new selection once, not of a row the box passed on the way.
        m_model->setListIndex(1);
        QSignalSpy changes(m_model.get(), &PlaylistModel::listIndexChanged);
        m_model->removeSelected();
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).toInt(), 1);
        QCOMPARE(m_model->listIndex(), 1);
        QCOMPARE(m_view->selectionModel()->selectedRows(), QModelIndexList{m_model->index(1)});
        m_model->addToList(u8("/new/加入.flv"), true);
        QCOMPARE(m_model->listIndex(), 2);
        QCOMPARE(m_view->selectionModel()->selectedRows(), QModelIndexList{m_model->index(2)});
    }

    void keysMoveSelection_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("to");
        QTest::newRow("down") << 0 << Qt::Key_Down << 1;
        QTest::newRow("up") << 2 << Qt::Key_Up << 1;
        QTest::newRow("end") << 0 << Qt::Key_End << 3;
        QTest::newRow("home") << 3 << Qt::Key_Home << 0;
    }
    void keysMoveSelection() {
        QFETCH(int, from);
        QFETCH(Qt::Key, key);
        QFETCH(int, to);
        makeView(PlaylistModel::Kind::Playlist, sampleItems);
        m_model->setListIndex(from);
        QTest::keyClick(m_view.get(), key);
        QCOMPARE(m_model->listIndex(), to);
        QCOMPARE(m_view->selectionModel()->selectedRows(), QModelIndexList{m_model->index(to)});
    }

    void hoverTip_data() {
        QTest::addColumn<QString>("name");  // a file of the temporary folder, or a URL
        QTest::addColumn<int>("bytes");     // -1: no file
        QTest::addColumn<QString>("suffix");
        QTest::newRow("1025 bytes") << u8("一千.flv") << 1025 << u8(" ( 2 KB )");
        QTest::newRow("empty") << u8("empty.flv") << 0 << u8(" ( 0 KB )");
        QTest::newRow("missing") << u8("gone.flv") << -1 << u8(" ( 不存在 )");
        QTest::newRow("stream") << u8("http://example.com/live.flv") << -1 << QString();
    }
    void hoverTip() {
        QFETCH(QString, name);
        QFETCH(int, bytes);
        QFETCH(QString, suffix);
        const QString path = name.startsWith(u8("http")) ? name : m_dir.filePath(name);
        if (bytes >= 0) {
            QVERIFY(testsupport::writeFile(path, QByteArray(bytes, 'x')));
        }
        makeView(PlaylistModel::Kind::Playlist, {u8("/v/other.flv"), path});
        m_view->setTipProvider([this](int row) { return entryTip(m_model->path(row)); });
        QWidget* viewport = m_view->viewport();

        QTest::mouseMove(viewport, rowCentre(1));
        QTRY_COMPARE_WITH_TIMEOUT(m_view->toolTip(), path + suffix, 2000);
        QHelpEvent help(QEvent::ToolTip, rowCentre(1), viewport->mapToGlobal(rowCentre(1)));
        QApplication::sendEvent(viewport, &help);
        QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 2000);
        QCOMPARE(QToolTip::text(), path + suffix);

        QTest::mouseMove(viewport, belowLines());
        QTRY_COMPARE_WITH_TIMEOUT(m_view->toolTip(), QString(), 2000);
        QHelpEvent away(QEvent::ToolTip, belowLines(), viewport->mapToGlobal(belowLines()));
        QApplication::sendEvent(viewport, &away);
        QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 2000);
    }

    void dropsFiles_data() {
        QTest::addColumn<bool>("asText");
        QTest::addColumn<bool>("noneExist");
        QTest::newRow("file list") << false << false;
        QTest::newRow("text lines") << true << false;
        QTest::newRow("only missing files") << false << true;
    }
    void dropsFiles() {
        QFETCH(bool, asText);
        QFETCH(bool, noneExist);
        const QString a = m_dir.filePath(u8("甲.flv"));
        const QString b = m_dir.filePath(u8("b.mp4"));
        const QString missing = m_dir.filePath(u8("missing.flv"));
        QVERIFY(testsupport::writeFile(a, "1") && testsupport::writeFile(b, "2"));
        const QStringList names = noneExist ? QStringList{missing} : QStringList{a, missing, b};
        QMimeData mime;
        if (asText) {
            mime.setText(names.join(u8("\r\n")) + u8("\r\n"));
        } else {
            QList<QUrl> urls;
            for (const QString& name : names) {
                urls << QUrl::fromLocalFile(name);
            }
            mime.setUrls(urls);
        }
        makeView(PlaylistModel::Kind::Playlist, sampleItems);
        QSignalSpy dropped(m_view.get(), &PlaylistView::filesDropped);
        QWidget* viewport = m_view->viewport();
        const QPoint at = rowCentre(1);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &move);
        QVERIFY(move.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &drop);

        if (noneExist) {
            QCOMPARE(dropped.count(), 0);
        } else {
            QCOMPARE(dropped.count(), 1);
            QCOMPARE(dropped.at(0).at(0).toStringList(), (QStringList{b, a}));
        }
        QCOMPARE(m_model->lines().size(), sampleItems.size());  // the window adds them, not the box
    }

    void doubleClick_data() {
        QTest::addColumn<int>("row");  // -1: below the lines
        QTest::newRow("line 1") << 1;
        QTest::newRow("last line") << 3;
        QTest::newRow("below the lines") << -1;
    }
    void doubleClick() {
        QFETCH(int, row);
        makeView(PlaylistModel::Kind::Playlist, sampleItems);
        QSignalSpy doubled(m_view.get(), &PlaylistView::lineDoubleClicked);
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {},
                           row < 0 ? belowLines() : rowCentre(row));
        QCOMPARE(doubled.count(), row < 0 ? 0 : 1);
        if (row >= 0) {
            QCOMPARE(doubled.at(0).at(0).toInt(), row);
        }
    }

    void contextMenu_data() {
        QTest::addColumn<bool>("fromKeyboard");
        QTest::newRow("right click") << false;
        QTest::newRow("menu key") << true;  // opens at the selected line
    }
    void contextMenu() {
        QFETCH(bool, fromKeyboard);
        makeView(PlaylistModel::Kind::Playlist, sampleItems);
        m_model->setListIndex(2);
        QSignalSpy menus(m_view.get(), &PlaylistView::contextMenuAt);
        QWidget* viewport = m_view->viewport();
        const QPoint at = fromKeyboard ? rowCentre(2) : belowLines();
        QContextMenuEvent event(
            fromKeyboard ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse,
            fromKeyboard ? viewport->rect().center() : at,
            viewport->mapToGlobal(fromKeyboard ? viewport->rect().center() : at));
        QApplication::sendEvent(viewport, &event);
        QCOMPARE(menus.count(), 1);
        QCOMPARE(menus.at(0).at(0).toPoint(), viewport->mapToGlobal(at));
    }

    void scrollToTopLine() {
        QStringList items;
        for (int i = 0; i < 200; ++i) {
            items << QStringLiteral("/v/clip %1.flv").arg(i);
        }
        makeView(PlaylistModel::Kind::Playlist, items);
        m_view->scrollToTop(120);
        QCOMPARE(m_view->indexAt(QPoint(5, 1)).row(), 120);
    }

    // Not a pass/fail check: how long a fit of a full window's list takes, for the log.
    void fitHundredThousandLines() {
        QStringList items;
        items.reserve(100000);
        for (int i = 0; i < 100000; ++i) {
            QString item = QStringLiteral("/home/user/Videos/Series %1/episode %2 片段.flv")
                               .arg(i % 40)
                               .arg(i % 1000, 4, 10, QLatin1Char('0'));
            if (i % 3 == 0) {
                item += u8("∥120-480 900-1500");
            }
            items << item;
        }
        makeView(PlaylistModel::Kind::Playlist, items, 1);
        QElapsedTimer timer;
        timer.start();
        m_view->fitListWidth();
        qInfo("fitListWidth over %lld lines: %lld ms", static_cast<long long>(m_model->count()),
              static_cast<long long>(timer.elapsed()));
        QCOMPARE(m_view->columnStops(), expectedStops(m_model->lines(), m_view->font()));
    }
};

QTEST_MAIN(tst_PlaylistView)
#include "tst_playlistview.moc"
