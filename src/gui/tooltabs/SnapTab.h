#pragma once

#include "core/jobs/SplitPlan.h"
#include "gui/tooltabs/ToolTab.h"

#include <array>

class ProbePanel;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;

// The snapshot tab: one picture of a video at a moment, or a series over the whole video or
// a range, by a number of pictures or one every so many seconds, as JPG, PNG or GIF. It
// shares its source and probe with the split tab; the moments are splitPlan's and the
// pictures SnapshotJob's.
class SnapTab : public ToolTab {
    Q_OBJECT

public:
    SnapTab(ProbePanel& probe, QWidget* panel);

    QString runCaption() const override;
    void tabShown() override;
    void refresh() override;
    void run() override;

    void optMdSnap1_Click(int index);
    void optMdSnap2_Click(int index);
    // What the numbers typed make now.
    splitPlan::Snapshot plan() const;
    // The numbers typed, as a batch takes them for each of its files.
    splitPlan::SnapInput input() const;
    // "jpg", "png" or "gif".
    QString pictureType() const;

    std::array<QRadioButton*, 3> optMdSnap1{};
    std::array<QRadioButton*, 2> optMdSnap2{};
    std::array<QLineEdit*, 3> txtMdSnEq{};
    QLineEdit* txtMdSnFrom = nullptr;
    QLineEdit* txtMdSnEnd = nullptr;
    QLabel* lblMdSnapEnd = nullptr;
    QFrame* picMdSnap2 = nullptr;
    QComboBox* cboMediaSnapType = nullptr;
    QPushButton* cmdMediaSnap = nullptr;

private:
    void build();
    void compute();

    ProbePanel& m_probe;
    int m_choice = 0;
    int m_spacing = 0;
};
