// The playlist window with the real player window: what each tab switch shows and enables,
// the toolbar's button looks, adding, removing and saving through the dialogs, the list
// menu, F1 and closing.
#include "PlayerTestKit.h"
#include "app/ConnectWindows.h"
#include "core/common/AppPaths.h"
#include "core/lists/ListFiles.h"
#include "gui/player/MainMenus.h"
#include "gui/playlist/PlaylistView.h"
#include "gui/playlist/frmList.h"
#include "gui/playlist/frmListBrowser.h"
#include "gui/tooltabs/ToolTab.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/widgets/ZelvoTab.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>

namespace {

struct TabRow {
    int area;
    int tab;
    int id;
    const char* note;
    bool playlistMenu;     // "播放清單設定"
    bool addToMenu;        // "加入指定項目到"
    const char* playSpec;  // "" hidden
    bool playButtons;
    bool addUsable;
};

QString looks(const std::initializer_list<ZelvoButton*> buttons) {
    QString text;
    for (const ZelvoButton* button : buttons) {
        text += QString::number(button->State());
    }
    return text;
}

}  // namespace

Q_DECLARE_METATYPE(TabRow)

class tst_frmList : public PlayerTest {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void tabSwitch_data();
    void tabSwitch();
    void sameTabRefreshes();
    void toolTips();
    void buttonLooks_data();
    void buttonLooks();
    void layoutOnArrival();
    void addFiles_data();
    void addFiles();
    void addListFile();
    void removeAll();
    void saveList_data();
    void saveList();
    void toAnotherList();
    void keysAndClose();
    void playerAddsWithMarks();

private:
    frmList& list() { return *m_list; }
    // Puts paths into a playlist of the window; missing ones are made as empty files.
    QStringList files(const QStringList& names);
    std::unique_ptr<frmList> m_list;
};

void tst_frmList::init() {
    openPlayer();
    m_list = std::make_unique<frmList>();
    connectWindows(win(), *m_list);
    m_f->load();
}

void tst_frmList::cleanup() {
    appClosing = true;
    m_list.reset();
    appClosing = false;
    closePlayer();
}

QStringList tst_frmList::files(const QStringList& names) {
    QStringList paths;
    for (const QString& name : names) {
        paths << m_f->temp.filePath(name);
        if (!QFileInfo::exists(paths.last())) {
            testsupport::writeFile(paths.last(), QByteArray(2000, 'x'));
        }
    }
    return paths;
}

void tst_frmList::tabSwitch_data() {
    const char* listNote = "用滑鼠雙擊清單的指定項目，便可以播放該檔案";
    const char* encode = "按照步驟輸入參數之後，「執行轉檔功能」便可以按下";
    testsupport::addRows<TabRow>({
        {"playlist one", {0, 0, 0, listNote, true, true, "", true, true}},
        {"playlist two", {0, 1, 1, listNote, true, true, "", true, true}},
        {"marks list",
         {1, 0, 10, "用滑鼠雙擊清單的指定項目，便可以播放該標記區段", false, false, "", false,
          false}},
        {"file browser",
         {1, 1, 11, "用滑鼠雙擊列表的指定項目，便可以播放該檔案", false, true, "", true, false}},
        {"join list",
         {2, 0, 20, "合併清單目前所有項目的總檔案大小是：0 KB", false, true, "", false, true}},
        {"split",
         {2, 1, 21, "按照步驟輸入參數之後，「執行切割功能」便可以按下", false, false,
          "播放指定影片", false, false}},
        {"snapshot",
         {3, 0, 30, "按照步驟輸入參數之後，「執行截圖功能」便可以按下", false, false,
          "播放指定影片", false, false}},
        {"fix",
         {4, 0, 40, "按照步驟輸入參數之後，「執行修復功能」便可以按下", false, false,
          "播放指定影片", false, false}},
        {"flv to video", {6, 0, 60, encode, false, false, "播放來源影片", false, false}},
        {"video to flv", {6, 1, 61, encode, false, false, "播放來源影片", false, false}},
        {"flv to music", {7, 0, 70, encode, false, false, "播放來源影片", false, false}},
        {"music to flv", {7, 1, 71, encode, false, false, "播放來源音樂", false, false}},
    });
}

