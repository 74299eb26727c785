// The playlist window's toolbar, drops and list menu: everything that changes a list's
// lines or plays from it.
#include "core/common/AppPaths.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "core/files/DialogService.h"
#include "core/lists/ListFiles.h"
#include "gui/busy/BusySession.h"
#include "gui/playlist/PlaylistView.h"
#include "gui/playlist/frmList.h"
#include "gui/playlist/frmListBrowser.h"
#include "gui/playlist/frmListTexts.h"
#include "gui/tooltabs/ToolTab.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/windows/PlayerWindow.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QShowEvent>

namespace t = frmListTexts;

PlaylistView* frmList::activeView() const {
    if (m_activeList == lstMn2) {
        return lstMn2View;
    }
    for (size_t i = 0; i < 2; ++i) {
        if (m_activeList == lstMn[i]) {
            return lstMnView[i];
        }
    }
    return nullptr;
}

bool frmList::isPlaylist(const PlaylistModel* model) const {
    return model == lstMn[0] || model == lstMn[1];
}

void frmList::addToList(const QString& item, bool insertAfterSelection, bool refreshNow) {
    if (item.isEmpty() || m_activeList == nullptr) {
        return;
    }
    m_activeList->addToList(item, insertAfterSelection);
    if (refreshNow) {
        fitListWidth();
        if (PlaylistView* view = activeView()) {
            view->scrollToTop(m_activeList->listIndex());
        }
        refreshButtons();
    }
}

void frmList::mbAdd_Click(int index) {
    if (m_activeList == nullptr) {
        return;
    }
    BusySession::shared().pausePlayer();
    CommDialog dialog;
    dialog.setOwnerWindow(this);
    dialog.setDialogTitle(QString());
    if (index == 0) {
        dialog.setFilter(openFilter);
        dialog.setFilterIndex(m_curListId == 12 ? 4 : 1);
        if (dialog.ShowOpen(true, true).toInt() <= 0) {
            return;
        }
        // The dialog's last file goes in first, so the files land in reverse order.
        QStringList files = dialog.FileArray();
        std::reverse(files.begin(), files.end());
        m_activeList->addItems(files, !addsAtEnd());
    } else {
        dialog.setFilter(t::listFilter() + listPatterns);
        dialog.setFilterIndex(1);
        const QString file = dialog.ShowOpen(true, false);
        if (file.isEmpty() || !isListFile(file)) {
            return;
        }
        const ListFileContents contents = readListFile(file);
        if (!contents.error.isEmpty()) {
            msgBox(contents.error, MsgButtons::Ok, titles::error(), MsgIcon::Critical, this);
            return;
        }
        m_activeList->addItems(contents.items, !addsAtEnd());
        if (contents.refused > 0) {
            refreshButtons();
            fitListWidth();
            msgBox(listFileTexts::overlongEntries(contents.refused), MsgButtons::Ok,
                   titles::notice(), MsgIcon::Exclamation, this);
            return;
        }
    }
    refreshButtons();
    fitListWidth();
}

void frmList::dropFiles(const QStringList& files) {
    if (m_activeList == nullptr) {
        return;
    }
    m_activeList->addItems(files, !addsAtEnd());
    refreshButtons();
    fitListWidth();
}

void frmList::mbDel_Click(int index) {
    if (m_activeList == nullptr) {
        return;
    }
    if (index == 1) {
        if (msgBox(t::removeAll(), MsgButtons::OkCancel, titles::notice(), MsgIcon::Question,
                   this) != MsgResult::Ok) {
            return;
        }
        m_activeList->clear();
    } else {
        m_activeList->removeSelected();
    }
    refreshButtons();
    fitListWidth();
}

void frmList::mbMove_Click(int index) {
    if (m_activeList == nullptr) {
        return;
    }
    m_activeList->moveSelected(index == 0 ? -1 : +1);
    refreshButtons();
}

void frmList::mbSortItem_Click() {
    if (m_activeList != nullptr) {
        m_activeList->sortLines();
    }
}

void frmList::mbRevItem_Click() {
    if (m_activeList != nullptr) {
        m_activeList->reverseLines();
    }
}

void frmList::mbRndItem_Click() {
    if (m_activeList != nullptr) {
        m_activeList->shuffleLines();
    }
}

