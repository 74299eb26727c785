#pragma once

#include "core/jobs/ToolJob.h"

#include <QList>
#include <QString>
#include <QStringList>

// The job that turns ranges of one file into new files without re-encoding: every range is
// cut into a part in the job's folder (the destination's), remuxed and given fresh metadata
// as its container needs, and the parts are then either joined into the destination
// ("cut": the player's marked ranges saved as one file, or the split tool's one piece) or
// renamed to "split_001." + ext and onward ("split").
class SaveRangesJob : public ToolJob {
    Q_OBJECT

public:
    enum Mode { Cut = 0, Split = 1 };

    // A range of the source in seconds.
    struct Range {
        double start = 0.0;
        double end = 0.0;
        // For a frame-exact cut: the seconds of the range's first picture and of the one
        // after its last, counted from the source's first picture; negative for the
        // keyframe cut.
        double exactStart = -1.0;
        double exactEnd = -1.0;
    };
    // A range as the cutting tool takes it: whole seconds, widened outward (the start cut to
    // hundredths and then to the second, the end rounded up to the second).
    struct WholeSeconds {
        int ss = 0;
        int length = 0;
    };
    static WholeSeconds wholeSeconds(const Range& range);

    // "~tmpSP" + three digits from 001 + "." + ext, and "split_" + three digits + "." + ext.
    static QString partName(int index, const QString& ext);
    static QString splitName(int index, const QString& ext);
    // The files a run makes: the chosen file (cut), or every "split_NNN." + ext in the
    // chosen folder (split).
    static QStringList outputsFor(Mode mode, const QString& fileOrFolder, const QString& ext,
                                  int ranges);

    // outputs as outputsFor gives them.
    SaveRangesJob(Mode mode, const QString& source, const QStringList& outputs,
                  const QList<Range>& ranges);

    // How many tool steps the busy text counts: one per range, and the join.
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
