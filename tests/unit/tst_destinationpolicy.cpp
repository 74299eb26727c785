// The checks every tool makes before a job: a job never writes over one of its sources, under
// any name that reaches it, never makes a file the clean-up after it would remove, and never
// runs where the clean-up would remove a source.
#include "TestSupport.h"
#include "core/jobs/DestinationPolicy.h"
#include "core/jobs/SaveRangesJob.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

using destinationPolicy::Refusal;

namespace {

struct Case {
    // Files made before the check ("name" in the test's folder; "name>target" a symbolic
    // link, "name=target" a hard link).
    const char* files;
    const char* sources;  // "|"-separated names
    const char* outputs;  // "|"-separated; "split:N" every split_NNN.flv of N pieces
    Refusal refusal;
    const char* subject;  // the name the refusal concerns ("" none)
};

}  // namespace

Q_DECLARE_METATYPE(Case)

class TestDestinationPolicy : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString at(const QString& name) const { return m_dir.filePath(name); }
    QStringList paths(const char* names) const {
        QStringList out;
        for (const QString& name : u8(names).split(u'|', Qt::SkipEmptyParts)) {
            if (name.startsWith(u8("split:"))) {
                out << SaveRangesJob::outputsFor(SaveRangesJob::Split, m_dir.path(), u8("flv"),
                                                 name.mid(6).toInt());
            } else {
                out << at(name);
            }
        }
        return out;
    }

private Q_SLOTS:
    void check_data() {
        testsupport::addRows<Case>({
            {"a new file", {"a.flv", "a.flv", "a_part.flv", Refusal::None, ""}},
            {"an older file of another name", {"a.flv|b.flv", "a.flv", "b.flv", Refusal::None, ""}},
            {"the source itself", {"a.flv", "a.flv", "a.flv", Refusal::OutputIsSource, "a.flv"}},
            {"the source by another spelling",
             {"a.flv", "a.flv", "x/../a.flv", Refusal::OutputIsSource, "a.flv"}},
            {"the source through a link",
             {"a.flv|l.flv>a.flv", "a.flv", "l.flv", Refusal::OutputIsSource, "a.flv"}},
            {"the source under a second hard link",
             {"a.flv|h.flv=a.flv", "a.flv", "h.flv", Refusal::OutputIsSource, "a.flv"}},
            {"one of many sources",
             {"a.flv|b.flv", "a.flv|b.flv", "b.flv", Refusal::OutputIsSource, "b.flv"}},
            {"a piece that is the source",
             {"split_002.flv", "split_002.flv", "split:3", Refusal::PieceIsSource,
              "split_002.flv"}},
            {"pieces beside the source",
             {"split_004.flv", "split_004.flv", "split:3", Refusal::None, ""}},
            {"a new file named like a temporary",
             {"a.flv", "a.flv", "~tmpSnew.flv", Refusal::OutputTempName, "~tmpSnew.flv"}},
            {"a new file named like a remux temporary",
             {"a.flv", "a.flv", "~fix~tmpSx.flv", Refusal::OutputTempName, "~fix~tmpSx.flv"}},
            {"a name that only starts alike", {"a.flv", "a.flv", "~tmpX.flv", Refusal::None, ""}},
            {"a source the clean-up would remove",
             {"~tmpSP001.flv", "~tmpSP001.flv", "out.flv", Refusal::SourceTempName,
              "~tmpSP001.flv"}},
            {"a source reached through such a name",
             {"a.flv|~tmpSJoin.flv=a.flv", "a.flv", "out.flv", Refusal::SourceTempName, "a.flv"}},
            {"a name with wildcards is only itself",
             {"a.flv|ab.flv", "ab.flv", "a?.flv", Refusal::None, ""}},
        });
    }
    void check() {
        QFETCH(Case, row);
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.path() + u8("/x")));
        for (const QString& file : u8(row.files).split(u'|', Qt::SkipEmptyParts)) {
            if (file.contains(u'>')) {
                QVERIFY(QFile::link(at(file.section(u'>', 1)), at(file.section(u'>', 0, 0))));
            } else if (file.contains(u'=')) {
                QCOMPARE(::link(QFile::encodeName(at(file.section(u'=', 1))).constData(),
                                QFile::encodeName(at(file.section(u'=', 0, 0))).constData()),
                         0);
            } else {
                QVERIFY(testsupport::writeFile(at(file), "media"));
            }
        }
        JobRequest request;
        request.sources = paths(row.sources);
        request.outputs = paths(row.outputs);
        const destinationPolicy::Verdict verdict = destinationPolicy::check(request);
        QCOMPARE(verdict.refusal, row.refusal);
        QCOMPARE(verdict.subject, row.refusal == Refusal::None ? QString() : at(u8(row.subject)));
        QCOMPARE(destinationPolicy::text(verdict).isEmpty(), row.refusal == Refusal::None);
    }
};

QTEST_GUILESS_MAIN(TestDestinationPolicy)
#include "tst_destinationpolicy.moc"
