// The join tab with the real windows and the real tools: files of each container family
// joined in list order into "<first>_merge.<ext>", the look at the files that names a file
// whose streams differ from the first's (and lets the user stop before anything is
// written), and the lists that cannot be joined: the offending item selected, nothing
// written, the sources as they were.
#include "ToolTabKit.h"
#include "gui/tooltabs/JoinTab.h"

#include <QPushButton>

namespace {

const QString kDoneHead = u8("全部的檔案處理程序已經成功結束\r\n總共使用的時間有 ");
const QString kRefused =
    u8("合併清單裡的檔案類型不一致，或是\r\n清單裡包含不支援合併的多媒體格式\r\n"
       "或是，清單裡包含了不存在的檔案！\r\n\r\n此合併功能，僅支援同類型的檔案");
const QString kAskHead =
    u8("合併清單裡的檔案，格式與第一個檔案不同，\r\n合併後的檔案可能無法正常播放：\r\n\r\n");
const QString kAskTail = u8("\r\n\r\n按「確定」則繼續合併，按「取消」則中止合併");

}  // namespace

class tst_JoinTab : public ToolTabTest {
    Q_OBJECT

    JoinTab& tab() const { return *static_cast<JoinTab*>(m_list->toolTab(20)); }
    // Fills the join list with files (added at its end, in order).
    void fill(const QStringList& files) {
        m_list->changeToTab(2, 0, false);
        for (const QString& file : files) {
            m_list->joinList().addToList(file, false);
        }
        m_list->refreshButtons();
    }
    // A clip of the H.264 kind at another picture size.
    QString smallClip(const QString& name) {
        const QString path = folder(u8("來源 src")) + name;
        const QStringList args = {u8("-v"),
                                  u8("error"),
                                  u8("-y"),
                                  u8("-f"),
                                  u8("lavfi"),
                                  u8("-i"),
                                  u8("testsrc=size=320x240:rate=25:duration=4"),
                                  u8("-f"),
                                  u8("lavfi"),
                                  u8("-i"),
                                  u8("sine=sample_rate=44100:duration=4"),
                                  u8("-c:v"),
                                  u8("libx264"),
                                  u8("-pix_fmt"),
                                  u8("yuv420p"),
                                  u8("-c:a"),
                                  u8("aac"),
                                  u8("-ac"),
                                  u8("2"),
                                  path};
        return testsupport::run(u8("ffmpeg"), args).exitCode == 0 ? path : QString();
    }

private Q_SLOTS:
    void init() { openWindows(); }
    void cleanup() { closeWindows(); }

