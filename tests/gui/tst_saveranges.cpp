// Saving marked ranges from the player window, with the real tools on the generated media:
// cut (one file) and split (one file per segment) for every container family, the outputs'
// codecs, durations and FLV metadata, the clean working folder, the untouched source, the
// refusals that keep the source safe, Break, a folder that cannot be written, and the plain
// copy of "另存目前檔案".
#include "PlayerTestKit.h"
#include "ScriptedDialogs.h"
#include "player/RangeMarks.h"
#include "tools/BusySession.h"
#include "tools/frmBuzy.h"
#include "widgets/ZelvoButton.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <numeric>

#include <unistd.h>

namespace {

QByteArray checksum(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

// Files the tools leave behind when a run is not cleaned up, anywhere under the folders.
QStringList leftovers(const QStringList& folders) {
    QStringList found;
    for (const QString& folder : folders) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = QFileInfo(it.next()).fileName();
            if (name.startsWith(QLatin1String("~tmpS")) ||
                name.startsWith(QLatin1String("~fix~tmpS")) ||
                name.startsWith(QLatin1String("~tmpExtM")) ||
                // The capture session's sample clip stays until the program ends.
                (name.startsWith(QLatin1String("~tmpExtF")) &&
                 name != QLatin1String("~tmpExtFlv.wmv"))) {
                found << it.filePath();
            }
        }
    }
    return found;
}

// Whether one of this process's children is an unpacked tool right now.
bool toolRunning() {
    const QString me = QString::number(::getpid());
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& pid : pids) {
        QFile stat(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        // "pid (comm) state ppid ..."
        const QString line = QString::fromUtf8(stat.readAll());
        const qsizetype close = line.lastIndexOf(QLatin1Char(')'));
        const QStringList rest = line.mid(close + 2).split(QLatin1Char(' '));
        if (rest.value(1) == me && line.contains(QLatin1String("(~tmpExt"))) {
            return true;
        }
    }
    return false;
}

QString doneHead() {
    return QStringLiteral("全部的檔案處理程序已經成功結束\r\n總共使用的時間有 ");
}

QString failureText() {
    return QStringLiteral(
        "出現錯誤，無法成功處理檔案\r\n\r\n可能是檔案格式不支援進一步的剪輯\r\n"
        "或者，該檔案被正被其他程式所執行");
}

}  // namespace

class TestSaveRanges : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void saveRanges_data();
    void saveRanges();
    void audioReencodedWithConsent_data();
    void audioReencodedWithConsent();
    void refusesToReplaceSource_data();
    void refusesToReplaceSource();
    void cancelOrNothingToSave_data();
    void cancelOrNothingToSave();
    void breakStopsTheTools();
    void oneJobAtATime_data();
    void oneJobAtATime();
    void unwritableFolderFails();
    void saveFileCopies_data();
    void saveFileCopies();

private:
    // A copy of a generated file, under a name with blanks, quotes and Chinese, in a
    // folder of its own; the player opens it with the marks given in frames.
    QString openWithMarks(const QString& media, const QString& marks);
    QString folder(const QString& name);
    // Ten minutes of video, so the tools run long enough to be met while they run.
    QString longFile();

    std::unique_ptr<PlayerFixture> m_f;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QString m_source;
};

void TestSaveRanges::init() {
    m_f = std::make_unique<PlayerFixture>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_f->load();
}

void TestSaveRanges::cleanup() {
    m_dialogs.reset();
    m_f.reset();
    QDir::setCurrent(QDir::tempPath());
}

QString TestSaveRanges::folder(const QString& name) {
    const QString path = m_f->temp.filePath(name);
    QDir().mkpath(path);
    return path + QLatin1Char('/');
}

