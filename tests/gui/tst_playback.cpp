// What the player plays and what follows: the list rules at the end of a file and on
// the stop, previous and next buttons, the cannot-play message, and play, pause, stop and
// play-last on real media.
#include "PlayerTestKit.h"
#include "player/MainMenus.h"
#include "widgets/ZelvoButton.h"

#include <QAction>
#include <QMenu>

class tst_Playback : public PlayerTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { openPlayer(true); }
    void cleanup() { closePlayer(); }

    void listRules_data() {
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("expected");  // index played next; -1 nothing, -2 any entry
        const auto row = [](const char* tag, int setting, int start, const char* action, int next) {
            QTest::newRow(tag) << setting << start << QString::fromLatin1(action) << next;
        };
        row("repeat: the end plays the entry again", 1, 1, "end", 1);
        row("repeat: stop plays the entry again", 1, 1, "stop", 1);
        row("list: the end of the last wraps to the first", 2, 2, "end", 0);
        row("list: stop goes on to the next", 2, 0, "stop", 1);
        row("random: the end plays some entry", 3, 0, "end", -2);
        row("single: the end stops", 0, 1, "end", -1);
        row("single: stop stops", 0, 1, "stop", -1);
        row("next from the last wraps", 0, 2, "next", 0);
        row("previous from the first wraps", 0, 0, "previous", 2);
    }
    void listRules() {
        QFETCH(int, setting);
        QFETCH(int, start);
        QFETCH(QString, action);
        QFETCH(int, expected);
        frmMain& w = win();
        TestList list;
        list.entries = {m_f->copy(QStringLiteral("h264.flv"), QStringLiteral("a.flv")),
                        m_f->copy(QStringLiteral("clip.mp4"), QStringLiteral("b.mp4")),
                        m_f->copy(QStringLiteral("clip.avi"), QStringLiteral("c 三.avi"))};
        list.index = start;
        list.setting = setting;
        m_f->setList(&list);
        w.playback().fncEbCheck();
        QCOMPARE(w.picPlusBk->mbNextItem->State(), int(ZelvoButton::Normal));

        w.playSingle(QString(), true);
        QVERIFY(m_f->waitPlaying());
        QCOMPARE(listPlayState, 2);
        QCOMPARE(w.state().lastPlayed, QString());  // nothing was open before

        if (action == QLatin1String("end")) {
            m_f->nearEnd();
        } else if (action == QLatin1String("stop")) {
            w.mbStop_Click();
        } else {
            w.Form_KeyDown(action == QLatin1String("next") ? Qt::Key_Down : Qt::Key_Up, {});
        }
        if (expected == -1) {
            QVERIFY(m_f->waitStatus(QStringLiteral("結束播放")));
            QCOMPARE(w.state().playerState, 5);
            QCOMPARE(listPlayState, 0);
            QCOMPARE(list.index, start);
            QCOMPARE(w.mciMain.getCurFrame(), 0);  // the stop went back to the start
            QVERIFY(!w.checkTimer().isActive());
            return;
        }
        // A following entry was opened (the one before is now the last played file).
        QVERIFY(testsupport::waitUntil([&] { return !w.state().lastPlayed.isEmpty(); }));
        QVERIFY(m_f->waitPlaying());
        QCOMPARE(w.state().lastPlayed, list.entries.at(start));
        if (expected == -2) {
            QVERIFY(list.index >= 0 && list.index < 3);
        } else {
            QCOMPARE(list.index, expected);
        }
        const QString played = list.entries.at(list.index);
        QCOMPARE(w.windowTitle(), PlayerFixture::title(QFileInfo(played).fileName()));
        QCOMPARE(w.mciMain.FileName(), played);
        QCOMPARE(w.state().playerState, 1);
        QCOMPARE(listPlayState, 2);
        QVERIFY(w.mciMain.getCurFrame() < 200);  // from its start
        if (expected == 0 && setting != 1) {
            QCOMPARE(list.upLook, int(ZelvoButton::Disabled));
            QCOMPARE(list.downLook, int(ZelvoButton::Normal));
        }
    }

    void cannotPlay_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("flv");  // OK opens the codec help, which is missing here
        const int ok = int(MsgResult::Ok), cancel = int(MsgResult::Cancel);
        QTest::newRow("missing flv, OK opens the codec help") << "/no/such/clip.flv" << ok << true;
        QTest::newRow("upper-case FLV, cancelled") << "/no/such/CLIP.FLV" << cancel << true;
        QTest::newRow("text file named .flv") << "bad/text/clip.flv" << cancel << true;
        QTest::newRow("empty flv") << "bad/empty.flv" << cancel << true;
        QTest::newRow("missing mp3, OK only") << "/no/such/song.mp3" << ok << false;
    }
    void cannotPlay() {
        QFETCH(QString, file);
        QFETCH(int, answer);
        QFETCH(bool, flv);
        const QString path = file.startsWith(QLatin1Char('/')) ? file : testsupport::media(file);
        const bool help = flv && answer == int(MsgResult::Ok);
        frmMain& w = win();
        m_dialogs->answerMessage(static_cast<MsgResult>(answer));
        if (help) {
            m_dialogs->answerMessage(MsgResult::Ok);
        }
        w.playSingle(path, false);

        QCOMPARE(m_f->status(), QStringLiteral("無法播放"));
        QCOMPARE(w.windowTitle(), PlayerFixture::title(QFileInfo(path).fileName()));
        QCOMPARE(w.state().playerState, 5);
        QCOMPARE(listPlayState, 0);
        QVERIFY(!w.checkTimer().isActive());
        QVERIFY(!w.menus().mnuSaveFile->isEnabled());
        QVERIFY(m_dialogs->messages().size() >= 1);
        const MessageRequest box = m_dialogs->messages().at(0);
        QCOMPARE(box.title, QStringLiteral("錯誤訊息"));
        QCOMPARE(box.buttons, flv ? MsgButtons::OkCancel : MsgButtons::Ok);
        const QString tail = flv ? QStringLiteral(
                                       "如果不是以上的問題，表示你需要安裝 FLV\r\n"
                                       "的解碼器，按下「確定」將開啟說明文件！")
                                 : QStringLiteral(
                                       "關於多媒體的播放的格式支援問題，你可以\r\n"
                                       "參考本軟體的「說明」-->「下載附加元件」");
        QCOMPARE(box.text, QStringLiteral("出現錯誤，無法播放指定的檔案：\r\n") + path +
                               QStringLiteral("\r\n\r\n"
                                              "可能是因為檔案不存在，或者是格式不支援\r\n"
                                              "也有可能，這是被「授權保護」的媒體檔案\r\n\r\n"
                                              "請留意，當你使用的是繁體中文的作業系統\r\n"
                                              "無法播放可能是該檔名包含了簡體、日文字\r\n\r\n"
                                              "－－－－－－－－－－－－－－－－－－－\r\n") +
                               tail);
        QCOMPARE(
            m_dialogs->messageTexts().mid(1),
            help ? QStringList{QStringLiteral("找不到說明檔 Voduv.ADI.chm！")} : QStringList());
    }

    // Item texts as the lists and the command line give them, and the open dialog's choice.
    void opening_data() {
        QTest::addColumn<QString>("prefix");  // "<menu>": chosen in the open dialog
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("suffix");
        const auto row = [](const char* tag, const char* prefix, const char* name,
                            const char* suffix) {
            QTest::newRow(tag) << QString::fromUtf8(prefix) << QString::fromUtf8(name)
                               << QString::fromUtf8(suffix);
        };
        row("quoted path with blanks", "\"", "a clip.avi", "\"");
        row("entry with marks", "", "影片 一.mp4", "∥120-480 900-1500");
        row("leading dash, quotes inside", "", "-x\".mpg", "");
        row("the open dialog", "<menu>", "片 1.wmv", "");
    }
    void opening() {
        QFETCH(QString, prefix);
        QFETCH(QString, name);
        QFETCH(QString, suffix);
        const QString stored = QString(name).remove(QLatin1Char('"'));
        const QString path =
            m_f->copy(QStringLiteral("clip.") + QFileInfo(stored).suffix(), stored);
        if (prefix == QLatin1String("<menu>")) {
            m_dialogs->answerFile({path});
            win().menus().mnuOpen->trigger();
            QCOMPARE(m_dialogs->fileDialogs().size(), 1);
            const FileDialogRequest& asked = m_dialogs->fileDialogs().at(0);
            QCOMPARE(asked.kind, FileDialogRequest::Kind::Open);
            QCOMPARE(asked.filterIndex, 0);
            QVERIFY(asked.filters.value(0).startsWith(
                QStringLiteral("支援處理的檔案 (flv ; mpg ; dat ; vob) (*.flv")));
            QVERIFY(asked.filters.constLast().startsWith(QStringLiteral("所有檔案 (")));
            QCOMPARE(asked.title, QString());
        } else {
            win().playSingle(prefix + QFileInfo(path).path() + u'/' + name + suffix, false);
        }
        QVERIFY(m_f->waitPlaying());
        QCOMPARE(win().mciMain.FileName(), path);
        QCOMPARE(win().windowTitle(), PlayerFixture::title(stored));
        QCOMPARE(listPlayState, 3);
    }

    void playPauseStopAndPlayLast() {
        frmMain& w = win();
        const QString a = m_f->copy(QStringLiteral("h264.flv"), QStringLiteral("a.flv"));
        const QString b = m_f->copy(QStringLiteral("clip.mp4"), QStringLiteral("b.mp4"));
        QVERIFY(!w.menus().mnuPlayLast->isEnabled());
        w.playSingle(a, false);
        QVERIFY(testsupport::waitUntil([&] { return w.mciMain.getCurFrame() > 10; }));

        w.Form_KeyDown(Qt::Key_Space, Qt::NoModifier);  // pause
        QVERIFY(m_f->status().startsWith(QStringLiteral("暫停播放，進度 ")));
        QCOMPARE(w.mciMain.getStatus(), QStringLiteral("paused"));
        const qint32 paused = w.mciMain.getCurFrame();
        QVERIFY(m_f->waitTicks());  // still there two status ticks later
        QCOMPARE(w.mciMain.getCurFrame(), paused);
        QVERIFY(m_f->status().startsWith(QStringLiteral("暫停播放")));

        w.Form_KeyDown(Qt::Key_Space, Qt::NoModifier);  // resume from there
        QCOMPARE(w.mciMain.getStatus(), QStringLiteral("playing"));
        QVERIFY(m_f->waitPlaying());
        QVERIFY(w.mciMain.getCurFrame() >= paused);

        // A left click on the picture area pauses and plays too; other clicks do nothing.
        const auto click = [](QWidget* area, Qt::MouseButton button) {
            QTest::mouseClick(area, button, {}, area->rect().center());
        };
        click(w.picVideo, Qt::LeftButton);
        QCOMPARE(w.state().playerState, 4);
        click(w.picVideo, Qt::LeftButton);
        QCOMPARE(w.state().playerState, 1);
        click(w.picVideo, Qt::RightButton);
        click(w.findChild<QWidget*>(QStringLiteral("picMsgBk")), Qt::LeftButton);
        QCOMPARE(w.state().playerState, 1);

        w.Form_KeyDown(Qt::Key_Delete, Qt::NoModifier);  // stop: back to the start
        QCOMPARE(m_f->status(), QStringLiteral("結束播放"));
        QCOMPARE(w.state().playerState, 5);
        QCOMPARE(w.mciMain.getCurFrame(), 0);
        QCOMPARE(w.picPlusBk->mbPause->State(), int(ZelvoButton::Disabled));

        w.Form_KeyDown(Qt::Key_Space, Qt::NoModifier);  // play again from the start
        QCOMPARE(w.state().playerState, 1);
        QVERIFY(m_f->waitPlaying());
        QVERIFY(w.mciMain.getCurFrame() < 100);

        QVERIFY(m_f->play(b));
        QVERIFY(w.menus().mnuPlayLast->isEnabled());
        QCOMPARE(w.state().lastPlayed, a);
        w.menus().mnuPlayLast->trigger();
        QCOMPARE(w.windowTitle(), PlayerFixture::title(QStringLiteral("a.flv")));
        QCOMPARE(w.state().lastPlayed, b);
        QCOMPARE(listPlayState, 3);
    }

    // Deleting the file being played (as the tools do with their outputs) closes it first;
    // the play button opens it again once it is back.
    void toolsTakeTheOpenFile() {
        frmMain& w = win();
        const QString path = m_f->copy(QStringLiteral("h264.flv"), QStringLiteral("out.flv"));
        QVERIFY(m_f->play(path));
        killFile(path, false);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(m_f->status(), QStringLiteral("結束播放"));
        QCOMPARE(w.state().playerState, 5);
        QCOMPARE(w.mciMain.getStatus(), QStringLiteral("error"));
        m_f->copy(QStringLiteral("h264.flv"), QStringLiteral("out.flv"));
        w.playback().mbPlay_Click();
        QVERIFY(m_f->waitPlaying());
        QCOMPARE(w.mciMain.getStatus(), QStringLiteral("playing"));
    }
};

QTEST_MAIN(tst_Playback)
#include "tst_playback.moc"
