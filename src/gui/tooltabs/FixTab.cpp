#include "gui/tooltabs/FixTab.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/FixJob.h"
#include "core/jobs/JobFront.h"
#include "gui/busy/BusySession.h"
#include "gui/playlist/frmListTexts.h"
#include "gui/tooltabs/SourceBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace t = frmListTexts;

FixTab::FixTab(QWidget* panel) : ToolTab(panel) {
    setObjectName(QStringLiteral("picFix"));
    lblFix = new QLabel(t::fixExplain(), this);
    lblFix->setObjectName(QStringLiteral("lblFix"));
    lblFix->setWordWrap(true);
    source = new SourceBox(QStringLiteral("txtMdFix"), QStringLiteral("mbMdFix"), this);
    txtMdFix = source->box();
    mbMdFix = source->button();
    source->startFolder = [this] { return workDir(sourcePath()); };
    cmdMediaFix = makeRunButton(QStringLiteral("cmdMediaFix"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(10);
    layout->addWidget(lblFix);
    layout->addWidget(source);
    layout->addWidget(cmdMediaFix, 0, Qt::AlignRight);
    layout->addStretch(1);

    connect(source, &SourceBox::changed, this, &FixTab::refresh);
    refresh();
}

QString FixTab::runCaption() const {
    return t::runFix();
}

QString FixTab::sourcePath() const {
    return source->path();
}

void FixTab::refresh() {
    const bool exists = source->exists();
    source->showUsable(exists);
    setRunnable(exists, sourcePath().isEmpty() ? t::missingSource() : t::sourceGone(sourcePath()));
    setPlayable(exists ? sourcePath() : QString());
}

void FixTab::run() {
    JobFront::Tool tool;
    tool.kind = ToolOperation::Repair;
    tool.owner = window();
    tool.validate = [this] {
        const QString src = sourcePath();
        if (!FileObject::shared().FileExists(src) || !isEditableFile(src)) {
            msgBox(t::fixUnsupported(), MsgButtons::Ok, titles::notice(), MsgIcon::None, window());
            return false;
        }
        return true;
    };
    tool.choose = [this](JobRequest& request) {
        const QString src = sourcePath();
        const QString dest = askSaveFile(src, FileObject::shared().GetExtensionName(src).toLower(),
                                         FixJob::proposedName(src));
        request.sources = QStringList{src};
        request.outputs = QStringList{dest};
        return !dest.isEmpty();
    };
    tool.build = [](const JobRequest& request) {
        return std::make_unique<FixJob>(request.sources.first(), request.outputs.first());
    };
    JobFront::run(BusySession::shared(), tool);
}