void frmList::mbSave_Click(int index) {
    PlayerWindow* player = m_player;
    if (m_activeList == nullptr || player == nullptr) {
        return;
    }
    if (index == 1) {
        const QString path = m_activeList->selectedPath();
        if (!path.isEmpty()) {
            player->saveFile(path, true);
        }
        return;
    }
    BusySession::shared().pausePlayer();
    // The list goes through a file of its own in the temporary folder; the player's
    // save-as then puts it where the user wants it.
    const QString temp = AppPaths::running().tempFolder() + t::tempListName();
    if (writeListFile(temp, m_activeList->itemTexts(), ListFileFormat::Plt)) {
        player->saveFile(temp, true);
    }
    killFile(temp);
}

void frmList::mbToFile_Click() {
    if (m_activeList == nullptr) {
        return;
    }
    const QString path = m_activeList->selectedPath();
    if (!path.isEmpty()) {
        BusySession::shared().doneAfterSave(path, true, 0.0f, false);
    }
}

void frmList::mbPlay_Click() {
    PlayerWindow* player = m_player;
    if (player == nullptr) {
        return;
    }
    if (m_browserActive) {
        // The browser plays its selected file and goes on through its folder.
        player->playSingle(QString(), true);
    } else if (m_curList != nullptr && m_curList->listIndex() >= 0) {
        player->playSingle(QString(), true);
    } else if (m_activeList == lstMn2 && lstMn2->listIndex() >= 0) {
        player->playSingle(lstMn2->selectedPath(), false);
    }
}

void frmList::mbRndPlay_Click() {
    if (PlayerWindow* player = m_player) {
        player->selectRnd();
        mbPlay_Click();
    }
}

void frmList::mbStop_Click() {
    if (PlayerWindow* player = m_player) {
        player->mbStop_Click();
    }
}

void frmList::mnuToList_Click(int index) {
    QString source;
    if (m_browserActive) {
        source = m_browser->getFnFn(-1);
    } else if (m_curListId >= 10) {
        source = m_activeList != nullptr ? m_activeList->selectedPath() : QString();
    } else if (m_curList != nullptr) {
        source = index == 2 ? m_curList->selectedPath() : m_curList->selectedItem();
    }
    if (source.isEmpty()) {
        return;
    }
    if (PlayerWindow* player = m_player) {
        player->mnToList(index, source);
    }
}

// ---- button looks --------------------------------------------------------------------------

void frmList::setLook(ZelvoButton* button, bool usable) {
    button->setState(usable ? ZelvoButton::Normal : ZelvoButton::Disabled);
}

void frmList::refreshMoveLooks() {
    if (m_activeList == nullptr) {
        return;
    }
    const ListButtonStates states =
        listButtonStates(m_activeList->count(), m_activeList->listIndex());
    setLook(mbMove[0], states.moveUp);
    setLook(mbMove[1], states.moveDown);
}

void frmList::refreshPrevNext() {
    if (PlayerWindow* player = m_player) {
        player->fncEbCheck();
    }
}

void frmList::refreshButtons() {
    if (m_activeList == nullptr) {
        return;
    }
    const ListButtonStates states =
        listButtonStates(m_activeList->count(), m_activeList->listIndex());
    refreshMoveLooks();
    for (ZelvoButton* button : {mbDel[0], mbDel[1], mbSave[0], mbSave[1], mbToFile, mbPlay}) {
        setLook(button, states.hasLines);
    }
    for (ZelvoButton* button : {mbRevItem, mbRndItem, mbSortItem, mbRndPlay}) {
        setLook(button, states.twoOrMore);
    }
    refreshPrevNext();
    mnuAddToList->setEnabled(states.hasLines);
    // The join list's tab follows its list: the run button and the total under it.
    if (ToolTab* tool = toolTab(m_curListId); tool != nullptr && tool->list() == m_activeList) {
        tool->refresh();
        lblNote->setText(tool->note());
    }
}

void frmList::fitListWidth() {
    if (PlaylistView* view = activeView()) {
        view->refitWhenShown();
    }
}

QString frmList::entryTipAt(const PlaylistModel* model, int row) const {
    if (row < 0 || row >= model->count()) {
        return {};
    }
    return entryTip(model->path(row));
}

void frmList::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The player's previous and next buttons wake up with the window.
    refreshPrevNext();
}
