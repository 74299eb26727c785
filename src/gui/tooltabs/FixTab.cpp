#include "gui/tooltabs/FixTab.h"

#include "core/common/AppWindows.h"
#include "core/common/PlayerWindow.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/FixJob.h"
#include "core/jobs/JobFront.h"
#include "core/lists/PlaylistModel.h"
#include "gui/busy/BusySession.h"
#include "gui/playlist/frmList.h"
#include "gui/playlist/frmListTexts.h"
#include "gui/widgets/FileDrop.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/widgets/ZelvoPictures.h"

#include <QAction>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

namespace t = frmListTexts;

namespace {

constexpr int kButton = 22;

}  // namespace

FixTab::FixTab(frmList& owner, QWidget* panel) : QWidget(panel), m_owner(owner) {
    setObjectName(QStringLiteral("picFix"));
    lblFix = new QLabel(t::fixExplain(), this);
    lblFix->setObjectName(QStringLiteral("lblFix"));
    lblFix->setWordWrap(true);
    txtMdFix = new QLineEdit(this);
    txtMdFix->setObjectName(QStringLiteral("txtMdFix"));
    mbMdFix = new ZelvoButton(this);
    mbMdFix->setObjectName(QStringLiteral("mbMdFix"));
    mbMdFix->setPicture(ZelvoPictures::picture(ButtonPicture::Open));
    mbMdFix->setFixedSize(kButton, kButton);
    // The tool tabs leave their own buttons usable.
    mbMdFix->setProperty("Tag", QStringLiteral("on"));
    cmdMediaFix = new QPushButton(t::runFix(), this);
    cmdMediaFix->setObjectName(QStringLiteral("cmdMediaFix"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(10);
    layout->addWidget(lblFix);
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(txtMdFix, 1);
    sourceRow->addWidget(mbMdFix);
    layout->addLayout(sourceRow);
    layout->addWidget(cmdMediaFix, 0, Qt::AlignRight);
    layout->addStretch(1);
    panel->layout()->addWidget(this);

    // Drops on the box name the source; Qt's own would insert the dropped text.
    txtMdFix->installEventFilter(this);
    connect(txtMdFix, &QLineEdit::textChanged, this, &FixTab::refresh);
    connect(mbMdFix, &ZelvoButton::Click, this, &FixTab::mbMdFix_Click);
    connect(cmdMediaFix, &QPushButton::clicked, this, &FixTab::cmdMediaFix_Click);
    refresh();
}

QString FixTab::source() const {
    return txtMdFix->text().trimmed();
}

void FixTab::tabShown() {
    refresh();
}

void FixTab::refresh() {
    const QString path = source();
    const bool exists = !path.isEmpty() && FileObject::shared().FileExists(path);
    cmdMediaFix->setEnabled(exists);
    txtMdFix->setToolTip(exists ? path : t::dropHint());
    if (m_owner.curListId() == 40) {
        m_owner.mnuPlaySpec->setEnabled(exists);
        m_owner.mnuPlaySpec->setData(exists ? path : QString());
    }
}

void FixTab::mbMdFix_Click() {
    CommDialog dialog;
    dialog.setOwnerWindow(&m_owner);
    dialog.setFilter(openFilter);
    dialog.setFilterIndex(1);
    const QString chosen = dialog.ShowOpen(true, false);
    if (!chosen.isEmpty()) {
        txtMdFix->setText(chosen);
    }
}

void FixTab::cmdMediaFix_Click() {
    JobFront::Tool tool;
    tool.kind = ToolOperation::Repair;
    tool.owner = &m_owner;
    tool.validate = [this] {
        const QString src = source();
        if (!FileObject::shared().FileExists(src) || !isEditableFile(src)) {
            msgBox(t::fixUnsupported(), MsgButtons::Ok, titles::notice(), MsgIcon::None, &m_owner);
            return false;
        }
        return true;
    };
    tool.choose = [this](JobRequest& request) {
        const QString src = source();
        const QString dest = chooseDestination(src);
        request.sources = QStringList{src};
        request.outputs = QStringList{dest};
        return !dest.isEmpty();
    };
    tool.build = [](const JobRequest& request) {
        return std::make_unique<FixJob>(request.sources.first(), request.outputs.first());
    };
    JobFront::run(BusySession::shared(), tool);
}

QString FixTab::chooseDestination(const QString& src) const {
    const QString ext = FileObject::shared().GetExtensionName(src).toLower();
    CommDialog dialog;
    dialog.setOwnerWindow(&m_owner);
    dialog.setInitDir(getWorkDir(src));
    dialog.setFilter(t::fixFilter(ext));
    dialog.setFilterIndex(1);
    dialog.setDefaultExt(QStringLiteral(".") + ext);
    dialog.setFileName(FixJob::proposedName(src));
    return dialog.ShowSave(true);
}

void FixTab::dropFiles(const QMimeData& dropped) {
    // The list of a drop begins with the last file dropped.
    const QStringList files = droppedFiles(dropped);
    if (files.isEmpty()) {
        return;
    }
    txtMdFix->setText(files.constLast());
    txtMdFix->setFocus();
}

bool FixTab::eventFilter(QObject* watched, QEvent* event) {
    return watched == txtMdFix &&
           takeFileDrop(event, [this](const QMimeData& dropped) { dropFiles(dropped); });
}