QString TestSaveRanges::openWithMarks(const QString& media, const QString& marks) {
    const QString ext = QFileInfo(media).suffix();
    m_source = folder(QStringLiteral("來源 src")) + QStringLiteral("片段 'a' b.") + ext;
    QFile::remove(m_source);
    if (!QFile::copy(testsupport::media(media), m_source)) {
        return QString();
    }
    m_f->w->playSingle(m_source + QStringLiteral("∥") + marks, false);
    if (!m_f->waitStatus(QStringLiteral("正在播放"), 10000)) {
        return QString();
    }
    return m_source;
}

void TestSaveRanges::saveRanges_data() {
    QTest::addColumn<QString>("media");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("marks");
    QTest::addColumn<QList<int>>("outputs");  // the segments each output holds

    // Segments run between whole seconds; the cuts begin on the keyframe at or before
    // each start (every 2 s).
    const QString one = QStringLiteral("250-500");
    const QString three = QStringLiteral("100-250 500-600 650-725");
    const QStringList files = {QStringLiteral("h264.flv"), QStringLiteral("h263.flv"),
                               QStringLiteral("clip.mpg"), QStringLiteral("clip.avi"),
                               QStringLiteral("clip.mp4"), QStringLiteral("clip.wmv")};
    for (const QString& file : files) {
        const QByteArray name = file.toUtf8();
        QTest::newRow((name + " cut one").constData()) << file << 0 << one << QList<int>{1};
        QTest::newRow((name + " cut three").constData()) << file << 0 << three << QList<int>{3};
        QTest::newRow((name + " split three").constData())
            << file << 1 << three << QList<int>{1, 1, 1};
    }
}

