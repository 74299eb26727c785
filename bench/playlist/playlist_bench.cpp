// Times the playlist window's list operations on long lists, and its memory with one.
//
//   playlist_bench generate WORKDIR           writes list-1000.plt, list-10000.plt and
//                                             list-100000.plt (generated entries) there
//   playlist_bench time WORKDIR [RUNS]        the operations on each list, RUNS times each
//                                             (the 100,000 list: min(RUNS, 3) times)
//   playlist_bench memory WORKDIR             the window's memory, empty and with the
//                                             100,000 list in playlist one, then in both
//   playlist_bench startup WORKDIR SETTINGS   the program's two windows started on the
//                                             settings folder SETTINGS: ms from the start
//                                             of the process to the painted main window,
//                                             then ms of one "立即儲存設定"
//   playlist_bench settings WORKDIR SETTINGS  writes a List.ini of the 100,000 list into
//                                             SETTINGS, 50,000 entries in each playlist
//   playlist_bench million WORKDIR            the two windows with a List.ini of 1,000,000
//                                             entries: loading, showing the list, a scroll
//                                             step, the 檔案 menu, the memory
//   playlist_bench ampersands WORKDIR [RUNS]  writes a 1 MB .asx of many "&" and prints the
//                                             median ms of reading it
//
// The window is the program's own playlist window, shown; its file dialog is answered by a
// script, so adding a list file runs the window's own code (mbAdd_Click(1)). Each operation
// is timed from its call until the window has caught up: the events it posted handled and
// the list painted once (a synchronous repaint of the list's viewport).
//
// With WORKDIR/baseline.txt (lines "N cat wc sort copy true", milliseconds, written by run.sh)
// the time mode also prints the plain tools' figures for the same files beside ours.
#include "ScriptedDialogs.h"
#include "app/ConnectWindows.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/lists/ListFiles.h"
#include "core/lists/mdlLineFormat.h"
#include "core/settings/SettingsFiles.h"
#include "core/settings/TextFiles.h"
#include "gui/player/MainMenus.h"
#include "gui/player/frmMain.h"
#include "gui/playlist/PlaylistView.h"
#include "gui/playlist/frmList.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMenu>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTextStream>
#include <QWindow>

#include <clocale>

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>

namespace {

const QList<int> sizes = {1000, 10000, 100000};

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "playlist_bench: %s\n", qPrintable(what));
    std::exit(1);
}

void check(bool ok, const QString& what) {
    if (!ok) {
        fail(what);
    }
}

