// The image button as the user meets it: what a press, a release, a hover or a leave does
// to its look (State and the painted frame), when it clicks, its pictures and tool tip.
#include "TestSupport.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/widgets/ZelvoPictures.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <cctype>
#include <functional>
#include <memory>

class tst_ZelvoButton : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> m_host;
    ZelvoButton* m_button = nullptr;
    QWidget* m_neighbour = nullptr;
    QWidget* m_cover = nullptr;

    // h hover, l leave to an empty spot of the window, n onto a neighbour, x off the window,
    // c the button covered by another widget, p press and r release the left button over
    // the button, o release it off the button, q right click, 0..3 the program sets State.
    // The pointer is always moved to where the button is pressed or released, as a hand would.
    void step(char action) {
        QWindow* window = m_host->windowHandle();
        const QPoint centre = m_button->geometry().center();
        const QPoint to = action == 'h'   ? centre + QPoint(3, 2)  // a move even after a press
                          : action == 'n' ? m_neighbour->geometry().center()
                          : action == 'x' ? QPoint(540, 420)
                          : action == 'l' || action == 'o' ? QPoint(90, 100)
                                                           : centre;
        if (action != 'c' && !std::isdigit(action)) {
            QCursor::setPos(m_host->mapToGlobal(to));
        }
        if (action == 'p') {
            QTest::mousePress(window, Qt::LeftButton, {}, to);
        } else if (action == 'r' || action == 'o') {
            QTest::mouseRelease(window, Qt::LeftButton, {}, to);
        } else if (action == 'q') {
            QTest::mouseClick(window, Qt::RightButton, {}, to);
        } else if (action == 'c') {
            m_cover->show();
            m_cover->raise();
        } else if (std::isdigit(action)) {
            m_button->setState(action - '0');
        }
        // On the offscreen platform the tests run on, the pointer's move is delivered at once.
        QApplication::processEvents();
    }

