// The real program on an X display saves marked ranges as a user does it: started with a
// file and its marks, the user opens "標記剪輯", clicks "另存裁剪", confirms, picks the
// new file's name and declines the report's offer to show the file. The joined file holds
// the three segments. (What else the saved file and its folder must be, tst_saveranges
// checks on the same file and marks.)
//
// The program shows no modal box here: ZELVO_TEST_LOG makes it write every box and where
// its menus are to a log file, and ZELVO_TEST_ANSWERS gives the answers.
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The last logged place of a menu title or item, as "x y width height".
QRect logged(const QString& log, const QString& kind, const QString& name) {
    QRect rect;
    for (const QStringList& line : testsupport::logLines(log, kind)) {
        if (line.value(1) == name) {
            const QStringList n = line.constLast().split(QLatin1Char(' '));
            rect = QRect(n.value(0).toInt(), n.value(1).toInt(), n.value(2).toInt(),
                         n.value(3).toInt());
        }
    }
    return rect;
}

void click(const QPoint& at) {
    testsupport::run(
        QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
         QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")},
        QString(), 10000);
}

}  // namespace

class tst_SaveE2E : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cutThreeSegmentsFromTheMenu();
};

void tst_SaveE2E::cutThreeSegmentsFromTheMenu() {
    QVERIFY2(!qEnvironmentVariable("DISPLAY").isEmpty(), "needs an X display (xvfb-run)");
    QTemporaryDir runtime, temp, config, media;
    const QString source = media.filePath(QStringLiteral("my clip.flv"));
    const QString out = media.filePath(QStringLiteral("新 檔案.flv"));
    QVERIFY(QFile::copy(testsupport::media(QStringLiteral("h264.flv")), source));

    const QString log = temp.filePath(QStringLiteral("zelvo-log.txt"));
    const QString answers = temp.filePath(QStringLiteral("answers.txt"));
    QFile script(answers);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("message\tOk\t本軟體可以不經轉檔\nfile\t%1\n"
                                "message\tCancel\t全部的檔案處理程序\n")
                     .arg(out)
                     .toUtf8());
    script.close();

    QProcessEnvironment env =
        testsupport::programEnvironment(runtime.path(), temp.path(), config.path(), log);
    env.insert(QStringLiteral("ZELVO_TEST_ANSWERS"), answers);
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(testsupport::binDir() + QStringLiteral("/Zelvo.FLV"),
                  {source + QStringLiteral("∥100-250 500-600 650-725")});
    QTRY_COMPARE_WITH_TIMEOUT(
        testsupport::windowsNamed(QStringLiteral("^ my clip\\.flv - Zelvo\\.FLV$")).size(), 1,
        20000);
    const auto playing = [&] {
        const QList<QStringList> status = testsupport::logLines(log, QStringLiteral("status"));
        return !status.isEmpty() && status.constLast().value(1).startsWith(QStringLiteral("正在"));
    };
    QTRY_VERIFY_WITH_TIMEOUT(playing(), 10000);

    const QRect title = logged(log, QStringLiteral("menu"), QStringLiteral("標記剪輯"));
    QVERIFY(title.isValid());
    click(title.center());
    QTRY_VERIFY_WITH_TIMEOUT(
        logged(log, QStringLiteral("menuitem"), QStringLiteral("mnuSaveRng")).isValid(), 5000);
    // Boxes shown before (no sound card here, for one) are not this run's.
    const qsizetype before = testsupport::logLines(log, QStringLiteral("message")).size();
    click(logged(log, QStringLiteral("menuitem"), QStringLiteral("mnuSaveRng")).center());

    const auto messages = [&] {
        return testsupport::logLines(log, QStringLiteral("message")).mid(before);
    };
    QTRY_COMPARE_WITH_TIMEOUT(messages().size(), 2, 30000);
    QCOMPARE(messages().at(0).value(2), QStringLiteral("OkCancel"));
    QCOMPARE(messages().at(0).value(3),
             QStringLiteral("本軟體可以不經轉檔而直接裁剪 FLV 檔案等等：\\n") + source +
                 QStringLiteral("\\n\\n裁剪功能，可以將所有的標記區段接合為單一的新檔案\\n"
                                "下一個步驟，將會開啟另存新檔的檔案對話盒\\n\\n"
                                "確定要進行「另存裁剪」？"));
    QVERIFY2(messages().at(1).value(3).startsWith(
                 QStringLiteral("全部的檔案處理程序已經成功結束\\n總共使用的時間有 ")),
             qPrintable(messages().at(1).value(3)));

    // 6 + 4 + 3 s marked; each segment may start up to one keyframe (2 s) early.
    const double d = testsupport::probeDuration(out);
    QVERIFY2(d > 12.9 && d < 19.5, qPrintable(QString::number(d)));
    QCOMPARE(QDir(media.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("my clip.flv"), QStringLiteral("新 檔案.flv")}));
    QCOMPARE(program.state(), QProcess::Running);
    testsupport::stopProcess(program);
}

QTEST_MAIN(tst_SaveE2E)
#include "tst_save_e2e.moc"
