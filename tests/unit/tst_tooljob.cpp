// The job engine with the real tools on generated media, without any window: a save of
// marked ranges runs in its own folder whatever the process's current folder is, reports
// its steps and a progress that only grows, leaves only its output; a second job started
// meanwhile touches nothing; Break stops the tools and leaves nothing; a failed job says
// why where it can tell. (That a job runs to its end while a second is refused, the
// player's save tests check.)
#include "TestSupport.h"
#include "core/common/AppPaths.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/jobs/ResourceTools.h"
#include "core/jobs/SaveRangesJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

#include <unistd.h>

namespace {

using Ranges = QList<SaveRangesJob::Range>;
using Steps = QList<QPair<int, int>>;

const Ranges threeRanges = {{4, 10}, {20, 24}, {26, 29}};

// What a job of mode makes from its first output.
QStringList outputs(SaveRangesJob::Mode mode, const QString& path, int ranges) {
    return SaveRangesJob::outputsFor(
        mode, mode == SaveRangesJob::Cut ? path : QFileInfo(path).absolutePath(), u8("flv"),
        ranges);
}

bool toolsInstalled() {
    const AppPaths& paths = AppPaths::running();
    return QFileInfo::exists(paths.mencoder()) || QFileInfo::exists(paths.ffmpeg()) ||
           QFileInfo::exists(paths.flvMeta());
}

// Records what a job tells while it runs.
struct JobWatch {
    explicit JobWatch(ToolJob& job) : ended(&job, &ToolJob::finished) {
        QObject::connect(&job, &ToolJob::stepStarted, &job,
                         [this](int count, int index) { steps << QPair<int, int>(count, index); });
        QObject::connect(&job, &ToolJob::progressChanged, &job,
                         [this](int percent) { progress << percent; });
    }
    QSignalSpy ended;
    Steps steps;
    QList<int> progress;
};

}  // namespace

class TestToolJob : public QObject, testsupport::ToolFolders {
    Q_OBJECT

    QString m_long;  // ten minutes of the H.264 clip, so the tools run long enough to meet

    QString folder(const char* name) {
        const QString path = m_work->filePath(u8(name));
        QDir().mkpath(path);
        return path + u'/';
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        // The tools are installed where the running program's paths say: into this test's
        // folder.
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        QCOMPARE(AppPaths::running().tempFolder(), addSeparator(m_tmp.path()));
        m_long = m_tmp.filePath(u8("long.flv"));
        QVERIFY(testsupport::makeLongClip(m_long));
    }
    void init() { QVERIFY(newWorkFolder()); }
    void cleanup() {
        QVERIFY(ToolJob::running() == nullptr);
        QVERIFY(!toolsInstalled());
    }

