#include "gui/tooltabs/EncodeTab.h"

#include "core/common/AppWindows.h"
#include "core/common/PlayerWindow.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/EncodeJob.h"
#include "core/jobs/EncodeRules.h"
#include "core/jobs/EncodeTexts.h"
#include "core/jobs/JobFront.h"
#include "gui/busy/BusySession.h"
#include "gui/widgets/FileDrop.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/widgets/ZelvoPictures.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <tuple>

namespace t = encodeTexts;

namespace {

constexpr int kBrowseButton = 22;
// How long a browse button stays down after its dialog has closed.
constexpr int kReleaseMs = 300;
// The open dialog's "the file must exist" option.
constexpr quint32 kFileMustExist = 0x1000;

QComboBox* makeList(QWidget* parent, const QString& name, const QStringList& items,
                    const QString& current) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(items);
    list->setCurrentIndex(qMax(0, static_cast<int>(items.indexOf(current))));
    return list;
}

// The first file of a drop, as the player takes a dropped file.
QString firstDropped(const QMimeData& dropped) {
    QString name;
    for (const QUrl& url : dropped.urls()) {
        if (url.isLocalFile()) {
            name = url.toLocalFile();
            break;
        }
    }
    if (name.isEmpty() && dropped.hasText()) {
        const QString line = dropped.text().section(u'\n', 0, 0).trimmed();
        const QUrl url(line);
        name = url.isLocalFile() ? url.toLocalFile() : line;
    }
    while (name.contains(QLatin1String("//"))) {
        name.replace(QLatin1String("//"), QLatin1String("/"));
    }
    return upperDriveLetter(name);
}

}  // namespace

EncodeTab::EncodeTab(int panel, QWidget* host) : QWidget(host), m_panel(panel) {
    setObjectName(QStringLiteral("picEncode%1").arg(panel));
    build();
    host->layout()->addWidget(this);
    checkSource();
    checkTarget();
}

