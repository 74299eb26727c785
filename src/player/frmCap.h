#pragma once

#include <QMainWindow>

// The capture window: a copy of the video area's picture, saved as a BMP file.
class frmCap : public QMainWindow {
    Q_OBJECT

public:
    explicit frmCap(QWidget* parent = nullptr);
};
