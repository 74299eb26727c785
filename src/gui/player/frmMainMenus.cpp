#include "core/common/AppPaths.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "gui/busy/BusySession.h"
#include "gui/dialogs/frmAbout.h"
#include "gui/dialogs/frmMoney.h"
#include "gui/player/MainMenus.h"
#include "gui/player/PlaybackControl.h"
#include "gui/player/RangeMarks.h"
#include "gui/player/SaveRanges.h"
#include "gui/player/SpeedSteps.h"
#include "gui/player/VideoSizing.h"
#include "gui/player/frmMain.h"
#include "gui/player/frmMainTexts.h"
#include "gui/widgets/mdlZelvoFLVShell.h"
#include "gui/windows/ListWindow.h"

#include <QUrl>

// The main window's menus as one table: each row's place, name, caption and action.

namespace {

using Kind = MenuRow::Kind;

MenuRow menuRow(const QString& parent, const QString& name, const QString& caption) {
    return MenuRow{parent, name, caption, Kind::Menu, true, false, {}};
}

MenuRow item(const QString& parent, const QString& name, const QString& caption,
             std::function<void()> action, bool enabled = true) {
    return MenuRow{parent, name, caption, Kind::Item, enabled, false, std::move(action)};
}

MenuRow check(const QString& parent, const QString& name, const QString& caption, bool checked,
              std::function<void()> action = {}) {
    return MenuRow{parent, name, caption, Kind::Check, true, checked, std::move(action)};
}

MenuRow separator(const QString& parent, const QString& name = QString()) {
    return MenuRow{parent, name, QString(), Kind::Separator, true, false, {}};
}

}  // namespace

