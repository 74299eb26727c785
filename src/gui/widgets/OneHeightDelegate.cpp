#include "gui/widgets/OneHeightDelegate.h"

#include <QApplication>
#include <QStyle>

QSize OneHeightDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const int width = QStyledItemDelegate::sizeHint(option, index).width();
    opt.text = QStringLiteral("Xg 片");
    const QWidget* widget = opt.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    return {width,
            style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), widget).height()};
}
