#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// While a tool job runs, the program's windows take no input from the user: no key,
// click, wheel, shortcut, context menu or drop reaches them. Only the window that is let
// through (the busy window with its Break button) and the dialogs that open on top (a
// question of the job's) still take input. Closing a window is not input here: the
// window's own close handler decides.
class InputGuard : public QObject {
    Q_OBJECT

public:
    explicit InputGuard(QWidget* allowed);
    ~InputGuard() override;
    InputGuard(const InputGuard&) = delete;
    InputGuard& operator=(const InputGuard&) = delete;

    // Whether an input event for receiver would be held back.
    bool blocks(const QObject* receiver) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_allowed;
};
