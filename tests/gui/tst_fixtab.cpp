// The playlist window's repair tab with the real player window and the real tools: a repair
// of each container family (the new file, its codecs, duration and FLV metadata, the busy
// text, the report), the audio question, the refusals and failures that leave the source as
// it was and nothing behind, and the source box (tips, run button, play menu item, browse
// and drops).
#include "ToolTabKit.h"
#include "gui/tooltabs/FixTab.h"
#include "gui/tooltabs/SourceBox.h"
#include "gui/widgets/ZelvoButton.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

#include <cmath>

#include <unistd.h>

namespace {

const QString kDoneHead = u8("全部的檔案處理程序已經成功結束\r\n總共使用的時間有 ");
const QString kFailure =
    u8("出現錯誤，無法成功處理檔案\r\n\r\n可能是檔案格式不支援進一步的修復\r\n"
       "或者，該檔案被正被其他程式所執行");
const QString kQuestion =
    u8("修復後的檔案，音訊必須重新編碼\r\n這個「修復」程序才能成功\r\n\r\n"
       "按「確定」則繼續程序，並且音訊重新編碼\r\n按「取消」則中止這個「修復」程序");
const QString kBusy =
    u8("Zelvo.FLV\r\n\r\n正在進行「修復」多媒體檔案\r\n\r\n共有 1 個程序，正處理第 1 個");
const QString kUnsupported =
    u8("你所指定處理的檔案並不存在，或是\r\n你選擇了不支援修復的多媒體格式！");
const QString kDropHint = u8("你可以拖曳檔案到這裡");

}  // namespace

class tst_FixTab : public ToolTabTest {
    Q_OBJECT

    FixTab& tab() { return *m_list->fixTab(); }
    // The media (a generated file's name, "pcm.mp4" an MP4 with PCM sound its container
    // cannot hold, "mp4.flv" an MP4 under an FLV name) copied as name into a folder with
    // blanks and Chinese in its name.
    QString source(const QString& media, const QString& name) {
        const QString path = folder(u8("來源 src")) + name;
        QFile::remove(path);
        if (media == u8("pcm.mp4")) {
            const QStringList args = u8("-v error -i").split(u' ')
                                     << testsupport::media(u8("clip.mp4"))
                                     << u8("-c:v copy -c:a pcm_s16le -f mov").split(u' ') << path;
            return testsupport::run(u8("ffmpeg"), args).exitCode == 0 ? path : QString();
        }
        const QString from = testsupport::media(media == u8("mp4.flv") ? u8("clip.mp4") : media);
        return QFile::copy(from, path) ? path : QString();
    }
    // Runs the repair of src as the user does, with the busy texts it showed.
    QStringList runFix(const QString& src) {
        tab().txtMdFix->setText(src);
        return watch([this] { tab().run(); }).texts;
    }
    static QStringList leftovers(const QString& out, const QString& src) {
        return ToolTabTest::leftovers({out, QFileInfo(src).path()});
    }

private Q_SLOTS:
    void init() {
        openWindows();
        m_list->changeToTab(4, 0, false);
    }
    void cleanup() { closeWindows(); }

