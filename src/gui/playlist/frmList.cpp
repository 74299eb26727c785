#include "gui/playlist/frmList.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "gui/busy/BusySession.h"
#include "gui/playlist/PlaylistView.h"
#include "gui/playlist/frmListBrowser.h"
#include "gui/playlist/frmListMarks.h"
#include "gui/playlist/frmListTexts.h"
#include "gui/tooltabs/EncodeTab.h"
#include "gui/tooltabs/FixTab.h"
#include "gui/tooltabs/JoinTab.h"
#include "gui/tooltabs/ProbePanel.h"
#include "gui/tooltabs/SnapTab.h"
#include "gui/tooltabs/SourceBox.h"
#include "gui/tooltabs/SplitTab.h"
#include "gui/tooltabs/ToolTab.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/widgets/ZelvoPictures.h"
#include "gui/widgets/ZelvoTab.h"
#include "gui/widgets/mdlIconKestal.h"
#include "gui/widgets/mdlSetBoxSpec.h"
#include "gui/windows/PlayerWindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

namespace t = frmListTexts;

namespace {

constexpr int kButton = 22;
constexpr int kToolbarTop = 3;
constexpr int kAreaTop = 30;
constexpr int kAreaLeft = 4;
constexpr int kAreaWidth = frmList::clientWidth - 2 * kAreaLeft;
constexpr int kNoteHeight = 18;
constexpr int kAreaHeight = frmList::clientHeight - kAreaTop - kNoteHeight - 6;

// The tabs of each area; area 5 has none.
constexpr int kTabs[frmList::areaCount] = {2, 2, 2, 1, 1, 0, 2, 2};

ZelvoButton* makeButton(QWidget* parent, const QString& name, const QString& tip,
                        ButtonPicture picture, int x) {
    auto* button = new ZelvoButton(parent);
    button->setObjectName(name);
    button->setGeometry(x, kToolbarTop, kButton, kButton);
    button->SetToolTip(tip);
    button->setPicture(ZelvoPictures::picture(picture));
    return button;
}

QFrame* separator(QWidget* parent, int x) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(x, kToolbarTop + 2, 4, kButton - 4);
    return line;
}

}  // namespace

frmList::frmList(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmList"));
    setWindowTitle(t::caption());
    setWindowIcon(mdlIconKestal::programIcon());
    lstMn[0] = new PlaylistModel(PlaylistModel::Kind::Playlist, this);
    lstMn[1] = new PlaylistModel(PlaylistModel::Kind::Playlist, this);
    lstMn2 = new PlaylistModel(PlaylistModel::Kind::Plain, this);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(clientWidth, clientHeight);
    setCentralWidget(client);
    buildToolbar(client);
    buildAreas(client);
    buildMenus();
    setBoxStyles();
    // The client area keeps its size; the window is as large as it and the menu bar.
    setFixedSize(sizeHint());
    showArea(0, 0);
}

frmList::~frmList() = default;