void tst_frmList::tabSwitch() {
    QFETCH(TabRow, row);
    // Come from somewhere else, so that the switch is a real one.
    list().changeToTab(row.area == 3 ? 4 : 3, 0, false);
    list().changeToTab(row.area, row.tab, false);
    QCOMPARE(list().curListId(), row.id);
    QCOMPARE(list().note()->text(), u8(row.note));
    QCOMPARE(list().mnuMnLst->menuAction()->isVisible(), row.playlistMenu);
    QCOMPARE(list().mnuAddToList->menuAction()->isVisible(), row.addToMenu);
    QCOMPARE(list().mnuPlaySpec->isVisible(), *row.playSpec != '\0');
    if (*row.playSpec != '\0') {
        QCOMPARE(list().mnuPlaySpec->text(), u8(row.playSpec));
        QVERIFY(!list().mnuPlaySpec->isEnabled());
    }
    QCOMPARE(list().mbPlay->isVisibleTo(&list()), row.playButtons);
    QCOMPARE(list().mbStopLoop->isVisibleTo(&list()), row.playButtons);
    QCOMPARE(list().mbAdd[0]->State() == ZelvoButton::Normal, row.addUsable);
    for (int area = 0; area < frmList::areaCount; ++area) {
        if (QAction* item = list().mnuSwithItem[static_cast<size_t>(area)]) {
            QCOMPARE(item->isChecked(), area == row.area);
        }
        if (ZelvoTab* strip = list().tabStrip(area)) {
            QCOMPARE(strip->isVisibleTo(&list()), area == row.area);
        }
    }
    QCOMPARE(list().tabStrip(row.area)->TabNow(), row.tab);
    QCOMPARE(list().hasPlaylist(), row.id < 2);
    QCOMPARE(list().browserActive(), row.id == 11);
}

void tst_frmList::sameTabRefreshes() {
    list().changeToTab(2, 1, false);
    list().note()->setText(QStringLiteral("x"));
    list().mnuSwithItem[2]->trigger();
    QCOMPARE(list().curListId(), 21);
    QCOMPARE(list().note()->text(), u8("按照步驟輸入參數之後，「執行切割功能」便可以按下"));
    // Tab -1 keeps the strip's tab.
    list().changeToTab(0, 1, false);
    list().changeToTab(2, -1, false);
    QCOMPARE(list().curListId(), 21);
}

void tst_frmList::toolTips() {
    const std::pair<const char*, const char*> tips[] = {
        {"mbAdd0", "加入檔案 ( 可複選 )"}, {"mbAdd1", "加入清單檔案"},
        {"mbDel0", "移除指定項目"},        {"mbDel1", "移除全部項目"},
        {"mbMove0", "上移指定項目"},       {"mbMove1", "下移指定項目"},
        {"mbSortItem", "依序排列項目"},    {"mbRevItem", "依表倒序項目"},
        {"mbRndItem", "隨機打亂項目"},     {"mbSave0", "另存清單 ( 預設副檔名 plt )"},
        {"mbSave1", "另存指定檔案"},       {"mbToFile", "指定項目前往檔案列表"},
        {"mbPlay", "播放指定項目"},        {"mbRndPlay", "隨機播放某一項目"},
        {"mbStop", "停止目前播放"},        {"mbStopLoop", "停止全部播放"},
    };
    for (const auto& [name, tip] : tips) {
        const auto* button = list().findChild<ZelvoButton*>(QString::fromLatin1(name));
        QVERIFY2(button != nullptr, name);
        QCOMPARE(button->toolTip(), u8(tip));
    }
    // The toolbar has no other buttons (the tool tabs' own sit in their panels).
    QCOMPARE(list().centralWidget()->findChildren<ZelvoButton*>(Qt::FindDirectChildrenOnly).size(),
             int(std::size(tips)));
    // The client area keeps the size the work areas are laid out for, and every tool tab
    // fits its panel there.
    QCOMPARE(list().centralWidget()->size(), QSize(382, 394));
    for (const int id : {20, 21, 30, 40, 60, 61, 70, 71}) {
        list().changeToTab(id / 10, id % 10, false);
        const QWidget* tool = list().toolTab(id);
        QVERIFY2(tool->minimumSizeHint().width() <= tool->width() &&
                     tool->minimumSizeHint().height() <= tool->height(),
                 qPrintable(QString::number(id)));
    }
    // Text boxes and lists have a thin sunken edge, the browser's folders and files a line.
    const auto* box = list().findChild<QLineEdit*>(u8("txtMdSplit"));
    QVERIFY(box->styleSheet().contains(u8("border-width: 1px; border-style: solid")));
    QCOMPARE(list().playlistView(0)->frameShadow(), QFrame::Sunken);
    QCOMPARE(list().browserTab()->Dir1->frameShape(), QFrame::Box);
    QCOMPARE(list().browserTab()->Fn1->frameShadow(), QFrame::Plain);
}

