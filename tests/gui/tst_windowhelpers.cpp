// The small window and desktop helpers: the click on the picture that plays or pauses, the
// border styles of boxes, the file icon of the control strip, keeping a window on top, and
// handing files, folders and pages to the desktop.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "core/common/AppPaths.h"
#include "core/common/mdlZelvoFLV.h"
#include "gui/widgets/mdlIconKestal.h"
#include "gui/widgets/mdlSetBoxSpec.h"
#include "gui/widgets/mdlWindowHook.h"
#include "gui/widgets/mdlZelvoFLVShell.h"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <csignal>
#include <memory>

#include <sys/prctl.h>

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

// Receives every URL the helpers hand to the desktop, so nothing is launched.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url); }
};

// Stands in for the desktop's file manager on a private bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString& startupId) {
        Q_UNUSED(startupId)
        shown += uris;
    }
};

const QString fileManagerService = u8("org.freedesktop.FileManager1");
const QString fileManagerPath = u8("/org/freedesktop/FileManager1");
const QStringList schemes{u8("file"), u8("https")};

std::unique_ptr<QProcess> privateBus;

// A border: a list box ('l') or a one-line text box ('t') given a border style, or a plain box
// ('e') given edge flags; the frame style that makes (-1: not checked), the border's width,
// and its left and right edge: l lighter than the face, d darker, t the text colour, n none.
struct Border {
    char box;
    int style, frameStyle, width;
    const char* edges;
};

}  // namespace

Q_DECLARE_METATYPE(Border)

class tst_WindowHelpers : public QObject {
    Q_OBJECT

    UrlCatcher m_catcher;
    QTemporaryDir m_dir;
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

public:
    // Before the application exists: a private session bus with no activatable services, so
    // no real file manager can start; without dbus-daemon no bus at all, which must fall back.
    static void initMain() {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zelvo-test-bus");
        static QTemporaryDir folder;
        const QString config = folder.filePath(u8("bus.conf"));
        if (!folder.isValid() ||
            !testsupport::writeFile(
                config,
                "<busconfig><type>session</type><listen>unix:dir=" + folder.path().toUtf8() +
                    "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                    "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                    "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")) {
            return;
        }
        privateBus = std::make_unique<QProcess>();
        // The bus goes away with the test even when the test crashes.
        privateBus->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        privateBus->setProgram(u8("dbus-daemon"));
        privateBus->setArguments(
            {u8("--config-file=") + config, u8("--nofork"), u8("--print-address=1")});
        privateBus->start();
        if (privateBus->waitForStarted(5000) && privateBus->waitForReadyRead(5000)) {
            const QByteArray address = privateBus->readLine().trimmed();
            if (!address.isEmpty()) {
                qputenv("DBUS_SESSION_BUS_ADDRESS", address);
                return;
            }
        }
        privateBus.reset();
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        for (const QString& scheme : schemes) {
            QDesktopServices::setUrlHandler(scheme, &m_catcher, "open");
        }
    }
    void cleanupTestCase() {
        for (const QString& scheme : schemes) {
            QDesktopServices::unsetUrlHandler(scheme);
        }
        if (privateBus) {
            privateBus->kill();
            privateBus->waitForFinished(5000);
            privateBus.reset();
        }
    }
    void init() { m_catcher.urls.clear(); }

