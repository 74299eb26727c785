// "精確裁剪" in the player's 標記剪輯 menu: the option itself (off at first, kept in its own
// file across a restart, the settings file untouched), and 另存裁剪 and 另存分割 with it on:
// the saved files hold exactly the marked pictures, copied ones bit for bit; a source that
// cannot be cut exactly is cut from its keyframes and the report says which range and why.
#include "ExactCheck.h"
#include "PlayerTestKit.h"
#include "gui/player/MainMenus.h"

#include <QDir>
#include <QMenu>

class TestExactSave : public PlayerTest {
    Q_OBJECT

    QString folder(const QString& name) {
        const QString path = m_f->temp.filePath(name);
        QDir().mkpath(path);
        return path + u'/';
    }
    QString optionsFile() const { return m_f->temp.path() + u8("/config/Options.ini"); }
    QAction* option() const { return win().menus().mnuExactCut; }

    // Saves the marks of a generated file with the option on; the completion report.
    QString save(const QString& media, const QString& marks, int mode, const QString& target) {
        if (!option()->isChecked()) {
            option()->trigger();
        }
        const QString src = m_f->copy(media, u8("來源 'x'.") + QFileInfo(media).suffix());
        win().playSingle(src + u8("∥") + marks, false);
        if (!m_f->waitStatus(u8("正在播放"), 10000)) {
            return QString();
        }
        m_dialogs->answerMessage(MsgResult::Ok);
        m_dialogs->answerFile({target});
        m_dialogs->answerMessage(MsgResult::Cancel);  // the completion report
        win().saving().saveRanges(mode);
        return m_dialogs->lastMessage().text;
    }

private Q_SLOTS:
    void init() { openPlayer(true); }
    void cleanup() { closePlayer(); }

    void optionKept() {
        QAction* item = option();
        QCOMPARE(item->objectName(), u8("mnuExactCut"));
        QCOMPARE(item->text(), u8("精確裁剪 ( 只重新編碼切點附近的畫面 )"));
        QVERIFY(item->isCheckable());
        QVERIFY(!item->isChecked());
        // Right under the two saves it changes.
        const QList<QAction*> items = win().menus().menuMarks->actions();
        QCOMPARE(items.indexOf(item), items.indexOf(win().menus().mnuSaveCut) + 1);

        item->trigger();
        QFile file(optionsFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("ExactCut=True\r\n"));
        file.close();
        // The settings file keeps its fifteen lines: the option is not among them.
        QFile settings(m_f->temp.path() + u8("/config/Zelvo.FLV.ini"));
        QVERIFY(!settings.open(QIODevice::ReadOnly) || !settings.readAll().contains("ExactCut"));

        // A new start, left through "結束 ( 不儲存設定 )" before, still has it.
        m_f->w.reset();
        m_f->w = std::make_unique<frmMain>();
        m_f->w->useMixer(std::make_unique<FakeMixer>(&m_f->mixer));
        BusySession::shared().setWindows(m_f->w.get(), nullptr);
        m_f->load();
        QVERIFY(option()->isChecked());
        option()->trigger();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("ExactCut=False\r\n"));
    }

    void savesExactly_data() {
        QTest::addColumn<QString>("media");
        QTest::addColumn<QString>("marks");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("copied");  // of the first piece, at least
        // h264.flv has a keyframe every 50 pictures and reorders its pictures; the range
        // 130-260 copies 150-249 and encodes the rest.
        QTest::newRow("flv cut") << u8("h264.flv") << u8("130-260") << 0 << 100;
        QTest::newRow("flv split") << u8("h264.flv") << u8("130-260 305-330 400-401") << 1 << 100;
        QTest::newRow("mp4 cut") << u8("clip.mp4") << u8("130-260") << 0 << 100;
    }
    void savesExactly() {
        QFETCH(QString, media);
        QFETCH(QString, marks);
        QFETCH(int, mode);
        QFETCH(int, copied);
        const QString ext = QFileInfo(media).suffix();
        const QString out = folder(u8("輸出 out"));
        const QString report = save(media, marks, mode, mode == 0 ? out + u8("piece.") + ext : out);
        QVERIFY2(report.startsWith(u8("全部的檔案處理程序已經成功結束")), qPrintable(report));
        QVERIFY2(!report.contains(u8("關鍵影格裁剪")), qPrintable(report));
        const QStringList ranges = marks.split(u' ');
        for (int i = 0; i < ranges.size(); ++i) {
            const int first = ranges.at(i).section(u'-', 0, 0).toInt();
            const int end = ranges.at(i).section(u'-', 1, 1).toInt();
            const QString piece =
                mode == 0 ? out + u8("piece.") + ext
                          : out + u8("split_%1.").arg(i + 1, 3, 10, QLatin1Char('0')) + ext;
            const testsupport::Exactness e =
                testsupport::exactness(testsupport::media(media), piece, first);
            QVERIFY2(e.error.isEmpty(), qPrintable(e.error));
            QCOMPARE(e.pictures, end - first);
            QVERIFY(e.identical >= (i == 0 ? copied : 0));
            QVERIFY2(e.lowestPsnr >= 40.0, qPrintable(QString::number(e.lowestPsnr)));
            QCOMPARE(testsupport::decodeErrors(piece), QString());
            if (ext == u8("flv")) {
                const testsupport::RunResult check =
                    testsupport::run(u8("flvmeta"), {u8("--check"), piece});
                QVERIFY2(check.exitCode == 0, check.output.constData());
            }
        }
    }

    // Two ranges joined into one file: their pictures one after the other, nothing more.
    void joinsExactly() {
        const QString out = folder(u8("輸出 join")) + u8("joined.flv");
        const QString report = save(u8("h264.flv"), u8("30-80 130-260"), 0, out);
        QVERIFY2(report.startsWith(u8("全部的檔案處理程序已經成功結束")), qPrintable(report));
        const QStringList src = testsupport::frameDigests(testsupport::media(u8("h264.flv")));
        const QStringList got = testsupport::frameDigests(out);
        QCOMPARE(got.size(), 50 + 130);
        // The copied pictures of each range are where they belong.
        QCOMPARE(got.at(50 + 150 - 130), src.at(150));
        QCOMPARE(got.at(50 + 249 - 130), src.at(249));
        QCOMPARE(testsupport::decodeErrors(out), QString());
    }

    // A picture codec the encoder cannot match: the keyframe cut, and the report names
    // each range and the reason.
    void fallbackReported() {
        const QString out = folder(u8("輸出 h263"));
        const QString report = save(u8("h263.flv"), u8("30-80 130-260"), 1, out);
        const QString why =
            u8("精確裁剪改用關鍵影格裁剪：影像編碼是 H.263（Sorenson），只有 H.264 能精確裁剪");
        QVERIFY2(report.startsWith(u8("全部的檔案處理程序已經成功結束")), qPrintable(report));
        QVERIFY2(report.contains(u8("第 1 段：") + why) && report.contains(u8("第 2 段：") + why),
                 qPrintable(report));
        QVERIFY(QFileInfo(out + u8("split_002.flv")).size() > 0);
    }
};

QTEST_MAIN(TestExactSave)
#include "tst_exactsave.moc"
