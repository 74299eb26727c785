#include "gui/widgets/mdlSetBoxSpec.h"

#include <QFrame>
#include <QPalette>
#include <QString>
#include <QWidget>

namespace {

struct BoxSpec {
    QFrame::Shape shape;
    QFrame::Shadow shadow;
    int lineWidth;
    int width;  // pixels on each side
};

BoxSpec specOf(int style) {
    switch (style) {
        case 0:  // raised outside, sunken inside
            return {QFrame::Box, QFrame::Raised, 2, 4};
        case 1:
            return {QFrame::Panel, QFrame::Raised, 3, 3};
        case 2:
            return {QFrame::WinPanel, QFrame::Raised, 2, 2};
        case 3:
            return {QFrame::Panel, QFrame::Sunken, 3, 3};
        case 4:
            return {QFrame::WinPanel, QFrame::Sunken, 2, 2};
        case 5:
            return {QFrame::Panel, QFrame::Sunken, 1, 1};
        case 6:
            return {QFrame::Box, QFrame::Plain, 1, 1};
        default:
            return {QFrame::NoFrame, QFrame::Plain, 0, 0};
    }
}

// The same border for widgets that are not frames, as a style sheet rule on their own
// class (so that children of another kind keep their looks).
QString styleSheetOf(const QWidget* box, const BoxSpec& spec) {
    const QString selector = QString::fromLatin1(box->metaObject()->className());
    if (spec.width == 0) {
        return selector + QStringLiteral(" { border: none; }");
    }
    const QPalette& palette = box->palette();
    const QString light = palette.color(QPalette::Light).name();
    const QString dark = palette.color(QPalette::Dark).name();
    QString style = QStringLiteral("solid");
    QString colours;
    if (spec.shape == QFrame::Box && spec.shadow == QFrame::Raised) {
        style = QStringLiteral("ridge");
        colours = palette.color(QPalette::Button).name();
    } else if (spec.shadow == QFrame::Plain) {
        colours = palette.color(QPalette::WindowText).name();
    } else {
        const bool sunken = spec.shadow == QFrame::Sunken;
        const QString& topLeft = sunken ? dark : light;
        const QString& bottomRight = sunken ? light : dark;
        // top, right, bottom, left
        colours = QStringLiteral("%1 %2 %2 %1").arg(topLeft, bottomRight);
    }
    return QStringLiteral("%1 { border-width: %2px; border-style: %3; border-color: %4; }")
        .arg(selector, QString::number(spec.width), style, colours);
}

}  // namespace

namespace mdlSetBoxSpec {

void setBoxSpec(QWidget* box, int style) {
    if (box == nullptr) {
        return;
    }
    const BoxSpec spec = specOf(style);
    if (auto* frame = qobject_cast<QFrame*>(box)) {
        frame->setFrameShape(spec.shape);
        frame->setFrameShadow(spec.shadow);
        frame->setLineWidth(spec.lineWidth);
        frame->setMidLineWidth(0);
    } else {
        box->setStyleSheet(styleSheetOf(box, spec));
    }
    box->update();
}

int borderWidth(int style) {
    return specOf(style).width;
}

}  // namespace mdlSetBoxSpec
