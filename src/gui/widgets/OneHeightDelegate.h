#pragma once

#include <QStyledItemDelegate>

// Draws a list's rows as usual, each as tall as a row holding both Latin and CJK letters,
// so a row with a Chinese name is not taller than the others.
class OneHeightDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
