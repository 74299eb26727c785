#pragma once

#include <QObject>

class QLineEdit;
class QWidget;

// A number box laid over the blanks of a caption ("切割以　　　　　　秒數為單位"), so the
// caption reads as one sentence with the number in it. It takes digits and Backspace, and
// "." too where its tip says "允許有小數點"; anything pasted is read leniently later.
class GapBox : public QObject {
    Q_OBJECT

public:
    // A box named name inside caption (a radio button or a label), over the first run of
    // two or more blanks of its text.
    static QLineEdit* make(QWidget* caption, const QString& name, bool decimals);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GapBox(QWidget* caption, QLineEdit* box);
    void place();

    QWidget* m_caption;
    QLineEdit* m_box;
};
