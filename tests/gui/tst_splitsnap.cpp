// The split and snapshot tabs with the real windows and the real tools: the shared source and
// its probe (which leaves the player alone), the boxes, pieces cut from each container family
// with their codecs and lengths, one piece between two positions, the pictures of a moment or
// a series compared with the frames themselves, and what a refused, stopped or failed run
// leaves: the source as it was, finished pictures, nothing else.
#include "ToolTabKit.h"
#include "gui/tooltabs/ProbePanel.h"
#include "gui/tooltabs/SnapTab.h"
#include "gui/tooltabs/SplitTab.h"
#include "gui/widgets/ZelvoTab.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

namespace {

const QString kDoneHead = u8("全部的檔案處理程序已經成功結束\r\n總共使用的時間有 ");

struct SplitRow {
    const char* media;
    int mode;
    const char* each;     // the multi-piece number, or "from to" of a one-piece mode
    const char* made;     // the files made, "|" between them; "<base>" the source's base name
    const char* seconds;  // their lengths, " " between them
};

struct SnapRow {
    int choice;
    int spacing;
    const char* numbers;  // moment | from to | count | interval, as typed
    const char* type;
    const char* made;  // "name@frame" each, "|" between them
};

}  // namespace

Q_DECLARE_METATYPE(SplitRow)
Q_DECLARE_METATYPE(SnapRow)

class tst_SplitSnap : public ToolTabTest {
    Q_OBJECT

    SplitTab& split() const { return *static_cast<SplitTab*>(m_list->toolTab(21)); }
    SnapTab& snap() const { return *static_cast<SnapTab*>(m_list->toolTab(30)); }
    ProbePanel& probe() const { return *m_list->findChild<ProbePanel*>(); }
    // Shows the tab (21 split, 30 snapshot) and probes path.
    void probeOn(int id, const QString& path) {
        m_list->changeToTab(id / 10, id % 10, false);
        probe().txtMdSplit->setText(path);
        probe().cmdMdSplitChk_Click();
    }

private Q_SLOTS:
    void init() { openWindows(); }
    void cleanup() { closeWindows(); }