void print(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 == 1 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

// The value at or below which the share p of the values lie (nearest rank).
double percentile(QList<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<qsizetype>(std::ceil(p * static_cast<double>(values.size())));
    return values.at(std::clamp<qsizetype>(rank - 1, 0, values.size() - 1));
}

double msSince(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

QString ms(double value) {
    return QString::number(value, 'f', value < 10 ? 2 : (value < 100 ? 1 : 0));
}

QString listPath(const QString& work, int n) {
    return work + QStringLiteral("/list-%1.plt").arg(n);
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// ---- the generated lists -------------------------------------------------------------------

// A few hundred folders: four roots, eighty series, most with seasons.
QStringList makeFolders(QRandomGenerator& random) {
    const QStringList roots = {
        QStringLiteral("/home/user/Videos"), QStringLiteral("/home/user/Downloads/影片"),
        QStringLiteral("/media/user/外接硬碟/錄影"), QStringLiteral("/mnt/nas/shared/Movies")};
    const QStringList series = {QStringLiteral("Series %1"), QStringLiteral("節目 %1"),
                                QStringLiteral("Documentary collection %1"),
                                QStringLiteral("旅行紀錄 %1")};
    QStringList folders;
    for (int s = 1; s <= 80; ++s) {
        const QString root = roots.at(s % roots.size());
        const QString show = series.at((s / 4) % series.size()).arg(s);
        const int seasons = static_cast<int>(random.bounded(1, 7));
        for (int season = 1; season <= seasons; ++season) {
            folders << root + QLatin1Char('/') + show +
                           (seasons == 1 ? QString() : QStringLiteral("/Season %1").arg(season));
        }
    }
    return folders;
}

QString makeName(QRandomGenerator& random, int i) {
    const auto pick = random.bounded(5);
    switch (pick) {
        case 0:
            return QStringLiteral("episode %1 片段.flv").arg(i % 10000, 4, 10, QLatin1Char('0'));
        case 1:
            return QStringLiteral("錄影 2026-%1-%2 %3.flv")
                .arg(random.bounded(1, 13), 2, 10, QLatin1Char('0'))
                .arg(random.bounded(1, 29), 2, 10, QLatin1Char('0'))
                .arg(i, 6, 10, QLatin1Char('0'));
        case 2:
            return QStringLiteral("Clip_%1_final (1080p).mp4").arg(i);
        case 3:
            return QStringLiteral("第%1集 精彩回顧.flv").arg(i);
        default:
            return QStringLiteral("A much longer file name of part %1 with words in it.mkv").arg(i);
    }
}

// Two or three ranges in tenths of a second, rising.
QString makeMarks(QRandomGenerator& random) {
    QStringList ranges;
    int at = 0;
    const int count = static_cast<int>(random.bounded(2, 4));
    for (int r = 0; r < count; ++r) {
        const int start = at + static_cast<int>(random.bounded(100, 5000));
        const int end = start + static_cast<int>(random.bounded(500, 8000));
        ranges << QStringLiteral("%1-%2").arg(start).arg(end);
        at = end;
    }
    return ranges.join(QLatin1Char(' '));
}

int generate(const QString& work) {
    QRandomGenerator random(20261206);
    const QStringList folders = makeFolders(random);
    for (const int n : sizes) {
        QStringList items;
        items.reserve(n);
        for (int i = 0; i < n; ++i) {
            QString item = folders.at(static_cast<qsizetype>(
                               random.bounded(static_cast<quint32>(folders.size())))) +
                           QLatin1Char('/') + makeName(random, i);
            if (i % 3 == 0) {
                item += itemMarksSeparator + makeMarks(random);
            }
            items << item;
        }
        QString error;
        check(writeListFile(listPath(work, n), items, ListFileFormat::Plt, &error), error);
    }
    print(QStringLiteral("%1 folders; lists of %2 entries in %3")
              .arg(folders.size())
              .arg(QStringLiteral("1,000, 10,000 and 100,000"), work));
    return 0;
}

// ---- the window ----------------------------------------------------------------------------

class Window {
public:
    Window() {
        m_list = std::make_unique<frmList>();
        m_list->show();
        check(waitFor(
                  [this] {
                      return m_list->windowHandle() != nullptr &&
                             m_list->windowHandle()->isExposed();
                  },
                  10000),
              QStringLiteral("the window was never shown"));
        m_list->changeToTab(0, 0, false);
        settle();
    }
    ~Window() {
        appClosing = true;
        m_list.reset();
        appClosing = false;
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    frmList& list() { return *m_list; }
    PlaylistView* view() { return m_list->activeView(); }

    // The window catches up: posted events (the delayed layout, updates) handled, then the
    // list painted once.
    void settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (PlaylistView* v = view()) {
            v->viewport()->repaint();
        }
    }

    // Adds a list file as the user does: the add-list button, its dialog answered.
    void addListFile(const QString& path) {
        m_dialogs.answerFile({path});
        m_list->mbAdd_Click(1);
        check(m_dialogs.unexpected() == 0, QStringLiteral("unexpected dialog"));
    }

    // Page by page from the top to the bottom, the list painted after each step; the
    // milliseconds of each step (the move and its paint).
    QList<double> scrollThrough() {
        PlaylistView* v = view();
        QScrollBar* bar = v->verticalScrollBar();
        bar->setValue(0);
        settle();
        QList<double> steps;
        const int page = std::max(1, bar->pageStep());
        while (bar->value() < bar->maximum()) {
            QElapsedTimer timer;
            timer.start();
            bar->setValue(std::min(bar->value() + page, bar->maximum()));
            v->viewport()->repaint();
            steps << msSince(timer);
            QCoreApplication::processEvents();
        }
        return steps;
    }

    void empty() {
        m_list->playlist(0).clear();
        m_list->playlist(1).clear();
        m_list->mnuLineFmt_Click(0);
        m_list->changeToTab(0, 0, false);
        m_list->refreshButtons();
        m_list->fitListWidth();
        settle();
    }

private:
    ScriptedDialogs m_dialogs;
    std::unique_ptr<frmList> m_list;
};

// ---- time ----------------------------------------------------------------------------------

struct Figures {
    QMap<QString, QList<double>> runs;  // operation → milliseconds of each run
    QList<double> steps;                // scroll steps
    double scrollTotal = 0;
};

const QStringList operations = {
    QStringLiteral("add a list file (read, add, refresh, fit)"),
    QStringLiteral("sort"),
    QStringLiteral("reverse"),
    QStringLiteral("shuffle"),
    QStringLiteral("switch layout 0 → 1 (re-lay, refit)"),
    QStringLiteral("save the list (item texts, write .plt)"),
};

const QStringList parts = {
    QStringLiteral("part: readListFile"),      QStringLiteral("part: addItems"),
    QStringLiteral("part: refreshButtons"),    QStringLiteral("part: fitListWidth"),
    QStringLiteral("part: first paint"),       QStringLiteral("part: sortLines call"),
    QStringLiteral("part: itemTexts"),         QStringLiteral("part: writeListFile"),
    QStringLiteral("part: setLayout(1) call"), QStringLiteral("part: fitListWidth in layout 1"),
};

template <typename F>
double timed(Window& window, F&& operation) {
    QElapsedTimer timer;
    timer.start();
    operation();
    window.settle();
    return msSince(timer);
}

template <typename F>
double timedCall(F&& operation) {
    QElapsedTimer timer;
    timer.start();
    operation();
    return msSince(timer);
}

Figures timeList(Window& window, const QString& work, int n, int runs) {
    Figures figures;
    const QString file = listPath(work, n);
    const QString saved = work + QStringLiteral("/saved-%1.plt").arg(n);
    frmList& list = window.list();
    for (int run = 0; run < runs; ++run) {
        window.empty();
        auto& r = figures.runs;
        r[operations.at(0)] << timed(window, [&] { window.addListFile(file); });
        check(list.playlist(0).count() == n, QStringLiteral("the list was not added"));
        r[operations.at(1)] << timed(window, [&] { list.mbSortItem_Click(); });
        r[operations.at(2)] << timed(window, [&] { list.mbRevItem_Click(); });
        r[operations.at(3)] << timed(window, [&] { list.mbRndItem_Click(); });
        r[operations.at(4)] << timed(window, [&] { list.mnuLineFmt_Click(1); });
        r[operations.at(5)] << timed(window, [&] {
            check(writeListFile(saved, list.playlist(0).itemTexts(), ListFileFormat::Plt),
                  QStringLiteral("cannot write ") + saved);
        });
        if (run == 0) {
            QElapsedTimer timer;
            timer.start();
            figures.steps = window.scrollThrough();
            figures.scrollTotal = msSince(timer);
        }

        // The same work again in its parts, for where the time goes.
        window.empty();
        ListFileContents contents;
        r[parts.at(0)] << timedCall([&] { contents = readListFile(file); });
        r[parts.at(1)] << timedCall([&] { list.playlist(0).addItems(contents.items, false); });
        r[parts.at(2)] << timedCall([&] { list.refreshButtons(); });
        r[parts.at(3)] << timedCall([&] { list.fitListWidth(); });
        r[parts.at(4)] << timedCall([&] { window.settle(); });
        list.playlist(0).shuffleLines();
        window.settle();
        r[parts.at(5)] << timedCall([&] { list.playlist(0).sortLines(); });
        window.settle();
        QStringList texts;
        r[parts.at(6)] << timedCall([&] { texts = list.playlist(0).itemTexts(); });
        r[parts.at(7)] << timedCall([&] {
            check(writeListFile(saved, texts, ListFileFormat::Plt),
                  QStringLiteral("cannot write ") + saved);
        });
        r[parts.at(8)] << timedCall([&] { list.playlist(0).setLayout(1); });
        r[parts.at(9)] << timedCall([&] { list.fitListWidth(); });
        window.settle();
    }
    QFile::remove(saved);
    return figures;
}

// N → {cat, wc -l, sort -f, cat > file, true}, milliseconds, from run.sh.
QMap<int, QList<double>> readBaseline(const QString& work) {
    QMap<int, QList<double>> baseline;
    QFile file(work + QStringLiteral("/baseline.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return baseline;
    }
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() != 6) {
            continue;
        }
        QList<double> values;
        for (qsizetype i = 1; i < fields.size(); ++i) {
            values << fields.at(i).toDouble();
        }
        baseline.insert(fields.at(0).toInt(), values);
    }
    return baseline;
}

int timeAll(const QString& work, int runs) {
    Window window;
    QMap<int, Figures> all;
    QMap<int, int> runsOf;
    for (const int n : sizes) {
        runsOf[n] = n >= 100000 ? std::min(runs, 3) : runs;
        all[n] = timeList(window, work, n, runsOf[n]);
    }
    window.empty();

    const auto header = [&](const QString& first) {
        QString line = QStringLiteral("| ") + first;
        QString rule = QStringLiteral("|---");
        for (const int n : sizes) {
            line += QStringLiteral(" | %1 entries").arg(n);
            rule += QStringLiteral("|---");
        }
        print(line + QStringLiteral(" | growth 1k → 100k |"));
        print(rule + QStringLiteral("|---|"));
    };
    const auto row = [&](const QString& name, const std::function<double(int)>& value) {
        QString line = QStringLiteral("| ") + name;
        for (const int n : sizes) {
            line += QStringLiteral(" | ") + ms(value(n));
        }
        const double growth = value(100000) / value(1000);
        print(line + QStringLiteral(" | ") + QString::number(growth, 'f', 0) +
              QStringLiteral("× |"));
    };

    print(QStringLiteral("Platform %1, %2 runs (100,000: %3), medians in ms.")
              .arg(QGuiApplication::platformName())
              .arg(runs)
              .arg(runsOf[100000]));
    print(QString());
    header(QStringLiteral("Operation, ms (median)"));
    for (const QString& op : operations) {
        row(op, [&](int n) { return median(all[n].runs[op]); });
    }
    row(QStringLiteral("scroll top to bottom, total"), [&](int n) { return all[n].scrollTotal; });
    row(QStringLiteral("scroll: steps (pages)"),
        [&](int n) { return static_cast<double>(all[n].steps.size()); });
    row(QStringLiteral("scroll: step with repaint, median"),
        [&](int n) { return median(all[n].steps); });
    row(QStringLiteral("scroll: step with repaint, 99th percentile"),
        [&](int n) { return percentile(all[n].steps, 0.99); });
    row(QStringLiteral("scroll: step with repaint, worst"),
        [&](int n) { return *std::max_element(all[n].steps.cbegin(), all[n].steps.cend()); });
    print(QString());
    header(QStringLiteral("Where the time goes, ms (median)"));
    for (const QString& part : parts) {
        row(part, [&](int n) { return median(all[n].runs[part]); });
    }

    const QMap<int, QList<double>> baseline = readBaseline(work);
    if (!baseline.isEmpty()) {
        print(QString());
        print(
            QStringLiteral("| Job, ms (median) | entries | file, kB | Zelvo.FLV | plain tool | "
                           "ratio |"));
        print(QStringLiteral("|---|---|---|---|---|---|"));
        for (const int n : sizes) {
            if (!baseline.contains(n)) {
                continue;
            }
            const QList<double>& b = baseline[n];
            const QString kb = QString::number(QFileInfo(listPath(work, n)).size() / 1024);
            const auto line = [&](const QString& job, double ours, const QString& tool,
                                  double theirs) {
                print(QStringLiteral("| %1 | %2 | %3 | %4 | %5 %6 | %7 |")
                          .arg(job)
                          .arg(n)
                          .arg(kb, ms(ours), tool, ms(theirs),
                               QString::number(ours / theirs, 'f', 2)));
            };
            const auto& r = all[n].runs;
            line(QStringLiteral("read the .plt (readListFile)"), median(r[parts.at(0)]),
                 QStringLiteral("`cat >/dev/null`"), b.at(0));
            line(QStringLiteral("read the .plt (readListFile)"), median(r[parts.at(0)]),
                 QStringLiteral("`wc -l`"), b.at(1));
            line(QStringLiteral("sort the lines (sortLines)"), median(r[parts.at(5)]),
                 QStringLiteral("`LC_ALL=C sort -f >/dev/null`"), b.at(2));
            line(QStringLiteral("write the .plt (writeListFile)"), median(r[parts.at(7)]),
                 QStringLiteral("`cat > copy`"), b.at(3));
            print(QStringLiteral("| (the plain tools' start: `true`) | %1 | | | %2 | |")
                      .arg(n)
                      .arg(ms(b.at(4))));
        }
    }
    return 0;
}

// ---- memory --------------------------------------------------------------------------------

// This process's proportional and resident set, kB, from /proc/self/smaps_rollup.
std::pair<qint64, qint64> pssRss() {
    QFile file(QStringLiteral("/proc/self/smaps_rollup"));
    check(file.open(QIODevice::ReadOnly | QIODevice::Text),
          QStringLiteral("cannot read /proc/self/smaps_rollup"));
    qint64 pss = -1;
    qint64 rss = -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2) {
            continue;
        }
        if (fields.at(0) == "Pss:") {
            pss = fields.at(1).toLongLong();
        } else if (fields.at(0) == "Rss:") {
            rss = fields.at(1).toLongLong();
        }
    }
    check(pss >= 0 && rss >= 0, QStringLiteral("no Pss or Rss in smaps_rollup"));
    return {pss, rss};
}

