// The main window's start-up and shut-down: what the load handler leaves behind, the
// outside tools it installs and removes, drops, and the two exit items.
#include "PlayerTestKit.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "app/mdlZelvoFLV.h"
#include "player/frmMain.h"
#include "services/CommDialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

// A drop reaches a window only after its drag entered it, as with a real mouse.
void dropOn(QWidget* w, const QMimeData* data) {
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &drop);
}

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

private Q_SLOTS:
    void init();
    void cleanup();
    void loadBuildsSharedState();
    void loadRemovesLeftoverTools();
    void loadPlaysCommandLine_data();
    void loadPlaysCommandLine();
    void startListOpensPlaylistOnce_data();
    void startListOpensPlaylistOnce();
    void unpackInstallsWhatEachModeNeeds_data();
    void unpackInstallsWhatEachModeNeeds();
    void dropPlaysFirstFileOnly();
    void dropOfMissingFileOrTextOrLink_data();
    void dropOfMissingFileOrTextOrLink();
    void linkExecuteShowsAndPlays();
    void exitItems_data();
    void exitItems();

private:
    QString status() const { return m_w->picPlusBk->lblFnName->text(); }
    std::unique_ptr<QTemporaryDir> m_temp;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    FakeMixerState m_mixer;
    std::unique_ptr<frmMain> m_w;
};

void tst_frmMain::init() {
    m_temp = std::make_unique<QTemporaryDir>();
    qputenv("TMPDIR", m_temp->path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_temp->path() + QStringLiteral("/config")).toUtf8());
    appClosing = false;
    std::setlocale(LC_NUMERIC, "C");
    MciInterpreter::instance().setAudioOutput(QStringLiteral("null"));
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_w = std::make_unique<frmMain>();
    m_w->useMixer(std::make_unique<FakeMixer>(&m_mixer));
}

void tst_frmMain::cleanup() {
    m_w.reset();
    MciInterpreter::instance().closeAll();
    m_dialogs.reset();
    m_temp.reset();
}

void tst_frmMain::loadBuildsSharedState() {
    QCOMPARE(m_w->windowTitle(), QStringLiteral(" Zelvo.FLV - 1.6.1"));
    m_w->formLoad(QString());
    QCOMPARE(appDir, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    QCOMPARE(tempDir, m_temp->path() + QLatin1Char('/'));
    QCOMPARE(mencoderPath, tempDir + QStringLiteral("~tmpExtMcd"));
    QCOMPARE(ffmpegPath, tempDir + QStringLiteral("~tmpExtFmg"));
    QCOMPARE(flvMetaPath, tempDir + QStringLiteral("~tmpExtFmd"));
    QCOMPARE(sampleWmvPath, tempDir + kSample);
    QCOMPARE(m_w->helpFile, appDir + QStringLiteral("Zelvo.FLV.chm"));
    QVERIFY(openFilter.startsWith(
        QStringLiteral("支援處理的檔案 (flv ; mpg ; dat ; vob)|*.flv;*.mpg;")));
    QVERIFY(openFilter.endsWith(QStringLiteral("|所有檔案|*.*")));
    QVERIFY(editableFilter.startsWith(QStringLiteral("支援處理的檔案 (flv ; mpg ; dat ; vob)|")));

    const CommDialog& dialog = CommDialog::shared();
    QCOMPARE(dialog.OwnerWindow(), static_cast<QObject*>(m_w.get()));
    QCOMPARE(dialog.BrowseFlags(), 0x64u);
    QCOMPARE(dialog.OpenFlags(), 0x81004u);
    QCOMPARE(dialog.SaveFlags(), 6u);

    QVERIFY(!m_w->isSplashShown());
    QCOMPARE(m_w->checkTimer().interval(), 333);
    QVERIFY(!m_w->checkTimer().isActive());
    QVERIFY(!m_w->startTimer().isActive());
    QCOMPARE(m_w->mnuEndAction(0)->text(), QStringLiteral("結束 ( 儲存設定 )"));
    QCOMPARE(m_w->mnuEndAction(1)->text(), QStringLiteral("結束 ( 不儲存設定 )"));
}

void tst_frmMain::loadRemovesLeftoverTools() {
    for (const QString& name : kToolNames) {
        touch(m_temp->filePath(name));
    }
    touch(m_temp->filePath(kSample));
    touch(m_temp->filePath(QStringLiteral("~tmpExtOther")));
    m_w->formLoad(QString());
    for (const QString& name : kToolNames) {
        QVERIFY2(!QFile::exists(m_temp->filePath(name)), qPrintable(name));
    }
    QVERIFY(!QFile::exists(m_temp->filePath(kSample)));
    QVERIFY(QFile::exists(m_temp->filePath(QStringLiteral("~tmpExtOther"))));
}

void tst_frmMain::loadPlaysCommandLine_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("errorBoxes");
    QTest::newRow("empty") << QString() << QStringLiteral(" Zelvo.FLV - 1.6.1")
                           << QStringLiteral("請開啟新的檔案") << 0;
    QTest::newRow("quoted file") << QStringLiteral("\"TEMP/my clip.flv\"")
                                 << QStringLiteral(" my clip.flv - Zelvo.FLV")
                                 << QStringLiteral("正在播放，進度 0 ％，播速 100 ％") << 0;
    QTest::newRow("missing file") << QStringLiteral("\"/v/my clip.flv\"")
                                  << QStringLiteral(" my clip.flv - Zelvo.FLV")
                                  << QStringLiteral("無法播放") << 1;
    QTest::newRow("refused url") << QStringLiteral("http://127.0.0.1:1/live.mp4")
                                 << QStringLiteral(" live.mp4 - Zelvo.FLV")
                                 << QStringLiteral("無法播放") << 1;
}

