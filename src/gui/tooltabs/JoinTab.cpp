#include "gui/tooltabs/JoinTab.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/JobFront.h"
#include "core/jobs/JoinJob.h"
#include "core/lists/PlaylistModel.h"
#include "gui/busy/BusySession.h"
#include "gui/playlist/PlaylistView.h"
#include "gui/playlist/frmListTexts.h"
#include "gui/tooltabs/ToolTabTexts.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace t = toolTabTexts;

JoinTab::JoinTab(PlaylistModel& list, QWidget* panel) : ToolTab(panel), m_list(list) {
    setObjectName(QStringLiteral("picJoin"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    cmdMediaJoin = makeRunButton(QStringLiteral("cmdMediaJoin"));
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(cmdMediaJoin);
    layout->addLayout(row);
    refresh();
}

void JoinTab::setView(PlaylistView* view) {
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, view, 1);
}

QString JoinTab::runCaption() const {
    return t::runJoin();
}

QString JoinTab::note() const {
    qint64 bytes = 0;
    for (const QString& path : m_list.lines()) {
        const QFileInfo info(path);
        if (info.isFile()) {
            bytes += info.size();
        }
    }
    QLocale grouped = QLocale::c();
    grouped.setNumberOptions(QLocale::DefaultNumberOptions);
    return frmListTexts::joinTotal(grouped.toString((bytes + 1023) / 1024));
}

void JoinTab::refresh() {
    setRunnable(m_list.count() >= 2, t::joinNeedsTwo());
}

int JoinTab::firstRefused() const {
    const FileObject& fso = FileObject::shared();
    QString previous;
    for (int i = 0; i < m_list.count(); ++i) {
        const QString path = m_list.path(i);
        const QString ext = fso.GetExtensionName(path).toLower();
        if ((i > 0 && ext != previous) || !isEditableFile(path) || !fso.FileExists(path)) {
            return i;
        }
        previous = ext;
    }
    return -1;
}

void JoinTab::run() {
    QStringList files;
    for (int i = 0; i < m_list.count(); ++i) {
        files << m_list.path(i);
    }
    JobFront::Tool tool;
    tool.kind = ToolOperation::Join;
    tool.owner = window();
    tool.validate = [this] {
        const int refused = firstRefused();
        if (refused < 0 && m_list.count() >= 2) {
            return true;
        }
        msgBox(t::joinRefused(), MsgButtons::Ok, titles::notice(), MsgIcon::None, window());
        if (refused >= 0) {
            m_list.setListIndex(refused);
        }
        return false;
    };
    tool.choose = [this, files](JobRequest& request) {
        const QString first = files.value(0);
        const QString ext = FileObject::shared().GetExtensionName(first).toLower();
        const QString chosen = askSaveFile(first, ext, JoinJob::proposedName(first));
        request.sources = files;
        request.outputs = QStringList{chosen};
        return !chosen.isEmpty();
    };
    tool.build = [](const JobRequest& request) {
        return std::make_unique<JoinJob>(request.sources, request.outputs.first());
    };
    JobFront::run(BusySession::shared(), tool);
}
