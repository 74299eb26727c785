#include "gui/widgets/ZelvoTab.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>

#include <algorithm>

namespace {
// Ends every caption in All_Caption; a caption cannot hold one, or the tabs after it would
// take the wrong pieces.
const QChar captionEnd(0x2261);
}  // namespace

ZelvoTab::ZelvoTab(QWidget* parent) : QWidget(parent) {
    // The playlist window's keys stay with its lists; a click on a tab must not take them.
    setFocusPolicy(Qt::NoFocus);
}

void ZelvoTab::setTabs(int tabs) {
    if (tabs < 1) {
        return;
    }
    m_tabs = tabs;
    m_tabNow = std::min(m_tabNow, m_tabs - 1);
    placePanels();
    update();
}

void ZelvoTab::setTabsPerRow(int tabsPerRow) {
    if (tabsPerRow < 1) {
        return;
    }
    m_tabsPerRow = tabsPerRow;
    placePanels();
    update();
}

void ZelvoTab::setTabNow(int tab) {
    if (tab < 0 || tab > m_tabs - 1) {
        return;
    }
    clickTab(tab);
}

void ZelvoTab::setTabCaption(const QString& text) {
    QString all;
    for (int i = 0; i < m_tabs; ++i) {
        all += (i == m_tabNow ? QString(text).remove(captionEnd) : caption(i)) + captionEnd;
    }
    m_allCaption = all;
    update();
}

void ZelvoTab::loadAll_Caption(const QString& saved) {
    m_allCaption = saved;
    update();
}

QString ZelvoTab::caption(int tab) const {
    const QString piece = m_allCaption.section(captionEnd, tab, tab);
    return piece.isEmpty() ? QStringLiteral("Tab %1").arg(tab) : piece;
}

QColor ZelvoTab::TabCapColor() const {
    return m_tabCapColor.isValid() ? m_tabCapColor : palette().color(QPalette::WindowText);
}

void ZelvoTab::setTabCapColor(const QColor& color) {
    m_tabCapColor = color;
    update();
}

void ZelvoTab::setTabPictureBox(const QList<QWidget*>& panels) {
    m_panels.clear();
    for (QWidget* panel : panels) {
        m_panels.append(panel);
    }
    placePanels();
}

int ZelvoTab::rows() const {
    return (m_tabs + m_tabsPerRow - 1) / m_tabsPerRow;
}

QRect ZelvoTab::tabRect(int tab) const {
    if (tab < 0 || tab >= m_tabs) {
        return {};
    }
    // Tab 0 starts the bottom row; the last column of every row takes what the division
    // of the width leaves over.
    const int columnWidth = width() / m_tabsPerRow;
    const int column = tab % m_tabsPerRow;
    const int x = column * columnWidth;
    const int w = column == m_tabsPerRow - 1 ? width() - x : columnWidth;
    return {x, (rows() - 1 - tab / m_tabsPerRow) * TabHeight, w, TabHeight};
}

int ZelvoTab::tabAt(const QPoint& point) const {
    for (int tab = 0; tab < m_tabs; ++tab) {
        if (tabRect(tab).contains(point)) {
            return tab;
        }
    }
    return -1;
}

void ZelvoTab::clickTab(int tab) {
    if (tab == m_tabNow) {
        placePanels();
        return;
    }
    const int previous = m_tabNow;
    m_tabNow = tab;
    // The new tab's panel is in front before the window hears of the change.
    placePanels();
    update();
    Q_EMIT TabClick(previous);
}

void ZelvoTab::placePanels() {
    const int top = rows() * TabHeight;
    const QSize size(width(), std::max(0, height() - top));
    for (const QPointer<QWidget>& panel : std::as_const(m_panels)) {
        if (!panel) {
            continue;
        }
        QWidget* host = panel->parentWidget();
        const QPoint at = host == nullptr ? mapToGlobal(QPoint(0, top))
                          : host->isAncestorOf(this)
                              ? mapTo(host, QPoint(0, top))
                              : host->mapFromGlobal(mapToGlobal(QPoint(0, top)));
        panel->setGeometry(QRect(at, size));
    }
    if (m_tabNow < m_panels.size() && m_panels.at(m_tabNow)) {
        m_panels.at(m_tabNow)->raise();
    }
}

void ZelvoTab::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const int top = rows() * TabHeight;

    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = QRect(0, top, width(), height() - top);
    frame.shape = QTabBar::RoundedNorth;
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const bool currentOnFrame = m_tabNow < m_tabsPerRow;
    if (currentOnFrame) {
        frame.selectedTabRect = tabRect(m_tabNow);
    }
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);

    const auto drawTab = [&](int tab) {
        QStyleOptionTab option;
        option.initFrom(this);
        option.state &= ~QStyle::State_HasFocus;
        const QRect box = tabRect(tab);
        option.rect = QRect(QPoint(0, 0), box.size());
        option.shape = QTabBar::RoundedNorth;
        const int column = tab % m_tabsPerRow;
        const int lastColumn = std::min(m_tabsPerRow, m_tabs - tab + column) - 1;
        option.position = lastColumn == 0        ? QStyleOptionTab::OnlyOneTab
                          : column == 0          ? QStyleOptionTab::Beginning
                          : column == lastColumn ? QStyleOptionTab::End
                                                 : QStyleOptionTab::Middle;
        const bool sameRow = tab / m_tabsPerRow == m_tabNow / m_tabsPerRow;
        option.selectedPosition = !sameRow              ? QStyleOptionTab::NotAdjacent
                                  : tab + 1 == m_tabNow ? QStyleOptionTab::NextIsSelected
                                  : tab - 1 == m_tabNow ? QStyleOptionTab::PreviousIsSelected
                                                        : QStyleOptionTab::NotAdjacent;
        if (tab == m_tabNow) {
            option.state |= QStyle::State_Selected;
            option.palette.setColor(QPalette::WindowText, TabCapColor());
            option.palette.setColor(QPalette::ButtonText, TabCapColor());
        }
        const int margin = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, this);
        option.text =
            fontMetrics().elidedText(caption(tab), Qt::ElideRight, option.rect.width() - margin);
        // Styles draw a tab as if it stood at the top of a tab bar and may paint past its
        // box; each box is therefore drawn at the origin and clipped to itself. The current
        // tab of the bottom row reaches over the frame's edge, as in any tab widget.
        const int overlap = tab == m_tabNow && currentOnFrame
                                ? style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, &option, this)
                                : 0;
        painter.save();
        painter.setClipRect(box.adjusted(0, 0, 0, overlap));
        painter.translate(box.topLeft());
        style()->drawControl(QStyle::CE_TabBarTab, &option, &painter, this);
        painter.restore();
    };
    for (int tab = 0; tab < m_tabs; ++tab) {
        if (tab != m_tabNow) {
            drawTab(tab);
        }
    }
    // Last, so the current tab's look lies over its neighbours' edges.
    drawTab(m_tabNow);
}

void ZelvoTab::mousePressEvent(QMouseEvent* event) {
    const int tab = tabAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || tab < 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    clickTab(tab);
}

// The panels follow the strip whenever the container moves or resizes it (the playlist
// window lays every strip onto the first one); the events replace polling the geometry.
void ZelvoTab::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    placePanels();
}

void ZelvoTab::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placePanels();
}