struct Reading {
    qint64 pss = 0;
    qint64 rss = 0;
    qint64 pssTrimmed = 0;
    qint64 rssTrimmed = 0;
};

Reading readMemory() {
    Reading reading;
    std::tie(reading.pss, reading.rss) = pssRss();
    malloc_trim(0);
    std::tie(reading.pssTrimmed, reading.rssTrimmed) = pssRss();
    return reading;
}

int memory(const QString& work) {
    const QString file = listPath(work, 100000);
    Window window;
    // The empty window, scrolled and painted like the full one will be.
    window.scrollThrough();
    window.settle();
    const Reading empty = readMemory();

    window.addListFile(file);
    check(window.list().playlist(0).count() == 100000, QStringLiteral("the list was not added"));
    window.settle();
    window.scrollThrough();
    window.settle();
    const Reading one = readMemory();

    window.list().changeToTab(0, 1, false);
    window.settle();
    window.addListFile(file);
    check(window.list().playlist(1).count() == 100000, QStringLiteral("the list was not added"));
    window.settle();
    window.scrollThrough();
    window.settle();
    const Reading both = readMemory();

    const auto mb = [](qint64 kb) {
        return QString::number(static_cast<double>(kb) / 1024, 'f', 1);
    };
    print(QStringLiteral("Platform %1; memory in MB (/proc/self/smaps_rollup).")
              .arg(QGuiApplication::platformName()));
    print(QString());
    print(QStringLiteral(
        "| Window | Pss | Rss | Pss after malloc_trim(0) | above empty (Pss, trimmed) "
        "| above empty (Pss, untrimmed) |"));
    print(QStringLiteral("|---|---|---|---|---|---|"));
    const auto line = [&](const QString& name, const Reading& r) {
        print(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 |")
                  .arg(name, mb(r.pss), mb(r.rss), mb(r.pssTrimmed),
                       mb(r.pssTrimmed - empty.pssTrimmed), mb(r.pss - empty.pss)));
    };
    line(QStringLiteral("empty, shown"), empty);
    line(QStringLiteral("100,000 entries in playlist one, shown and scrolled"), one);
    line(QStringLiteral("100,000 entries in each playlist, both scrolled"), both);
    return 0;
}

}  // namespace