void frmList::buildToolbar(QWidget* client) {
    int x = 2;
    auto next = [&x](int gap = 0) {
        const int at = x + gap;
        x = at + kButton;
        return at;
    };
    for (int i = 0; i < 2; ++i) {
        mbAdd[static_cast<size_t>(i)] =
            makeButton(client, QStringLiteral("mbAdd%1").arg(i), t::tipAdd(i),
                       i == 0 ? ButtonPicture::Add : ButtonPicture::AddList, next());
    }
    for (int i = 0; i < 2; ++i) {
        mbDel[static_cast<size_t>(i)] =
            makeButton(client, QStringLiteral("mbDel%1").arg(i), t::tipDel(i),
                       i == 0 ? ButtonPicture::Delete : ButtonPicture::DeleteAll, next());
    }
    separator(client, x + 1);
    for (int i = 0; i < 2; ++i) {
        mbMove[static_cast<size_t>(i)] =
            makeButton(client, QStringLiteral("mbMove%1").arg(i), t::tipMove(i),
                       i == 0 ? ButtonPicture::MoveUp : ButtonPicture::MoveDown, next(6));
        x -= i == 0 ? 6 : 0;
    }
    mbSortItem = makeButton(client, QStringLiteral("mbSortItem"), t::tipSortItem(),
                            ButtonPicture::Sort, next());
    mbRevItem = makeButton(client, QStringLiteral("mbRevItem"), t::tipRevItem(),
                           ButtonPicture::Reverse, next());
    mbRndItem = makeButton(client, QStringLiteral("mbRndItem"), t::tipRndItem(),
                           ButtonPicture::Shuffle, next());
    separator(client, x + 1);
    mbSave[0] =
        makeButton(client, QStringLiteral("mbSave0"), t::tipSave(0), ButtonPicture::Save, next(6));
    mbSave[1] = makeButton(client, QStringLiteral("mbSave1"), t::tipSave(1),
                           ButtonPicture::SaveFile, next());
    mbToFile = makeButton(client, QStringLiteral("mbToFile"), t::tipToFile(), ButtonPicture::ToFile,
                          next());
    m_playGroup << separator(client, x + 1);
    mbPlay =
        makeButton(client, QStringLiteral("mbPlay"), t::tipPlay(), ButtonPicture::Play, next(6));
    mbRndPlay = makeButton(client, QStringLiteral("mbRndPlay"), t::tipRndPlay(),
                           ButtonPicture::RandomPlay, next());
    mbStop =
        makeButton(client, QStringLiteral("mbStop"), t::tipStop(), ButtonPicture::Stop, next());
    mbStopLoop = makeButton(client, QStringLiteral("mbStopLoop"), t::tipStopLoop(),
                            ButtonPicture::StopAll, next());
    m_playGroup << mbPlay << mbRndPlay << mbStop << mbStopLoop;

    for (int i = 0; i < 2; ++i) {
        const auto at = static_cast<size_t>(i);
        connect(mbAdd[at], &ZelvoButton::Click, this, [this, i] { mbAdd_Click(i); });
        connect(mbDel[at], &ZelvoButton::Click, this, [this, i] { mbDel_Click(i); });
        connect(mbMove[at], &ZelvoButton::Click, this, [this, i] { mbMove_Click(i); });
        connect(mbSave[at], &ZelvoButton::Click, this, [this, i] { mbSave_Click(i); });
    }
    connect(mbSortItem, &ZelvoButton::Click, this, &frmList::mbSortItem_Click);
    connect(mbRevItem, &ZelvoButton::Click, this, &frmList::mbRevItem_Click);
    connect(mbRndItem, &ZelvoButton::Click, this, &frmList::mbRndItem_Click);
    connect(mbToFile, &ZelvoButton::Click, this, &frmList::mbToFile_Click);
    connect(mbPlay, &ZelvoButton::Click, this, &frmList::mbPlay_Click);
    connect(mbRndPlay, &ZelvoButton::Click, this, &frmList::mbRndPlay_Click);
    connect(mbStop, &ZelvoButton::Click, this, &frmList::mbStop_Click);
    connect(mbStopLoop, &ZelvoButton::Click, this, &frmList::mbStopLoop_Click);
}

QFrame* frmList::makePanel(QWidget* parent, const QString& name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(3, 3, 3, 3);
    return panel;
}

