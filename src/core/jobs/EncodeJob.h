#pragma once

#include "core/jobs/ToolCommands.h"
#include "core/jobs/ToolJob.h"

#include <QString>

// One conversion: the target is deleted first (the player lets go of it), ffmpeg converts the
// source into it with the panel's settings, and an FLV target gets fresh metadata. It works
// in the target's folder; both paths are absolute. The source is only read.
class EncodeJob : public ToolJob {
    Q_OBJECT

public:
    EncodeJob(const QString& src, const QString& dst, const EncodeSettings& settings);
};
