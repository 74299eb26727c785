#include "gui/dialogs/frmMoney.h"

#include "gui/dialogs/AboutTexts.h"
#include "gui/dialogs/LinkLabel.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmMoney::frmMoney(QWidget* parent) : QDialog(parent) {
    namespace t = aboutTexts;
    setObjectName(QStringLiteral("frmMoney"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(t::moneyCaption());

    txtMoney = new QPlainTextEdit(t::money(), this);
    txtMoney->setObjectName(QStringLiteral("txtMoney"));
    txtMoney->setReadOnly(true);
    // Wide and tall enough for the whole text without scrolling.
    const QFontMetrics metrics(txtMoney->font());
    int widest = 0;
    const QStringList lines = t::money().split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        widest = qMax(widest, metrics.horizontalAdvance(line));
    }
    txtMoney->setMinimumSize(widest + 40, metrics.lineSpacing() * (int(lines.size()) + 2));
    auto* mail = new LinkLabel(t::mail(), QStringLiteral("lblMail"), this);
    lblMail = mail;
    cmdOK = new QPushButton(t::ok(), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblMail);
    bottom->addStretch();
    bottom->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtMoney);
    layout->addLayout(bottom);

    connect(mail, &LinkLabel::clicked, this, &frmMoney::mailClicked);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}
