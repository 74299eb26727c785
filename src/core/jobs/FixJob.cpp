#include "core/jobs/FixJob.h"
#include "core/common/AppPaths.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "core/jobs/ToolCommands.h"

#include <QFile>

namespace {

// Shares of the job's time: the metadata pass reads the copy once more.
constexpr double copyShare = 1.0;
constexpr double metaShare = 0.5;

}  // namespace

QString FixJob::intermediateName(const QString& ext) {
    return QStringLiteral("~fix~tmpSP.") + ext;
}

QString FixJob::proposedName(const QString& source) {
    const FileObject& fso = FileObject::shared();
    return fso.GetBaseName(source) + QStringLiteral("_fix.") +
           fso.GetExtensionName(source).toLower();
}

FixJob::FixJob(const QString& source, const QString& dest)
    : ToolJob(FileObject::shared().GetParentFolderName(dest)),
      m_source(source),
      m_ext(FileObject::shared().GetExtensionName(source).toLower()),
      m_family(containerFamily(m_ext)) {
    setOutput(dest);
    setSources({source});
    setToolMode(QStringLiteral("Fix") + QString::number(m_family));
    setStepCount(1);
    beginStep(1);
    // An older destination goes first; one that cannot be deleted ends the job before any
    // tool runs.
    addClaimStep(output());
    switch (m_family) {
        case 1:
            addFlvRepair();
            break;
        case 2:
            addRun(fixMpegCommand(AppPaths::running().ffmpeg(), m_source, output()), copyShare,
                   output(), OnEmpty::Fail);
            break;
        default:
            // A container that cannot hold the sound as it is leaves an empty file: the sound
            // may then be re-encoded, if the user agrees.
            addRun(fixOtherCommand(AppPaths::running().mencoder(), m_source, output()), copyShare,
                   output(), OnEmpty::AskReencode,
                   fixOtherCommand(AppPaths::running().mencoder(), m_source, output(), true));
            break;
    }
}

void FixJob::addFlvRepair() {
    const QString copy = intermediateName(m_ext);
    addRun(fixFlvCommand(AppPaths::running().ffmpeg(), m_source, m_ext), copyShare, copy,
           OnEmpty::Fail);
    addRun(metaCommand(AppPaths::running().flvMeta(), copy), metaShare, copy, OnEmpty::Fail);
    addFileStep([this, copy] { return QFile::rename(path(copy), output()); });
}
