#include "app/ConnectWindows.h"

#include "gui/busy/BusySession.h"
#include "gui/player/MainMenus.h"
#include "gui/player/frmMain.h"
#include "gui/playlist/frmList.h"

#include <QAction>
#include <QWindow>

void connectWindows(frmMain& player, frmList& list) {
    player.setListWindow(&list);
    list.setPlayerWindow(&player);
    BusySession::shared().setWindows(&player, &list);
    // The playlist window belongs to the player: desktops keep it above the player and
    // move it to the player's workspace.
    player.winId();
    list.winId();
    if (list.windowHandle() != nullptr) {
        list.windowHandle()->setTransientParent(player.windowHandle());
    }
    // "總是加到清單末尾" is one setting shown in both windows.
    QAction* atEnd = player.menus().mnuToListEnd;
    list.setAddsAtEnd(atEnd->isChecked());
    QObject::connect(atEnd, &QAction::toggled, &list, &frmList::setAddsAtEnd);
    QObject::connect(&list, &frmList::addsAtEndChanged, atEnd, &QAction::setChecked);
    // "啟動時顯示播放清單": the list comes up beside the player, which keeps the focus.
    QObject::connect(&player, &frmMain::playlistRequested, &list,
                     [&list] { list.changeToTab(list.shownArea(), -1, true); });
}

void disconnectWindows(frmMain& player, frmList& list) {
    player.setListWindow(nullptr);
    list.setPlayerWindow(nullptr);
    BusySession::shared().setWindows(nullptr, nullptr);
}
