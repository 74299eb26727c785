// Settings across a restart of the real windows: every setting and both playlists written
// at exit come back at the next start; leaving without saving keeps the files byte for
// byte; damaged files still let the program start; a folder that cannot be written says so.
#include "PlayerTestKit.h"
#include "app/ConnectWindows.h"
#include "gui/player/MainMenus.h"
#include "gui/playlist/PlaylistView.h"
#include "gui/playlist/frmList.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>

namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class tst_Settings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void survivesRestart();
    void damagedFilesStillStart_data();
    void damagedFilesStillStart();
    void unwritableFolder();
    void listsKeepEveryEntry_data();
    void listsKeepEveryEntry();
    void overlongEntriesRefusedInOneMessage();

private:
    // Starts the program's two windows on the settings in m_folder.
    void start();
    // Leaves through "結束 ( 儲存設定 )" (0) or "結束 ( 不儲存設定 )" (1).
    void exit(int how);
    QString ini() const { return m_folder.filePath(QStringLiteral("Zelvo.FLV.ini")); }
    QString listIni() const { return m_folder.filePath(QStringLiteral("List.ini")); }

    QTemporaryDir m_folder;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<PlayerFixture> m_f;
    std::unique_ptr<frmList> m_list;
};

void tst_Settings::init() {
    m_dialogs = std::make_unique<ScriptedDialogs>();
}

void tst_Settings::cleanup() {
    if (m_f) {
        exit(1);
    }
    QCOMPARE(m_dialogs->unexpected(), 0);
    m_dialogs.reset();
}

void tst_Settings::start() {
    m_f = std::make_unique<PlayerFixture>();
    qputenv("ZELVO_SETTINGS_DIR", m_folder.path().toUtf8());
    // A user who has run the program before: a first run opens the help in the browser.
    if (!QFile::exists(ini())) {
        QVERIFY(testsupport::writeFile(ini()));
    }
    m_list = std::make_unique<frmList>();
    connectWindows(*m_f->w, *m_list);
    m_f->load();
}

void tst_Settings::exit(int how) {
    m_f->w->mnuEnd(how);
    m_list.reset();
    m_f.reset();
    appClosing = false;
}

void tst_Settings::survivesRestart() {
    const QString media = m_folder.filePath(QStringLiteral("media"));
    QDir().mkpath(media + QStringLiteral("/a=b"));
    for (const char* name : {"1.flv", "2.flv", "3.flv", "4.flv"}) {
        testsupport::writeFile(media + QStringLiteral("/a=b/") + QLatin1String(name));
    }
    start();
    frmMain& w = *m_f->w;
    MainMenus& m = w.menus();
    w.move(40, 50);
    w.resize(420, 400);
    m_list->move(300, 120);
    capLeft = 1500;
    capTop = 2250;
    m.mnuKeepWH->setChecked(false);
    m.mnuKeepDef->setChecked(true);
    m.mnuFB[0]->trigger();
    w.state().stepValue[0] = 30;
    w.speedSteps().setStepCaption(0, 30);
    m_list->mnuPlaySetting_Click(2);
    m.mnuToListEnd->setChecked(false);
    m.mnuStartList->setChecked(true);
    m.mnuAutoAddMark->setChecked(true);
    m_list->mnuLineFmt_Click(2);
    const QStringList one{media + u8("/片段 1.flv∥100-200 300-400"),
                          media + QStringLiteral("/b.mp4")};
    m_list->playlist(0).setItems(one);
    m_list->playlist(0).setListIndex(1);
    m_list->playlist(1).setItems({QStringLiteral("http://host/live.flv")});
    m_list->changeToTab(0, 1, false);
    m_list->loadSetting({SettingKey::ListDir, media + QStringLiteral("/a=b/")});
    m_list->loadSetting({SettingKey::ListDirIdx, QStringLiteral("3")});
    m_list->loadSetting({SettingKey::SaveDir, media + QLatin1Char('/')});
    m_list->loadSetting({SettingKey::DoneToFn, QStringLiteral("1")});
    exit(0);

    const QByteArray first = bytesOf(ini());
    const QByteArray firstLists = bytesOf(listIni());
    const QString text = QString::fromUtf8(first);
    for (const QString& line :
         {QStringLiteral("ListRect=4500,1800"), QStringLiteral("CapRect=1500,2250"),
          QStringLiteral("KeepWH=False"), QStringLiteral("KeepDef=True"),
          QStringLiteral("ListDir=") + media + QStringLiteral("/a=b/"),
          QStringLiteral("SaveDir=") + media + QLatin1Char('/'), QStringLiteral("ListDirIdx=3"),
          QStringLiteral("StepMode=0,30,5,5"), QStringLiteral("PlaySetting=2"),
          QStringLiteral("ToListEnd=False"), QStringLiteral("StartList=True"),
          QStringLiteral("AutoAddMark=True"), QStringLiteral("LineFmt=2"),
          QStringLiteral("DoneToFn=1")}) {
        QVERIFY2(text.contains(line + QStringLiteral("\r\n")), qPrintable(line));
    }
    QVERIFY(text.startsWith(QStringLiteral("MainRect=600,750,")));
    QCOMPARE(QString::fromUtf8(firstLists),
             u8("1\r\n0∥清單編號∥2∥1\r\n") + one.join(QStringLiteral("\r\n")) +
                 u8("\r\n1∥清單編號∥1∥-1\r\nhttp://host/live.flv\r\n"));

    // The next start shows all of it, and saving again writes the same files.
    start();
    QCOMPARE(m_f->w->pos(), QPoint(40, 50));
    QCOMPARE(m_f->w->menus().mnuKeepDef->isChecked(), true);
    QCOMPARE(m_f->w->state().stepMode, 0);
    QCOMPARE(m_list->playSetting(), 2);
    QCOMPARE(m_list->lineFmt(), 2);
    QVERIFY(!m_list->addsAtEnd());
    QCOMPARE(m_list->lastPlaylist(), 1);
    QCOMPARE(m_list->curListId(), 1);
    QCOMPARE(m_list->playlist(0).itemTexts(), one);
    QCOMPARE(m_list->playlist(0).listIndex(), 1);
    QCOMPARE(m_list->playlist(0).line(0),
             u8("片段 1.flv\t標記 100-200 300-400\t") + media + QLatin1Char('/'));
    QVERIFY(testsupport::waitUntil([&] { return m_list->isVisible(); }));  // StartList
    // A list is measured for its columns once it is on screen, not while loading.
    QCOMPARE(m_list->playlistView(1)->columnStops().size(), 3);
    QVERIFY(m_list->playlistView(0)->columnStops().isEmpty());
    m_list->changeToTab(0, 0, false);
    QCOMPARE(m_list->playlistView(0)->columnStops().size(), 3);
    m_list->changeToTab(0, 1, false);
    exit(0);
    QCOMPARE(bytesOf(ini()), first);
    QCOMPARE(QString::fromUtf8(bytesOf(listIni())), QString::fromUtf8(firstLists));

    // Leaving without saving touches neither file.
    start();
    m_list->playlist(0).clear();
    m_f->w->menus().mnuKeepDef->setChecked(false);
    exit(1);
    QCOMPARE(bytesOf(ini()), first);
    QCOMPARE(bytesOf(listIni()), firstLists);
}

