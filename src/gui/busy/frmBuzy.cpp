#include "gui/busy/frmBuzy.h"

#include "core/jobs/ToolTexts.h"
#include "gui/widgets/mdlWindowAlpha.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>

namespace {

const QSize runPictureSize(90, 88);
constexpr int busyAlpha = 220;

// An hourglass with its sand half run through: the picture beside Break.
QPixmap runPicture() {
    QPixmap pixmap(runPictureSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    const QColor wood(122, 78, 40);
    const QRectF top(14, 4, 62, 9);
    const QRectF bottom(14, 75, 62, 9);
    for (const QRectF& bar : {top, bottom}) {
        QLinearGradient shade(bar.topLeft(), bar.bottomLeft());
        shade.setColorAt(0, wood.lighter(140));
        shade.setColorAt(1, wood.darker(130));
        p.setPen(QPen(wood.darker(160), 1));
        p.setBrush(shade);
        p.drawRoundedRect(bar, 3, 3);
    }
    p.setPen(QPen(wood.darker(120), 3));
    p.drawLine(QPointF(20, 13), QPointF(20, 75));
    p.drawLine(QPointF(70, 13), QPointF(70, 75));

    // The glass: two bulbs meeting at a narrow neck.
    QPainterPath glass;
    glass.moveTo(27, 14);
    glass.cubicTo(27, 34, 42, 38, 43, 44);
    glass.cubicTo(42, 50, 27, 54, 27, 74);
    glass.lineTo(63, 74);
    glass.cubicTo(63, 54, 48, 50, 47, 44);
    glass.cubicTo(48, 38, 63, 34, 63, 14);
    glass.closeSubpath();
    p.setPen(QPen(QColor(90, 110, 140), 1.5));
    p.setBrush(QColor(220, 235, 250, 170));
    p.drawPath(glass);

    const QColor sand(226, 178, 84);
    p.setPen(Qt::NoPen);
    p.setBrush(sand);
    QPainterPath upper;
    upper.moveTo(33, 30);
    upper.lineTo(57, 30);
    upper.cubicTo(54, 37, 47, 39, 45, 44);
    upper.cubicTo(43, 39, 36, 37, 33, 30);
    p.drawPath(upper);
    p.drawRect(QRectF(44.2, 44, 1.6, 18));
    QPainterPath heap;
    heap.moveTo(29, 74);
    heap.cubicTo(31, 64, 40, 60, 45, 60);
    heap.cubicTo(50, 60, 59, 64, 61, 74);
    heap.closeSubpath();
    p.drawPath(heap);
    return pixmap;
}

}  // namespace

frmBuzy::frmBuzy(QWidget* owner) : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmBuzy"));
    setWindowTitle(toolTexts::busyTitle());
    setAutoFillBackground(true);

    lblBuzy = new QLabel(this);
    lblBuzy->setObjectName(QStringLiteral("lblBuzy"));
    lblBuzy->setAlignment(Qt::AlignCenter);
    lblBuzy->setTextFormat(Qt::PlainText);
    QFont big = lblBuzy->font();
    big.setPointSizeF(big.pointSizeF() * 1.25);
    lblBuzy->setFont(big);

    picBreak = new QWidget(this);
    picBreak->setObjectName(QStringLiteral("picBreak"));
    auto* grid = new QGridLayout(picBreak);
    grid->setContentsMargins(8, 8, 8, 8);

    // How far the current run has got.
    prgRun = new QProgressBar(picBreak);
    prgRun->setObjectName(QStringLiteral("prgRun"));
    prgRun->setRange(0, 100);
    setProgress(-1);
    grid->addWidget(prgRun, 0, 0, 1, 2);

    imgRun = new QLabel(picBreak);
    imgRun->setObjectName(QStringLiteral("imgRun"));
    imgRun->setFixedSize(runPictureSize);
    imgRun->setPixmap(runPicture());
    grid->addWidget(imgRun, 1, 0, 3, 1);

    const QString hints[] = {toolTexts::breakHint1(), toolTexts::breakHint2()};
    for (int i = 0; i < 2; ++i) {
        auto* hint = new QLabel(hints[i], picBreak);
        hint->setObjectName(QStringLiteral("lbl"));
        grid->addWidget(hint, 1 + i, 1);
    }
    cmdBreak = new QPushButton(toolTexts::breakButton(), picBreak);
    cmdBreak->setObjectName(QStringLiteral("cmdBreak"));
    grid->addWidget(cmdBreak, 3, 1, Qt::AlignLeft);
    connect(cmdBreak, &QPushButton::clicked, this, &frmBuzy::cmdBreakClick);
    picBreak->setFixedSize(picBreak->sizeHint());

    hide();
    mdlWindowAlpha::setWindowAlpha(this, busyAlpha);
    setBusyText(toolTexts::initialBusyText());
}

void frmBuzy::lblBuzyMove() {
    const int h = lblBuzy->sizeHint().height();
    const int top = (height() - picBreak->height() - h) / 2;
    lblBuzy->setGeometry(0, qMax(0, top), width(), h);
    picBreak->move((width() - picBreak->width()) / 2, height() - picBreak->height());
}

void frmBuzy::setBusyText(const QString& text) {
    lblBuzy->setText(text);
    lblBuzyMove();
}

QString frmBuzy::busyText() const {
    return lblBuzy->text();
}

int frmBuzy::progress() const {
    return prgRun->value();
}

void frmBuzy::setProgress(int percent) {
    // After Break the bar stays where the work stopped.
    if (cmdBreak != nullptr && breakPressed()) {
        return;
    }
    if (percent < 0) {
        prgRun->reset();
        prgRun->setTextVisible(false);
        return;
    }
    prgRun->setTextVisible(true);
    prgRun->setValue(qBound(0, percent, 100));
}

bool frmBuzy::breakPressed() const {
    return !cmdBreak->property("tag").toString().isEmpty();
}

void frmBuzy::clearBreak() {
    cmdBreak->setProperty("tag", QString());
}

void frmBuzy::cmdBreakClick() {
    cmdBreak->setProperty("tag", QStringLiteral("click"));
    Q_EMIT breakClicked();
}

void frmBuzy::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    lblBuzyMove();
}

// The dialog goes away with its session; closing it by hand means Break.
void frmBuzy::closeEvent(QCloseEvent* event) {
    event->ignore();
    cmdBreakClick();
}

// Without a frame, the dialog is moved by dragging it anywhere.
void frmBuzy::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QWidget::mousePressEvent(event);
}

void frmBuzy::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) != 0) {
        move(event->globalPosition().toPoint() - m_dragOffset);
    }
    QWidget::mouseMoveEvent(event);
}
