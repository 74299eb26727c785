#include "gui/busy/InputGuard.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QWidget>

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

}  // namespace

InputGuard::InputGuard(QWidget* allowed) : m_allowed(allowed) {
    qApp->installEventFilter(this);
}

InputGuard::~InputGuard() {
    qApp->removeEventFilter(this);
}

bool InputGuard::blocks(const QObject* receiver) const {
    if (qobject_cast<const QAction*>(receiver) != nullptr) {
        return true;  // a menu item's shortcut
    }
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    if (widget == nullptr) {
        return false;  // the window system's side; its widgets decide
    }
    const QWidget* window = widget->window();
    if (m_allowed && window == m_allowed->window()) {
        return false;
    }
    // A question of the job's, or a menu that opens in it.
    return qobject_cast<const QDialog*>(window) == nullptr &&
           window->windowModality() == Qt::NonModal && window->windowType() != Qt::Popup;
}

bool InputGuard::eventFilter(QObject* watched, QEvent* event) {
    if (!isUserInput(event->type()) || !blocks(watched)) {
        return false;
    }
    // Accepting the override keeps the window's shortcuts from firing; the key press that
    // follows is held back like every other.
    event->accept();
    return true;
}
