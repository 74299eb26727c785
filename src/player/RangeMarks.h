#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QtGlobal>

class QFrame;
class frmMain;

// The range marks of the open file: segments (picRS boxes) on the strip picRngBk under
// the seek bar, in frames of the media, marked with "[" and "]", played once or in a
// loop, played or deleted by a click, and carried along as a marks text ("120-480
// 900-1500") in a playlist entry. The boxes are the only store of the segments.
class RangeMarks : public QObject {
    Q_OBJECT

public:
    explicit RangeMarks(frmMain& w);

    // Index of the last segment (the one an end mark closes) and of the one playing.
    int curSeg = 0;
    int playSeg = 0;
    // A segment was closed since the marks were last cleared.
    bool marksEdited = false;

    // Marks are being edited (an open segment, or edited marks on the strip).
    bool checkDealRng() const;
    // The last segment has a start but no end yet.
    bool lastSegmentOpen() const;
    // Upper index of the segment boxes.
    int lastSegmentIndex() const;
    bool stripVisible() const;

    // What each box holds: start and length in frames, "start"/"end"/"" state.
    QFrame* picRS(int index) const;
    double segmentLeft(int index) const;
    double segmentWidth(int index) const;
    QString segmentTag(int index) const;
    // "start-end" of every segment in index order, joined by blanks.
    QString marksText() const;

    void mbRngStart_Click();
    void mbRngEnd_Click();
    // start and/or end (-1: not given) open and/or close a segment.
    void setMark(qint32 start, qint32 end);
    // Closes the open segment at end (-1: the current position), or removes it when the
    // range is empty or backwards; ok tells which.
    void closeSegment(bool force, qint32 end, bool& ok);
    void deleteSegment(int index);
    void clearMarks();
    QString segmentText(int index) const;
    // A segment's times widened by the pads and kept inside the media, as seconds and as
    // formatTime texts of mode; both texts stay "" while the media length is unknown.
    void rsFormat(int index, QString& startText, QString& endText, int mode, float& startSec,
                  float& endSec, float padStart, float padEnd, QString& lengthText) const;
    void updateMarksTotal();
    void enableSaveMenus();
    // Plays segment index (from/to -1: its own start and end); loopMode 1 repeats.
    // onlyThis: no segment follows it.
    void playNextRS(int loopMode, int index, int keepListMode, qint32 from, qint32 to,
                    bool onlyThis);
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
    struct Segment {
        QFrame* box = nullptr;
        double left = 0.0;
        double width = 0.0;
        QString tag;
    };

    Segment newSegment();
    void dropSegment(int index);
    void placeBox(int index);
    void placeBoxes();
    void setBoxColor(int index, bool asked);
    void enableMarkMenus(bool enabled);
    int indexOfBox(const QObject* box) const;

    frmMain& m_w;
    QList<Segment> m_seg;
};
