// The main window's start-up and shut-down: what the load handler shows and plays, the
// outside tools it installs and removes, drops, hand-overs, and the two exit items.
#include "PlayerTestKit.h"
#include "services/CommDialog.h"

#include <QAction>
#include <QApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

#include <vector>

namespace {

void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}

const QStringList kToolNames = {QStringLiteral("~tmpExtMcd"), QStringLiteral("~tmpExtFmg"),
                                QStringLiteral("~tmpExtFmd")};
const QString kSample = QStringLiteral("~tmpExtFlv.wmv");

// A start: command line, dropped URLs and text ("TEMP": the temporary folder), what is handed
// to playback, the caption, the status line ("…*": its start) and the error boxes shown.
struct Opening {
    const char* commandLine;
    std::vector<const char*> dropped;
    const char *text, *played, *caption, *shown;
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
    void opening_data() {
        QTest::addColumn<Opening>("o");
        const auto row = [](const char* tag, const Opening& o) { QTest::newRow(tag) << o; };
        const char* stream = "http://127.0.0.1:1/s.mp4";
        const char* clip = " my clip.flv - Zelvo.FLV";
        row("empty", {"", {}, "", "", " Zelvo.FLV - 1.6.1", "請開啟新的檔案", 0});
        row("quoted file", {"\"TEMP/my clip.flv\"",
                            {},
                            "",
                            "\"TEMP/my clip.flv\"",
                            clip,
                            "正在播放，進度 0 ％，播速 100 ％",
                            0});
        row("missing file",
            {"\"/v/my clip.flv\"", {}, "", "\"/v/my clip.flv\"", clip, "無法播放", 1});
        row("refused url", {stream, {}, "", stream, " s.mp4 - Zelvo.FLV", "無法播放", 1});
        // A doubled separator, as some file managers send, is made single.
        row("dropped files: the first plays", {"",
                                               {"file:TEMP//my clip.flv", "file:TEMP/b.mp4"},
                                               "",
                                               "TEMP/my clip.flv",
                                               clip,
                                               "正在播放*",
                                               0});
        row("dropped missing file",
            {"", {"file:/no/such.flv"}, "", "", " Zelvo.FLV - 1.6.1", "請開啟新的檔案", 0});
        row("dropped text", {"", {}, stream, stream, " s.mp4 - Zelvo.FLV", "無法播放", 1});
        row("dropped link", {"", {stream}, "", stream, " s.mp4 - Zelvo.FLV", "無法播放", 1});
    }
    void opening() {
        QFETCH(Opening, o);
        frmMain& w = win();
        const QString temp = m_f->temp.path();
        const auto inTemp = [&temp](const char* text) {
            return QString::fromUtf8(text).replace(QStringLiteral("TEMP"), temp);
        };
        m_f->copy(QStringLiteral("h264.flv"), QStringLiteral("my clip.flv"));
        m_f->copy(QStringLiteral("clip.mp4"), QStringLiteral("b.mp4"));
        QCOMPARE(w.windowTitle(), QStringLiteral(" Zelvo.FLV - 1.6.1"));
        const QString caption = QString::fromUtf8(o.caption);
        if (o.errorBoxes > 0) {
            // The box of an flv offers Cancel too (OK would open the codec help).
            const bool flv = caption.contains(QLatin1String(".flv - "));
            m_dialogs->answerMessage(flv ? MsgResult::Cancel : MsgResult::Ok);
        }
        QSignalSpy spy(&w, &frmMain::playRequested);
        w.formLoad(inTemp(o.commandLine));
        QVERIFY(!w.isSplashShown());
        if (!o.dropped.empty() || *o.text != 0) {
            QMimeData data;
            QList<QUrl> urls;
            for (const char* url : o.dropped) {
                urls << QUrl(inTemp(url));
            }
            if (!urls.isEmpty()) {
                data.setUrls(urls);
            }
            if (*o.text != 0) {
                data.setText(QString::fromUtf8(o.text));
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
        const QString shown = QString::fromUtf8(o.shown);
        const QString status = m_f->status();
        QCOMPARE(shown.endsWith(u'*') ? status.left(shown.size() - 1) + u'*' : status, shown);
        QCOMPARE(m_dialogs->messages().size(), o.errorBoxes);
        if (o.errorBoxes > 0) {
            QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("錯誤訊息"));
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
        const QString other = QStringLiteral("~tmpExtOther");
        const auto present = [this, &other] {
            QStringList found;
            for (const QString& name : kToolNames + QStringList{kSample, other}) {
                const QFileInfo info(inTemp(name));
                if (info.exists()) {
                    found << name + (info.size() > 1 ? QString() : QStringLiteral(" (empty)"));
                }
            }
            return found;
        };
        for (const QString& name : kToolNames + QStringList{kSample, other}) {
            touch(inTemp(name));
        }
        w.formLoad(QString());
        QCOMPARE(present(), QStringList{other + QStringLiteral(" (empty)")});
        QVERIFY(w.dealMyResource(QStringLiteral("Edit3"), true));
        QVERIFY(w.dealMyResource(QStringLiteral("CapMCI"), true));
        QCOMPARE(present(),
                 (QStringList{kToolNames[0], kSample, other + QStringLiteral(" (empty)")}));
        w.dealMyResource(QStringLiteral("notCapMCI"), false);
        QCOMPARE(present(), (QStringList{kSample, other + QStringLiteral(" (empty)")}));
        w.dealMyResource(QStringLiteral("All"), false);
        QCOMPARE(present(), QStringList{other + QStringLiteral(" (empty)")});
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
        const QString clip = m_f->copy(QStringLiteral("h263.flv"), QStringLiteral("clip.flv"));
        w.linkExecute(clip);
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 3000);
        QCOMPARE(w.windowTitle(), PlayerFixture::title(QStringLiteral("clip.flv")));
        QCOMPARE(listPlayState, 3);
        QCOMPARE(spy.at(0).at(0).toString(), clip);
        QCOMPARE(spy.at(0).at(1).toBool(), false);
    }

    void exitItems_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("marker");
        QTest::newRow("save settings") << 0 << QStringLiteral("結束 ( 儲存設定 )") << QString();
        QTest::newRow("do not save")
            << 1 << QStringLiteral("結束 ( 不儲存設定 )") << QStringLiteral("noSaveINI");
    }
    void exitItems() {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(QString, marker);
        frmMain& w = win();
        m_f->load();
        QVERIFY(w.dealMyResource(QStringLiteral("Edit1"), true));
        QVERIFY(w.dealMyResource(QStringLiteral("CapMCI"), true));
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
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
