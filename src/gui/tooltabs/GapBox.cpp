#include "gui/tooltabs/GapBox.h"

#include "gui/tooltabs/ToolTabTexts.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == QChar(0x3000);
}

// The caption's text before the gap, and the gap.
std::pair<QString, QString> splitAtGap(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (isBlank(text.at(i)) && isBlank(text.at(i + 1))) {
            qsizetype end = i;
            while (end < text.size() && isBlank(text.at(end))) {
                ++end;
            }
            return {text.left(i), text.mid(i, end - i)};
        }
    }
    return {text, QString()};
}

QString captionText(const QWidget* caption) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(caption)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(caption)) {
        return label->text();
    }
    return QString();
}

}  // namespace

GapBox::GapBox(QWidget* caption, QLineEdit* box)
    : QObject(caption), m_caption(caption), m_box(box) {
    caption->installEventFilter(this);
    box->installEventFilter(this);
}

QLineEdit* GapBox::make(QWidget* caption, const QString& name, bool decimals) {
    auto* box = new QLineEdit(caption);
    box->setObjectName(name);
    if (decimals) {
        box->setToolTip(toolTabTexts::decimalsAllowed());
    }
    auto* gap = new GapBox(caption, box);
    gap->place();
    return box;
}

void GapBox::place() {
    const auto [before, blanks] = splitAtGap(captionText(m_caption));
    const QFontMetrics metrics = m_caption->fontMetrics();
    int left = m_caption->contentsRect().left();
    if (auto* radio = qobject_cast<QRadioButton*>(m_caption)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        left =
            radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio).left();
    }
    const int width = std::max(24, metrics.horizontalAdvance(blanks) - 4);
    const int height = std::min(m_caption->height(), m_box->sizeHint().height());
    m_box->setGeometry(left + metrics.horizontalAdvance(before) + 2,
                       (m_caption->height() - height) / 2, width, height);
}

bool GapBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_caption && (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
                                 event->type() == QEvent::FontChange)) {
        place();
    } else if (watched == m_box && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (!typed.isEmpty() && typed.at(0).isPrint()) {
            const QChar c = typed.at(0);
            const bool digit = c >= u'0' && c <= u'9';
            const bool point = c == u'.' && m_box->toolTip() == toolTabTexts::decimalsAllowed();
            // Everything else a key would type is dropped.
            return !(digit || point);
        }
    }
    return QObject::eventFilter(watched, event);
}
