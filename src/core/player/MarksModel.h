#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QtGlobal>

struct PlayerState;

// The range marks of the open file: segments in frames of the media, in mark order. There
// is always a segment 0; while nothing is marked it is empty. A segment is opened by a
// start mark and closed by an end mark; the last one may be open. The marks travel as a
// marks text ("120-480 900-1500"), and are shown as times of the media, whose length and
// frame duration the player's state gives. The strip under the seek bar, the marks list
// and the playlist draw from here.
class MarksModel : public QObject {
    Q_OBJECT

public:
    enum class State { Empty, Open, Closed };
    struct Segment {
        qint32 start = 0;
        qint32 length = 0;
        State state = State::Empty;
    };

    explicit MarksModel(const PlayerState& player, QObject* parent = nullptr);

    const Segment& segment(int index) const { return m_seg.at(index); }
    // Upper index of the segments (0 with one segment or none).
    int lastSegmentIndex() const { return static_cast<int>(m_seg.size()) - 1; }
    // Nothing is marked.
    bool isEmpty() const { return m_seg.constFirst().state == State::Empty; }
    // The last segment has a start but no end yet.
    bool lastSegmentOpen() const { return m_seg.constLast().state == State::Open; }

    // The segment an end mark closes, and the one playing.
    int curSeg = 0;
    int playSeg = 0;
    // A segment was closed since the marks were last cleared.
    bool marksEdited = false;

    // The strip that shows the marks is up.
    bool stripShown() const { return m_stripShown; }
    void setStripShown(bool shown);

    // A start mark at frame start: it opens a new segment after a closed one, or moves the
    // open one's start. Returns the segment's index, which becomes curSeg.
    int openSegment(qint32 start);
    void setSegment(int index, qint32 start, qint32 length, State state);
    // Removes a segment; the later ones move down. The only segment is emptied instead.
    void removeSegment(int index);
    // One empty segment; nothing edited.
    void clear();
    // The segments of a marks text, closed. False (and nothing changed) when a range ends
    // beyond lastFrame: such marks belong to another file.
    bool setMarksText(const QString& text, qint32 lastFrame);

    // "start-end" of every segment in index order, joined by blanks.
    QString marksText() const;
    // A segment's times widened by the pads and kept inside the media, as seconds and as
    // formatTime texts of mode; both texts stay "" while the media length is unknown.
    void rsFormat(int index, QString& startText, QString& endText, int mode, float& startSec,
                  float& endSec, float padStart, float padEnd, QString& lengthText) const;
    // The segment's start and end in seconds, cut to hundredths as rsFormat shows them
    // (0 while the media length is unknown).
    void segmentSeconds(int index, float& startSec, float& endSec) const;
    // "標記區段 N：從 … 到 … ＝ … 秒"
    QString segmentText(int index) const;
    // "N 個標記的總時間是 … 秒"
    QString totalText() const;

Q_SIGNALS:
    void changed();

private:
    const PlayerState& m_player;
    QList<Segment> m_seg;
    bool m_stripShown = false;
};
