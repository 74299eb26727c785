#include "gui/dialogs/frmSplash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* title = new QLabel(QStringLiteral("Zelvo.FLV"), this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    title->setFont(big);
    auto* note = new QLabel(QStringLiteral("　FLV 播放、剪輯、合併與轉檔軟體\n"
                                           "　同時支援影片截圖，與修復的功能"),
                            this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addWidget(title);
    layout->addWidget(note);
    setStyleSheet(QStringLiteral("frmSplash { background: #1d2733; } QLabel { color: #f0f0f0; }"));
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}
