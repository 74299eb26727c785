#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The busy dialog: laid exactly over the window whose work is running, a little
// translucent, it says what is being done, shows how far the current tool run
// has got, and offers the Break button. It exists only during a tool run.
class frmBuzy : public QWidget {
    Q_OBJECT

public:
    // The load handler: the dialog starts hidden, translucent, with a blank
    // five-line text. owner is the window it works for and stays above.
    explicit frmBuzy(QWidget* owner = nullptr);

    // Centres the text in the space above the Break panel, which sits at the
    // bottom centre.
    void lblBuzyMove();

    void setBusyText(const QString& text);
    QString busyText() const;

    // Percent of the current run, or -1 while that is not known (empty bar).
    void setProgress(int percent);
    // What the bar shows: percent, or -1 when it is empty.
    int progress() const;

    // True once Break was pressed (the button's tag reads "click").
    bool breakPressed() const;
    // Presses Break, as a click on the button does.
    void pressBreak() { cmdBreakClick(); }
    // Break is taken back (a batch goes on with its next file): the bar moves again.
    void clearBreak();

Q_SIGNALS:
    void breakClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void cmdBreakClick();

    QLabel* lblBuzy = nullptr;
    QWidget* picBreak = nullptr;
    QLabel* imgRun = nullptr;
    QPushButton* cmdBreak = nullptr;
    QProgressBar* prgRun = nullptr;
    QPoint m_dragOffset;
};