void TestSaveRanges::saveRanges() {
    QFETCH(QString, media);
    QFETCH(int, mode);
    QFETCH(QString, marks);
    QFETCH(QList<int>, outputs);

    const QString source = openWithMarks(media, marks);
    QVERIFY(!source.isEmpty());
    QCOMPARE(m_f->w->marksModel().marksText(), marks);
    const QByteArray sum = checksum(source);
    const QString ext = QFileInfo(source).suffix();
    const QString out = folder(QStringLiteral("輸出 out"));
    // An older split_002 is replaced; an older cut destination too.
    QFile::copy(testsupport::media(QStringLiteral("clip.mp3")),
                out + QStringLiteral("split_002.") + ext);
    const QString cutPath = out + QStringLiteral("結果 -1.") + ext;

    // What the busy window says while the tools run, and what its bar shows (-1: empty).
    QStringList busyTexts;
    QList<int> bar;
    QTimer watch;
    watch.setInterval(1);
    connect(&watch, &QTimer::timeout, this, [&busyTexts, &bar] {
        const frmBuzy* busy = BusySession::shared().dialog();
        if (busy == nullptr) {
            return;
        }
        if (!busyTexts.contains(busy->busyText())) {
            busyTexts << busy->busyText();
        }
        const auto* shown = busy->findChild<QProgressBar*>(QStringLiteral("prgRun"));
        bar << (shown->isTextVisible() ? shown->value() : -1);
    });
    watch.start();
    m_dialogs->answerMessage(MsgResult::Ok);
    m_dialogs->answerFile({mode == 0 ? cutPath : out});
    m_dialogs->answerMessage(MsgResult::Cancel);  // the completion report
    m_f->w->saving().saveRanges(mode);
    watch.stop();
    // One step per segment, and the join when there is one.
    const int segments = static_cast<int>(marks.count(QLatin1Char(' '))) + 1;
    const int count = mode == 0 && segments > 1 ? segments + 1 : segments;
    QCOMPARE(busyTexts.constLast(),
             QStringLiteral("Zelvo.FLV\r\n\r\n正在進行「") +
                 (mode == 0 ? QStringLiteral("裁剪") : QStringLiteral("分割")) +
                 QStringLiteral("」多媒體檔案\r\n\r\n共有 %1 個程序，正處理第 %1 個").arg(count));

    // The bar shows the whole job: it starts at 0 and never empties or goes back.
    QVERIFY(!bar.isEmpty() && !bar.contains(-1));
    QVERIFY(std::is_sorted(bar.begin(), bar.end()));

    QCOMPARE(m_dialogs->unexpected(), 0);
    QCOMPARE(m_dialogs->messages().size(), 2);
    QVERIFY2(m_dialogs->lastMessage().text.startsWith(doneHead()),
             qPrintable(m_dialogs->lastMessage().text));
    const FileDialogRequest& dialog = m_dialogs->fileDialogs().constFirst();
    if (mode == 0) {
        QCOMPARE(dialog.fileName, QStringLiteral("片段 'a' b_part.") + ext);
        QCOMPARE(dialog.filters,
                 {ext.toUpper() + QStringLiteral(" 檔案格式 (*.") + ext + QStringLiteral(")")});
    } else {
        QCOMPARE(dialog.title, QStringLiteral("分割出的檔案將以「split_編號.") + ext +
                                   QStringLiteral("」儲存\r\n請選取分割出的新檔案的儲存目錄\r\n"
                                                  "這裡，強烈建議你新建一個資料夾！"));
    }

    // Each segment goes to the tools widened outward to whole seconds.
    QList<double> seconds;
    for (int i = 0; i <= m_f->w->marksModel().lastSegmentIndex(); ++i) {
        QString from;
        QString to;
        QString length;
        float fromSec = 0;
        float toSec = 0;
        m_f->w->marksModel().rsFormat(i, from, to, 0, fromSec, toSec, 0, 0, length);
        seconds << std::ceil(to.toDouble()) - std::floor(from.toDouble());
    }
    QStringList codecs = testsupport::probeCodecs(source);
    codecs.sort();
    for (int i = 0; i < outputs.size(); ++i) {
        const QString path =
            mode == 0 ? cutPath
                      : out + QStringLiteral("split_%1.").arg(i + 1, 3, 10, QLatin1Char('0')) + ext;
        QVERIFY2(QFileInfo(path).size() > 0, qPrintable(path));
        QStringList kept = testsupport::probeCodecs(path);
        kept.sort();
        QCOMPARE(kept, codecs);
        // Never shorter than marked; each segment longer by at most the lead-in from the
        // keyframe before its start (plus the audio packets around it).
        const double marked =
            mode == 0 ? std::accumulate(seconds.begin(), seconds.end(), 0.0) : seconds.at(i);
        const double d = testsupport::probeDuration(path);
        QVERIFY2(d > marked - 0.1 && d < marked + 2.1 * outputs.at(i),
                 qPrintable(QStringLiteral("%1 s for %2 s marked").arg(d).arg(marked)));
        if (ext == QLatin1String("flv")) {
            const testsupport::RunResult check =
                testsupport::run(QStringLiteral("flvmeta"), {QStringLiteral("--check"), path});
            QVERIFY2(check.exitCode == 0, check.output.constData());
        }
    }
    QCOMPARE(QDir(out).entryList(QDir::Files).size(), mode == 0 ? 2 : 3);
    QCOMPARE(leftovers({out, QFileInfo(source).path(), tempDir, QDir::currentPath()}),
             QStringList());
    QCOMPARE(checksum(source), sum);
}

void TestSaveRanges::audioReencodedWithConsent_data() {
    QTest::addColumn<bool>("consent");
    QTest::newRow("ok") << true;
    QTest::newRow("cancel") << false;
}

