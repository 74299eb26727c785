// The playlist window's batches: one tool over many entries of a playlist, with one output
// folder asked once, one busy window and one report; and folders added to a list.
#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/BatchPlan.h"
#include "core/jobs/BatchTexts.h"
#include "core/jobs/DestinationPolicy.h"
#include "core/jobs/EncodeJob.h"
#include "core/jobs/EncodeRules.h"
#include "core/jobs/FixJob.h"
#include "core/jobs/JobQueue.h"
#include "core/jobs/SaveRangesJob.h"
#include "core/jobs/SnapshotJob.h"
#include "gui/busy/BusySession.h"
#include "gui/playlist/frmList.h"
#include "gui/playlist/frmListTexts.h"
#include "gui/tooltabs/EncodeTab.h"
#include "gui/tooltabs/SnapTab.h"
#include "gui/tooltabs/SplitTab.h"
#include "gui/windows/PlayerWindow.h"

#include <QAction>
#include <QDir>
#include <QHash>
#include <QMenu>
#include <QMenuBar>

#include <memory>

namespace t = frmListTexts;
namespace b = batchTexts;

namespace {

// The name of a file without its folder and extension, and its extension in lower case.
QString baseOf(const QString& path) {
    return FileObject::shared().GetBaseName(path);
}
QString extOf(const QString& path) {
    return FileObject::shared().GetExtensionName(path).toLower();
}

// What the destination policy refuses of one file's job ("" nothing).
QString refusal(ToolOperation op, const QString& source, const QStringList& outputs) {
    JobRequest request;
    request.kind = op;
    request.sources = QStringList{source};
    request.outputs = outputs;
    return destinationPolicy::text(destinationPolicy::check(request));
}

// A whole number the user types for every file of a batch; 0 when cancelled or not one.
int askNumber(const QString& prompt, const QString& proposed, int least, int most, QWidget* owner) {
    bool cancelled = false;
    const QString typed = inputBox(prompt, QString(), proposed, owner, &cancelled);
    if (cancelled) {
        return 0;
    }
    bool ok = false;
    const int n = typed.trimmed().toInt(&ok);
    return ok && n >= least && n <= most ? n : 0;
}

// Every entry's path, the sources of the batch.
QStringList pathsOf(const QList<PlaylistEntry>& entries) {
    QStringList paths;
    for (const PlaylistEntry& e : entries) {
        paths << e.path;
    }
    return paths;
}

// The queue's files: each with the reason it is skipped, if it is.
void addAll(JobQueue& queue, const QList<PlaylistEntry>& entries,
            const std::function<bool(const QString&)>& takes, const QString& word) {
    QStringList earlier;
    for (const PlaylistEntry& e : entries) {
        queue.add(e.path, batchPlan::precheck(e.path, earlier, takes, word));
        earlier << e.path;
    }
}

}  // namespace

// ---- folders --------------------------------------------------------------------------------

void frmList::mnuAddDir_Click() {
    if (m_activeList == nullptr) {
        return;
    }
    BusySession::shared().pausePlayer();
    CommDialog dialog;
    dialog.setOwnerWindow(this);
    dialog.setDialogTitle(t::addDirPrompt());
    const QString picked = dialog.ShowDir(true);
    if (picked.isEmpty()) {
        return;
    }
    const QString folder = QDir::cleanPath(picked);
    const QStringList files = mediaFilesIn(folder);
    if (files.isEmpty()) {
        emptyFoldersDropped({folder});
        return;
    }
    m_activeList->addItems(files, !addsAtEnd());
    refreshButtons();
    fitListWidth();
}

void frmList::emptyFoldersDropped(const QStringList& folders) {
    msgBox(t::noMediaIn(folders), MsgButtons::Ok, titles::notice(), MsgIcon::Exclamation, this);
}

// ---- the batch menu -------------------------------------------------------------------------

