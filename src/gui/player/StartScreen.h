#pragma once

#include <QFrame>

class QLabel;

// The note shown in the picture area until a file plays: what to do first, and two
// pictures with labels that lead to the developers' notes and to the donation window.
// Files dropped on it go to the window under it.
class StartScreen : public QFrame {
    Q_OBJECT

public:
    explicit StartScreen(QWidget* parent);

    QLabel* lblNote = nullptr;
    QLabel* imgBlog = nullptr;
    QLabel* lblBlog = nullptr;
    QLabel* imgMoney = nullptr;
    QLabel* lblMoney = nullptr;

Q_SIGNALS:
    void blogClicked();
    void moneyClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
