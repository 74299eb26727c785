// The image button as the user meets it: what a press, a release, a hover or a leave does
// to its look (State and the painted frame), when it clicks, its pictures and tool tip.
#include "widgets/ZelvoButton.h"
#include "widgets/ZelvoPictures.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWindow>

#include <memory>

namespace {

QPixmap solid(const QColor& color) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(color);
    return QPixmap::fromImage(image);
}

// A red square on a magenta ground, as pictures made for a mask colour are.
QPixmap redOnMagenta() {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    for (int y = 4; y < 12; ++y) {
        for (int x = 4; x < 12; ++x) {
            image.setPixel(x, y, qRgb(255, 0, 0));
        }
    }
    return QPixmap::fromImage(image);
}

bool hasColor(const QImage& image, const QColor& color) {
    for (int y = 1; y < image.height() - 1; ++y) {
        for (int x = 1; x < image.width() - 1; ++x) {
            if (image.pixelColor(x, y).rgb() == color.rgb()) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

class tst_ZelvoButton : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void mouse_data();
    void mouse();
    void frame_data();
    void frame();
    void pictures_data();
    void pictures();
    void hotFrameClears_data();
    void hotFrameClears();
    void toolTip_data();
    void toolTip();
    void everyPicture();

private:
    void step(QChar action);
    QPoint inWindow(QPoint local) const { return m_button->mapTo(m_host.get(), local); }

    std::unique_ptr<QWidget> m_host;
    ZelvoButton* m_button = nullptr;
    QWidget* m_neighbour = nullptr;
};

void tst_ZelvoButton::init() {
    QCursor::setPos(0, 0);
    m_host = std::make_unique<QWidget>();
    m_host->setGeometry(100, 100, 240, 120);
    m_button = new ZelvoButton(m_host.get());
    m_button->setGeometry(20, 20, 40, 30);
    m_neighbour = new QWidget(m_host.get());
    m_neighbour->setGeometry(120, 20, 40, 30);
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
}

void tst_ZelvoButton::cleanup() {
    // A row may end with the button held; the next one must start with it released.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        QTest::mouseRelease(m_host->windowHandle(), Qt::LeftButton, {}, QPoint(90, 100));
    }
    m_host.reset();
    QCursor::setPos(0, 0);
}

// h hover, l leave to an empty spot of the window, p press and r release the left button
// over the button, o release it off the button, q right click, 0..3 the program sets State.
// The pointer is always moved to where the button is pressed or released, as a hand would.
void tst_ZelvoButton::step(QChar action) {
    QWindow* window = m_host->windowHandle();
    const QPoint centre = m_button->rect().center();
    if (QStringLiteral("prq").contains(action)) {
        QCursor::setPos(m_button->mapToGlobal(centre));
    } else if (action == QLatin1Char('o')) {
        QCursor::setPos(m_host->mapToGlobal(QPoint(90, 100)));
    }
    switch (action.toLatin1()) {
        case 'h':  // a little off the centre, so it is a move even after a press there
            QCursor::setPos(m_button->mapToGlobal(centre + QPoint(3, 2)));
            break;
        case 'l':
            QCursor::setPos(m_host->mapToGlobal(QPoint(90, 100)));
            break;
        case 'p':
            QTest::mousePress(window, Qt::LeftButton, {}, inWindow(centre));
            break;
        case 'r':
            QTest::mouseRelease(window, Qt::LeftButton, {}, inWindow(centre));
            break;
        case 'o':
            QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(90, 100));
            break;
        case 'q':
            QTest::mouseClick(window, Qt::RightButton, {}, inWindow(centre));
            break;
        default:
            m_button->setState(action.digitValue());
            break;
    }
    // On a real display the pointer's move comes back as events a little later.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        QTest::qWait(80);
    }
    QApplication::processEvents();
}

