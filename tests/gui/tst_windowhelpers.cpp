// The small window helpers: the click on the picture that plays or pauses, the border
// styles of boxes and the file icon of the control strip.
#include "TestSupport.h"
#include "app/mdlZelvoFLV.h"
#include "widgets/mdlIconKestal.h"
#include "widgets/mdlSetBoxSpec.h"
#include "widgets/mdlWindowHook.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <memory>

namespace {

// The main window: notes the presses that reach it past its children ("L" left, "R" right)
// in the log the hooked click notes its Space in ("s").
class MainWindowStandIn : public QWidget {
public:
    QString log;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        log += QLatin1Char(event->button() == Qt::LeftButton ? 'L' : 'R');
    }
};

int opaquePixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

class tst_WindowHelpers : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowStandIn> m_main;
    QWidget* m_video = nullptr;

    // A video area with the picture inside it and the control strip below, as in the player.
    void buildPlayer() {
        m_main = std::make_unique<MainWindowStandIn>();
        m_main->setGeometry(50, 50, 200, 190);
        m_video = new QWidget(m_main.get());
        m_video->setGeometry(0, 0, 200, 150);
        (new QWidget(m_video))->setGeometry(20, 15, 160, 120);
        (new QWidget(m_main.get()))->setGeometry(0, 150, 200, 40);
        m_main->show();
        QVERIFY(testsupport::waitExposed(m_main.get()));
    }

