// What the split and snapshot tools make of the numbers typed into them: the pieces and
// pictures, when the run button may be pressed, and what the statistics panels say.
#include "TestSupport.h"
#include "core/jobs/SplitPlan.h"

using namespace splitPlan;

namespace {

struct SplitRow {
    SplitInput input;
    double seconds;  // the probed length
    qint64 bytes;
    bool valid;
    const char* pieces;  // "start-end start-end ...", each as seconds with two decimals
    const char* stats;   // count | seconds | kilobytes | share, as the panels show them
};

struct SnapRow {
    SnapInput input;
    double seconds;
    bool valid;
    const char* times;  // the pictures' moments, two decimals each
};

QString piecesText(const QList<SaveRangesJob::Range>& pieces) {
    QStringList out;
    for (const SaveRangesJob::Range& piece : pieces) {
        out << QString::number(piece.start, 'f', 2) + u'-' + QString::number(piece.end, 'f', 2);
    }
    return out.join(u' ');
}

}  // namespace

Q_DECLARE_METATYPE(SplitRow)
Q_DECLARE_METATYPE(SnapRow)

class TestSplitPlan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void split_data() {
        using M = SplitMode;
        const qint64 kb = 1024;
        testsupport::addRows<SplitRow>({
            {"one part",
             {{M::Parts, 1}, 95, 950 * kb, false, "", "目前切割數  ？|？ 秒|？ KB|佔全部 ？ %"}},
            {"two parts",
             {{M::Parts, 2}, 95, 950 * kb, true, "0.00-47.50 47.50-95.00", "目前切割數 002"}},
            {"99 parts", {{M::Parts, 99}, 990, 950 * kb, true, "", "目前切割數 099"}},
            {"100 parts", {{M::Parts, 100}, 990, 950 * kb, false, "", "目前切割數  ？"}},
            {"parts cut to hundredths",
             {{M::Parts, 3}, 95.3, 950 * kb, true, "0.00-31.77 31.77-63.54 63.54-95.30", ""}},
            {"30 s pieces of 95 s, the last clipped",
             {{M::Seconds, 30},
              95,
              950 * kb,
              true,
              "0.00-30.00 30.00-60.00 60.00-90.00 90.00-95.00",
              "目前切割數 004"}},
            {"pieces as long as the file", {{M::Seconds, 95}, 95, 950 * kb, false, "", ""}},
            {"no seconds", {{M::Seconds, 0}, 95, 950 * kb, false, "", ""}},
            {"400 KB pieces of 950 KB",
             {{M::Kilobytes, 400},
              95,
              950 * kb,
              true,
              "0.00-40.00 40.00-80.00 80.00-95.00",
              "目前切割數 003"}},
            {"a span in seconds",
             {{M::SecondsSpan, 0, 12.7, 25.3},
              95,
              950 * kb,
              true,
              "12.70-25.30",
              "|12.60 秒|126 KB|佔全部 13.26 %"}},
            {"a span that ends where it starts",
             {{M::SecondsSpan, 0, 20, 20}, 95, 950 * kb, false, "", "|？ 秒|？ KB|佔全部 ？ %"}},
            {"a span past the end", {{M::SecondsSpan, 0, 20, 95.01}, 95, 950 * kb, false, "", ""}},
            {"a span to the end",
             {{M::SecondsSpan, 0, 20, 95}, 95, 950 * kb, true, "20.00-95.00", ""}},
            {"a span in kilobytes shows them as typed",
             {{M::KilobyteSpan, 0, 100.4, 300},
              95,
              950 * kb,
              true,
              "10.04-30.00",
              "|19.96 秒|200 KB|佔全部 21.01 %"}},
            {"the whole file in percent",
             {{M::PercentSpan, 0, 0, 100},
              95,
              950 * kb,
              true,
              "0.00-95.00",
              "|95.00 秒|950 KB|佔全部 100.00 %"}},
            {"a length not known yet", {{M::Parts, 2}, 0, 950 * kb, false, "", ""}},
            {"an empty file", {{M::Parts, 2}, 95, 0, false, "", ""}},
            {"a pasted huge number", {{M::Parts, 1e300}, 95, 950 * kb, false, "", ""}},
        });
    }
    void split() {
        QFETCH(SplitRow, row);
        const Split got = splitPlan::split(row.input, {row.seconds, row.bytes});
        QCOMPARE(got.valid, row.valid);
        if (*row.pieces != '\0' || !row.valid) {
            QCOMPARE(piecesText(got.pieces), u8(row.pieces));
        }
        const QStringList stats = u8(row.stats).split(u'|');
        const QStringList shown = {countText(got), secondsText(got), kilobytesText(got),
                                   shareText(got)};
        for (int i = 0; i < stats.size(); ++i) {
            if (!stats.at(i).isEmpty()) {
                QCOMPARE(shown.at(i), stats.at(i));
            }
        }
    }

    // A piece from 12.7 s to 25.3 s is cut from second 12 for 14 seconds.
    void wholeSeconds() {
        const SaveRangesJob::WholeSeconds cut = SaveRangesJob::wholeSeconds({12.7, 25.3});
        QCOMPARE(cut.ss, 12);
        QCOMPARE(cut.length, 14);
    }

    // A piece starts on the last keyframe at or before the second it is cut from.
    void realStarts() {
        const Split pieces = splitPlan::split({SplitMode::Seconds, 30}, {95, 950 * 1024});
        const QList<double> starts =
            splitPlan::realStarts(pieces, {0.0, 9.6, 28.8, 30.0, 57.6, 86.4});
        QCOMPARE(starts, (QList<double>{0.0, 30.0, 57.6, 86.4}));
    }

    void snapshot_data() {
        using C = SnapChoice;
        using S = SnapSpacing;
        testsupport::addRows<SnapRow>({
            {"a moment", {{C::Moment, S::Count, true, 12.345}, 95, true, "12.34"}},
            {"a moment at the end", {{C::Moment, S::Count, true, 95}, 95, true, "94.90"}},
            {"a moment past the end", {{C::Moment, S::Count, true, 95.01}, 95, false, "94.90"}},
            {"no moment typed", {{C::Moment, S::Count, false, 0}, 95, false, "0.00"}},
            {"every 10 s of 95 s",
             {{C::Whole, S::Interval, false, 0, 0, 0, 0, 10},
              95,
              true,
              "0.00 10.00 20.00 30.00 40.00 50.00 60.00 70.00 80.00 90.00"}},
            {"every 10 s of 100 s, the last before the end",
             {{C::Whole, S::Interval, false, 0, 0, 0, 0, 10},
              100,
              true,
              "0.00 10.00 20.00 30.00 40.00 50.00 60.00 70.00 80.00 90.00 99.90"}},
            {"four of 100 s",
             {{C::Whole, S::Count, false, 0, 0, 0, 4}, 100, true, "0.00 25.00 50.00 75.00"}},
            {"none", {{C::Whole, S::Count, false, 0, 0, 0, 0}, 100, false, ""}},
            {"one of a span", {{C::Span, S::Count, false, 0, 20, 30, 1}, 100, true, "20.00"}},
            {"an interval as long as the span",
             {{C::Span, S::Interval, false, 0, 20, 30, 0, 10}, 100, false, ""}},
            {"a span that ends first", {{C::Span, S::Count, false, 0, 30, 20, 2}, 100, false, ""}},
            {"a span past the end", {{C::Span, S::Count, false, 0, 20, 101, 2}, 100, false, ""}},
            {"999 pictures", {{C::Whole, S::Count, false, 0, 0, 0, 999}, 1000, true, ""}},
            {"1000 pictures", {{C::Whole, S::Count, false, 0, 0, 0, 1000}, 1000, false, ""}},
            {"a length not known yet", {{C::Whole, S::Count, false, 0, 0, 0, 4}, 0, false, ""}},
        });
    }
    void snapshot() {
        QFETCH(SnapRow, row);
        const Snapshot got = splitPlan::snapshot(row.input, {row.seconds, 1});
        QCOMPARE(got.valid, row.valid);
        QCOMPARE(got.single, row.input.choice == SnapChoice::Moment || row.seconds <= 0);
        if (*row.times != '\0') {
            QStringList times;
            for (const double t : got.times) {
                times << QString::number(t, 'f', 2);
            }
            QCOMPARE(times.join(u' '), u8(row.times));
        }
    }
};

QTEST_GUILESS_MAIN(TestSplitPlan)
#include "tst_splitplan.moc"
