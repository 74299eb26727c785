#pragma once

#include <QColor>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

// The program's own tab strip: one per work area of the playlist window. It shows its tabs
// as 20-pixel captioned boxes in one or more rows, the first TabsPerRow tabs forming the
// bottom row that lies on the panel frame and later tabs the rows above it. It keeps the
// current tab, lays the container's panels (one per tab, TabPictureBox) under its rows with
// the current one in front, and raises TabClick when the user picks another tab.
//
// The tabs are drawn by the widget style (tab shapes, frame, palette and font), so the strip
// looks like the other tab bars of the desktop; the geometry and events are the program's.
class ZelvoTab : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Tabs READ Tabs WRITE setTabs)
    Q_PROPERTY(int TabsPerRow READ TabsPerRow WRITE setTabsPerRow)
    Q_PROPERTY(int TabNow READ TabNow WRITE setTabNow)
    Q_PROPERTY(QString TabCaption READ TabCaption WRITE setTabCaption)
    Q_PROPERTY(QString All_Caption READ All_Caption)
    Q_PROPERTY(QColor TabCapColor READ TabCapColor WRITE setTabCapColor)

public:
    static constexpr int TabHeight = 20;

    explicit ZelvoTab(QWidget* parent = nullptr);

    // Values below 1 are ignored.
    int Tabs() const { return m_tabs; }
    void setTabs(int tabs);
    int TabsPerRow() const { return m_tabsPerRow; }
    void setTabsPerRow(int tabsPerRow);

    // Setting it acts as a click on that tab; an index past the last tab is ignored.
    int TabNow() const { return m_tabNow; }
    void setTabNow(int tab);

    // The current tab's caption. Setting it rebuilds All_Caption from every tab's caption.
    QString TabCaption() const { return caption(m_tabNow); }
    void setTabCaption(const QString& text);

    // Every tab's caption followed by "≡", in tab order: the form the captions are saved in.
    QString All_Caption() const { return m_allCaption; }
    // Restores the saved captions when the container creates the strip. Tab i shows piece i;
    // a missing or empty piece shows "Tab i".
    void loadAll_Caption(const QString& saved);
    QString caption(int tab) const;

    // The current tab's caption colour; unset, the palette's window text.
    QColor TabCapColor() const;
    void setTabCapColor(const QColor& color);

    // The container's panels, element i belonging to tab i. They are laid directly under the
    // tab rows with the strip's left edge and width and the remaining height.
    QList<QPointer<QWidget>> TabPictureBox() const { return m_panels; }
    void setTabPictureBox(const QList<QWidget*>& panels);

    int rows() const;
    // The box of a tab in the strip's own coordinates; empty for an index out of range.
    QRect tabRect(int tab) const;
    // The tab whose box holds point, or -1.
    int tabAt(const QPoint& point) const;

Q_SIGNALS:
    // The current tab changed by a click or by setting TabNow; the new one is in TabNow.
    void TabClick(int previousTab);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void clickTab(int tab);
    void placePanels();

    int m_tabs = 3;
    int m_tabsPerRow = 3;
    int m_tabNow = 0;
    QString m_allCaption;
    QColor m_tabCapColor;
    QList<QPointer<QWidget>> m_panels;
};