void EncodeTab::build() {
    const encodeRules::Panel formats = encodeRules::panel(m_panel);
    const auto pathRow = [this](const QString& label, const QString& side) {
        auto* caption = new QLabel(label, this);
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtEncode") + side);
        box->setToolTip(t::dropHint());
        box->installEventFilter(this);
        caption->setBuddy(box);
        auto* button = new ZelvoButton(this);
        button->setObjectName(QStringLiteral("mbEncode") + side);
        button->setFixedSize(kBrowseButton, kBrowseButton);
        button->setPicture(ZelvoPictures::picture(ButtonPicture::Open));
        // The tool tabs leave their own buttons usable.
        button->setProperty("Tag", QStringLiteral("on"));
        return std::tuple{caption, box, button};
    };
    std::tie(lblEncodeSrc, txtEncodeSrc, mbEncodeSrc) =
        pathRow(formats.sourceLabel, QStringLiteral("Src"));
    std::tie(lblEncodeTo, txtEncodeTo, mbEncodeTo) =
        pathRow(formats.targetLabel, QStringLiteral("To"));
    cboEncodeSrc = makeList(this, QStringLiteral("cboEncodeSrc"), formats.sourceFormats,
                            formats.sourceDefault);
    cboEncodeTo =
        makeList(this, QStringLiteral("cboEncodeTo"), formats.targetFormats, formats.targetDefault);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    int row = 0;
    for (const auto& [caption, box, button, list] :
         {std::tuple{lblEncodeSrc, txtEncodeSrc, mbEncodeSrc, cboEncodeSrc},
          std::tuple{lblEncodeTo, txtEncodeTo, mbEncodeTo, cboEncodeTo}}) {
        grid->addWidget(caption, row, 0);
        auto* path = new QHBoxLayout;
        path->setSpacing(2);
        path->addWidget(box, 1);
        path->addWidget(button);
        grid->addLayout(path, row, 1);
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

    cmdMediaEncode = new QPushButton(t::runButton(), this);
    cmdMediaEncode->setObjectName(QStringLiteral("cmdMediaEncode"));
    cmdMediaEncode->setAutoDefault(false);
    grid->setRowStretch(row++, 1);
    grid->addWidget(cmdMediaEncode, row, 0, 1, 3, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    connect(txtEncodeSrc, &QLineEdit::textChanged, this, &EncodeTab::checkSource);
    connect(txtEncodeTo, &QLineEdit::textChanged, this, &EncodeTab::checkTarget);
    connect(cboEncodeSrc, &QComboBox::currentIndexChanged, this, &EncodeTab::cboEncodeSrc_Click);
    connect(cboEncodeTo, &QComboBox::currentIndexChanged, this, &EncodeTab::cboEncodeTo_Click);
    connect(mbEncodeSrc, &ZelvoButton::Click, this, &EncodeTab::mbEncodeSrc_Click);
    connect(mbEncodeTo, &ZelvoButton::Click, this, &EncodeTab::mbEncodeTo_Click);
    connect(cmdMediaEncode, &QPushButton::clicked, this, &EncodeTab::cmdMediaEncode_Click);
}

void EncodeTab::tabShown() {
    checkSource();
    checkTarget();
}

void EncodeTab::checkSource() {
    const QString path = txtEncodeSrc->text().trimmed();
    m_sourceValid = encodeRules::sourceValid(path, cboEncodeSrc->currentText());
    txtEncodeSrc->setToolTip(m_sourceValid ? path : t::dropHint());
    cmdMediaEncode->setEnabled(m_sourceValid && m_targetValid);
    Q_EMIT sourceChecked(m_sourceValid,
                         m_sourceValid ? encodeRules::absolutePath(path) : QString());
}

void EncodeTab::checkTarget() {
    const QString path = txtEncodeTo->text().trimmed();
    m_targetValid = encodeRules::targetValid(path, cboEncodeTo->currentText());
    txtEncodeTo->setToolTip(m_targetValid ? path : t::dropHint());
    cmdMediaEncode->setEnabled(m_sourceValid && m_targetValid);
}

void EncodeTab::cboEncodeSrc_Click() {
    txtEncodeSrc->setText(
        encodeRules::withFormat(txtEncodeSrc->text(), cboEncodeSrc->currentText()));
    checkSource();
}

void EncodeTab::cboEncodeTo_Click() {
    txtEncodeTo->setText(encodeRules::withFormat(txtEncodeTo->text(), cboEncodeTo->currentText()));
    checkTarget();
}

void EncodeTab::browse(bool source) {
    ZelvoButton* button = source ? mbEncodeSrc : mbEncodeTo;
    const QString format = (source ? cboEncodeSrc : cboEncodeTo)->currentText();
    button->setState(ZelvoButton::Down);
    CommDialog dialog;
    dialog.setOwnerWindow(window());
    dialog.setInitDir(getWorkDir(encodeRules::absolutePath(txtEncodeSrc->text())));
    if (!source) {
        // The target is usually a file still to be made.
        dialog.setOpenFlags(dialog.OpenFlags() & ~kFileMustExist);
    }
    dialog.setFilter(encodeRules::browseFilter(format, source));
    dialog.setDefaultExt(encodeRules::browseDefaultExt(format));
    dialog.setFilterIndex(1);
    dialog.setFileName(QString());
    const QString chosen = dialog.ShowOpen(true, false);
    if (!chosen.isEmpty()) {
        (source ? txtEncodeSrc : txtEncodeTo)->setText(chosen);
    }
    QTimer::singleShot(kReleaseMs, button, [button] { button->setState(ZelvoButton::Normal); });
}

void EncodeTab::dropOn(bool source, const QMimeData& dropped) {
    const QString path = firstDropped(dropped);
    if (!FileObject::shared().FileExists(path)) {
        return;
    }
    QComboBox* formats = source ? cboEncodeSrc : cboEncodeTo;
    QStringList items;
    for (int i = 0; i < formats->count(); ++i) {
        items << formats->itemText(i);
    }
    const int format = encodeRules::dropFormat(items, path);
    if (format >= 0) {
        formats->setCurrentIndex(format);
    }
    QLineEdit* box = source ? txtEncodeSrc : txtEncodeTo;
    box->setText(path);
    box->setFocus();
}

bool EncodeTab::eventFilter(QObject* watched, QEvent* event) {
    const bool source = watched == txtEncodeSrc;
    if ((source || watched == txtEncodeTo) &&
        takeFileDrop(event,
                     [this, source](const QMimeData& dropped) { dropOn(source, dropped); })) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void EncodeTab::cmdMediaEncode_Click() {
    if (QWidget* focused = QApplication::focusWidget();
        focused != nullptr && isAncestorOf(focused)) {
        focused->clearFocus();
    }
    QWidget* owner = window();
    const QString src = encodeRules::absolutePath(txtEncodeSrc->text());
    const QString dst = encodeRules::absolutePath(txtEncodeTo->text());
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
    EncodeSettings chosen;
    chosen.panel = m_panel;
    chosen.videoSize = cboVideoSize->currentText();
    chosen.frameRate = cboVideoFramerate->currentText();
    chosen.videoBitrate = cboVideoBitrate->currentText();
    chosen.samplingRate = cboAudioSamplingRate->currentText();
    chosen.audioBitrate = cboAudioBitrate->currentText();
    chosen.channels = cboAudioChannel->currentText();
    tool.build = [chosen](const JobRequest& request) {
        return std::make_unique<EncodeJob>(request.sources.first(), request.outputs.first(),
                                           chosen);
    };
    JobFront::run(BusySession::shared(), tool);
}
