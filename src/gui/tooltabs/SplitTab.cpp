#include "gui/tooltabs/SplitTab.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/JobFront.h"
#include "core/jobs/SaveRangesJob.h"
#include "gui/busy/BusySession.h"
#include "gui/tooltabs/GapBox.h"
#include "gui/tooltabs/ProbePanel.h"
#include "gui/tooltabs/ToolTabTexts.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace t = toolTabTexts;

namespace {

// How many real starts the preview line lists before "…".
constexpr int shownStarts = 6;

QFrame* notePanel(QWidget* parent, const QString& name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(4, 1, 4, 1);
    row->setSpacing(12);
    return frame;
}

QLabel* noteLabel(QFrame* panel, int index, const QString& text) {
    auto* label = new QLabel(text, panel);
    label->setObjectName(QStringLiteral("lblNoteMd%1").arg(index));
    panel->layout()->addWidget(label);
    return label;
}

}  // namespace

SplitTab::SplitTab(ProbePanel& probe, QWidget* panel) : ToolTab(panel), m_probe(probe) {
    setObjectName(QStringLiteral("picSplit"));
    build();
    connect(&m_probe, &ProbePanel::changed, this, [this] {
        if (m_probe.parentWidget() == this) {
            refresh();
        }
    });
    refresh();
}

void SplitTab::build() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    auto* modes = new QGridLayout;
    modes->setHorizontalSpacing(2);
    modes->setVerticalSpacing(1);
    auto* group = new QButtonGroup(this);
    const QStringList captions = t::splitModes();
    const QStringList ends = t::splitModeEnds();
    for (int i = 0; i < 6; ++i) {
        const auto at = static_cast<size_t>(i);
        auto* option = new QRadioButton(captions.at(i), this);
        option->setObjectName(QStringLiteral("optMdSplit%1").arg(i));
        group->addButton(option, i);
        optMdSplit[at] = option;
        // The multi-piece captions are one sentence each; the others end in a second one.
        modes->addWidget(option, i, 0, 1, i < 3 ? 3 : 1);
        // Seconds and percent take decimals; counts and kilobytes are whole.
        if (i < 3) {
            txtMdSpEq[at] = GapBox::make(option, QStringLiteral("txtMdSpEq%1").arg(i), i == 1);
        } else {
            const auto box = static_cast<size_t>(i - 3);
            const bool decimals = i != 4;
            txtMdSpFrom[box] =
                GapBox::make(option, QStringLiteral("txtMdSpFrom%1").arg(i - 3), decimals);
            auto* end = new QLabel(ends.at(i - 3), this);
            end->setObjectName(QStringLiteral("lblMd%1").arg(i - 3));
            lblMd[box] = end;
            txtMdSpEnd[box] =
                GapBox::make(end, QStringLiteral("txtMdSpEnd%1").arg(i - 3), decimals);
            modes->addWidget(end, i, 1);
        }
    }
    modes->setColumnStretch(2, 1);
    optMdSplit[0]->setChecked(true);
    layout->addLayout(modes);

    picNoteMd[0] = notePanel(this, QStringLiteral("picNoteMd0"));
    lblNoteMd[0] = noteLabel(picNoteMd[0], 0, t::fewestPieces());
    lblNoteMd[1] = noteLabel(picNoteMd[0], 1, t::mostPieces());
    lblNoteMd[2] = noteLabel(picNoteMd[0], 2, QString());
    picNoteMd[1] = notePanel(this, QStringLiteral("picNoteMd1"));
    lblNoteMd[3] = noteLabel(picNoteMd[1], 3, t::spanHead());
    for (int i = 4; i < 7; ++i) {
        lblNoteMd[static_cast<size_t>(i)] = noteLabel(picNoteMd[1], i, QString());
    }
    layout->addWidget(picNoteMd[0]);
    layout->addWidget(picNoteMd[1]);
    lblSplitStarts = new QLabel(this);
    lblSplitStarts->setObjectName(QStringLiteral("lblSplitStarts"));
    lblSplitStarts->setWordWrap(true);
    layout->addWidget(lblSplitStarts);
    layout->addStretch(1);
    cmdMediaSplit = makeRunButton(QStringLiteral("cmdMediaSplit"));
    layout->addWidget(cmdMediaSplit, 0, Qt::AlignRight);

    connect(group, &QButtonGroup::idClicked, this, &SplitTab::optMdSplit_Click);
    for (auto* boxes : {&txtMdSpEq, &txtMdSpFrom, &txtMdSpEnd}) {
        for (QLineEdit* box : *boxes) {
            connect(box, &QLineEdit::textChanged, this, &SplitTab::compute);
        }
    }
}

QString SplitTab::runCaption() const {
    return t::runSplit();
}

void SplitTab::tabShown() {
    m_probe.hostIn(this, t::splitWord());
    refresh();
}

void SplitTab::optMdSplit_Click(int index) {
    if (index < 0 || index > 5) {
        return;
    }
    m_mode = index;
    optMdSplit[static_cast<size_t>(index)]->setChecked(true);
    refresh();
}

