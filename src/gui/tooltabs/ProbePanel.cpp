#include "gui/tooltabs/ProbePanel.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/media/MCI.h"
#include "gui/tooltabs/SourceBox.h"
#include "gui/tooltabs/ToolTabTexts.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

namespace t = toolTabTexts;

namespace {

const QString kProbeAlias = QStringLiteral("Zelvo.FLV_forSplit");

}  // namespace

ProbePanel::ProbePanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picMdSource"));
    source = new SourceBox(QStringLiteral("txtMdSplit"), QStringLiteral("mbMdSplit"), this);
    txtMdSplit = source->box();
    mbMdSplit = source->button();
    source->startFolder = [this] {
        return getWorkDir(path(), saveFolder ? saveFolder() : QString());
    };
    cmdMdSplitChk = new QPushButton(t::probeButton(), this);
    cmdMdSplitChk->setObjectName(QStringLiteral("cmdMdSplitChk"));
    cmdMdSplitChk->setAutoDefault(false);
    cmdMdSplitChk->setEnabled(false);
    lblMdLen = new QLabel(t::lengthUnknown(), this);
    lblMdLen->setObjectName(QStringLiteral("lblMdLen"));
    picSplitMCI = new QWidget(this);
    picSplitMCI->setObjectName(QStringLiteral("picSplitMCI"));
    picSplitMCI->hide();

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(3);
    grid->addWidget(source, 0, 0, 1, 2);
    grid->addWidget(cmdMdSplitChk, 1, 0);
    grid->addWidget(lblMdLen, 1, 1);
    grid->setColumnStretch(1, 1);

    connect(source, &SourceBox::changed, this, &ProbePanel::sourceChanged);
    connect(cmdMdSplitChk, &QPushButton::clicked, this, &ProbePanel::cmdMdSplitChk_Click);
    connect(&m_scan, &KeyframeScan::finished, this, [this](bool) {
        m_keyframesKnown = true;
        Q_EMIT changed();
    });
}

QString ProbePanel::path() const {
    return source->path();
}

void ProbePanel::hostIn(QWidget* tab, const QString& word) {
    m_word = word;
    if (parentWidget() != tab && tab->layout() != nullptr) {
        if (auto* box = qobject_cast<QBoxLayout*>(tab->layout())) {
            box->insertWidget(0, this);
        } else {
            tab->layout()->addWidget(this);
        }
    }
    show();
}

void ProbePanel::clearSource() {
    source->setPath(QString());
}

void ProbePanel::sourceChanged(const QString& text) {
    if (text == m_probed) {
        return;
    }
    m_probed = text;
    const bool exists = source->exists();
    cmdMdSplitChk->setEnabled(exists);
    source->showUsable(exists);
    cmdMdSplitChk->setToolTip(exists ? text : QString());
    m_media = {};
    m_scan.stop();
    m_keyframesKnown = false;
    lblMdLen->setText(t::lengthUnknown());
    Q_EMIT changed();
}

void ProbePanel::cmdMdSplitChk_Click() {
    const QString file = path();
    m_media = {};
    m_scan.stop();
    m_keyframesKnown = false;
    bool noPicture = false;
    if (source->exists()) {
        // A session of its own: the player's file stays open and where it was.
        MCI probe;
        probe.closeMCI(kProbeAlias);
        probe.openMCI(file, picSplitMCI->winId(), kProbeAlias);
        if (probe.isSuccess()) {
            // Placing the picture tells a file without one.
            probe.putMCI(picSplitMCI->width(), picSplitMCI->height(), false, 0,
                         picSplitMCI->width(), picSplitMCI->height());
            if (probe.isAudioOnly()) {
                noPicture = true;
                msgBox(t::noPicture(m_word), MsgButtons::Ok, titles::error(), MsgIcon::None,
                       window());
            } else {
                const qint64 hundredths = splitPlan::hundredths(probe.getTotalSeconds());
                m_media = {static_cast<double>(hundredths) / 100.0, QFileInfo(file).size()};
            }
        }
        probe.closeMCI(kProbeAlias);
    }
    if (known()) {
        lblMdLen->setText(
            t::lengthKnown(QString::number(m_media.seconds, 'f', 2), m_media.bytes / 1024));
        m_scan.start(file);
    } else {
        lblMdLen->setText(t::lengthUnknown());
        if (!noPicture) {
            Q_EMIT cannotRead(file, t::probeFailedHead());
        }
    }
    Q_EMIT changed();
}
