#include "core/jobs/SnapshotJob.h"
#include "core/common/AppPaths.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/FileObject.h"
#include "core/jobs/ToolCommands.h"

#include <QFile>

QString SnapshotJob::seriesName(int index, const QString& img) {
    return QStringLiteral("snapshot_%1.").arg(index + 1, 3, 10, QLatin1Char('0')) + img;
}

QString SnapshotJob::proposedName(const QString& source, const QString& img) {
    return FileObject::shared().GetBaseName(source) + QStringLiteral("_snapshot.") + img;
}

QStringList SnapshotJob::seriesOutputs(const QString& folder, const QString& img, int pictures) {
    QStringList outputs;
    for (int i = 0; i < pictures; ++i) {
        outputs << addSeparator(folder) + seriesName(i, img);
    }
    return outputs;
}

SnapshotJob::SnapshotJob(const QString& source, const QStringList& outputs,
                         const QList<double>& times, const QString& img)
    : ToolJob(FileObject::shared().GetParentFolderName(outputs.value(0))) {
    setOutputs(outputs);
    setSources({source});
    setToolMode(QStringLiteral("Snap"));
    const int count = static_cast<int>(std::min(outputs.size(), times.size()));
    setStepCount(count);
    const QString frame = QStringLiteral("~tmpSP001.") + img;
    beginStep(1);
    // A picture left by an earlier run would pass for this run's.
    addFileStep([this] {
        killTempFiles(folder());
        return true;
    });
    if (count == 1) {
        addRun(snapshotCommand(AppPaths::running().ffmpeg(), source, times.first(), img), 1.0,
               frame, OnEmpty::Fail);
    } else {
        // A series decodes the video once, forward, taking each picture as it passes.
        addPictureRun(
            snapshotSeriesCommand(AppPaths::running().ffmpeg(), source, times.mid(0, count), img),
            1.0, count);
    }
    // The pictures get their names in order; those renamed before one that is missing stay.
    beginStep(count);
    addFileStep([this, count, img, outputs] {
        for (int i = 0; i < count; ++i) {
            const QString made =
                QStringLiteral("~tmpSP%1.").arg(i + 1, 3, 10, QLatin1Char('0')) + img;
            const QString name = outputs.at(i);
            if (!usable(path(made)) || !claimOutput(name) || !QFile::rename(path(made), name)) {
                return false;
            }
            keepOutput(name);
        }
        return true;
    });
}