void SplitTab::refresh() {
    const bool known = m_probe.known();
    for (QRadioButton* option : optMdSplit) {
        option->setEnabled(known);
    }
    for (QLabel* end : lblMd) {
        end->setEnabled(known);
    }
    for (auto* boxes : {&txtMdSpEq, &txtMdSpFrom, &txtMdSpEnd}) {
        for (QLineEdit* box : *boxes) {
            box->setEnabled(known);
            if (!known) {
                box->clear();
            }
        }
    }
    setPlayable(m_probe.source != nullptr && FileObject::shared().FileExists(m_probe.path())
                    ? m_probe.path()
                    : QString());
    compute();
}

splitPlan::Split SplitTab::plan() const {
    return splitPlan::split(input(), m_probe.media());
}

splitPlan::SplitInput SplitTab::input() const {
    splitPlan::SplitInput input;
    input.mode = static_cast<splitPlan::SplitMode>(m_mode);
    if (m_mode < 3) {
        input.each = typedNumber(txtMdSpEq[static_cast<size_t>(m_mode)]->text());
    } else {
        const auto at = static_cast<size_t>(m_mode - 3);
        input.from = typedNumber(txtMdSpFrom[at]->text());
        input.to = typedNumber(txtMdSpEnd[at]->text());
    }
    return input;
}

void SplitTab::compute() {
    picNoteMd[0]->hide();
    picNoteMd[1]->hide();
    lblSplitStarts->clear();
    lblSplitStarts->setToolTip(QString());
    if (!m_probe.known()) {
        setRunnable(false, t::probeFirst());
        return;
    }
    if (!FileObject::shared().FileExists(m_probe.path())) {
        m_probe.clearSource();
        return;
    }
    const splitPlan::Split split = plan();
    picNoteMd[m_mode < 3 ? 0 : 1]->show();
    lblNoteMd[2]->setText(splitPlan::countText(split));
    lblNoteMd[4]->setText(splitPlan::secondsText(split));
    lblNoteMd[5]->setText(splitPlan::kilobytesText(split));
    lblNoteMd[6]->setText(splitPlan::shareText(split));
    if (split.valid) {
        showStarts(split);
    }
    setRunnable(split.valid, t::splitNumbers());
}

void SplitTab::showStarts(const splitPlan::Split& split) {
    if (!m_probe.keyframesKnown()) {
        lblSplitStarts->setText(t::scanning());
        return;
    }
    const QList<double> starts = splitPlan::realStarts(split, m_probe.keyframes().keyframes());
    QStringList times;
    double early = 0.0;
    for (int i = 0; i < starts.size(); ++i) {
        times << formatTime(starts.at(i), 2, 2);
        early = std::max(early, split.pieces.at(i).start - starts.at(i));
    }
    const QString tail =
        early >= 0.005 ? t::earliest(QString::number(early, 'f', 2)) : t::onTheCut();
    lblSplitStarts->setText(t::realStarts(times.mid(0, shownStarts), times.size() > shownStarts) +
                            QStringLiteral("，") + tail);
    lblSplitStarts->setToolTip(t::realStarts(times, false));
}

void SplitTab::run() {
    const QString source = m_probe.path();
    const FileObject& fso = FileObject::shared();
    const QString ext = fso.GetExtensionName(source).toLower();
    const splitPlan::Split split = plan();
    JobFront::Tool tool;
    tool.kind = ToolOperation::Split;
    tool.owner = window();
    tool.validate = [this, source, &fso, split] {
        if (!fso.FileExists(source) || !isEditableFile(source)) {
            msgBox(t::unsupported(t::splitWord()), MsgButtons::Ok, titles::notice(), MsgIcon::None,
                   window());
            return false;
        }
        if (!split.valid) {
            msgBox(BusySession::failureText(ToolOperation::Split), MsgButtons::Ok, titles::error(),
                   MsgIcon::None, window());
            return false;
        }
        return true;
    };
    tool.choose = [this, source, ext, split](JobRequest& request) {
        const QString chosen = split.onePiece
                                   ? askSaveFile(source, ext,
                                                 FileObject::shared().GetBaseName(source) +
                                                     QStringLiteral("_part.") + ext)
                                   : askFolder(source, t::seriesFolderPrompt(ext, true));
        request.sources = QStringList{source};
        request.outputs =
            SaveRangesJob::outputsFor(split.onePiece ? SaveRangesJob::Cut : SaveRangesJob::Split,
                                      chosen, ext, static_cast<int>(split.pieces.size()));
        return !chosen.isEmpty();
    };
    tool.build = [split](const JobRequest& request) {
        return std::make_unique<SaveRangesJob>(
            split.onePiece ? SaveRangesJob::Cut : SaveRangesJob::Split, request.sources.first(),
            request.outputs, split.pieces);
    };
    JobFront::run(BusySession::shared(), tool);
}
