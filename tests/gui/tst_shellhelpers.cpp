#include "app/mdlZelvoFLVShell.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>
#include <QWindow>
#include <QtTest>

#include <csignal>
#include <memory>

#include <sys/prctl.h>

namespace {

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

const QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QStringList schemes{QStringLiteral("file"), QStringLiteral("https"),
                          QStringLiteral("mailto")};

// A private session bus with no activatable services, so no real file manager
// can ever be started by the tests.
std::unique_ptr<QProcess> privateBus;

void startPrivateBus() {
    static QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly)) {
        return;
    }
    file.write(
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig><type>session</type><listen>unix:dir=" +
        folder.path().toUtf8() +
        "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
        "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
        "<allow own=\"*\"/></policy></busconfig>\n");
    file.close();
    privateBus = std::make_unique<QProcess>();
    // The bus goes away with the test even when the test crashes.
    privateBus->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    privateBus->setProgram(QStringLiteral("dbus-daemon"));
    privateBus->setArguments({QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                              QStringLiteral("--print-address=1")});
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

}  // namespace

class TstShellHelpers : public QObject {
    Q_OBJECT

private:
    UrlCatcher m_catcher;
    QTemporaryDir m_dir;

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
    }
    void init() { m_catcher.urls.clear(); }

    void shellOpen_data() {
        QTest::addColumn<QString>("target");  // "<dir>" stands for the test folder
        QTest::addColumn<QString>("expected");
        QTest::newRow("file with odd name") << QStringLiteral("<dir>/-說明 \"1\".chm")
                                            << QStringLiteral("file:<dir>/-說明 \"1\".chm");
        QTest::newRow("relative path") << "rel.txt"
                                       << "file:<dir>/rel.txt";
        QTest::newRow("drive-like path") << "C:/x.flv"
                                         << "file:<dir>/C:/x.flv";
        QTest::newRow("existing file named like a url") << "http:x"
                                                        << "file:<dir>/http:x";
        QTest::newRow("web page") << "https://example.com/a b?x=1"
                                  << "https://example.com/a b?x=1";
        QTest::newRow("mail") << "mailto:someone@example.com"
                              << "mailto:someone@example.com";
        QTest::newRow("empty") << ""
                               << "";
    }
    void shellOpen() {
        QFETCH(QString, target);
        QFETCH(QString, expected);
        const QString folder = m_dir.path();
        QFile(folder + QStringLiteral("/-說明 \"1\".chm")).open(QIODevice::WriteOnly);
        QFile(folder + QStringLiteral("/http:x")).open(QIODevice::WriteOnly);
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder));
        ::shellOpen(target.replace(QStringLiteral("<dir>"), folder));
        QDir::setCurrent(saved);
        QList<QUrl> wanted;
        if (!expected.isEmpty()) {
            wanted.append(
                expected.startsWith(QLatin1String("file:"))
                    ? QUrl::fromLocalFile(expected.mid(5).replace(QStringLiteral("<dir>"), folder))
                    : QUrl(expected));
        }
        QCOMPARE(m_catcher.urls, wanted);
    }

    // Without a file manager on the bus, the folder of the file is opened.
    void explorerSelectFallback() {
        const QString path = m_dir.path() + QStringLiteral("/影片 1.flv");
        ::explorerSelect(path);
        QTRY_COMPARE_WITH_TIMEOUT(m_catcher.urls, QList<QUrl>{QUrl::fromLocalFile(m_dir.path())},
                                  10000);
        m_catcher.urls.clear();
        ::explorerSelect(QStringLiteral("http://host/live.flv"));
        ::explorerSelect(QString());
        QTest::qWait(100);
        QCOMPARE(m_catcher.urls, QList<QUrl>());
    }

    void explorerSelectShowsItem() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!privateBus || !bus.isConnected()) {
            QSKIP("dbus-daemon is not available for a private session bus");
        }
        FakeFileManager manager;
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(fileManagerService));
        const QString path = m_dir.path() + QStringLiteral("/-影片 \"1\".flv");
        ::explorerSelect(path);
        QTRY_COMPARE_WITH_TIMEOUT(manager.shown, QStringList{QUrl::fromLocalFile(path).toString()},
                                  10000);
        bus.unregisterService(fileManagerService);
        bus.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
        QCOMPARE(m_catcher.urls, QList<QUrl>());
    }

    void setTopMost_data() {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("viaChild");
        QTest::newRow("shown window") << true << false;
        QTest::newRow("shown, through a child") << true << true;
        QTest::newRow("hidden window") << false << false;
    }
    void setTopMost() {
        QFETCH(bool, shown);
        QFETCH(bool, viaChild);
        QWidget window;
        auto* child = new QWidget(&window);
        window.setGeometry(130, 140, 320, 200);
        if (shown) {
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window, 5000));
        }
        const QRect geometry = window.geometry();
        QWindow* handle = window.windowHandle();
        for (const bool onTop : {true, false, true}) {
            ::setTopMost(viaChild ? child : &window, onTop);
            QCOMPARE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
            QCOMPARE(window.geometry(), geometry);
            QCOMPARE(window.isVisible(), shown);
            QCOMPARE(window.windowHandle(), handle);  // the native window was not recreated
            if (handle != nullptr) {
                QCOMPARE(handle->flags().testFlag(Qt::WindowStaysOnTopHint), onTop);
            }
        }
    }

    void drawEdgeBox_data() {
        QTest::addColumn<int>("edge");
        QTest::addColumn<int>("shape");
        QTest::addColumn<int>("shadow");
        QTest::addColumn<int>("width");
        QTest::newRow("thin sunken (seek bar)")
            << 2 << int(QFrame::Panel) << int(QFrame::Sunken) << 1;
        QTest::newRow("thin raised") << 1 << int(QFrame::Panel) << int(QFrame::Raised) << 1;
        QTest::newRow("inner sunken") << 8 << int(QFrame::Panel) << int(QFrame::Sunken) << 1;
        QTest::newRow("raised") << 5 << int(QFrame::WinPanel) << int(QFrame::Raised) << 2;
        QTest::newRow("sunken") << 10 << int(QFrame::WinPanel) << int(QFrame::Sunken) << 2;
        QTest::newRow("etched") << 6 << int(QFrame::Box) << int(QFrame::Sunken) << 2;
        QTest::newRow("bump") << 9 << int(QFrame::Box) << int(QFrame::Raised) << 2;
        QTest::newRow("none") << 0 << int(QFrame::NoFrame) << int(QFrame::Plain) << 0;
    }
    void drawEdgeBox() {
        QFETCH(int, edge);
        QFETCH(int, shape);
        QFETCH(int, shadow);
        QFETCH(int, width);
        QFrame box;
        box.setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
        box.setLineWidth(4);
        box.resize(120, 20);
        ::drawEdgeBox(&box, edge);
        QCOMPARE(int(box.frameShape()), shape);
        if (shape != QFrame::NoFrame) {
            QCOMPARE(int(box.frameShadow()), shadow);
        }
        QCOMPARE(box.frameWidth(), width);
        QCOMPARE(box.contentsRect(), box.rect().adjusted(width, width, -width, -width));
        if (shape == QFrame::Panel || shape == QFrame::WinPanel) {
            // What the user sees: a sunken edge is dark at the top-left and light at
            // the bottom-right, a raised one the other way round.
            const QImage image = box.grab().toImage();
            const int topLeft = qGray(image.pixel(0, 10));
            const int bottomRight = qGray(image.pixel(image.width() - 1, 10));
            if (shadow == QFrame::Sunken) {
                QVERIFY2(topLeft < bottomRight,
                         qPrintable(QStringLiteral("%1 %2").arg(topLeft).arg(bottomRight)));
            } else {
                QVERIFY2(topLeft > bottomRight,
                         qPrintable(QStringLiteral("%1 %2").arg(topLeft).arg(bottomRight)));
            }
        }
    }
};

int main(int argc, char** argv) {
    startPrivateBus();
    if (!privateBus) {
        // No bus at all: explorerSelect must fall back at once.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zelvo-test-bus");
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        TstShellHelpers test;
        QTEST_SET_MAIN_SOURCE_PATH
        result = QTest::qExec(&test, argc, argv);
    }
    if (privateBus) {
        privateBus->kill();
        privateBus->waitForFinished(5000);
        privateBus.reset();
    }
    return result;
}

#include "tst_shellhelpers.moc"