void tst_frmMain::loadPlaysCommandLine() {
    QFETCH(QString, commandLine);
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    QFETCH(int, errorBoxes);
    commandLine.replace(QStringLiteral("TEMP"), m_temp->path());
    QFile::copy(testsupport::media(QStringLiteral("h264.flv")),
                m_temp->filePath(QStringLiteral("my clip.flv")));
    QSignalSpy spy(m_w.get(), &frmMain::playRequested);
    if (errorBoxes > 0) {
        m_dialogs->answerMessage(MsgResult::Cancel);
    }
    m_w->formLoad(commandLine);
    QCOMPARE(spy.count(), commandLine.isEmpty() ? 0 : 1);
    if (!commandLine.isEmpty()) {
        QCOMPARE(spy.at(0).at(0).toString(), commandLine);
        QCOMPARE(spy.at(0).at(1).toBool(), false);
    }
    QCOMPARE(m_w->windowTitle(), caption);
    QCOMPARE(status(), shown);
    QCOMPARE(m_dialogs->messages().size(), errorBoxes);
    if (errorBoxes > 0) {
        QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("錯誤訊息"));
    }
}

void tst_frmMain::startListOpensPlaylistOnce_data() {
    QTest::addColumn<bool>("checked");
    QTest::newRow("start with the playlist") << true;
    QTest::newRow("without") << false;
}

void tst_frmMain::startListOpensPlaylistOnce() {
    QFETCH(bool, checked);
    QSignalSpy spy(m_w.get(), &frmMain::playlistRequested);
    m_w->mnuStartListAction()->setChecked(checked);
    m_w->formLoad(QString());
    QCOMPARE(m_w->startTimer().isActive(), checked);
    QTest::qWait(700);
    QCOMPARE(spy.count(), checked ? 1 : 0);
    QVERIFY(!m_w->startTimer().isActive());
}

void tst_frmMain::unpackInstallsWhatEachModeNeeds_data() {
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

void tst_frmMain::unpackInstallsWhatEachModeNeeds() {
    QFETCH(QString, mode);
    QFETCH(QStringList, files);
    m_w->formLoad(QString());
    QVERIFY(m_w->dealMyResource(mode, true));
    // Installed before dealMyResource returned, and nothing else.
    for (const QString& name : kToolNames + QStringList{kSample}) {
        const QFileInfo info(m_temp->filePath(name));
        QVERIFY2(info.exists() == files.contains(name), qPrintable(name));
        if (info.exists()) {
            QVERIFY(info.size() > 0);
        }
    }
    // After a job the tools go; the sample clip stays until the program ends.
    m_w->dealMyResource(QStringLiteral("notCapMCI"), false);
    for (const QString& name : kToolNames) {
        QVERIFY(!QFile::exists(m_temp->filePath(name)));
    }
    QCOMPARE(QFile::exists(m_temp->filePath(kSample)), files.contains(kSample));
    m_w->dealMyResource(QStringLiteral("All"), false);
    QVERIFY(!QFile::exists(m_temp->filePath(kSample)));
}

void tst_frmMain::dropPlaysFirstFileOnly() {
    m_w->formLoad(QString());
    const QString a = m_temp->filePath(QStringLiteral("a clip.flv"));
    const QString b = m_temp->filePath(QStringLiteral("b.flv"));
    QVERIFY(QFile::copy(testsupport::media(QStringLiteral("h264.flv")), a));
    QVERIFY(QFile::copy(testsupport::media(QStringLiteral("clip.mp4")), b));
    QSignalSpy spy(m_w.get(), &frmMain::playRequested);
    QMimeData data;
    // A doubled separator, as some file managers send, is made single.
    QString doubled = a;
    doubled.replace(m_temp->path(), m_temp->path() + QLatin1Char('/'));
    data.setUrls({QUrl::fromLocalFile(doubled), QUrl::fromLocalFile(b)});
    dropOn(m_w.get(), &data);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), a);
    QCOMPARE(m_w->mciMain.FileName(), a);
    QCOMPARE(m_w->windowTitle(), QStringLiteral(" a clip.flv - Zelvo.FLV"));
    QVERIFY(status().startsWith(QStringLiteral("正在播放")));
    QCOMPARE(m_dialogs->messages().size(), 0);
}