// An MP4 whose PCM sound the container cannot hold: the first segment asks whether the
// sound may be re-encoded; a yes holds for the other segments, a no ends the run.
void TestSaveRanges::audioReencodedWithConsent() {
    QFETCH(bool, consent);
    const QString pcm = m_f->temp.filePath(QStringLiteral("pcm.mp4"));
    QCOMPARE(testsupport::run(
                 QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"),
                  testsupport::media(QStringLiteral("clip.mp4")), QStringLiteral("-c:v"),
                  QStringLiteral("copy"), QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"),
                  QStringLiteral("-f"), QStringLiteral("mov"), pcm})
                 .exitCode,
             0);
    m_f->w->playSingle(pcm + QStringLiteral("∥100-200 300-400 500-600"), false);
    QVERIFY(m_f->waitStatus(QStringLiteral("正在播放"), 10000));
    const QString out = folder(QStringLiteral("out"));
    m_dialogs->answerMessage(MsgResult::Ok);
    m_dialogs->answerFile({out});
    m_dialogs->answerMessage(consent ? MsgResult::Ok : MsgResult::Cancel);
    m_dialogs->answerMessage(consent ? MsgResult::Cancel : MsgResult::Ok);
    m_f->w->saving().saveRanges(1);

    QCOMPARE(m_dialogs->unexpected(), 0);
    const QStringList shown = m_dialogs->messageTexts();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.at(1), QStringLiteral("分割後的區段，音訊必須重新編碼\r\n"
                                         "這個「另存分割」程序才能成功\r\n\r\n"
                                         "按「確定」則繼續程序，並且音訊重新編碼\r\n"
                                         "按「取消」則中止這個「另存分割」程序"));
    if (!consent) {
        QCOMPARE(shown.at(2), failureText());
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList());
        return;
    }
    QVERIFY(shown.at(2).startsWith(doneHead()));
    for (int i = 1; i <= 3; ++i) {
        const QString part = out + QStringLiteral("split_00%1.mp4").arg(i);
        QCOMPARE(testsupport::probeCodecs(part),
                 (QStringList{QStringLiteral("h264"), QStringLiteral("mp3")}));
    }
}

void TestSaveRanges::refusesToReplaceSource_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("sourceName");  // "" keeps the usual name
    QTest::addColumn<QString>("message");

    QTest::newRow("cut onto the source")
        << 0 << QString() << QStringLiteral("另存的新檔案不能取代正在處理的來源檔案：");
    QTest::newRow("split over a source named split_002")
        << 1 << QStringLiteral("split_002.flv")
        << QStringLiteral("分割出的新檔案會取代正在處理的來源檔案：");
    QTest::newRow("source with a temporary name")
        << 1 << QStringLiteral("~tmpSP001.flv")
        << QStringLiteral("來源檔案的名稱與暫存檔相同，會被清除：");
}

void TestSaveRanges::refusesToReplaceSource() {
    QFETCH(int, mode);
    QFETCH(QString, sourceName);
    QFETCH(QString, message);

    QString source = openWithMarks(QStringLiteral("h264.flv"), QStringLiteral("100-250 500-600"));
    QVERIFY(!source.isEmpty());
    if (!sourceName.isEmpty()) {
        const QString renamed = QFileInfo(source).path() + QLatin1Char('/') + sourceName;
        QVERIFY(QFile::copy(source, renamed));
        m_f->w->playSingle(renamed + QStringLiteral("∥100-250 500-600"), false);
        QVERIFY(m_f->waitStatus(QStringLiteral("正在播放"), 10000));
        source = renamed;
    }
    const QByteArray sum = checksum(source);
    const QStringList before = QDir(QFileInfo(source).path()).entryList(QDir::Files);

    m_dialogs->answerMessage(MsgResult::Ok);
    m_dialogs->answerFile({mode == 0 ? source : QFileInfo(source).path()});
    m_dialogs->answerMessage(MsgResult::Ok);
    m_f->w->saving().saveRanges(mode);

    QCOMPARE(m_dialogs->unexpected(), 0);
    const MessageRequest shown = m_dialogs->lastMessage();
    QCOMPARE(shown.title, QStringLiteral("錯誤訊息"));
    QVERIFY2(shown.text.startsWith(message + QStringLiteral("\r\n") + source +
                                   QStringLiteral("\r\n\r\n")),
             qPrintable(shown.text));
    QCOMPARE(checksum(source), sum);
    QCOMPARE(QDir(QFileInfo(source).path()).entryList(QDir::Files), before);
    QCOMPARE(BusySession::shared().dialog(), nullptr);
}

