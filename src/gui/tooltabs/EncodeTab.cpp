#include "gui/tooltabs/EncodeTab.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "core/jobs/EncodeJob.h"
#include "core/jobs/EncodeRules.h"
#include "core/jobs/EncodeTexts.h"
#include "core/jobs/JobFront.h"
#include "gui/busy/BusySession.h"
#include "gui/playlist/frmListTexts.h"
#include "gui/tooltabs/SourceBox.h"
#include "gui/widgets/ZelvoButton.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <tuple>

namespace t = encodeTexts;

namespace {

QComboBox* makeList(QWidget* parent, const QString& name, const QStringList& items,
                    const QString& current) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(items);
    list->setCurrentIndex(qMax(0, static_cast<int>(items.indexOf(current))));
    return list;
}

}  // namespace

EncodeTab::EncodeTab(int panel, QWidget* host) : ToolTab(host), m_panel(panel) {
    setObjectName(QStringLiteral("picEncode%1").arg(panel));
    build();
    refresh();
}

QString EncodeTab::runCaption() const {
    return t::runButton();
}

QString EncodeTab::note() const {
    return frmListTexts::noteTool(frmListTexts::runEncode());
}

QString EncodeTab::playCaption() const {
    return m_panel == 3 ? frmListTexts::mnuPlaySpecMusic() : frmListTexts::mnuPlaySpecVideo();
}