QVector<MenuRow> frmMain::menuRows() {
    namespace t = frmMainTexts;
    // A tool of the playlist window's work areas.
    const auto toTab = [this](int area, int tab) {
        return std::function<void()>([this, area, tab] {
            if (ListWindow* list = m_parts->list) {
                list->changeToTab(area, tab, true);
            }
        });
    };
    const QString file = QStringLiteral("menuFile");
    const QString addTo = QStringLiteral("mnuAddToList");
    const QString play = QStringLiteral("menuPlay");
    const QString speed = QStringLiteral("menuSpeed");
    const QString steps = QStringLiteral("menuSteps");
    const QString marks = QStringLiteral("menuMarks");
    const QString view = QStringLiteral("menuView");
    const QString tools = QStringLiteral("menuTools");
    const QString help = QStringLiteral("menuHelp");
    const QString plus = QStringLiteral("mnuDlPlus");
    const QString family = QStringLiteral("mnuDownloadFamily");
    QVector<MenuRow> rows;

    rows << menuRow(QString(), file, t::menuFile())
         << item(file, QStringLiteral("mnuOpen"), t::mnuOpen(),
                 [this] { m_playback->mnuOpen_Click(); })
         << item(
                file, QStringLiteral("mnuPlayLast"), t::mnuPlayLast(),
                [this] { m_playback->mnuPlayLast_Click(); }, false)
         << separator(file)
         << item(file, QStringLiteral("mnuSaveFile"), t::mnuSaveFile(),
                 [this] { m_save->mnuSaveFile_Click(); })
         << item(file, QStringLiteral("mnuExplorer"), t::mnuExplorer(),
                 [this] { explorerSelect(mciMain.FileName()); })
         << menuRow(file, addTo, t::mnuAddToList());
    const QStringList lists = t::mnuToList();
    for (int i = 0; i < 3; ++i) {
        rows << item(addTo, QStringLiteral("mnuToList%1").arg(i), lists.at(i),
                     [this, i] { m_marks->mnuToList_Click(i); });
    }
    // "總是加到清單末尾" is one setting shown in both windows; the playlist window follows it.
    rows << separator(addTo)
         << check(addTo, QStringLiteral("mnuToListEnd"), t::mnuToListEnd(), true) << separator(file)
         << check(file, QStringLiteral("mnuStartList"), t::mnuStartList(), false)
         << item(file, QStringLiteral("mnuSaveNow"), t::mnuSaveNow(),
                 [this] { mnuSaveNow_Click(); })
         << separator(file)
         << item(file, QStringLiteral("mnuOpenApp"), t::mnuOpenApp(),
                 [this] { mnuOpenApp_Click(); })
         << item(file, QStringLiteral("mnuUninstall"), t::mnuUninstall(),
                 [this] { mnuUninstall_Click(); })
         << separator(file)
         << item(file, QStringLiteral("mnuEnd0"), t::mnuEnd0(), [this] { mnuEnd(0); })
         << item(file, QStringLiteral("mnuEnd1"), t::mnuEnd1(), [this] { mnuEnd(1); });

    rows << menuRow(QString(), play, t::menuPlay()) << menuRow(play, speed, t::menuSpeed());
    const QStringList speeds = t::mnuSpeed();
    for (int i = 0; i < 11; ++i) {
        const QString name = QStringLiteral("mnuSpeed%1").arg(i);
        rows << (i == 9 ? separator(speed, name)
                        : check(speed, name, speeds.at(i), i == 4,
                                [this, i] { m_speed->mnuSpeed_Click(i); }));
    }
    rows << menuRow(play, steps, t::menuSteps());
    const QStringList modes = t::mnuFB();
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("mnuFB%1").arg(i);
        if (i == 3) {
            rows << separator(steps, name);
        } else if (i == 4) {
            rows << item(steps, name, modes.at(i), [this, i] { m_speed->mnuFB_Click(i); });
        } else {
            rows << check(steps, name, modes.at(i), i == 1, [this, i] { m_speed->mnuFB_Click(i); });
        }
    }

    // The range marks start without segments: only the marks list can be opened.
    rows << menuRow(QString(), marks, t::menuMarks())
         << item(marks, QStringLiteral("mnuRngEdit"), t::mnuRngEdit(),
                 [this] { m_marks->mnuRngEdit_Click(); })
         << separator(marks);
    const QStringList rangePlays = t::mnuRngPlay();
    for (int i = 0; i < 2; ++i) {
        rows << item(
            marks, QStringLiteral("mnuRngPlay%1").arg(i), rangePlays.at(i),
            [this, i] { m_marks->mnuRngPlay_Click(i); }, false);
    }
    rows << item(
                marks, QStringLiteral("mnuRngClear"), t::mnuRngClear(),
                [this] { m_marks->mnuRngClear_Click(); }, false)
         << separator(marks)
         << item(
                marks, QStringLiteral("mnuSaveRng"), t::mnuSaveRng(),
                [this] { m_save->saveRanges(0); }, false)
         << item(
                marks, QStringLiteral("mnuSaveCut"), t::mnuSaveCut(),
                [this] { m_save->saveRanges(1); }, false)
         << check(marks, QStringLiteral("mnuExactCut"), t::mnuExactCut(), false,
                  [this] { m_save->mnuExactCut_Click(m_menus->mnuExactCut->isChecked()); })
         << separator(marks)
         << check(marks, QStringLiteral("mnuAutoAddMark"), t::mnuAutoAddMark(), false);

    // The menu has already turned the check mark over when the size is laid out again.
    rows << menuRow(QString(), view, t::menuView())
         << check(view, QStringLiteral("mnuKeepWH"), t::mnuKeepWH(), true,
                  [this] { m_sizing->myPutSize(false); })
         << check(view, QStringLiteral("mnuKeepDef"), t::mnuKeepDef(), false,
                  [this] { m_sizing->myPutSize(false); })
         << separator(view)
         << item(view, QStringLiteral("mnuScnFull"), t::mnuScnFull(),
                 [this] { Form_KeyDown(Qt::Key_Escape, Qt::NoModifier); })
         << item(view, QStringLiteral("mnuSaveCap"), t::mnuSaveCap(),
                 [this] { mnuSaveCap_Click(); });

    // The playlist window and its tools.
    rows << menuRow(QString(), tools, t::menuTools())
         << item(tools, QStringLiteral("mnuList"), t::mnuList(),
                 [this] {
                     if (ListWindow* list = m_parts->list) {
                         list->changeToTab(0, list->lastPlaylist(), true);
                     }
                 })
         << item(tools, QStringLiteral("mnuMyExplorer"), t::mnuMyExplorer(),
                 [this] { mnuMyExplorer_Click(); })
         << item(tools, QStringLiteral("mnuSaveDir"), t::mnuSaveDir(),
                 [this] {
                     if (ListWindow* list = m_parts->list) {
                         list->showSaveFolderBox();
                     }
                 })
         << separator(tools)
         << item(tools, QStringLiteral("mnuMediaJoin"), t::mnuMediaJoin(), toTab(2, 0))
         << item(tools, QStringLiteral("mnuMediaSplit"), t::mnuMediaSplit(), toTab(2, 1))
         << item(tools, QStringLiteral("mnuMediaSnap"), t::mnuMediaSnap(), toTab(3, 0))
         << item(tools, QStringLiteral("mnuMediaFix"), t::mnuMediaFix(), toTab(4, 0))
         << separator(tools);
    for (int i = 0; i < 2; ++i) {
        rows << item(tools, QStringLiteral("mnuFLV2Mov%1").arg(i), t::mnuFLV2Mov(i), toTab(6, i));
    }
    for (int i = 0; i < 2; ++i) {
        rows << item(tools, QStringLiteral("mnuFLV2Muc%1").arg(i), t::mnuFLV2Muc(i), toTab(7, i));
    }
    rows << separator(tools) << item(tools, QStringLiteral("mnuFLVGet"), t::mnuFLVGet(), [this] {
        openHelpPage(QStringLiteral("fetch.html"));
    });

    // Help and the program's pages: every address is a page of the installed help.
    rows << menuRow(QString(), help, t::menuHelp())
         << item(help, QStringLiteral("mnuHelp"), t::mnuHelp(), [this] { mnuHelp_Click(); })
         << item(help, QStringLiteral("munCodec"), t::munCodec(), [this] { munCodec_Click(); })
         << separator(help)
         << item(help, QStringLiteral("mnuLearn"), t::mnuLearn(),
                 [this] { openHelpPage(QStringLiteral("software/detail/Zelvo.FLV/index.html")); })
         << item(help, QStringLiteral("mnuUpdate"), t::mnuUpdate(),
                 [this] { openHelpPage(QStringLiteral("software/detail/Zelvo.FLV.htm")); })
         << menuRow(help, plus, t::menuDlPlus())
         << item(
                plus, QStringLiteral("mnuDlPlus0"), t::mnuDlPlus0(),
                [this] { openHelpPage(AppPaths::codecHelpFileName() + QStringLiteral("#addons")); })
         << menuRow(help, family, t::mnuDownloadFamily());
    const auto pages = t::familyPages();
    for (int i = 0; i < pages.size(); ++i) {
        rows << item(family, QStringLiteral("mnuDlFamily%1").arg(i), pages.at(i).first,
                     [this, page = pages.at(i).second] { openHelpPage(page); });
    }
    rows << separator(help)
         << item(help, QStringLiteral("mnuDiscuss"), t::mnuDiscuss(),
                 [this] { mnuDiscuss_Click(); })
         << item(help, QStringLiteral("mnuMoney"), t::mnuMoney(), [this] { mnuMoney_Click(); })
         << item(help, QStringLiteral("mnuAbout"), t::mnuAbout(), [this] { mnuAbout_Click(); });
    return rows;
}

