#include "gui/tooltabs/SnapTab.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/JobFront.h"
#include "core/jobs/SnapshotJob.h"
#include "gui/busy/BusySession.h"
#include "gui/tooltabs/GapBox.h"
#include "gui/tooltabs/ProbePanel.h"
#include "gui/tooltabs/ToolTabTexts.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace t = toolTabTexts;

SnapTab::SnapTab(ProbePanel& probe, QWidget* panel) : ToolTab(panel), m_probe(probe) {
    setObjectName(QStringLiteral("picSnap"));
    build();
    connect(&m_probe, &ProbePanel::changed, this, [this] {
        if (m_probe.parentWidget() == this) {
            refresh();
        }
    });
    refresh();
}

void SnapTab::build() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    auto* choices = new QGridLayout;
    choices->setHorizontalSpacing(2);
    choices->setVerticalSpacing(1);
    auto* choiceGroup = new QButtonGroup(this);
    const QStringList captions = t::snapChoices();
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(captions.at(i), this);
        option->setObjectName(QStringLiteral("optMdSnap1%1").arg(i));
        choiceGroup->addButton(option, i);
        optMdSnap1[static_cast<size_t>(i)] = option;
        choices->addWidget(option, i, 0, 1, i < 2 ? 3 : 1);
    }
    txtMdSnEq[0] = GapBox::make(optMdSnap1[0], QStringLiteral("txtMdSnEq0"), true);
    txtMdSnFrom = GapBox::make(optMdSnap1[2], QStringLiteral("txtMdSnFrom0"), true);
    lblMdSnapEnd = new QLabel(t::snapSpanEnd(), this);
    lblMdSnapEnd->setObjectName(QStringLiteral("lblMdSnapEnd"));
    txtMdSnEnd = GapBox::make(lblMdSnapEnd, QStringLiteral("txtMdSnEnd0"), true);
    choices->addWidget(lblMdSnapEnd, 2, 1);
    choices->setColumnStretch(2, 1);
    optMdSnap1[0]->setChecked(true);
    layout->addLayout(choices);

    picMdSnap2 = new QFrame(this);
    picMdSnap2->setObjectName(QStringLiteral("picMdSnap2"));
    picMdSnap2->setFrameShape(QFrame::StyledPanel);
    auto* series = new QVBoxLayout(picMdSnap2);
    series->setContentsMargins(4, 2, 4, 2);
    series->setSpacing(1);
    auto* spacingGroup = new QButtonGroup(this);
    const QStringList spacings = t::snapSpacings();
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(spacings.at(i), picMdSnap2);
        option->setObjectName(QStringLiteral("optMdSnap2%1").arg(i));
        spacingGroup->addButton(option, i);
        optMdSnap2[static_cast<size_t>(i)] = option;
        series->addWidget(option);
    }
    // The count is whole; the interval takes decimals.
    txtMdSnEq[1] = GapBox::make(optMdSnap2[0], QStringLiteral("txtMdSnEq1"), false);
    txtMdSnEq[2] = GapBox::make(optMdSnap2[1], QStringLiteral("txtMdSnEq2"), true);
    optMdSnap2[0]->setChecked(true);
    layout->addWidget(picMdSnap2);
    layout->addStretch(1);

    cboMediaSnapType = new QComboBox(this);
    cboMediaSnapType->setObjectName(QStringLiteral("cboMediaSnapType"));
    cboMediaSnapType->addItems(t::pictureTypes());
    cboMediaSnapType->setCurrentIndex(0);
    cmdMediaSnap = makeRunButton(QStringLiteral("cmdMediaSnap"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cboMediaSnapType);
    bottom->addStretch(1);
    bottom->addWidget(cmdMediaSnap);
    layout->addLayout(bottom);

    connect(choiceGroup, &QButtonGroup::idClicked, this, &SnapTab::optMdSnap1_Click);
    connect(spacingGroup, &QButtonGroup::idClicked, this, &SnapTab::optMdSnap2_Click);
    for (QLineEdit* box : {txtMdSnEq[0], txtMdSnEq[1], txtMdSnEq[2], txtMdSnFrom, txtMdSnEnd}) {
        connect(box, &QLineEdit::textChanged, this, &SnapTab::compute);
    }
}

QString SnapTab::runCaption() const {
    return t::runSnap();
}

