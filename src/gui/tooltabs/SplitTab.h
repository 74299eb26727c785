#pragma once

#include "core/jobs/SplitPlan.h"
#include "gui/tooltabs/ToolTab.h"

#include <array>

class ProbePanel;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;

// The split tab: one file cut without re-encoding into 2 to 99 pieces (equal parts, so many
// seconds or kilobytes each) or into one piece between two positions (seconds, kilobytes or
// percent). The numbers become pieces by splitPlan; the cut is SaveRangesJob's. After the
// probe the tab also shows where the pieces will really start: on the keyframe at or before
// each cut.
class SplitTab : public ToolTab {
    Q_OBJECT

public:
    SplitTab(ProbePanel& probe, QWidget* panel);

    QString runCaption() const override;
    void tabShown() override;
    void refresh() override;
    void run() override;

    // The mode option clicked (0..5).
    void optMdSplit_Click(int index);
    int mode() const { return m_mode; }
    // What the numbers typed make now.
    splitPlan::Split plan() const;
    // The numbers typed, as a batch takes them for each of its files.
    splitPlan::SplitInput input() const;

    std::array<QRadioButton*, 6> optMdSplit{};
    std::array<QLabel*, 3> lblMd{};  // the one-piece modes' end captions
    std::array<QLineEdit*, 3> txtMdSpEq{};
    std::array<QLineEdit*, 3> txtMdSpFrom{};
    std::array<QLineEdit*, 3> txtMdSpEnd{};
    std::array<QFrame*, 2> picNoteMd{};
    std::array<QLabel*, 7> lblNoteMd{};
    QLabel* lblSplitStarts = nullptr;
    QPushButton* cmdMediaSplit = nullptr;

private:
    void build();
    // The parameter computation: the statistics, the preview and the run button.
    void compute();
    void showStarts(const splitPlan::Split& split);

    ProbePanel& m_probe;
    int m_mode = 0;
};
