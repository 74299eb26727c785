#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about window: the program's name, what it does, and links to its home page and to
// the page on reporting a problem. The owner opens the links.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblTitleNote = nullptr;
    QLabel* lblHomepage = nullptr;
    QLabel* lblMail = nullptr;
    QPushButton* cmdOK = nullptr;

Q_SIGNALS:
    void homePageClicked();
    void mailClicked();
};
