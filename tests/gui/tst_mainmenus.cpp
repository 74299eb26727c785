// The main window's menus, walked through their table: every item has its caption and does
// what it says, the about and donation windows show their texts, the start screen's
// pictures act as the menu items, and the help pages the items open ship with the program.
#include "PlayerTestKit.h"
#include "UrlCatcher.h"
#include "core/common/AppPaths.h"
#include "gui/dialogs/frmAbout.h"
#include "gui/dialogs/frmMoney.h"
#include "gui/player/MainMenus.h"
#include "gui/player/StartScreen.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

#include <map>

namespace {

// What a click on an item does, as the user sees it:
//   "page P"      the help page P (below the help folder) opens in the browser
//   "folder"      the program's folder opens in the file manager
//   "tab a,b,f"   the playlist window shows area a, tab b (f: focus back to the player)
//   "box"         the default save folder box is shown
//   "message T"   a message box with the text T
//   "window N"    the window N opens
//   "elsewhere"   the item's effect is checked by the tests of its own feature
struct Expected {
    const char* caption;
    const char* effect;
};

const std::map<QString, Expected>& expectations() {
    static const std::map<QString, Expected> table = {
        {u8("menuFile"), {"檔案", ""}},
        {u8("mnuOpen"), {"開啟檔案 ....", "elsewhere"}},
        {u8("mnuPlayLast"), {"播放上一個檔案", "elsewhere"}},
        {u8("mnuSaveFile"), {"另存目前檔案", "elsewhere"}},
        {u8("mnuExplorer"), {"前往檔案總管", "elsewhere"}},
        {u8("mnuAddToList"), {"加入目前檔案到", ""}},
        {u8("mnuToList0"), {"播放清單一", "elsewhere"}},
        {u8("mnuToList1"), {"播放清單二", "elsewhere"}},
        {u8("mnuToList2"), {"合併清單", "elsewhere"}},
        {u8("mnuToListEnd"), {"總是加到清單末尾", "elsewhere"}},
        {u8("mnuStartList"), {"啟動時顯示播放清單", "elsewhere"}},
        {u8("mnuSaveNow"), {"立即儲存設定", "elsewhere"}},
        {u8("mnuOpenApp"), {"開啟安裝目錄", "folder"}},
        {u8("mnuUninstall"),
         {"移除本軟體",
          "message 本軟體乃是綠色軟體，與免費軟體\r\n如果想移除本軟體，只要將安裝的\r\n"
          "目錄與目錄下的檔案全部刪除即可\r\n\r\n你可以使用「開啟安裝目錄」選項"}},
        {u8("mnuEnd0"), {"結束 ( 儲存設定 )", "elsewhere"}},
        {u8("mnuEnd1"), {"結束 ( 不儲存設定 )", "elsewhere"}},
        {u8("menuPlay"), {"播放", ""}},
        {u8("menuSpeed"), {"設定播放速度", ""}},
        {u8("menuSteps"), {"設定倒轉快轉", ""}},
        {u8("menuMarks"), {"標記剪輯", ""}},
        {u8("mnuRngEdit"), {"前往標記清單　　 　F2", "elsewhere"}},
        {u8("mnuRngPlay0"), {"單次播放標記　　 　Enter", "elsewhere"}},
        {u8("mnuRngPlay1"), {"循環播放標記　   Ctr+Enter", "elsewhere"}},
        {u8("mnuRngClear"), {"清除所有標記", "elsewhere"}},
        {u8("mnuSaveRng"), {"另存裁剪", "elsewhere"}},
        {u8("mnuSaveCut"), {"另存分割", "elsewhere"}},
        {u8("mnuExactCut"), {"精確裁剪 ( 只重新編碼切點附近的畫面 )", "elsewhere"}},
        {u8("mnuAutoAddMark"), {"總是自動附加標記", "elsewhere"}},
        {u8("menuView"), {"畫面", ""}},
        {u8("mnuKeepWH"), {"影片維持長寬比例", "elsewhere"}},
        {u8("mnuKeepDef"), {"影片維持原始大小", "elsewhere"}},
        {u8("mnuScnFull"), {"切換畫面最大化　　Esc", "elsewhere"}},
        {u8("mnuSaveCap"), {"另存畫面　　　　　Home", "elsewhere"}},
        {u8("menuTools"), {"工具", ""}},
        {u8("mnuList"), {"前往播放清單　　　F1", "tab 0,0,1"}},
        {u8("mnuMyExplorer"), {"前往檔案列表　　F3", "tab 1,1,1"}},
        {u8("mnuSaveDir"), {"設定存取目錄 ....", "box"}},
        {u8("mnuMediaJoin"), {"合併功能", "tab 2,0,1"}},
        {u8("mnuMediaSplit"), {"切割功能", "tab 2,1,1"}},
        {u8("mnuMediaSnap"), {"截圖功能", "tab 3,0,1"}},
        {u8("mnuMediaFix"), {"修復功能", "tab 4,0,1"}},
        {u8("mnuFLV2Mov0"), {"FLV 轉影片", "tab 6,0,1"}},
        {u8("mnuFLV2Mov1"), {"影片轉 FLV", "tab 6,1,1"}},
        {u8("mnuFLV2Muc0"), {"FLV 轉音樂", "tab 7,0,1"}},
        {u8("mnuFLV2Muc1"), {"音樂轉 FLV", "tab 7,1,1"}},
        {u8("mnuFLVGet"), {"擷取網頁 FLV", "page fetch.html"}},
        {u8("menuHelp"), {"說明", ""}},
        {u8("mnuHelp"), {"說明主題", "page Zelvo.FLV.html"}},
        {u8("munCodec"), {"無法播放 FLV？", "page Voduv.ADI.html"}},
        {u8("mnuLearn"), {"本軟體的教學", "page software/detail/Zelvo.FLV/index.html"}},
        {u8("mnuUpdate"), {"查看最新版本", "page software/detail/Zelvo.FLV.htm"}},
        {u8("mnuDlPlus"), {"下載附加元件", ""}},
        {u8("mnuDlPlus0"),
         {"K-Lite Mega Codec Pack ( 播放非 Windows Media Files 與特殊格式所需 )",
          "page Voduv.ADI.html#addons"}},
        {u8("mnuDownloadFamily"), {"下載家族軟體", ""}},
        {u8("mnuDlFamily0"),
         {"ZelvoResFLV ( 本軟體的工具程式 )", "page software/detail/ZelvoResFLV.htm"}},
        {u8("mnuDiscuss"), {"作者的部落格", "page blog.html"}},
        {u8("mnuMoney"), {"捐助 ......", "window frmMoney"}},
        {u8("mnuAbout"), {"關於本軟體", "window frmAbout"}},
    };
    return table;
}

QUrl helpPage(const QString& page) {
    QUrl url = QUrl::fromLocalFile(AppPaths::running().helpFolder() + page.section(u'#', 0, 0));
    url.setFragment(page.section(u'#', 1), QUrl::DecodedMode);
    return url;
}

QDialog* openDialog(const QString& name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == name && top->isVisible()) {
            return qobject_cast<QDialog*>(top);
        }
    }
    return nullptr;
}

}  // namespace

