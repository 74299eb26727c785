#pragma once

#include "core/jobs/JobRequest.h"

#include <QString>

// The one rule every tool follows before a job runs: no file the job makes may be one of
// its sources (under any name that reaches the same file), no file it makes may carry a
// name the clean-up after the job removes, and no source may lie in the job's folder under
// such a name. A tool that makes many files gets the piece's word in its refusal.
namespace destinationPolicy {

enum class Refusal {
    None,
    OutputIsSource,  // the one file the job makes is a source
    PieceIsSource,   // one of the many files the job makes is a source
    OutputTempName,  // a file the job makes is named like the tools' temporary files
    SourceTempName,  // a source sits in the job's folder under such a name
};

struct Verdict {
    Refusal refusal = Refusal::None;
    QString subject;  // the source or output concerned
    bool refused() const { return refusal != Refusal::None; }
};

Verdict check(const JobRequest& request);

// The message that refuses; "" for None.
QString text(const Verdict& verdict);

// Two names for one file: the same path once links are resolved, or one file under two
// hard links. A name that does not exist is no other file.
bool sameFile(const QString& a, const QString& b);

}  // namespace destinationPolicy
