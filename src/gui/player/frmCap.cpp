#include "gui/player/frmCap.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "gui/busy/BusySession.h"
#include "gui/player/frmCapTexts.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <cmath>

namespace {

int pixelsOf(int twips, int twipsPerPixel) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / twipsPerPixel));
}

}  // namespace

frmCap::frmCap(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmCap"));
    setWindowTitle(frmCapTexts::caption());
    mnuSaveCap = menuBar()->addAction(frmCapTexts::mnuSaveCap());
    mnuSaveCap->setObjectName(QStringLiteral("mnuSaveCap"));
    connect(mnuSaveCap, &QAction::triggered, this, &frmCap::mnuSaveCap_Click);
    picShow = new QLabel(this);
    picShow->setObjectName(QStringLiteral("picShow"));
    picShow->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setCentralWidget(picShow);
    // The window is always exactly the menu bar over the picture.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    move(pixelsOf(capLeft, twipsPerPixelX), pixelsOf(capTop, twipsPerPixelY));
}

void frmCap::showRect(int x, int y, QWidget* source, const QString& fileName, int width,
                      int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    m_picture = grabArea(source, QRect(x, y, width, height));
    picShow->setFixedSize(width, height);
    picShow->setPixmap(QPixmap::fromImage(m_picture));
    layout()->activate();
    show();
    raise();
    activateWindow();
    mnuSaveCap->setData(FileObject::shared().GetBaseName(fileName) + frmCapTexts::nameSuffix());
}

QImage frmCap::grabArea(QWidget* area, const QRect& rect) {
    // The screen's own pixels: the player draws its picture through OpenGL, which only the
    // screen shows as the user sees it.
    QImage shot;
    QWidget* top = area->window();
    QScreen* screen = top->screen();
    const QPoint origin = area->mapTo(top, rect.topLeft());
    if (top->isVisible() && screen != nullptr) {
        shot = screen->grabWindow(top->winId(), origin.x(), origin.y(), rect.width(), rect.height())
                   .toImage();
    }
    // Where the screen cannot be read (Wayland lets no program read it, the offscreen
    // platform has none) the window draws that part of itself once more, the picture's
    // OpenGL widget over the area included.
    if (shot.isNull()) {
        shot = top->grab(QRect(origin, rect.size())).toImage();
    }
    shot.setDevicePixelRatio(1.0);
    if (shot.size() == rect.size()) {
        return shot.convertToFormat(QImage::Format_RGB32);
    }
    // Part of the rectangle lies outside the window: that part stays black.
    QImage picture(rect.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.drawImage(0, 0, shot);
    return picture;
}

void frmCap::mnuSaveCap_Click() {
    CommDialog dialog;
    dialog.setOwnerWindow(this);
    dialog.setFilter(frmCapTexts::saveFilter());
    dialog.setFilterIndex(1);
    dialog.setDefaultExt(frmCapTexts::saveExtension());
    dialog.setFileName(mnuSaveCap->data().toString());
    dialog.setInitDir(startFolder ? startFolder() : QString());
    const QString path = dialog.ShowSave(true);
    if (path.isEmpty()) {
        return;
    }
    if (!m_picture.save(path, "BMP")) {
        msgBox(frmCapTexts::cannotSave(), MsgButtons::Ok, titles::error(), MsgIcon::None, this);
        return;
    }
    BusySession::shared().doneAfterSave(path, false, 0.0f, false);
}

void frmCap::closeEvent(QCloseEvent* event) {
    capLeft = x() * twipsPerPixelX;
    capTop = y() * twipsPerPixelY;
    QMainWindow::closeEvent(event);
}