class tst_MainMenus : public PlayerTest {
    Q_OBJECT

    UrlCatcher m_catcher;
    TestList m_list;

private Q_SLOTS:
    void initTestCase() { QDesktopServices::setUrlHandler(u8("file"), &m_catcher, "open"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(u8("file")); }
    void init() {
        openPlayer();
        m_f->setList(&m_list);
        m_list.tabsShown.clear();
        m_list.saveFolderBoxShown = 0;
        m_catcher.urls.clear();
    }
    void cleanup() {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (qobject_cast<QDialog*>(top) != nullptr) {
                delete top;
            }
        }
        closePlayer();
    }

    // The table and the expectations name the same items, in both directions.
    void everyItemIsKnown() {
        QStringList names;
        for (const MenuRow& row : win().menus().rows()) {
            if (row.kind != MenuRow::Kind::Separator && !row.name.startsWith(u8("mnuSpeed")) &&
                !row.name.startsWith(u8("mnuFB"))) {
                names << row.name;
                QVERIFY2(expectations().count(row.name) == 1, qPrintable(row.name));
            }
        }
        for (const auto& [name, expected] : expectations()) {
            QVERIFY2(names.contains(name), qPrintable(name));
        }
    }

    void items_data() {
        QTest::addColumn<QString>("name");
        // The rows of a window of its own: data functions run before init().
        const PlayerFixture window;
        for (const MenuRow& row : window.w->menus().rows()) {
            const auto found = expectations().find(row.name);
            if (found != expectations().end() && *found->second.effect != '\0' &&
                QByteArray(found->second.effect) != "elsewhere") {
                QTest::newRow(qPrintable(row.name)) << row.name;
            }
        }
    }
    void items() {
        QFETCH(QString, name);
        const Expected expected = expectations().at(name);
        QAction* action = win().menus().action(name);
        QVERIFY(action != nullptr);
        QCOMPARE(action->text(), u8(expected.caption));
        QVERIFY(action->isEnabled());

        const QString effect = u8(expected.effect);
        const QString what = effect.section(u' ', 0, 0);
        const QString detail = effect.section(u' ', 1);
        if (what == u8("message")) {
            m_dialogs->answerMessage(MsgResult::Ok);
        }
        action->trigger();
        if (what == u8("page")) {
            QVERIFY2(QFileInfo::exists(helpPage(detail).toLocalFile()), qPrintable(detail));
            QCOMPARE(m_catcher.urls, QList<QUrl>{helpPage(detail)});
        } else if (what == u8("folder")) {
            QCOMPARE(m_catcher.urls,
                     QList<QUrl>{QUrl::fromLocalFile(AppPaths::running().programFolder())});
        } else if (what == u8("tab")) {
            QCOMPARE(m_list.tabsShown, QStringList{detail});
        } else if (what == u8("box")) {
            QCOMPARE(m_list.saveFolderBoxShown, 1);
        } else if (what == u8("message")) {
            QCOMPARE(m_dialogs->messageTexts(), QStringList{detail});
        } else if (what == u8("window")) {
            QTRY_VERIFY_WITH_TIMEOUT(openDialog(detail) != nullptr, 5000);
        }
        if (what != u8("page") && what != u8("folder")) {
            QCOMPARE(m_catcher.urls, QList<QUrl>());
        }
    }

