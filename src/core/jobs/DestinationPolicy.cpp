#include "core/jobs/DestinationPolicy.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "core/jobs/ToolJob.h"
#include "core/jobs/ToolTexts.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace destinationPolicy {

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

Verdict check(const JobRequest& request) {
    const bool many = request.outputs.size() > 1;
    for (const QString& output : request.outputs) {
        for (const QString& source : request.sources) {
            if (sameFile(source, output)) {
                return {many ? Refusal::PieceIsSource : Refusal::OutputIsSource, source};
            }
        }
    }
    for (const QString& output : request.outputs) {
        if (ToolJob::isTempName(output)) {
            return {Refusal::OutputTempName, output};
        }
    }
    // The clean-up removes these names from the job's folder, whatever file they are.
    const QString folder = request.folder();
    const FileObject& fso = FileObject::shared();
    for (const QString& pattern : {toolTexts::tempPattern(), toolTexts::fixTempPattern()}) {
        for (const QString& temporary : fso.matchFiles(folder + pattern)) {
            for (const QString& source : request.sources) {
                if (sameFile(source, temporary)) {
                    return {Refusal::SourceTempName, source};
                }
            }
        }
    }
    return {};
}

QString text(const Verdict& verdict) {
    switch (verdict.refusal) {
        case Refusal::None:
            break;
        case Refusal::OutputIsSource:
            return toolTexts::sourceConflict(1, verdict.subject);
        case Refusal::PieceIsSource:
            return toolTexts::sourceConflict(2, verdict.subject);
        case Refusal::SourceTempName:
            return toolTexts::sourceConflict(3, verdict.subject);
        case Refusal::OutputTempName:
            return toolTexts::outputTempName(verdict.subject);
    }
    return QString();
}

}  // namespace destinationPolicy
