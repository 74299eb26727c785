#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "widgets/mdlZelvoFLVShell.h"

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
const QString fileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");
const QStringList schemes{QStringLiteral("file"), QStringLiteral("https")};

std::unique_ptr<QProcess> privateBus;

}  // namespace

class TstShellHelpers : public QObject {
    Q_OBJECT

    UrlCatcher m_catcher;
    QTemporaryDir m_dir;

public:
    // Before the application exists: a private session bus with no activatable services, so
    // no real file manager can start; without dbus-daemon no bus at all, which must fall back.
    static void initMain() {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zelvo-test-bus");
        static QTemporaryDir folder;
        const QString config = folder.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!folder.isValid() || !file.open(QIODevice::WriteOnly)) {
            return;
        }
        file.write("<busconfig><type>session</type><listen>unix:dir=" + folder.path().toUtf8() +
                   "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                   "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                   "<allow own=\"*\"/></policy></busconfig>\n");
        file.close();
        privateBus = std::make_unique<QProcess>();
        // The bus goes away with the test even when the test crashes.
        privateBus->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        privateBus->setProgram(QStringLiteral("dbus-daemon"));
        privateBus->setArguments({QStringLiteral("--config-file=") + config,
                                  QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
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
            QTest::newRow(tag) << QString::fromUtf8(target) << QString::fromUtf8(expected);
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
        QFile(folder + QStringLiteral("/-說明 \"1\".chm")).open(QIODevice::WriteOnly);
        QFile(folder + QStringLiteral("/http:x")).open(QIODevice::WriteOnly);
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder));
        ::shellOpen(target);
        QDir::setCurrent(saved);
        QList<QUrl> wanted;
        if (expected.startsWith(QLatin1String("file:"))) {
            wanted.append(QUrl::fromLocalFile(folder + u'/' + expected.mid(5)));
        } else if (!expected.isEmpty()) {
            wanted.append(QUrl(expected));
        }
        QCOMPARE(m_catcher.urls, wanted);
    }

    // Without a file manager on the bus, the folder of the file is opened.
    void explorerSelectFallback() {
        ::explorerSelect(m_dir.path() + QStringLiteral("/影片 1.flv"));
        QTRY_COMPARE_WITH_TIMEOUT(m_catcher.urls, QList<QUrl>{QUrl::fromLocalFile(m_dir.path())},
                                  10000);
        m_catcher.urls.clear();
        // Neither a stream nor nothing is handed on, not even later.
        ::explorerSelect(QStringLiteral("http://host/live.flv"));
        ::explorerSelect(QString());
        ::explorerSelect(m_dir.path() + QStringLiteral("/影片 2.flv"));
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
        const QString file = m_dir.path() + QStringLiteral("/說明 1.chm");
        QFile(file).open(QIODevice::WriteOnly);
        ScriptedDialogs dialogs;
        for (int i = 0; i < 3; ++i) {
            dialogs.answerMessage(MsgResult::Ok);
        }
        ::shellOpen(QStringLiteral("https://example.com/說明"));
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
                 QStringList({QStringLiteral("找不到可以開啟這個檔案或網址的程式：\r\n"
                                             "https://example.com/說明"),
                              QStringLiteral("找不到可以開啟這個檔案或網址的程式：\r\n") + file,
                              QStringLiteral("找不到可以開啟這個資料夾的檔案管理程式：\r\n") +
                                  m_dir.path()}));
        QCOMPARE(dialogs.lastMessage().title, QStringLiteral("錯誤訊息"));
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
        const QString path = m_dir.path() + QStringLiteral("/-影片 \"1\".flv");
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

    void drawEdgeBox_data() {
        QTest::addColumn<int>("edge");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("width");
        QTest::newRow("thin sunken (seek bar)") << 2 << (QFrame::Panel | QFrame::Sunken) << 1;
        QTest::newRow("raised") << 5 << (QFrame::WinPanel | QFrame::Raised) << 2;
        QTest::newRow("etched") << 6 << (QFrame::Box | QFrame::Sunken) << 2;
        QTest::newRow("none") << 0 << int(QFrame::NoFrame) << 0;
    }
    void drawEdgeBox() {
        QFETCH(int, edge);
        QFETCH(int, style);
        QFETCH(int, width);
        QFrame box;
        box.setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
        box.setLineWidth(4);
        box.resize(120, 20);
        ::drawEdgeBox(&box, edge);
        QCOMPARE(box.frameStyle(), style);
        QCOMPARE(box.frameWidth(), width);
        if ((style & QFrame::Shape_Mask) != QFrame::Box && width > 0) {
            // A sunken edge is dark at the top-left and light at the bottom-right.
            const QImage image = box.grab().toImage();
            const int topLeft = qGray(image.pixel(0, 10));
            const int bottomRight = qGray(image.pixel(image.width() - 1, 10));
            QVERIFY(topLeft != bottomRight);
            QCOMPARE(topLeft < bottomRight, (style & QFrame::Shadow_Mask) == QFrame::Sunken);
        }
    }
};

QTEST_MAIN(TstShellHelpers)
#include "tst_shellhelpers.moc"
