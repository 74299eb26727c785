#include "gui/widgets/ZelvoPictures.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <algorithm>

namespace {

struct StandardSource {
    ButtonPicture which;
    const char* themeName;
    QStyle::StandardPixmap fallback;
};

constexpr StandardSource kStandard[] = {
    {ButtonPicture::Play, "media-playback-start", QStyle::SP_MediaPlay},
    {ButtonPicture::Pause, "media-playback-pause", QStyle::SP_MediaPause},
    {ButtonPicture::Stop, "media-playback-stop", QStyle::SP_MediaStop},
    {ButtonPicture::LastItem, "media-skip-backward", QStyle::SP_MediaSkipBackward},
    {ButtonPicture::NextItem, "media-skip-forward", QStyle::SP_MediaSkipForward},
    {ButtonPicture::Backward, "media-seek-backward", QStyle::SP_MediaSeekBackward},
    {ButtonPicture::Forward, "media-seek-forward", QStyle::SP_MediaSeekForward},
    {ButtonPicture::Sound, "audio-volume-high", QStyle::SP_MediaVolume},
    {ButtonPicture::SoundMuted, "audio-volume-muted", QStyle::SP_MediaVolumeMuted},
    {ButtonPicture::Open, "document-open", QStyle::SP_DialogOpenButton},
    {ButtonPicture::Save, "document-save", QStyle::SP_DialogSaveButton},
    {ButtonPicture::MoveUp, "go-up", QStyle::SP_ArrowUp},
    {ButtonPicture::MoveDown, "go-down", QStyle::SP_ArrowDown},
    {ButtonPicture::AddList, "document-open", QStyle::SP_DialogOpenButton},
    {ButtonPicture::DeleteAll, "edit-clear-all", QStyle::SP_TrashIcon},
    {ButtonPicture::Sort, "view-sort-ascending", QStyle::SP_FileDialogListView},
    {ButtonPicture::Reverse, "view-sort-descending", QStyle::SP_BrowserReload},
    {ButtonPicture::SaveFile, "document-save-as", QStyle::SP_DialogSaveButton},
    {ButtonPicture::ToFile, "folder-open", QStyle::SP_DirOpenIcon},
    {ButtonPicture::StopAll, "process-stop", QStyle::SP_BrowserStop},
};

QPixmap blank(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// The drawings below are made on a 16 × 16 grid and scaled to the asked size.
void beginGrid(QPainter& painter, int size) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
}

QPixmap drawRangeMark(bool start, int size) {
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    beginGrid(painter, size);
    // A bracket with the part of the seek bar it marks: "[" opens a range, "]" ends it.
    QPen pen(QColor(40, 40, 40), 2.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    painter.setPen(pen);
    QPainterPath bracket;
    const double bar = start ? 4.0 : 12.0;
    bracket.moveTo(8.0, 2.0);
    bracket.lineTo(bar, 2.0);
    bracket.lineTo(bar, 14.0);
    bracket.lineTo(8.0, 14.0);
    painter.drawPath(bracket);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 110, 200));
    painter.drawRect(start ? QRectF(6.0, 6.0, 8.0, 4.0) : QRectF(2.0, 6.0, 8.0, 4.0));
    return pixmap;
}

QPixmap drawAdd(int size) {
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    beginGrid(painter, size);
    painter.setPen(QPen(QColor(30, 140, 50), 3.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(8.0, 2.0), QPointF(8.0, 14.0));
    painter.drawLine(QPointF(2.0, 8.0), QPointF(14.0, 8.0));
    return pixmap;
}

QPixmap drawDelete(int size) {
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    beginGrid(painter, size);
    painter.setPen(QPen(QColor(200, 40, 40), 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    painter.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    return pixmap;
}

QPixmap drawRandomPlay(int size) {
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    beginGrid(painter, size);
    // Two crossing arrows, the usual mark of shuffled play.
    painter.setPen(QPen(QColor(40, 40, 40), 1.6, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    QPainterPath down;
    down.moveTo(1.0, 4.0);
    down.cubicTo(7.0, 4.0, 7.0, 12.0, 12.0, 12.0);
    QPainterPath up;
    up.moveTo(1.0, 12.0);
    up.cubicTo(7.0, 12.0, 7.0, 4.0, 12.0, 4.0);
    painter.drawPath(down);
    painter.drawPath(up);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawPolygon(QPolygonF({QPointF(11.0, 1.0), QPointF(15.5, 4.0), QPointF(11.0, 7.0)}));
    painter.drawPolygon(QPolygonF({QPointF(11.0, 9.0), QPointF(15.5, 12.0), QPointF(11.0, 15.0)}));
    return pixmap;
}

QPixmap themed(const char* themeName, int size, QPixmap (*drawn)(int)) {
    const QIcon icon = QIcon::fromTheme(QString::fromLatin1(themeName));
    return icon.isNull() ? drawn(size) : ZelvoPictures::fromIcon(icon, size);
}

}  // namespace

namespace ZelvoPictures {

QPixmap fromIcon(const QIcon& icon, int size) {
    // Icons come in the sizes their theme has, not always square.
    const QPixmap pixmap = icon.pixmap(size, size);
    if (pixmap.isNull() || pixmap.deviceIndependentSize().toSize() == QSize(size, size)) {
        return pixmap;
    }
    QPixmap canvas = blank(size);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize shown =
        pixmap.deviceIndependentSize().toSize().scaled(size, size, Qt::KeepAspectRatio);
    painter.drawPixmap(
        QRect(QPoint((size - shown.width()) / 2, (size - shown.height()) / 2), shown), pixmap);
    return canvas;
}

QPixmap picture(ButtonPicture which, int size) {
    size = std::max(size, 1);
    for (const StandardSource& source : kStandard) {
        if (source.which == which) {
            const QIcon fallback = QApplication::style()->standardIcon(source.fallback);
            const QIcon icon = QIcon::fromTheme(QString::fromLatin1(source.themeName), fallback);
            const QPixmap pixmap = ZelvoPictures::fromIcon(icon, size);
            return pixmap.isNull() ? blank(size) : pixmap;
        }
    }
    switch (which) {
        case ButtonPicture::RangeStart:
            return drawRangeMark(true, size);
        case ButtonPicture::RangeEnd:
            return drawRangeMark(false, size);
        case ButtonPicture::Add:
            return themed("list-add", size, drawAdd);
        case ButtonPicture::Delete:
            return themed("list-remove", size, drawDelete);
        case ButtonPicture::RandomPlay:
        case ButtonPicture::Shuffle:
            return themed("media-playlist-shuffle", size, drawRandomPlay);
        default:
            return blank(size);
    }
}

QPixmap greyed(const QPixmap& picture) {
    if (picture.isNull()) {
        return picture;
    }
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Dark parts become mid grey and light parts light grey: still readable on
            // the button face, but plainly not usable.
            const int shade = 96 + qGray(line[x]) * 112 / 255;
            line[x] = qRgba(shade, shade, shade, qAlpha(line[x]));
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(picture.devicePixelRatio());
    return result;
}

QPixmap masked(const QPixmap& picture, const QColor& mask) {
    if (picture.isNull() || picture.hasAlphaChannel() || !mask.isValid()) {
        return picture;
    }
    QPixmap result = picture;
    result.setMask(picture.createMaskFromColor(mask, Qt::MaskInColor));
    return result;
}

}  // namespace ZelvoPictures
