#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// What the player needs of the playlist window: the list it plays through (the current
// playlist, or the file browser's file list while the browser is shown), its selection
// and play mode, and the few buttons and marks list the player refreshes there. Without
// one the player has no list: every file plays as a single file.
class PlayerList {
public:
    virtual ~PlayerList() = default;

    // The file browser is shown: its file list takes the place of the playlist.
    virtual bool browserActive() const = 0;
    // There is a current playlist to go on with.
    virtual bool hasPlaylist() const = 0;
    // Entries and selection of the list in use (the browser's file list while
    // browserActive); the index is -1 when nothing is selected.
    virtual int count() const = 0;
    virtual int listIndex() const = 0;
    virtual void setListIndex(int index) = 0;
    // The selected entry as an item text: a path, optionally followed by "∥" and its
    // marks text.
    virtual QString selectedItem() const = 0;
    // The looks (image-button states) of the playlist's move-up and move-down buttons.
    virtual void setMoveLooks(int upState, int downState) = 0;

    // What follows the end of an entry: 0 stop, 1 repeat the entry, 2 next, 3 random.
    virtual int playSetting() const = 0;
    virtual void mnuPlaySetting_Click(int index) = 0;
    // Stops list playback ("停止全部播放").
    virtual void mbStopLoop_Click() = 0;
    // Reloads the marks list from the player's range marks.
    virtual void loadMark() = 0;

    // The range marks changed: the marks list refreshes its buttons.
    virtual void checkCmdRng() {}
    // Shows a tab of the playlist window: area 0 the playlists (tab 0 or 1), 1 the marks
    // list (tab 0), 2 the join list (tab 0).
    virtual void changeToTab(int area, int tab, bool returnFocus) {
        Q_UNUSED(area)
        Q_UNUSED(tab)
        Q_UNUSED(returnFocus)
    }
    // The lines of the marks list, and one line split into its start and end frames
    // (left as they are when the line cannot be split).
    virtual QStringList marksLines() const { return {}; }
    virtual void getStartEnd(const QString& line, qint32& start, qint32& end) const {
        Q_UNUSED(line)
        Q_UNUSED(start)
        Q_UNUSED(end)
    }
    // Adds an item text to the list shown, after its selection or at its end.
    virtual void addToList(const QString& item, bool insertAfterSelection, bool refreshNow) {
        Q_UNUSED(item)
        Q_UNUSED(insertAfterSelection)
        Q_UNUSED(refreshNow)
    }
};
