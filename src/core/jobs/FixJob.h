#pragma once

#include "core/jobs/ToolJob.h"

#include <QString>

// The job that repairs a media file by copying its streams into a fresh container of the
// same type, which rebuilds the container's index and header. An FLV is copied into
// "~fix~tmpSP.flv" in the destination's folder, given fresh metadata there and renamed to
// the destination; an MPEG file is remuxed straight into the destination; every other type
// is copied by the cutting tool, with the sound re-encoded to MP3 when the container cannot
// hold it as it is and the user agrees.
class FixJob : public ToolJob {
    Q_OBJECT

public:
    // Where an FLV's copy is made and given its metadata: "~fix~tmpSP." + ext.
    static QString intermediateName(const QString& ext);
    // The name the save dialog offers: the source's base name + "_fix." + its extension in
    // lower case.
    static QString proposedName(const QString& source);
    FixJob(const QString& source, const QString& dest);

    // 1 FLV, 2 MPEG, 3 the rest, by the source's extension.
    int family() const { return m_family; }

private:
    void addFlvRepair();

    QString m_source;
    QString m_ext;
    int m_family;
};