void TestSaveRanges::cancelOrNothingToSave_data() {
    QTest::addColumn<QString>("media");
    QTest::addColumn<QString>("marks");
    QTest::addColumn<int>("cancelAt");  // 0 the question, 1 the dialog, -1 no cancel
    QTest::addColumn<QString>("message");

    QTest::newRow("no segment") << QStringLiteral("h264.flv") << QString() << -1
                                << QStringLiteral(
                                       "你要處理的檔案並不存在於本地硬碟\r\n"
                                       "或是其他的原因導致無法讀取標記！");
    QTest::newRow("no picture") << QStringLiteral("clip.mp3") << QStringLiteral("1000-5000") << -1
                                << QStringLiteral("「另存裁剪」無法處理沒有畫面／視訊的影片！");
    QTest::newRow("cancelled question")
        << QStringLiteral("h264.flv") << QStringLiteral("100-250") << 0 << QString();
    QTest::newRow("cancelled dialog")
        << QStringLiteral("h264.flv") << QStringLiteral("100-250") << 1 << QString();
}

void TestSaveRanges::cancelOrNothingToSave() {
    QFETCH(QString, media);
    QFETCH(QString, marks);
    QFETCH(int, cancelAt);
    QFETCH(QString, message);

    const QString source = openWithMarks(media, marks);
    QVERIFY(!source.isEmpty());
    if (cancelAt == -1) {
        m_dialogs->answerMessage(MsgResult::Ok);
    } else if (cancelAt == 0) {
        m_dialogs->answerMessage(MsgResult::Cancel);
    } else if (cancelAt == 1) {
        m_dialogs->answerMessage(MsgResult::Ok);
        m_dialogs->cancelFile();
    }
    const QStringList before = QDir(QFileInfo(source).path()).entryList(QDir::Files);
    m_f->w->saving().saveRanges(0);

    QCOMPARE(m_dialogs->unexpected(), 0);
    QCOMPARE(m_dialogs->fileDialogs().size(), cancelAt == 1 ? 1 : 0);
    if (!message.isEmpty()) {
        QCOMPARE(m_dialogs->messageTexts(), QStringList{message});
        QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("錯誤訊息"));
    } else {
        QVERIFY(m_dialogs->lastMessage().text.startsWith(
            QStringLiteral("本軟體可以不經轉檔而直接裁剪 FLV 檔案等等：\r\n") + source));
    }
    QCOMPARE(QDir(QFileInfo(source).path()).entryList(QDir::Files), before);
}

QString TestSaveRanges::longFile() {
    const QString big = m_f->temp.filePath(QStringLiteral("long.flv"));
    const testsupport::RunResult made = testsupport::run(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-stream_loop"),
         QStringLiteral("19"), QStringLiteral("-i"), testsupport::media(QStringLiteral("h264.flv")),
         QStringLiteral("-c"), QStringLiteral("copy"), big});
    return made.exitCode == 0 ? big : QString();
}

void TestSaveRanges::breakStopsTheTools() {
    const QString big = longFile();
    QVERIFY(!big.isEmpty());
    m_f->w->playSingle(big + QStringLiteral("∥0-15000"), false);
    QVERIFY(m_f->waitStatus(QStringLiteral("正在播放"), 10000));
    const QByteArray sum = checksum(big);
    const QString out = folder(QStringLiteral("out"));

    bool pressedWhileRunning = false;
    QTimer watch;
    watch.setInterval(1);
    connect(&watch, &QTimer::timeout, this, [&] {
        frmBuzy* busy = BusySession::shared().dialog();
        if (busy != nullptr && toolRunning()) {
            pressedWhileRunning = true;
            busy->findChild<QPushButton*>(QStringLiteral("cmdBreak"))->click();
            watch.stop();
        }
    });
    watch.start();
    m_dialogs->answerMessage(MsgResult::Ok);
    m_dialogs->answerFile({out});
    m_dialogs->answerMessage(MsgResult::Ok);  // "你已經中止程序！"
    m_f->w->saving().saveRanges(1);

    QVERIFY(pressedWhileRunning);
    QCOMPARE(m_dialogs->unexpected(), 0);
    QCOMPARE(m_dialogs->messageTexts().constLast(), QStringLiteral("你已經中止程序！"));
    QVERIFY(!m_dialogs->messageTexts().contains(failureText()));
    QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(leftovers({m_f->temp.path()}), QStringList());
    QVERIFY(!toolRunning());
    QCOMPARE(checksum(big), sum);
}

