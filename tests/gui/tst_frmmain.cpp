// The main window: start-up and shut-down (what it opens, the outside tools, drops,
// hand-overs, the exit items); what it plays and what follows (the list rules, the
// cannot-play message, play, pause, stop and play-last); sessions without OpenGL.
#include "PlayerTestKit.h"
#include "UrlCatcher.h"
#include "core/common/AppPaths.h"
#include "core/files/CommDialog.h"
#include "core/jobs/ToolJob.h"
#include "gui/busy/BusySession.h"
#include "gui/player/MainMenus.h"
#include "gui/widgets/ZelvoButton.h"

#include <QApplication>
#include <QMimeData>
#include <QUrl>

namespace {

const QStringList kToolNames = {u8("~tmpExtMcd"), u8("~tmpExtFmg"), u8("~tmpExtFmd")};
const QString kSample = u8("~tmpExtFlv.wmv");

// A start: command line, dropped URLs ("|" between them) and text ("TEMP": the temporary
// folder), what is handed to playback, the caption, the status line ("…*": its start) and the
// error boxes shown.
struct Opening {
    const char *commandLine, *dropped, *text, *played, *caption, *shown;
    int errorBoxes;
};

}  // namespace

Q_DECLARE_METATYPE(Opening)

class tst_frmMain : public PlayerTest {
    Q_OBJECT

    QString inTemp(const QString& name) const { return m_f->temp.filePath(name); }

private Q_SLOTS:
    void init() { openPlayer(); }
    void cleanup() { closePlayer(); }