void frmList::buildBatchMenu() {
    mnuBatch = menuBar()->addMenu(t::mnuBatch());
    mnuBatch->setObjectName(QStringLiteral("mnuBatch"));
    const auto item = [this](const QString& name, const QString& text, void (frmList::*slot)()) {
        QAction* action = mnuBatch->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    mnuBatchFix =
        item(QStringLiteral("mnuBatchFix"), t::mnuBatchFix(), &frmList::mnuBatchFix_Click);
    mnuBatchEncode =
        item(QStringLiteral("mnuBatchEncode"), t::mnuBatchEncode(), &frmList::mnuBatchEncode_Click);
    mnuBatchSplit =
        item(QStringLiteral("mnuBatchSplit"), t::mnuBatchSplit(), &frmList::mnuBatchSplit_Click);
    mnuBatchSnap =
        item(QStringLiteral("mnuBatchSnap"), t::mnuBatchSnap(), &frmList::mnuBatchSnap_Click);
    mnuBatchSaveRng = item(QStringLiteral("mnuBatchSaveRng"), t::mnuBatchSaveRng(),
                           &frmList::mnuBatchSaveRng_Click);
    connect(mnuBatch, &QMenu::aboutToShow, this, &frmList::refreshBatchMenu);
}

void frmList::refreshBatchMenu() {
    const QList<PlaylistEntry> entries = batchEntries();
    const bool any = !entries.isEmpty() && !BusySession::shared().isRunningJob();
    for (QAction* action : {mnuBatchFix, mnuBatchEncode, mnuBatchSplit, mnuBatchSnap}) {
        action->setEnabled(any);
    }
    mnuBatchSaveRng->setEnabled(any &&
                                std::any_of(entries.cbegin(), entries.cend(),
                                            [](const PlaylistEntry& e) { return e.hasMarks(); }));
}

QList<PlaylistEntry> frmList::batchEntries() const {
    const PlaylistModel* list = m_curListId < 10 && m_curList != nullptr
                                    ? m_curList
                                    : lstMn[static_cast<size_t>(m_lastPlaylist)];
    const QList<int> rows = list->selectedRows();
    if (rows.size() < 2) {
        return list->entries();
    }
    QList<PlaylistEntry> entries;
    for (const int row : rows) {
        entries << list->entry(row);
    }
    return entries;
}

QString frmList::askBatchFolder(const QList<PlaylistEntry>& entries) {
    CommDialog dialog;
    dialog.setOwnerWindow(this);
    dialog.setInitDir(getWorkDir(entries.first().path, saveFolder()));
    dialog.setDialogTitle(t::batchFolderPrompt(static_cast<int>(entries.size())));
    const QString folder = dialog.ShowDir(true);
    return folder.isEmpty() ? QString() : addSeparator(folder);
}

void frmList::runBatch(JobQueue& queue) {
    BusySession::shared().runQueue(queue, this);
    BusySession::shared().showBatchReport(queue, this);
}

// ---- the tools ------------------------------------------------------------------------------

void frmList::mnuBatchFix_Click() {
    BusySession::shared().pausePlayer();
    const QList<PlaylistEntry> entries = batchEntries();
    if (entries.isEmpty() || BusySession::shared().isRunningJob()) {
        return;
    }
    const QString folder = askBatchFolder(entries);
    if (folder.isEmpty()) {
        return;
    }
    JobQueue queue(ToolOperation::Repair);
    addAll(queue, entries, isEditableFile, QStringLiteral("修復"));
    const QStringList sources = pathsOf(entries);
    QStringList taken;
    queue.setBuilder([&](const QString& src, const batchPlan::MediaFacts&, QString* skip) {
        const QString dest = batchPlan::uniqueName(folder, baseOf(src), QStringLiteral("_fix"),
                                                   extOf(src), taken, sources);
        *skip = refusal(ToolOperation::Repair, src, {dest});
        return skip->isEmpty() ? std::make_unique<FixJob>(src, dest) : nullptr;
    });
    runBatch(queue);
}

void frmList::mnuBatchEncode_Click() {
    BusySession::shared().pausePlayer();
    const QList<PlaylistEntry> entries = batchEntries();
    if (entries.isEmpty() || BusySession::shared().isRunningJob()) {
        return;
    }
    const EncodeTab* panel = encodeTab(m_encodePanel);
    const QString from = panel->sourceFormat();
    const QString to = panel->targetFormat();
    const EncodeSettings settings = panel->chosenSettings();
    if (msgBox(t::batchEncodeConfirm(static_cast<int>(entries.size()), from, to),
               MsgButtons::OkCancel, QString(), MsgIcon::None, this) != MsgResult::Ok) {
        return;
    }
    const QString folder = askBatchFolder(entries);
    if (folder.isEmpty()) {
        return;
    }
    JobQueue queue(ToolOperation::Convert);
    addAll(
        queue, entries,
        [from](const QString& path) { return encodeRules::sourceValid(path, from); },
        QStringLiteral("轉檔"));
    const QStringList sources = pathsOf(entries);
    QStringList taken;
    queue.setBuilder([&](const QString& src, const batchPlan::MediaFacts&, QString* skip) {
        const QString dest =
            batchPlan::uniqueName(folder, baseOf(src), QString(), to.toLower(), taken, sources);
        const encodeRules::Refusal refused =
            encodeRules::check(settings.panel, src, dest, settings.frameRate);
        *skip = refused != encodeRules::Refusal::None
                    ? encodeRules::refusalText(refused)
                    : refusal(ToolOperation::Convert, src, {dest});
        return skip->isEmpty() ? std::make_unique<EncodeJob>(src, dest, settings) : nullptr;
    });
    runBatch(queue);
}

void frmList::mnuBatchSplit_Click() {
    BusySession::shared().pausePlayer();
    const QList<PlaylistEntry> entries = batchEntries();
    if (entries.isEmpty() || BusySession::shared().isRunningJob()) {
        return;
    }
    // The split tab's equal parts or seconds, when it has them; else the parts are asked.
    splitPlan::SplitInput input = static_cast<SplitTab*>(toolTab(21))->input();
    if (input.mode > splitPlan::SplitMode::Seconds || input.each <= 0) {
        const int parts = askNumber(t::batchAskParts(), QStringLiteral("2"), 2, 99, this);
        if (parts == 0) {
            return;
        }
        input = splitPlan::SplitInput();
        input.mode = splitPlan::SplitMode::Parts;
        input.each = parts;
    }
    const QString folder = askBatchFolder(entries);
    if (folder.isEmpty()) {
        return;
    }
    JobQueue queue(ToolOperation::Split);
    queue.setProbing(true);
    addAll(queue, entries, isEditableFile, QStringLiteral("切割"));
    QStringList folders;
    QStringList made;
    queue.setBuilder([&](const QString& src, const batchPlan::MediaFacts& facts, QString* skip) {
        if (facts.seconds <= 0) {
            *skip = b::unknownLength();
            return std::unique_ptr<ToolJob>();
        }
        const splitPlan::Split split = splitPlan::split(input, facts.media());
        if (!split.valid) {
            *skip = b::badNumbers();
            return std::unique_ptr<ToolJob>();
        }
        const QString ext = extOf(src);
        const QString dir = batchPlan::uniqueFolder(folder, baseOf(src), folders);
        const QStringList outputs = SaveRangesJob::outputsFor(
            SaveRangesJob::Split, dir, ext, static_cast<int>(split.pieces.size()));
        *skip = refusal(ToolOperation::Split, src, outputs);
        if (!skip->isEmpty()) {
            return std::unique_ptr<ToolJob>();
        }
        if (!QFileInfo::exists(dir)) {
            QDir().mkpath(dir);
            made << dir;
        }
        return std::unique_ptr<ToolJob>(
            std::make_unique<SaveRangesJob>(SaveRangesJob::Split, src, outputs, split.pieces));
    });
    runBatch(queue);
    // A folder made for a file that then failed is not left behind empty.
    for (const QString& dir : std::as_const(made)) {
        QDir().rmdir(dir);
    }
}

void frmList::mnuBatchSnap_Click() {
    BusySession::shared().pausePlayer();
    const QList<PlaylistEntry> entries = batchEntries();
    if (entries.isEmpty() || BusySession::shared().isRunningJob()) {
        return;
    }
    const auto* snapTab = static_cast<SnapTab*>(toolTab(30));
    splitPlan::SnapInput input = snapTab->input();
    const QString img = snapTab->pictureType();
    // The snapshot tab's choice when it makes sense for any file; else the count is asked.
    const bool usable =
        (input.choice == splitPlan::SnapChoice::Moment && input.momentGiven) ||
        (input.choice == splitPlan::SnapChoice::Whole &&
         (input.spacing == splitPlan::SnapSpacing::Count ? input.count >= 1 : input.interval > 0));
    if (!usable) {
        const int pictures =
            askNumber(t::batchAskPictures(), QStringLiteral("4"), 1, splitPlan::maxPictures, this);
        if (pictures == 0) {
            return;
        }
        input = splitPlan::SnapInput();
        input.choice = splitPlan::SnapChoice::Whole;
        input.spacing = splitPlan::SnapSpacing::Count;
        input.count = pictures;
    }
    const QString folder = askBatchFolder(entries);
    if (folder.isEmpty()) {
        return;
    }
    JobQueue queue(ToolOperation::Snapshot);
    queue.setProbing(true);
    addAll(queue, entries, isEditableFile, QStringLiteral("截圖"));
    const QStringList sources = pathsOf(entries);
    QStringList taken;
    QStringList made;
    queue.setBuilder([&](const QString& src, const batchPlan::MediaFacts& facts, QString* skip) {
        if (!facts.video) {
            *skip = facts.seconds > 0 ? b::noPicture() : b::unknownLength();
            return std::unique_ptr<ToolJob>();
        }
        const splitPlan::Snapshot shots = splitPlan::snapshot(input, facts.media());
        if (!shots.valid) {
            *skip = b::badNumbers();
            return std::unique_ptr<ToolJob>();
        }
        QStringList outputs;
        QString dir;
        if (shots.single) {
            outputs << batchPlan::uniqueName(folder, baseOf(src), QStringLiteral("_snapshot"), img,
                                             taken, sources);
        } else {
            dir = batchPlan::uniqueFolder(folder, baseOf(src), taken);
            outputs = SnapshotJob::seriesOutputs(dir, img, static_cast<int>(shots.times.size()));
        }
        *skip = refusal(ToolOperation::Snapshot, src, outputs);
        if (!skip->isEmpty()) {
            return std::unique_ptr<ToolJob>();
        }
        if (!dir.isEmpty() && !QFileInfo::exists(dir)) {
            QDir().mkpath(dir);
            made << dir;
        }
        return std::unique_ptr<ToolJob>(
            std::make_unique<SnapshotJob>(src, outputs, shots.times, img));
    });
    runBatch(queue);
    for (const QString& dir : std::as_const(made)) {
        QDir().rmdir(dir);
    }
}

void frmList::mnuBatchSaveRng_Click() {
    BusySession::shared().pausePlayer();
    const QList<PlaylistEntry> entries = batchEntries();
    if (entries.isEmpty() || BusySession::shared().isRunningJob()) {
        return;
    }
    if (std::none_of(entries.cbegin(), entries.cend(),
                     [](const PlaylistEntry& e) { return e.hasMarks(); })) {
        msgBox(t::batchNoMarked(), MsgButtons::Ok, titles::notice(), MsgIcon::None, this);
        return;
    }
    const QString folder = askBatchFolder(entries);
    if (folder.isEmpty()) {
        return;
    }
    JobQueue queue(ToolOperation::SaveCut);
    queue.setProbing(true);
    QStringList earlier;
    QHash<QString, QString> marksOf;
    for (const PlaylistEntry& e : entries) {
        QString skip = batchPlan::precheck(e.path, earlier, isEditableFile, QStringLiteral("剪輯"));
        if (skip.isEmpty() && !e.hasMarks()) {
            skip = b::noMarks();
        }
        queue.add(e.path, skip);
        earlier << e.path;
        marksOf.insert(e.path, e.marks);
    }
    const QStringList sources = pathsOf(entries);
    QStringList taken;
    queue.setBuilder([&](const QString& src, const batchPlan::MediaFacts& facts, QString* skip) {
        if (!facts.video) {
            *skip = facts.seconds > 0 ? b::noPicture() : b::unknownLength();
            return std::unique_ptr<ToolJob>();
        }
        const QList<SaveRangesJob::Range> ranges =
            batchPlan::marksRanges(marksOf.value(src), facts);
        if (ranges.isEmpty()) {
            *skip = b::marksMisfit();
            return std::unique_ptr<ToolJob>();
        }
        const QString dest = batchPlan::uniqueName(folder, baseOf(src), QStringLiteral("_part"),
                                                   extOf(src), taken, sources);
        *skip = refusal(ToolOperation::SaveCut, src, {dest});
        if (!skip->isEmpty()) {
            return std::unique_ptr<ToolJob>();
        }
        return std::unique_ptr<ToolJob>(
            std::make_unique<SaveRangesJob>(SaveRangesJob::Cut, src, QStringList{dest}, ranges));
    });
    runBatch(queue);
}
