#pragma once

#include "core/lists/PlaylistModel.h"
#include "gui/windows/ListWindow.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <map>

class EncodeTab;
class JobQueue;
class MarksTab;
class BrowserTab;
class FixTab;
class ProbePanel;
class ToolTab;
class PlaylistView;
class PlayerWindow;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class ZelvoButton;
class ZelvoTab;

// The playlist window: the two playlists, the marks list and the file browser, and the
// tool tabs, in eight work areas of tab strips laid over each other. It is made once and
// hidden, not closed, when the user closes it. Its lists are the player's way through a
// playlist (ListWindow).
class frmList : public QMainWindow, public ListWindow {
    Q_OBJECT

public:
    static constexpr int areaCount = 8;
    static constexpr int clientWidth = 382;
    static constexpr int clientHeight = 394;

    explicit frmList(QWidget* parent = nullptr);
    ~frmList() override;

    // The lists: playlist one and two (lstMn) and the join list (lstMn2).
    PlaylistModel& playlist(int index) { return *lstMn[static_cast<size_t>(index & 1)]; }
    PlaylistModel& joinList() { return *lstMn2; }
    PlaylistView* playlistView(int index) const {
        return lstMnView[static_cast<size_t>(index & 1)];
    }
    PlaylistView* joinListView() const { return lstMn2View; }
    // The list the toolbar works on: the playlist or join list shown, nullptr on other tabs.
    PlaylistModel* activeList() const { return m_activeList; }
    PlaylistView* activeView() const;

    // Area × 10 + tab of what is shown; below 10 a playlist.
    int curListId() const { return m_curListId; }
    int shownArea() const { return m_shownArea; }
    ZelvoTab* tabStrip(int area) const { return tabMn[static_cast<size_t>(area)]; }
    QLabel* note() const { return lblNote; }
    MarksTab* marksTab() const { return m_marksTab; }
    // The file browser tab (area 1, tab 1).
    BrowserTab* browserTab() const { return m_browser; }
    // The tool tab of a list id (area × 10 + tab), nullptr for the lists and the marks and
    // file tabs.
    ToolTab* toolTab(int id) const;
    // The conversion panels: 0 and 1 in area 6, 2 and 3 in area 7.
    EncodeTab* encodeTab(int panel) const;
    // The repair tab (area 4).
    FixTab* fixTab() const;

    int lineFmt() const { return m_lineFmt; }
    void mnuLineFmt_Click(int index);
    bool addsAtEnd() const;
    // Mirrors the player window's "總是加到清單末尾" check mark.
    void setAddsAtEnd(bool atEnd);
    // The player window the list plays in, handed over where the program is wired
    // (nullptr: the list plays nothing).
    void setPlayerWindow(PlayerWindow* player);
    PlayerWindow* playerWindow() const { return m_player; }

    // ---- toolbar -------------------------------------------------------------------------
    void mbAdd_Click(int index);
    void mbDel_Click(int index);
    void mbMove_Click(int index);
    void mbSortItem_Click();
    void mbRevItem_Click();
    void mbRndItem_Click();
    void mbSave_Click(int index);
    void mbToFile_Click();
    void mbPlay_Click();
    void mbRndPlay_Click();
    void mbStop_Click();
    void mnuToList_Click(int index);
    // Adds the files of a drop onto a list.
    void dropFiles(const QStringList& files);
    // The button looks, the main window's previous/next buttons and the join total after a
    // change of the active list's lines or selection.
    void refreshButtons();
    // The column stops and scroll width of the active list, measured again.
    void fitListWidth();

    // ---- ListWindow ------------------------------------------------------------------------
    QWidget* form() override { return this; }
    bool browserActive() const override { return m_browserActive; }
    bool hasPlaylist() const override;
    int count() const override;
    int listIndex() const override;
    void setListIndex(int index) override;
    PlaylistEntry selectedEntry() const override;
    void setPlayingEntry(bool fromList) override;
    void setMoveLooks(int upState, int downState) override;
    int playSetting() const override { return m_playSetting; }
    void mnuPlaySetting_Click(int index) override;
    void mbStopLoop_Click() override;
    void addToList(const QString& item, bool insertAfterSelection, bool refreshNow) override;
    int lastPlaylist() const override { return m_lastPlaylist; }
    void changeToTab(int area, int tab, bool activateMain) override;
    void loadMark() override;
    void checkCmdRng() override;
    QStringList marksLines() const override;
    void getStartEnd(const QString& line, qint32& start, qint32& end) const override;
    void loadSetting(const SettingLine& line) override;
    void saveSetting(SettingsValues& values) const override;
    void loadLists(const StoredLists& lists) override;
    StoredLists storedLists() const override;
    QString browserFolder() const override;
    QString saveFolder() const override;
    void showSaveFolderBox() override;
    void repairFile(const QString& path) override;
    bool doneToFileList() const override;
    void showInFileList(const QString& path) override;