void tst_Settings::damagedFilesStillStart_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QByteArray>("lists");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("binary") << QByteArray(5000, '\xff') << QByteArray("\0\1\2\3", 4);
    QTest::newRow("cut in a line")
        << QByteArray("MainRect=15,15,55") << QByteArray("0\r\n0\xe2\x88");
    QTest::newRow("huge numbers")
        << QByteArray(
               "MainRect=-9e30,9e30,1e12,-5\nListRect=99999999999,-99999999999\n"
               "StepMode=7,1e40,-1,x\nPlaySetting=99\nLineFmt=-4\n")
        << QByteArray(
               "1\r\n0\xe2\x88\xa5\xe6\xb8\x85\xe5\x96\xae\xe7\xb7\xa8\xe8\x99\x9f\xe2\x88\xa5"
               "2147483647\xe2\x88\xa5"
               "5\r\n/a.flv\r\n");
    QTest::newRow("off every screen")
        << QByteArray("MainRect=150000,150000,5550,5550\r\nListRect=-75000,300\r\n")
        << QByteArray();
    QTest::newRow("CR only") << QByteArray("KeepWH=False\rLineFmt=1\r") << QByteArray("0\r");
}

void tst_Settings::damagedFilesStillStart() {
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, lists);
    QVERIFY(testsupport::writeFile(ini(), settings));
    QVERIFY(testsupport::writeFile(listIni(), lists));
    start();
    QVERIFY(m_f->w->isVisible());
    // Wherever the file put them, both windows come up on a screen that exists.
    for (const QWidget* window :
         {static_cast<QWidget*>(m_f->w.get()), static_cast<QWidget*>(m_list.get())}) {
        const QPoint topLeft = window->pos();
        QVERIFY2(QGuiApplication::screenAt(topLeft + QPoint(10, 10)) != nullptr,
                 qPrintable(QStringLiteral("%1,%2").arg(topLeft.x()).arg(topLeft.y())));
    }
    QVERIFY(m_list->playSetting() >= 0 && m_list->playSetting() <= 3);
    QVERIFY(m_list->lineFmt() >= 0 && m_list->lineFmt() <= 2);
    // The next save writes a clean file of fifteen lines.
    exit(0);
    QCOMPARE(parseSettings(QString::fromUtf8(bytesOf(ini()))).size(), 15);
}

void tst_Settings::unwritableFolder() {
    start();
    // A settings "folder" that is a file cannot take the settings: one message, nothing else.
    const QString blocked = m_folder.filePath(QStringLiteral("blocked"));
    QVERIFY(testsupport::writeFile(blocked, "keep"));
    qputenv("ZELVO_SETTINGS_DIR", blocked.toUtf8());
    m_dialogs->answerMessage(MsgResult::Ok);
    m_f->w->menus().mnuSaveNow->trigger();
    QCOMPARE(m_dialogs->messageTexts(), QStringList{u8("無法儲存設定到 Zelvo.FLV 的組態檔案")});
    QCOMPARE(bytesOf(blocked), QByteArray("keep"));
    qputenv("ZELVO_SETTINGS_DIR", m_folder.path().toUtf8());
    m_dialogs->answerMessage(MsgResult::Ok);
    m_f->w->menus().mnuSaveNow->trigger();
    QCOMPARE(m_dialogs->lastMessage().text, u8("已經成功儲存播放清單與其它組態設定！"));
}