void frmList::buildAreas(QWidget* client) {
    for (int area = 0; area < areaCount; ++area) {
        if (kTabs[area] == 0) {
            continue;
        }
        auto* strip = new ZelvoTab(client);
        strip->setObjectName(QStringLiteral("tabMn%1").arg(area));
        strip->setTabs(kTabs[area]);
        strip->setTabsPerRow(kTabs[area]);
        strip->loadAll_Caption(t::tabCaptions(area).join(QChar(0x2261)) + QChar(0x2261));
        // Every area lies where the first one does; only the one shown is visible. The
        // panels take the strip's height under its tab rows.
        strip->setGeometry(kAreaLeft, kAreaTop, kAreaWidth, kAreaHeight);
        QList<QWidget*> panels;
        for (int tab = 0; tab < kTabs[area]; ++tab) {
            panels << makePanel(client, QStringLiteral("picTab%1_%2").arg(area).arg(tab));
        }
        tabMn[static_cast<size_t>(area)] = strip;
        strip->setTabPictureBox(panels);
        connect(strip, &ZelvoTab::TabClick, this, [this, area](int) { tabClick(area); });
    }

    for (int i = 0; i < 2; ++i) {
        const auto at = static_cast<size_t>(i);
        QWidget* panel = tabMn[0]->TabPictureBox().at(i);
        lstMnView[at] = new PlaylistView(panel);
        lstMnView[at]->setObjectName(QStringLiteral("lstMn%1").arg(i));
        connectList(lstMn[at], lstMnView[at]);
    }
    QWidget* marksPanel = tabMn[1]->TabPictureBox().at(0);
    m_marksTab = new MarksTab(marksPanel);
    marksPanel->layout()->addWidget(m_marksTab);
    m_browser = new BrowserTab(*this, tabMn[1]->TabPictureBox().at(1));
    const auto panel = [this](int id) {
        return tabMn[static_cast<size_t>(id / 10)]->TabPictureBox().at(id % 10).data();
    };
    auto* join = new JoinTab(*lstMn2, panel(20));
    lstMn2View = new PlaylistView(join);
    lstMn2View->setObjectName(QStringLiteral("lstMn2"));
    join->setView(lstMn2View);
    connectList(lstMn2, lstMn2View);
    m_tools[20] = join;
    // The split and snapshot tabs share one source; the tab shown holds it.
    m_probe = new ProbePanel(this);
    m_tools[21] = new SplitTab(*m_probe, panel(21));
    m_tools[30] = new SnapTab(*m_probe, panel(30));
    m_tools[40] = new FixTab(panel(40));
    for (int p = 0; p < 4; ++p) {
        const int id = (6 + p / 2) * 10 + p % 2;
        m_tools[id] = new EncodeTab(p, panel(id));
    }
    const auto folder = [this] { return saveFolder(); };
    m_probe->saveFolder = folder;
    connect(m_probe, &ProbePanel::cannotRead, this,
            [this](const QString& file, const QString& head) {
                if (m_player != nullptr) {
                    m_player->pausePrFn();
                    m_player->playErrorMsg(file, head);
                }
            });
    for (const auto& [id, tool] : m_tools) {
        tool->saveFolder = folder;
        connect(tool, &ToolTab::playableChanged, this, [this, tool = tool] {
            if (toolTab(m_curListId) == tool) {
                showPlayable(tool);
            }
        });
    }

    lblNote = new QLabel(client);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setGeometry(kAreaLeft, clientHeight - kNoteHeight - 3, kAreaWidth, kNoteHeight);
}

void frmList::setPlayerWindow(PlayerWindow* player) {
    m_player = player;
    m_marksTab->setPlayer(player);
}

void frmList::setBoxStyles() {
    // Every text box and list gets a thin sunken edge, the file browser's folder and file
    // lists a plain line; a combo box keeps its own look, inside too.
    const auto inCombo = [](const QWidget* widget) {
        for (const QWidget* w = widget->parentWidget(); w != nullptr; w = w->parentWidget()) {
            if (qobject_cast<const QComboBox*>(w) != nullptr) {
                return true;
            }
        }
        return false;
    };
    for (QLineEdit* box : findChildren<QLineEdit*>()) {
        if (!inCombo(box)) {
            mdlSetBoxSpec::setBoxSpec(box, 5);
        }
    }
    for (QAbstractItemView* list : findChildren<QAbstractItemView*>()) {
        if (!inCombo(list)) {
            const bool browser = list == m_browser->Dir1 || list == m_browser->Fn1;
            mdlSetBoxSpec::setBoxSpec(list, browser ? 6 : 5);
        }
    }
}

void frmList::connectList(PlaylistModel* model, PlaylistView* view) {
    view->setPlaylist(model);
    if (view->parentWidget()->layout()->indexOf(view) < 0) {
        view->parentWidget()->layout()->addWidget(view);
    }
    view->setTipProvider([this, model](int row) { return entryTipAt(model, row); });
    connect(view, &PlaylistView::filesDropped, this, [this, model](const QStringList& files) {
        if (model == m_activeList) {
            dropFiles(files);
        }
    });
    connect(view, &PlaylistView::lineDoubleClicked, this, [this, model](int) {
        if (model == lstMn2) {
            if (PlayerWindow* player = m_player) {
                player->playSingle(lstMn2->selectedPath(), false);
            }
        } else if (PlayerWindow* player = m_player) {
            // The entry itself goes to the player: nothing is read back from the line.
            player->playEntry(model->selectedEntry());
        }
    });
    connect(view, &PlaylistView::foldersWithoutMedia, this, [this, model](const QStringList& f) {
        if (model == m_activeList) {
            emptyFoldersDropped(f);
        }
    });
    view->installEventFilter(this);
    connect(view, &PlaylistView::mouseDown, this, [this](int) {
        refreshMoveLooks();
        refreshPrevNext();
    });
    connect(view, &PlaylistView::contextMenuAt, this, &frmList::showPlaylistMenu);
    connect(model, &PlaylistModel::listIndexChanged, this, [this, model](int) {
        if (model == m_activeList) {
            refreshMoveLooks();
        }
    });
}