void tst_frmList::buttonLooks_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("selected");
    // up down | del del save save tofile play | rev rnd sort rndplay | player prev next
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << 0 << -1 << "33|333333|3333|33";
    QTest::newRow("one") << 1 << 0 << "33|000000|3333|33";
    QTest::newRow("first of three") << 3 << 0 << "30|000000|0000|00";
    QTest::newRow("middle of three") << 3 << 1 << "00|000000|0000|00";
    QTest::newRow("last of three") << 3 << 2 << "03|000000|0000|00";
}

void tst_frmList::buttonLooks() {
    QFETCH(int, lines);
    QFETCH(int, selected);
    QFETCH(QString, expected);
    list().show();
    QStringList names;
    for (int i = 0; i < lines; ++i) {
        names << QStringLiteral("f%1.flv").arg(i);
    }
    list().playlist(0).setItems(files(names));
    list().playlist(0).setListIndex(selected);
    list().refreshButtons();
    frmList& l = list();
    const PlayerPanel* p = &win().panel();
    const QString got =
        looks({l.mbMove[0], l.mbMove[1]}) + QLatin1Char('|') +
        looks({l.mbDel[0], l.mbDel[1], l.mbSave[0], l.mbSave[1], l.mbToFile, l.mbPlay}) +
        QLatin1Char('|') + looks({l.mbRevItem, l.mbRndItem, l.mbSortItem, l.mbRndPlay}) +
        QLatin1Char('|') + looks({p->mbLastItem, p->mbNextItem});
    QCOMPARE(got, expected);
    QCOMPARE(l.mnuAddToList->isEnabled(), lines > 0);
}

void tst_frmList::layoutOnArrival() {
    const QStringList items = files({QStringLiteral("a.flv"), QStringLiteral("b.flv")});
    list().playlist(0).setItems(items);
    list().playlist(1).setItems(items);
    list().mnuLineFmt[1]->trigger();
    QCOMPARE(list().playlist(0).line(0),
             QStringLiteral("a.flv\t%1/\t").arg(m_f->temp.path()) + u8("無標記"));
    // The other playlist keeps its layout until it is shown.
    QCOMPARE(list().playlist(1).layout(), 0);
    list().changeToTab(0, 1, false);
    QCOMPARE(list().playlist(1).layout(), 1);
    QCOMPARE(list().playlist(1).itemTexts(), items);
}

void tst_frmList::addFiles_data() {
    QTest::addColumn<bool>("atEnd");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("selection");
    // The dialog gives x, y, z; they land in reverse order.
    QTest::newRow("at the end") << true << 0 << "a b c z y x" << 5;
    QTest::newRow("after line 2") << false << 1 << "a b z y x c" << 4;
}

