#include "core/jobs/SaveRangesJob.h"
#include "core/common/AppPaths.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "core/jobs/ToolCommands.h"
#include "core/jobs/ToolTexts.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

QString threeDigits(int index) {
    return QStringLiteral("%1").arg(index + 1, 3, 10, QLatin1Char('0'));
}

}  // namespace

SaveRangesJob::WholeSeconds SaveRangesJob::wholeSeconds(const Range& range) {
    // The marks' seconds are single precision; the widening works on them as they are.
    const int ss = static_cast<int>(cutToHundredths(static_cast<float>(range.start)));
    return {ss, ceilSingle(static_cast<float>(range.end)) - ss};
}

QString SaveRangesJob::partName(int index, const QString& ext) {
    return QStringLiteral("~tmpSP") + threeDigits(index) + QLatin1Char('.') + ext;
}

QString SaveRangesJob::splitName(int index, const QString& ext) {
    return QStringLiteral("split_") + threeDigits(index) + QLatin1Char('.') + ext;
}

QStringList SaveRangesJob::outputsFor(Mode mode, const QString& fileOrFolder, const QString& ext,
                                      int ranges) {
    if (mode == Cut) {
        return {fileOrFolder};
    }
    QStringList outputs;
    for (int i = 0; i < ranges; ++i) {
        outputs << addSeparator(fileOrFolder) + splitName(i, ext);
    }
    return outputs;
}

namespace {

// Shares of a segment's time the runs after its cut take, as measured on large files: the
// remux of a part the tools just wrote is mostly a link, the metadata pass reads it whole.
constexpr double remuxShare = 0.1;
constexpr double metaShare = 0.5;

}  // namespace

SaveRangesJob::SaveRangesJob(Mode mode, const QString& source, const QStringList& outputs,
                             const QList<Range>& ranges)
    : ToolJob(FileObject::shared().GetParentFolderName(outputs.value(0))),
      m_mode(mode),
      m_source(source),
      m_ext(FileObject::shared().GetExtensionName(source).toLower()),
      m_family(containerFamily(m_ext)),
      m_ranges(ranges) {
    const int count = static_cast<int>(m_ranges.size());
    setOutputs(outputs);
    setSources({source});
    setToolMode(QStringLiteral("Edit") + QString::number(m_family));
    setStepCount(runCount(mode, count));

    beginStep(1);
    if (mode == Cut) {
        // An older destination goes first; one that cannot be deleted ends the job. The
        // pieces of a split replace theirs only once every piece is made.
        addClaimStep(output());
    }
    double total = 0.0;
    for (int i = 0; i < count; ++i) {
        const double seconds = std::max(1, wholeSeconds(m_ranges.at(i)).length);
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
    const WholeSeconds range = wholeSeconds(m_ranges.at(index));
    addFileStep([this, part] {
        killFile(path(part));
        return true;
    });
    const Range& r = m_ranges.at(index);
    const ToolCommand cut =
        r.exactStart >= 0.0 && r.exactEnd > r.exactStart
            ? exactCutCommand(AppPaths::running().mencoder(), r.exactStart, r.exactEnd, range.ss,
                              range.length, part, m_source)
            : cutCommand(AppPaths::running().mencoder(), range.ss, range.length, part, m_source);
    // What the tool says of a range it could not cut exactly names the range.
    const QString prefix = toolTexts::rangeNote(index + 1);
    if (m_family == 3) {
        // A container that cannot hold the sound as it is leaves an empty part: the sound
        // may then be re-encoded, if the user agrees.
        addRun(cut, weight, part, OnEmpty::AskReencode,
               cutCommand(AppPaths::running().mencoder(), range.ss, range.length, part, m_source,
                          true));
        setNotePrefix(prefix);
        return;
    }
    addRun(cut, weight);
    setNotePrefix(prefix);
    addRun(remuxCommand(AppPaths::running().ffmpeg(), part), weight * remuxShare);
    addFileStep([this, part] {
        killFile(path(part));
        moveFile(QStringLiteral("~fix") + part, part);
        return true;
    });
    if (m_family == 1 && (m_mode == Split || m_ranges.size() == 1)) {
        addRun(metaCommand(AppPaths::running().flvMeta(), part), weight * metaShare);
    }
    addFileStep([this, part] { return usable(path(part)); });
}

void SaveRangesJob::addFinish(double weight) {
    const int count = static_cast<int>(m_ranges.size());
    if (m_mode == Split) {
        addFileStep([this, count] {
            for (int i = 0; i < count; ++i) {
                const QString name = splitName(i, m_ext);
                if (!claimOutput(name) || !moveFile(partName(i, m_ext), name)) {
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
        addRun(joinPartsToCommand(AppPaths::running().mencoder(), output(), parts), weight);
        return;
    }
    addRun(joinPartsCommand(AppPaths::running().mencoder(), m_ext, parts), weight);
    addFileStep([this] {
        killFile(path(QStringLiteral("~tmpSP*.") + m_ext));
        return true;
    });
    const auto dropJoin = [this, join] {
        killFile(path(join));
        return true;
    };
    if (m_family == 2) {
        addRun(remuxToCommand(AppPaths::running().ffmpeg(), join, output()), weight * remuxShare);
        addFileStep(dropJoin);
        return;
    }
    addRun(remuxCommand(AppPaths::running().ffmpeg(), join), weight * remuxShare);
    addFileStep(dropJoin);
    const QString fixed = QStringLiteral("~fix") + join;
    addRun(metaCommand(AppPaths::running().flvMeta(), fixed), weight * metaShare);
    addFileStep([this, fixed] { return moveFile(fixed, output()); });
}

bool SaveRangesJob::moveFile(const QString& from, const QString& to) const {
    return QFile::rename(path(from), path(to));
}
