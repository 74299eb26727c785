// One tool over many entries of a playlist, with the real windows and the real tools: a batch
// repair of a mixed list (its outputs, its report's lines, sources untouched, nothing left
// behind), a batch conversion and split of short clips (their files and durations), Break in
// the middle, a list of 500 entries, and the list behaviours around them (Del, folders, the
// entry played marked, a missing entry passed over while the list plays on).
#include "ToolTabKit.h"
#include "core/jobs/BatchTexts.h"
#include "gui/busy/frmBatchReport.h"
#include "gui/playlist/PlaylistView.h"
#include "gui/playlist/frmListTexts.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

#include <cmath>

class tst_Batch : public ToolTabTest {
    Q_OBJECT

    PlaylistModel& list() { return m_list->playlist(0); }
    // A short generated clip (4 s, small picture), made once for the test.
    QString shortClip(const QString& name) {
        const QString path = folder(u8("來源 src")) + name;
        if (!QFileInfo::exists(path)) {
            const QStringList args =
                u8("-nostdin -v error -f lavfi -i testsrc=size=160x120:rate=25:duration=4 -f lavfi "
                   "-i sine=frequency=440:sample_rate=22050:duration=4 -c:v flv1 -g 25 -c:a "
                   "libmp3lame -b:a 32k -f flv")
                    .split(u' ')
                << path;
            if (testsupport::run(u8("ffmpeg"), args).exitCode != 0) {
                return QString();
            }
        }
        return path;
    }
    // Runs a batch menu item; the report's lines.
    QStringList runBatch(QAction* item) {
        QSignalSpy reported(&BusySession::shared(), &BusySession::batchReported);
        m_watched = watch([item] { item->trigger(); });
        return reported.isEmpty() ? QStringList() : reported.constFirst().at(0).toStringList();
    }
    frmBatchReport* report() const { return m_list->findChild<frmBatchReport*>(); }

    ToolTabTest::Watched m_watched;

private Q_SLOTS:
    void init() {
        openWindows();
        m_list->changeToTab(0, 0, false);
    }
    void cleanup() {
        if (frmBatchReport* shown = report()) {
            delete shown;
        }
        closeWindows();
    }

