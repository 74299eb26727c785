#include "player/frmCap.h"

frmCap::frmCap(QWidget* parent) : QMainWindow(parent) {}