void TestSaveRanges::oneJobAtATime_data() {
    QTest::addColumn<bool>("stopToClose");
    QTest::newRow("close refused, the job completes") << false;
    QTest::newRow("close stops the job first") << true;
}

// While the tools run, the player takes no keys or clicks, a second save starts nothing, a
// handed-over file waits, and closing the window asks first: either the job goes on to its
// end, or it is stopped and the window closes once the job has cleaned up.
void TestSaveRanges::oneJobAtATime() {
    QFETCH(bool, stopToClose);
    const QString big = longFile();
    QVERIFY(!big.isEmpty());
    m_f->w->playSingle(big + QStringLiteral("∥0-15000"), false);
    QVERIFY(m_f->waitStatus(QStringLiteral("正在播放"), 10000));
    m_f->w->playback().mbPause_Click();
    const QString out = folder(QStringLiteral("out")) + QStringLiteral("cut.flv");
    const QString other = m_f->copy(QStringLiteral("clip.mp4"), QStringLiteral("next.mp4"));

    bool met = false;
    bool toolsThere = false;
    int stateAfterKeys = 0;
    qsizetype dialogsAfterSecondSave = -1;
    QTimer watch;
    watch.setInterval(1);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (BusySession::shared().dialog() == nullptr || !toolRunning()) {
            return;
        }
        watch.stop();
        met = true;
        m_f->w->saving().saveRanges(1);
        dialogsAfterSecondSave = m_dialogs->messages().size() + m_dialogs->fileDialogs().size();
        QTest::keyClick(m_f->w.get(), Qt::Key_Space);
        QTest::keyClick(m_f->w->windowHandle(), Qt::Key_Delete);
        QTest::mouseClick(m_f->w->picPlusBk->mbPlay[0], Qt::LeftButton);
        stateAfterKeys = m_f->w->state().playerState;
        m_f->w->linkExecute(other);
        QVERIFY(!m_f->w->close());
        toolsThere = QFileInfo::exists(mencoderPath);
    });
    watch.start();
    m_dialogs->answerMessage(MsgResult::Ok);
    m_dialogs->answerFile({out});
    m_dialogs->answerMessage(stopToClose ? MsgResult::Yes : MsgResult::No);
    m_dialogs->answerMessage(stopToClose ? MsgResult::Ok : MsgResult::Cancel);
    m_f->w->saving().saveRanges(0);

    QVERIFY(met);
    QCOMPARE(dialogsAfterSecondSave, 2);  // the first save's question and file dialog
    QCOMPARE(stateAfterKeys, 4);
    QVERIFY(toolsThere);
    QCOMPARE(m_dialogs->unexpected(), 0);
    const QStringList shown = m_dialogs->messageTexts();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.at(1), QStringLiteral("你選擇了結束與離開本軟體\r\n但是檔案處理程序正在進行中"
                                         "\r\n\r\n要中止程序，並且結束本軟體嗎？"));
    QVERIFY(!QFileInfo::exists(mencoderPath));
    if (stopToClose) {
        QCOMPARE(shown.at(2), QStringLiteral("你已經中止程序！"));
        QVERIFY(!QFileInfo::exists(out));
        QTRY_VERIFY_WITH_TIMEOUT(!m_f->w->isVisible(), 5000);
        return;
    }
    QVERIFY(shown.at(2).startsWith(doneHead()));
    const double d = testsupport::probeDuration(out);
    QVERIFY2(d > 599 && d < 602, qPrintable(QString::number(d)));
    // The file handed over meanwhile plays once the job is over.
    QTRY_COMPARE_WITH_TIMEOUT(m_f->w->windowTitle(),
                              PlayerFixture::title(QStringLiteral("next.mp4")), 10000);
    QVERIFY(m_f->w->isVisible());
}