// The open file in the file list, or the file list as it is.
void frmMain::mnuMyExplorer_Click() {
    if (!mciMain.FileName().isEmpty()) {
        BusySession::shared().doneAfterSave(mciMain.FileName(), true, 0.0f, false);
    } else if (ListWindow* list = m_parts->list) {
        list->changeToTab(1, 1, true);
    }
}

void frmMain::mnuHelp_Click() {
    openHelp(AppPaths::running().helpFile());
}

void frmMain::munCodec_Click() {
    openHelp(AppPaths::running().codecHelpFile());
}

void frmMain::openHelp(const QString& path) {
    if (FileObject::shared().FileExists(path)) {
        shellOpen(path, this);
    } else {
        msgBox(frmMainTexts::helpMissing(path), MsgButtons::Ok, titles::notice(),
               MsgIcon::Information, this);
    }
}

void frmMain::openHelpPage(const QString& page) {
    const AppPaths& paths = AppPaths::running();
    const QString file = paths.helpFolder() + page.section(QLatin1Char('#'), 0, 0);
    if (!FileObject::shared().FileExists(file)) {
        msgBox(frmMainTexts::helpMissing(file), MsgButtons::Ok, titles::notice(),
               MsgIcon::Information, this);
        return;
    }
    QUrl url = QUrl::fromLocalFile(file);
    url.setFragment(page.section(QLatin1Char('#'), 1), QUrl::DecodedMode);
    shellOpen(url.toString(QUrl::FullyEncoded), this);
}

void frmMain::mnuOpenApp_Click() {
    shellOpen(AppPaths::running().programFolder(), this);
}

void frmMain::mnuUninstall_Click() {
    pausePrFn();
    const AppPaths& paths = AppPaths::running();
    const QString text = paths.install() == AppPaths::Install::Package
                             ? frmMainTexts::uninstallPackage(AppPaths::packageName())
                             : frmMainTexts::uninstallFolderCopy();
    msgBox(text, MsgButtons::Ok, titles::app(), MsgIcon::Information, this);
}

void frmMain::mnuDiscuss_Click() {
    openHelpPage(QStringLiteral("blog.html"));
}

void frmMain::mnuMoney_Click() {
    pausePrFn();
    auto* money = new frmMoney(this);
    connect(money, &frmMoney::mailClicked, this,
            [this] { openHelpPage(QStringLiteral("feedback.html")); });
    money->open();
}

void frmMain::mnuAbout_Click() {
    pausePrFn();
    auto* about = new frmAbout(this);
    connect(about, &frmAbout::homePageClicked, this,
            [this] { openHelpPage(QStringLiteral("index.html")); });
    connect(about, &frmAbout::mailClicked, this,
            [this] { openHelpPage(QStringLiteral("feedback.html")); });
    about->open();
}