// The List.ini of a long list: its first half in playlist one, the rest in playlist two.
int writeSettings(const QString& work, const QString& folder) {
    const ListFileContents list = readListFile(listPath(work, 100000));
    check(list.error.isEmpty(), list.error);
    StoredLists stored;
    const qsizetype half = list.items.size() / 2;
    stored.lists[0].items = list.items.first(half);
    stored.lists[1].items = list.items.sliced(half);
    QDir().mkpath(folder);
    check(writeWholeFile(folder + QStringLiteral("/List.ini"), listIniText(stored).toUtf8()),
          QStringLiteral("cannot write List.ini"));
    return 0;
}

// The player window and the playlist window as main() starts them, on the settings in the
// folder ZELVO_SETTINGS_DIR names; timed from the process's start to the first paint of
// the main window.
int startup(const QElapsedTimer& sinceStart) {
    std::setlocale(LC_NUMERIC, "C");
    ScriptedDialogs dialogs;
    frmMain window;
    frmList list;
    connectWindows(window, list);
    bool painted = false;
    class PaintWatch : public QObject {
    public:
        explicit PaintWatch(bool* seen) : m_seen(seen) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                *m_seen = true;
            }
            return QObject::eventFilter(watched, event);
        }

    private:
        bool* m_seen;
    } watch(&painted);
    window.installEventFilter(&watch);
    window.formLoad(QString());
    window.show();
    check(waitFor([&] { return painted; }, 30000), QStringLiteral("the window was not painted"));
    const double started = msSince(sinceStart);
    dialogs.answerMessage(MsgResult::Ok);
    QElapsedTimer saving;
    saving.start();
    window.menus().mnuSaveNow->trigger();
    const double saved = msSince(saving);
    // (Without a sound card the mixer's own notice comes first.)
    check(dialogs.lastMessage().text == QStringLiteral("已經成功儲存播放清單與其它組態設定！"),
          QStringLiteral("no message after saving"));
    print(ms(started) + QLatin1Char(' ') + ms(saved));
    appClosing = true;
    window.menus().mnuEnd[1]->trigger();
    disconnectWindows(window, list);
    return 0;
}

