#pragma once

#include "core/lists/PlaylistEntry.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QtGlobal>

class QMimeData;
class QWidget;

// What the playlist window, the capture window and the tools may ask of the player window
// (frmMain).
class PlayerWindow {
public:
    virtual ~PlayerWindow() = default;

    // The window itself.
    virtual QWidget* form() = 0;
    // The file or stream open in the player ("" none).
    virtual QString fileName() const = 0;
    // Closes the open file when it is path, so the file can be replaced or deleted.
    virtual void closeRunFn(const QString& path) = 0;

    // Plays a path or URL as a single file (fromList false) or the list's selected entry
    // (text "", fromList true); "path∥marks" carries marks.
    virtual void playSingle(const QString& text, bool fromList) = 0;
    virtual void newPlay(const QString& path, const QString& marks) = 0;
    // Plays an entry the playlist window hands over (a double click), as the list's own:
    // the play mode then goes on through the list from it.
    virtual void playEntry(const PlaylistEntry& entry) = 0;
    // Files or a link dropped elsewhere, handled as a drop on the player window: the first
    // file (or the link) plays.
    virtual void dropFiles(const QMimeData& data) = 0;
    virtual void shareBnStop(bool noAdvance, bool goOn, bool checkMarks) = 0;
    virtual void mbStop_Click() = 0;
    // Pauses playback when a file is playing.
    virtual void pausePrFn() = 0;
    // The player's box for a file it cannot read: head, the path and the likely reasons.
    virtual void playErrorMsg(const QString& path, const QString& head) = 0;
    // Selects a random entry of the list in use.
    virtual void selectRnd() = 0;
    // Refreshes the previous-item and next-item buttons from the list in use.
    virtual void fncEbCheck() = 0;
    // Gives both of those buttons one look (an image-button state).
    virtual void setListStepLooks(int state) = 0;
    // Gives the focus back to the player when the playlist window is in front (or always).
    virtual void returnFocus(bool force) = 0;

    // Adds an item text (a path with its marks) to playlist 0 or 1, or the join list (2).
    virtual void mnToList(int listIndex, const QString& item) = 0;
    // Copies path byte for byte to a name the user picks; fromList: the playlist window
    // owns the dialog.
    virtual void saveFile(const QString& path, bool fromList) = 0;

    // ---- the range marks, for the marks list ----------------------------------------------
    // The open file has range marks (their strip is shown).
    virtual bool hasMarks() const = 0;
    // The start and end of each mark as hh:mm:ss.cc time texts, in mark order.
    virtual QList<QPair<QString, QString>> markTimes() const = 0;
    // The open media's length in seconds and the duration of one frame (0 while unknown).
    virtual double totalSeconds() const = 0;
    virtual double secPerFrame() const = 0;
    // Replaces the marks with the ranges of the marks list.
    virtual void applyMark() = 0;
    // "編輯標記清單": shows the marks list and reloads it from the marks.
    virtual void mnuRngEdit_Click() = 0;
    // Stops and plays frames from to to once, as a single marked range plays.
    virtual void playRange(qint32 from, qint32 to) = 0;
};