void EncodeTab::build() {
    const encodeRules::Panel formats = encodeRules::panel(m_panel);
    const auto pathRow = [this](const QString& label, const QString& side, bool sourceSide) {
        auto* caption = new QLabel(label, this);
        auto* box = new SourceBox(QStringLiteral("txtEncode") + side,
                                  QStringLiteral("mbEncode") + side, this);
        caption->setBuddy(box->box());
        const auto format = [this, sourceSide] {
            return (sourceSide ? cboEncodeSrc : cboEncodeTo)->currentText();
        };
        box->filter = [format, sourceSide] {
            return encodeRules::browseFilter(format(), sourceSide);
        };
        box->defaultExt = [format] { return encodeRules::browseDefaultExt(format()); };
        // The target is usually a file still to be made.
        box->mustExist = sourceSide;
        box->startFolder = [this] { return workDir(sourcePath()); };
        box->takeDrop = [this, sourceSide](const QString& path) {
            return takeDrop(sourceSide, path);
        };
        connect(box, &SourceBox::changed, this, &EncodeTab::refresh);
        return std::tuple{caption, box};
    };
    std::tie(lblEncodeSrc, source) = pathRow(formats.sourceLabel, QStringLiteral("Src"), true);
    std::tie(lblEncodeTo, target) = pathRow(formats.targetLabel, QStringLiteral("To"), false);
    txtEncodeSrc = source->box();
    txtEncodeTo = target->box();
    mbEncodeSrc = source->button();
    mbEncodeTo = target->button();
    cboEncodeSrc = makeList(this, QStringLiteral("cboEncodeSrc"), formats.sourceFormats,
                            formats.sourceDefault);
    cboEncodeTo =
        makeList(this, QStringLiteral("cboEncodeTo"), formats.targetFormats, formats.targetDefault);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    int row = 0;
    for (const auto& [caption, box, list] : {std::tuple{lblEncodeSrc, source, cboEncodeSrc},
                                             std::tuple{lblEncodeTo, target, cboEncodeTo}}) {
        grid->addWidget(caption, row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(list, row, 2);
        ++row;
    }
    grid->setRowMinimumHeight(row++, 6);

    const QList<encodeRules::SettingList> lists = encodeRules::settingLists();
    for (int i = 0; i < lists.size(); ++i) {
        const encodeRules::SettingList& s = lists.at(i);
        const bool used = formats.video || !s.video;
        QComboBox* list =
            makeList(this, s.name, used ? s.items : QStringList{t::unused()}, s.defaultItem);
        list->setEnabled(used);
        // The option it writes, kept with the list.
        list->setProperty("Tag", s.tag);
        settings[static_cast<size_t>(i)] = list;
        auto* caption = new QLabel(s.caption, this);
        caption->setBuddy(list);
        grid->addWidget(caption, row, 0);
        // The hint follows its list.
        auto* setting = new QHBoxLayout;
        setting->setSpacing(8);
        setting->addWidget(list);
        setting->addWidget(new QLabel(s.hint, this));
        setting->addStretch();
        grid->addLayout(setting, row, 1, 1, 2);
        ++row;
    }
    cboVideoSize = settings[0];
    cboVideoFramerate = settings[1];
    cboVideoBitrate = settings[2];
    cboAudioSamplingRate = settings[3];
    cboAudioBitrate = settings[4];
    cboAudioChannel = settings[5];

    cmdMediaEncode = makeRunButton(QStringLiteral("cmdMediaEncode"));
    grid->setRowStretch(row++, 1);
    grid->addWidget(cmdMediaEncode, row, 0, 1, 3, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    connect(cboEncodeSrc, &QComboBox::currentIndexChanged, this, &EncodeTab::cboEncodeSrc_Click);
    connect(cboEncodeTo, &QComboBox::currentIndexChanged, this, &EncodeTab::cboEncodeTo_Click);
}

QString EncodeTab::sourcePath() const {
    return encodeRules::absolutePath(source->path());
}

QString EncodeTab::targetPath() const {
    // A bare name goes where the tools write by default.
    const QString from = sourcePath();
    return encodeRules::absolutePath(target->path(), sourceValid() ? workDir(from) : QString());
}

void EncodeTab::refresh() {
    m_sourceProblem = encodeRules::sourceProblem(sourcePath(), cboEncodeSrc->currentText());
    source->showUsable(sourceValid());
    m_targetProblem = encodeRules::targetProblem(targetPath(), cboEncodeTo->currentText());
    target->showUsable(targetValid());
    QStringList missing;
    for (const QString& problem : {m_sourceProblem, m_targetProblem}) {
        if (!problem.isEmpty()) {
            missing << problem;
        }
    }
    setRunnable(missing.isEmpty(), missing.join(u'\n'));
    setPlayable(sourceValid() ? sourcePath() : QString());
}

void EncodeTab::cboEncodeSrc_Click() {
    txtEncodeSrc->setText(
        encodeRules::withFormat(txtEncodeSrc->text(), cboEncodeSrc->currentText()));
    refresh();
}

void EncodeTab::cboEncodeTo_Click() {
    txtEncodeTo->setText(encodeRules::withFormat(txtEncodeTo->text(), cboEncodeTo->currentText()));
    refresh();
}

bool EncodeTab::takeDrop(bool sourceSide, const QString& path) {
    QComboBox* formats = sourceSide ? cboEncodeSrc : cboEncodeTo;
    QStringList items;
    for (int i = 0; i < formats->count(); ++i) {
        items << formats->itemText(i);
    }
    const int format = encodeRules::dropFormat(items, path);
    if (format >= 0) {
        formats->setCurrentIndex(format);
    }
    (sourceSide ? source : target)->setPath(path);
    return true;
}

void EncodeTab::run() {
    if (QWidget* focused = QApplication::focusWidget();
        focused != nullptr && isAncestorOf(focused)) {
        focused->clearFocus();
    }
    QWidget* owner = window();
    const QString src = sourcePath();
    const QString dst = targetPath();
    JobFront::Tool tool;
    tool.kind = ToolOperation::Convert;
    tool.owner = owner;
    tool.validate = [this, owner, src, dst] {
        const encodeRules::Refusal refusal =
            encodeRules::check(m_panel, src, dst, cboVideoFramerate->currentText());
        if (refusal != encodeRules::Refusal::None) {
            msgBox(encodeRules::refusalText(refusal), MsgButtons::Ok, titles::notice(),
                   MsgIcon::None, owner);
            if (refusal == encodeRules::Refusal::FrameRate) {
                cboVideoFramerate->setFocus();
            }
            return false;
        }
        return msgBox(t::confirm(src, dst), MsgButtons::OkCancel, QString(), MsgIcon::None,
                      owner) == MsgResult::Ok;
    };
    tool.choose = [src, dst](JobRequest& request) {
        request.sources = QStringList{src};
        request.outputs = QStringList{dst};
        return true;
    };
    const EncodeSettings chosen = chosenSettings();
    tool.build = [chosen](const JobRequest& request) {
        return std::make_unique<EncodeJob>(request.sources.first(), request.outputs.first(),
                                           chosen);
    };
    JobFront::run(BusySession::shared(), tool);
}

QString EncodeTab::sourceFormat() const {
    return cboEncodeSrc->currentText();
}

QString EncodeTab::targetFormat() const {
    return cboEncodeTo->currentText();
}

EncodeSettings EncodeTab::chosenSettings() const {
    EncodeSettings chosen;
    chosen.panel = m_panel;
    chosen.videoSize = cboVideoSize->currentText();
    chosen.frameRate = cboVideoFramerate->currentText();
    chosen.videoBitrate = cboVideoBitrate->currentText();
    chosen.samplingRate = cboAudioSamplingRate->currentText();
    chosen.audioBitrate = cboAudioBitrate->currentText();
    chosen.channels = cboAudioChannel->currentText();
    return chosen;
}