void SnapTab::tabShown() {
    m_probe.hostIn(this, t::snapWord());
    refresh();
}

void SnapTab::optMdSnap1_Click(int index) {
    if (index >= 0 && index < 3) {
        m_choice = index;
        optMdSnap1[static_cast<size_t>(index)]->setChecked(true);
        refresh();
    }
}

void SnapTab::optMdSnap2_Click(int index) {
    if (index >= 0 && index < 2) {
        m_spacing = index;
        optMdSnap2[static_cast<size_t>(index)]->setChecked(true);
        refresh();
    }
}

void SnapTab::refresh() {
    const bool known = m_probe.known();
    for (QRadioButton* option : optMdSnap1) {
        option->setEnabled(known);
    }
    lblMdSnapEnd->setEnabled(known);
    for (QLineEdit* box : {txtMdSnFrom, txtMdSnEnd, txtMdSnEq[0]}) {
        box->setEnabled(known);
        if (!known) {
            box->clear();
        }
    }
    const bool single = m_choice == 0 || !known;
    for (QRadioButton* option : optMdSnap2) {
        option->setEnabled(!single);
    }
    for (QLineEdit* box : {txtMdSnEq[1], txtMdSnEq[2]}) {
        box->setEnabled(!single);
        if (single) {
            box->clear();
        }
    }
    setPlayable(FileObject::shared().FileExists(m_probe.path()) ? m_probe.path() : QString());
    compute();
}

splitPlan::Snapshot SnapTab::plan() const {
    return splitPlan::snapshot(input(), m_probe.media());
}

splitPlan::SnapInput SnapTab::input() const {
    splitPlan::SnapInput input;
    input.choice = static_cast<splitPlan::SnapChoice>(m_choice);
    input.spacing = static_cast<splitPlan::SnapSpacing>(m_spacing);
    input.momentGiven = !txtMdSnEq[0]->text().isEmpty();
    input.moment = typedNumber(txtMdSnEq[0]->text());
    input.from = typedNumber(txtMdSnFrom->text());
    input.to = typedNumber(txtMdSnEnd->text());
    input.count = typedNumber(txtMdSnEq[1]->text());
    input.interval = typedNumber(txtMdSnEq[2]->text());
    return input;
}

QString SnapTab::pictureType() const {
    return cboMediaSnapType->currentText().toLower();
}

void SnapTab::compute() {
    bool valid = false;
    if (m_probe.known()) {
        if (!FileObject::shared().FileExists(m_probe.path())) {
            m_probe.clearSource();
            return;
        }
        valid = plan().valid;
    }
    cboMediaSnapType->setEnabled(valid);
    setRunnable(valid, m_probe.known() ? t::snapNumbers() : t::probeFirst());
}

void SnapTab::run() {
    const QString source = m_probe.path();
    const QString img = pictureType();
    const splitPlan::Snapshot pictures = plan();
    JobFront::Tool tool;
    tool.kind = ToolOperation::Snapshot;
    tool.owner = window();
    tool.validate = [this, source, pictures] {
        if (!FileObject::shared().FileExists(source) || !isEditableFile(source)) {
            msgBox(t::unsupported(t::snapWord()), MsgButtons::Ok, titles::notice(), MsgIcon::None,
                   window());
            return false;
        }
        if (!pictures.valid) {
            msgBox(BusySession::failureText(ToolOperation::Snapshot), MsgButtons::Ok,
                   titles::error(), MsgIcon::None, window());
            return false;
        }
        return true;
    };
    tool.choose = [this, source, img, pictures](JobRequest& request) {
        request.sources = QStringList{source};
        if (pictures.single) {
            const QString chosen = askSaveFile(source, img, SnapshotJob::proposedName(source, img));
            request.outputs = QStringList{chosen};
            return !chosen.isEmpty();
        }
        const QString folder = askFolder(source, t::seriesFolderPrompt(img, false));
        request.outputs =
            SnapshotJob::seriesOutputs(folder, img, static_cast<int>(pictures.times.size()));
        return !folder.isEmpty();
    };
    tool.build = [img, pictures](const JobRequest& request) {
        return std::make_unique<SnapshotJob>(request.sources.first(), request.outputs,
                                             pictures.times, img);
    };
    JobFront::run(BusySession::shared(), tool);
}
