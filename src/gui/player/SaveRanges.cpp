#include "gui/player/SaveRanges.h"

#include "core/common/AppPaths.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/DestinationPolicy.h"
#include "core/jobs/JobFront.h"
#include "core/jobs/SaveRangesJob.h"
#include "core/jobs/ToolCommands.h"
#include "core/lists/ListFiles.h"
#include "core/media/MCI.h"
#include "core/player/MarksModel.h"
#include "core/player/PlayerState.h"
#include "core/settings/CutOptions.h"
#include "gui/busy/BusySession.h"
#include "gui/player/MainMenus.h"
#include "gui/player/PlaybackControl.h"
#include "gui/player/PlayerParts.h"
#include "gui/player/RangeMarks.h"
#include "gui/player/frmMainTexts.h"
#include "gui/playlist/frmListTexts.h"
#include "gui/windows/ListWindow.h"

#include <QFile>
#include <QFrame>
#include <QMainWindow>
#include <QSaveFile>

namespace {

void errorBox(const QString& text, QObject* owner) {
    msgBox(text, MsgButtons::Ok, titles::error(), MsgIcon::None, owner);
}

// Copies from to to through a temporary file beside to, so a failed copy leaves an
// older file of that name as it was.
bool copyFile(const QString& from, const QString& to) {
    QFile in(from);
    QSaveFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        return false;
    }
    constexpr qint64 chunk = 1 << 20;
    while (!in.atEnd()) {
        const QByteArray data = in.read(chunk);
        if (data.isEmpty() || out.write(data) != data.size()) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}

}  // namespace

void SaveRanges::saveRanges(int mode) {
    MarksModel& marks = m_p.marks;
    const FileObject& fso = FileObject::shared();
    const auto jobMode = mode == 0 ? SaveRangesJob::Cut : SaveRangesJob::Split;
    JobFront::Tool tool;
    tool.kind = mode == 0 ? ToolOperation::SaveCut : ToolOperation::SaveSplit;
    tool.owner = &m_p.window;
    tool.validate = [this, &marks, &fso, mode] {
        if (marks.lastSegmentOpen()) {
            m_p.rangeMarks->mbRngEnd_Click();
        }
        const QString source = m_p.session.FileName();
        if (m_p.state.secPerFrame <= 0 || !fso.FileExists(source) || marks.isEmpty()) {
            errorBox(frmMainTexts::saveNoMarks(), &m_p.window);
            return false;
        }
        if (m_p.session.isAudioOnly()) {
            errorBox(frmMainTexts::saveNoPicture(frmMainTexts::saveModeWord(mode)), &m_p.window);
            return false;
        }
        return msgBox(frmMainTexts::saveConfirm(mode, source), MsgButtons::OkCancel, QString(),
                      MsgIcon::None, &m_p.window) == MsgResult::Ok;
    };
    QList<SaveRangesJob::Range> ranges;
    const bool exact = m_p.menus->mnuExactCut->isChecked();
    tool.choose = [this, &marks, &fso, &ranges, mode, jobMode, exact](JobRequest& request) {
        const QString source = m_p.session.FileName();
        const QString ext = fso.GetExtensionName(source).toLower();
        const QString chosen = chooseOutput(mode, source, ext);
        if (chosen.isEmpty()) {
            return false;
        }
        for (int i = 0; i <= marks.lastSegmentIndex(); ++i) {
            float from = 0.0f;
            float to = 0.0f;
            marks.segmentSeconds(i, from, to);
            SaveRangesJob::Range range{from, to};
            if (exact) {
                // The marked pictures themselves: frames from the first picture.
                const MarksModel::Segment& s = marks.segment(i);
                const double perFrame = static_cast<double>(m_p.state.secPerFrame);
                range.exactStart = s.start * perFrame;
                range.exactEnd = (s.start + s.length) * perFrame;
            }
            ranges << range;
        }
        request.sources = QStringList{source};
        request.outputs =
            SaveRangesJob::outputsFor(jobMode, chosen, ext, static_cast<int>(ranges.size()));
        return true;
    };
    tool.build = [&ranges, jobMode](const JobRequest& request) {
        return std::make_unique<SaveRangesJob>(jobMode, request.sources.first(), request.outputs,
                                               ranges);
    };
    JobFront::run(BusySession::shared(), tool);
}

QString SaveRanges::chooseOutput(int mode, const QString& source, const QString& ext) {
    CommDialog dialog;
    dialog.setOwnerWindow(&m_p.window);
    dialog.setInitDir(getWorkDir(source, m_p.saveFolder()));
    if (mode == 1) {
        dialog.setDialogTitle(frmMainTexts::splitFolderTitle(ext));
        const QString folder = dialog.ShowDir(true);
        dialog.setDialogTitle(QString());
        return folder;
    }
    dialog.setFilter(frmMainTexts::cutFilter(ext));
    dialog.setFilterIndex(1);
    dialog.setDefaultExt(QStringLiteral(".") + ext);
    dialog.setFileName(FileObject::shared().GetBaseName(source) + QStringLiteral("_part.") + ext);
    return dialog.ShowSave(true);
}

void SaveRanges::mnuExactCut_Click(bool on) {
    if (!cutOptions::writeExactCut(AppPaths::running().programFolder(), on)) {
        errorBox(frmMainTexts::settingsNotSaved(), &m_p.window);
    }
}

void SaveRanges::loadExactCut() {
    m_p.menus->mnuExactCut->setChecked(
        cutOptions::readExactCut(AppPaths::running().programFolder()));
}

void SaveRanges::mnuSaveFile_Click() {
    m_p.playback->pausePrFn();
    saveFile(m_p.session.FileName(), false);
}

void SaveRanges::saveFile(const QString& path, bool fromList) {
    if (path.isEmpty()) {
        return;
    }
    const FileObject& fso = FileObject::shared();
    const QString ext = fso.GetExtensionName(fso.GetFileName(path)).toLower();
    CommDialog dialog;
    QWidget* list = m_p.list != nullptr ? m_p.list->form() : nullptr;
    QObject* owner = fromList && list != nullptr ? static_cast<QObject*>(list) : &m_p.window;
    // A playlist may also be saved in the list formats other players read.
    const bool playlist = fromList && isListFile(path);
    dialog.setOwnerWindow(owner);
    dialog.setFilter(playlist ? frmListTexts::saveListFilter() : frmMainTexts::saveFileFilter(ext));
    dialog.setDialogTitle(playlist ? frmListTexts::saveListTitle() : QString());
    dialog.setFilterIndex(1);
    dialog.setFileName(QString());
    dialog.setDefaultExt(QStringLiteral(".") + ext);
    dialog.ShowSave(true);
    const QString chosen = dialog.FileName();
    if (chosen.isEmpty()) {
        return;
    }
    if (playlist && listFileFormat(chosen) != ListFileFormat::Plt) {
        if (!writeListFile(chosen, readListFile(path).items, listFileFormat(chosen))) {
            errorBox(frmMainTexts::saveFileFailed(), owner);
            return;
        }
        BusySession::shared().doneAfterSave(chosen, false, 0, false);
        return;
    }
    // A copy onto itself would truncate the file it reads from: it is already there.
    if (destinationPolicy::sameFile(path, chosen)) {
        errorBox(frmMainTexts::saveSourceConflict(1, path), owner);
        return;
    }
    if (!copyFile(path, chosen)) {
        errorBox(frmMainTexts::saveFileFailed(), owner);
        return;
    }
    BusySession::shared().doneAfterSave(chosen, false, 0, false);
}
