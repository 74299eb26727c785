#pragma once

#include "core/jobs/ToolTexts.h"

#include <QString>
#include <QStringList>

// What a tool asks of the job engine before anything runs: what kind of work it is, the
// files it reads and the files it makes. Every path is absolute. A job that makes many
// files (split pieces, a series of pictures) lists each of them; the first is the one its
// completion report shows.
struct JobRequest {
    ToolOperation kind = ToolOperation::Split;
    QStringList sources;
    QStringList outputs;

    // The folder the job works in: the first output's.
    QString folder() const;
};
