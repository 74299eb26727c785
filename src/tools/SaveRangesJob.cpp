#include "tools/SaveRangesJob.h"

#include "app/mdlZelvoFLV.h"
#include "services/FileObject.h"
#include "tools/ToolCommands.h"
#include "tools/ToolTexts.h"
#include "tools/mdlGetCmdOutput.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <utility>

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
    const int ss = static_cast<int>(formatTime(startSec, 0, 0).toDouble());
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

SaveRangesJob::SaveRangesJob(Mode mode, QString source, QString outPath, QList<Range> ranges)
    : m_mode(mode),
      m_source(std::move(source)),
      m_outPath(std::move(outPath)),
      m_ext(FileObject::shared().GetExtensionName(m_source).toLower()),
      m_family(containerFamily(m_ext)),
      m_ranges(std::move(ranges)) {}

int SaveRangesJob::runCount() const {
    const int n = static_cast<int>(m_ranges.size());
    return m_mode == Cut && n >= 2 ? n + 1 : n;
}

bool SaveRangesJob::run() {
    killFile(m_outPath);
    if (FileObject::shared().FileExists(m_outPath)) {
        return false;
    }
    for (int i = 0; i < m_ranges.size(); ++i) {
        if (onStep) {
            onStep(runCount(), i + 1);
        }
        if (!cutPart(i)) {
            return false;
        }
    }
    return finish() && usable(m_outPath);
}

bool SaveRangesJob::cutPart(int index) {
    const QString part = partName(index, m_ext);
    const Range& range = m_ranges.at(index);
    killFile(part, true);
    RunCmd(cutCommand(mencoderPath, range.ss, range.length, part, m_source));
    if (stopped()) {
        return false;
    }
    if (m_family == 3) {
        if (!usable(part) && askReencode && askReencode()) {
            RunCmd(cutCommand(mencoderPath, range.ss, range.length, part, m_source, true));
            if (stopped()) {
                return false;
            }
        }
        return usable(part);
    }
    RunCmd(remuxCommand(ffmpegPath, part));
    if (stopped()) {
        return false;
    }
    killFile(part, true);
    moveFile(QStringLiteral("~fix") + part, part);
    if (m_family == 1 && (m_mode == Split || m_ranges.size() == 1)) {
        RunCmd(metaCommand(flvMetaPath, part));
        if (stopped()) {
            return false;
        }
    }
    return usable(part);
}

bool SaveRangesJob::finish() {
    if (m_mode == Split) {
        for (int i = 0; i < m_ranges.size(); ++i) {
            const QString name = splitName(i, m_ext);
            killFile(name);
            if (!moveFile(partName(i, m_ext), name)) {
                return false;
            }
        }
        return true;
    }
    if (m_ranges.size() == 1) {
        return moveFile(partName(0, m_ext), m_outPath);
    }
    if (onStep) {
        onStep(runCount(), runCount());
    }
    return joinParts();
}

bool SaveRangesJob::joinParts() {
    QStringList parts;
    for (int i = 0; i < m_ranges.size(); ++i) {
        parts << partName(i, m_ext);
    }
    const QString join = QStringLiteral("~tmpSJoin.") + m_ext;
    if (m_family == 3) {
        RunCmd(joinPartsToCommand(mencoderPath, m_outPath, parts));
        return !stopped();
    }
    RunCmd(joinPartsCommand(mencoderPath, m_ext, parts));
    if (stopped()) {
        return false;
    }
    killFile(QStringLiteral("~tmpSP*.") + m_ext, true);
    if (m_family == 2) {
        RunCmd(remuxToCommand(ffmpegPath, join, m_outPath));
        killFile(join, true);
        return !stopped();
    }
    RunCmd(remuxCommand(ffmpegPath, join));
    if (stopped()) {
        return false;
    }
    killFile(join, true);
    const QString fixed = QStringLiteral("~fix") + join;
    RunCmd(metaCommand(flvMetaPath, fixed));
    return !stopped() && moveFile(fixed, m_outPath);
}

bool SaveRangesJob::usable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

bool SaveRangesJob::stopped() {
    return lastCmdExitCode() == breakExitCode;
}

bool SaveRangesJob::moveFile(const QString& from, const QString& to) {
    return QFile::rename(from, to);
}
