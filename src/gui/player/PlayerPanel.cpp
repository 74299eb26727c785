#include "gui/player/PlayerPanel.h"

#include "gui/player/frmMainTexts.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/widgets/ZelvoPictures.h"
#include "gui/widgets/mdlZelvoFLVShell.h"

#include <QFontMetrics>
#include <QLabel>

namespace {

constexpr int kButtonTop = 1;
constexpr int kButtonHeight = 24;
constexpr int kTransportWidth = 23;
constexpr int kRangeWidth = 55;
constexpr int kSndWidth = 80;

QFrame* makeBox(QWidget* parent, const QString& name) {
    auto* box = new QFrame(parent);
    box->setObjectName(name);
    return box;
}

QLabel* makeLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAutoFillBackground(true);
    return label;
}

void paint(QWidget* box, const QColor& color) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, color);
    box->setPalette(palette);
    box->setAutoFillBackground(true);
}

}  // namespace

PlayerPanel::PlayerPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("picPlusBk"));
    setAutoFillBackground(true);
    // A press on the panel's background is no click on the picture.
    setAttribute(Qt::WA_NoMousePropagation);
    resize(370, kHeight);

    // The seek bar: a background band, the sunken bar over it, the thumb on top.
    picHsbBack = makeBox(this, QStringLiteral("picHsbBack"));
    picHsbBack->setGeometry(kHsbLeft, 3, 300, 11);
    paint(picHsbBack, palette().color(QPalette::Mid));
    picHsb = makeBox(this, QStringLiteral("picHsb"));
    picHsb->setGeometry(kHsbLeft, 3, 300, 11);
    drawEdgeBox(picHsb, 2);
    picHsb2 = makeBox(this, QStringLiteral("picHsb2"));
    picHsb2->setGeometry(kHsbLeft - kThumbWidth / 2, 1, kThumbWidth, 15);
    paint(picHsb2, palette().color(QPalette::Button));
    drawEdgeBox(picHsb2, 5);
    picHsb2->setCursor(Qt::PointingHandCursor);

    picRngBk = makeBox(this, QStringLiteral("picRngBk"));
    picRngBk->setGeometry(kHsbLeft, 16, 300, 5);
    picRngBk->hide();

    // The message area: file icon, status text, and the times right-aligned at its end.
    picMsgBk = makeBox(this, QStringLiteral("picMsgBk"));
    picMsgBk->setGeometry(kMsgLeft, 23, 364, 20);
    picAssIcon = makeLabel(picMsgBk, QStringLiteral("picAssIcon"));
    picAssIcon->setGeometry(2, 2, 16, 16);
    // The icon picture doubles as the window's quiet focus target.
    picAssIcon->setFocusPolicy(Qt::StrongFocus);
    lblFnName = makeLabel(picMsgBk, QStringLiteral("lblFnName"));
    lblFnName->setGeometry(22, 1, 340, 18);
    lblFnName->setAutoFillBackground(false);
    // The cover hides the end of a long status text under the times.
    lblCover = makeLabel(picMsgBk, QStringLiteral("lblCover"));
    lblCover->setGeometry(250, 1, 100, 18);
    lblCurTime = makeLabel(picMsgBk, QStringLiteral("lblCurTime"));
    lblSplit = makeLabel(picMsgBk, QStringLiteral("lblSplit"));
    lblTtTime = makeLabel(picMsgBk, QStringLiteral("lblTtTime"));
    for (QLabel* label : {lblCurTime, lblSplit, lblTtTime}) {
        label->setGeometry(0, 1, 10, 18);
    }
    setAutoSizeText(lblSplit, frmMainTexts::timeSplit());
    setAutoSizeText(lblCurTime, QStringLiteral("00:00"));
    setAutoSizeText(lblTtTime, QStringLiteral("00:00"));

    // The button bar.
    picBnBk = makeBox(this, QStringLiteral("picBnBk"));
    picBnBk->setGeometry(kMsgLeft - 1, 46, 366, kButtonHeight + 2);
    for (int i = 0; i < 3; ++i) {
        mbPlay[i] = makeButton(QStringLiteral("mbPlay%1").arg(i), 2, kTransportWidth,
                               frmMainTexts::tipPlay());
        mbPlay[i]->setPicture(ZelvoPictures::picture(ButtonPicture::Play));
        mbPlay[i]->setVisible(i == 0);
    }
    mbPause = makeButton(QStringLiteral("mbPause"), 25, kTransportWidth, frmMainTexts::tipPause());
    mbPause->setPicture(ZelvoPictures::picture(ButtonPicture::Pause));
    mbStop = makeButton(QStringLiteral("mbStop"), 48, kTransportWidth, frmMainTexts::tipStop());
    mbStop->setPicture(ZelvoPictures::picture(ButtonPicture::Stop));
    mbBackward = makeButton(QStringLiteral("mbBackward"), 71, kTransportWidth, QString());
    mbBackward->setPicture(ZelvoPictures::picture(ButtonPicture::Backward));
    mbForward = makeButton(QStringLiteral("mbForward"), 94, kTransportWidth, QString());
    mbForward->setPicture(ZelvoPictures::picture(ButtonPicture::Forward));
    mbLastItem =
        makeButton(QStringLiteral("mbLastItem"), 118, kTransportWidth, frmMainTexts::tipLastItem());
    mbLastItem->setPicture(ZelvoPictures::picture(ButtonPicture::LastItem));
    mbNextItem =
        makeButton(QStringLiteral("mbNextItem"), 141, kTransportWidth, frmMainTexts::tipNextItem());
    mbNextItem->setPicture(ZelvoPictures::picture(ButtonPicture::NextItem));
    mbRngStart = makeButton(QStringLiteral("mbRngStart"), kRngStartWide, kRangeWidth,
                            frmMainTexts::tipRngStart());
    mbRngStart->setPicture(ZelvoPictures::picture(ButtonPicture::RangeStart));
    mbRngEnd =
        makeButton(QStringLiteral("mbRngEnd"), kRngEndWide, kRangeWidth, frmMainTexts::tipRngEnd());
    mbRngEnd->setPicture(ZelvoPictures::picture(ButtonPicture::RangeEnd));

    // The sound panel at the right end of the bar.
    picSndBk = makeBox(picBnBk, QStringLiteral("picSndBk"));
    picSndBk->setGeometry(282, kButtonTop, kSndWidth, kButtonHeight);
    mbSound = new ZelvoButton(picSndBk);
    mbSound->setObjectName(QStringLiteral("mbSound"));
    mbSound->setGeometry(0, 0, 22, kButtonHeight);
    mbSound->setMode(ZelvoButton::Toggle);
    mbSound->setPicture(ZelvoPictures::picture(ButtonPicture::Sound));
    mbSound->setDownPicture(ZelvoPictures::picture(ButtonPicture::SoundMuted));
    mbSound->SetToolTip(frmMainTexts::tipSound());
    picVolSdr = makeBox(picSndBk, QStringLiteral("picVolSdr"));
    picVolSdr->setGeometry(27, 9, 48, 6);
    paint(picVolSdr, palette().color(QPalette::Mid));
    drawEdgeBox(picVolSdr, 2);
    picVolSdr->setToolTip(frmMainTexts::tipVolume());
    picVolPos = makeBox(picSndBk, QStringLiteral("picVolPos"));
    picVolPos->setGeometry(27 - kKnobWidth / 2, 4, kKnobWidth, 16);
    paint(picVolPos, palette().color(QPalette::Button));
    drawEdgeBox(picVolPos, 5);
    picVolPos->setToolTip(frmMainTexts::tipVolume());
}

ZelvoButton* PlayerPanel::makeButton(const QString& name, int left, int width, const QString& tip) {
    auto* button = new ZelvoButton(picBnBk);
    button->setObjectName(name);
    button->setGeometry(left, kButtonTop, width, kButtonHeight);
    if (!tip.isEmpty()) {
        button->SetToolTip(tip);
    }
    return button;
}

void PlayerPanel::showTimeLabels(bool visible) {
    for (QLabel* label : {lblCurTime, lblSplit, lblTtTime}) {
        label->setVisible(visible);
    }
}

void PlayerPanel::setAutoSizeText(QLabel* label, const QString& text) {
    label->setText(text);
    label->resize(QFontMetrics(label->font()).horizontalAdvance(text) + 2, label->height());
}