    // A help page that is not there is said, naming the file looked for; nothing opens.
    void missingPage() {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        const AppPaths moved(prefix.path() + u8("/bin"), QDir::tempPath());
        QCOMPARE(moved.helpFile(), prefix.path() + u8("/share/zelvo-flv/help/Zelvo.FLV.html"));
        // The running program's own help is there; a page of it that is gone is said.
        const QString gone = AppPaths::running().helpFolder() + u8("no-such-page.html");
        QVERIFY(!QFileInfo::exists(gone));
        m_dialogs->answerMessage(MsgResult::Ok);
        win().openHelpPage(u8("no-such-page.html"));
        QCOMPARE(m_dialogs->messageTexts(), QStringList{u8("找不到說明檔 ") + gone + u8("！")});
        QCOMPARE(m_dialogs->lastMessage().title, u8("注意事項"));
        QCOMPARE(m_catcher.urls, QList<QUrl>());
    }

    void aboutWindow() {
        frmAbout about;
        QCOMPARE(about.windowTitle(), u8(" 關於 Zelvo.FLV"));
        QCOMPARE(about.lblTitle->text(), u8("Zelvo.FLV"));
        QCOMPARE(about.lblVersion->text(), QString());
        QCOMPARE(about.lblTitleNote->text(),
                 u8("　FLV 播放、剪輯、合併與轉檔軟體\n　同時支援影片截圖，與修復的功能"));
        QCOMPARE(about.cmdOK->text(), u8("離開"));
        QCOMPARE(about.lblHomepage->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(about.lblMail->cursor().shape(), Qt::PointingHandCursor);
        // Its links open the home page and the page on reporting a problem.
        win().menus().action(u8("mnuAbout"))->trigger();
        QDialog* shown = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((shown = openDialog(u8("frmAbout"))) != nullptr, 5000);
        auto* opened = static_cast<frmAbout*>(shown);
        QTest::mouseClick(opened->lblHomepage, Qt::LeftButton);
        QTest::mouseClick(opened->lblMail, Qt::LeftButton);
        QCOMPARE(m_catcher.urls,
                 (QList<QUrl>{helpPage(u8("index.html")), helpPage(u8("feedback.html"))}));
        QTest::mouseClick(opened->cmdOK, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(openDialog(u8("frmAbout")) == nullptr, 5000);
    }

    void donationWindow() {
        frmMoney money;
        QCOMPARE(money.windowTitle(), u8(" 捐助"));
        QCOMPARE(money.cmdOK->text(), u8("離開"));
        QVERIFY(money.txtMoney->isReadOnly());
        QVERIFY(money.txtMoney->toPlainText().startsWith(u8("Zelvo.FLV 是免費軟體")));
        // No account to send money to: the text says none is asked for.
        QVERIFY(money.txtMoney->toPlainText().contains(u8("本軟體不接受金錢捐助")));
        QSignalSpy mail(&money, &frmMoney::mailClicked);
        QTest::mouseClick(money.lblMail, Qt::LeftButton);
        QCOMPARE(mail.count(), 1);
    }

    // The start screen shows until a file plays; its pictures and labels act as the items.
    void startScreen() {
        m_f->load();
        StartScreen* note = &win().parts().note;
        QVERIFY(note->isVisible());
        QCOMPARE(note->lblBlog->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(note->imgMoney->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(note->geometry().top(), 0);
        QVERIFY(qAbs(note->geometry().center().x() - note->parentWidget()->width() / 2) <= 1);

        QTest::mouseClick(note->imgBlog, Qt::LeftButton);
        QTest::mouseClick(note->lblBlog, Qt::LeftButton);
        QCOMPARE(m_catcher.urls,
                 (QList<QUrl>{helpPage(u8("blog.html")), helpPage(u8("blog.html"))}));
        QTest::mouseClick(note->lblMoney, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(openDialog(u8("frmMoney")) != nullptr, 5000);
        delete openDialog(u8("frmMoney"));
        QTest::mouseClick(note->imgMoney, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(openDialog(u8("frmMoney")) != nullptr, 5000);
        delete openDialog(u8("frmMoney"));

        QVERIFY(m_f->play(u8("h264.flv")));
        QVERIFY(!note->isVisible());
    }
};

QTEST_MAIN(tst_MainMenus)
#include "tst_mainmenus.moc"
