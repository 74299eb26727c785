// The marks list's rules without its window: which time texts are accepted, what each edit
// button does to the lines, the selection and the boxes, which buttons are usable
// afterwards, and how a line turns back into frames.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "core/lists/MarksLines.h"

#include <QtTest>

namespace {

QString time(const QString& seconds) {
    return u8("00:00:%1.00").arg(seconds.toInt(), 2, 10, QLatin1Char('0'));
}

// "1-2 [5-6]": ranges in whole seconds, the selected one in brackets.
QStringList lines(const char* ranges, int* selected = nullptr) {
    QStringList result;
    for (QString range : u8(ranges).split(u' ', Qt::SkipEmptyParts)) {
        if (range.startsWith(u'[') && selected != nullptr) {
            *selected = static_cast<int>(result.size());
        }
        const QStringList ends = range.remove(u'[').remove(u']').split(u'-');
        result << u8("　從 %1 到 %2").arg(time(ends.at(0)), time(ends.at(1)));
    }
    return result;
}

struct EditRow {
    const char* before;  // the file is 30 s long
    MarksLines::Edit edit;
    const char *start, *end;  // typed into the boxes
    const char* message;      // "" none
    const char* after;
    const char* usable;  // 修改 移除 ↑ ↓
};

}  // namespace

Q_DECLARE_METATYPE(EditRow)

class tst_MarksLines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void validTime_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("largest") << u8("99:59:59.99") << true;
        QTest::newRow("seconds 60") << u8("00:00:60.00") << false;
        QTest::newRow("minutes 60") << u8("00:60:00.00") << false;
        QTest::newRow("one hour digit") << u8("0:00:00.00") << false;
        QTest::newRow("three decimals") << u8("00:00:00.000") << false;
        QTest::newRow("comma") << u8("00:00:00,00") << false;
    }
    void validTime() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(MarksLines::isValidTime(text), valid);
    }

    void edit_data() {
        const char* format = "輸入的時間不符合格式要求！";
        const char* beyond = "時間超過此檔案的播放長度！";
        const char* order = "結束時間必須在開始時間之後！";
        using M = MarksLines;
        testsupport::addRows<EditRow>({
            {"seconds 60",
             {"[1-2]", M::Add, "00:00:60.00", "00:00:09.00", format, "[1-2]", "1100"}},
            {"largest time",
             {"[1-2]", M::Add, "00:00:05.00", "99:59:59.99", beyond, "[1-2]", "1100"}},
            {"past the end",
             {"[1-2]", M::Change, "00:00:05.00", "00:00:30.01", beyond, "[1-2]", "1100"}},
            {"start equal to end",
             {"[1-2]", M::Add, "00:00:05.00", "00:00:05.00", order, "[1-2]", "1100"}},
            {"end equal to the total",
             {"[1-2]", M::Add, "00:00:05.00", "00:00:30.00", "", "1-2 [5-30]", "1110"}},
            {"add with no selection",
             {"1-2", M::Add, "00:00:03.00", "00:00:04.00", "", "[3-4] 1-2", "1101"}},
            {"add after the selection",
             {"[1-2] 5-6", M::Add, "00:00:03.00", "00:00:04.00", "", "1-2 [3-4] 5-6", "1111"}},
            {"change the selected",
             {"1-2 [5-6]", M::Change, "00:00:07.00", "00:00:08.00", "", "1-2 [7-8]", "1110"}},
            {"remove the last", {"1-2 5-6 [7-8]", M::Remove, "", "", "", "1-2 [5-6]", "1110"}},
            {"remove the only line", {"[1-2]", M::Remove, "", "", "", "", "0000"}},
            {"up on the first line", {"[1-2] 5-6", M::Up, "", "", "", "[1-2] 5-6", "1101"}},
            {"up", {"1-2 [5-6]", M::Up, "", "", "", "[5-6] 1-2", "1101"}},
            {"down on the last line", {"1-2 [5-6]", M::Down, "", "", "", "1-2 [5-6]", "1110"}},
            {"down", {"[1-2] 5-6", M::Down, "", "", "", "5-6 [1-2]", "1110"}},
        });
    }
    void edit() {
        QFETCH(EditRow, row);
        int selected = -1;
        QList<QPair<QString, QString>> ranges;
        for (const QString& line : lines(row.before, &selected)) {
            const auto [start, end] = MarksLines::splitRangeLine(line);
            ranges.append({start, end});
        }
        MarksLines m;
        m.load(u8("00:00:30.00"), ranges);
        m.select(selected);

        ScriptedDialogs dialogs;
        const bool refused = *row.message != '\0';
        if (refused) {
            dialogs.answerMessage(MsgResult::Ok);
        }
        QCOMPARE(m.edit(row.edit, u8(row.start), u8(row.end)), !refused);
        QCOMPARE(dialogs.messageTexts(), refused ? QStringList{u8(row.message)} : QStringList());
        QCOMPARE(dialogs.lastMessage().title, refused ? u8("錯誤訊息") : QString());
        QCOMPARE(dialogs.unexpected(), 0);

        int selectedAfter = -1;
        QCOMPARE(m.lines(), lines(row.after, &selectedAfter));
        QCOMPARE(m.selected(), selectedAfter);
        // The selected line shows in the boxes; none: zero times.
        const auto [start, end] = MarksLines::splitRangeLine(m.lines().value(selectedAfter));
        QCOMPARE(m.startBox() + u' ' + m.endBox(), start + u' ' + end);
        QString usable;
        for (const bool on : {m.canChange(), m.canRemove(), m.canMoveUp(), m.canMoveDown()}) {
            usable += on ? u'1' : u'0';
        }
        QCOMPARE(usable, u8(row.usable));
    }

    void frames_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("secPerFrame");
        QTest::addColumn<QString>("texts");
        QTest::addColumn<QString>("frames");  // from -1 -1
        QTest::newRow("25 a second") << u8("　從 00:00:04.00 到 00:00:12.00") << 0.04
                                     << u8("00:00:04.00 00:00:12.00") << u8("100 300");
        QTest::newRow("a cut hundredth rounds to its frame")
            << u8("　從 00:00:00.03 到 00:01:00.00") << 1.0 / 30 << u8("00:00:00.03 00:01:00.00")
            << u8("1 1800");
        QTest::newRow("no 到") << u8("00:00:04.00 00:00:12.00") << 0.04
                               << u8("00:00:00.00 00:00:00.00") << u8("-1 -1");
        QTest::newRow("frame duration unknown") << u8("　從 00:00:04.00 到 00:00:12.00") << 0.0
                                                << u8("00:00:04.00 00:00:12.00") << u8("-1 -1");
    }
    void frames() {
        QFETCH(QString, line);
        QFETCH(double, secPerFrame);
        QFETCH(QString, texts);
        QFETCH(QString, frames);
        const auto [start, end] = MarksLines::splitRangeLine(line);
        QCOMPARE(start + u' ' + end, texts);
        qint32 from = -1;
        qint32 to = -1;
        MarksLines::lineFrames(line, secPerFrame, from, to);
        QCOMPARE(QStringLiteral("%1 %2").arg(from).arg(to), frames);
    }
};

QTEST_GUILESS_MAIN(tst_MarksLines)
#include "tst_markslines.moc"
