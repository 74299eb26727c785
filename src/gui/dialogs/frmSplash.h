#pragma once

#include <QWidget>

// The small window shown while the main window loads.
class frmSplash : public QWidget {
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);
};