    // What the load handler's command line or a later drop opens, and what the window shows.
    void startsAndDrops_data() {
        QTest::addColumn<Opening>("o");
        const auto row = [](const char* tag, const Opening& o) { QTest::newRow(tag) << o; };
        const char* stream = "http://127.0.0.1:1/s.mp4";
        const char* clip = " my clip.flv - Zelvo.FLV";
        row("empty", {"", "", "", "", " Zelvo.FLV - 1.6.1", "請開啟新的檔案", 0});
        const char* quoted = "\"TEMP/my clip.flv\"";
        row("quoted file", {quoted, "", "", quoted, clip, "正在播放，進度 0 ％，播速 100 ％", 0});
        row("missing file",
            {"\"/v/my clip.flv\"", "", "", "\"/v/my clip.flv\"", clip, "無法播放", 1});
        row("refused url", {stream, "", "", stream, " s.mp4 - Zelvo.FLV", "無法播放", 1});
        // A doubled separator, as some file managers send, is made single.
        row("dropped files: the first plays", {"", "file:TEMP//my clip.flv|file:TEMP/b.mp4", "",
                                               "TEMP/my clip.flv", clip, "正在播放*", 0});
        row("dropped missing file",
            {"", "file:/no/such.flv", "", "", " Zelvo.FLV - 1.6.1", "請開啟新的檔案", 0});
        row("dropped text", {"", "", stream, stream, " s.mp4 - Zelvo.FLV", "無法播放", 1});
        row("dropped link", {"", stream, "", stream, " s.mp4 - Zelvo.FLV", "無法播放", 1});
    }
    void startsAndDrops() {
        QFETCH(Opening, o);
        frmMain& w = win();
        const QString temp = m_f->temp.path();
        const auto inTemp = [&temp](const char* text) {
            return u8(text).replace(u8("TEMP"), temp);
        };
        m_f->copy(u8("h264.flv"), u8("my clip.flv"));
        m_f->copy(u8("clip.mp4"), u8("b.mp4"));
        QCOMPARE(w.windowTitle(), u8(" Zelvo.FLV - 1.6.1"));
        const QString caption = u8(o.caption);
        if (o.errorBoxes > 0) {
            // The box of an flv offers Cancel too (OK would open the codec help).
            const bool flv = caption.contains(u8(".flv - "));
            m_dialogs->answerMessage(flv ? MsgResult::Cancel : MsgResult::Ok);
        }
        QSignalSpy spy(&w, &frmMain::playRequested);
        w.formLoad(inTemp(o.commandLine));
        QVERIFY(!w.isSplashShown());
        if (*o.dropped != 0 || *o.text != 0) {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString& url : inTemp(o.dropped).split(u'|', Qt::SkipEmptyParts)) {
                urls << QUrl(url);
            }
            if (!urls.isEmpty()) {
                data.setUrls(urls);
            }
            if (*o.text != 0) {
                data.setText(u8(o.text));
            }
            // A drop reaches a window only after its drag entered it, as with a real mouse.
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&w, &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&w, &drop);
        }
        QCOMPARE(spy.count(), *o.played == 0 ? 0 : 1);
        if (*o.played != 0) {
            QCOMPARE(spy.at(0).at(0).toString(), inTemp(o.played));
            QCOMPARE(spy.at(0).at(1).toBool(), false);
        }
        QCOMPARE(w.windowTitle(), caption);
        const QString shown = u8(o.shown);
        const QString status = m_f->status();
        QCOMPARE(shown.endsWith(u'*') ? status.left(shown.size() - 1) + u'*' : status, shown);
        QCOMPARE(m_dialogs->messages().size(), o.errorBoxes);
        if (o.errorBoxes > 0) {
            QCOMPARE(m_dialogs->lastMessage().title, u8("錯誤訊息"));
        }
    }

    // The start timer asks once for the playlist window, when the menu item says so.
    void startListOpensPlaylistOnce_data() {
        QTest::addColumn<bool>("checked");
        QTest::newRow("start with the playlist") << true;
        QTest::newRow("without") << false;
    }
    void startListOpensPlaylistOnce() {
        QFETCH(bool, checked);
        frmMain& w = win();
        QSignalSpy spy(&w, &frmMain::playlistRequested);
        w.mnuStartListAction()->setChecked(checked);
        w.formLoad(QString());
        QCOMPARE(w.startTimer().isActive(), checked);
        // Unchecked, the timer never runs: nothing else asks for the playlist window.
        QVERIFY(!checked || spy.wait(2000));
        // The timer stopped itself: the request does not come again.
        QVERIFY(!w.startTimer().isActive());
        QCOMPARE(spy.count(), checked ? 1 : 0);
    }

    // Leftovers of a crashed run go at start-up, the tools a job unpacks are there when the
    // call returns; after a job the tools go, the sample clip when the program ends.
    void toolsComeAndGo() {
        frmMain& w = win();
        const QString other = u8("~tmpExtOther");
        const auto present = [this, &other] {
            QStringList found;
            for (const QString& name : kToolNames + QStringList{kSample, other}) {
                const QFileInfo info(inTemp(name));
                if (info.exists()) {
                    found << name + (info.size() > 1 ? QString() : u8(" (empty)"));
                }
            }
            return found;
        };
        for (const QString& name : kToolNames + QStringList{kSample, other}) {
            QVERIFY(testsupport::writeFile(inTemp(name), "x"));
        }
        w.formLoad(QString());
        QCOMPARE(present(), QStringList{other + u8(" (empty)")});
        QVERIFY(w.dealMyResource(u8("Edit3"), true));
        QVERIFY(w.dealMyResource(u8("CapMCI"), true));
        QCOMPARE(present(), (QStringList{kToolNames[0], kSample, other + u8(" (empty)")}));
        w.dealMyResource(u8("notCapMCI"), false);
        QCOMPARE(present(), (QStringList{kSample, other + u8(" (empty)")}));
        w.dealMyResource(u8("All"), false);
        QCOMPARE(present(), QStringList{other + u8(" (empty)")});
    }

    void linkExecuteShowsAndPlays() {
        frmMain& w = win();
        w.formLoad(QString());
        QSignalSpy spy(&w, &frmMain::playRequested);
        w.showMinimized();
        w.linkExecute(QString());
        QTRY_VERIFY_WITH_TIMEOUT(!w.isMinimized(), 3000);
        QVERIFY(w.isVisible());
        QCOMPARE(spy.count(), 0);
        const QString clip = m_f->copy(u8("h263.flv"), u8("clip.flv"));
        w.linkExecute(clip);
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 3000);
        QCOMPARE(w.windowTitle(), PlayerFixture::title(u8("clip.flv")));
        QCOMPARE(listPlayState, 3);
        QCOMPARE(spy.at(0).at(0).toString(), clip);
        QCOMPARE(spy.at(0).at(1).toBool(), false);
    }

    void exitItems_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("marker");
        QTest::newRow("save settings") << 0 << u8("結束 ( 儲存設定 )") << QString();
        QTest::newRow("do not save") << 1 << u8("結束 ( 不儲存設定 )") << u8("noSaveINI");
    }
    void exitItems() {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(QString, marker);
        frmMain& w = win();
        m_f->load();
        QVERIFY(w.dealMyResource(u8("Edit1"), true));
        QVERIFY(w.dealMyResource(u8("CapMCI"), true));
        QCOMPARE(w.mnuEndAction(index)->text(), text);
        w.mnuEndAction(index)->trigger();
        QCOMPARE(w.mnuEndAction(0)->data().toString(), marker);
        QVERIFY(!w.isVisible());
        QVERIFY(appClosing);
        // Nothing of the outside tools outlives the program.
        for (const QString& name : kToolNames + QStringList{kSample}) {
            QVERIFY2(!QFile::exists(inTemp(name)), qPrintable(name));
        }
    }

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
        m_f->load();
        frmMain& w = win();
        TestList list;
        list.entries = {m_f->copy(u8("h264.flv"), u8("a.flv")),
                        m_f->copy(u8("clip.mp4"), u8("b.mp4")),
                        m_f->copy(u8("clip.avi"), u8("c 三.avi"))};
        list.index = start;
        list.setting = setting;
        m_f->setList(&list);
        w.playback().fncEbCheck();
        QCOMPARE(w.panel().mbNextItem->State(), int(ZelvoButton::Normal));

        w.playSingle(QString(), true);
        QVERIFY(m_f->waitPlaying());
        QCOMPARE(listPlayState, 2);
        QCOMPARE(w.state().lastPlayed, QString());  // nothing was open before

        if (action == u8("end")) {
            m_f->nearEnd();
        } else if (action == u8("stop")) {
            w.mbStop_Click();
        } else {
            w.Form_KeyDown(action == u8("next") ? Qt::Key_Down : Qt::Key_Up, {});
        }
        if (expected == -1) {
            QVERIFY(m_f->waitStatus(u8("結束播放")));
            QCOMPARE(w.state().playerState, 5);
            QCOMPARE(listPlayState, 0);
            QCOMPARE(list.index, start);
            QCOMPARE(w.session().getCurFrame(), 0);  // the stop went back to the start
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
        QCOMPARE(w.session().FileName(), played);
        QCOMPARE(w.state().playerState, 1);
        QCOMPARE(listPlayState, 2);
        QVERIFY(w.session().getCurFrame() < 200);  // from its start
        if (expected == 0 && setting != 1) {
            QCOMPARE(list.upLook, int(ZelvoButton::Disabled));
            QCOMPARE(list.downLook, int(ZelvoButton::Normal));
        }
    }

    void cannotPlay_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("flv");  // OK opens the codec help in the browser
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
        m_f->load();
        const QString path = file.startsWith(u'/') ? file : testsupport::media(file);
        const bool help = flv && answer == int(MsgResult::Ok);
        frmMain& w = win();
        m_dialogs->answerMessage(static_cast<MsgResult>(answer));
        const UrlCatcher browser;
        w.playSingle(path, false);

        QCOMPARE(m_f->status(), u8("無法播放"));
        QCOMPARE(w.windowTitle(), PlayerFixture::title(QFileInfo(path).fileName()));
        QCOMPARE(w.state().playerState, 5);
        QCOMPARE(listPlayState, 0);
        QVERIFY(!w.checkTimer().isActive());
        QVERIFY(!w.menus().mnuSaveFile->isEnabled());
        QVERIFY(m_dialogs->messages().size() >= 1);
        const MessageRequest box = m_dialogs->messages().at(0);
        QCOMPARE(box.title, u8("錯誤訊息"));
        QCOMPARE(box.buttons, flv ? MsgButtons::OkCancel : MsgButtons::Ok);
        const QString tail = flv ? u8("如果不是以上的問題，表示你需要安裝 FLV\r\n"
                                      "的解碼器，按下「確定」將開啟說明文件！")
                                 : u8("關於多媒體的播放的格式支援問題，你可以\r\n"
                                      "參考本軟體的「說明」-->「下載附加元件」");
        QCOMPARE(box.text, u8("出現錯誤，無法播放指定的檔案：\r\n") + path +
                               u8("\r\n\r\n"
                                  "可能是因為檔案不存在，或者是格式不支援\r\n"
                                  "也有可能，這是被「授權保護」的媒體檔案\r\n\r\n"
                                  "請留意，當你使用的是繁體中文的作業系統\r\n"
                                  "無法播放可能是該檔名包含了簡體、日文字\r\n\r\n"
                                  "－－－－－－－－－－－－－－－－－－－\r\n") +
                               tail);
        QCOMPARE(m_dialogs->messages().size(), 1);
        QCOMPARE(browser.urls,
                 help ? QList<QUrl>{QUrl::fromLocalFile(AppPaths::running().codecHelpFile())}
                      : QList<QUrl>());
    }

    // The box of an FLV cut off before its first whole picture also offers the repair tab;
    // its button hands the file to the repair tab, and nothing else follows.
    void damagedFlvOffersRepair() {
        m_f->load();
        TestList list;
        m_f->setList(&list);
        const QString path = testsupport::media(u8("bad/head.flv"));
        m_dialogs->answerMessage(MsgResult::Extra);
        const UrlCatcher browser;
        win().playSingle(path, false);
        QCOMPARE(m_f->status(), u8("無法播放"));
        QCOMPARE(m_dialogs->messages().size(), 1);
        const MessageRequest box = m_dialogs->messages().at(0);
        QCOMPARE(box.extraButton, u8("修復檔案"));
        QVERIFY(
            box.text.endsWith(u8("這個 FLV 檔案看來已經損壞（資料不完整）\r\n"
                                 "按下「修復檔案」將開啟修復功能！")));
        QCOMPARE(list.repaired, QStringList{path});
        QVERIFY(browser.urls.isEmpty());
        m_f->setList(nullptr);
    }

    // Item texts as the lists and the command line give them, and the open dialog's choice.
    void opening_data() {
        QTest::addColumn<QString>("prefix");  // "<menu>": chosen in the open dialog
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("suffix");
        const auto row = [](const char* tag, const char* prefix, const char* name,
                            const char* suffix) {
            QTest::newRow(tag) << u8(prefix) << u8(name) << u8(suffix);
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
        m_f->load();
        const QString stored = QString(name).remove(u'"');
        const QString path = m_f->copy(u8("clip.") + QFileInfo(stored).suffix(), stored);
        if (prefix == u8("<menu>")) {
            m_dialogs->answerFile({path});
            win().menus().mnuOpen->trigger();
            QCOMPARE(m_dialogs->fileDialogs().size(), 1);
            const FileDialogRequest& asked = m_dialogs->fileDialogs().at(0);
            QCOMPARE(asked.kind, FileDialogRequest::Kind::Open);
            QCOMPARE(asked.filterIndex, 0);
            QVERIFY(asked.filters.value(0).startsWith(
                u8("支援處理的檔案 (flv ; mpg ; dat ; vob) (*.flv")));
            QVERIFY(asked.filters.constLast().startsWith(u8("所有檔案 (")));
            QCOMPARE(asked.title, QString());
        } else {
            win().playSingle(prefix + QFileInfo(path).path() + u'/' + name + suffix, false);
        }
        QVERIFY(m_f->waitPlaying());
        QCOMPARE(win().session().FileName(), path);
        QCOMPARE(win().windowTitle(), PlayerFixture::title(stored));
        QCOMPARE(listPlayState, 3);
    }

    void playPauseStopAndPlayLast() {
        m_f->load();
        frmMain& w = win();
        const QString a = m_f->copy(u8("h264.flv"), u8("a.flv"));
        const QString b = m_f->copy(u8("clip.mp4"), u8("b.mp4"));
        QVERIFY(!w.menus().mnuPlayLast->isEnabled());
        w.playSingle(a, false);
        QVERIFY(testsupport::waitUntil([&] { return w.session().getCurFrame() > 10; }));

        w.Form_KeyDown(Qt::Key_Space, Qt::NoModifier);  // pause
        QVERIFY(m_f->status().startsWith(u8("暫停播放，進度 ")));
        QCOMPARE(w.session().getStatus(), u8("paused"));
        const qint32 paused = w.session().getCurFrame();
        QVERIFY(m_f->waitTicks());  // still there two status ticks later
        QCOMPARE(w.session().getCurFrame(), paused);
        QVERIFY(m_f->status().startsWith(u8("暫停播放")));

        w.Form_KeyDown(Qt::Key_Space, Qt::NoModifier);  // resume from there
        QCOMPARE(w.session().getStatus(), u8("playing"));
        QVERIFY(m_f->waitPlaying());
        QVERIFY(w.session().getCurFrame() >= paused);

        // A left click on the picture area pauses and plays too; other clicks do nothing.
        const auto click = [](QWidget* area, Qt::MouseButton button) {
            QTest::mouseClick(area, button, {}, area->rect().center());
        };
        click(&w.parts().video, Qt::LeftButton);
        QCOMPARE(w.state().playerState, 4);
        click(&w.parts().video, Qt::LeftButton);
        QCOMPARE(w.state().playerState, 1);
        click(&w.parts().video, Qt::RightButton);
        click(w.findChild<QWidget*>(u8("picMsgBk")), Qt::LeftButton);
        QCOMPARE(w.state().playerState, 1);

        w.Form_KeyDown(Qt::Key_Delete, Qt::NoModifier);  // stop: back to the start
        QCOMPARE(m_f->status(), u8("結束播放"));
        QCOMPARE(w.state().playerState, 5);
        QCOMPARE(w.session().getCurFrame(), 0);
        QCOMPARE(w.panel().mbPause->State(), int(ZelvoButton::Disabled));

        w.Form_KeyDown(Qt::Key_Space, Qt::NoModifier);  // play again from the start
        QCOMPARE(w.state().playerState, 1);
        QVERIFY(m_f->waitPlaying());
        QVERIFY(w.session().getCurFrame() < 100);

        QVERIFY(m_f->play(b));
        QVERIFY(w.menus().mnuPlayLast->isEnabled());
        QCOMPARE(w.state().lastPlayed, a);
        w.menus().mnuPlayLast->trigger();
        QCOMPARE(w.windowTitle(), PlayerFixture::title(u8("a.flv")));
        QCOMPARE(w.state().lastPlayed, b);
        QCOMPARE(listPlayState, 3);
    }

    // A tool that writes over the file being played (its output) has the player close it
    // first; the play button opens it again once it is back.
    void toolsTakeTheOpenFile() {
        m_f->load();
        frmMain& w = win();
        const QString path = m_f->copy(u8("h264.flv"), u8("out.flv"));
        QVERIFY(m_f->play(path));
        ToolJob job(m_f->temp.path());
        BusySession::shared().prepareJob(job);
        QVERIFY(job.claimOutput(path));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(m_f->status(), u8("結束播放"));
        QCOMPARE(w.state().playerState, 5);
        QCOMPARE(w.session().getStatus(), u8("error"));
        m_f->copy(u8("h264.flv"), u8("out.flv"));
        w.playback().mbPlay_Click();
        QVERIFY(m_f->waitPlaying());
        QCOMPARE(w.session().getStatus(), u8("playing"));
    }

    // Media sessions opened with a window where no OpenGL can be had (the offscreen
    // platform): they still play, place their picture and close, without a picture.
    void sessions_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("window");     // invalid: a window id that does not exist
        QTest::addColumn<bool>("windowGoes");  // after the picture was first placed in it
        QTest::addColumn<QString>("destination");
        QTest::newRow("in a window") << "h264.flv" << QSize(500, 400) << false << "0 0 500 400";
        QTest::newRow("the window goes first")
            << "clip.mp4" << QSize(300, 200) << true << "0 0 640 480";
        QTest::newRow("unknown window") << "clip.avi" << QSize() << false << "0 0 640 480";
    }
    void sessions() {
        QFETCH(QString, file);
        QFETCH(QSize, window);
        QFETCH(bool, windowGoes);
        QFETCH(QString, destination);
        const auto mci = testsupport::mci;
        std::unique_ptr<QWidget> parent;
        if (window.isValid()) {
            parent = std::make_unique<QWidget>();
            parent->resize(window);
            parent->show();
        }
        QCOMPARE(mci(u8("open \"%1\" type mpegvideo alias v parent %2 style child")
                         .arg(testsupport::media(file))
                         .arg(parent ? parent->winId() : WId(987654321))),
                 QString());
        QCOMPARE(mci(u8("put v window at 10 10 320 240")), QString());
        if (windowGoes) {
            parent.reset();
        }
        // The device still answers, plays and closes, without a picture.
        QCOMPARE(mci(u8("put v window at 0 0 100 100")), QString());
        QCOMPARE(mci(u8("where v destination max")), destination);
        QCOMPARE(mci(u8("set v time format frames")), QString());
        QCOMPARE(mci(u8("seek v to 77")), QString());
        QCOMPARE(mci(u8("status v position")), u8("77"));
        QCOMPARE(mci(u8("play v")), QString());
        QVERIFY(testsupport::waitUntil([&] { return mci(u8("status v position")).toInt() > 80; }));
        QCOMPARE(mci(u8("status v mode")), u8("playing"));
        QCOMPARE(mci(u8("close v")), QString());
        if (parent) {
            // No widget of the device is left behind in the window.
            QVERIFY(parent->findChildren<QWidget*>().isEmpty());
        }
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
