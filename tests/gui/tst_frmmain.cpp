// The main window's start-up and shut-down: what the load handler shows and plays, the
// outside tools it installs and removes, drops, hand-overs, and the two exit items.
#include "PlayerTestKit.h"
#include "services/CommDialog.h"

#include <QAction>
#include <QApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

namespace {

void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}

const QStringList kToolNames = {QStringLiteral("~tmpExtMcd"), QStringLiteral("~tmpExtFmg"),
                                QStringLiteral("~tmpExtFmd")};
const QString kSample = QStringLiteral("~tmpExtFlv.wmv");

}  // namespace

class tst_frmMain : public PlayerTest {
    Q_OBJECT

    QString inTemp(const QString& name) const { return m_f->temp.filePath(name); }

private Q_SLOTS:
    void init() { openPlayer(); }
    void cleanup() { closePlayer(); }

    // What the load handler's command line or a later drop opens, and what the window shows.
    void opening_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QStringList>("dropped");  // URLs; "TEMP/": in the temporary folder
        QTest::addColumn<QString>("droppedText");
        QTest::addColumn<QString>("played");  // what is handed to playback
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");  // the status line ("…*": its start)
        QTest::addColumn<int>("errorBoxes");
        const auto row = [](const char* tag, const char* commandLine, const QStringList& dropped,
                            const char* text, const char* played, const char* caption,
                            const char* shown, int errorBoxes) {
            QTest::newRow(tag) << QString::fromUtf8(commandLine) << dropped
                               << QString::fromUtf8(text) << QString::fromUtf8(played)
                               << QString::fromUtf8(caption) << QString::fromUtf8(shown)
                               << errorBoxes;
        };
        const char* stream = "http://127.0.0.1:1/s.mp4";
        row("empty", "", {}, "", "", " Zelvo.FLV - 1.6.1", "請開啟新的檔案", 0);
        row("quoted file", "\"TEMP/my clip.flv\"", {}, "", "\"TEMP/my clip.flv\"",
            " my clip.flv - Zelvo.FLV", "正在播放，進度 0 ％，播速 100 ％", 0);
        row("missing file", "\"/v/my clip.flv\"", {}, "", "\"/v/my clip.flv\"",
            " my clip.flv - Zelvo.FLV", "無法播放", 1);
        row("refused url", stream, {}, "", stream, " s.mp4 - Zelvo.FLV", "無法播放", 1);
        // A doubled separator, as some file managers send, is made single.
        row("dropped files: the first plays", "",
            {QStringLiteral("file:TEMP//my clip.flv"), QStringLiteral("file:TEMP/b.mp4")}, "",
            "TEMP/my clip.flv", " my clip.flv - Zelvo.FLV", "正在播放*", 0);
        row("dropped missing file", "", {QStringLiteral("file:/no/such.flv")}, "", "",
            " Zelvo.FLV - 1.6.1", "請開啟新的檔案", 0);
        row("dropped text", "", {}, stream, stream, " s.mp4 - Zelvo.FLV", "無法播放", 1);
        row("dropped link", "", {QString::fromLatin1(stream)}, "", stream, " s.mp4 - Zelvo.FLV",
            "無法播放", 1);
    }
    void opening() {
        QFETCH(QString, commandLine);
        QFETCH(QStringList, dropped);
        QFETCH(QString, droppedText);
        QFETCH(QString, played);
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        QFETCH(int, errorBoxes);
        frmMain& w = win();
        const QString temp = m_f->temp.path();
        m_f->copy(QStringLiteral("h264.flv"), QStringLiteral("my clip.flv"));
        m_f->copy(QStringLiteral("clip.mp4"), QStringLiteral("b.mp4"));
        QCOMPARE(w.windowTitle(), QStringLiteral(" Zelvo.FLV - 1.6.1"));
        if (errorBoxes > 0) {
            // The box of an flv offers Cancel too (OK would open the codec help).
            const bool flv = caption.contains(QLatin1String(".flv - "));
            m_dialogs->answerMessage(flv ? MsgResult::Cancel : MsgResult::Ok);
        }
        QSignalSpy spy(&w, &frmMain::playRequested);
        w.formLoad(commandLine.replace(QStringLiteral("TEMP"), temp));
        QVERIFY(!w.isSplashShown());
        if (!dropped.isEmpty() || !droppedText.isEmpty()) {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString& url : dropped) {
                urls << QUrl(QString(url).replace(QStringLiteral("TEMP"), temp));
            }
            if (!urls.isEmpty()) {
                data.setUrls(urls);
            }
            if (!droppedText.isEmpty()) {
                data.setText(droppedText);
            }
            // A drop reaches a window only after its drag entered it, as with a real mouse.
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&w, &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&w, &drop);
        }
        QCOMPARE(spy.count(), played.isEmpty() ? 0 : 1);
        if (!played.isEmpty()) {
            QCOMPARE(spy.at(0).at(0).toString(), played.replace(QStringLiteral("TEMP"), temp));
            QCOMPARE(spy.at(0).at(1).toBool(), false);
        }
        QCOMPARE(w.windowTitle(), caption);
        const QString status = m_f->status();
        QCOMPARE(shown.endsWith(u'*') ? status.left(shown.size() - 1) + u'*' : status, shown);
        QCOMPARE(m_dialogs->messages().size(), errorBoxes);
        if (errorBoxes > 0) {
            QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("錯誤訊息"));
        }
    }

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
        QTest::qWait(700);
        QCOMPARE(spy.count(), checked ? 1 : 0);
        QVERIFY(!w.startTimer().isActive());
    }

    // Leftovers of a crashed run go at start-up; each job gets exactly the tools it needs.
    void unpackInstallsWhatEachModeNeeds_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("files");
        const QString mcd = kToolNames[0], fmg = kToolNames[1], fmd = kToolNames[2];
        QTest::newRow("Edit1") << "Edit1" << QStringList{mcd, fmg, fmd};
        QTest::newRow("Edit3") << "Edit3" << QStringList{mcd};
        QTest::newRow("Fix2") << "Fix2" << QStringList{fmg};
        QTest::newRow("Snap") << "Snap" << QStringList{fmg};
        QTest::newRow("Encode") << "Encode" << QStringList{fmg, fmd};
        QTest::newRow("CapMCI") << "CapMCI" << QStringList{kSample};
    }
    void unpackInstallsWhatEachModeNeeds() {
        QFETCH(QString, mode);
        QFETCH(QStringList, files);
        frmMain& w = win();
        const QString other = QStringLiteral("~tmpExtOther");
        for (const QString& name : kToolNames + QStringList{kSample, other}) {
            touch(inTemp(name));
        }
        w.formLoad(QString());
        QVERIFY(w.dealMyResource(mode, true));
        // Installed before dealMyResource returned (not a leftover), and nothing else.
        for (const QString& name : kToolNames + QStringList{kSample}) {
            const QFileInfo info(inTemp(name));
            QVERIFY2(info.exists() == files.contains(name), qPrintable(name));
            QVERIFY(!info.exists() || info.size() > 1);
        }
        QVERIFY(QFile::exists(inTemp(other)));
        // After a job the tools go; the sample clip stays until the program ends.
        w.dealMyResource(QStringLiteral("notCapMCI"), false);
        for (const QString& name : kToolNames) {
            QVERIFY(!QFile::exists(inTemp(name)));
        }
        QCOMPARE(QFile::exists(inTemp(kSample)), files.contains(kSample));
        w.dealMyResource(QStringLiteral("All"), false);
        QVERIFY(!QFile::exists(inTemp(kSample)));
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
        QTest::newRow("save settings") << 0 << "結束 ( 儲存設定 )"
                                       << "";
        QTest::newRow("do not save") << 1 << "結束 ( 不儲存設定 )"
                                     << "noSaveINI";
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