void frmList::buildMenus() {
    QMenuBar* bar = menuBar();
    mnuSwith = bar->addMenu(t::mnuSwith());
    mnuSwith->setObjectName(QStringLiteral("mnuSwith"));
    const QStringList areas = t::mnuSwithItem();
    for (int area = 0; area < areaCount; ++area) {
        if (kTabs[area] == 0) {
            continue;
        }
        QAction* item = mnuSwith->addAction(areas.at(area));
        item->setObjectName(QStringLiteral("mnuSwithItem%1").arg(area));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, area] {
            changeToTab(area, tabMn[static_cast<size_t>(area)]->TabNow(), false);
        });
        mnuSwithItem[static_cast<size_t>(area)] = item;
    }

    mnuMnLst = bar->addMenu(t::mnuMnLst());
    mnuMnLst->setObjectName(QStringLiteral("mnuMnLst"));
    QMenu* playList = m_playListMenu = mnuMnLst->addMenu(t::mnuPlayList());
    playList->setObjectName(QStringLiteral("mnuPlayList"));
    const QStringList settings = t::mnuPlaySetting();
    for (int i = 0; i < 4; ++i) {
        QAction* item = playList->addAction(settings.at(i));
        item->setObjectName(QStringLiteral("mnuPlaySetting%1").arg(i));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, i] { mnuPlaySetting_Click(i); });
        mnuPlaySetting[static_cast<size_t>(i)] = item;
    }
    QMenu* lineShow = m_lineShowMenu = mnuMnLst->addMenu(t::mnuLineShow());
    lineShow->setObjectName(QStringLiteral("mnuLineShow"));
    const QStringList layouts = t::mnuLineFmt();
    for (int i = 0; i < 3; ++i) {
        QAction* item = lineShow->addAction(layouts.at(i));
        item->setObjectName(QStringLiteral("mnuLineFmt%1").arg(i));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, i] { mnuLineFmt_Click(i); });
        mnuLineFmt[static_cast<size_t>(i)] = item;
    }

    mnuAddToList = bar->addMenu(t::mnuAddToList());
    mnuAddToList->setObjectName(QStringLiteral("mnuAddToList"));
    const QStringList lists = t::mnuToList();
    for (int i = 0; i < 3; ++i) {
        QAction* item = mnuAddToList->addAction(lists.at(i));
        item->setObjectName(QStringLiteral("mnuToList%1").arg(i));
        connect(item, &QAction::triggered, this, [this, i] { mnuToList_Click(i); });
        mnuToList[static_cast<size_t>(i)] = item;
    }
    mnuAddToList->addSeparator();
    mnuToListEnd = mnuAddToList->addAction(t::mnuToListEnd());
    mnuToListEnd->setObjectName(QStringLiteral("mnuToListEnd"));
    mnuToListEnd->setCheckable(true);
    mnuToListEnd->setChecked(true);
    connect(mnuToListEnd, &QAction::triggered, this,
            [this](bool checked) { Q_EMIT addsAtEndChanged(checked); });

    mnuPlaySpec = bar->addAction(t::mnuPlaySpec());
    mnuPlaySpec->setObjectName(QStringLiteral("mnuPlaySpec"));
    connect(mnuPlaySpec, &QAction::triggered, this, [this] {
        if (PlayerWindow* player = m_player) {
            player->playSingle(mnuPlaySpec->data().toString(), false);
        }
    });

    mnuAddDir = mnuMnLst->addAction(t::mnuAddDir());
    mnuAddDir->setObjectName(QStringLiteral("mnuAddDir"));
    connect(mnuAddDir, &QAction::triggered, this, &frmList::mnuAddDir_Click);
    buildBatchMenu();

    mnuPlaySetting_Click(0);
    mnuLineFmt[0]->setChecked(true);
}

