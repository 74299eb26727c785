#include "gui/widgets/mdlIconKestal.h"

#include "core/common/AppPaths.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "gui/widgets/ZelvoPictures.h"

#include <QCoreApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

const QString kProgramName = QStringLiteral("Zelvo.FLV");

QPixmap blank(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Drawn on a 64 × 64 grid and scaled, so every size comes from the same drawing.
QPixmap drawProgramIcon(int size) {
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    // The film strip with its sprocket holes.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 44));
    painter.drawRoundedRect(QRectF(2.0, 10.0, 60.0, 44.0), 5.0, 5.0);
    painter.setBrush(QColor(235, 235, 235));
    for (int x = 6; x < 60; x += 9) {
        painter.drawRect(QRectF(x, 13.0, 5.0, 4.0));
        painter.drawRect(QRectF(x, 47.0, 5.0, 4.0));
    }
    painter.setBrush(QColor(150, 205, 240));
    painter.drawRect(QRectF(6.0, 20.0, 52.0, 24.0));

    // The turtle walking through the frame: legs, head, then the shell over them.
    painter.setBrush(QColor(120, 190, 100));
    painter.drawEllipse(QPointF(21.0, 40.0), 4.0, 3.0);
    painter.drawEllipse(QPointF(40.0, 40.0), 4.0, 3.0);
    painter.drawEllipse(QPointF(50.0, 33.0), 5.0, 4.0);
    painter.setPen(QPen(QColor(25, 90, 30), 1.5));
    painter.setBrush(QColor(60, 150, 60));
    painter.drawChord(QRectF(15.0, 23.0, 32.0, 30.0), 0, 180 * 16);
    painter.setPen(QPen(QColor(25, 90, 30), 1.2));
    painter.drawLine(QPointF(25.0, 28.0), QPointF(23.0, 38.0));
    painter.drawLine(QPointF(37.0, 28.0), QPointF(39.0, 38.0));
    painter.drawLine(QPointF(26.0, 31.0), QPointF(36.0, 31.0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 20, 20));
    painter.drawEllipse(QPointF(52.0, 32.0), 1.0, 1.0);
    return pixmap;
}

// Media files still get a telling icon on desktops without an icon theme.
QPixmap drawMediaIcon(bool audio, int size) {
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    painter.setPen(Qt::NoPen);
    if (audio) {
        painter.setBrush(QColor(40, 70, 160));
        painter.drawEllipse(QPointF(5.0, 12.0), 3.0, 2.2);
        painter.drawEllipse(QPointF(12.0, 10.5), 3.0, 2.2);
        painter.drawRect(QRectF(7.0, 2.5, 1.5, 9.5));
        painter.drawRect(QRectF(14.0, 1.0, 1.5, 9.5));
        painter.drawPolygon(QPolygonF(
            {QPointF(7.0, 2.5), QPointF(15.5, 1.0), QPointF(15.5, 3.5), QPointF(7.0, 5.0)}));
    } else {
        painter.setBrush(QColor(45, 45, 50));
        painter.drawRect(QRectF(1.0, 2.0, 14.0, 12.0));
        painter.setBrush(QColor(235, 235, 235));
        for (int x = 2; x < 15; x += 3) {
            painter.drawRect(QRectF(x, 3.0, 1.5, 1.5));
            painter.drawRect(QRectF(x, 11.5, 1.5, 1.5));
        }
        painter.setBrush(QColor(150, 205, 240));
        painter.drawRect(QRectF(2.5, 5.5, 11.0, 5.0));
    }
    return pixmap;
}

bool isProgramItself(const QString& path) {
    const QFileInfo info(path);
    if (info.absoluteFilePath() == QFileInfo(AppPaths::running().program()).absoluteFilePath()) {
        return true;
    }
    const QString running = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    return info.exists() && info.canonicalFilePath() == running;
}

}  // namespace

namespace mdlIconKestal {

QPixmap fileIcon(const QString& path, int size) {
    size = std::max(size, 1);
    const QString trimmed = path.trimmed();
    if (isProgramItself(trimmed)) {
        return programIcon().pixmap(size, size);
    }
    const FileObject& files = FileObject::shared();
    const QString extension = files.GetExtensionName(trimmed);
    const bool exists = files.FileExists(trimmed);
    const QMimeDatabase mimes;
    // An existing file is known by its contents too; a missing one only by its extension.
    const QMimeType type = exists ? mimes.mimeTypeForFile(trimmed)
                                  : mimes.mimeTypeForFile(QStringLiteral("x.") + extension,
                                                          QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) {
        icon = QIcon::fromTheme(type.genericIconName());
    }
    if (icon.isNull() && !extension.isEmpty() && isMediaFile(extension)) {
        return drawMediaIcon(isAudioFile(extension), size);
    }
    if (icon.isNull()) {
        const QFileIconProvider provider;
        icon = exists ? provider.icon(QFileInfo(trimmed)) : provider.icon(QFileIconProvider::File);
    }
    const QPixmap pixmap = ZelvoPictures::fromIcon(icon, size);
    return pixmap.isNull() ? blank(size) : pixmap;
}

void drawFileIcon(QLabel* picture, const QString& path, int x, int y, int width, int height) {
    if (picture == nullptr) {
        return;
    }
    // The whole area is cleared, as a picture box is before the icon is drawn into it.
    const QSize areaSize = picture->size().expandedTo(QSize(x + width, y + height));
    QPixmap area(areaSize.expandedTo(QSize(1, 1)));
    area.fill(Qt::transparent);
    QPainter painter(&area);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap icon = fileIcon(path, std::max(width, height));
    painter.drawPixmap(QRect(x, y, width, height), icon);
    painter.end();
    picture->setPixmap(area);
}

QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(drawProgramIcon(size));
    }
    return icon;
}

}  // namespace mdlIconKestal