void tst_frmList::addFiles() {
    QFETCH(bool, atEnd);
    QFETCH(int, selected);
    QFETCH(QString, order);
    QFETCH(int, selection);
    list().playlist(0).setItems(
        files({QStringLiteral("a.flv"), QStringLiteral("b.flv"), QStringLiteral("c.flv")}));
    list().playlist(0).setListIndex(selected);
    // The player's menu item and the list's are one setting.
    win().menus().mnuToListEnd->setChecked(atEnd);
    QCOMPARE(list().mnuToListEnd->isChecked(), atEnd);
    m_dialogs->answerFile(
        files({QStringLiteral("x.flv"), QStringLiteral("y.flv"), QStringLiteral("z.flv")}));
    list().mbAdd_Click(0);
    QStringList names;
    for (const QString& path : list().playlist(0).itemTexts()) {
        names << QFileInfo(path).completeBaseName();
    }
    QCOMPARE(names.join(QLatin1Char(' ')), order);
    QCOMPARE(list().playlist(0).listIndex(), selection);
    QCOMPARE(m_dialogs->fileDialogs().last().kind, FileDialogRequest::Kind::OpenMulti);
}

void tst_frmList::addListFile() {
    const QString m3u = m_f->temp.filePath(u8("清單 一.m3u"));
    testsupport::writeFile(m3u, "#EXTM3U\r\n#EXTINF:1,a\r\nsub/a.flv\r\n\r\nhttp://host/b.flv\r\n");
    m_dialogs->answerFile({m3u});
    list().mbAdd_Click(1);
    QCOMPARE(list().playlist(0).itemTexts(),
             QStringList({m_f->temp.filePath(QStringLiteral("sub/a.flv")),
                          QStringLiteral("http://host/b.flv")}));
    QCOMPARE(m_dialogs->fileDialogs().last().filters.first(),
             u8("支援的清單檔 (*.plt;*.pls;*.m3u;*.asx) (*.plt *.pls *.m3u *.m3u8 *.asx)"));
    // A UTF-8 list is a list too: the dialog shows it and takes it.
    const QString m3u8 = m_f->temp.filePath(u8("清單 二.m3u8"));
    testsupport::writeFile(m3u8, "#EXTM3U\n影片 二.flv\n");
    m_dialogs->answerFile({m3u8});
    list().mbAdd_Click(1);
    QCOMPARE(list().playlist(0).itemTexts().last(), m_f->temp.filePath(u8("影片 二.flv")));
    list().playlist(0).setItems(list().playlist(0).itemTexts().mid(0, 2));

    // Not a list file: nothing, no message. A binary one: the message, nothing added.
    m_dialogs->answerFile({files({QStringLiteral("c.flv")}).first()});
    list().mbAdd_Click(1);
    const QString binary = m_f->temp.filePath(QStringLiteral("bin.plt"));
    testsupport::writeFile(binary, QByteArray("a\0b", 3));
    m_dialogs->answerFile({binary});
    m_dialogs->answerMessage(MsgResult::Ok);
    list().mbAdd_Click(1);
    QCOMPARE(list().playlist(0).count(), 2);
    QCOMPARE(m_dialogs->messageTexts(), QStringList{listFileTexts::notAListFile(binary)});
}

void tst_frmList::removeAll() {
    list().playlist(0).setItems(files({QStringLiteral("a.flv"), QStringLiteral("b.flv")}));
    m_dialogs->answerMessage(MsgResult::Cancel);
    list().mbDel_Click(1);
    QCOMPARE(list().playlist(0).count(), 2);
    QCOMPARE(m_dialogs->lastMessage().text, u8("確定要移除這個清單的全部項目？"));
    QCOMPARE(m_dialogs->lastMessage().title, u8("注意事項"));
    QCOMPARE(m_dialogs->lastMessage().buttons, MsgButtons::OkCancel);
    m_dialogs->answerMessage(MsgResult::Ok);
    list().mbDel_Click(1);
    QCOMPARE(list().playlist(0).count(), 0);
    QCOMPARE(looks({list().mbDel[0], list().mbPlay, list().mbAdd[0], list().mbAdd[1]}),
             QStringLiteral("3300"));
}

void tst_frmList::saveList_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plt keeps marks") << u8("我的 清單.plt")
                                     << QByteArray(
                                            "%1/a.flv\xe2\x88\xa5"
                                            "100-200\r\n%1/b.flv\r\n");
    QTest::newRow("m3u") << u8("-list.m3u") << QByteArray("#EXTM3U\r\n%1/a.flv\r\n%1/b.flv\r\n");
}