private Q_SLOTS:
    void cleanup() {
        mdlWindowHook::Unhook();
        m_main.reset();
        appDir.clear();
    }

    void hook_data() {
        QTest::addColumn<QPoint>("at");  // in the window, laid out as buildPlayer() does
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<QString>("log");
        const int left = Qt::LeftButton;
        QTest::newRow("left on the picture") << QPoint(100, 75) << left << false << "s";
        QTest::newRow("left on the area around it") << QPoint(5, 5) << left << false << "s";
        QTest::newRow("right on the picture")
            << QPoint(100, 75) << int(Qt::RightButton) << false << "R";
        QTest::newRow("left on the control strip") << QPoint(100, 170) << left << false << "L";
        QTest::newRow("double click on the picture") << QPoint(100, 75) << left << true << "ss";
    }
    void hook() {
        QFETCH(QPoint, at);
        QFETCH(int, button);
        QFETCH(bool, doubleClick);
        QFETCH(QString, log);
        buildPlayer();
        QVERIFY(mdlWindowHook::Hook(m_video, [this] { m_main->log += QLatin1Char('s'); }));
        const auto mouseButton = static_cast<Qt::MouseButton>(button);
        if (doubleClick) {
            QTest::mouseDClick(m_main->windowHandle(), mouseButton, {}, at);
        } else {
            QTest::mouseClick(m_main->windowHandle(), mouseButton, {}, at);
        }
        QCOMPARE(m_main->log, log);
    }

    void hookLifecycle() {
        buildPlayer();
        QString& log = m_main->log;
        const auto click = [this] {
            QTest::mouseClick(m_main->windowHandle(), Qt::LeftButton, {}, QPoint(100, 75));
        };
        QVERIFY(mdlWindowHook::Hook(m_video, [&log] { log += QLatin1Char('s'); }));
        // A second install changes nothing: one click is still one Space.
        QVERIFY(!mdlWindowHook::Hook(m_video, [&log] { log += QLatin1Char('o'); }));
        click();
        // Removed: the click is the window's own again.
        mdlWindowHook::Unhook();
        QVERIFY(!mdlWindowHook::isHooked());
        click();
        QCOMPARE(log, QStringLiteral("sL"));

        // A hooked area that goes away takes its hook along; a new area can be hooked.
        QVERIFY(mdlWindowHook::Hook(m_video, [&log] { log += QLatin1Char('s'); }));
        delete m_video;
        QVERIFY(!mdlWindowHook::isHooked());
        m_video = new QWidget(m_main.get());
        m_video->setGeometry(0, 0, 200, 150);
        m_video->show();
        QVERIFY(mdlWindowHook::Hook(m_video, [&log] { log += QLatin1Char('o'); }));
        click();
        QCOMPARE(log, QStringLiteral("sLo"));
    }

    void boxSpec_data() {
        QTest::addColumn<bool>("textBox");  // a one-line text box, else a list box
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("width");
        // Left and right edge: l lighter than the face, d darker, t the text colour, n no border.
        QTest::addColumn<QString>("edges");
        QTest::newRow("list 0: sunken inside raised") << false << 0 << 4 << "ld";
        QTest::newRow("list 1: thick raised") << false << 1 << 3 << "ld";
        QTest::newRow("list 2: raised") << false << 2 << 2 << "ld";
        QTest::newRow("list 3: deep sunken") << false << 3 << 3 << "dl";
        QTest::newRow("list 4: sunken") << false << 4 << 2 << "dl";
        QTest::newRow("list 5: thin sunken") << false << 5 << 1 << "dl";
        QTest::newRow("list 6: plain line") << false << 6 << 1 << "tt";
        QTest::newRow("list 7: none") << false << 7 << 0 << "nn";
        QTest::newRow("text box 5: thin sunken") << true << 5 << 1 << "dl";
        QTest::newRow("text box 6: plain line") << true << 6 << 1 << "tt";
        QTest::newRow("text box -1: none") << true << -1 << 0 << "nn";
    }
    void boxSpec() {
        QFETCH(bool, textBox);
        QFETCH(int, style);
        QFETCH(int, width);
        QFETCH(QString, edges);
        QWidget window;
        QWidget* box = textBox ? static_cast<QWidget*>(new QLineEdit(&window))
                               : static_cast<QWidget*>(new QListWidget(&window));
        box->setGeometry(10, 10, 120, 40);
        // A box that had another border before gets exactly the new one.
        mdlSetBoxSpec::setBoxSpec(box, 1);
        mdlSetBoxSpec::setBoxSpec(box, style);
        window.show();
        QVERIFY(testsupport::waitExposed(&window));

        QCOMPARE(mdlSetBoxSpec::borderWidth(style), width);
        if (auto* list = qobject_cast<QListWidget*>(box)) {
            QCOMPARE(list->frameWidth(), width);
        }
        // Left edge, right edge and the pixel just past the border, where the inside begins.
        const QImage image = box->grab().toImage();
        const int face = box->palette().color(QPalette::Button).lightness();
        const int middle = image.height() / 2;
        const QColor inside = image.pixelColor(image.width() / 2, middle);
        const QColor text = box->palette().color(QPalette::WindowText);
        const QString expected = edges + u'n';
        const int columns[] = {0, image.width() - 1, width};
        for (int i = 0; i < 3; ++i) {
            const QColor c = image.pixelColor(columns[i], middle);
            const char e = expected.at(i).toLatin1();
            const bool ok = e == 'l'   ? c.lightness() > face
                            : e == 'd' ? c.lightness() < face - 16
                            : e == 't' ? c.name() == text.name()
                                       : c.name() == inside.name();
            QVERIFY2(ok, qPrintable(QStringLiteral("%1 at %2: %3").arg(e).arg(i).arg(c.name())));
        }
    }

    void fileIcon_data() {
        QTest::addColumn<QString>("name");  // in a scratch folder; "*" marks a file that exists
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("lookLike");  // "unknown", "program", or "" for its own icon
        const QRect whole(0, 0, 16, 16);
        QTest::newRow("existing FLV") << "*clip.flv" << whole << "";
        QTest::newRow("existing, blanks and Chinese") << "*影片 \"1\".flv" << whole << "";
        QTest::newRow("missing MP4") << "gone.mp4" << whole << "";
        QTest::newRow("missing MP3") << "gone.mp3" << whole << "";
        QTest::newRow("unknown extension") << "gone.zzqq" << whole << "unknown";
        QTest::newRow("no extension") << "README" << whole << "unknown";
        QTest::newRow("the program itself") << "Zelvo.FLV" << whole << "program";
        QTest::newRow("drawn at an offset") << "*clip.flv" << QRect(4, 4, 8, 8) << "";
    }
    void fileIcon() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(QString, lookLike);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        appDir = folder.path() + QLatin1Char('/');
        const bool exists = name.startsWith(QLatin1Char('*'));
        const QString path = appDir + (exists ? name.mid(1) : name);
        if (exists) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("FLV\x01\x05\x00\x00\x00\x09", 9));
        }

        QLabel picture;
        picture.setFixedSize(16, 16);
        picture.setPixmap(QPixmap(16, 16));  // an earlier file's icon, to be cleared
        mdlIconKestal::drawFileIcon(&picture, path, place.x(), place.y(), place.width(),
                                    place.height());
        const QImage drawn = picture.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(drawn.size(), QSize(16, 16));
        QVERIFY(opaquePixels(drawn, place) > place.width() * place.height() / 8);
        QCOMPARE(opaquePixels(drawn, QRect(0, 0, 16, 16)), opaquePixels(drawn, place));

        if (place.size() == QSize(16, 16)) {
            const auto argb = [](const QPixmap& p) {
                return p.toImage().convertToFormat(QImage::Format_ARGB32);
            };
            const QImage unknown =
                argb(mdlIconKestal::fileIcon(appDir + QStringLiteral("other.zzqq"), 16));
            QCOMPARE(drawn == unknown, lookLike == QLatin1String("unknown"));
            QCOMPARE(drawn == argb(mdlIconKestal::programIcon().pixmap(16, 16)),
                     lookLike == QLatin1String("program"));
        }
    }
};

QTEST_MAIN(tst_WindowHelpers)
#include "tst_windowhelpers.moc"
