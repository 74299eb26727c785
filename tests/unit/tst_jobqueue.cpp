// The queue of jobs above the job engine, without windows and with small stand-in runs: the
// files go one after another, a failing one does not stop the rest, a full disk stops them,
// Break asks whether to go on, and the report names every file with what became of it. Also
// what a batch decides before each job: skips, names, the probe, and marks as ranges.
#include "TestSupport.h"
#include "core/jobs/BatchPlan.h"
#include "core/jobs/BatchTexts.h"
#include "core/jobs/JobQueue.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A job whose one run copies src to its output: it succeeds when src has bytes.
std::unique_ptr<ToolJob> copyJob(const QString& src, const QString& out) {
    auto job = std::make_unique<ToolJob>(QFileInfo(out).absolutePath());
    job->setOutput(out);
    job->setStepCount(1);
    job->beginStep(1);
    job->addClaimStep(out);
    job->addRun(ToolCommand(u8("cp")).raw(u8(" -- ")).arg(src).raw(u8(" ")).arg(out), 1.0, out,
                ToolJob::OnEmpty::Fail);
    return job;
}

// A job whose run says what a full disk says, and makes nothing.
std::unique_ptr<ToolJob> fullDiskJob(const QString& out) {
    auto job = std::make_unique<ToolJob>(QFileInfo(out).absolutePath());
    job->setOutput(out);
    job->setStepCount(1);
    job->beginStep(1);
    job->addRun(
        ToolCommand(u8("printf")).raw(u8(" ")).arg(u8("write error: No space left on device\\n")),
        1.0, out, ToolJob::OnEmpty::Fail);
    return job;
}

}  // namespace

