#pragma once

#include <QList>
#include <QString>

#include <functional>

// The outside-tool runs that turn marked segments of one file into new files without
// re-encoding: every segment is cut into a part in the working folder (the folder of
// the destination, made current by the caller), remuxed and given fresh metadata as its
// container needs, and the parts are then either joined into the destination ("cut") or
// renamed to "split_001." + ext and onward ("split"). The tools must already be
// unpacked (mencoderPath, ffmpegPath, flvMetaPath).
class SaveRangesJob {
public:
    enum Mode { Cut = 0, Split = 1 };

    // One segment as the tools take it: whole seconds, start and length.
    struct Range {
        QString ss;
        QString length;
    };

    // A segment of seconds widened outward to whole seconds.
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

    SaveRangesJob(Mode mode, QString source, QString outPath, QList<Range> ranges);

    // How many tool steps the busy text counts: one per segment, and the join.
    int runCount() const;

    // Called before each counted step with (count, 1-based index).
    std::function<void(int count, int index)> onStep;
    // Asked when a part of an "other" container came out empty: repeat it with the audio
    // re-encoded? (Once asked, the answer holds; the caller keeps it.)
    std::function<bool()> askReencode;

    // Deletes an old destination and runs every step. False at the first step whose
    // expected file is missing or empty, when Break stopped a tool, or when a file cannot
    // be moved; the caller then takes the failure path.
    bool run();

private:
    bool cutPart(int index);
    bool finish();
    bool joinParts();
    static bool usable(const QString& path);
    static bool stopped();
    static bool moveFile(const QString& from, const QString& to);

    Mode m_mode;
    QString m_source;
    QString m_outPath;
    QString m_ext;
    int m_family;
    QList<Range> m_ranges;
};
