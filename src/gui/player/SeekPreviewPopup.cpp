#include "gui/player/SeekPreviewPopup.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kBorder = 1;
constexpr int kTextGap = 2;

}  // namespace

SeekPreviewPopup::SeekPreviewPopup()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput) {
    setObjectName(QStringLiteral("seekPreview"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void SeekPreviewPopup::setPicture(const QImage& picture, const QString& timeText) {
    m_picture = picture;
    m_timeText = timeText;
    const int textHeight = QFontMetrics(font()).height();
    resize(picture.width() + 2 * kBorder,
           picture.height() + 2 * kBorder + kTextGap + textHeight + kTextGap);
    update();
}

void SeekPreviewPopup::clear() {
    m_picture = QImage();
    m_timeText.clear();
}

void SeekPreviewPopup::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawImage(kBorder, kBorder, m_picture);
    painter.setPen(Qt::white);
    const QRect text(kBorder, kBorder + m_picture.height() + kTextGap, m_picture.width(),
                     height() - m_picture.height() - 2 * kBorder - kTextGap);
    painter.drawText(text, Qt::AlignHCenter | Qt::AlignTop, m_timeText);
}
