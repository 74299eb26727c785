#pragma once

#include "core/lists/MarksLines.h"

#include <QWidget>

#include <array>

class PlayerWindow;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The marks list tab of the playlist window: the open file's range marks as time lines the
// user edits, plays a line of, and draws back onto the player. The lines and their rules are
// MarksLines'; this tab draws them and hands the clicks over.
class MarksTab : public QWidget {
    Q_OBJECT

public:
    explicit MarksTab(QWidget* parent = nullptr);

    const MarksLines& lines() const { return m_lines; }
    // The player whose marks the list shows and edits (nullptr none).
    void setPlayer(PlayerWindow* player) { m_player = player; }

    // What the player asks of the marks list (ListWindow).
    void loadMark();
    // The tab was shown: the selection stays inside the list and its line is in the boxes.
    void refresh();
    void checkCmdRng();
    QStringList marksLines() const { return m_lines.lines(); }
    void getStartEnd(const QString& line, qint32& start, qint32& end) const;

    void cmdSSt_Click(int index);
    void cmdLoad_Click();
    void cmdApply_Click();
    // Plays the range of line row on the player.
    void lstRng_DblClick(int row);

    QListWidget* lstRng = nullptr;
    QLineEdit* txtRngStart = nullptr;
    QLineEdit* txtRngEnd = nullptr;
    std::array<QPushButton*, 5> cmdSSt{};
    QLabel* lblTtTime = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdApply = nullptr;

private:
    void build();
    // Shows the lines' state: list, selection, boxes, length and which buttons work.
    void draw();

    MarksLines m_lines;
    PlayerWindow* m_player = nullptr;
    bool m_drawing = false;
};
