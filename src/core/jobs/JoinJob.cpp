#include "core/jobs/JoinJob.h"
#include "core/common/AppPaths.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "core/jobs/ToolCommands.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// Shares of the job's time: a look at a file is quick, the remux of the joined file is
// mostly a link, the metadata pass reads it whole.
constexpr double probeShare = 0.02;
constexpr double remuxShare = 0.1;
constexpr double metaShare = 0.5;

}  // namespace

QString JoinJob::proposedName(const QString& first) {
    const FileObject& fso = FileObject::shared();
    return fso.GetBaseName(first) + QStringLiteral("_merge.") +
           fso.GetExtensionName(first).toLower();
}

JoinJob::JoinJob(const QStringList& files, const QString& dest)
    : ToolJob(FileObject::shared().GetParentFolderName(dest)),
      m_files(files),
      m_ext(FileObject::shared().GetExtensionName(files.value(0)).toLower()),
      m_family(containerFamily(m_ext)) {
    setOutput(dest);
    setSources(files);
    setToolMode(QStringLiteral("Edit") + QString::number(m_family));
    // The whole join counts as one step.
    setStepCount(1);
    beginStep(1);
    double megabytes = 0.0;
    // FLV files set up alike need no closer look: the probes, which take a tenth of a second
    // each, run only for files that are not.
    addFileStep([this] {
        QByteArray first;
        m_alike = true;
        for (const QString& file : m_files) {
            const QByteArray setUp = joinCheck::flvSetUp(file);
            if (first.isEmpty()) {
                first = setUp;
            }
            m_alike = m_alike && !setUp.isEmpty() && setUp == first;
        }
        return true;
    });
    for (const QString& file : files) {
        megabytes += static_cast<double>(QFileInfo(file).size()) / 1e6;
        addProbe(
            joinCheck::probeCommand(file), probeShare,
            [this](const QByteArray& output) { m_streams << joinCheck::readProbe(output); },
            [this] { return !m_alike; });
    }
    addFileStep([this] {
        const QStringList differences = joinCheck::differences(m_streams);
        if (differences.isEmpty() || !askGoOn || askGoOn(joinCheck::question(differences))) {
            return true;
        }
        decline();
        return false;
    });
    // An older destination goes only once the user has chosen to join.
    addClaimStep(output());
    addJoin(std::max(1.0, megabytes));
}

void JoinJob::addJoin(double weight) {
    const QString join = QStringLiteral("~tmpSJoin.") + m_ext;
    if (m_family == 3) {
        // A container that cannot hold the sound as it is leaves an empty file: the sound
        // may then be re-encoded, if the user agrees.
        addRun(joinFilesToCommand(AppPaths::running().mencoder(), output(), m_files), weight,
               output(), OnEmpty::AskReencode,
               joinFilesToCommand(AppPaths::running().mencoder(), output(), m_files, true));
        return;
    }
    addRun(joinFilesCommand(AppPaths::running().mencoder(), m_ext, m_files), weight, join,
           OnEmpty::Fail);
    if (m_family == 2) {
        addRun(remuxToCommand(AppPaths::running().ffmpeg(), join, output()), weight * remuxShare,
               output(), OnEmpty::Fail);
        return;
    }
    const QString fixed = QStringLiteral("~fix") + join;
    addRun(remuxCommand(AppPaths::running().ffmpeg(), join), weight * remuxShare, fixed,
           OnEmpty::Fail);
    addFileStep([this, join] {
        killFile(path(join));
        return true;
    });
    addRun(metaCommand(AppPaths::running().flvMeta(), fixed), weight * metaShare, fixed,
           OnEmpty::Fail);
    addFileStep([this, fixed] { return QFile::rename(path(fixed), output()); });
}