void frmList::showPlaylistMenu(const QPoint& globalPos) {
    QMenu popup(this);
    if (m_curListId < 10) {
        popup.addMenu(m_playListMenu);
        popup.addMenu(m_lineShowMenu);
        popup.addAction(mnuAddDir);
        refreshBatchMenu();
        popup.addMenu(mnuBatch);
    }
    if (mnuAddToList->menuAction()->isVisible()) {
        popup.addMenu(mnuAddToList);
    }
    if (!popup.isEmpty()) {
        popup.exec(globalPos);
    }
}

bool frmList::addsAtEnd() const {
    return mnuToListEnd->isChecked();
}

void frmList::setAddsAtEnd(bool atEnd) {
    mnuToListEnd->setChecked(atEnd);
}

// ---- areas and tabs ------------------------------------------------------------------------

void frmList::changeToTab(int area, int tab, bool activateMain) {
    if (!showArea(area, tab)) {
        return;
    }
    if (isHidden()) {
        show();
    }
    // The window comes to the front in either case; with activateMain the keys go back to
    // the player, which stays behind it, as it does behind the window that it owns.
    if (activateMain) {
        PlayerWindow* player = m_player;
        if (player != nullptr && player->form() != nullptr && player->form()->isVisible()) {
            player->form()->activateWindow();
        }
    } else {
        activateWindow();
    }
    raise();
}

bool frmList::showArea(int area, int tab) {
    if (area < 0 || area >= areaCount || kTabs[area] == 0) {
        return false;
    }
    ZelvoTab* strip = tabMn[static_cast<size_t>(area)];
    const bool sameTab = tab == strip->TabNow();
    m_shownArea = area;
    for (int other = 0; other < areaCount; ++other) {
        if (ZelvoTab* s = tabMn[static_cast<size_t>(other)]) {
            const bool shown = other == area;
            s->setVisible(shown);
            if (!shown) {
                for (const QPointer<QWidget>& panel : s->TabPictureBox()) {
                    if (panel != nullptr) {
                        panel->hide();
                    }
                }
            }
        }
        if (QAction* item = mnuSwithItem[static_cast<size_t>(other)]) {
            item->setChecked(other == area);
        }
    }
    if (tab >= 0 && !sameTab) {
        strip->setTabNow(tab);
    } else {
        // Picking what is already shown still refreshes the hints, buttons and menus.
        tabClick(area);
    }
    return true;
}

void frmList::tabClick(int area) {
    if (area != m_shownArea) {
        return;
    }
    m_curList = nullptr;
    m_activeList = nullptr;
    m_browserActive = false;
    ZelvoTab* strip = tabMn[static_cast<size_t>(area)];
    m_curListId = area * 10 + strip->TabNow();
    // Only the current tab's panel is shown: the others would be painted under it.
    const QList<QPointer<QWidget>> panels = strip->TabPictureBox();
    for (int tab = 0; tab < panels.size(); ++tab) {
        if (panels.at(tab) != nullptr) {
            panels.at(tab)->setVisible(tab == strip->TabNow());
        }
    }
    mnuAddToList->menuAction()->setVisible(false);
    mnuMnLst->menuAction()->setVisible(area == 0);
    mnuBatch->menuAction()->setVisible(area == 0);
    mnuPlaySpec->setText(t::mnuPlaySpec());
    mnuPlaySpec->setVisible(m_curListId >= 21);
    mnuPlaySpec->setEnabled(false);

    ToolTab* tool = toolTab(m_curListId);
    PlaylistModel* list = area == 0         ? lstMn[static_cast<size_t>(strip->TabNow() & 1)]
                          : tool != nullptr ? tool->list()
                                            : nullptr;
    if (list != nullptr) {
        // A playlist, or the join list: the toolbar works on it.
        m_activeList = list;
        if (area == 0) {
            m_curList = list;
            m_lastPlaylist = m_curListId;
            if (m_curList->layout() != m_lineFmt) {
                m_curList->setLayout(m_lineFmt);
                fitListWidth();
            }
        }
        setPlayButtonsVisible(area == 0);
        mbAdd[0]->setState(ZelvoButton::Normal);
        mbAdd[1]->setState(ZelvoButton::Normal);
        mnuAddToList->menuAction()->setVisible(true);
        lblNote->setText(t::notePlaylist());
        if (tool != nullptr) {
            tool->tabShown();
        }
        refreshButtons();
    } else if (tool != nullptr) {
        toolTabSetup();
        lblNote->setText(tool->note());
        mnuPlaySpec->setText(tool->playCaption());
        tool->tabShown();
        showPlayable(tool);
        if (m_curListId >= 60) {
            m_encodePanel = (m_curListId / 10 - 6) * 2 + m_curListId % 10;
        }
    } else if (panels.value(strip->TabNow()) == m_browser->parentWidget()) {
        m_browserActive = true;
        toolTabSetup();
        mnuAddToList->menuAction()->setVisible(true);
        lblNote->setText(t::noteBrowser());
        m_browser->tabShown();
    } else {
        toolTabSetup();
        // Edits not yet drawn back stay: only a new file or "從播放區重讀標記" replaces them.
        m_marksTab->refresh();
        lblNote->setText(t::noteMarks());
    }
    Q_EMIT tabShown(m_curListId);
}

