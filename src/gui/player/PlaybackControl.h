#pragma once

#include "core/files/DialogService.h"
#include "core/lists/PlaylistEntry.h"

#include <QString>

struct PlayerParts;
class ZelvoButton;

// What the main window plays and what follows: opening a file, the cannot-play state
// and its message, the play, pause and stop buttons, and moving through the list (the
// previous and next buttons and the advance when a file ends, by the list's play mode).
class PlaybackControl {
public:
    explicit PlaybackControl(PlayerParts& parts);

    void playSingle(const QString& text, bool fromList);
    void playEntry(const PlaylistEntry& entry);
    void newPlay(const QString& path, const QString& marks);
    void failPlay(const QString& path);
    MsgResult playErrorMsg(const QString& path, const QString& head);
    void shareBnStop(bool noAdvance, bool goOn, bool checkMarks);
    void shareBnPause();
    void mbPlay_Click();
    void mbPause_Click();
    void mbStop_Click();
    void listStepButton(int direction);
    void selectRnd();
    void ifStopped(bool x);
    void fncEbCheck();
    void pausePrFn();
    void closeRunFn(const QString& path);
    void mnuOpen_Click();
    void mnuPlayLast_Click();
    void setFileMenus(bool enabled);

    // The display of a file or range that has started playing.
    void enterPlaying(bool fromResume);

    // The play button of the current range mode (mbPlay(0..2)).
    ZelvoButton* currentPlayButton() const;

    // The new selection after one step from index in a list of count entries; both
    // directions wrap.
    static int moveTarget(int direction, int index, int count);

private:
    void playListLine(const QString& text);
    void showPlayer();
    // Moves the list's selection on by the play mode (2 next, 3 random) to an entry that can
    // be played; false when none can.
    bool selectPlayable(int mode, int direction, int index, int count, bool explicitStep);
    void stepList(int direction, bool explicitStep);
    void moveListSelection(int direction, int index, int count);
    bool listIsOver();
    void setPlayButtons(int state);
    void checkStreamLength();
    void setTransportLook(bool playing);
    int rangeMode() const;

    PlayerParts& m_p;
    // The marks-edit marker: a single file was asked for while marks were edited.
    QString m_marksEditMarker;
};