    void shellOpen_data() {
        QTest::addColumn<QString>("target");    // relative to the test folder, or a URL
        QTest::addColumn<QString>("expected");  // "file:" + a path in the test folder, or a URL
        auto row = [](const char* tag, const char* target, const char* expected) {
            QTest::newRow(tag) << u8(target) << u8(expected);
        };
        row("relative, odd name", "-說明 \"1\".chm", "file:-說明 \"1\".chm");
        row("drive-like path", "C:/x.flv", "file:C:/x.flv");
        row("existing file named like a url", "http:x", "file:http:x");
        row("web page", "https://example.com/a b?x=1", "https://example.com/a b?x=1");
        row("empty", "", "");
    }
    void shellOpen() {
        QFETCH(QString, target);
        QFETCH(QString, expected);
        const QString folder = m_dir.path();
        QFile(folder + u8("/-說明 \"1\".chm")).open(QIODevice::WriteOnly);
        QFile(folder + u8("/http:x")).open(QIODevice::WriteOnly);
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder));
        ::shellOpen(target);
        QDir::setCurrent(saved);
        QList<QUrl> wanted;
        if (expected.startsWith(u8("file:"))) {
            wanted.append(QUrl::fromLocalFile(folder + u'/' + expected.mid(5)));
        } else if (!expected.isEmpty()) {
            wanted.append(QUrl(expected));
        }
        QCOMPARE(m_catcher.urls, wanted);
    }

    // Without a file manager on the bus, the folder of the file is opened.
    void explorerSelectFallback() {
        ::explorerSelect(m_dir.path() + u8("/影片 1.flv"));
        QTRY_COMPARE_WITH_TIMEOUT(m_catcher.urls, QList<QUrl>{QUrl::fromLocalFile(m_dir.path())},
                                  10000);
        m_catcher.urls.clear();
        // Neither a stream nor nothing is handed on, not even later.
        ::explorerSelect(u8("http://host/live.flv"));
        ::explorerSelect(QString());
        ::explorerSelect(m_dir.path() + u8("/影片 2.flv"));
        QTRY_COMPARE_WITH_TIMEOUT(m_catcher.urls, QList<QUrl>{QUrl::fromLocalFile(m_dir.path())},
                                  10000);
    }

    // Where the desktop has nothing to open a page, a file or a folder with, a message says
    // so instead of nothing happening.
    void desktopCannotOpen() {
        for (const QString& scheme : schemes) {
            QDesktopServices::unsetUrlHandler(scheme);
        }
        const QByteArray path = qgetenv("PATH");
        QTemporaryDir nothing;
        qputenv("PATH", nothing.path().toUtf8());
        qunsetenv("BROWSER");
        qunsetenv("DEFAULT_BROWSER");
        const QString file = m_dir.path() + u8("/說明 1.chm");
        QFile(file).open(QIODevice::WriteOnly);
        ScriptedDialogs dialogs;
        for (int i = 0; i < 3; ++i) {
            dialogs.answerMessage(MsgResult::Ok);
        }
        ::shellOpen(u8("https://example.com/說明"));
        ::shellOpen(file);
        ::explorerSelect(file);
        const bool allSaid =
            testsupport::waitUntil([&] { return dialogs.messages().size() == 3; }, 10000);
        qputenv("PATH", path);
        for (const QString& scheme : schemes) {
            QDesktopServices::setUrlHandler(scheme, &m_catcher, "open");
        }
        QVERIFY(allSaid);
        QCOMPARE(dialogs.messageTexts(),
                 QStringList({u8("找不到可以開啟這個檔案或網址的程式：\r\n"
                                 "https://example.com/說明"),
                              u8("找不到可以開啟這個檔案或網址的程式：\r\n") + file,
                              u8("找不到可以開啟這個資料夾的檔案管理程式：\r\n") + m_dir.path()}));
        QCOMPARE(dialogs.lastMessage().title, u8("錯誤訊息"));
        QCOMPARE(m_catcher.urls, QList<QUrl>());
    }

    void explorerSelectShowsItem() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!privateBus || !bus.isConnected()) {
            QSKIP("dbus-daemon is not available for a private session bus");
        }
        FakeFileManager manager;
        QVERIFY(bus.registerObject(fileManagerPath, &manager, QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(fileManagerService));
        const QString path = m_dir.path() + u8("/-影片 \"1\".flv");
        ::explorerSelect(path);
        QTRY_COMPARE_WITH_TIMEOUT(manager.shown, QStringList{QUrl::fromLocalFile(path).toString()},
                                  10000);
        bus.unregisterService(fileManagerService);
        bus.unregisterObject(fileManagerPath);
        QCOMPARE(m_catcher.urls, QList<QUrl>());
    }

    void setTopMost_data() {
        QTest::addColumn<bool>("shown");
        QTest::newRow("shown, through a child") << true;
        QTest::newRow("hidden window") << false;
    }
    void setTopMost() {
        QFETCH(bool, shown);
        QWidget window;
        auto* child = new QWidget(&window);
        window.setGeometry(130, 140, 320, 200);
        if (shown) {
            window.show();
            QVERIFY(testsupport::waitExposed(&window));
        }
        const QRect geometry = window.geometry();
        QWindow* handle = window.windowHandle();
        for (const bool onTop : {true, false}) {
            ::setTopMost(child, onTop);
            QCOMPARE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
            QCOMPARE(window.geometry(), geometry);
            QCOMPARE(window.isVisible(), shown);
            QCOMPARE(window.windowHandle(), handle);  // the native window was not recreated
            if (handle != nullptr) {
                QCOMPARE(handle->flags().testFlag(Qt::WindowStaysOnTopHint), onTop);
            }
        }
    }

    void cleanup() {
        mdlWindowHook::Unhook();
        m_main.reset();
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
        QVERIFY(mdlWindowHook::Hook(m_video, [this] { m_main->log += u's'; }));
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
        QVERIFY(mdlWindowHook::Hook(m_video, [&log] { log += u's'; }));
        // A second install changes nothing: one click is still one Space.
        QVERIFY(!mdlWindowHook::Hook(m_video, [&log] { log += u'o'; }));
        click();
        // Removed: the click is the window's own again.
        mdlWindowHook::Unhook();
        QVERIFY(!mdlWindowHook::isHooked());
        click();
        QCOMPARE(log, u8("sL"));

        // A hooked area that goes away takes its hook along; a new area can be hooked.
        QVERIFY(mdlWindowHook::Hook(m_video, [&log] { log += u's'; }));
        delete m_video;
        QVERIFY(!mdlWindowHook::isHooked());
        m_video = new QWidget(m_main.get());
        m_video->setGeometry(0, 0, 200, 150);
        m_video->show();
        QVERIFY(mdlWindowHook::Hook(m_video, [&log] { log += u'o'; }));
        click();
        QCOMPARE(log, u8("sLo"));
    }

    void boxSpec_data() {
        QTest::addColumn<Border>("b");
        const auto row = [](const char* tag, const Border& b) { QTest::newRow(tag) << b; };
        row("list 0: sunken inside raised", {'l', 0, -1, 4, "ld"});
        row("list 1: thick raised", {'l', 1, -1, 3, "ld"});
        row("list 2: raised", {'l', 2, -1, 2, "ld"});
        row("list 3: deep sunken", {'l', 3, -1, 3, "dl"});
        row("list 4: sunken", {'l', 4, -1, 2, "dl"});
        row("list 5: thin sunken", {'l', 5, -1, 1, "dl"});
        row("list 6: plain line", {'l', 6, -1, 1, "tt"});
        row("list 7: none", {'l', 7, -1, 0, "nn"});
        row("text box 5: thin sunken", {'t', 5, -1, 1, "dl"});
        row("text box 6: plain line", {'t', 6, -1, 1, "tt"});
        row("text box -1: none", {'t', -1, -1, 0, "nn"});
        row("edge 2: thin sunken (seek bar)", {'e', 2, QFrame::Panel | QFrame::Sunken, 1, "dl"});
        row("edge 5: raised", {'e', 5, QFrame::WinPanel | QFrame::Raised, 2, "ld"});
        row("edge 6: etched", {'e', 6, QFrame::Box | QFrame::Sunken, 2, "dl"});
        row("edge 0: none", {'e', 0, QFrame::NoFrame, 0, "nn"});
    }
    void boxSpec() {
        QFETCH(Border, b);
        QWidget window;
        QWidget* box = b.box == 't'   ? static_cast<QWidget*>(new QLineEdit(&window))
                       : b.box == 'l' ? static_cast<QWidget*>(new QListWidget(&window))
                                      : static_cast<QWidget*>(new QFrame(&window));
        box->setGeometry(10, 10, 120, 40);
        // A box that had another border before gets exactly the new one.
        if (auto* frame = qobject_cast<QFrame*>(box); b.box == 'e') {
            frame->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
            frame->setLineWidth(4);
            ::drawEdgeBox(frame, b.style);
            QCOMPARE(frame->frameStyle(), b.frameStyle);
        } else {
            mdlSetBoxSpec::setBoxSpec(box, 1);
            mdlSetBoxSpec::setBoxSpec(box, b.style);
            QCOMPARE(mdlSetBoxSpec::borderWidth(b.style), b.width);
        }
        window.show();
        QVERIFY(testsupport::waitExposed(&window));
        if (auto* frame = qobject_cast<QFrame*>(box)) {
            QCOMPARE(frame->frameWidth(), b.width);
        }
        // Left edge, right edge and the pixel just past the border, where the inside begins.
        const QImage image = box->grab().toImage();
        const int face = box->palette().color(QPalette::Button).lightness();
        const int middle = image.height() / 2;
        const QColor inside = image.pixelColor(image.width() / 2, middle);
        const QColor text = box->palette().color(QPalette::WindowText);
        const QString expected = QLatin1String(b.edges) + u'n';
        const int columns[] = {0, image.width() - 1, b.width};
        for (int i = 0; i < 3; ++i) {
            const QColor c = image.pixelColor(columns[i], middle);
            const char e = expected.at(i).toLatin1();
            const bool ok = e == 'l'   ? c.lightness() > face
                            : e == 'd' ? c.lightness() < face - 16
                            : e == 't' ? c.name() == text.name()
                                       : c.name() == inside.name();
            QVERIFY2(ok, qPrintable(u8("%1 at %2: %3").arg(e).arg(i).arg(c.name())));
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
        const QString inFolder = folder.path() + u'/';
        const bool exists = name.startsWith(u'*');
        // The program itself is the running program's file.
        const QString path = lookLike == u8("program") ? AppPaths::running().program()
                                                       : inFolder + (exists ? name.mid(1) : name);
        if (exists) {
            QVERIFY(testsupport::writeFile(path, QByteArray("FLV\x01\x05\x00\x00\x00\x09", 9)));
        }

        QLabel picture;
        picture.setFixedSize(16, 16);
        picture.setPixmap(QPixmap(16, 16));  // an earlier file's icon, to be cleared
        mdlIconKestal::drawFileIcon(&picture, path, place.x(), place.y(), place.width(),
                                    place.height());
        const QImage drawn = picture.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        const auto opaque = [](const QColor& c) { return c.alpha() > 0; };
        QCOMPARE(drawn.size(), QSize(16, 16));
        QVERIFY(testsupport::countPixels(drawn, place, opaque) >
                place.width() * place.height() / 8);
        QCOMPARE(testsupport::countPixels(drawn, drawn.rect(), opaque),
                 testsupport::countPixels(drawn, place, opaque));

        if (place.size() == QSize(16, 16)) {
            const auto argb = [](const QPixmap& p) {
                return p.toImage().convertToFormat(QImage::Format_ARGB32);
            };
            const QImage unknown = argb(mdlIconKestal::fileIcon(inFolder + u8("other.zzqq"), 16));
            QCOMPARE(drawn == unknown, lookLike == u8("unknown"));
            QCOMPARE(drawn == argb(mdlIconKestal::programIcon().pixmap(16, 16)),
                     lookLike == u8("program"));
        }
    }
};

QTEST_MAIN(tst_WindowHelpers)
#include "tst_windowhelpers.moc"
