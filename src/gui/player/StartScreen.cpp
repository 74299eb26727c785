#include "gui/player/StartScreen.h"

#include "gui/player/frmMainTexts.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int kPictureSize = 28;
constexpr int kArtHeight = 64;

// A notebook with a pen: the developers' notes.
QPixmap blogPicture() {
    QPixmap pixmap(kPictureSize, kPictureSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 70, 110), 1.5));
    p.setBrush(QColor(250, 246, 232));
    p.drawRoundedRect(QRectF(4, 3, 17, 22), 2, 2);
    for (int y = 9; y <= 19; y += 5) {
        p.drawLine(QPointF(8, y), QPointF(17, y));
    }
    p.setBrush(QColor(230, 150, 40));
    QPainterPath pen;
    pen.moveTo(25, 6);
    pen.lineTo(27, 8);
    pen.lineTo(16, 21);
    pen.lineTo(13, 22);
    pen.lineTo(14, 19);
    pen.closeSubpath();
    p.drawPath(pen);
    return pixmap;
}

// A heart: what helps the program.
QPixmap moneyPicture() {
    QPixmap pixmap(kPictureSize, kPictureSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath heart;
    heart.moveTo(14, 24);
    heart.cubicTo(2, 16, 2, 6, 9, 5);
    heart.cubicTo(12, 5, 14, 8, 14, 10);
    heart.cubicTo(14, 8, 16, 5, 19, 5);
    heart.cubicTo(26, 6, 26, 16, 14, 24);
    p.setPen(QPen(QColor(150, 30, 50), 1.5));
    p.setBrush(QColor(225, 70, 90));
    p.drawPath(heart);
    return pixmap;
}

QLabel* clickable(QLabel* label, QObject* filter) {
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(filter);
    return label;
}

}  // namespace

StartScreen::StartScreen(QWidget* parent) : QFrame(parent) {
    namespace t = frmMainTexts;
    setObjectName(QStringLiteral("picNote"));
    setAutoFillBackground(false);

    lblNote = new QLabel(t::startNote(), this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setAlignment(Qt::AlignCenter);
    lblNote->setWordWrap(true);
    imgBlog = clickable(new QLabel(this), this);
    imgBlog->setObjectName(QStringLiteral("imgBlog"));
    imgBlog->setPixmap(blogPicture());
    lblBlog = clickable(new QLabel(t::mnuDiscuss(), this), this);
    lblBlog->setObjectName(QStringLiteral("lblBlog"));
    imgMoney = clickable(new QLabel(this), this);
    imgMoney->setObjectName(QStringLiteral("imgMoney"));
    imgMoney->setPixmap(moneyPicture());
    lblMoney = clickable(new QLabel(t::startMoney(), this), this);
    lblMoney->setObjectName(QStringLiteral("lblMoney"));
    setStyleSheet(
        QStringLiteral("QLabel { color: #e8eef5; }"
                       "QLabel#lblBlog, QLabel#lblMoney { text-decoration: underline; }"));

    auto* links = new QGridLayout;
    links->addWidget(imgBlog, 0, 0);
    links->addWidget(lblBlog, 0, 1);
    links->setColumnMinimumWidth(2, 16);
    links->addWidget(imgMoney, 0, 3);
    links->addWidget(lblMoney, 0, 4);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, kArtHeight + 12, 16, 10);
    layout->addWidget(lblNote);
    layout->addLayout(links);
    layout->setAlignment(links, Qt::AlignHCenter);
    setFixedWidth(300);
    setFixedHeight(sizeHint().height());
}

bool StartScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == imgBlog || watched == lblBlog) {
            Q_EMIT blogClicked();
            return true;
        }
        if (watched == imgMoney || watched == lblMoney) {
            Q_EMIT moneyClicked();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

// A film frame with the play sign and the two range marks, on a dark card.
void StartScreen::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(1, 1, -1, -1);
    QLinearGradient back(card.topLeft(), card.bottomLeft());
    back.setColorAt(0, QColor(38, 52, 70));
    back.setColorAt(1, QColor(22, 30, 42));
    p.setPen(QPen(QColor(70, 92, 120), 1));
    p.setBrush(back);
    p.drawRoundedRect(card, 8, 8);

    const QRectF film(width() / 2.0 - 60, 12, 120, kArtHeight - 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(12, 16, 22));
    p.drawRoundedRect(film, 4, 4);
    p.setBrush(QColor(200, 210, 225));
    for (int i = 0; i < 8; ++i) {
        const double x = film.left() + 6 + i * 14.5;
        p.drawRect(QRectF(x, film.top() + 3, 7, 5));
        p.drawRect(QRectF(x, film.bottom() - 8, 7, 5));
    }
    const QRectF picture = film.adjusted(6, 11, -6, -11);
    QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
    sky.setColorAt(0, QColor(70, 140, 210));
    sky.setColorAt(1, QColor(40, 90, 150));
    p.setBrush(sky);
    p.drawRect(picture);
    QPainterPath play;
    const QPointF c = picture.center();
    play.moveTo(c + QPointF(-7, -10));
    play.lineTo(c + QPointF(11, 0));
    play.lineTo(c + QPointF(-7, 10));
    play.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawPath(play);
    // The marks "[" and "]" around the picture.
    p.setPen(QPen(QColor(250, 190, 60), 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    const double l = film.left() - 12;
    const double r = film.right() + 12;
    p.drawPolyline(QPolygonF({QPointF(l + 6, film.top() + 6), QPointF(l, film.top() + 6),
                              QPointF(l, film.bottom() - 6), QPointF(l + 6, film.bottom() - 6)}));
    p.drawPolyline(QPolygonF({QPointF(r - 6, film.top() + 6), QPointF(r, film.top() + 6),
                              QPointF(r, film.bottom() - 6), QPointF(r - 6, film.bottom() - 6)}));
}
