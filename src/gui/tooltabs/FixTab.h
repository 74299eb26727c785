#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class ZelvoButton;
class frmList;

// The playlist window's repair tab: a source file (typed, browsed or dropped) and the
// button that rewrites it into a new file of its type. The work itself is FixJob's, run in
// the busy session; this tab checks the source, asks for the destination and refuses one
// that would destroy the source.
class FixTab : public QWidget {
    Q_OBJECT

public:
    FixTab(frmList& owner, QWidget* panel);

    // The source box's text, trimmed.
    QString source() const;
    // The tab came to the front: the run button and the play menu item follow the source.
    void tabShown();
    // The run button, the play menu item (while this tab is shown) and the box's tip follow
    // whether the source exists.
    void refresh();
    void mbMdFix_Click();
    void cmdMediaFix_Click();
    // The first file of a drop goes into the source box when it exists.
    void dropFiles(const QMimeData& dropped);

    QLabel* lblFix = nullptr;
    QLineEdit* txtMdFix = nullptr;
    ZelvoButton* mbMdFix = nullptr;
    QPushButton* cmdMediaFix = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The destination the user picks in the save dialog, "" when cancelled.
    QString chooseDestination(const QString& src) const;

    frmList& m_owner;
};