    // Good FLVs, a damaged one, one that is no FLV inside, a missing file, an empty one, a
    // text file and one named twice: every good and damaged file is repaired into the folder
    // asked once, each other one is reported with its reason, and the batch goes on.
    void mixedRepair() {
        const QString good = source(u8("h264.flv"), u8("好 a.flv"));
        const QString other = source(u8("h263.flv"), u8("-b.flv"));
        const QString damaged = source(u8("bad/truncated.flv"), u8("斷.flv"));
        const QString fake = source(u8("clip.mp4"), u8("fake.flv"));
        const QString missing = folder(u8("來源 src")) + u8("gone.flv");
        const QString empty = folder(u8("來源 src")) + u8("empty.flv");
        const QString text = folder(u8("來源 src")) + u8("notes.txt");
        QVERIFY(testsupport::writeFile(empty));
        QVERIFY(testsupport::writeFile(text, "not media"));
        const QStringList sources{good, other, damaged, fake, missing, empty, text, good};
        QStringList sums;
        for (const QString& path : sources) {
            sums << testsupport::digest(path);
        }
        list().setItems(sources);
        const QString out = folder(u8("輸出 out"));
        m_dialogs->answerFile({out});
        const QStringList lines = runBatch(m_list->mnuBatchFix);

        const FileDialogRequest& asked = m_dialogs->fileDialogs().constFirst();
        QCOMPARE(asked.kind, FileDialogRequest::Kind::Folder);
        QCOMPARE(m_dialogs->fileDialogs().size(), 1);
        // One line a file; under a repaired file, what its tool mended.
        QStringList files;
        QStringList notes;
        for (const QString& line : lines) {
            (line.startsWith(u8("　　")) ? notes : files) << line;
        }
        QCOMPARE(files.size(), 1 + 8);
        QCOMPARE(files.at(0), u8("完成 3 個，失敗 1 個，略過 4 個"));
        QCOMPARE(files.at(1), u8("完成：") + good + u8(" → ") + out + u8("好 a_fix.flv"));
        QCOMPARE(files.at(2), u8("完成：") + other + u8(" → ") + out + u8("-b_fix.flv"));
        QCOMPARE(files.at(3), u8("完成：") + damaged + u8(" → ") + out + u8("斷_fix.flv"));
        QVERIFY2(notes.indexOf(
                     QRegularExpression(u8("^　　檔案結尾不完整，已捨去最後 \\d+ 位元組$"))) >= 0,
                 qPrintable(notes.join(u8("\n"))));
        // The tool's own words of why the MP4 under an FLV name was not repaired.
        QVERIFY2(files.at(4).startsWith(u8("失敗：") + fake + u8("（")) &&
                     files.at(4).length() > (u8("失敗：") + fake).length() + 4,
                 qPrintable(files.at(4)));
        QCOMPARE(files.mid(5),
                 QStringList({u8("略過：") + missing + u8("（檔案不存在）"),
                              u8("略過：") + empty + u8("（檔案是空的（0 位元組））"),
                              u8("略過：") + text + u8("（不是多媒體檔案）"),
                              u8("略過：") + good + u8("（與前面的項目是同一個檔案）")}));
        QCOMPARE(QDir(out).entryList(QDir::Files),
                 QStringList({u8("-b_fix.flv"), u8("好 a_fix.flv"), u8("斷_fix.flv")}));
        for (const QString& name : {u8("-b_fix.flv"), u8("好 a_fix.flv")}) {
            QVERIFY(std::abs(testsupport::probeDuration(out + name) - 30.0) < 0.5);
        }
        for (qsizetype i = 0; i < sources.size(); ++i) {
            QCOMPARE(testsupport::digest(sources.at(i)), sums.at(i));
        }
        QCOMPARE(leftovers({out, folder(u8("來源 src"))}), QStringList());
        // One busy window for the whole batch: the file in work, its name, the whole bar.
        QVERIFY(m_watched.texts.contains(u8(
            "Zelvo.FLV\r\n\r\n正在進行「修復」多媒體檔案\r\n\r\n第 3 個檔案，共 8 個\r\n斷.flv\r\n"
            "共有 1 個程序，正處理第 1 個")));
        QVERIFY(std::is_sorted(m_watched.progress.cbegin(), m_watched.progress.cend()));
        QCOMPARE(m_watched.progress.constLast(), 100);

        // The report: its lines, copied as text and saved as UTF-8.
        frmBatchReport* shown = report();
        QVERIFY(shown != nullptr && shown->isVisible());
        QCOMPARE(shown->txtReport->toPlainText(), lines.join(u'\n'));
        shown->cmdCopy->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), lines.join(u8("\r\n")) + u8("\r\n"));
        const QString saved = out + u8("結果.txt");
        m_dialogs->answerFile({saved});
        shown->cmdSave->click();
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), lines.join(u8("\r\n")) + u8("\r\n"));
    }

    // A batch conversion and a batch split of short clips: the files each tool names, with
    // the expected durations; two sources of one name get a number.
    void convertAndSplit() {
        const QString a = shortClip(u8("a.flv"));
        const QString sub = folder(u8("來源 src/子"));
        const QString b = sub + u8("a.flv");
        QVERIFY(!a.isEmpty() && QFile::copy(a, b));
        list().setItems({a, b});
        list().setSelectedRows({0, 1});

        const QString converted = folder(u8("轉檔 out"));
        m_dialogs->answerMessage(MsgResult::Ok);  // convert with the panel's settings?
        m_dialogs->answerFile({converted});
        QStringList lines = runBatch(m_list->mnuBatchEncode);
        QCOMPARE(lines.constFirst(), u8("完成 2 個，失敗 0 個，略過 0 個"));
        QCOMPARE(QDir(converted).entryList(QDir::Files), QStringList({u8("a.mpg"), u8("a_2.mpg")}));
        for (const QString& name : {u8("a.mpg"), u8("a_2.mpg")}) {
            QVERIFY(std::abs(testsupport::probeDuration(converted + name) - 4.0) < 0.5);
        }
        delete report();

        const QString pieces = folder(u8("切割 out"));
        m_dialogs->answerInput(u8("2"));  // the split tab has no numbers yet: 2 parts each
        m_dialogs->answerFile({pieces});
        lines = runBatch(m_list->mnuBatchSplit);
        QCOMPARE(lines.constFirst(), u8("完成 2 個，失敗 0 個，略過 0 個"));
        QCOMPARE(lines.at(1), u8("完成：") + a + u8(" → ") + pieces + u8("a/split_001.flv") +
                                  u8("（共 2 個檔案）"));
        for (const QString& dir : {u8("a/"), u8("a_2/")}) {
            QCOMPARE(QDir(pieces + dir).entryList(QDir::Files),
                     QStringList({u8("split_001.flv"), u8("split_002.flv")}));
            const double first = testsupport::probeDuration(pieces + dir + u8("split_001.flv"));
            const double second = testsupport::probeDuration(pieces + dir + u8("split_002.flv"));
            // Each piece widened to whole seconds and its keyframes, as the split tab cuts it.
            QVERIFY2(first >= 1.9 && first <= 3.1 && second >= 1.9 && second <= 3.1,
                     qPrintable(u8("%1 + %2").arg(first).arg(second)));
        }
        QCOMPARE(leftovers({converted, pieces, pieces + u8("a"), pieces + u8("a_2")}),
                 QStringList());
    }

    // Break during the second file: it asks whether to stop the rest; yes keeps the first
    // file's output, leaves nothing of the second, and reports the rest as not done.
    void breakMidBatch() {
        QStringList sources;
        for (const char* name : {"1.flv", "2.flv", "3.flv"}) {
            sources << source(u8("h264.flv"), QString::fromUtf8(name));
        }
        list().setItems(sources);
        const QString out = folder(u8("輸出 out"));
        m_dialogs->answerFile({out});
        m_dialogs->answerMessage(MsgResult::Ok);  // stop the rest
        QMetaObject::Connection pressing = connect(
            &BusySession::shared(), &BusySession::busyTextShown, this, [](const QString& text) {
                if (text.contains(u8("第 2 個檔案"))) {
                    QTimer::singleShot(0, [] {
                        if (frmBuzy* busy = BusySession::shared().dialog()) {
                            busy->pressBreak();
                        }
                    });
                }
            });
        const QStringList lines = runBatch(m_list->mnuBatchFix);
        disconnect(pressing);
        QCOMPARE(m_dialogs->messageTexts(), QStringList{batchTexts::stopRest(1)});
        QCOMPARE(lines,
                 QStringList({u8("完成 1 個，失敗 1 個，略過 1 個"),
                              u8("完成：") + sources[0] + u8(" → ") + out + u8("1_fix.flv"),
                              u8("　　已修正 1 處重複或倒退的時間戳記"),
                              u8("失敗：") + sources[1] + u8("（已中止）"),
                              u8("略過：") + sources[2] + u8("（批次處理已中止，未處理）")}));
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{u8("1_fix.flv")});
        QCOMPARE(leftovers({out, folder(u8("來源 src"))}), QStringList());
    }

    // Closing the playlist window during a batch asks first; yes stops the batch at once,
    // without the question of Break, and keeps what was finished.
    void closeDuringBatch() {
        QStringList sources;
        for (const char* name : {"1.flv", "2.flv", "3.flv"}) {
            sources << source(u8("h263.flv"), QString::fromUtf8(name));
        }
        list().setItems(sources);
        const QString out = folder(u8("輸出 out"));
        m_dialogs->answerFile({out});
        m_dialogs->answerMessage(MsgResult::Yes);
        QMetaObject::Connection closing = connect(
            &BusySession::shared(), &BusySession::busyTextShown, this, [this](const QString& text) {
                if (text.contains(u8("第 2 個檔案"))) {
                    QTimer::singleShot(0, m_list.get(), [this] { m_list->close(); });
                }
            });
        const QStringList lines = runBatch(m_list->mnuBatchFix);
        disconnect(closing);
        QCOMPARE(m_dialogs->messageTexts(), QStringList{frmListTexts::batchRunning()});
        QCOMPARE(lines.constFirst(), u8("完成 1 個，失敗 1 個，略過 1 個"));
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{u8("1_fix.flv")});
        QCOMPARE(leftovers({out, folder(u8("來源 src"))}), QStringList());
    }

    // Five hundred entries, none of them there: each is reported, the batch asks nothing more.
    void manyEntries() {
        QStringList sources;
        for (int i = 0; i < 500; ++i) {
            sources << folder(u8("無")) + QStringLiteral("%1.flv").arg(i);
        }
        list().setItems(sources);
        m_dialogs->answerFile({folder(u8("輸出 out"))});
        const QStringList lines = runBatch(m_list->mnuBatchFix);
        QCOMPARE(lines.size(), 501);
        QCOMPARE(lines.constFirst(), u8("完成 0 個，失敗 0 個，略過 500 個"));
        QCOMPARE(lines.constLast(), u8("略過：") + sources.constLast() + u8("（檔案不存在）"));
    }

    // Del removes every selected entry; a folder adds its media files in name order, and one
    // without any says so.
    void delAndFolders() {
        list().setItems({u8("/v/a.flv"), u8("/v/b.flv"), u8("/v/c.flv"), u8("/v/d.flv")});
        list().setSelectedRows({0, 2}, 2);
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QCoreApplication::sendEvent(m_list->playlistView(0), &del);
        QCOMPARE(list().itemTexts(), QStringList({u8("/v/b.flv"), u8("/v/d.flv")}));

        const QString dir = folder(u8("片 dir"));
        for (const char* name : {"clip10.flv", "clip9.mp3", "readme.txt"}) {
            QVERIFY(testsupport::writeFile(dir + QString::fromUtf8(name), "x"));
        }
        m_dialogs->answerFile({dir});
        m_list->mnuAddDir->trigger();
        QCOMPARE(list().itemTexts(), QStringList({u8("/v/b.flv"), u8("/v/d.flv"),
                                                  dir + u8("clip9.mp3"), dir + u8("clip10.flv")}));
        const QString none = folder(u8("空 dir"));
        m_dialogs->answerFile({none});
        m_dialogs->answerMessage(MsgResult::Ok);
        m_list->mnuAddDir->trigger();
        QCOMPARE(m_dialogs->messageTexts().constLast(),
                 u8("資料夾中沒有可播放的多媒體檔案：\r\n") + none.chopped(1));
        QCOMPARE(list().count(), 4);
    }

    // Playing on through a list ("循環播放清單"), a missing entry is passed over without a
    // box: the status line says so and the next entry plays, marked in the list.
    void missingEntryPassedOver() {
        const QString clip = shortClip(u8("a.flv"));
        const QString gone = folder(u8("來源 src")) + u8("gone.flv");
        list().setItems({clip, gone, clip});
        m_list->mnuPlaySetting_Click(2);
        list().setListIndex(0);
        QSignalSpy status(&win(), &frmMain::statusChanged);
        win().playEntry(list().selectedEntry());
        QVERIFY(m_f->waitPlaying());
        QCOMPARE(list().playingRow(), 0);
        m_f->nearEnd();
        QVERIFY(testsupport::waitUntil([&] { return list().playingRow() == 2; }, 10000));
        QVERIFY(m_f->waitPlaying());
        bool said = false;
        for (const QList<QVariant>& shown : status) {
            said = said || shown.at(0).toString().contains(u8("已略過不存在的檔案：gone.flv"));
        }
        QVERIFY(said);
        QCOMPARE(m_dialogs->messageTexts(), QStringList());
        QCOMPARE(list().index(2).data(PlaylistModel::PlayingRole).toBool(), true);
        win().mbStop_Click();
        listPlayState = 0;
    }
};

QTEST_MAIN(tst_Batch)
#include "tst_batch.moc"
