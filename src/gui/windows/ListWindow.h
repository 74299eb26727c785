#pragma once

#include "core/lists/PlaylistEntry.h"
#include "core/settings/SettingsFiles.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

class QWidget;

// What the player window and the tools may ask of the playlist window (frmList): the list
// the player goes through (the current playlist, or the file browser's files while the
// browser is shown), its play mode, the marks list, the file browser's folder, and where a
// finished tool shows its file. Without a playlist window every file plays on its own.
class ListWindow {
public:
    virtual ~ListWindow() = default;

    // The window itself.
    virtual QWidget* form() = 0;

    // ---- the list the player goes through ------------------------------------------------
    // The file browser is shown: its file list takes the place of the playlist.
    virtual bool browserActive() const = 0;
    // There is a current playlist to go on with.
    virtual bool hasPlaylist() const = 0;
    // Entries and selection of the list in use; the index is -1 when nothing is selected.
    virtual int count() const = 0;
    virtual int listIndex() const = 0;
    virtual void setListIndex(int index) = 0;
    // The selected entry: its path and marks (a file of the browser has no marks).
    virtual PlaylistEntry selectedEntry() const = 0;
    // The same as an item text: a path, optionally followed by "∥" and its marks.
    QString selectedItem() const { return selectedEntry().itemText(); }
    // The player now plays the selected entry of the list in use (fromList), or a file of
    // its own: the list marks the entry it plays, or none.
    virtual void setPlayingEntry(bool fromList) = 0;
    // The looks (image-button states) of the playlist's move-up and move-down buttons.
    virtual void setMoveLooks(int upState, int downState) = 0;
    // What follows the end of an entry: 0 stop, 1 repeat the entry, 2 next, 3 random.
    virtual int playSetting() const = 0;
    virtual void mnuPlaySetting_Click(int index) = 0;
    // Stops list playback ("停止全部播放").
    virtual void mbStopLoop_Click() = 0;
    // Adds an item text to the list shown, after its selection or at its end.
    virtual void addToList(const QString& item, bool insertAfterSelection, bool refreshNow) = 0;
    // The playlist shown last (0 or 1): where F1 goes back to.
    virtual int lastPlaylist() const = 0;
    // Shows a tab: area 0 the playlists (tab 0 or 1), 1 the marks list, 2 the join list.
    virtual void changeToTab(int area, int tab, bool returnFocus) = 0;

    // ---- the marks list --------------------------------------------------------------------
    // Reloads the marks list from the player's range marks.
    virtual void loadMark() = 0;
    // The range marks changed: the marks list refreshes its buttons.
    virtual void checkCmdRng() = 0;
    // The lines of the marks list, and one line split into its start and end frames (left
    // as they are when the line cannot be split).
    virtual QStringList marksLines() const = 0;
    virtual void getStartEnd(const QString& line, qint32& start, qint32& end) const = 0;

    // ---- settings ----------------------------------------------------------------------------
    // Applies a line of "Zelvo.FLV.ini" that belongs to the playlist window (the play mode,
    // the line layout, the file browser's folders and options); other keys are ignored.
    virtual void loadSetting(const SettingLine& line) = 0;
    // Puts the values the playlist window owns into values.
    virtual void saveSetting(SettingsValues& values) const = 0;
    // The two playlists as "List.ini" keeps them.
    virtual void loadLists(const StoredLists& lists) = 0;
    virtual StoredLists storedLists() const = 0;

    // ---- the file browser --------------------------------------------------------------------
    // The folder the browser shows ("" none).
    virtual QString browserFolder() const = 0;
    // The default save folder ("預設存取目錄"), where the tools write when it is set; ""
    // none.
    virtual QString saveFolder() const = 0;
    // Shows the box of the default save folder, ready for typing.
    virtual void showSaveFolderBox() = 0;
    // Shows the repair tab with path as the file to repair.
    virtual void repairFile(const QString& path) = 0;
    // "裁剪、分割、合併……等等處理後，配合指向此檔案列表" is checked.
    virtual bool doneToFileList() const = 0;
    // Shows the file in the browser's file list: browser tab, its folder, the file selected.
    virtual void showInFileList(const QString& path) = 0;
};
