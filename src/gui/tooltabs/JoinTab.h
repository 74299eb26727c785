#pragma once

#include "gui/tooltabs/ToolTab.h"

class PlaylistModel;
class PlaylistView;

// The join tab: the join list (files added as to a playlist) and the button that joins them,
// in list order, into one new file of their type. The list's own toolbar works on it while it
// is shown; the hint under it gives the list's total size. The work is JoinJob's, which looks
// at every file first and names the ones whose streams differ.
class JoinTab : public ToolTab {
    Q_OBJECT

public:
    JoinTab(PlaylistModel& list, QWidget* panel);

    // The list box that shows the join list, laid out above the run button.
    void setView(PlaylistView* view);

    QString runCaption() const override;
    // "合併清單目前所有項目的總檔案大小是：" and the list's total.
    QString note() const override;
    PlaylistModel* list() const override { return &m_list; }
    void refresh() override;
    void run() override;

    QPushButton* cmdMediaJoin = nullptr;

private:
    // The first item that may not be joined with those before it, -1 when all may.
    int firstRefused() const;

    PlaylistModel& m_list;
};
