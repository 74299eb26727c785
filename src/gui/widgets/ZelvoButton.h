#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

class QMimeData;

// The program's own flat picture button, used for every toolbar and tool button of both
// windows. Its look is one number, State: 0 normal, 1 hot (one-pixel raised frame while
// the pointer is over it), 2 down (sunken frame), 3 disabled (greyed picture, deaf to the
// mouse). The windows enable, disable and show buttons as pressed only through State.
//
// mode 0 is a push button (Click on release over the button), 1 a toggle (each press
// flips between down and up and clicks), 2 fires on press (Click on press; the button
// then stays down until the program sets State).
class ZelvoButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int State READ State WRITE setState)
    Q_PROPERTY(int Style READ Style WRITE setStyle)
    Q_PROPERTY(int mode READ mode WRITE setMode)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QColor MaskColor READ MaskColor WRITE setMaskColor)
    Q_PROPERTY(bool UseMaskColor READ UseMaskColor WRITE setUseMaskColor)
    Q_PROPERTY(QPixmap Picture READ Picture WRITE setPicture)
    Q_PROPERTY(QPixmap DownPicture READ DownPicture WRITE setDownPicture)
    Q_PROPERTY(QPixmap DisabledPicture READ DisabledPicture WRITE setDisabledPicture)
    Q_PROPERTY(int OLEDropMode READ OLEDropMode WRITE setOLEDropMode)

public:
    enum Look { Normal = 0, Hot = 1, Down = 2, Disabled = 3 };
    enum Mode { Push = 0, Toggle = 1, FireOnPress = 2 };

    explicit ZelvoButton(QWidget* parent = nullptr);

    // Any value outside 0..3 is taken as 0. The new look is painted before this returns,
    // so it shows even when a long operation follows.
    int State() const { return m_state; }
    void setState(int state);

    // 0 framed (flat face, one-pixel hover and down frames), 1 plain (an ordinary raised
    // or sunken button, no hover frame).
    int Style() const { return m_style; }
    void setStyle(int style);
    using QWidget::setStyle;

    int mode() const { return m_mode; }
    void setMode(int mode);

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);

    // Colours left unset follow the palette (button face and button text).
    QColor BackColor() const;
    void setBackColor(const QColor& color);
    QColor ForeColor() const;
    void setForeColor(const QColor& color);
    // Pixels of this colour in a picture without its own transparency are not drawn.
    QColor MaskColor() const;
    void setMaskColor(const QColor& color);
    bool UseMaskColor() const { return m_useMaskColor; }
    void setUseMaskColor(bool use);

    QPixmap Picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);
    // Shown while down; without one the up picture is used.
    QPixmap DownPicture() const { return m_downPicture; }
    void setDownPicture(const QPixmap& picture);
    // Shown in State 3; without one a greyed copy of the up picture is used.
    QPixmap DisabledPicture() const { return m_disabledPicture; }
    void setDisabledPicture(const QPixmap& picture);

    // 0 no drops, 1 drops are handed to the window through OLEDragDrop.
    int OLEDropMode() const { return m_oleDropMode; }
    void setOLEDropMode(int dropMode);

    void SetToolTip(const QString& text);

    QSize sizeHint() const override;

Q_SIGNALS:
    void Click();
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseMove(Qt::MouseButtons button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OLEDragDrop(const QMimeData* data, Qt::DropAction effect, Qt::MouseButtons button,
                     Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void showHot();
    void checkPointer();
    bool pointerIsOver() const;
    QPixmap currentPicture() const;
    void redraw();

    int m_state = Normal;
    int m_style = 0;
    int m_mode = Push;
    int m_oleDropMode = 0;
    QString m_caption;
    QString m_toolTip;
    bool m_hasToolTip = false;
    QColor m_backColor;
    QColor m_foreColor;
    QColor m_maskColor;
    bool m_useMaskColor = true;
    QPixmap m_picture;
    QPixmap m_downPicture;
    QPixmap m_disabledPicture;
    // A push press that has not been released yet.
    bool m_pushPressed = false;
    // Watches every 100 ms whether the pointer has left, so the hot frame cannot stay
    // behind when a leave is never reported (a popup, a window covering the button).
    QTimer tmrCheck;
};
