// Saving marked ranges from the player window, with the real tools on the generated media:
// cut (one file) and split (one file per segment) for each container family, the outputs'
// codecs, durations and FLV metadata, the clean working folder, the untouched source, the
// refusals that keep the source safe, a folder that cannot be written, what the window does
// while the tools run (Break, a second save, keys, a handed-over file, closing), and the
// plain copy of "另存目前檔案".
#include "PlayerTestKit.h"
#include "core/common/AppPaths.h"
#include "gui/busy/BusySession.h"
#include "gui/busy/frmBuzy.h"
#include "gui/widgets/ZelvoButton.h"

#include <QDir>
#include <QDirIterator>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <numeric>

#include <unistd.h>

namespace {

// Files the tools leave behind when a run is not cleaned up, anywhere under the folders.
QStringList leftovers(const QStringList& folders) {
    QStringList found;
    for (const QString& folder : folders) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = QFileInfo(it.next()).fileName();
            if (name.startsWith(u8("~tmpS")) || name.startsWith(u8("~fix~tmpS")) ||
                name.startsWith(u8("~tmpExtM")) ||
                // The capture session's sample clip stays until the program ends.
                (name.startsWith(u8("~tmpExtF")) && name != u8("~tmpExtFlv.wmv"))) {
                found << it.filePath();
            }
        }
    }
    return found;
}

// Whether one of this process's children is an unpacked tool right now.
bool toolRunning() {
    const QString me = QString::number(::getpid());
    for (const QString& pid : QDir(u8("/proc")).entryList(QDir::Dirs)) {
        QFile stat(u8("/proc/") + pid + u8("/stat"));
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        // "pid (comm) state ppid ..."
        const QString line = QString::fromUtf8(stat.readAll());
        const QStringList rest = line.mid(line.lastIndexOf(u')') + 2).split(u' ');
        if (rest.value(1) == me && line.contains(u8("(~tmpExt"))) {
            return true;
        }
    }
    return false;
}

const QString kDoneHead = u8("全部的檔案處理程序已經成功結束\r\n總共使用的時間有 ");
const QString kFailure =
    u8("出現錯誤，無法成功處理檔案\r\n\r\n可能是檔案格式不支援進一步的剪輯\r\n"
       "或者，該檔案被正被其他程式所執行");
const QString kAborted = u8("你已經中止程序！");

}  // namespace

class TestSaveRanges : public PlayerTest {
    Q_OBJECT

    QString folder(const QString& name) {
        const QString path = m_f->temp.filePath(name);
        QDir().mkpath(path);
        return path + u'/';
    }
    // A copy of a generated file (or of a file given by its path) in a folder of its own,
    // by default under a name with blanks, quotes and Chinese.
    QString source(const QString& media, QString name = QString()) {
        if (name.isEmpty()) {
            name = u8("片段 'a' b.") + QFileInfo(media).suffix();
        }
        const QString path = folder(u8("來源 src")) + name;
        QFile::remove(path);
        return QFile::copy(QFileInfo(media).isAbsolute() ? media : testsupport::media(media), path)
                   ? path
                   : QString();
    }
    // Opens a file with marks given in frames; true once it plays.
    bool open(const QString& path, const QString& marks) {
        win().playSingle(path + u8("∥") + marks, false);
        return !path.isEmpty() && m_f->waitStatus(u8("正在播放"), 10000);
    }

private Q_SLOTS:
    void init() { openPlayer(true); }
    void cleanup() {
        QDir::setCurrent(QDir::tempPath());
        closePlayer();
    }

