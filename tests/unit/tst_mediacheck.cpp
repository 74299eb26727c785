// Whether an FLV looks damaged, read from its own bytes: cut off inside a tag, ending
// between tags before the length its onMetaData announces, or with a keyframe index past
// its end; and what it holds. Whole files and other kinds are left alone.
#include "TestSupport.h"
#include "core/media/MediaCheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The file's bytes up to the end of the last whole tag that ends before half of it.
QByteArray cutBetweenTags(const QByteArray& flv) {
    qsizetype pos = testsupport::bigEndian(flv, 5, 4);
    qsizetype kept = pos + 4;
    while (pos + 15 <= flv.size()) {
        const qsizetype next = pos + 4 + 11 + testsupport::bigEndian(flv, pos + 5, 3);
        if (next + 4 > flv.size() / 2) {
            break;
        }
        kept = next + 4;
        pos = next;
    }
    return flv.left(kept);
}

struct Case {
    QString file;  // in the test media, or "<between tags>": h264.flv cut after a tag
    bool isFlv;
    bool cutOff;
    bool indexPastEnd;
    bool damaged;
    double held;  // seconds held at least, 0: none asked
    double heldAtMost;
};

}  // namespace

Q_DECLARE_METATYPE(Case)

class TestMediaCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void condition_data() {
        testsupport::addRows<Case>({
            {"whole H.264 FLV", {u8("h264.flv"), true, false, false, false, 29.9, 30.1}},
            {"whole H.263 FLV", {u8("h263.flv"), true, false, false, false, 29.9, 30.1}},
            {"no onMetaData", {u8("bad/nometa.flv"), true, false, false, false, 29.9, 30.1}},
            {"cut inside a tag", {u8("bad/truncated.flv"), true, true, false, true, 13.0, 16.0}},
            {"cut, keyframe index", {u8("bad/indexed-half.flv"), true, true, true, true, 13, 16}},
            {"ends between tags", {u8("<between tags>"), true, false, false, true, 13.0, 16.0}},
            {"its head only", {u8("bad/head.flv"), true, true, false, true, 0, 0}},
            {"MP4", {u8("clip.mp4"), false, false, false, false, 0, 0}},
            {"empty", {u8("bad/empty.flv"), false, false, false, false, 0, 0}},
            {"text named .flv", {u8("bad/text/clip.flv"), false, false, false, false, 0, 0}},
            {"missing", {u8("<missing>"), false, false, false, false, 0, 0}},
        });
    }
    void condition() {
        QFETCH(Case, row);
        QTemporaryDir dir;
        QString path;
        if (row.file == u8("<between tags>")) {
            path = dir.filePath(u8("斷 開.flv"));
            const QByteArray cut =
                cutBetweenTags(testsupport::readFile(testsupport::media(u8("h264.flv"))));
            QVERIFY(testsupport::writeFile(path, cut));
        } else if (row.file == u8("<missing>")) {
            path = dir.filePath(u8("none.flv"));
        } else {
            path = testsupport::media(row.file);
        }
        const mediacheck::FlvCondition flv = mediacheck::examineFlv(path);
        QCOMPARE(flv.isFlv, row.isFlv);
        QCOMPARE(flv.cutOff, row.cutOff);
        QCOMPARE(flv.indexPastEnd, row.indexPastEnd);
        QCOMPARE(flv.looksDamaged(), row.damaged);
        // Only a file with no whole picture or sound holds nothing.
        QCOMPARE(flv.lastTagMs < 0, !row.isFlv || row.file == u8("bad/head.flv"));
        if (row.held > 0) {
            QVERIFY2(flv.heldSeconds() >= row.held && flv.heldSeconds() <= row.heldAtMost,
                     qPrintable(QString::number(flv.heldSeconds())));
        }
        if (row.isFlv && row.file != u8("bad/nometa.flv")) {
            QVERIFY2(qAbs(flv.announced - 30.0) < 0.2, qPrintable(QString::number(flv.announced)));
        }
    }

    // A damaged or hostile onMetaData never reads outside its bytes nor recurses without
    // end; what came before the damage still counts.
    void metadataOfAnyShape_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<double>("announced");
        const QByteArray head = QByteArrayLiteral("\x02\x00\x0aonMetaData");
        const QByteArray duration = QByteArrayLiteral(
            "\x00\x08"
            "duration"
            "\x00\x40\x3e\x00\x00\x00\x00\x00\x00");
        QTest::newRow("object") << head + "\x03" + duration + QByteArrayLiteral("\x00\x00\x09")
                                << 30.0;
        QTest::newRow("ecma array") << head + QByteArrayLiteral("\x08\x00\x00\x00\x01") + duration +
                                           QByteArrayLiteral("\x00\x00\x09")
                                    << 30.0;
        QTest::newRow("cut in the number") << head + "\x03" + duration.left(12) << 0.0;
        QTest::newRow("no end marker") << head + "\x03" + duration << 30.0;
        QTest::newRow("nested forever") << head + QByteArray(100000, '\x0a') << 0.0;
        QTest::newRow("huge strict array")
            << head + QByteArrayLiteral("\x03\x00\x01k\x0a\xff\xff\xff\xff") << 0.0;
        QTest::newRow("not metadata") << QByteArrayLiteral("\x02\x00\x04onXY") << 0.0;
        QTest::newRow("empty") << QByteArray() << 0.0;
    }
    void metadataOfAnyShape() {
        QFETCH(QByteArray, body);
        QFETCH(double, announced);
        mediacheck::FlvCondition flv;
        mediacheck::readFlvMetadata(body, 1000, &flv);
        QCOMPARE(flv.announced, announced);
        QVERIFY(!flv.indexPastEnd);
    }
};

QTEST_GUILESS_MAIN(TestMediaCheck)
#include "tst_mediacheck.moc"
