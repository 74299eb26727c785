#include "core/jobs/EncodeJob.h"
#include "core/common/AppPaths.h"

#include "core/common/mdlZelvoFLV.h"

#include <QFileInfo>

EncodeJob::EncodeJob(const QString& src, const QString& dst, const EncodeSettings& settings)
    : ToolJob(QFileInfo(dst).absolutePath()) {
    setOutput(dst);
    setSources({src});
    setToolMode(QStringLiteral("Encode"));
    setStepCount(1);
    beginStep(1);
    // A target that cannot be deleted is not reported as made.
    addClaimStep(dst);
    addRun(encodeCommand(AppPaths::running().ffmpeg(), src, dst, settings), 1.0, dst,
           OnEmpty::Fail);
    if (QFileInfo(dst).suffix().toLower() == QLatin1String("flv")) {
        addRun(metaQuotedCommand(AppPaths::running().flvMeta(), dst), 0.05, dst, OnEmpty::Fail);
    }
}
