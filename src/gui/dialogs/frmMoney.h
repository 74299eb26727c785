#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The donation window: what helps the program, and a link to the page on reporting a
// problem. The owner opens the link.
class frmMoney : public QDialog {
    Q_OBJECT

public:
    explicit frmMoney(QWidget* parent = nullptr);

    QPlainTextEdit* txtMoney = nullptr;
    QLabel* lblMail = nullptr;
    QPushButton* cmdOK = nullptr;

Q_SIGNALS:
    void mailClicked();
};