    void saveRanges_data() {
        QTest::addColumn<QString>("media");
        QTest::addColumn<int>("mode");  // 0 cut, 1 split
        QTest::addColumn<QString>("marks");
        // Segments run between whole seconds; the cuts begin on the keyframe at or before
        // each start (every 2 s). The job's steps differ by container family (FLV, MPEG,
        // the rest) and by mode; the tool tests run every container's command lines.
        const auto row = [](const char* media, int mode, const char* marks) {
            const QString m = u8(marks);
            QTest::newRow(qPrintable(u8("%1 %2 %3")
                                         .arg(u8(media), u8(mode == 0 ? "cut" : "split"),
                                              QString::number(m.count(u' ') + 1))))
                << u8(media) << mode << m;
        };
        const char* three = "100-250 500-600 650-725";
        row("h264.flv", 0, "250-500");
        row("h264.flv", 0, three);
        row("h264.flv", 1, three);
        row("h263.flv", 1, three);
        row("clip.mpg", 0, three);
        row("clip.mpg", 1, three);
        row("clip.avi", 1, three);
        row("clip.mp4", 0, three);
        row("clip.wmv", 0, three);
    }
    void saveRanges() {
        QFETCH(QString, media);
        QFETCH(int, mode);
        QFETCH(QString, marks);
        const QString src = source(media);
        QVERIFY(open(src, marks));
        QCOMPARE(win().marksModel().marksText(), marks);
        const QString sum = testsupport::digest(src);
        const QString ext = QFileInfo(src).suffix();
        const QString out = folder(u8("輸出 out"));
        // An older split_002 is replaced.
        QFile::copy(testsupport::media(u8("clip.mp3")), out + u8("split_002.") + ext);
        const QString cutPath = out + u8("結果 -1.") + ext;

        // What the busy window says while the tools run, and what its bar shows (-1: empty).
        QStringList busyTexts;
        QList<int> bar;
        QTimer watch;
        watch.setInterval(1);
        connect(&watch, &QTimer::timeout, this, [&busyTexts, &bar] {
            if (const frmBuzy* busy = BusySession::shared().dialog()) {
                if (!busyTexts.contains(busy->busyText())) {
                    busyTexts << busy->busyText();
                }
                const auto* shown = busy->findChild<QProgressBar*>(u8("prgRun"));
                bar << (shown->isTextVisible() ? shown->value() : -1);
            }
        });
        watch.start();
        m_dialogs->answerMessage(MsgResult::Ok);
        m_dialogs->answerFile({mode == 0 ? cutPath : out});
        m_dialogs->answerMessage(MsgResult::Cancel);  // the completion report
        win().saving().saveRanges(mode);
        watch.stop();
        // One step per segment, and the join when there is one.
        const int segments = static_cast<int>(marks.count(u' ')) + 1;
        const int count = mode == 0 && segments > 1 ? segments + 1 : segments;
        QCOMPARE(busyTexts.constLast(),
                 u8("Zelvo.FLV\r\n\r\n正在進行「") + (mode == 0 ? u8("裁剪") : u8("分割")) +
                     u8("」多媒體檔案\r\n\r\n共有 %1 個程序，正處理第 %1 個").arg(count));
        // The bar shows the whole job: it starts at 0 and never empties or goes back.
        QVERIFY(!bar.isEmpty() && !bar.contains(-1));
        QVERIFY(std::is_sorted(bar.begin(), bar.end()));

        QCOMPARE(m_dialogs->messages().size(), 2);
        QVERIFY2(m_dialogs->lastMessage().text.startsWith(kDoneHead),
                 qPrintable(m_dialogs->lastMessage().text));
        const FileDialogRequest& dialog = m_dialogs->fileDialogs().constFirst();
        if (mode == 0) {
            QCOMPARE(dialog.fileName, u8("片段 'a' b_part.") + ext);
            QCOMPARE(dialog.filters, {ext.toUpper() + u8(" 檔案格式 (*.") + ext + u8(")")});
        } else {
            QCOMPARE(dialog.title, u8("分割出的檔案將以「split_編號.") + ext +
                                       u8("」儲存\r\n請選取分割出的新檔案的儲存目錄\r\n"
                                          "這裡，強烈建議你新建一個資料夾！"));
        }

        // Each segment goes to the tools widened outward to whole seconds.
        QList<double> seconds;
        for (int i = 0; i < segments; ++i) {
            QString from, to, length;
            float fromSec = 0, toSec = 0;
            win().marksModel().rsFormat(i, from, to, 0, fromSec, toSec, 0, 0, length);
            seconds << std::ceil(to.toDouble()) - std::floor(from.toDouble());
        }
        const QStringList codecs = testsupport::probeCodecs(src);
        for (int i = 0; i < (mode == 0 ? 1 : segments); ++i) {
            const QString path =
                mode == 0 ? cutPath
                          : out + u8("split_%1.").arg(i + 1, 3, 10, QLatin1Char('0')) + ext;
            QCOMPARE(testsupport::probeCodecs(path), codecs);
            // Never shorter than marked; each segment longer by at most the lead-in from the
            // keyframe before its start (plus the audio packets around it).
            const double marked =
                mode == 0 ? std::accumulate(seconds.begin(), seconds.end(), 0.0) : seconds.at(i);
            const double d = testsupport::probeDuration(path);
            QVERIFY2(d > marked - 0.1 && d < marked + 2.1 * (mode == 0 ? segments : 1),
                     qPrintable(u8("%1: %2 s for %3 s marked").arg(path).arg(d).arg(marked)));
            if (ext == u8("flv")) {
                const testsupport::RunResult check =
                    testsupport::run(u8("flvmeta"), {u8("--check"), path});
                QVERIFY2(check.exitCode == 0, check.output.constData());
            }
        }
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), mode == 0 ? 2 : 3);
        QCOMPARE(leftovers({out, QFileInfo(src).path(), AppPaths::running().tempFolder(),
                            QDir::currentPath()}),
                 QStringList());
        QCOMPARE(testsupport::digest(src), sum);
    }

    void audioReencodedWithConsent_data() {
        QTest::addColumn<bool>("consent");
        QTest::newRow("ok") << true;
        QTest::newRow("cancel") << false;
    }
    // An MP4 whose PCM sound the container cannot hold: the first segment asks whether the
    // sound may be re-encoded; a yes holds for the other segments, a no ends the run.
    void audioReencodedWithConsent() {
        QFETCH(bool, consent);
        const QString pcm = m_f->temp.filePath(u8("pcm.mp4"));
        const QStringList args = u8("-v error -i").split(u' ')
                                 << testsupport::media(u8("clip.mp4"))
                                 << u8("-c:v copy -c:a pcm_s16le -f mov").split(u' ') << pcm;
        QCOMPARE(testsupport::run(u8("ffmpeg"), args).exitCode, 0);
        QVERIFY(open(pcm, u8("100-200 300-400 500-600")));
        const QString out = folder(u8("out"));
        m_dialogs->answerMessage(MsgResult::Ok);
        m_dialogs->answerFile({out});
        m_dialogs->answerMessage(consent ? MsgResult::Ok : MsgResult::Cancel);
        m_dialogs->answerMessage(consent ? MsgResult::Cancel : MsgResult::Ok);
        win().saving().saveRanges(1);

        const QStringList shown = m_dialogs->messageTexts();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown.at(1), u8("分割後的區段，音訊必須重新編碼\r\n"
                                 "這個「另存分割」程序才能成功\r\n\r\n"
                                 "按「確定」則繼續程序，並且音訊重新編碼\r\n"
                                 "按「取消」則中止這個「另存分割」程序"));
        if (!consent) {
            QCOMPARE(shown.at(2), kFailure);
            QCOMPARE(QDir(out).entryList(QDir::Files), QStringList());
            return;
        }
        QVERIFY(shown.at(2).startsWith(kDoneHead));
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(testsupport::probeCodecs(out + u8("split_00%1.mp4").arg(i)),
                     (QStringList{u8("h264"), u8("mp3")}));
        }
    }

    void nothingWritten_data() {
        QTest::addColumn<QString>("media");
        QTest::addColumn<QString>("marks");
        QTest::addColumn<int>("mode");            // 0 cut, 1 split
        QTest::addColumn<QString>("sourceName");  // "": the usual name
        // The answers in order: a message's button, "CANCEL" the file dialog cancelled, or the
        // name chosen in it ("SRC" the source, "DIR/" its folder, "LOCKED/" a folder that
        // cannot be written).
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("message");  // the last box; "": the question; <src> the source
        const auto row = [](const char* tag, const char* media, const char* marks, int mode,
                            const char* name, const char* answers, const QString& message) {
            QTest::newRow(tag) << u8(media) << u8(marks) << mode << u8(name) << u8(answers)
                               << message;
        };
        const char* two = "100-250 500-600";
        const QString other = u8("請另外選擇檔名或資料夾！");
        row("no segment", "h264.flv", "", 0, "", "Ok",
            u8("你要處理的檔案並不存在於本地硬碟\r\n或是其他的原因導致無法讀取標記！"));
        row("no picture", "clip.mp3", "1000-5000", 0, "", "Ok",
            u8("「另存裁剪」無法處理沒有畫面／視訊的影片！"));
        row("cancelled question", "h264.flv", "100-250", 0, "", "Cancel", QString());
        row("cancelled dialog", "h264.flv", "100-250", 0, "", "Ok CANCEL", QString());
        row("cut onto the source", "h264.flv", two, 0, "", "Ok SRC Ok",
            u8("另存的新檔案不能取代正在處理的來源檔案：\r\n<src>\r\n\r\n") + other);
        row("split over a source named split_002", "h264.flv", two, 1, "split_002.flv",
            "Ok DIR/ Ok", u8("分割出的新檔案會取代正在處理的來源檔案：\r\n<src>\r\n\r\n") + other);
        row("source with a temporary name", "h264.flv", two, 1, "~tmpSP001.flv", "Ok DIR/ Ok",
            u8("來源檔案的名稱與暫存檔相同，會被清除：\r\n<src>\r\n\r\n"
               "請先將來源檔案改名，或另外選擇資料夾！"));
        // The clean-up after the job would remove it again.
        row("cut to a temporary name", "h264.flv", two, 0, "", "Ok DIR/~tmpSnew.flv Ok",
            u8("新檔案的名稱與暫存檔相同，會被清除：\r\nDIR/~tmpSnew.flv\r\n\r\n請另外選擇檔名！"));
        // The report names the cause before the usual lines.
        row("folder that cannot be written", "h264.flv", two, 0, "", "Ok LOCKED/cut.flv Ok",
            u8("無法寫入這個資料夾：<dir>\r\n") + kFailure);
    }
    // Nothing to save, a cancel, or a destination refused: no file is written or removed and
    // the source stays as it was.
    void nothingWritten() {
        QFETCH(QString, media);
        QFETCH(QString, marks);
        QFETCH(int, mode);
        QFETCH(QString, sourceName);
        QFETCH(QString, answers);
        QFETCH(QString, message);
        const QString src = source(media, sourceName);
        QVERIFY(open(src, marks));
        const QString dir = QFileInfo(src).path() + u'/';
        // The superuser writes anywhere a mode bit forbids; the process file system refuses
        // new files to everyone.
        QString locked = u8("/proc/");
        if (::geteuid() != 0) {
            locked = folder(u8("read-only"));
            QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        for (const QString& answer : answers.split(u' ')) {
            if (answer == u8("Ok") || answer == u8("Cancel")) {
                m_dialogs->answerMessage(answer == u8("Ok") ? MsgResult::Ok : MsgResult::Cancel);
            } else if (answer == u8("CANCEL")) {
                m_dialogs->cancelFile();
            } else {
                m_dialogs->answerFile({answer == u8("SRC") ? src
                                                           : QString(answer)
                                                                 .replace(u8("DIR/"), dir)
                                                                 .replace(u8("LOCKED/"), locked)});
            }
        }
        const QString sum = testsupport::digest(src);
        const QStringList before = QDir(dir).entryList(QDir::Files);
        win().saving().saveRanges(mode);
        QFile::setPermissions(
            locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        if (message.isEmpty()) {
            QVERIFY(m_dialogs->lastMessage().text.startsWith(
                u8("本軟體可以不經轉檔而直接裁剪 FLV 檔案等等：\r\n") + src));
        } else {
            QCOMPARE(m_dialogs->messageTexts().constLast(), message.replace(u8("<src>"), src)
                                                                .replace(u8("<dir>"), locked)
                                                                .replace(u8("DIR/"), dir));
            QCOMPARE(m_dialogs->lastMessage().title, u8("錯誤訊息"));
        }
        QCOMPARE(testsupport::digest(src), sum);
        QCOMPARE(QDir(dir).entryList(QDir::Files), before);
        QVERIFY(!QFileInfo::exists(locked + u8("cut.flv")));
        QStringList left = leftovers({m_f->temp.path()});
        left.removeOne(src);  // a source named like the tools' files is no leftover
        QCOMPARE(left, QStringList());
        QCOMPARE(BusySession::shared().dialog(), nullptr);
    }

    void whileTheToolsRun_data() {
        QTest::addColumn<int>("end");  // 0 Break, 1 closing refused, 2 closing stops the job
        QTest::newRow("Break stops the tools") << 0;
        QTest::newRow("close refused, the job completes") << 1;
        QTest::newRow("close stops the job first") << 2;
    }
    // While the tools run, the player takes no keys or clicks, a second save starts nothing, a
    // handed-over file waits, and closing the window asks first. Break on the busy window or
    // a yes to that question stops the tools, leaving nothing of the job and the bar where
    // the work stopped; a no lets the job go on to its end.
    void whileTheToolsRun() {
        QFETCH(int, end);
        const QString big = m_f->temp.filePath(u8("long.flv"));
        QVERIFY(testsupport::makeLongClip(big));
        QVERIFY(open(big, u8("0-15000")));
        win().playback().mbPause_Click();
        const QString sum = testsupport::digest(big);
        const QString outDir = folder(u8("out"));
        const QString out = outDir + u8("cut.flv");
        const QString other = m_f->copy(u8("clip.mp4"), u8("next.mp4"));

        bool met = false;
        bool toolsThere = false;
        bool barKept = false;
        int stateAfterKeys = 0;
        qsizetype dialogsAfterSecondSave = -1;
        QTimer watch;
        watch.setInterval(1);
        connect(&watch, &QTimer::timeout, this, [&] {
            const QPointer<frmBuzy> busy = BusySession::shared().dialog();
            if (busy == nullptr || !toolRunning()) {
                return;
            }
            watch.stop();
            met = true;
            win().saving().saveRanges(1);
            dialogsAfterSecondSave = m_dialogs->messages().size() + m_dialogs->fileDialogs().size();
            QTest::keyClick(m_f->w.get(), Qt::Key_Space);
            QTest::keyClick(win().windowHandle(), Qt::Key_Delete);
            QTest::mouseClick(win().panel().mbPlay[0], Qt::LeftButton);
            stateAfterKeys = win().state().playerState;
            win().linkExecute(other);
            toolsThere = QFileInfo::exists(AppPaths::running().mencoder());
            if (end > 0) {
                QVERIFY(!win().close());
                return;
            }
            const auto* bar = busy->findChild<QProgressBar*>(u8("prgRun"));
            const int at = bar->value();
            busy->findChild<QPushButton*>(u8("cmdBreak"))->click();
            if (busy != nullptr) {
                busy->setProgress(at + 10);  // a report the tool sent as it was stopped
                barKept = bar->value() == at;
            }
        });
        watch.start();
        m_dialogs->answerMessage(MsgResult::Ok);
        m_dialogs->answerFile({out});
        if (end > 0) {
            m_dialogs->answerMessage(end == 2 ? MsgResult::Yes : MsgResult::No);
        }
        m_dialogs->answerMessage(end == 1 ? MsgResult::Cancel : MsgResult::Ok);
        win().saving().saveRanges(0);

        QVERIFY(met);
        QCOMPARE(dialogsAfterSecondSave, 2);  // the first save's question and file dialog
        QCOMPARE(stateAfterKeys, 4);
        QVERIFY(toolsThere);
        QStringList shown = m_dialogs->messageTexts();
        if (end > 0) {
            QCOMPARE(shown.takeAt(1), u8("你選擇了結束與離開本軟體\r\n但是檔案處理程序正在進行中"
                                         "\r\n\r\n要中止程序，並且結束本軟體嗎？"));
        }
        QCOMPARE(shown.size(), 2);
        QVERIFY(!QFileInfo::exists(AppPaths::running().mencoder()));
        QVERIFY(!toolRunning());
        QCOMPARE(testsupport::digest(big), sum);
        if (end == 1) {
            QVERIFY(shown.at(1).startsWith(kDoneHead));
            const double d = testsupport::probeDuration(out);
            QVERIFY2(d > 599 && d < 602, qPrintable(QString::number(d)));
        } else {
            QCOMPARE(shown.at(1), kAborted);
            QCOMPARE(m_dialogs->lastMessage().title, u8("Zelvo.FLV"));
            QCOMPARE(QDir(outDir).entryList(QDir::Files | QDir::Hidden), QStringList());
            QCOMPARE(leftovers({m_f->temp.path()}), QStringList());
        }
        if (end == 2) {
            QTRY_VERIFY_WITH_TIMEOUT(!win().isVisible(), 5000);
            return;
        }
        QVERIFY(end == 1 || barKept);
        // The file handed over meanwhile plays once the job is over.
        QTRY_COMPARE_WITH_TIMEOUT(win().windowTitle(), PlayerFixture::title(u8("next.mp4")), 10000);
        QVERIFY(win().isVisible());
    }

    void saveFileCopies_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("onto");  // the chosen name is the file itself
        const QString flv = u8("FLV 檔案格式(*.flv)");
        QTest::newRow("flv") << u8("a.flv") << flv << false;
        QTest::newRow("playlist") << u8("~tmpS.plt") << u8("預設清單檔(*.plt)") << false;
        QTest::newRow("onto itself") << u8("a.flv") << flv << true;
    }
    void saveFileCopies() {
        QFETCH(QString, name);
        QFETCH(QString, filter);
        QFETCH(bool, onto);
        const QString path = m_f->copy(u8("h264.flv"), name);
        const QString sum = testsupport::digest(path);
        const QString target = onto ? path : m_f->temp.filePath(u8("副本 copy.x"));
        m_dialogs->answerFile({target});
        m_dialogs->answerMessage(onto ? MsgResult::Ok : MsgResult::Cancel);
        win().saveFile(path, false);

        const FileDialogRequest& dialog = m_dialogs->fileDialogs().constFirst();
        QCOMPARE(dialog.kind, FileDialogRequest::Kind::Save);
        QCOMPARE(dialog.filters, QStringList{filter});
        QCOMPARE(dialog.fileName, QString());
        QCOMPARE(testsupport::digest(target), sum);
        QCOMPARE(
            m_dialogs->lastMessage().text.startsWith(u8("全部的檔案處理程序已經成功結束\r\n\r\n")),
            !onto);

        // No file open: the menu item only pauses.
        m_dialogs->clear();
        win().saving().mnuSaveFile_Click();
        QCOMPARE(m_dialogs->fileDialogs().size(), 0);
    }
};

QTEST_MAIN(TestSaveRanges)
#include "tst_saveranges.moc"
