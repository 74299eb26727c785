#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

// The seek-bar preview's window: a frameless box like a tooltip, the picture over its time.
// It never takes the focus or the mouse.
class SeekPreviewPopup : public QWidget {
public:
    SeekPreviewPopup();

    void setPicture(const QImage& picture, const QString& timeText);
    const QString& timeText() const { return m_timeText; }
    bool hasPicture() const { return !m_picture.isNull(); }
    void clear();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    QString m_timeText;
};