void tst_frmList::saveList() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QStringList paths = files({QStringLiteral("a.flv"), QStringLiteral("b.flv")});
    list().playlist(0).setItems({paths[0] + u8("∥100-200"), paths[1]});
    const QString target = m_f->temp.filePath(name);
    m_dialogs->answerFile({target});
    // The report at the end: Cancel keeps the file manager shut.
    m_dialogs->answerMessage(MsgResult::Cancel);
    list().mbSave_Click(0);
    const FileDialogRequest& asked = m_dialogs->fileDialogs().last();
    QCOMPARE(asked.kind, FileDialogRequest::Kind::Save);
    QCOMPARE(asked.title, u8("另存清單 ( 只有 plt 格式會保留標記 )"));
    QCOMPARE(asked.filters.size(), 4);
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), bytes.replace("%1", m_f->temp.path().toUtf8()));
    QVERIFY(!QFileInfo::exists(AppPaths::running().tempFolder() + QStringLiteral("~tmpS.plt")));
}

void tst_frmList::toAnotherList() {
    const QStringList paths = files({QStringLiteral("a.flv"), QStringLiteral("b.flv")});
    list().playlist(0).setItems({paths[0] + u8("∥100-200 300-400"), paths[1]});
    list().playlist(0).setListIndex(0);
    list().mnuToList[1]->trigger();
    QCOMPARE(list().curListId(), 1);
    QCOMPARE(list().playlist(1).itemTexts(), QStringList{paths[0] + u8("∥100-200 300-400")});
    list().mnuToList[2]->trigger();
    QCOMPARE(list().curListId(), 20);
    QCOMPARE(list().joinList().lines(), QStringList{paths[0]});
    QCOMPARE(list().note()->text(), u8("合併清單目前所有項目的總檔案大小是：2 KB"));
}

void tst_frmList::keysAndClose() {
    list().changeToTab(0, 1, false);
    list().changeToTab(4, 0, false);
    QTest::keyClick(&list(), Qt::Key_F1);
    QCOMPARE(list().curListId(), 1);
    list().playlist(1).setItems(files({QStringLiteral("a.flv"), QStringLiteral("b.flv")}));
    list().refreshButtons();
    QCOMPARE(win().panel().mbNextItem->State(), int(ZelvoButton::Normal));

    // Closing hides; the player's list buttons sleep until the window is back as it was.
    list().close();
    QVERIFY(list().isHidden());
    QCOMPARE(win().panel().mbNextItem->State(), int(ZelvoButton::Disabled));
    win().playback().fncEbCheck();
    QCOMPARE(win().panel().mbNextItem->State(), int(ZelvoButton::Disabled));
    QTest::keyClick(&win(), Qt::Key_F1);
    QVERIFY(list().isVisible());
    QCOMPARE(list().curListId(), 1);
    QCOMPARE(list().playlist(1).count(), 2);
    QCOMPARE(win().panel().mbNextItem->State(), int(ZelvoButton::Normal));
    // The tools menu opens its tab; F3 without a file opens the file list.
    win().menus().action(u8("mnuFLV2Muc1"))->trigger();
    QCOMPARE(list().curListId(), 71);
    QTest::keyClick(&win(), Qt::Key_F3);
    QCOMPARE(list().curListId(), 11);
}

void tst_frmList::playerAddsWithMarks() {
    QVERIFY(m_f->play(QStringLiteral("h264.flv")));
    win().marks().loadMarksText(QStringLiteral("10-20 30-40"));
    win().menus().mnuAutoAddMark->setChecked(true);
    win().menus().mnuToList[1]->trigger();
    QCOMPARE(list().curListId(), 1);
    QCOMPARE(list().playlist(1).itemTexts(),
             QStringList{testsupport::media(QStringLiteral("h264.flv")) + u8("∥10-20 30-40")});
    // F3 shows the open file in the file list.
    QTest::keyClick(&win(), Qt::Key_F3);
    QCOMPARE(list().curListId(), 11);
    QCOMPARE(list().selectedItem(), testsupport::media(QStringLiteral("h264.flv")));
}

QTEST_MAIN(tst_frmList)
#include "tst_frmlist.moc"
