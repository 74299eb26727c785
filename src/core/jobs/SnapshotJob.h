#pragma once

#include "core/jobs/ToolJob.h"

#include <QList>
#include <QString>
#include <QStringList>

// Pictures of a video: the frame shown at each moment, written by the picture tool into
// "~tmpSP001." + img and onward in the job's folder, then renamed to its own name. One
// picture is one run; a series is one run that decodes the video once, forward, instead of
// one run per picture decoding from a keyframe each time. A picture once renamed is kept even
// when a later one fails.
class SnapshotJob : public ToolJob {
    Q_OBJECT

public:
    // "snapshot_" + three digits from 001 + "." + img, and the name the save dialog offers for
    // one picture: the source's base name + "_snapshot." + img.
    static QString seriesName(int index, const QString& img);
    static QString proposedName(const QString& source, const QString& img);
    // Every picture of a series in folder.
    static QStringList seriesOutputs(const QString& folder, const QString& img, int pictures);

    // outputs: one for each moment, in order; img: "jpg", "png" or "gif".
    SnapshotJob(const QString& source, const QStringList& outputs, const QList<double>& times,
                const QString& img);
};