void tst_Settings::listsKeepEveryEntry_data() {
    QTest::addColumn<QByteArray>("lists");
    QTest::addColumn<QStringList>("first");  // the first playlist's first and last entries
    QTest::addColumn<QByteArray>("saved");   // what the next save writes; empty: the same
    const QByteArray header0 =
        "0\xe2\x88\xa5\xe6\xb8\x85\xe5\x96\xae\xe7\xb7\xa8\xe8\x99\x9f\xe2\x88\xa5";
    const QByteArray header1 =
        "1\xe2\x88\xa5\xe6\xb8\x85\xe5\x96\xae\xe7\xb7\xa8\xe8\x99\x9f\xe2\x88\xa5";
    // A thousand and one entries in UTF-8 and one Latin-1 file name, a real file on Linux.
    QByteArray latin1 = "1\r\n" + header0 +
                        "1002\xe2\x88\xa5"
                        "1000\r\n";
    for (int i = 0; i < 1001; ++i) {
        latin1 += "/v/\xe5\xbd\xb1" + QByteArray::number(i) +
                  ".flv\xe2\x88\xa5"
                  "1-2\r\n";
    }
    latin1 += "/music/caf\xe9.flv\r\n" + header1 +
              "1\xe2\x88\xa5"
              "0\r\n/music/caf\xe9.flv\r\n";
    QTest::newRow("latin-1 entry among utf-8")
        << latin1
        << QStringList{u8("/v/影0.flv∥1-2"),
                       u8("/music/caf") + QChar(char16_t(0xDCE9)) + u8(".flv")}
        << QByteArray();
    // Lists written on older systems are Big5; the next save writes them in UTF-8.
    QTest::newRow("big5") << QByteArray(
                                 "0\r\n0\xa1\xfc\xb2\x4d\xb3\xe6\xbd\x73\xb8\xb9\xa1\xfc"
                                 "2\xa1\xfc"
                                 "0\r\n/\xbc\x76\xa4\xf9/a.flv\r\n"
                                 "C:\\\xbc\x76\xa4\xf9\\b.flv\xa1\xfc"
                                 "10-20\r\n")
                          << QStringList{u8("/影片/a.flv"), u8("C:\\影片\\b.flv∥10-20")}
                          << "0\r\n" + header0 +
                                 "2\xe2\x88\xa5"
                                 "0\r\n/\xe5\xbd\xb1\xe7\x89\x87/a.flv\r\n"
                                 "C:\\\xe5\xbd\xb1\xe7\x89\x87\\b.flv\xe2\x88\xa5"
                                 "10-20\r\n" +
                                 header1 + "0\xe2\x88\xa5-1\r\n";
}

// "結束 ( 儲存設定 )" writes back every entry it read: one that is neither UTF-8 nor
// Big5 byte for byte.
void tst_Settings::listsKeepEveryEntry() {
    QFETCH(QByteArray, lists);
    QFETCH(QStringList, first);
    QFETCH(QByteArray, saved);
    QVERIFY(testsupport::writeFile(listIni(), lists));
    start();
    const QStringList items = m_list->playlist(0).itemTexts();
    QVERIFY(!items.isEmpty());
    QCOMPARE((QStringList{items.first(), items.last()}), first);
    exit(0);
    QCOMPARE(bytesOf(listIni()), saved.isEmpty() ? lists : saved);
}

// Entries no path can be (one of 50 MB among them) are left out of the lists, with one
// message that counts them; the others load.
void tst_Settings::overlongEntriesRefusedInOneMessage() {
    const QByteArray overlong = '/' + QByteArray(50 * 1024 * 1024, 'x');
    QVERIFY(testsupport::writeFile(
        listIni(),
        "0\r\n0\xe2\x88\xa5\xe6\xb8\x85\xe5\x96\xae\xe7\xb7\xa8\xe8\x99\x9f\xe2\x88\xa5"
        "4\xe2\x88\xa5-1\r\n" +
            overlong + "\r\n/v/a.flv\r\n" + "/" + QByteArray(5000, 'y') + "\xe2\x88\xa5" +
            "1-2\r\n/v/b.flv\r\n"));
    m_dialogs->answerMessage(MsgResult::Ok);
    start();
    QCOMPARE(m_dialogs->messageTexts(),
             QStringList{u8("有 2 個項目的路徑超過系統允許的長度，已略過。")});
    QCOMPARE(m_list->playlist(0).itemTexts(), QStringList({u8("/v/a.flv"), u8("/v/b.flv")}));
}

QTEST_MAIN(tst_Settings)
#include "tst_settings.moc"
