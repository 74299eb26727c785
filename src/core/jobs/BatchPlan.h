#pragma once

#include "core/jobs/SaveRangesJob.h"
#include "core/jobs/SplitPlan.h"
#include "core/jobs/ToolCommand.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// What a batch needs to know of its files before each one's job is built, without widgets:
// why a file is skipped, what the probe tells of it, where its outputs go and under what
// names.
namespace batchPlan {

// What ffprobe tells of a file: its length, its pictures' frame rate, whether it has any.
struct MediaFacts {
    double seconds = 0.0;
    double fps = 0.0;
    bool video = false;
    qint64 bytes = 0;

    splitPlan::Media media() const;
};

// ffprobe's command for the facts of source, and its answer read.
ToolCommand probeCommand(const QString& source);
MediaFacts readProbe(const QByteArray& said, qint64 bytes);

// Why source is skipped before its turn ("" when it is not): it is missing, empty, not a
// media file, or not of a type takes accepts (word names the tool in the message).
// earlier: the sources before it in the batch; naming one of them again is a duplicate.
QString precheck(const QString& source, const QStringList& earlier,
                 const std::function<bool(const QString&)>& takes, const QString& typeWord);

// A name in folder for base + suffix + "." + ext that no other output of the batch has taken
// and that is no source of it: the name itself, else with "_2", "_3" ... after base. The name
// is added to taken.
QString uniqueName(const QString& folder, const QString& base, const QString& suffix,
                   const QString& ext, QStringList& taken, const QStringList& sources);
// The same for a folder of many outputs (split pieces, a series of pictures): folder + base
// + "/" (or base_2 ...). The folder is not made here.
QString uniqueFolder(const QString& folder, const QString& base, QStringList& taken);

// The ranges of a marks text ("120-480 900-1500", frames) in seconds for media of facts, cut
// to hundredths; empty when the marks do not fit the file (a range past its end, none at
// all, no frame rate).
QList<SaveRangesJob::Range> marksRanges(const QString& marks, const MediaFacts& facts);

}  // namespace batchPlan