private Q_SLOTS:
    void init() {
        QCursor::setPos(0, 0);
        m_host = std::make_unique<QWidget>();
        m_host->setGeometry(100, 100, 240, 120);
        m_button = new ZelvoButton(m_host.get());
        m_button->setGeometry(20, 20, 40, 30);
        m_neighbour = new QWidget(m_host.get());
        m_neighbour->setGeometry(120, 20, 40, 30);
        m_cover = new QWidget(m_host.get());
        m_cover->setGeometry(m_button->geometry().adjusted(-2, -2, 2, 2));
        m_cover->setAutoFillBackground(true);
        m_cover->hide();
        m_host->show();
        QVERIFY(testsupport::waitExposed(m_host.get()));
    }
    void cleanup() {
        // A row may end with the button held; the next one must start with it released.
        if (QGuiApplication::mouseButtons() != Qt::NoButton) {
            QTest::mouseRelease(m_host->windowHandle(), Qt::LeftButton, {}, QPoint(90, 100));
        }
        m_host.reset();
        QCursor::setPos(0, 0);
    }

    void mouse_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("style");
        // State after each step (the last may come late), then the Click and MouseDown counts.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* tag, int mode, int style, const char* steps,
                            const char* expected) {
            QTest::newRow(tag) << mode << style << steps << expected;
        };
        row("push: click", 0, 0, "pr", "20 1 1");
        row("push: held down", 0, 0, "p", "2 0 1");
        row("push: released off the button", 0, 0, "po", "20 0 1");
        row("push: right button", 0, 0, "q", "1 0 1");
        row("push: hover, click", 0, 0, "hpr", "120 1 1");
        row("push: shown down by the program", 0, 0, "2pr", "220 1 1");
        row("toggle: flips on each press", 1, 0, "prpr", "2200 2 2");
        row("toggle: from the hot look", 1, 0, "hpr", "122 1 1");
        row("fire on press: stays down", 2, 0, "prpr", "2222 2 2");
        row("fire on press: up when the program says", 2, 0, "pr0h", "2201 1 1");
        row("disabled: deaf", 0, 0, "3hprq", "33333 0 0");
        row("disabled, then usable again", 0, 0, "3p0pr", "33020 1 1");
        row("hover, leave", 0, 0, "hl", "10 0 0");
        row("hover, pointer onto a neighbour", 0, 0, "hn", "10 0 0");
        row("hover, pointer off the window", 0, 0, "hx", "10 0 0");
        row("hover, button covered by another widget", 0, 0, "hc", "10 0 0");
        row("made hot by the program, pointer elsewhere", 0, 0, "1", "0 0 0");
        row("no hot look while down", 1, 0, "2hl", "222 0 0");
        row("plain style: no hot look", 0, 1, "hpr", "020 1 1");
    }
    void mouse() {
        QFETCH(int, mode);
        QFETCH(int, style);
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        m_button->setMode(mode);
        m_button->setStyle(style);
        QSignalSpy clicked(m_button, &ZelvoButton::Click);
        QSignalSpy pressed(m_button, &ZelvoButton::MouseDown);
        QString seen;
        for (const QChar action : steps) {
            step(action.toLatin1());
            seen += QString::number(m_button->State());
        }
        // The pointer watch clears a hot look the button was not told about a moment later.
        const int last = expected.at(steps.size() - 1).digitValue();
        QTRY_COMPARE_WITH_TIMEOUT(m_button->State(), last, 1000);
        seen.back() = expected.at(steps.size() - 1);
        QCOMPARE(seen + u8(" %1 %2").arg(clicked.count()).arg(pressed.count()), expected);
        if (style != 0) {
            return;  // the plain style draws a button of its own
        }
        // A one-pixel frame: raised when hot, sunken when down, none otherwise; the face inside.
        const QPalette& palette = m_button->palette();
        const QImage image = m_button->grab().toImage();
        const int w = image.width() - 1;
        const int h = image.height() - 1;
        QString frame;
        for (const QPoint at : {QPoint(0, 0), QPoint(w, 0), QPoint(0, h), QPoint(w, h),
                                QPoint(1, 1), QPoint(w - 1, h - 1)}) {
            const QRgb c = image.pixelColor(at).rgb();
            frame += c == palette.color(QPalette::Light).rgb()    ? u'l'
                     : c == palette.color(QPalette::Dark).rgb()   ? u'd'
                     : c == palette.color(QPalette::Button).rgb() ? u'f'
                                                                  : u'?';
        }
        const char* frames[] = {"ffffff", "ldddff", "dlllff", "ffffff"};
        QCOMPARE(frame, QLatin1String(frames[last]));
    }

    void pictures_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("ownPictures");  // a blue down and a green disabled picture
        QTest::addColumn<bool>("useMask");
        QTest::addColumn<QColor>("shown");  // invalid: greyed, in shades of grey only
        QTest::addColumn<QColor>("notShown");
        const QColor red(255, 0, 0);
        QTest::newRow("up, the mask colour not drawn")
            << 0 << true << true << red << QColor(Qt::magenta);
        QTest::newRow("down picture") << 2 << true << true << QColor(Qt::blue) << red;
        QTest::newRow("down without a picture of its own") << 2 << false << true << red << QColor();
        QTest::newRow("disabled picture") << 3 << true << true << QColor(Qt::green) << red;
        QTest::newRow("disabled without a picture: greyed")
            << 3 << false << true << QColor() << red;
        QTest::newRow("mask colour off") << 0 << false << false << QColor(Qt::magenta) << QColor();
    }
    void pictures() {
        QFETCH(int, state);
        QFETCH(bool, ownPictures);
        QFETCH(bool, useMask);
        QFETCH(QColor, shown);
        QFETCH(QColor, notShown);
        // A red square on a magenta ground, as pictures made for a mask colour are.
        QPixmap picture(16, 16), blue(16, 16), green(16, 16);
        picture.fill(Qt::magenta);
        QPainter(&picture).fillRect(4, 4, 8, 8, Qt::red);
        blue.fill(Qt::blue);
        green.fill(Qt::green);
        m_button->setPicture(picture);
        if (ownPictures) {
            m_button->setDownPicture(blue);
            m_button->setDisabledPicture(green);
        }
        m_button->setMaskColor(Qt::magenta);
        m_button->setUseMaskColor(useMask);
        m_button->setState(state);
        const QImage image = m_button->grab().toImage();
        const auto pixelsOf = [&image](const QColor& color) {
            return testsupport::countPixels(
                image, image.rect().adjusted(1, 1, -1, -1),
                [&](const QColor& c) { return c.rgb() == color.rgb(); });
        };
        if (shown.isValid()) {
            QVERIFY2(pixelsOf(shown) > 0, qPrintable(shown.name()));
        } else {  // greyed: the picture is still there, in shades of grey only
            const QColor face = m_button->palette().color(QPalette::Button);
            const auto count = [&image](const std::function<bool(const QColor&)>& match) {
                return testsupport::countPixels(image, image.rect(), match);
            };
            QCOMPARE(count([](const QColor& c) { return c.hsvSaturation() >= 16; }), 0);
            QVERIFY(count([&](const QColor& c) { return c.rgb() != face.rgb(); }) >= 64);
        }
        if (notShown.isValid()) {
            QVERIFY2(pixelsOf(notShown) == 0, qPrintable(notShown.name()));
        }
    }

    void toolTip() {
        const QString text = u8("標記開始 (  [  ) \"A\" & <B>");
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
    void everyPicture() {
        for (int which = 0; which <= int(ButtonPicture::RandomPlay); ++which) {
            const QImage image =
                ZelvoPictures::picture(static_cast<ButtonPicture>(which), 24).toImage();
            QCOMPARE(image.size(), QSize(24, 24));
            QVERIFY2(
                testsupport::countPixels(image, image.rect(),
                                         [](const QColor& c) { return c.alpha() > 128; }) >= 12,
                qPrintable(QString::number(which)));
        }
    }
};

QTEST_MAIN(tst_ZelvoButton)
#include "tst_zelvobutton.moc"