// ---- an .asx of many "&" -----------------------------------------------------------------------

// Writes WORKDIR/ampersands.asx, 1 MB: a thousand entries, each a path with a thousand "&"
// (no entity among them), and prints the median ms of reading it (readListFile) RUNS times.
int ampersands(const QString& work, int runs) {
    const QString path = work + QStringLiteral("/ampersands.asx");
    QByteArray bytes = "<asx version=\"3.0\">\r\n";
    for (int i = 0; i < 1000; ++i) {
        bytes += "<entry><ref href=\"/v/" + QByteArray(1000, '&') + QByteArray::number(i) +
                 ".flv\"/></entry>\r\n";
    }
    bytes += "</asx>\r\n";
    check(writeWholeFile(path, bytes), QStringLiteral("cannot write ") + path);
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const ListFileContents contents = readListFile(path);
        times << msSince(timer);
        check(contents.items.size() == 1000, QStringLiteral("the list was not read"));
    }
    print(ms(median(times)));
    return 0;
}

// ---- a million entries -----------------------------------------------------------------------

// The program's two windows on a List.ini of a million entries in playlist one: loading it as
// the start does, showing the playlist window, a scroll step, opening the main window's
// 檔案 menu, and the memory above the same windows with empty lists.
int million(const QString& work) {
    constexpr int n = 1000000;
    QRandomGenerator random(20261206);
    StoredLists stored;
    stored.lists[0].items.reserve(n);
    // Short folders, so that the file stays below the 64 MB the program reads.
    for (int i = 0; i < n; ++i) {
        QString item = QStringLiteral("/v/%1/").arg(random.bounded(100)) + makeName(random, i);
        if (i % 3 == 0) {
            item += itemMarksSeparator + makeMarks(random);
        }
        stored.lists[0].items << item;
    }
    const QString settings = work + QStringLiteral("/million");
    QDir().mkpath(settings);
    const QString listIni = settings + QStringLiteral("/List.ini");
    check(writeWholeFile(listIni, encodeText(listIniText(stored))),
          QStringLiteral("cannot write List.ini"));
    stored = StoredLists();
    malloc_trim(0);

    std::setlocale(LC_NUMERIC, "C");
    qputenv("ZELVO_SETTINGS_DIR", QFile::encodeName(work + QStringLiteral("/million-empty")));
    ScriptedDialogs dialogs;
    frmMain window;
    frmList list;
    connectWindows(window, list);
    window.formLoad(QString());
    window.show();
    check(
        waitFor(
            [&] { return window.windowHandle() != nullptr && window.windowHandle()->isExposed(); },
            10000),
        QStringLiteral("the main window was not shown"));
    list.show();
    check(
        waitFor([&] { return list.windowHandle() != nullptr && list.windowHandle()->isExposed(); },
                10000),
        QStringLiteral("the playlist window was not shown"));
    list.hide();
    QCoreApplication::processEvents();
    const Reading empty = readMemory();

    // Loading as frmMain::loadSettings does: the file read, decoded and parsed, the text let
    // go, the entries given to the lists and let go, the free memory given back.
    QElapsedTimer timer;
    timer.start();
    QFile file(listIni);
    check(file.open(QIODevice::ReadOnly), QStringLiteral("cannot read List.ini"));
    StoredLists lists = parseListIni(decodeText(file.readAll()));
    file.close();
    list.loadLists(lists);
    lists = StoredLists();
    malloc_trim(0);
    QCoreApplication::processEvents();
    const double load = msSince(timer);
    check(list.playlist(0).count() == n, QStringLiteral("the list was not loaded"));

    // Shown: from show() until the list has been painted.
    bool painted = false;
    class PaintWatch : public QObject {
    public:
        explicit PaintWatch(bool* seen) : m_seen(seen) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                *m_seen = true;
            }
            return QObject::eventFilter(watched, event);
        }

    private:
        bool* m_seen;
    } watch(&painted);
    PlaylistView* view = list.playlistView(0);
    view->viewport()->installEventFilter(&watch);
    timer.restart();
    list.show();
    list.changeToTab(0, 0, false);
    check(waitFor([&] { return painted; }, 120000), QStringLiteral("the list was not painted"));
    const double shown = msSince(timer);

    // The columns measured again, as the list does when it is first shown.
    timer.restart();
    view->fitListWidth();
    const double fit = msSince(timer);

    // Scroll steps: a page at a time, near the top and near the end.
    QScrollBar* bar = view->verticalScrollBar();
    QList<double> steps;
    for (const int from : {0, bar->maximum() - 60 * bar->pageStep()}) {
        bar->setValue(std::max(0, from));
        QCoreApplication::processEvents();
        for (int i = 0; i < 50; ++i) {
            timer.restart();
            bar->setValue(std::min(bar->value() + bar->pageStep(), bar->maximum()));
            view->viewport()->repaint();
            steps << msSince(timer);
            QCoreApplication::processEvents();
        }
    }

    // The 檔案 menu, from popup() until it has been painted, five times.
    auto* menu = qobject_cast<QMenu*>(window.menus().mnuOpen->parent());
    check(menu != nullptr, QStringLiteral("no 檔案 menu"));
    QList<double> menus;
    for (int i = 0; i < 5; ++i) {
        bool menuPainted = false;
        PaintWatch menuWatch(&menuPainted);
        menu->installEventFilter(&menuWatch);
        timer.restart();
        menu->popup(window.mapToGlobal(QPoint(10, 10)));
        check(waitFor([&] { return menuPainted; }, 120000),
              QStringLiteral("the menu was not painted"));
        menus << msSince(timer);
        menu->removeEventFilter(&menuWatch);
        menu->hide();
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    const Reading full = readMemory();

    const auto mb = [](qint64 kb) {
        return QString::number(static_cast<double>(kb) / 1024, 'f', 1);
    };
    print(QStringLiteral("| 1,000,000 entries (List.ini %1 MB), platform %2 | ms |")
              .arg(QFileInfo(listIni).size() / 1048576)
              .arg(QGuiApplication::platformName()));
    print(QStringLiteral("|---|---|"));
    print(QStringLiteral("| load (read, decode, parse, give to the list) | %1 |").arg(ms(load)));
    print(QStringLiteral("| show the playlist window until the list is painted | %1 |")
              .arg(ms(shown)));
    print(QStringLiteral("| of which: the column fit | %1 |").arg(ms(fit)));
    print(QStringLiteral("| scroll one page with its repaint, median of %1 | %2 |")
              .arg(steps.size())
              .arg(ms(median(steps))));
    print(QStringLiteral("| scroll one page, worst | %1 |")
              .arg(ms(*std::max_element(steps.cbegin(), steps.cend()))));
    print(QStringLiteral("| open the 檔案 menu until painted, median of 5 (worst) | %1 (%2) |")
              .arg(ms(median(menus)), ms(*std::max_element(menus.cbegin(), menus.cend()))));
    print(QStringLiteral("| memory above the empty windows, MB Pss | %1 |")
              .arg(mb(full.pss - empty.pss)));
    appClosing = true;
    window.menus().mnuEnd[1]->trigger();
    disconnectWindows(window, list);
    return 0;
}

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (argc < 3) {
        std::fputs("usage: playlist_bench generate|time|memory WORKDIR [RUNS]\n", stderr);
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString work = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(work);
    QApplication app(argc, argv);
    appClosing = false;
    if (mode == QLatin1String("generate")) {
        return generate(work);
    }
    if (mode == QLatin1String("time")) {
        return timeAll(work, argc > 3 ? std::max(1, std::atoi(argv[3])) : 5);
    }
    if (mode == QLatin1String("memory")) {
        return memory(work);
    }
    if (mode == QLatin1String("settings") && argc > 3) {
        return writeSettings(work, QString::fromLocal8Bit(argv[3]));
    }
    if (mode == QLatin1String("ampersands")) {
        return ampersands(work, argc > 3 ? std::max(1, std::atoi(argv[3])) : 5);
    }
    if (mode == QLatin1String("million")) {
        return million(work);
    }
    if (mode == QLatin1String("startup")) {
        return startup(sinceStart);
    }
    fail(QStringLiteral("unknown mode ") + mode);
}