    // ---- the buttons and menus, for the tests ----------------------------------------------
    std::array<ZelvoButton*, 2> mbAdd{};
    std::array<ZelvoButton*, 2> mbDel{};
    std::array<ZelvoButton*, 2> mbMove{};
    ZelvoButton* mbSortItem = nullptr;
    ZelvoButton* mbRevItem = nullptr;
    ZelvoButton* mbRndItem = nullptr;
    std::array<ZelvoButton*, 2> mbSave{};
    ZelvoButton* mbToFile = nullptr;
    ZelvoButton* mbPlay = nullptr;
    ZelvoButton* mbRndPlay = nullptr;
    ZelvoButton* mbStop = nullptr;
    ZelvoButton* mbStopLoop = nullptr;
    QMenu* mnuSwith = nullptr;
    std::array<QAction*, areaCount> mnuSwithItem{};
    QMenu* mnuMnLst = nullptr;
    std::array<QAction*, 4> mnuPlaySetting{};
    std::array<QAction*, 3> mnuLineFmt{};
    QMenu* mnuAddToList = nullptr;
    std::array<QAction*, 3> mnuToList{};
    QAction* mnuToListEnd = nullptr;
    QAction* mnuPlaySpec = nullptr;
    QAction* mnuAddDir = nullptr;
    // The batch tools over the selected entries of a playlist (all of them when no more than
    // one is selected).
    QMenu* mnuBatch = nullptr;
    QAction* mnuBatchFix = nullptr;
    QAction* mnuBatchEncode = nullptr;
    QAction* mnuBatchSplit = nullptr;
    QAction* mnuBatchSnap = nullptr;
    QAction* mnuBatchSaveRng = nullptr;

    // ---- batches -------------------------------------------------------------------------
    // "加入資料夾……": the media files of a folder the user picks, in name order.
    void mnuAddDir_Click();
    // The entries a batch works on: the selected ones of the playlist shown, or all of them.
    QList<PlaylistEntry> batchEntries() const;
    void mnuBatchFix_Click();
    void mnuBatchEncode_Click();
    void mnuBatchSplit_Click();
    void mnuBatchSnap_Click();
    void mnuBatchSaveRng_Click();
    // The conversion panel a batch conversion takes its formats and settings from: the one
    // shown last (0 until one is shown).
    int batchEncodePanel() const { return m_encodePanel; }

Q_SIGNALS:
    // The user changed "總是加到清單末尾" here.
    void addsAtEndChanged(bool atEnd);
    // A tab was shown (or shown again): id is its curListId, area * 10 + tab.
    void tabShown(int id);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar(QWidget* client);
    void buildAreas(QWidget* client);
    void buildMenus();
    void setBoxStyles();
    void connectList(PlaylistModel* model, PlaylistView* view);
    QFrame* makePanel(QWidget* parent, const QString& name);
    // Shows area with tab (-1: its current tab) and runs the tab switch; false for an area
    // without tabs.
    bool showArea(int area, int tab);
    void tabClick(int area);
    void toolTabSetup();
    // The play-this-file item follows the tool tab shown.
    void showPlayable(const ToolTab* tool);
    void setPlayButtonsVisible(bool visible);
    void setLook(ZelvoButton* button, bool usable);
    void refreshMoveLooks();
    void refreshPrevNext();
    void showPlaylistMenu(const QPoint& globalPos);
    QString entryTipAt(const PlaylistModel* model, int row) const;
    void buildBatchMenu();
    void refreshBatchMenu();
    // Asks for the batch's output folder (once) and runs queue in it under the busy window,
    // then shows the report.
    void runBatch(JobQueue& queue);
    QString askBatchFolder(const QList<PlaylistEntry>& entries);
    // The folders dropped that hold no media file: a message names them.
    void emptyFoldersDropped(const QStringList& folders);
    bool isPlaylist(const PlaylistModel* model) const;

    std::array<PlaylistModel*, 2> lstMn{};
    PlaylistModel* lstMn2 = nullptr;
    std::array<PlaylistView*, 2> lstMnView{};
    PlaylistView* lstMn2View = nullptr;
    std::array<ZelvoTab*, areaCount> tabMn{};
    QLabel* lblNote = nullptr;
    MarksTab* m_marksTab = nullptr;
    QMenu* m_playListMenu = nullptr;
    QMenu* m_lineShowMenu = nullptr;
    QList<QWidget*> m_playGroup;  // the play buttons and their separator

    PlaylistModel* m_activeList = nullptr;
    PlaylistModel* m_curList = nullptr;
    int m_curListId = 0;
    int m_lastPlaylist = 0;
    int m_shownArea = 0;
    int m_lineFmt = 0;
    int m_playSetting = 0;
    bool m_browserActive = false;
    BrowserTab* m_browser = nullptr;
    // The tool tabs by list id, and the source the split and snapshot tabs share.
    std::map<int, ToolTab*> m_tools;
    ProbePanel* m_probe = nullptr;
    PlayerWindow* m_player = nullptr;
    int m_encodePanel = 0;
};
