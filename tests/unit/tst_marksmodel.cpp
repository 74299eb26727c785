// The range marks as data, without a window: how marking, deleting, clearing and a marks
// text change the segments, and the times the strip, the marks list and a save read from
// them.
#include "player/MarksModel.h"
#include "player/PlayerState.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

class TestMarksModel : public QObject {
    Q_OBJECT

    PlayerState m_player;

private Q_SLOTS:
    void init() {
        // 30 s at 25 frames a second.
        m_player.totalFrames = 750;
        m_player.secPerFrame = 0.04f;
        m_player.totalSeconds = 30.0;
    }

    void editing_data() {
        QTest::addColumn<QString>("ops");
        QTest::addColumn<QString>("marks");  // marksText, then "open" when the last is open
        QTest::addColumn<int>("curSeg");
        QTest::addColumn<bool>("strip");
        const auto row = [](const char* ops, const char* marks, int cur, bool strip) {
            QTest::newRow(ops) << u8(ops) << u8(marks) << cur << strip;
        };
        row("", "0-0 empty", 0, false);
        row("o100", "100-101 open", 0, true);
        row("o100 o120", "120-121 open", 0, true);  // a second start moves the open one
        row("o100 c200 o300", "100-200 300-301 open", 1, true);
        row("o100 c200 o300 c400 r0", "300-400", 0, true);
        row("o100 c200 o300 c400 r1", "100-200", 0, true);
        row("o100 c200 r0", "0-0 empty", 0, false);  // the only segment: nothing is left
        row("o100 c200 x", "0-0 empty", 0, false);
        row("t100-200 300-400", "100-200 300-400", 1, false);
        row("t 5-2  x-9 ", "5-5 0-9", 1, false);        // lenient numbers, no backward segment
        row("o100 t100-751", "100-101 open", 0, true);  // beyond the end: refused
        row("o100 t", "100-101 open", 0, true);
    }
    void editing() {
        QFETCH(QString, ops);
        QFETCH(QString, marks);
        QFETCH(int, curSeg);
        QFETCH(bool, strip);
        MarksModel model(m_player);
        QSignalSpy changed(&model, &MarksModel::changed);
        int expectedSignals = 0;
        for (const QString& op : ops.split(u' ', Qt::SkipEmptyParts)) {
            const QChar kind = op.at(0);
            const qint32 n = op.mid(1).toInt();
            if (kind == u'o') {
                model.openSegment(n);
            } else if (kind == u'c') {
                const MarksModel::Segment s = model.segment(model.curSeg);
                model.setSegment(model.curSeg, s.start, n - s.start, MarksModel::State::Closed);
            } else if (kind == u'r') {
                model.removeSegment(n);
            } else if (kind == u'x') {
                model.clear();
            } else if (kind == u't') {
                if (!model.setMarksText(ops.mid(ops.indexOf(u't') + 1), 750)) {
                    --expectedSignals;
                }
                ++expectedSignals;
                break;
            }
            ++expectedSignals;
        }
        QString shown = model.marksText();
        if (model.isEmpty()) {
            shown += u8(" empty");
        } else if (model.lastSegmentOpen()) {
            shown += u8(" open");
        }
        QCOMPARE(shown, marks);
        QCOMPARE(model.curSeg, curSeg);
        QCOMPARE(model.stripShown(), strip);
        QCOMPARE(changed.size(), expectedSignals);
    }

    // The times of a segment at 25 frames a second; nothing while the length is unknown.
    // (The texts the strip shows and the tools get: tst_rangemarks.)
    void times() {
        MarksModel model(m_player);
        QVERIFY(model.setMarksText(u8("307-503 700-750"), 750));
        float from = -1.0f;
        float to = -1.0f;
        QString start;
        QString end;
        QString length;
        model.segmentSeconds(0, from, to);
        QCOMPARE(from, 12.28f);
        QCOMPARE(to, 20.12f);

        m_player.totalSeconds = 0.0;  // a stream of unknown length
        model.segmentSeconds(0, from, to);
        QCOMPARE(QList<float>({from, to}), QList<float>({0.0f, 0.0f}));
        model.rsFormat(0, start, end, 2, from, to, 0.0f, 0.0f, length);
        QCOMPARE(start + end, QString());
    }
};

QTEST_GUILESS_MAIN(TestMarksModel)
#include "tst_marksmodel.moc"