class TestJobQueue : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(testsupport::writeFile(path(u8("good.flv")), "bytes"));
        QVERIFY(testsupport::writeFile(path(u8("empty.flv"))));
    }

    void data() {
        QTest::addColumn<QString>("third");  // what the third file's job does
        QTest::addColumn<QStringList>("report");
        const QString out = m_dir.path() + u8("/out/");
        QTest::newRow("a failure goes on")
            << u8("fail")
            << QStringList({u8("完成 2 個，失敗 1 個，略過 1 個"),
                            u8("完成：") + path(u8("good.flv")) + u8(" → ") + out + u8("1.flv"),
                            u8("略過：") + path(u8("gone.flv")) + u8("（檔案不存在）"),
                            u8("失敗：") + path(u8("empty.flv")) +
                                u8("（可能是檔案格式不支援進一步的修復）"),
                            u8("完成：") + path(u8("good.flv")) + u8(" → ") + out + u8("4.flv")});
        QTest::newRow("a full disk stops the rest")
            << u8("full")
            << QStringList({u8("完成 1 個，失敗 1 個，略過 2 個"),
                            u8("完成：") + path(u8("good.flv")) + u8(" → ") + out + u8("1.flv"),
                            u8("略過：") + path(u8("gone.flv")) + u8("（檔案不存在）"),
                            u8("失敗：") + path(u8("empty.flv")) + u8("（磁碟空間不足"),
                            u8("略過：") + path(u8("good.flv")) + u8("（磁碟已滿）")});
    }
    // Four files: one done, one skipped before its turn, the third failing, the fourth done
    // or, after a full disk, skipped.
    void queue_data() { data(); }
    void queue() {
        QFETCH(QString, third);
        QFETCH(QStringList, report);
        const QString out = m_dir.path() + u8("/out/");
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        JobQueue queue(ToolOperation::Repair);
        queue.add(path(u8("good.flv")));
        queue.add(path(u8("gone.flv")), batchTexts::missing());
        queue.add(path(u8("empty.flv")));
        queue.add(path(u8("good.flv")));
        int built = 0;
        queue.setBuilder([&](const QString& src, const batchPlan::MediaFacts&, QString*) {
            ++built;
            const QString dest = out + QString::number(queue.current() + 1) + u8(".flv");
            return third == u8("full") && queue.current() == 2 ? fullDiskJob(dest)
                                                               : copyJob(src, dest);
        });
        QList<int> started;
        QList<int> progress;
        connect(&queue, &JobQueue::fileStarted, this, [&](int index, int count, const QString&) {
            QCOMPARE(count, 4);
            started << index;
        });
        connect(&queue, &JobQueue::progressChanged, this, [&](int p) { progress << p; });
        QSignalSpy ended(&queue, &JobQueue::finished);
        queue.start();
        QVERIFY(ended.wait(20000));
        const QStringList lines = queue.reportLines();
        QCOMPARE(lines.size(), report.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            // The disk's line names its folder after what is compared.
            QVERIFY2(lines.at(i).startsWith(report.at(i)), qPrintable(lines.at(i)));
        }
        QCOMPARE(started, third == u8("full") ? QList<int>({1, 3}) : QList<int>({1, 3, 4}));
        QCOMPARE(built, started.size());
        QVERIFY(std::is_sorted(progress.cbegin(), progress.cend()));
        QCOMPARE(progress.constLast(), 100);
        QVERIFY(!QFileInfo::exists(out + u8("3.flv")));
    }

    // Break stops the file in work; the answer to the question decides the rest.
    void breakAsks_data() {
        QTest::addColumn<bool>("stopRest");
        QTest::newRow("stop the rest") << true;
        QTest::newRow("go on") << false;
    }
    void breakAsks() {
        QFETCH(bool, stopRest);
        const QString out = m_dir.path() + u8("/break/");
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        JobQueue queue(ToolOperation::Repair);
        for (int i = 0; i < 3; ++i) {
            queue.add(path(u8("good.flv")));
        }
        queue.setBuilder([&](const QString& src, const batchPlan::MediaFacts&, QString*) {
            const QString dest = out + QString::number(queue.current() + 1) + u8(".flv");
            if (queue.current() != 1) {
                return copyJob(src, dest);
            }
            // The second file's run takes long enough to be stopped.
            auto job = std::make_unique<ToolJob>(out);
            job->setOutput(dest);
            job->setStepCount(1);
            job->beginStep(1);
            job->addRun(ToolCommand(u8("sleep")).raw(u8(" 30")), 1.0, dest, ToolJob::OnEmpty::Fail);
            return job;
        });
        QList<int> asked;
        queue.askStopRest = [&](int left) {
            asked << left;
            return stopRest;
        };
        connect(&queue, &JobQueue::stepStarted, this, [&] {
            if (queue.current() == 1) {
                queue.requestBreak();
            }
        });
        QSignalSpy ended(&queue, &JobQueue::finished);
        queue.start();
        QVERIFY(ended.wait(20000));
        QCOMPARE(asked, QList<int>{1});
        QCOMPARE(queue.items().at(1).outcome, BatchItem::Outcome::Failed);
        QCOMPARE(queue.items().at(1).reason, batchTexts::stopped());
        QCOMPARE(queue.items().at(2).outcome,
                 stopRest ? BatchItem::Outcome::Skipped : BatchItem::Outcome::Done);
        QCOMPARE(QDir(out).entryList(QDir::Files),
                 stopRest ? QStringList{u8("1.flv")} : QStringList({u8("1.flv"), u8("3.flv")}));
    }

    // What a batch decides for each file before its job is built.
    void plan() {
        QStringList taken;
        const QStringList sources{path(u8("good.flv")), m_dir.path() + u8("/sub/good.flv")};
        const QString out = m_dir.path() + u8("/");
        // A name taken by an earlier output, or naming a source (under any name, or not there
        // yet), gets a number.
        QCOMPARE(batchPlan::uniqueName(out, u8("good"), u8("_fix"), u8("flv"), taken, sources),
                 out + u8("good_fix.flv"));
        QCOMPARE(batchPlan::uniqueName(out, u8("good"), u8("_fix"), u8("flv"), taken, sources),
                 out + u8("good_2_fix.flv"));
        QCOMPARE(batchPlan::uniqueName(out, u8("good"), QString(), u8("flv"), taken, sources),
                 out + u8("good_2.flv"));
        QCOMPARE(batchPlan::uniqueName(m_dir.path() + u8("/sub/"), u8("good"), QString(), u8("flv"),
                                       taken, sources),
                 m_dir.path() + u8("/sub/good_2.flv"));
        QCOMPARE(batchPlan::uniqueFolder(out, u8("good"), taken), out + u8("good/"));
        QCOMPARE(batchPlan::uniqueFolder(out, u8("good"), taken), out + u8("good_2/"));

        QCOMPARE(batchPlan::precheck(path(u8("gone.flv")), {}, {}, u8("修復")),
                 batchTexts::missing());
        QCOMPARE(batchPlan::precheck(path(u8("empty.flv")), {}, {}, u8("修復")),
                 batchTexts::empty());
        QCOMPARE(batchPlan::precheck(path(u8("good.flv")), {path(u8("good.flv"))}, {}, u8("修復")),
                 batchTexts::duplicate());
        QCOMPARE(batchPlan::precheck(
                     path(u8("good.flv")), {}, [](const QString&) { return false; }, u8("轉檔")),
                 u8("不支援轉檔的多媒體格式"));

        const batchPlan::MediaFacts facts = batchPlan::readProbe(
            "codec_type=video\nr_frame_rate=25/1\navg_frame_rate=25/1\nDISPOSITION:attached_pic=0\n"
            "codec_type=audio\nr_frame_rate=0/0\navg_frame_rate=0/0\nduration=30.040000\n",
            1000);
        QVERIFY(facts.video);
        QCOMPARE(facts.fps, 25.0);
        QCOMPARE(facts.seconds, 30.04);
        // Marks in frames of 25 a second; a range past the end does not fit the file.
        const QList<SaveRangesJob::Range> ranges =
            batchPlan::marksRanges(u8("25-100 500-751"), facts);
        QCOMPARE(ranges.size(), 2);
        QCOMPARE(ranges.at(0).start, 1.0);
        QCOMPARE(ranges.at(0).end, 4.0);
        QCOMPARE(ranges.at(1).end, 30.04);
        QVERIFY(batchPlan::marksRanges(u8("25-100 500-900"), facts).isEmpty());
        const batchPlan::MediaFacts cover = batchPlan::readProbe(
            "codec_type=audio\navg_frame_rate=0/0\ncodec_type=video\navg_frame_rate=90000/1\n"
            "DISPOSITION:attached_pic=1\nduration=12.5\n",
            10);
        QVERIFY(!cover.video);
    }
};

QTEST_GUILESS_MAIN(TestJobQueue)
#include "tst_jobqueue.moc"
