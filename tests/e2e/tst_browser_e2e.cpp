// The file browser in the real program on an X display: with "裁剪、分割、合併……等等處理後，
// 配合指向此檔案列表" set in the settings file, a cut saved from the menu and its report
// answered with OK bring up the playlist window's file list, in the new file's folder and with
// the new file selected.
//
// ZELVO_TEST_LOG makes the program write its boxes, status text, where its menus are, the
// playlist window's shown tab and its file browser's folder and selection; ZELVO_TEST_ANSWERS
// answers its boxes and dialogs.
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

class tst_BrowserE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariable("DISPLAY").isEmpty(), "needs an X display (xvfb-run)");
    }
    void savedCutShownInFileList();
};

// Started with a marked file, the user clicks "標記剪輯" → "另存裁剪", confirms, names the new
// file and answers the report with OK: the playlist window shows the file browser tab, the
// new file's folder, and the new file selected.
void tst_BrowserE2E::savedCutShownInFileList() {
    QTemporaryDir runtime, temp, config, media;
    const QString source = media.filePath(u8("my clip.flv"));
    const QString out = media.filePath(u8("剪好的 片段.flv"));
    QVERIFY(QFile::copy(testsupport::media(u8("h264.flv")), source));
    // One line is all the lenient settings reader needs.
    QVERIFY(testsupport::writeFile(config.filePath(u8("Zelvo.FLV.ini")), "DoneToFn=1\r\n"));

    const QString log = temp.filePath(u8("zelvo-log.txt"));
    const QString answers = temp.filePath(u8("answers.txt"));
    QVERIFY(testsupport::writeFile(answers, u8("message\tOk\t本軟體可以不經轉檔\nfile\t%1\n"
                                               "message\tOk\t全部的檔案處理程序\n")
                                                .arg(out)
                                                .toUtf8()));
    QProcessEnvironment env =
        testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log);
    env.insert(u8("ZELVO_TEST_ANSWERS"), answers);
    QProcess program;
    testsupport::startProgram(program, env, {source + u8("∥100-250 500-600")});
    QTRY_COMPARE_WITH_TIMEOUT(
        testsupport::windowsNamed(u8("^ my clip\\.flv - Zelvo\\.FLV$")).size(), 1, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(
        testsupport::lastLogLine(log, u8("status")).value(1).startsWith(u8("正在")), 10000);

    const QRect title = testsupport::loggedRect(log, u8("menu"), u8("標記剪輯"));
    QVERIFY(title.isValid());
    testsupport::click(title.center());
    QTRY_VERIFY_WITH_TIMEOUT(
        testsupport::loggedRect(log, u8("menuitem"), u8("mnuSaveRng")).isValid(), 5000);
    const qsizetype before = testsupport::logLines(log, u8("message")).size();
    testsupport::click(testsupport::loggedRect(log, u8("menuitem"), u8("mnuSaveRng")).center());

    const auto messages = [&] { return testsupport::logLines(log, u8("message")).mid(before); };
    QTRY_COMPARE_WITH_TIMEOUT(messages().size(), 2, 30000);
    QVERIFY2(messages().at(1).value(3).startsWith(u8("全部的檔案處理程序已經成功結束")),
             qPrintable(messages().at(1).value(3)));

    // The file list is the shown tab, in the saved file's folder, with the saved file selected.
    QTRY_COMPARE_WITH_TIMEOUT(
        testsupport::lastLogLine(log, u8("browser")),
        QStringList({u8("browser"), media.path() + u8("/"), QFileInfo(out).fileName()}), 10000);
    QCOMPARE(testsupport::lastLogLine(log, u8("tab")), QStringList({u8("tab"), u8("11")}));
    // The window is on screen with the file among the list's lines.
    const auto listed = [&] {
        for (const QStringList& row : testsupport::logLines(log, u8("row"))) {
            if (row.value(1) == u8("Fn1") && row.value(3) == QFileInfo(out).fileName()) {
                return true;
            }
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(listed(), 5000);
    QVERIFY(QFileInfo(out).isFile());
    QVERIFY(QFileInfo(out).size() > 0);
    QCOMPARE(program.state(), QProcess::Running);
    testsupport::stopProcess(program);
}

QTEST_MAIN(tst_BrowserE2E)
#include "tst_browser_e2e.moc"
