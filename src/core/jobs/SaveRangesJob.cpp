#include "core/jobs/SaveRangesJob.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "core/jobs/ToolCommands.h"
#include "core/jobs/ToolTexts.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>

namespace {

QString threeDigits(int index) {
    return QStringLiteral("%1").arg(index + 1, 3, 10, QLatin1Char('0'));
}

// Two names for one file: the same path after links are resolved, or one file under two
// hard links. A name that does not exist is no other file.
bool sameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    if (!fa.exists() || !fb.exists()) {
        return false;
    }
    if (fa.canonicalFilePath() == fb.canonicalFilePath()) {
        return true;
    }
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

SaveRangesJob::Range SaveRangesJob::wholeSeconds(float startSec, float endSec) {
    const int ss = static_cast<int>(cutToHundredths(startSec));
    const int length = ceilSingle(endSec) - ss;
    return {QString::number(ss), QString::number(length)};
}

QString SaveRangesJob::partName(int index, const QString& ext) {
    return QStringLiteral("~tmpSP") + threeDigits(index) + QLatin1Char('.') + ext;
}

QString SaveRangesJob::splitName(int index, const QString& ext) {
    return QStringLiteral("split_") + threeDigits(index) + QLatin1Char('.') + ext;
}

SaveRangesJob::Conflict SaveRangesJob::conflict(Mode mode, const QString& source,
                                                const QString& outPath, int count) {
    const FileObject& fso = FileObject::shared();
    if (mode == Cut && sameFile(source, outPath)) {
        return Conflict::SameFile;
    }
    const QString folder = fso.GetParentFolderName(outPath);
    if (mode == Split) {
        const QString ext = fso.GetExtensionName(source).toLower();
        for (int i = 0; i < count; ++i) {
            if (sameFile(source, folder + splitName(i, ext))) {
                return Conflict::SplitName;
            }
        }
    }
    for (const QString& pattern : {toolTexts::tempPattern(), toolTexts::fixTempPattern()}) {
        for (const QString& temporary : fso.matchFiles(folder + pattern)) {
            if (sameFile(source, temporary)) {
                return Conflict::TempName;
            }
        }
    }
    return Conflict::None;
}

namespace {

// Shares of a segment's time the runs after its cut take, as measured on large files: the
// remux of a part the tools just wrote is mostly a link, the metadata pass reads it whole.
constexpr double remuxShare = 0.1;
constexpr double metaShare = 0.5;

}  // namespace

SaveRangesJob::SaveRangesJob(Mode mode, const QString& source, const QString& outPath,
                             const QList<Range>& ranges)
    : ToolJob(FileObject::shared().GetParentFolderName(outPath)),
      m_mode(mode),
      m_source(source),
      m_ext(FileObject::shared().GetExtensionName(source).toLower()),
      m_family(containerFamily(m_ext)),
      m_ranges(ranges) {
    const int count = static_cast<int>(m_ranges.size());
    setOutput(outPath);
    setSources({source});
    setToolMode(QStringLiteral("Edit") + QString::number(m_family));
    setStepCount(runCount(mode, count));

    beginStep(1);
    // An older destination goes first (the player lets go of it if it has it open); one
    // that cannot be deleted ends the job.
    addFileStep([this] {
        killFile(output());
        return !FileObject::shared().FileExists(output());
    });
    double total = 0.0;
    for (int i = 0; i < count; ++i) {
        const double seconds = std::max(1.0, m_ranges.at(i).length.toDouble());
        total += seconds;
        beginStep(i + 1);
        addCut(i, seconds);
    }
    addFinish(total);
}

int SaveRangesJob::runCount(Mode mode, int ranges) {
    return mode == Cut && ranges >= 2 ? ranges + 1 : ranges;
}

void SaveRangesJob::addCut(int index, double weight) {
    const QString part = partName(index, m_ext);
    const Range& range = m_ranges.at(index);
    addFileStep([this, part] {
        killFile(path(part), true);
        return true;
    });
    if (m_family == 3) {
        // A container that cannot hold the sound as it is leaves an empty part: the sound
        // may then be re-encoded, if the user agrees.
        addRun(cutCommand(mencoderPath, range.ss, range.length, part, m_source), weight, part,
               OnEmpty::AskReencode,
               cutCommand(mencoderPath, range.ss, range.length, part, m_source, true));
        return;
    }
    addRun(cutCommand(mencoderPath, range.ss, range.length, part, m_source), weight);
    addRun(remuxCommand(ffmpegPath, part), weight * remuxShare);
    addFileStep([this, part] {
        killFile(path(part), true);
        moveFile(QStringLiteral("~fix") + part, part);
        return true;
    });
    if (m_family == 1 && (m_mode == Split || m_ranges.size() == 1)) {
        addRun(metaCommand(flvMetaPath, part), weight * metaShare);
    }
    addFileStep([this, part] { return usable(path(part)); });
}

void SaveRangesJob::addFinish(double weight) {
    const int count = static_cast<int>(m_ranges.size());
    if (m_mode == Split) {
        addFileStep([this, count] {
            for (int i = 0; i < count; ++i) {
                const QString name = splitName(i, m_ext);
                killFile(path(name));
                if (!moveFile(partName(i, m_ext), name)) {
                    return false;
                }
            }
            return true;
        });
        return;
    }
    if (count == 1) {
        addFileStep([this] { return moveFile(partName(0, m_ext), output()); });
        return;
    }
    beginStep(runCount(m_mode, count));
    addJoin(weight);
}

void SaveRangesJob::addJoin(double weight) {
    QStringList parts;
    for (int i = 0; i < m_ranges.size(); ++i) {
        parts << partName(i, m_ext);
    }
    const QString join = QStringLiteral("~tmpSJoin.") + m_ext;
    if (m_family == 3) {
        addRun(joinPartsToCommand(mencoderPath, output(), parts), weight);
        return;
    }
    addRun(joinPartsCommand(mencoderPath, m_ext, parts), weight);
    addFileStep([this] {
        killFile(path(QStringLiteral("~tmpSP*.") + m_ext), true);
        return true;
    });
    const auto dropJoin = [this, join] {
        killFile(path(join), true);
        return true;
    };
    if (m_family == 2) {
        addRun(remuxToCommand(ffmpegPath, join, output()), weight * remuxShare);
        addFileStep(dropJoin);
        return;
    }
    addRun(remuxCommand(ffmpegPath, join), weight * remuxShare);
    addFileStep(dropJoin);
    const QString fixed = QStringLiteral("~fix") + join;
    addRun(metaCommand(flvMetaPath, fixed), weight * metaShare);
    addFileStep([this, fixed] { return moveFile(fixed, output()); });
}

bool SaveRangesJob::moveFile(const QString& from, const QString& to) const {
    return QFile::rename(path(from), path(to));
}
