#include "gui/widgets/ZelvoButton.h"

#include "gui/widgets/ZelvoPictures.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include <algorithm>

ZelvoButton::ZelvoButton(QWidget* parent) : QWidget(parent) {
    // Moves without a button pressed are needed for the hot frame and for MouseMove.
    setMouseTracking(true);
    // The player's keys belong to its window; a click on a button must not take them.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    tmrCheck.setInterval(100);
    connect(&tmrCheck, &QTimer::timeout, this, &ZelvoButton::checkPointer);
}

void ZelvoButton::setState(int state) {
    if (state < Normal || state > Disabled) {
        state = Normal;
    }
    m_state = state;
    // A disabled button gets no mouse events at all, as the windows expect.
    setEnabled(state != Disabled);
    if (state == Disabled) {
        m_pushPressed = false;
    }
    // The watch runs exactly while the hot frame is shown, whoever showed it.
    if (state == Hot) {
        if (!tmrCheck.isActive()) {
            tmrCheck.start();
        }
    } else {
        tmrCheck.stop();
    }
    redraw();
}

void ZelvoButton::setStyle(int style) {
    m_style = style == 1 ? 1 : 0;
    if (m_style == 1 && m_state == Hot) {
        setState(Normal);
    }
    redraw();
}

void ZelvoButton::setMode(int mode) {
    m_mode = (mode == Toggle || mode == FireOnPress) ? mode : Push;
}

void ZelvoButton::setCaption(const QString& caption) {
    m_caption = caption;
    updateGeometry();
    redraw();
}

QColor ZelvoButton::BackColor() const {
    return m_backColor.isValid() ? m_backColor : palette().color(QPalette::Button);
}

void ZelvoButton::setBackColor(const QColor& color) {
    m_backColor = color;
    redraw();
}

QColor ZelvoButton::ForeColor() const {
    return m_foreColor.isValid() ? m_foreColor : palette().color(QPalette::ButtonText);
}

void ZelvoButton::setForeColor(const QColor& color) {
    m_foreColor = color;
    redraw();
}

QColor ZelvoButton::MaskColor() const {
    return m_maskColor.isValid() ? m_maskColor : palette().color(QPalette::Button);
}

void ZelvoButton::setMaskColor(const QColor& color) {
    m_maskColor = color;
    redraw();
}

void ZelvoButton::setUseMaskColor(bool use) {
    m_useMaskColor = use;
    redraw();
}

void ZelvoButton::setPicture(const QPixmap& picture) {
    m_picture = picture;
    updateGeometry();
    redraw();
}

void ZelvoButton::setDownPicture(const QPixmap& picture) {
    m_downPicture = picture;
    redraw();
}

void ZelvoButton::setDisabledPicture(const QPixmap& picture) {
    m_disabledPicture = picture;
    redraw();
}

void ZelvoButton::setOLEDropMode(int dropMode) {
    m_oleDropMode = dropMode != 0 ? 1 : 0;
    setAcceptDrops(m_oleDropMode != 0);
}

void ZelvoButton::SetToolTip(const QString& text) {
    // Kept apart from the widget's own tip so that showing the button can restore it.
    m_toolTip = text;
    m_hasToolTip = true;
    setToolTip(m_toolTip);
}

QSize ZelvoButton::sizeHint() const {
    const QSize picture = m_picture.isNull() ? QSize() : m_picture.deviceIndependentSize().toSize();
    int width = picture.width();
    int height = picture.height();
    if (!m_caption.isEmpty()) {
        const QFontMetrics metrics = fontMetrics();
        width = std::max(width, metrics.horizontalAdvance(m_caption));
        height += metrics.height() + (picture.isEmpty() ? 0 : 1);
    }
    return {std::max(width + 8, 22), std::max(height + 8, 22)};
}

void ZelvoButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor face = BackColor();
    const bool down = m_state == Down;
    if (m_style == 1) {
        QPalette shades = palette();
        shades.setColor(QPalette::Button, face);
        const QBrush fill(face);
        qDrawWinButton(&painter, rect(), shades, down, &fill);
    } else {
        painter.fillRect(rect(), face);
    }

    // The face's content moves one pixel down and right while pressed, as on any button.
    QRect box = rect().adjusted(2, 2, -2, -2);
    if (down) {
        box.translate(1, 1);
    }
    const QPixmap picture = currentPicture();
    const QSize pictureSize =
        picture.isNull() ? QSize(0, 0) : picture.deviceIndependentSize().toSize();
    const int textHeight = m_caption.isEmpty() ? 0 : fontMetrics().height();
    const int gap = (pictureSize.height() > 0 && textHeight > 0) ? 1 : 0;
    int top = box.top() + (box.height() - pictureSize.height() - gap - textHeight) / 2;
    if (!picture.isNull()) {
        painter.drawPixmap(QPoint(box.left() + (box.width() - pictureSize.width()) / 2, top),
                           picture);
        top += pictureSize.height() + gap;
    }
    if (textHeight > 0) {
        painter.setPen(m_state == Disabled
                           ? palette().color(QPalette::Disabled, QPalette::ButtonText)
                           : ForeColor());
        painter.drawText(QRect(box.left(), top, box.width(), textHeight),
                         Qt::AlignCenter | Qt::TextShowMnemonic, m_caption);
    }

    if (m_style == 0 && (m_state == Hot || down)) {
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        const QColor topLeft = down ? dark : light;
        const QColor bottomRight = down ? light : dark;
        const int w = width();
        const int h = height();
        painter.fillRect(0, 0, w - 1, 1, topLeft);
        painter.fillRect(0, 0, 1, h - 1, topLeft);
        painter.fillRect(w - 1, 0, 1, h, bottomRight);
        painter.fillRect(0, h - 1, w, 1, bottomRight);
    }
}

void ZelvoButton::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    Q_EMIT MouseDown(event->button(), event->modifiers(), at.x(), at.y());
    if (m_state == Disabled || event->button() != Qt::LeftButton) {
        return;
    }
    switch (m_mode) {
        case Toggle:
            setState(m_state == Down ? Normal : Down);
            Q_EMIT Click();
            break;
        case FireOnPress:
            setState(Down);
            Q_EMIT Click();
            break;
        default:
            m_pushPressed = true;
            setState(Down);
            break;
    }
}

void ZelvoButton::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    Q_EMIT MouseMove(event->buttons(), event->modifiers(), at.x(), at.y());
    if (m_pushPressed && (event->buttons() & Qt::LeftButton)) {
        // Like any push button: up while dragged off, down again when back over it.
        const int look = rect().contains(at) ? Down : Normal;
        if (look != m_state) {
            setState(look);
        }
    } else if (event->buttons() == Qt::NoButton && rect().contains(at)) {
        showHot();
    }
}

void ZelvoButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    Q_EMIT MouseUp(event->button(), event->modifiers(), at.x(), at.y());
    if (event->button() != Qt::LeftButton || !m_pushPressed) {
        return;
    }
    m_pushPressed = false;
    if (m_state == Disabled) {
        return;
    }
    setState(Normal);
    if (rect().contains(at)) {
        Q_EMIT Click();
    }
}

void ZelvoButton::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (!m_pushPressed) {
        showHot();
    }
}

void ZelvoButton::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (m_state == Hot) {
        setState(Normal);
    }
}

void ZelvoButton::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_hasToolTip) {
        setToolTip(m_toolTip);
    }
}

void ZelvoButton::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_pushPressed = false;
    if (m_state == Hot) {
        setState(Normal);
    }
}

void ZelvoButton::dragEnterEvent(QDragEnterEvent* event) {
    if (m_oleDropMode != 0) {
        event->acceptProposedAction();
    }
}

void ZelvoButton::dropEvent(QDropEvent* event) {
    if (m_oleDropMode == 0) {
        return;
    }
    const QPoint at = event->position().toPoint();
    Q_EMIT OLEDragDrop(event->mimeData(), event->dropAction(), event->buttons(), event->modifiers(),
                       at.x(), at.y());
    event->acceptProposedAction();
}

void ZelvoButton::showHot() {
    if (m_state == Normal && m_style == 0 && isVisible()) {
        setState(Hot);
    }
}

void ZelvoButton::checkPointer() {
    if (!pointerIsOver()) {
        tmrCheck.stop();
        if (m_state == Hot) {
            setState(Normal);
        }
    }
}

bool ZelvoButton::pointerIsOver() const {
    if (!isVisible()) {
        return false;
    }
    // The widget actually under the pointer, so a window or widget covering the button
    // counts as having left it.
    const QPoint global = QCursor::pos();
    return rect().contains(mapFromGlobal(global)) && QApplication::widgetAt(global) == this;
}

QPixmap ZelvoButton::currentPicture() const {
    const QColor mask = MaskColor();
    const auto prepared = [&](const QPixmap& picture) {
        return m_useMaskColor ? ZelvoPictures::masked(picture, mask) : picture;
    };
    if (m_state == Disabled) {
        return m_disabledPicture.isNull() ? ZelvoPictures::greyed(prepared(m_picture))
                                          : prepared(m_disabledPicture);
    }
    if (m_state == Down && !m_downPicture.isNull()) {
        return prepared(m_downPicture);
    }
    return prepared(m_picture);
}

void ZelvoButton::redraw() {
    // Painted at once, so the new look is on screen before a long operation starts.
    if (isVisible()) {
        repaint();
    } else {
        update();
    }
}