void tst_ZelvoButton::mouse_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("initial");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("states");  // State after each step
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("mouseDowns");

    QTest::newRow("push: click") << 0 << 0 << 0 << "pr" << QStringLiteral("20") << 1 << 1;
    QTest::newRow("push: released off the button")
        << 0 << 0 << 0 << "po" << QStringLiteral("20") << 0 << 1;
    QTest::newRow("push: right button") << 0 << 0 << 0 << "q" << QStringLiteral("1") << 0 << 1;
    QTest::newRow("push: hover, click") << 0 << 0 << 0 << "hpr" << QStringLiteral("120") << 1 << 1;
    QTest::newRow("push: shown down by the program")
        << 0 << 0 << 2 << "pr" << QStringLiteral("20") << 1 << 1;
    QTest::newRow("toggle: flips on each press")
        << 1 << 0 << 0 << "prpr" << QStringLiteral("2200") << 2 << 2;
    QTest::newRow("toggle: from the hot look")
        << 1 << 0 << 0 << "hpr" << QStringLiteral("122") << 1 << 1;
    QTest::newRow("fire on press: stays down")
        << 2 << 0 << 0 << "prpr" << QStringLiteral("2222") << 2 << 2;
    QTest::newRow("fire on press: up when the program says")
        << 2 << 0 << 0 << "pr0h" << QStringLiteral("2201") << 1 << 1;
    QTest::newRow("disabled: deaf") << 0 << 0 << 3 << "hprq" << QStringLiteral("3333") << 0 << 0;
    QTest::newRow("disabled, then usable again")
        << 0 << 0 << 3 << "p0pr" << QStringLiteral("3020") << 1 << 1;
    QTest::newRow("hover, leave") << 0 << 0 << 0 << "hl" << QStringLiteral("10") << 0 << 0;
    QTest::newRow("no hot look while down")
        << 1 << 0 << 2 << "hl" << QStringLiteral("22") << 0 << 0;
    QTest::newRow("plain style: no hot look")
        << 0 << 1 << 0 << "hpr" << QStringLiteral("020") << 1 << 1;
}

void tst_ZelvoButton::mouse() {
    QFETCH(int, mode);
    QFETCH(int, style);
    QFETCH(int, initial);
    QFETCH(QString, steps);
    QFETCH(QString, states);
    QFETCH(int, clicks);
    QFETCH(int, mouseDowns);

    m_button->setMode(mode);
    m_button->setStyle(style);
    m_button->setState(initial);
    QSignalSpy clicked(m_button, &ZelvoButton::Click);
    QSignalSpy pressed(m_button, &ZelvoButton::MouseDown);

    QString seen;
    for (const QChar action : steps) {
        step(action);
        seen += QString::number(m_button->State());
    }
    QCOMPARE(seen, states);
    QCOMPARE(clicked.count(), clicks);
    QCOMPARE(pressed.count(), mouseDowns);
}

void tst_ZelvoButton::frame_data() {
    QTest::addColumn<QString>("steps");
    // Palette roles expected at the corners: top-left, top-right, bottom-left, bottom-right.
    QTest::addColumn<QString>("corners");

    QTest::newRow("normal") << "" << QStringLiteral("ffff");
    QTest::newRow("hot: raised") << "h" << QStringLiteral("lddd");
    QTest::newRow("pressed: sunken") << "p" << QStringLiteral("dlll");
    QTest::newRow("down set by the program: sunken") << "2" << QStringLiteral("dlll");
    QTest::newRow("hot, then left: flat again") << "hl" << QStringLiteral("ffff");
    QTest::newRow("disabled: flat") << "3" << QStringLiteral("ffff");
}

void tst_ZelvoButton::frame() {
    QFETCH(QString, steps);
    QFETCH(QString, corners);

    const QPalette& palette = m_button->palette();
    const QColor face = palette.color(QPalette::Button);
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    QVERIFY2(light != face && dark != face, "the palette must tell the frame from the face");

    for (const QChar action : steps) {
        step(action);
    }
    const QImage image = m_button->grab().toImage();
    const int w = image.width() - 1;
    const int h = image.height() - 1;
    const QColor seen[] = {image.pixelColor(0, 0), image.pixelColor(w, 0), image.pixelColor(0, h),
                           image.pixelColor(w, h)};
    for (int corner = 0; corner < 4; ++corner) {
        const QChar role = corners.at(corner);
        const QColor expected = role == QLatin1Char('l')   ? light
                                : role == QLatin1Char('d') ? dark
                                                           : face;
        QCOMPARE(seen[corner].name(), expected.name());
    }
    // One pixel wide: just inside the frame the face shows again.
    QCOMPARE(image.pixelColor(1, 1).name(), face.name());
    QCOMPARE(image.pixelColor(w - 1, h - 1).name(), face.name());
}

void tst_ZelvoButton::pictures_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<QPixmap>("picture");
    QTest::addColumn<QPixmap>("downPicture");
    QTest::addColumn<QPixmap>("disabledPicture");
    QTest::addColumn<bool>("useMask");
    QTest::addColumn<QColor>("shown");
    QTest::addColumn<QColor>("notShown");

    const QPixmap none;
    const QColor red(255, 0, 0);
    const QColor magenta(Qt::magenta);
    QTest::newRow("up picture") << 0 << redOnMagenta() << none << none << true << red << QColor();
    QTest::newRow("down picture") << 2 << redOnMagenta() << solid(Qt::blue) << none << true
                                  << QColor(Qt::blue) << red;
    QTest::newRow("down without a picture of its own")
        << 2 << redOnMagenta() << none << none << true << red << QColor();
    QTest::newRow("disabled picture")
        << 3 << redOnMagenta() << none << solid(Qt::green) << true << QColor(Qt::green) << red;
    QTest::newRow("disabled without a picture: greyed")
        << 3 << redOnMagenta() << none << none << true << QColor() << red;
    QTest::newRow("mask colour not drawn")
        << 0 << redOnMagenta() << none << none << true << red << magenta;
    QTest::newRow("mask colour off")
        << 0 << redOnMagenta() << none << none << false << magenta << QColor();
}

