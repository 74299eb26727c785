// The main window's part of frame capture: the Home key and its menu item, the capture
// window's life, and the hidden capture session.
#include "core/common/AppPaths.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "gui/player/frmCap.h"
#include "gui/player/frmMain.h"

#include <QCoreApplication>
#include <QVariant>

namespace {

const QString kCaptureAlias = QStringLiteral("Zelvo.FLV_forCapture");
// picCapMCI's "Tag" reads "on" once the capture session has been set up.
const char* const kTag = "Tag";
const QString kOn = QStringLiteral("on");

}  // namespace

void frmMain::mnuSaveCap_Click() {
    pausePrFn();
    // The copy is read from the screen: the paused frame must be there first.
    repaint();
    QCoreApplication::processEvents();
    captureWindow().showRect(1, 1, picVideo, mciMain.FileName(), m_state.availWidth,
                             m_state.availHeight);
}

frmCap& frmMain::captureWindow() {
    if (!m_cap) {
        // A window of its own, not a child: it goes where the user leaves it. It goes
        // with this window, whether or not the unload handler ran.
        auto* cap = new frmCap;
        cap->startFolder = [this] { return getWorkDir(mciMain.FileName(), m_parts->saveFolder()); };
        connect(this, &QObject::destroyed, cap, [cap] { delete cap; });
        m_cap = cap;
    }
    return *m_cap;
}

void frmMain::unloadCaptureWindow() {
    if (m_cap) {
        m_cap->close();
        delete m_cap;
    }
}

void frmMain::setupCaptureSession(const QString& path) {
    if (picCapMCI->property(kTag).toString() == kOn) {
        return;
    }
    if (isAudioFile(path) || !isMediaFile(path)) {
        return;
    }
    dealMyResource(QStringLiteral("CapMCI"), true);
    if (FileObject::shared().FileExists(AppPaths::running().sampleClip())) {
        // The session opens paused on its first frame and is never placed, so its picture
        // stays hidden and nothing of it is heard.
        mciCap.openMCI(AppPaths::running().sampleClip(), picCapMCI->winId(), kCaptureAlias);
    }
    picCapMCI->setProperty(kTag, kOn);
}