void tst_frmMain::dropOfMissingFileOrTextOrLink_data() {
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("played");
    QTest::newRow("missing file") << QList<QUrl>{QUrl::fromLocalFile(
                                         QStringLiteral("/no/such.flv"))}
                                  << QString() << QString();
    QTest::newRow("text") << QList<QUrl>() << QStringLiteral("http://127.0.0.1:1/live.flv")
                          << QStringLiteral("http://127.0.0.1:1/live.flv");
    QTest::newRow("link only") << QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1:1/s.mp4"))}
                               << QString() << QStringLiteral("http://127.0.0.1:1/s.mp4");
}

void tst_frmMain::dropOfMissingFileOrTextOrLink() {
    QFETCH(QList<QUrl>, urls);
    QFETCH(QString, text);
    QFETCH(QString, played);
    m_w->formLoad(QString());
    QSignalSpy spy(m_w.get(), &frmMain::playRequested);
    QMimeData data;
    if (!urls.isEmpty()) {
        data.setUrls(urls);
    }
    if (!text.isEmpty()) {
        data.setText(text);
    }
    if (!played.isEmpty()) {
        m_dialogs->answerMessage(MsgResult::Cancel);
    }
    dropOn(m_w.get(), &data);
    QCOMPARE(spy.count(), played.isEmpty() ? 0 : 1);
    if (!played.isEmpty()) {
        QCOMPARE(spy.at(0).at(0).toString(), played);
        // Nothing listens there: the stream cannot be played, and says so.
        QCOMPARE(status(), QStringLiteral("無法播放"));
        QCOMPARE(m_dialogs->messages().size(), 1);
    } else {
        QCOMPARE(status(), QStringLiteral("請開啟新的檔案"));
    }
}

void tst_frmMain::linkExecuteShowsAndPlays() {
    m_w->formLoad(QString());
    QSignalSpy spy(m_w.get(), &frmMain::playRequested);
    m_w->showMinimized();
    m_w->linkExecute(QString());
    QTRY_VERIFY_WITH_TIMEOUT(!m_w->isMinimized(), 3000);
    QVERIFY(m_w->isVisible());
    QCOMPARE(spy.count(), 0);
    const QString clip = m_temp->filePath(QStringLiteral("clip.flv"));
    QVERIFY(QFile::copy(testsupport::media(QStringLiteral("h263.flv")), clip));
    m_w->linkExecute(clip);
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 3000);
    QCOMPARE(m_w->windowTitle(), QStringLiteral(" clip.flv - Zelvo.FLV"));
    QCOMPARE(listPlayState, 3);
    QCOMPARE(spy.at(0).at(0).toString(), clip);
    QCOMPARE(spy.at(0).at(1).toBool(), false);
}

void tst_frmMain::exitItems_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("marker");
    QTest::newRow("save settings") << 0 << QString();
    QTest::newRow("do not save") << 1 << QStringLiteral("noSaveINI");
}

void tst_frmMain::exitItems() {
    QFETCH(int, index);
    QFETCH(QString, marker);
    m_w->formLoad(QString());
    m_w->show();
    QVERIFY(m_w->dealMyResource(QStringLiteral("Edit1"), true));
    QVERIFY(m_w->dealMyResource(QStringLiteral("CapMCI"), true));
    m_w->mnuEndAction(index)->trigger();
    QCOMPARE(m_w->mnuEndAction(0)->data().toString(), marker);
    QVERIFY(!m_w->isVisible());
    QVERIFY(appClosing);
    // Nothing of the outside tools outlives the program.
    for (const QString& name : kToolNames + QStringList{kSample}) {
        QVERIFY2(!QFile::exists(m_temp->filePath(name)), qPrintable(name));
    }
    QCOMPARE(m_dialogs->messages().size(), 0);
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