ToolTab* frmList::toolTab(int id) const {
    const auto found = m_tools.find(id);
    return found != m_tools.end() ? found->second : nullptr;
}

EncodeTab* frmList::encodeTab(int panel) const {
    return static_cast<EncodeTab*>(toolTab((6 + (panel & 3) / 2) * 10 + panel % 2));
}

FixTab* frmList::fixTab() const {
    return static_cast<FixTab*>(toolTab(40));
}

void frmList::showPlayable(const ToolTab* tool) {
    mnuPlaySpec->setEnabled(!tool->playable().isEmpty());
    mnuPlaySpec->setData(tool->playable());
}

void frmList::toolTabSetup() {
    for (ZelvoButton* button : findChildren<ZelvoButton*>()) {
        if (button->property("Tag").toString() != QLatin1String("on")) {
            button->setState(ZelvoButton::Disabled);
        }
    }
    mnuAddToList->setEnabled(false);
    setPlayButtonsVisible(m_browserActive);
    refreshPrevNext();
    lblNote->clear();
}

void frmList::setPlayButtonsVisible(bool visible) {
    for (QWidget* widget : std::as_const(m_playGroup)) {
        widget->setVisible(visible);
    }
}

void frmList::mnuLineFmt_Click(int index) {
    if (index < 0 || index > 2) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        mnuLineFmt[static_cast<size_t>(i)]->setChecked(i == index);
    }
    m_lineFmt = index;
    // The other playlist is laid out again when it is shown.
    if (m_curList != nullptr) {
        m_curList->setLayout(index);
        fitListWidth();
    }
}

void frmList::mnuPlaySetting_Click(int index) {
    if (index < 0 || index > 3) {
        return;
    }
    for (int i = 0; i < 4; ++i) {
        mnuPlaySetting[static_cast<size_t>(i)]->setChecked(i == index);
    }
    m_playSetting = index;
    if (PlayerWindow* player = m_player) {
        player->fncEbCheck();
    }
}

// ---- what the player asks ------------------------------------------------------------------

bool frmList::hasPlaylist() const {
    return m_curList != nullptr;
}

// While the browser is shown the player goes through its files.
int frmList::count() const {
    if (m_browserActive) {
        return m_browser->count();
    }
    return m_curList != nullptr ? m_curList->count() : 0;
}

int frmList::listIndex() const {
    if (m_browserActive) {
        return m_browser->listIndex();
    }
    return m_curList != nullptr ? m_curList->listIndex() : -1;
}

void frmList::setListIndex(int index) {
    if (m_browserActive) {
        m_browser->setListIndex(index);
    } else if (m_curList != nullptr) {
        m_curList->setListIndex(index);
    }
}

PlaylistEntry frmList::selectedEntry() const {
    if (m_browserActive) {
        return PlaylistEntry{m_browser->getFnFn(-1), QString()};
    }
    // The player plays the selection of the playlist shown last, even from another tab.
    const PlaylistModel* list = lstMn[static_cast<size_t>(m_lastPlaylist)];
    return list->selectedEntry();
}

void frmList::setPlayingEntry(bool fromList) {
    PlaylistModel* playing =
        fromList && !m_browserActive ? lstMn[static_cast<size_t>(m_lastPlaylist)] : nullptr;
    for (PlaylistModel* list : lstMn) {
        list->setPlayingRow(list == playing ? list->listIndex() : -1);
    }
}

