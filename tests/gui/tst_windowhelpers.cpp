// The small window helpers: translucency, the click on the picture that plays or pauses,
// the border styles of boxes and the file icon of the control strip.
#include "app/mdlZelvoFLV.h"
#include "widgets/mdlIconKestal.h"
#include "widgets/mdlSetBoxSpec.h"
#include "widgets/mdlWindowAlpha.h"
#include "widgets/mdlWindowHook.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <memory>

namespace {

// The main window: counts the presses that reach it past its children.
class MainWindowStandIn : public QWidget {
public:
    int leftPresses = 0;
    int rightPresses = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        (event->button() == Qt::LeftButton ? leftPresses : rightPresses) += 1;
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

private Q_SLOTS:
    void cleanup();
    void windowAlpha_data();
    void windowAlpha();
    void hook_data();
    void hook();
    void hookLifecycle();
    void boxSpec_data();
    void boxSpec();
    void fileIcon_data();
    void fileIcon();

private:
    void buildPlayer();

    std::unique_ptr<MainWindowStandIn> m_main;
    QWidget* m_video = nullptr;
    QWidget* m_picture = nullptr;
    QWidget* m_strip = nullptr;
    int m_spaces = 0;
};

void tst_WindowHelpers::cleanup() {
    mdlWindowHook::Unhook();
    m_main.reset();
    m_spaces = 0;
    appDir.clear();
}

// A video area with the picture inside it and the control strip below, as in the player.
void tst_WindowHelpers::buildPlayer() {
    m_main = std::make_unique<MainWindowStandIn>();
    m_main->setGeometry(50, 50, 200, 190);
    m_video = new QWidget(m_main.get());
    m_video->setGeometry(0, 0, 200, 150);
    m_picture = new QWidget(m_video);
    m_picture->setGeometry(20, 15, 160, 120);
    m_strip = new QWidget(m_main.get());
    m_strip->setGeometry(0, 150, 200, 40);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void tst_WindowHelpers::windowAlpha_data() {
    QTest::addColumn<int>("alpha");
    QTest::addColumn<double>("opacity");
    QTest::newRow("busy dialog") << 220 << 220 / 255.0;
    QTest::newRow("opaque") << 255 << 1.0;
    QTest::newRow("invisible") << 0 << 0.0;
    QTest::newRow("above the range") << 300 << 1.0;
    QTest::newRow("below the range") << -20 << 0.0;
}

void tst_WindowHelpers::windowAlpha() {
    QFETCH(int, alpha);
    QFETCH(double, opacity);

    QWidget dialog;
    auto* label = new QLabel(&dialog);
    // Asked for through a widget inside it, the whole window turns translucent.
    mdlWindowAlpha::setWindowAlpha(label, alpha);
    QVERIFY(qAbs(dialog.windowOpacity() - opacity) < 0.001);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(qAbs(dialog.windowHandle()->opacity() - opacity) < 0.001);
}

void tst_WindowHelpers::hook_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<int>("spaces");
    QTest::addColumn<int>("leftAtMain");
    QTest::addColumn<int>("rightAtMain");

    const int left = Qt::LeftButton;
    const int right = Qt::RightButton;
    QTest::newRow("left on the picture") << "picture" << left << false << 1 << 0 << 0;
    QTest::newRow("left on the area around it") << "video" << left << false << 1 << 0 << 0;
    QTest::newRow("right on the picture") << "picture" << right << false << 0 << 0 << 1;
    QTest::newRow("left on the control strip") << "strip" << left << false << 0 << 1 << 0;
    QTest::newRow("double click on the picture") << "picture" << left << true << 2 << 0 << 0;
}

void tst_WindowHelpers::hook() {
    QFETCH(QString, where);
    QFETCH(int, button);
    QFETCH(bool, doubleClick);
    QFETCH(int, spaces);
    QFETCH(int, leftAtMain);
    QFETCH(int, rightAtMain);

    buildPlayer();
    QVERIFY(mdlWindowHook::Hook(m_video, [this] { ++m_spaces; }));
    QWidget* target = where == QLatin1String("picture") ? m_picture
                      : where == QLatin1String("video") ? m_video
                                                        : m_strip;
    const QPoint at = where == QLatin1String("video") ? QPoint(5, 5) : target->rect().center();
    const QPoint inWindow = target->mapTo(m_main.get(), at);
    const auto mouseButton = static_cast<Qt::MouseButton>(button);
    if (doubleClick) {
        QTest::mouseDClick(m_main->windowHandle(), mouseButton, {}, inWindow);
    } else {
        QTest::mouseClick(m_main->windowHandle(), mouseButton, {}, inWindow);
    }
    QCOMPARE(m_spaces, spaces);
    QCOMPARE(m_main->leftPresses, leftAtMain);
    QCOMPARE(m_main->rightPresses, rightAtMain);
}

void tst_WindowHelpers::hookLifecycle() {
    buildPlayer();
    const QPoint onPicture = m_picture->mapTo(m_main.get(), m_picture->rect().center());
    const auto click = [&] {
        QTest::mouseClick(m_main->windowHandle(), Qt::LeftButton, {}, onPicture);
    };
    int others = 0;
    QVERIFY(mdlWindowHook::Hook(m_video, [this] { ++m_spaces; }));
    // A second install changes nothing: one click is still one Space.
    QVERIFY(!mdlWindowHook::Hook(m_video, [&others] { ++others; }));
    click();
    QCOMPARE(m_spaces, 1);
    QCOMPARE(others, 0);

    // Removed: the click is the window's own again.
    mdlWindowHook::Unhook();
    QVERIFY(!mdlWindowHook::isHooked());
    click();
    QCOMPARE(m_spaces, 1);
    QCOMPARE(m_main->leftPresses, 1);

    // A hooked area that goes away takes its hook along; a new area can be hooked.
    QVERIFY(mdlWindowHook::Hook(m_video, [this] { ++m_spaces; }));
    delete m_video;
    QVERIFY(!mdlWindowHook::isHooked());
    m_video = new QWidget(m_main.get());
    m_video->setGeometry(0, 0, 200, 150);
    m_video->show();
    QVERIFY(mdlWindowHook::Hook(m_video, [&others] { ++others; }));
    QTest::mouseClick(m_main->windowHandle(), Qt::LeftButton, {}, QPoint(100, 75));
    QCOMPARE(others, 1);
}

void tst_WindowHelpers::boxSpec_data() {
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

void tst_WindowHelpers::boxSpec() {
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
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(mdlSetBoxSpec::borderWidth(style), width);
    if (auto* list = qobject_cast<QListWidget*>(box)) {
        QCOMPARE(list->frameWidth(), width);
    }
    const QImage image = box->grab().toImage();
    const QPalette& palette = box->palette();
    const int face = palette.color(QPalette::Button).lightness();
    const QColor inside = image.pixelColor(image.width() / 2, image.height() / 2);
    const int middle = image.height() / 2;
    const QColor seen[] = {image.pixelColor(0, middle),
                           image.pixelColor(image.width() - 1, middle)};
    for (int side = 0; side < 2; ++side) {
        const QColor& pixel = seen[side];
        const QString what = QStringLiteral("side %1: %2").arg(side).arg(pixel.name());
        switch (edges.at(side).toLatin1()) {
            case 'l':
                QVERIFY2(pixel.lightness() > face, qPrintable(what));
                break;
            case 'd':
                QVERIFY2(pixel.lightness() < face - 16, qPrintable(what));
                break;
            case 't':
                QCOMPARE(pixel.name(), palette.color(QPalette::WindowText).name());
                break;
            default:
                QCOMPARE(pixel.name(), inside.name());
                break;
        }
    }
    if (width > 0) {
        // Just past the border the box's own inside begins.
        QCOMPARE(image.pixelColor(width, middle).name(), inside.name());
    }
}

void tst_WindowHelpers::fileIcon_data() {
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

void tst_WindowHelpers::fileIcon() {
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

    const auto iconOf = [](const QString& file) {
        return mdlIconKestal::fileIcon(file, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    };
    const QImage unknown = iconOf(appDir + QStringLiteral("other.zzqq"));
    const QImage program = mdlIconKestal::programIcon().pixmap(16, 16).toImage().convertToFormat(
        QImage::Format_ARGB32);
    if (place.size() == QSize(16, 16)) {
        QCOMPARE(drawn == unknown, lookLike == QLatin1String("unknown"));
        QCOMPARE(drawn == program, lookLike == QLatin1String("program"));
    }
}

QTEST_MAIN(tst_WindowHelpers)
#include "tst_windowhelpers.moc"
