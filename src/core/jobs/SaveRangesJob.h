#pragma once

#include "core/jobs/ToolJob.h"

#include <QList>
#include <QString>

// The job that turns marked segments of one file into new files without re-encoding:
// every segment is cut into a part in the job's folder (the destination's), remuxed and
// given fresh metadata as its container needs, and the parts are then either joined into
// the destination ("cut") or renamed to "split_001." + ext and onward ("split").
class SaveRangesJob : public ToolJob {
    Q_OBJECT

public:
    enum Mode { Cut = 0, Split = 1 };

    // One segment as the tools take it: whole seconds, start and length.
    struct Range {
        QString ss;
        QString length;
    };

    // A segment of seconds (as the marks show them, in hundredths) widened outward to
    // whole seconds.
    static Range wholeSeconds(float startSec, float endSec);

    // "~tmpSP" + three digits from 001 + "." + ext, and "split_" + three digits + "." + ext.
    static QString partName(int index, const QString& ext);
    static QString splitName(int index, const QString& ext);

    // What would make the run destroy its own source, checked before anything runs.
    enum class Conflict {
        None,
        SameFile,   // the destination (cut) is the source itself
        SplitName,  // a "split_NNN" name of the run is the source
        TempName,   // the source sits in the working folder under a name the clean-up removes
    };
    static Conflict conflict(Mode mode, const QString& source, const QString& outPath, int count);

    // outPath: the chosen file (cut), or the chosen folder + "split_001." + ext (split).
    SaveRangesJob(Mode mode, const QString& source, const QString& outPath,
                  const QList<Range>& ranges);

    // How many tool steps the busy text counts: one per segment, and the join.
    static int runCount(Mode mode, int ranges);

private:
    void addCut(int index, double weight);
    void addFinish(double weight);
    void addJoin(double weight);
    bool moveFile(const QString& from, const QString& to) const;

    Mode m_mode;
    QString m_source;
    QString m_ext;
    int m_family;
    QList<Range> m_ranges;
};
