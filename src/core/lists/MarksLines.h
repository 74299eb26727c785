#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <utility>

class QObject;

// The marks list of the playlist window without its widgets: one text line per range
// ("　從 00:00:04.00 到 00:00:12.00"), the selected line, the two time boxes the user types
// into and the open file's length as a time text. The edit buttons run edit(); what the tab
// shows (lines, boxes, which buttons are usable) is read back from here.
class MarksLines {
public:
    enum Edit { Add = 0, Change = 1, Remove = 2, Up = 3, Down = 4 };

    // "00:00:00.00": the boxes and the length before anything is known.
    static QString zeroTime();
    // hh:mm:ss.cc with minutes and seconds below 60. Valid texts are all as wide, so text
    // order is time order.
    static bool isValidTime(const QString& text);
    static QString rangeLine(const QString& start, const QString& end);
    // A line's start and end texts; zeroTime() both when the line holds no " 到 ".
    static std::pair<QString, QString> splitRangeLine(const QString& line);
    // A line's start and end as frames of secPerFrame seconds; false (start and end left as
    // they are) when the line cannot be split or the frame duration is unknown.
    static bool lineFrames(const QString& line, double secPerFrame, qint32& start, qint32& end);

    // Replaces the lines with one per range, selects the first and shows it in the boxes.
    void load(const QString& totalText, const QList<QPair<QString, QString>>& ranges);
    // A click on the list: line row (-1 none) becomes the selection.
    void select(int row);
    // One of the edit buttons, with what the boxes hold. Add and Change check the times
    // first and say what is wrong (owner: the box's window); false when nothing changed.
    bool edit(Edit edit, const QString& startBox, const QString& endBox, QObject* owner = nullptr);
    // What is wrong with a range typed into the boxes ("" nothing).
    QString rangeError(const QString& start, const QString& end) const;

    const QStringList& lines() const { return m_lines; }
    int count() const { return static_cast<int>(m_lines.size()); }
    int selected() const { return m_selected; }
    const QString& totalText() const { return m_total; }
    const QString& startBox() const { return m_startBox; }
    const QString& endBox() const { return m_endBox; }

    bool canChange() const { return m_selected >= 0; }
    bool canRemove() const { return m_selected >= 0; }
    bool canMoveUp() const { return m_selected > 0; }
    bool canMoveDown() const { return m_selected >= 0 && m_selected < count() - 1; }

private:
    // The selection kept inside the list, and its line in the boxes.
    void settle();

    QStringList m_lines;
    int m_selected = -1;
    QString m_total = zeroTime();
    QString m_startBox = zeroTime();
    QString m_endBox = zeroTime();
};