    void repair_data() {
        QTest::addColumn<QString>("media");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("codecs");  // "" the source's
        // FLV: copy, metadata and rename; MPEG: remux; the rest: the cutting tool's copy, or
        // with the sound re-encoded when the container cannot hold it.
        QTest::newRow("h263 flv") << u8("h263.flv") << u8("片段 'a' b.flv") << QString();
        QTest::newRow("h264 flv") << u8("h264.flv") << u8("-clip.flv") << QString();
        QTest::newRow("upper-case FLV") << u8("h264.flv") << u8("CLIP.FLV") << QString();
        QTest::newRow("vob") << u8("clip.vob") << u8("clip.vob") << QString();
        QTest::newRow("mpg") << u8("clip.mpg") << u8("片段.mpg") << QString();
        QTest::newRow("avi") << u8("clip.avi") << u8("clip.avi") << QString();
        QTest::newRow("mov") << u8("clip.mov") << u8("clip.mov") << QString();
        QTest::newRow("pcm sound re-encoded") << u8("pcm.mp4") << u8("clip.mp4") << u8("h264 mp3");
    }
    void repair() {
        QFETCH(QString, media);
        QFETCH(QString, name);
        QFETCH(QString, codecs);
        const QString src = source(media, name);
        QVERIFY(!src.isEmpty());
        const QString sum = testsupport::digest(src);
        const QString ext = QFileInfo(name).suffix().toLower();
        const QString proposed = QFileInfo(name).completeBaseName() + u8("_fix.") + ext;
        const QString out = folder(u8("輸出 out"));
        // An older file of the chosen name is replaced.
        QVERIFY(testsupport::writeFile(out + proposed, "old"));
        m_dialogs->answerFile({out + proposed});
        if (media == u8("pcm.mp4")) {
            m_dialogs->answerMessage(MsgResult::Ok);
        }
        m_dialogs->answerMessage(MsgResult::Cancel);  // the completion report
        const QStringList busyTexts = runFix(src);

        const FileDialogRequest& dialog = m_dialogs->fileDialogs().constFirst();
        QCOMPARE(dialog.kind, FileDialogRequest::Kind::Save);
        QCOMPARE(dialog.fileName, proposed);
        QCOMPARE(dialog.filters, {ext.toUpper() + u8(" 檔案格式 (*.") + ext + u8(")")});
        QCOMPARE(dialog.defaultExt, u8(".") + ext);
        QCOMPARE(busyTexts.constLast(), kBusy);
        const QStringList shown = m_dialogs->messageTexts();
        QVERIFY2(shown.constLast().startsWith(kDoneHead), qPrintable(shown.join(u8("\n---\n"))));
        if (media == u8("pcm.mp4")) {
            QCOMPARE(shown.constFirst(), kQuestion);
        }

        const QString dest = out + proposed;
        QCOMPARE(testsupport::probeCodecs(dest),
                 codecs.isEmpty() ? testsupport::probeCodecs(src) : codecs.split(u' '));
        const double seconds = testsupport::probeDuration(dest);
        QVERIFY2(std::abs(seconds - 30.0) < 1.0, qPrintable(QString::number(seconds)));
        if (ext == u8("flv")) {
            const testsupport::RunResult check =
                testsupport::run(u8("flvmeta"), {u8("--check"), dest});
            // Clean: a bare remux has no data rates and no keyframe index.
            QVERIFY2(check.exitCode == 0 && check.output.contains("0 error(s), 0 warning(s)"),
                     check.output.constData());
            QVERIFY(testsupport::run(u8("flvmeta"), {u8("--dump"), dest})
                        .output.contains("name=\"keyframes\""));
        }
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{proposed});
        QCOMPARE(leftovers(out, src), QStringList());
        QCOMPARE(testsupport::digest(src), sum);
    }

    void damagedFlvReport_data() {
        QTest::addColumn<QString>("media");
        QTest::addColumn<QString>("note");  // a pattern of the report's line
        QTest::addColumn<double>("seconds");
        QTest::newRow("cut off") << u8("bad/truncated.flv")
                                 << u8("檔案結尾不完整，已捨去最後 [0-9]+ 位元組") << 15.0;
        QTest::newRow("header zeroed")
            << u8("h264.flv") << u8("已重建損壞或缺少的 FLV 檔頭") << 30.0;
    }
    // A damaged FLV: the completion report tells what the tools mended, after its usual
    // lines; what was left whole is all there.
    void damagedFlvReport() {
        QFETCH(QString, media);
        QFETCH(QString, note);
        QFETCH(double, seconds);
        const QString src = source(media, u8("damaged.flv"));
        QVERIFY(!src.isEmpty());
        if (media == u8("h264.flv")) {
            QFile file(src);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.write(QByteArray(9, '\0')) == 9);
        }
        const QString out = folder(u8("out"));
        m_dialogs->answerFile({out + u8("damaged_fix.flv")});
        m_dialogs->answerMessage(MsgResult::Cancel);
        runFix(src);
        const QString report = m_dialogs->messageTexts().constLast();
        QVERIFY2(report.startsWith(kDoneHead) &&
                     report.contains(QRegularExpression(u8("\\r\\n") + note + u8("\\r\\n"))),
                 qPrintable(report));
        const double made = testsupport::probeDuration(out + u8("damaged_fix.flv"));
        QVERIFY2(std::abs(made - seconds) < 1, qPrintable(QString::number(made)));
    }

    void nothingMade_data() {
        QTest::addColumn<QString>("media");  // "" no file at all
        QTest::addColumn<QString>("name");
        // The destination: "SRC" the source, "LINK" another name of it, "CANCEL" the dialog
        // cancelled, "-" no dialog, else a name in the output folder.
        QTest::addColumn<QString>("dest");
        QTest::addColumn<QString>("answers");  // the buttons pressed, in order
        // The boxes; <src> stands for the source, <out> for the output folder.
        QTest::addColumn<QStringList>("shown");
        const QStringList refused = {
            u8("另存的新檔案不能取代正在處理的來源檔案：\r\n<src>\r\n\r\n"
               "請另外選擇檔名或資料夾！")};
        const auto row = [](const char* tag, const char* media, const char* name, const char* dest,
                            const char* answers, const QStringList& shown) {
            QTest::newRow(tag) << u8(media) << u8(name) << u8(dest) << u8(answers) << shown;
        };
        row("missing source", "", "gone.flv", "-", "Ok", {kUnsupported});
        row("type not editable", "clip.mp3", "clip.mp3", "-", "Ok", {kUnsupported});
        row("dialog cancelled", "h264.flv", "clip.flv", "CANCEL", "", {});
        row("onto the source", "h264.flv", "clip.flv", "SRC", "Ok", refused);
        row("onto another name of the source", "clip.avi", "clip.avi", "LINK", "Ok", refused);
        row("destination with a temporary name", "h264.flv", "clip.flv", "~tmpS1.flv", "Ok",
            {u8("新檔案的名稱與暫存檔相同，會被清除：\r\n<out>~tmpS1."
                "flv\r\n\r\n請另外選擇檔名！")});
        row("empty flv", "bad/empty.flv", "empty.flv", "fix.flv", "Ok", {kFailure});
        row("text named flv", "bad/text/clip.flv", "clip.flv", "fix.flv", "Ok", {kFailure});
        row("mp4 named flv", "mp4.flv", "clip.flv", "fix.flv", "Ok", {kFailure});
        // Nothing read, nothing written: no question about the sound.
        row("text named avi", "bad/text/clip.flv", "clip.avi", "fix.avi", "Ok", {kFailure});
        row("re-encoding declined", "pcm.mp4", "clip.mp4", "fix.mp4", "Cancel Ok",
            {kQuestion, kFailure});
    }
    // Nothing to repair, a cancel, a destination refused, or a file the tools cannot repair:
    // no file is made or left behind, and the source stays as it was.
    void nothingMade() {
        QFETCH(QString, media);
        QFETCH(QString, name);
        QFETCH(QString, dest);
        QFETCH(QString, answers);
        QFETCH(QStringList, shown);
        const QString src = media.isEmpty() ? folder(u8("來源 src")) + name : source(media, name);
        QVERIFY(!src.isEmpty());
        const QString sum = testsupport::digest(src);
        const QString out = folder(u8("輸出 out"));
        if (dest == u8("CANCEL")) {
            m_dialogs->cancelFile();
        } else if (dest == u8("SRC")) {
            m_dialogs->answerFile({src});
        } else if (dest == u8("LINK")) {
            // A hard link: the same file, whatever the paths say.
            QCOMPARE(::link(QFile::encodeName(src).constData(),
                            QFile::encodeName(out + u8("link.avi")).constData()),
                     0);
            m_dialogs->answerFile({out + u8("link.avi")});
        } else if (dest != u8("-")) {
            m_dialogs->answerFile({out + dest});
        }
        for (const QString& answer : answers.split(u' ', Qt::SkipEmptyParts)) {
            m_dialogs->answerMessage(answer == u8("Ok") ? MsgResult::Ok : MsgResult::Cancel);
        }
        // Only a run of the tools shows the busy window.
        QCOMPARE(runFix(src).isEmpty(), !shown.contains(kFailure));

        QStringList expected;
        for (const QString& text : shown) {
            expected << QString(text).replace(u8("<src>"), src).replace(u8("<out>"), out);
        }
        QCOMPARE(m_dialogs->messageTexts(), expected);
        if (!shown.isEmpty()) {
            const bool notice = shown.constLast() == kUnsupported;
            QCOMPARE(m_dialogs->lastMessage().title, notice ? u8("注意事項") : titles::error());
        }
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::System),
                 dest == u8("LINK") ? QStringList{u8("link.avi")} : QStringList());
        QCOMPARE(leftovers(out, src), QStringList());
        QCOMPARE(testsupport::digest(src), sum);
    }

    // The box's tip, the run button and the play menu item follow whether the source
    // exists; browsing and dropping put a file into the box.
    void sourceBox() {
        QLineEdit* box = tab().txtMdFix;
        QPushButton* run = tab().cmdMediaFix;
        QAction* play = m_list->mnuPlaySpec;
        QCOMPARE(run->text(), u8("執行修復功能"));
        QCOMPARE(tab().mbMdFix->State(), int(ZelvoButton::Normal));
        const QString a = source(u8("h264.flv"), u8("a b.flv"));
        const QString missing = folder(u8("x")) + u8("gone.flv");
        for (const QString& text : {QString(), missing, a, u8("  ") + a + u8(" "), missing}) {
            box->setText(text);
            const bool exists = text.trimmed() == a;
            QCOMPARE(run->isEnabled(), exists);
            QCOMPARE(box->toolTip(), exists ? a : kDropHint);
            QCOMPARE(play->isEnabled(), exists);
            QCOMPARE(play->data().toString(), exists ? a : QString());
        }

        m_dialogs->answerFile({a});
        tab().source->browse();
        QCOMPARE(box->text(), a);
        QCOMPARE(m_dialogs->fileDialogs().constLast().kind, FileDialogRequest::Kind::Open);
        QCOMPARE(m_dialogs->fileDialogs().constLast().filterIndex, 0);

        // A drop puts its first file in the box when it exists, and the box takes the focus.
        const QString b = source(u8("clip.avi"), u8("b.avi"));
        for (const QStringList& dropped : {QStringList{b, a}, QStringList{missing}}) {
            box->setText(QString());
            QMimeData data;
            QList<QUrl> urls;
            for (const QString& path : dropped) {
                urls << QUrl::fromLocalFile(path);
            }
            data.setUrls(urls);
            // A drop goes where the drag entered.
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QCoreApplication::sendEvent(box, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(box, &drop);
            QCOMPARE(box->text(), dropped.size() == 2 ? b : QString());
        }
        QCOMPARE(m_list->focusWidget(), box);

        // Another tab takes the play menu item over.
        m_list->changeToTab(0, 0, false);
        box->setText(b);
        QVERIFY(!play->isEnabled());
    }

private:
};

QTEST_MAIN(tst_FixTab)
#include "tst_fixtab.moc"
