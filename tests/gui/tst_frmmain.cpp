// The main window's start-up and shut-down: what the load handler shows and plays, the
// outside tools it installs and removes, drops, hand-overs, and the two exit items.
#include "PlayerTestKit.h"
#include "ScriptedDialogs.h"
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

class tst_frmMain : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<PlayerFixture> m_f;
    frmMain* m_w = nullptr;

    QString status() const { return m_f->status(); }
    QString inTemp(const QString& name) const { return m_f->temp.filePath(name); }

private Q_SLOTS:
    void init() {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_f = std::make_unique<PlayerFixture>();
        m_w = m_f->w.get();
    }
    void cleanup() {
        m_f.reset();
        m_dialogs.reset();
    }

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
        const QString temp = m_f->temp.path();
        m_f->copy(QStringLiteral("h264.flv"), QStringLiteral("my clip.flv"));
        m_f->copy(QStringLiteral("clip.mp4"), QStringLiteral("b.mp4"));
        QCOMPARE(m_w->windowTitle(), QStringLiteral(" Zelvo.FLV - 1.6.1"));
        if (errorBoxes > 0) {
            m_dialogs->answerMessage(MsgResult::Cancel);
        }
        QSignalSpy spy(m_w, &frmMain::playRequested);
        m_w->formLoad(commandLine.replace(QStringLiteral("TEMP"), temp));
        QVERIFY(!m_w->isSplashShown());
        // The program's dialogs belong to this window.
        QCOMPARE(CommDialog::shared().OwnerWindow(), static_cast<QObject*>(m_w));
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
            QApplication::sendEvent(m_w, &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(m_w, &drop);
        }
        QCOMPARE(spy.count(), played.isEmpty() ? 0 : 1);
        if (!played.isEmpty()) {
            QCOMPARE(spy.at(0).at(0).toString(), played.replace(QStringLiteral("TEMP"), temp));
            QCOMPARE(spy.at(0).at(1).toBool(), false);
        }
        QCOMPARE(m_w->windowTitle(), caption);
        QCOMPARE(
            shown.endsWith(QLatin1Char('*')) ? status().left(shown.size() - 1) + u'*' : status(),
            shown);
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
        QSignalSpy spy(m_w, &frmMain::playlistRequested);
        m_w->mnuStartListAction()->setChecked(checked);
        m_w->formLoad(QString());
        QCOMPARE(m_w->startTimer().isActive(), checked);
        QTest::qWait(700);
        QCOMPARE(spy.count(), checked ? 1 : 0);
        QVERIFY(!m_w->startTimer().isActive());
    }

    // Leftovers of a crashed run go at start-up; each job gets exactly the tools it needs.
    void unpackInstallsWhatEachModeNeeds_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("files");
        const QString mcd = kToolNames[0], fmg = kToolNames[1], fmd = kToolNames[2];
        QTest::newRow("Edit1") << QStringLiteral("Edit1") << QStringList{mcd, fmg, fmd};
        QTest::newRow("Edit3") << QStringLiteral("Edit3") << QStringList{mcd};
        QTest::newRow("Fix2") << QStringLiteral("Fix2") << QStringList{fmg};
        QTest::newRow("Snap") << QStringLiteral("Snap") << QStringList{fmg};
        QTest::newRow("Encode") << QStringLiteral("Encode") << QStringList{fmg, fmd};
        QTest::newRow("CapMCI") << QStringLiteral("CapMCI") << QStringList{kSample};
    }
    void unpackInstallsWhatEachModeNeeds() {
        QFETCH(QString, mode);
        QFETCH(QStringList, files);
        for (const QString& name :
             kToolNames + QStringList{kSample, QStringLiteral("~tmpExtOther")}) {
            touch(inTemp(name));
        }
        m_w->formLoad(QString());
        QVERIFY(m_w->dealMyResource(mode, true));
        // Installed before dealMyResource returned (not a leftover), and nothing else.
        for (const QString& name : kToolNames + QStringList{kSample}) {
            const QFileInfo info(inTemp(name));
            QVERIFY2(info.exists() == files.contains(name), qPrintable(name));
            QVERIFY(!info.exists() || info.size() > 1);
        }
        QVERIFY(QFile::exists(inTemp(QStringLiteral("~tmpExtOther"))));
        // After a job the tools go; the sample clip stays until the program ends.
        m_w->dealMyResource(QStringLiteral("notCapMCI"), false);
        for (const QString& name : kToolNames) {
            QVERIFY(!QFile::exists(inTemp(name)));
        }
        QCOMPARE(QFile::exists(inTemp(kSample)), files.contains(kSample));
        m_w->dealMyResource(QStringLiteral("All"), false);
        QVERIFY(!QFile::exists(inTemp(kSample)));
    }

    void linkExecuteShowsAndPlays() {
        m_w->formLoad(QString());
        QSignalSpy spy(m_w, &frmMain::playRequested);
        m_w->showMinimized();
        m_w->linkExecute(QString());
        QTRY_VERIFY_WITH_TIMEOUT(!m_w->isMinimized(), 3000);
        QVERIFY(m_w->isVisible());
        QCOMPARE(spy.count(), 0);
        const QString clip = m_f->copy(QStringLiteral("h263.flv"), QStringLiteral("clip.flv"));
        m_w->linkExecute(clip);
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 3000);
        QCOMPARE(m_w->windowTitle(), QStringLiteral(" clip.flv - Zelvo.FLV"));
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
        m_f->load();
        QVERIFY(m_w->dealMyResource(QStringLiteral("Edit1"), true));
        QVERIFY(m_w->dealMyResource(QStringLiteral("CapMCI"), true));
        QCOMPARE(m_w->mnuEndAction(index)->text(), text);
        m_w->mnuEndAction(index)->trigger();
        QCOMPARE(m_w->mnuEndAction(0)->data().toString(), marker);
        QVERIFY(!m_w->isVisible());
        QVERIFY(appClosing);
        // Nothing of the outside tools outlives the program.
        for (const QString& name : kToolNames + QStringList{kSample}) {
            QVERIFY2(!QFile::exists(inTemp(name)), qPrintable(name));
        }
        QCOMPARE(m_dialogs->messages().size(), 0);
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
