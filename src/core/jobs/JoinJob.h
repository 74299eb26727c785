#pragma once

#include "core/jobs/JoinCheck.h"
#include "core/jobs/ToolJob.h"

#include <QList>
#include <QString>
#include <QStringList>

// The join of the join list's files, in list order, into one new file of their type without
// re-encoding the picture. Every file is looked at first: when their streams differ the user
// hears how and may stop before anything is written (the job then ends as Declined). FLV is
// joined, remuxed and given fresh metadata in the destination's folder and renamed to the
// destination; MPEG is joined there and remuxed into the destination; every other type is
// joined straight into the destination, with the sound re-encoded to MP3 when the container
// cannot hold it as it is and the user agrees.
class JoinJob : public ToolJob {
    Q_OBJECT

public:
    // The name the save dialog offers: the first file's base name + "_merge." + extension.
    static QString proposedName(const QString& first);

    JoinJob(const QStringList& files, const QString& dest);

    // What the look at the files found (filled as the job runs).
    const QList<joinCheck::Streams>& streams() const { return m_streams; }

private:
    void addJoin(double weight);

    QStringList m_files;
    QString m_ext;
    int m_family;
    QList<joinCheck::Streams> m_streams;
    bool m_alike = false;  // FLV files all set up alike
};
