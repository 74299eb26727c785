// The main window's part of the user's input: its keys, a click on the picture, and what
// is dropped on it.
#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "gui/player/MainMenus.h"
#include "gui/player/PlaybackControl.h"
#include "gui/player/RangeMarks.h"
#include "gui/player/SpeedSteps.h"
#include "gui/player/VideoSizing.h"
#include "gui/player/frmMain.h"
#include "gui/widgets/ZelvoButton.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

void frmMain::keyPressEvent(QKeyEvent* event) {
    if (!Form_KeyDown(event->key(), event->modifiers())) {
        QMainWindow::keyPressEvent(event);
    }
}

bool frmMain::Form_KeyDown(int key, Qt::KeyboardModifiers shift) {
    // A button's key works only while the button itself could be pressed.
    const auto usable = [](const ZelvoButton* button) { return button->State() < 2; };
    PlayerPanel* p = picPlusBk;
    switch (key) {
        case Qt::Key_Escape:
            m_sizing->toggleMaximised();
            return true;
        case Qt::Key_Space:
            spaceKey();
            return true;
        case Qt::Key_Delete:
            if (usable(p->mbStop)) {
                mbStop_Click();
            }
            return true;
        case Qt::Key_PageUp:
        case Qt::Key_Left:
            if (usable(p->mbBackward)) {
                m_speed->stepMove(-1, key == Qt::Key_PageUp);
            }
            return true;
        case Qt::Key_PageDown:
        case Qt::Key_Right:
            if (usable(p->mbForward)) {
                m_speed->stepMove(+1, key == Qt::Key_PageDown);
            }
            return true;
        case Qt::Key_Up:
            if (usable(p->mbLastItem)) {
                m_playback->listStepButton(-1);
            }
            return true;
        case Qt::Key_Down:
            if (usable(p->mbNextItem)) {
                m_playback->listStepButton(+1);
            }
            return true;
        case Qt::Key_F1:
            m_menus->action(QStringLiteral("mnuList"))->trigger();
            return true;
        case Qt::Key_F3:
            m_menus->action(QStringLiteral("mnuMyExplorer"))->trigger();
            return true;
        case Qt::Key_Home:
            if (m_menus->mnuSaveCap->isEnabled()) {
                mnuSaveCap_Click();
            }
            return true;
        default:
            return m_marks->keyDown(key, shift);
    }
}

void frmMain::spaceKey() {
    if (m_playback->currentPlayButton()->State() < 2 || picPlusBk->mbPause->State() < 2) {
        if (m_state.playerState == 1) {
            m_playback->mbPause_Click();
        } else {
            m_playback->mbPlay_Click();
        }
    }
}

void frmMain::mousePressEvent(QMouseEvent* event) {
    // Presses reach the window only from the picture area (the panel keeps its own).
    if (event->button() == Qt::LeftButton) {
        Form_KeyDown(Qt::Key_Space, event->modifiers());
    }
    event->accept();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() || event->mimeData()->hasText()) {
        event->acceptProposedAction();
    }
}

void frmMain::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    Form_OLEDragDrop(event->mimeData());
}

void frmMain::Form_OLEDragDrop(const QMimeData* dropped) {
    pausePrFn();
    QString firstFile;
    for (const QUrl& url : dropped->urls()) {
        if (url.isLocalFile()) {
            firstFile = url.toLocalFile();
            break;
        }
    }
    if (!firstFile.isEmpty()) {
        // Only the first dropped file plays.
        QString path =
            upperDriveLetter(firstFile.replace(QStringLiteral("//"), QStringLiteral("/")));
        if (FileObject::shared().FileExists(path)) {
            playSingle(path, false);
        }
        returnFocus(true);
        return;
    }
    QString text = dropped->hasText()   ? dropped->text()
                   : dropped->hasUrls() ? dropped->urls().constFirst().toString()
                                        : QString();
    if (!text.isEmpty()) {
        // A dropped link plays as a stream.
        playSingle(text, false);
        returnFocus(true);
    }
}