void TestSaveRanges::unwritableFolderFails() {
    const QString source = openWithMarks(QStringLiteral("h264.flv"), QStringLiteral("100-250"));
    QVERIFY(!source.isEmpty());
    const QByteArray sum = checksum(source);
    // The superuser writes anywhere a mode bit forbids; the process file system refuses
    // new files to everyone.
    QString out = QStringLiteral("/proc/");
    if (::geteuid() != 0) {
        out = folder(QStringLiteral("read-only"));
        QFile::setPermissions(out, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    m_dialogs->answerMessage(MsgResult::Ok);
    m_dialogs->answerFile({out + QStringLiteral("cut.flv")});
    m_dialogs->answerMessage(MsgResult::Ok);
    m_f->w->saving().saveRanges(0);

    QCOMPARE(m_dialogs->unexpected(), 0);
    // The report names the cause before the usual lines.
    QCOMPARE(m_dialogs->messageTexts().constLast(),
             QStringLiteral("無法寫入這個資料夾：") + out + QStringLiteral("\r\n") + failureText());
    QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("錯誤訊息"));
    QVERIFY(!QFileInfo::exists(out + QStringLiteral("cut.flv")));
    QCOMPARE(checksum(source), sum);
    QCOMPARE(leftovers({m_f->temp.path()}), QStringList());
    QFile::setPermissions(out,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestSaveRanges::saveFileCopies_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("onto");  // the chosen name is the file itself

    QTest::newRow("flv") << QStringLiteral("a.flv") << QStringLiteral("FLV 檔案格式(*.flv)")
                         << false;
    QTest::newRow("playlist") << QStringLiteral("~tmpS.plt") << QStringLiteral("預設清單檔(*.plt)")
                              << false;
    QTest::newRow("onto itself") << QStringLiteral("a.flv") << QStringLiteral("FLV 檔案格式(*.flv)")
                                 << true;
}

void TestSaveRanges::saveFileCopies() {
    QFETCH(QString, name);
    QFETCH(QString, filter);
    QFETCH(bool, onto);

    const QString path = m_f->copy(QStringLiteral("h264.flv"), name);
    const QByteArray sum = checksum(path);
    const QString target = onto ? path : m_f->temp.filePath(QStringLiteral("副本 copy.x"));
    m_dialogs->answerFile({target});
    m_dialogs->answerMessage(onto ? MsgResult::Ok : MsgResult::Cancel);
    m_f->w->saveFile(path, false);

    const FileDialogRequest& dialog = m_dialogs->fileDialogs().constFirst();
    QCOMPARE(dialog.kind, FileDialogRequest::Kind::Save);
    QCOMPARE(dialog.filters, QStringList{filter});
    QCOMPARE(dialog.fileName, QString());
    QCOMPARE(checksum(target), sum);
    QCOMPARE(m_dialogs->lastMessage().text.startsWith(
                 QStringLiteral("全部的檔案處理程序已經成功結束\r\n\r\n")),
             !onto);

    // No file open: the menu item only pauses.
    m_dialogs->clear();
    m_f->w->saving().mnuSaveFile_Click();
    QCOMPARE(m_dialogs->fileDialogs().size(), 0);
}

QTEST_MAIN(TestSaveRanges)
#include "tst_saveranges.moc"