    void joins_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<double>("seconds");
        QTest::newRow("flv") << u8("h264.flv") << u8("h264.flv") << 60.1;
        QTest::newRow("h263 flv, the same file twice") << u8("h263.flv") << QString() << 60.0;
        QTest::newRow("mpg") << u8("clip.mpg") << u8("clip.mpg") << 60.0;
        QTest::newRow("mp4") << u8("clip.mp4") << u8("clip.mp4") << 60.0;
        QTest::newRow("wmv") << u8("clip.wmv") << u8("clip.wmv") << 60.0;
    }
    // Matching files join without a question; the new file keeps their codecs and lasts as
    // long as they do together.
    void joins() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(double, seconds);
        const QString ext = QFileInfo(first).suffix();
        const QString a = source(first, u8("一 'a'.") + ext);
        const QString b = second.isEmpty() ? a : source(second, u8("-二 b.") + ext);
        const QString sum = testsupport::digest(b);
        fill({a, b});
        QVERIFY(tab().cmdMediaJoin->isEnabled());
        const QString out = folder(u8("輸出 out"));
        m_dialogs->answerFile({out + u8("一 'a'_merge.") + ext});
        m_dialogs->answerMessage(MsgResult::Cancel);
        const Watched seen = watch([&] { tab().cmdMediaJoin->click(); });

        const FileDialogRequest& dialog = m_dialogs->fileDialogs().constFirst();
        QCOMPARE(dialog.fileName, u8("一 'a'_merge.") + ext);
        QCOMPARE(dialog.initDir, QFileInfo(a).path() + u'/');
        QCOMPARE(m_dialogs->messageTexts().size(), 1);
        QVERIFY2(m_dialogs->lastMessage().text.startsWith(kDoneHead),
                 qPrintable(m_dialogs->lastMessage().text));
        QCOMPARE(
            seen.texts.constLast(),
            u8("Zelvo.FLV\r\n\r\n正在進行「合併」多媒體檔案\r\n\r\n共有 1 個程序，正處理第 1 個"));
        QVERIFY(seen.progress.size() >= 2 &&
                std::is_sorted(seen.progress.begin(), seen.progress.end()));
        const QString made = out + u8("一 'a'_merge.") + ext;
        QCOMPARE(testsupport::probeCodecs(made), testsupport::probeCodecs(a));
        const double d = testsupport::probeDuration(made);
        QVERIFY2(std::abs(d - seconds) < 1.0, qPrintable(QString::number(d)));
        if (ext == u8("flv")) {
            const testsupport::RunResult check =
                testsupport::run(u8("flvmeta"), {u8("--check"), made});
            QVERIFY2(check.exitCode == 0, check.output.constData());
        }
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{QFileInfo(made).fileName()});
        QCOMPARE(leftovers({out, QFileInfo(a).path()}), QStringList());
        QCOMPARE(testsupport::digest(b), sum);
    }

    void differing_data() {
        QTest::addColumn<QString>("second");  // "small" a 320x240 clip
        QTest::addColumn<QString>("lines");
        QTest::newRow("picture size")
            << u8("small") << u8("第 2 個檔案的影像大小是 320x240，第一個檔案是 640x480");
        QTest::newRow("codecs") << u8("h263.flv")
                                << u8("第 2 個檔案的影像編碼是 flv1，第一個檔案是 h264\r\n"
                                      "第 2 個檔案的聲音編碼是 mp3，第一個檔案是 aac");
    }
    // Files whose streams differ are named before anything is written: Cancel stops with
    // nothing more said, OK joins them anyway.
    void differing() {
        QFETCH(QString, second);
        QFETCH(QString, lines);
        const QString a = source(u8("h264.flv"), u8("a.flv"));
        const QString b =
            second == u8("small") ? smallClip(u8("b.flv")) : source(second, u8("b.flv"));
        QVERIFY(!b.isEmpty());
        fill({a, b});
        const QString out = folder(u8("out"));
        QVERIFY(testsupport::writeFile(out + u8("a_merge.flv"), "older"));
        m_dialogs->answerFile({out + u8("a_merge.flv")});
        m_dialogs->answerMessage(MsgResult::Cancel);
        tab().run();
        QCOMPARE(m_dialogs->messageTexts(), QStringList{kAskHead + lines + kAskTail});
        QCOMPARE(m_dialogs->lastMessage().title, u8("注意事項"));
        // The older file of the chosen name is left alone.
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{u8("a_merge.flv")});
        QCOMPARE(QFileInfo(out + u8("a_merge.flv")).size(), 5);

        m_dialogs->clear();
        m_dialogs->answerFile({out + u8("a_merge.flv")});
        m_dialogs->answerMessage(MsgResult::Ok);
        m_dialogs->answerMessage(MsgResult::Cancel);
        tab().run();
        QVERIFY2(m_dialogs->lastMessage().text.startsWith(kDoneHead),
                 qPrintable(m_dialogs->lastMessage().text));
        QVERIFY(QFileInfo(out + u8("a_merge.flv")).size() > 1000);
        QCOMPARE(leftovers({out}), QStringList());
    }

    void refused_data() {
        QTest::addColumn<QString>("files");  // "|" between; "gone.flv" removed after adding
        QTest::addColumn<int>("selected");   // the item selected afterwards
        QTest::newRow("another type") << u8("h264.flv|clip.mp4|h264.flv") << 1;
        QTest::newRow("FLV and flv are one type") << u8("h264.flv|UPPER.FLV|clip.mpg") << 2;
        QTest::newRow("a file deleted after it was added") << u8("h264.flv|gone.flv") << 1;
        QTest::newRow("a type the tools cannot join") << u8("clip.mp3|clip.mp3") << 0;
    }
    // A list that cannot be joined is refused with the offending item selected, and nothing
    // is asked or written.
    void refused() {
        QFETCH(QString, files);
        QFETCH(int, selected);
        QStringList paths;
        for (const QString& name : files.split(u'|')) {
            const QString media =
                name == u8("gone.flv") || name == u8("UPPER.FLV") ? u8("h264.flv") : name;
            paths << source(media, QString::number(paths.size()) + u8("-") + name);
        }
        fill(paths);
        for (const QString& path : paths) {
            if (path.endsWith(u8("gone.flv"))) {
                QFile::remove(path);
            }
        }
        m_dialogs->answerMessage(MsgResult::Ok);
        tab().run();
        QCOMPARE(m_dialogs->messageTexts(), QStringList{kRefused});
        QCOMPARE(m_dialogs->lastMessage().title, u8("注意事項"));
        QCOMPARE(m_dialogs->fileDialogs().size(), 0);
        QCOMPARE(m_list->joinList().listIndex(), selected);
    }

    // One item cannot be joined: the button says so; the destination may not be a source.
    void oneItemAndTheSourceAsDestination() {
        const QString a = source(u8("h264.flv"), u8("a.flv"));
        const QString b = source(u8("h264.flv"), u8("b.flv"));
        fill({a});
        QVERIFY(!tab().cmdMediaJoin->isEnabled());
        QCOMPARE(tab().cmdMediaJoin->toolTip(), u8("請在合併清單加入至少兩個同類型的檔案"));
        fill({b});
        QVERIFY(tab().cmdMediaJoin->isEnabled());
        QVERIFY(m_list->note()->text().startsWith(u8("合併清單目前所有項目的總檔案大小是：")));
        const QString sum = testsupport::digest(b);
        m_dialogs->answerFile({b});
        m_dialogs->answerMessage(MsgResult::Ok);
        tab().run();
        QCOMPARE(m_dialogs->lastMessage().text, u8("另存的新檔案不能取代正在處理的來源檔案：\r\n") +
                                                    b + u8("\r\n\r\n請另外選擇檔名或資料夾！"));
        QCOMPARE(testsupport::digest(b), sum);
    }
};

QTEST_MAIN(tst_JoinTab)
#include "tst_jointab.moc"
