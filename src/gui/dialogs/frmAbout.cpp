#include "gui/dialogs/frmAbout.h"

#include "gui/dialogs/AboutTexts.h"
#include "gui/dialogs/LinkLabel.h"
#include "gui/widgets/mdlIconKestal.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    namespace t = aboutTexts;
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(t::aboutCaption());

    auto* icon = new QLabel(this);
    icon->setPixmap(mdlIconKestal::programIcon().pixmap(48, 48));
    lblTitle = new QLabel(t::title(), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(t::version(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblTitleNote = new QLabel(t::titleNote(), this);
    lblTitleNote->setObjectName(QStringLiteral("lblTitleNote"));
    auto* home = new LinkLabel(t::homePage(), QStringLiteral("lblHomepage"), this);
    lblHomepage = home;
    auto* mail = new LinkLabel(t::mail(), QStringLiteral("lblMail"), this);
    lblMail = mail;
    cmdOK = new QPushButton(t::ok(), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setFocus();

    auto* head = new QHBoxLayout;
    head->addWidget(icon);
    head->addWidget(lblTitle);
    head->addWidget(lblVersion);
    head->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(lblTitleNote);
    layout->addSpacing(8);
    layout->addWidget(lblHomepage);
    layout->addWidget(lblMail);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(home, &LinkLabel::clicked, this, &frmAbout::homePageClicked);
    connect(mail, &LinkLabel::clicked, this, &frmAbout::mailClicked);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}