    void savesInItsOwnFolder_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Steps>("steps");
        QTest::newRow("cut") << 0 << Steps{{4, 1}, {4, 2}, {4, 3}, {4, 4}};
        QTest::newRow("split") << 1 << Steps{{3, 1}, {3, 2}, {3, 3}};
    }
    // Parts, joins and clean-up all happen in the job's folder: the process's current
    // folder is neither used nor changed.
    void savesInItsOwnFolder() {
        QFETCH(int, mode);
        QFETCH(Steps, steps);
        const QString here = QDir::currentPath();
        const QStringList hereBefore = testsupport::filesIn(here);
        const QString out = folder("輸出 'out' -x");
        const QString source = folder("來源") + u8("片段 a.flv");
        QVERIFY(QFile::copy(testsupport::media(u8("h264.flv")), source));
        const QString outPath = out + (mode == 0 ? u8("-結果.flv") : u8("split_001.flv"));

        const auto jobMode = mode == 0 ? SaveRangesJob::Cut : SaveRangesJob::Split;
        SaveRangesJob job(jobMode, source, outputs(jobMode, outPath, 3), threeRanges);
        JobWatch watch(job);
        job.start();
        QVERIFY(watch.ended.wait(120000));

        QCOMPARE(job.result(), ToolJob::Result::Succeeded);
        QCOMPARE(watch.steps, steps);
        QVERIFY(watch.progress.size() >= 3);
        QCOMPARE(watch.progress.first(), 0);
        QCOMPARE(watch.progress.last(), 100);
        QVERIFY(std::is_sorted(watch.progress.begin(), watch.progress.end()));
        const QStringList made =
            mode == 0 ? QStringList{u8("-結果.flv")}
                      : QStringList{u8("split_001.flv"), u8("split_002.flv"), u8("split_003.flv")};
        QCOMPARE(testsupport::filesIn(out), made);
        QCOMPARE(QDir::currentPath(), here);
        QCOMPARE(testsupport::filesIn(here), hereBefore);
    }

    // While a job runs a second one does not start: it ends at once and leaves its folder,
    // its old output and files named like the tools' temporaries as they were. Break then
    // stops the running tool at once; nothing of the job stays and its bar stays put.
    void secondJobTouchesNothing() {
        const QString first = folder("first");
        const QString second = folder("second");
        for (const char* name : {"cut.flv", "~tmpSP001.flv", "~fix~tmpSJoin.flv"}) {
            QVERIFY(testsupport::writeFile(second + u8(name), "keep"));
        }
        SaveRangesJob running(SaveRangesJob::Split, m_long,
                              outputs(SaveRangesJob::Split, first + u8("split_001.flv"), 2),
                              {{0, 300}, {300, 600}});
        JobWatch watch(running);
        SaveRangesJob refused(SaveRangesJob::Cut, testsupport::media(u8("h264.flv")),
                              {second + u8("cut.flv")}, threeRanges);
        JobWatch refusedWatch(refused);
        connect(&running, &ToolJob::progressChanged, this, [&](int percent) {
            if (percent > 0 && refused.result() == ToolJob::Result::NotRun) {
                refused.start();
            }
        });
        running.start();
        QVERIFY(refusedWatch.ended.wait(60000));
        QCOMPARE(refused.result(), ToolJob::Result::Failed);
        QCOMPARE(refusedWatch.steps.size(), 0);
        QCOMPARE(testsupport::filesIn(second),
                 QStringList({u8("cut.flv"), u8("~fix~tmpSJoin.flv"), u8("~tmpSP001.flv")}));
        QVERIFY(running.isRunning());
        QCOMPARE(ToolJob::running(), &running);
        QVERIFY(toolsInstalled());

        const int atBreak = watch.progress.constLast();
        running.requestBreak();
        QVERIFY(watch.ended.wait(60000));
        QCOMPARE(running.result(), ToolJob::Result::Aborted);
        QCOMPARE(watch.progress.constLast(), atBreak);
        QCOMPARE(testsupport::filesIn(first), QStringList());
    }

    void failureNamesTheCause_data() {
        // 0 no resource program, 1 source gone, 3 disk full (FLV), 4 disk full (MP4)
        QTest::addColumn<int>("what");
        QTest::addColumn<ToolJob::Cause>("cause");
        QTest::newRow("tool missing") << 0 << ToolJob::Cause::ToolMissing;
        QTest::newRow("source unreadable") << 1 << ToolJob::Cause::SourceUnreadable;
        QTest::newRow("disk full, flv") << 3 << ToolJob::Cause::DiskFull;
        QTest::newRow("disk full, mp4") << 4 << ToolJob::Cause::DiskFull;
    }
    // A failed job names the cause and leaves nothing. On a full disk it stops at the cut
    // that ran out of room (no remux or metadata of a part that is not there), and a cut into
    // a container that could not be written asks nothing about the sound. (A folder that
    // cannot be written: tst_saveranges::nothingWritten, with the report's text.)
    void failureNamesTheCause() {
        QFETCH(int, what);
        QFETCH(ToolJob::Cause, cause);
        QString out = folder("out");
        QString source = testsupport::media(u8("h264.flv"));
        QString subject = out;
        Ranges ranges = threeRanges;
        QString helper;
        if (what == 0) {
            helper = folder("empty") + u8("ZelvoResFLV");
            subject = u8("ZelvoResFLV");
        } else if (what == 1) {
            source = m_work->filePath(u8("gone.flv"));
            subject = source;
        } else if (what >= 3) {
            if (::geteuid() != 0 ||
                testsupport::run(u8("mount"), {u8("-t"), u8("tmpfs"), u8("-o"), u8("size=300k"),
                                               u8("tmpfs"), out})
                        .exitCode != 0) {
                QSKIP("a small file system needs the right to mount one");
            }
            source = what == 3 ? m_long : testsupport::media(u8("clip.mp4"));
            ranges = {{0, what == 3 ? 120.0 : 30.0}};  // 2.5 MB, 2 MB
        }
        const QString ext = QFileInfo(source).suffix();
        SaveRangesJob job(SaveRangesJob::Cut, source, {out + u8("cut.") + ext}, ranges);
        int asked = 0;
        job.askReencode = [&asked] { return ++asked > 0; };
        job.setHelperProgram(helper);
        JobWatch watch(job);
        job.start();
        QVERIFY(watch.ended.wait(60000));
        const QStringList left = testsupport::filesIn(out);
        if (what >= 3) {
            testsupport::run(u8("umount"), {out});
        }

        QCOMPARE(job.result(), ToolJob::Result::Failed);
        QCOMPARE(job.cause(), cause);
        QCOMPARE(job.causeSubject(), subject);
        QCOMPARE(left, QStringList());
        QCOMPARE(asked, 0);
        if (what >= 3) {
            QCOMPARE(QFileInfo(job.failedRun()).fileName(), u8("~tmpExtMcd"));
        }
    }

    void whatAFailureLeaves_data() {
        QTest::addColumn<QStringList>("before");   // files in the folder before the job
        QTest::addColumn<QStringList>("outputs");  // the job's outputs, in order
        QTest::addColumn<int>("series");           // 1: each output is finished as it is made
        QTest::addColumn<int>("made");             // outputs made before the job fails
        QTest::addColumn<QStringList>("after");
        QTest::newRow("a replaced file half made")
            << QStringList{u8("a.flv")} << QStringList{u8("a.flv")} << 0 << 0 << QStringList();
        const QStringList pieces{u8("split_001.flv"), u8("split_002.flv"), u8("split_003.flv")};
        QTest::newRow("pieces not yet reached stay")
            << pieces << pieces << 0 << 1 << QStringList{u8("split_003.flv")};
        QTest::newRow("finished pictures stay")
            << QStringList{u8("snapshot_003.png")}
            << QStringList{u8("snapshot_001.png"), u8("snapshot_002.png"), u8("snapshot_003.png")}
            << 1 << 2 << QStringList{u8("snapshot_001.png"), u8("snapshot_002.png")};
        QTest::newRow("a name with wildcards is only itself")
            << QStringList{u8("a?.flv"), u8("ab.flv"), u8(" a?.flv")} << QStringList{u8("a?.flv")}
            << 0 << 0 << QStringList{u8(" a?.flv"), u8("ab.flv")};
    }
    // A failed job removes what it began to replace and did not finish, and nothing else.
    void whatAFailureLeaves() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, outputs);
        QFETCH(int, series);
        QFETCH(int, made);
        QFETCH(QStringList, after);
        const QString out = folder("out");
        for (const QString& name : before) {
            QVERIFY(testsupport::writeFile(out + name, "older"));
        }
        ToolJob job(out);
        QStringList paths;
        for (const QString& name : outputs) {
            paths << out + name;
        }
        job.setOutputs(paths);
        for (int i = 0; i < made; ++i) {
            job.addFileStep([&job, series, path = paths.at(i)] {
                const bool written = job.claimOutput(path) && testsupport::writeFile(path, "new");
                if (series == 1) {
                    job.keepOutput(path);
                }
                return written;
            });
        }
        job.addFileStep([&job, path = paths.at(made)] {
            return job.claimOutput(path) && testsupport::writeFile(path, "half") && false;
        });
        JobWatch watch(job);
        job.start();
        QVERIFY(watch.ended.wait(10000));
        QCOMPARE(job.result(), ToolJob::Result::Failed);
        QCOMPARE(testsupport::filesIn(out), after);
    }
};

QTEST_GUILESS_MAIN(TestToolJob)
#include "tst_tooljob.moc"
