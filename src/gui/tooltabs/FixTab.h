#pragma once

#include "gui/tooltabs/ToolTab.h"

class QLabel;
class QLineEdit;
class SourceBox;
class ZelvoButton;

// The playlist window's repair tab: a source file (typed, browsed or dropped) and the
// button that rewrites it into a new file of its type. The work itself is FixJob's, run
// through the job front; this tab checks the source and asks for the destination.
class FixTab : public ToolTab {
    Q_OBJECT

public:
    explicit FixTab(QWidget* panel);

    QString runCaption() const override;
    void refresh() override;
    void run() override;

    // The source box's text, trimmed.
    QString sourcePath() const;

    QLabel* lblFix = nullptr;
    SourceBox* source = nullptr;
    QLineEdit* txtMdFix = nullptr;
    ZelvoButton* mbMdFix = nullptr;
    QPushButton* cmdMediaFix = nullptr;
};