void tst_ZelvoButton::pictures() {
    QFETCH(int, state);
    QFETCH(QPixmap, picture);
    QFETCH(QPixmap, downPicture);
    QFETCH(QPixmap, disabledPicture);
    QFETCH(bool, useMask);
    QFETCH(QColor, shown);
    QFETCH(QColor, notShown);

    m_button->setPicture(picture);
    m_button->setDownPicture(downPicture);
    m_button->setDisabledPicture(disabledPicture);
    m_button->setMaskColor(Qt::magenta);
    m_button->setUseMaskColor(useMask);
    m_button->setState(state);
    const QImage image = m_button->grab().toImage();

    if (shown.isValid()) {
        QVERIFY2(hasColor(image, shown), qPrintable(shown.name()));
    }
    if (notShown.isValid()) {
        QVERIFY2(!hasColor(image, notShown), qPrintable(notShown.name()));
    }
    if (state == ZelvoButton::Disabled && disabledPicture.isNull()) {
        // Greyed: the picture is still there, but in shades of grey only.
        const QColor face = m_button->palette().color(QPalette::Button);
        int greyPixels = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                QVERIFY2(pixel.hsvSaturation() < 16, qPrintable(pixel.name()));
                greyPixels += pixel.rgb() != face.rgb() ? 1 : 0;
            }
        }
        QVERIFY(greyPixels >= 8 * 8);
    }
}

void tst_ZelvoButton::hotFrameClears_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("pointer to an empty spot") << 0;
    QTest::newRow("pointer onto a neighbour") << 1;
    QTest::newRow("pointer off the window") << 2;
    QTest::newRow("button covered by another widget") << 3;
    QTest::newRow("made hot by the program, pointer elsewhere") << 4;
}

void tst_ZelvoButton::hotFrameClears() {
    QFETCH(int, how);

    const QColor face = m_button->palette().color(QPalette::Button);
    if (how == 4) {
        m_button->setState(ZelvoButton::Hot);
    } else {
        step(QLatin1Char('h'));
    }
    QCOMPARE(m_button->State(), int(ZelvoButton::Hot));

    switch (how) {
        case 0:
            step(QLatin1Char('l'));
            break;
        case 1:
            QCursor::setPos(m_neighbour->mapToGlobal(m_neighbour->rect().center()));
            break;
        case 2:
            QCursor::setPos(m_host->geometry().bottomRight() + QPoint(300, 300));
            break;
        case 3: {
            auto* cover = new QWidget(m_host.get());
            cover->setGeometry(m_button->geometry().adjusted(-2, -2, 2, 2));
            cover->setAutoFillBackground(true);
            cover->show();
            cover->raise();
            break;
        }
        default:
            break;
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_button->State(), int(ZelvoButton::Normal), 1000);
    QCOMPARE(m_button->grab().toImage().pixelColor(0, 0).name(), face.name());
}

void tst_ZelvoButton::toolTip_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("chinese") << QStringLiteral("標記開始 (  [  )");
    QTest::newRow("quotes and ampersand") << QStringLiteral("\"A\" & <B>");
}

void tst_ZelvoButton::toolTip() {
    QFETCH(QString, text);

    m_button->SetToolTip(text);
    // Hidden and shown again, as buttons of a narrow window are.
    m_button->hide();
    m_button->show();
    const QPoint centre = m_button->rect().center();
    QHelpEvent help(QEvent::ToolTip, centre, m_button->mapToGlobal(centre));
    QApplication::sendEvent(m_button, &help);
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 2000);
    QCOMPARE(QToolTip::text(), text);
    QToolTip::hideText();
}

// Every button of both windows gets a visible picture, whatever the desktop's theme.
void tst_ZelvoButton::everyPicture() {
    for (int which = 0; which <= int(ButtonPicture::RandomPlay); ++which) {
        const QImage image =
            ZelvoPictures::picture(static_cast<ButtonPicture>(which), 24).toImage();
        QCOMPARE(image.size(), QSize(24, 24));
        int drawn = 0;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 24; ++x) {
                drawn += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
            }
        }
        QVERIFY2(drawn >= 12, qPrintable(QString::number(which)));
    }
}

QTEST_MAIN(tst_ZelvoButton)
#include "tst_zelvobutton.moc"
