#pragma once

#include "core/player/MarksModel.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QtGlobal>

class QFrame;
struct PlayerParts;

// The range marks as the user works them on the player: marked with "[" and "]", played
// once or in a loop, played or deleted by a click on their box, cleared, edited in the
// marks list, carried along as a marks text in a playlist entry. The segments are the
// marks model's; this class keeps the buttons and menus in step with them and draws them
// as boxes (picRS) on the strip picRngBk under the seek bar.
class RangeMarks : public QObject {
    Q_OBJECT

public:
    explicit RangeMarks(PlayerParts& parts);

    // Marks are being edited (an open segment, or edited marks on the strip).
    bool checkDealRng() const;
    // The box that draws segment index.
    QFrame* picRS(int index) const { return m_boxes.at(index); }

    void mbRngStart_Click();
    void mbRngEnd_Click();
    // start and/or end (-1: not given) open and/or close a segment.
    void setMark(qint32 start, qint32 end);
    // Closes the open segment at end (-1: the current position), or removes it when the
    // range is empty or backwards; ok tells which.
    void closeSegment(bool force, qint32 end, bool& ok);
    void deleteSegment(int index);
    void clearMarks();
    // The strip's tip: the number of marks and their total time.
    void updateMarksTotal();
    void enableSaveMenus();
    // Plays segment index (from/to -1: its own start and end); loopMode 1 repeats.
    // onlyThis: no segment follows it.
    void playNextRS(int loopMode, int index, int keepListMode, qint32 from, qint32 to,
                    bool onlyThis);
    // Stops whatever plays and plays frames from to to once, marks or none.
    void playRange(qint32 from, qint32 to);
    // mode 0 once, 1 in a loop, -1 only the list play-mode check.
    void startMarkPlay(bool stopFirst, int mode);
    void stopMarkPlay();
    // The open file as a playlist item text with its marks, the path alone, or "".
    QString itemWithMarks();
    // listIndex 0, 1: the playlists; 2: the join list.
    void mnToList(int listIndex, const QString& item);
    // Replaces the segments with the ranges of the marks list.
    void applyMark();
    // Applies an entry's marks text and starts playback: "" plays on without a range.
    void loadMarksText(const QString& text);

    // Menu handlers of "標記剪輯" and "加入目前檔案到".
    void mnuRngPlay_Click(int index);
    void mnuRngClear_Click();
    void mnuRngEdit_Click();
    void mnuToList_Click(int index);
    void picRS_Click(int index);

    // "[", "]", Enter / Ctrl+Enter and F2; false for any other key.
    bool keyDown(int key, Qt::KeyboardModifiers shift);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Draws the model: a box per segment, shown while it holds a mark, placed by its
    // frames on the strip, its tip the segment's times.
    void drawBoxes();
    // Plays frames from to to (loopMode 1 repeats); false when the player failed.
    bool playFrames(int loopMode, int keepListMode, qint32 from, qint32 to);
    void placeBox(int index);
    void setBoxColor(int index, bool asked);
    void enableMarkMenus(bool enabled);
    int indexOfBox(const QObject* box) const;

    PlayerParts& m_p;
    MarksModel& m_model;
    QList<QFrame*> m_boxes;
};