void frmList::setMoveLooks(int upState, int downState) {
    // The browser's files cannot be moved: the buttons stay as the tab left them.
    if (m_browserActive) {
        return;
    }
    mbMove[0]->setState(upState);
    mbMove[1]->setState(downState);
}

void frmList::mbStopLoop_Click() {
    listPlayState = 0;
    if (PlayerWindow* player = m_player) {
        player->shareBnStop(true, false, false);
    }
}

void frmList::loadMark() {
    m_marksTab->loadMark();
}
void frmList::checkCmdRng() {
    m_marksTab->checkCmdRng();
}
QStringList frmList::marksLines() const {
    return m_marksTab->marksLines();
}
void frmList::getStartEnd(const QString& line, qint32& start, qint32& end) const {
    m_marksTab->getStartEnd(line, start, end);
}
QString frmList::browserFolder() const {
    return m_browser->folder();
}
QString frmList::saveFolder() const {
    return m_browser->saveFolder();
}
void frmList::showSaveFolderBox() {
    changeToTab(1, 1, false);
    m_browser->txtSaveDir->setFocus(Qt::OtherFocusReason);
    m_browser->txtSaveDir->selectAll();
}
void frmList::repairFile(const QString& path) {
    changeToTab(4, 0, true);
    fixTab()->source->setPath(path);
    fixTab()->refresh();
}
bool frmList::doneToFileList() const {
    return m_browser->doneToFn();
}
void frmList::showInFileList(const QString& path) {
    changeToTab(1, 1, false);
    m_browser->showFile(path);
}

// ---- settings ------------------------------------------------------------------------------

void frmList::loadSetting(const SettingLine& line) {
    const int n = static_cast<int>(qBound(-1e9, settingNumber(line.value), 1e9));
    switch (line.key) {
        case SettingKey::PlaySetting:
            mnuPlaySetting_Click(n);
            break;
        case SettingKey::LineFmt:
            mnuLineFmt_Click(n);
            break;
        case SettingKey::ListDir:
        case SettingKey::SaveDir:
        case SettingKey::ListDirIdx:
        case SettingKey::DoneToFn:
            m_browser->loadSetting(line);
            break;
        default:
            break;
    }
}

void frmList::saveSetting(SettingsValues& values) const {
    values.listPos = {x() * twipsPerPixelX, y() * twipsPerPixelY};
    values.playSetting = m_playSetting;
    values.lineFmt = m_lineFmt;
    m_browser->saveSetting(values);
}

void frmList::loadLists(const StoredLists& lists) {
    m_lastPlaylist = lists.lastPlaylist;
    for (size_t i = 0; i < 2; ++i) {
        lstMn[i]->setLayout(m_lineFmt);
        lstMn[i]->setItems(lists.lists[i].items);
        lstMn[i]->setListIndex(lists.lists[i].selected);
        lstMnView[i]->refitWhenShown();
    }
    showArea(0, m_lastPlaylist);
}

StoredLists frmList::storedLists() const {
    StoredLists stored;
    stored.lastPlaylist = m_lastPlaylist;
    for (size_t i = 0; i < 2; ++i) {
        stored.lists[i].items = lstMn[i]->itemTexts();
        stored.lists[i].selected = lstMn[i]->listIndex();
    }
    return stored;
}

// ---- window ----------------------------------------------------------------------------------

void frmList::closeEvent(QCloseEvent* event) {
    // A batch runs over this window: closing it asks first, and stops the batch on yes (the
    // files finished stay).
    if (!appClosing && BusySession::shared().isRunningBatch()) {
        event->ignore();
        if (msgBox(t::batchRunning(), MsgButtons::YesNo, titles::notice(), MsgIcon::Question,
                   this) == MsgResult::Yes) {
            BusySession::shared().breakBatch();
        }
        return;
    }
    if (PlayerWindow* player = m_player) {
        player->setListStepLooks(ZelvoButton::Disabled);
    }
    hide();
    if (appClosing) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool frmList::eventFilter(QObject* watched, QEvent* event) {
    // Del in a list removes its selected entries.
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && m_activeList != nullptr &&
        watched == activeView()) {
        mbDel_Click(0);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        changeToTab(0, m_lastPlaylist, true);
        return;
    }
    QMainWindow::keyPressEvent(event);
}