    void probes_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("media");
        QTest::addColumn<QString>("message");  // "" none
        QTest::addColumn<QString>("length");
        QTest::newRow("video") << 21 << u8("h264.flv") << QString()
                               << u8("此多媒體屬性：播放長度 30.08 秒 = 大小 %1 KB");
        QTest::newRow("no picture, split")
            << 21 << u8("clip.mp3") << u8("「切割功能」無法處理沒有畫面／視訊的影片！")
            << u8("此多媒體屬性：未確認");
        QTest::newRow("no picture, snapshot")
            << 30 << u8("clip.mp3") << u8("「截圖功能」無法處理沒有畫面／視訊的影片！")
            << u8("此多媒體屬性：未確認");
        QTest::newRow("not media")
            << 21 << u8("bad/text/clip.flv") << u8("無法取得指定檔案的相關屬性：\r\n<src>")
            << u8("此多媒體屬性：未確認");
    }
    // The probe reads the length with a session of its own: the player goes on with its file.
    void probes() {
        QFETCH(int, tab);
        QFETCH(QString, media);
        QFETCH(QString, message);
        QFETCH(QString, length);
        QVERIFY(m_f->play(u8("clip.mp4")));
        const QString playing = win().session().FileName();
        const QString src = source(media, QFileInfo(media).fileName());
        if (!message.isEmpty()) {
            m_dialogs->answerMessage(media.endsWith(u8(".flv")) ? MsgResult::Cancel
                                                                : MsgResult::Ok);
        }
        probeOn(tab, src);
        QCOMPARE(m_dialogs->messageTexts().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QVERIFY2(m_dialogs->lastMessage().text.startsWith(message.replace(u8("<src>"), src)),
                     qPrintable(m_dialogs->lastMessage().text));
            QCOMPARE(m_dialogs->lastMessage().title, u8("錯誤訊息"));
        }
        QCOMPARE(probe().lblMdLen->text(), length.arg(QFileInfo(src).size() / 1024));
        QCOMPARE((tab == 21 ? static_cast<QWidget*>(split().optMdSplit[1]) : snap().optMdSnap1[0])
                     ->isEnabled(),
                 message.isEmpty());
        QCOMPARE(win().session().FileName(), playing);
        QVERIFY(m_f->waitPlaying() || !message.isEmpty());
    }

    // The boxes take what their numbers are made of; the run button follows them and says
    // what is missing; a new source forgets the probe.
    void boxes() {
        probeOn(21, source(u8("h264.flv"), u8("clip.flv")));
        SplitTab& t = split();
        QVERIFY(!t.cmdMediaSplit->isEnabled());
        QCOMPARE(t.cmdMediaSplit->toolTip(),
                 u8("請輸入 2 到 99 個切割數，或是在播放長度之內的區段"));
        QTest::keyClicks(t.txtMdSpEq[0], u8("1.5x"));
        QCOMPARE(t.txtMdSpEq[0]->text(), u8("15"));
        QCOMPARE(t.lblNoteMd[2]->text(), u8("目前切割數 015"));
        QVERIFY(t.cmdMediaSplit->isEnabled());
        QVERIFY(t.picNoteMd[0]->isVisible() && !t.picNoteMd[1]->isVisible());
        t.optMdSplit[1]->click();
        QTest::keyClicks(t.txtMdSpEq[1], u8("7.5"));
        QCOMPARE(t.txtMdSpEq[1]->text(), u8("7.5"));
        QCOMPARE(t.lblNoteMd[2]->text(), u8("目前切割數 005"));
        // Where the pieces will really start: on the keyframes every 2 s.
        QVERIFY(testsupport::waitUntil([&] { return probe().keyframesKnown(); }, 10000));
        QVERIFY2(t.lblSplitStarts->text().startsWith(
                     u8("實際開始於關鍵影格：00:00.00、00:06.02、00:14.02、00:20.02、00:28.02，"
                        "最多比指定的時間提早 2.48 秒")),
                 qPrintable(t.lblSplitStarts->text()));
        t.optMdSplit[5]->click();
        t.txtMdSpFrom[2]->setText(u8("25"));
        t.txtMdSpEnd[2]->setText(u8("50"));
        QVERIFY(!t.picNoteMd[0]->isVisible() && t.picNoteMd[1]->isVisible());
        QCOMPARE(t.lblNoteMd[4]->text() + u'|' + t.lblNoteMd[6]->text(),
                 u8("7.52 秒|佔全部 25.00 %"));

        probe().txtMdSplit->setText(source(u8("clip.mpg"), u8("clip.mpg")));
        QCOMPARE(probe().lblMdLen->text(), u8("此多媒體屬性：未確認"));
        QVERIFY(t.txtMdSpFrom[2]->text().isEmpty() && !t.txtMdSpFrom[2]->isEnabled());
        QVERIFY(!t.cmdMediaSplit->isEnabled());
        QCOMPARE(t.cmdMediaSplit->toolTip(), u8("請先指定檔案，並按下「取得屬性」"));
        QVERIFY(probe().cmdMdSplitChk->isEnabled());
        // The snapshot tab shows the same source.
        m_list->changeToTab(3, 0, false);
        QCOMPARE(probe().parentWidget(), &snap());
        QCOMPARE(probe().txtMdSplit->text(), QFileInfo(probe().path()).filePath());
    }

    void splits_data() {
        testsupport::addRows<SplitRow>({
            {"flv in 3 parts",
             {"h264.flv", 0, "3", "split_001.flv|split_002.flv|split_003.flv", "11 11 11"}},
            {"h263 flv by 12 s",
             {"h263.flv", 1, "12", "split_001.flv|split_002.flv|split_003.flv", "12 12 7"}},
            {"mpg by kilobytes", {"clip.mpg", 2, "<half>", "split_001.mpg|split_002.mpg", "16 16"}},
            {"mp4 in 2 parts", {"clip.mp4", 0, "2", "split_001.mp4|split_002.mp4", "16 16"}},
            {"one piece of a vob", {"clip.vob", 3, "5 15", "<base>_part.vob", "10"}},
            {"one piece of an avi, in percent", {"clip.avi", 5, "50 100", "<base>_part.avi", "16"}},
        });
    }
    // Each piece keeps the source's codecs and lasts its range widened to whole seconds (the
    // lengths of the rows), give or take the keyframe interval (2 s) it may start early by
    // and the second a last piece may be short of; FLV pieces have clean metadata.
    void splits() {
        QFETCH(SplitRow, row);
        const QString src =
            source(u8(row.media), u8("來源 ") + QFileInfo(u8(row.media)).fileName());
        const QString sum = testsupport::digest(src);
        const QString base = QFileInfo(src).completeBaseName();
        const QString out = folder(u8("輸出 out"));
        probeOn(21, src);
        SplitTab& t = split();
        t.optMdSplit[static_cast<size_t>(row.mode)]->click();
        const QStringList numbers = u8(row.each).split(u' ');
        if (row.mode < 3) {
            const QString each = numbers.at(0) == u8("<half>")
                                     ? QString::number(QFileInfo(src).size() / 1024 / 2 + 1)
                                     : numbers.at(0);
            t.txtMdSpEq[static_cast<size_t>(row.mode)]->setText(each);
        } else {
            t.txtMdSpFrom[static_cast<size_t>(row.mode - 3)]->setText(numbers.at(0));
            t.txtMdSpEnd[static_cast<size_t>(row.mode - 3)]->setText(numbers.at(1));
        }
        QVERIFY(t.cmdMediaSplit->isEnabled());
        const QStringList made = u8(row.made).replace(u8("<base>"), base).split(u'|');
        m_dialogs->answerFile({row.mode < 3 ? out : out + made.at(0)});
        m_dialogs->answerMessage(MsgResult::Cancel);  // the completion report
        const Watched seen = watch([&] { t.cmdMediaSplit->click(); });

        QVERIFY2(m_dialogs->lastMessage().text.startsWith(kDoneHead),
                 qPrintable(m_dialogs->lastMessage().text));
        const FileDialogRequest& dialog = m_dialogs->fileDialogs().constFirst();
        QCOMPARE(dialog.initDir, QFileInfo(src).path() + u'/');
        if (row.mode < 3) {
            QCOMPARE(dialog.kind, FileDialogRequest::Kind::Folder);
            QVERIFY(dialog.title.startsWith(u8("切割出的檔案將以「split_編號.")));
        } else {
            QCOMPARE(dialog.fileName, made.at(0));
        }
        QCOMPARE(
            seen.texts.constLast(),
            u8("Zelvo.FLV\r\n\r\n正在進行「切割」多媒體檔案\r\n\r\n共有 %1 個程序，正處理第 %1 個")
                .arg(made.size()));
        QVERIFY(std::is_sorted(seen.progress.begin(), seen.progress.end()));
        QCOMPARE(QDir(out).entryList(QDir::Files), made);
        const QStringList seconds = u8(row.seconds).split(u' ');
        for (int i = 0; i < made.size(); ++i) {
            const QString piece = out + made.at(i);
            QCOMPARE(testsupport::probeCodecs(piece), testsupport::probeCodecs(src));
            const double d = testsupport::probeDuration(piece);
            const double asked = seconds.at(i).toDouble();
            QVERIFY2(d >= asked - 1.1 && d <= asked + 2.1,
                     qPrintable(made.at(i) + u8(": ") + QString::number(d)));
            if (piece.endsWith(u8(".flv"))) {
                const testsupport::RunResult check =
                    testsupport::run(u8("flvmeta"), {u8("--check"), piece});
                QVERIFY2(check.exitCode == 0, check.output.constData());
            }
        }
        QCOMPARE(leftovers({out, QFileInfo(src).path()}), QStringList());
        QCOMPARE(testsupport::digest(src), sum);
    }

    // A folder where a piece would replace the source is refused before anything runs.
    void splitOverTheSource() {
        const QString dir = folder(u8("同 folder"));
        const QString src = dir + u8("split_002.flv");
        QVERIFY(QFile::copy(testsupport::media(u8("h264.flv")), src));
        const QString sum = testsupport::digest(src);
        probeOn(21, src);
        split().txtMdSpEq[0]->setText(u8("3"));
        m_dialogs->answerFile({dir});
        m_dialogs->answerMessage(MsgResult::Ok);
        split().run();
        QCOMPARE(m_dialogs->lastMessage().text, u8("分割出的新檔案會取代正在處理的來源檔案：\r\n") +
                                                    src + u8("\r\n\r\n請另外選擇檔名或資料夾！"));
        QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{u8("split_002.flv")});
        QCOMPARE(testsupport::digest(src), sum);
    }

    // Break in the middle of a split: the tools stop, nothing is left, the source is intact.
    void splitStopped() {
        const QString src = m_f->temp.filePath(u8("long clip.flv"));
        QVERIFY(testsupport::makeLongClip(src));
        const QString sum = testsupport::digest(src);
        const QString out = folder(u8("stopped"));
        probeOn(21, src);
        split().txtMdSpEq[0]->setText(u8("4"));
        m_dialogs->answerFile({out});
        m_dialogs->answerMessage(MsgResult::Ok);  // "你已經中止程序！"
        QTimer breaker;
        breaker.setInterval(5);
        connect(&breaker, &QTimer::timeout, this, [] {
            const frmBuzy* busy = BusySession::shared().dialog();
            if (busy != nullptr && busy->progress() > 0) {
                BusySession::shared().breakJob();
            }
        });
        breaker.start();
        split().run();
        QCOMPARE(m_dialogs->lastMessage().text, u8("你已經中止程序！"));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(leftovers({out}), QStringList());
        QCOMPARE(testsupport::digest(src), sum);
    }

    void snapshots_data() {
        testsupport::addRows<SnapRow>({
            {"one picture", {0, 0, "12", "PNG", "<base>_snapshot.png@300"}},
            {"one at the end", {0, 0, "30.08", "PNG", "<base>_snapshot.png@749"}},
            {"every 10 s",
             {1, 1, "|||10", "JPG",
              "snapshot_001.jpg@0|snapshot_002.jpg@250|snapshot_003.jpg@500|"
              "snapshot_004.jpg@749"}},
            {"three of a range",
             {2, 0, "|4 16|3", "PNG",
              "snapshot_001.png@100|snapshot_002.png@200|snapshot_003.png@300"}},
            {"gif",
             {2, 1, "|8 10||1", "GIF",
              "snapshot_001.gif@200|snapshot_002.gif@225|snapshot_003.gif@247"}},
        });
    }
    // Every picture is the frame shown at its moment (a moment at the end takes 0.1 s before).
    void snapshots() {
        QFETCH(SnapRow, row);
        const QString src = source(u8("h264.flv"), u8("clip 'a'.flv"));
        const QString sum = testsupport::digest(src);
        const QString out = folder(u8("圖 pictures"));
        probeOn(30, src);
        SnapTab& t = snap();
        t.optMdSnap1[static_cast<size_t>(row.choice)]->click();
        if (row.choice != 0) {
            t.optMdSnap2[static_cast<size_t>(row.spacing)]->click();
        }
        const QStringList numbers = u8(row.numbers).split(u'|');
        t.txtMdSnEq[0]->setText(numbers.value(0));
        t.txtMdSnFrom->setText(numbers.value(1).section(u' ', 0, 0));
        t.txtMdSnEnd->setText(numbers.value(1).section(u' ', 1, 1));
        t.txtMdSnEq[1]->setText(numbers.value(2));
        t.txtMdSnEq[2]->setText(numbers.value(3));
        t.cboMediaSnapType->setCurrentText(u8(row.type));
        QVERIFY(t.cmdMediaSnap->isEnabled());
        const QStringList made =
            u8(row.made).replace(u8("<base>"), QFileInfo(src).completeBaseName()).split(u'|');
        m_dialogs->answerFile({row.choice == 0 ? out + made.at(0).section(u'@', 0, 0) : out});
        m_dialogs->answerMessage(MsgResult::Cancel);
        const Watched seen = watch([&] { t.run(); });

        QVERIFY2(m_dialogs->lastMessage().text.startsWith(kDoneHead),
                 qPrintable(m_dialogs->lastMessage().text));
        QCOMPARE(
            seen.texts.constLast(),
            u8("Zelvo.FLV\r\n\r\n正在進行「截圖」多媒體檔案\r\n\r\n共有 %1 個程序，正處理第 %1 個")
                .arg(made.size()));
        QStringList names;
        for (const QString& picture : made) {
            names << picture.section(u'@', 0, 0);
        }
        QCOMPARE(QDir(out).entryList(QDir::Files), names);
        for (const QString& picture : made) {
            const QString path = out + picture.section(u'@', 0, 0);
            const int frame = picture.section(u'@', 1).toInt();
            const QImage got = QImage(path).convertToFormat(QImage::Format_RGB32);
            QList<double> distances;  // to the frames before, at and after the moment
            for (int n = frame - 1; n <= frame + 1; ++n) {
                const QString png = m_f->temp.filePath(u8("frame.png"));
                distances << testsupport::meanDifference(
                    got, testsupport::decodedFrame(src, std::max(0, n), png));
            }
            // A PNG is the frame itself; JPG and GIF lose some of it, but the frame is still
            // the nearest.
            const bool exact = row.type[0] != 'P' || distances.at(1) < 0.5;
            QVERIFY2(exact && distances.at(1) <= distances.at(0) &&
                         (frame >= 749 || distances.at(1) < distances.at(2)),
                     qPrintable(picture + u8(": ") + QString::number(distances.at(0)) + u8(" ") +
                                QString::number(distances.at(1)) + u8(" ") +
                                QString::number(distances.at(2))));
        }
        QCOMPARE(leftovers({out}), QStringList());
        QCOMPARE(testsupport::digest(src), sum);
    }

    // A picture that cannot be made stops the series with the failure report; the pictures
    // taken before it stay.
    void seriesKeepsFinishedPictures() {
        const QString src = source(u8("h264.flv"), u8("clip.flv"));
        const QString out = folder(u8("partly"));
        QVERIFY(QDir().mkpath(out + u8("snapshot_002.png")));
        probeOn(30, src);
        snap().optMdSnap1[1]->click();
        snap().txtMdSnEq[1]->setText(u8("3"));
        snap().cboMediaSnapType->setCurrentText(u8("PNG"));
        m_dialogs->answerFile({out});
        m_dialogs->answerMessage(MsgResult::Ok);
        snap().run();
        QCOMPARE(m_dialogs->lastMessage().text,
                 u8("出現錯誤，無法成功處理檔案\r\n\r\n可能是檔案格式不支援進一步的截圖\r\n"
                    "或者，該檔案被正被其他程式所執行"));
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{u8("snapshot_001.png")});
        QCOMPARE(leftovers({out}), QStringList());
    }
};

QTEST_MAIN(tst_SplitSnap)
#include "tst_splitsnap.moc"
