// The main window's part of frame capture: the capture session and the Home key.
#include "player/frmCap.h"
#include "player/frmMain.h"

void frmMain::mnuSaveCap_Click() {}

void frmMain::setupCaptureSession(const QString& path) {
    Q_UNUSED(path)
}

frmCap& frmMain::captureWindow() {
    if (!m_cap) {
        m_cap = new frmCap;
    }
    return *m_cap;
}
