// The lists of the playlist window without the window: where added entries land, what is
// selected after each operation, sort and shuffle orders, layouts, tips and drops.
#include "TestSupport.h"
#include "core/lists/ListFiles.h"
#include "core/lists/PlaylistModel.h"
#include "core/lists/mdlLineFormat.h"
#include "core/settings/SettingsFiles.h"

#include <QFile>
#include <QMimeData>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace {

QStringList L(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts) {
        list << QString::fromUtf8(text);
    }
    return list;
}

// A playlist in layout 0 holding the paths /v/<name>.flv, with row `selected` selected.
void fill(PlaylistModel& model, const QStringList& names, int selected) {
    QStringList items;
    for (const QString& name : names) {
        items << QStringLiteral("/v/%1.flv").arg(name);
    }
    model.setItems(items);
    model.setListIndex(selected);
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList names(const PlaylistModel& model) {
    QStringList result;
    for (int row = 0; row < model.count(); ++row) {
        result << QFileInfo(model.path(row)).completeBaseName();
    }
    return result;
}

}  // namespace

class tst_PlaylistModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void add_data();
    void add();
    void joinListKeepsPaths();
    void edit_data();
    void edit();
    void sortIgnoresCase_data();
    void sortIgnoresCase();
    void shuffleIsUniform();
    void layoutSwitchKeepsItems();
    void buttonStates_data();
    void buttonStates();
    void tips();
    void drops();
    void roundTrip_data();
    void roundTrip();
    void selectionFollowsEntries();
};

void tst_PlaylistModel::add_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("afterSelection");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selection");
    const QStringList abc{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    const QStringList xy{QStringLiteral("x"), QStringLiteral("y")};
    QTest::newRow("at the end") << abc << 0 << false << xy << L({"a", "b", "c", "x", "y"}) << 4;
    QTest::newRow("after line 2") << abc << 1 << true << xy << L({"a", "b", "x", "y", "c"}) << 3;
    QTest::newRow("after the last") << abc << 2 << true << xy << L({"a", "b", "c", "x", "y"}) << 4;
    QTest::newRow("no selection: the top")
        << abc << -1 << true << xy << L({"x", "y", "a", "b", "c"}) << 1;
    QTest::newRow("empty list") << QStringList() << -1 << true << xy << xy << 1;
    QTest::newRow("one after line 1")
        << abc << 0 << true << L({"x"}) << L({"a", "x", "b", "c"}) << 1;
}

void tst_PlaylistModel::add() {
    QFETCH(QStringList, before);
    QFETCH(int, selected);
    QFETCH(bool, afterSelection);
    QFETCH(QStringList, added);
    QFETCH(QStringList, after);
    QFETCH(int, selection);
    PlaylistModel model(PlaylistModel::Kind::Playlist);
    fill(model, before, selected);
    QStringList items;
    for (const QString& name : added) {
        items << QStringLiteral("/v/%1.flv").arg(name);
    }
    // One at a time or all at once: the same list.
    PlaylistModel single(PlaylistModel::Kind::Playlist);
    fill(single, before, selected);
    for (const QString& item : items) {
        single.addToList(item, afterSelection);
    }
    model.addItems(items, afterSelection);
    QCOMPARE(names(model), after);
    QCOMPARE(model.listIndex(), selection);
    QCOMPARE(model.lines(), single.lines());
    QCOMPARE(single.listIndex(), selection);
}

void tst_PlaylistModel::joinListKeepsPaths() {
    PlaylistModel join(PlaylistModel::Kind::Plain);
    join.addItems({u8("/v/a∥b.flv∥100-200"), QString(), QStringLiteral("/v/c.flv")}, false);
    QCOMPARE(join.lines(), QStringList({u8("/v/a∥b.flv"), QStringLiteral("/v/c.flv")}));
    QCOMPARE(join.itemText(0), u8("/v/a∥b.flv"));

    PlaylistModel list(PlaylistModel::Kind::Playlist);
    list.addToList(u8("/v/a∥b.flv∥100-200 300-400"), false);
    QCOMPARE(list.line(0), u8("/v/a∥b.flv\t標記 100-200 300-400"));
    QCOMPARE(list.selectedItem(), u8("/v/a∥b.flv∥100-200 300-400"));
    QCOMPARE(list.selectedPath(), u8("/v/a∥b.flv"));
}

void tst_PlaylistModel::edit_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selection");
    const QStringList abc = L({"a", "b", "c"});
    QTest::newRow("remove the middle")
        << QStringLiteral("remove") << abc << 1 << L({"a", "c"}) << 1;
    QTest::newRow("remove the last") << QStringLiteral("remove") << abc << 2 << L({"a", "b"}) << 1;
    QTest::newRow("remove the only")
        << QStringLiteral("remove") << L({"a"}) << 0 << QStringList() << -1;
    QTest::newRow("remove, none selected") << QStringLiteral("remove") << abc << -1 << abc << -1;
    QTest::newRow("clear") << QStringLiteral("clear") << abc << 1 << QStringList() << -1;
    QTest::newRow("up") << QStringLiteral("up") << abc << 1 << L({"b", "a", "c"}) << 0;
    QTest::newRow("up at the top") << QStringLiteral("up") << abc << 0 << abc << 0;
    QTest::newRow("down") << QStringLiteral("down") << abc << 1 << L({"a", "c", "b"}) << 2;
    QTest::newRow("down at the end") << QStringLiteral("down") << abc << 2 << abc << 2;
    QTest::newRow("down, none selected") << QStringLiteral("down") << abc << -1 << abc << -1;
    // The selection stays on its entry, wherever the entry goes.
    QTest::newRow("reverse keeps the entry") << QStringLiteral("reverse") << L({"a", "b", "c", "d"})
                                             << 0 << L({"d", "c", "b", "a"}) << 3;
    QTest::newRow("sort keeps the entry")
        << QStringLiteral("sort") << L({"c", "a", "b"}) << 2 << abc << 1;
}

void tst_PlaylistModel::edit() {
    QFETCH(QString, operation);
    QFETCH(QStringList, before);
    QFETCH(int, selected);
    QFETCH(QStringList, after);
    QFETCH(int, selection);
    PlaylistModel model(PlaylistModel::Kind::Playlist);
    fill(model, before, selected);
    if (operation == QLatin1String("remove")) {
        model.removeSelected();
    } else if (operation == QLatin1String("clear")) {
        model.clear();
    } else if (operation == QLatin1String("up") || operation == QLatin1String("down")) {
        model.moveSelected(operation == QLatin1String("up") ? -1 : +1);
    } else if (operation == QLatin1String("reverse")) {
        model.reverseLines();
    } else {
        model.sortLines();
    }
    QCOMPARE(names(model), after);
    QCOMPARE(model.listIndex(), selection);
}

void tst_PlaylistModel::sortIgnoresCase_data() {
    QTest::addColumn<int>("layout");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("sorted");
    const QStringList files = L({"/x/b.flv", "/y/A.flv", "/z/c.flv"});
    // The first column decides: the file name in layouts 1 and 2, the full path in 0.
    QTest::newRow("file names") << 1 << files << L({"/y/A.flv", "/x/b.flv", "/z/c.flv"});
    QTest::newRow("file names first") << 2 << files << L({"/y/A.flv", "/x/b.flv", "/z/c.flv"});
    QTest::newRow("folders") << 0 << L({"/b/a.flv", "/A/z.flv", "/c/b.flv"})
                             << L({"/A/z.flv", "/b/a.flv", "/c/b.flv"});
}

void tst_PlaylistModel::sortIgnoresCase() {
    QFETCH(int, layout);
    QFETCH(QStringList, items);
    QFETCH(QStringList, sorted);
    PlaylistModel model(PlaylistModel::Kind::Playlist);
    model.setLayout(layout);
    model.setItems(items);
    model.sortLines();
    QCOMPARE(model.itemTexts(), sorted);
}

void tst_PlaylistModel::shuffleIsUniform() {
    // Every entry exactly once, whatever the size.
    PlaylistModel big(PlaylistModel::Kind::Playlist);
    QStringList items;
    for (int i = 0; i < 1000; ++i) {
        items << QStringLiteral("/v/%1.flv").arg(i);
    }
    big.setItems(items);
    big.shuffleLines();
    QStringList shuffled = big.itemTexts();
    QVERIFY(shuffled != items);
    std::sort(shuffled.begin(), shuffled.end());
    std::sort(items.begin(), items.end());
    QCOMPARE(shuffled, items);

    // All six orders of three entries come up about equally often (500 expected each); a
    // generator seeded again on every step repeats itself and misses most of them.
    QHash<QString, int> seen;
    PlaylistModel three(PlaylistModel::Kind::Playlist);
    for (int round = 0; round < 3000; ++round) {
        fill(three, L({"a", "b", "c"}), -1);
        three.shuffleLines();
        ++seen[names(three).join(QString())];
    }
    QCOMPARE(seen.size(), 6);
    for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
        QVERIFY2(it.value() > 350 && it.value() < 650, qPrintable(it.key()));
    }
}

void tst_PlaylistModel::layoutSwitchKeepsItems() {
    PlaylistModel model(PlaylistModel::Kind::Playlist);
    const QStringList items{u8("/v/片段 1.flv∥100-200"), QStringLiteral("/w/b.mp4"),
                            QStringLiteral("http://host/live.flv")};
    model.setItems(items);
    const QStringList layout0 = model.lines();
    for (const int layout : {1, 2, 0, 2, 1, 0}) {
        model.setLayout(layout);
        QCOMPARE(model.itemTexts(), items);
        QCOMPARE(model.path(0), u8("/v/片段 1.flv"));
    }
    QCOMPARE(model.lines(), layout0);
    model.setLayout(2);
    QCOMPARE(model.line(0), u8("片段 1.flv\t標記 100-200\t/v/"));
}

void tst_PlaylistModel::buttonStates_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("usable");  // up, down, lines, two or more
    QTest::newRow("empty") << 0 << -1 << QStringLiteral("----");
    QTest::newRow("one, selected") << 1 << 0 << QStringLiteral("--L-");
    QTest::newRow("first of three") << 3 << 0 << QStringLiteral("-DL2");
    QTest::newRow("middle") << 3 << 1 << QStringLiteral("UDL2");
    QTest::newRow("last") << 3 << 2 << QStringLiteral("U-L2");
    QTest::newRow("none selected") << 3 << -1 << QStringLiteral("--L2");
}

void tst_PlaylistModel::buttonStates() {
    QFETCH(int, count);
    QFETCH(int, index);
    QFETCH(QString, usable);
    const ListButtonStates states = listButtonStates(count, index);
    const QString got = QString(states.moveUp ? QLatin1Char('U') : QLatin1Char('-')) +
                        (states.moveDown ? QLatin1Char('D') : QLatin1Char('-')) +
                        (states.hasLines ? QLatin1Char('L') : QLatin1Char('-')) +
                        (states.twoOrMore ? QLatin1Char('2') : QLatin1Char('-'));
    QCOMPARE(got, usable);
}

void tst_PlaylistModel::tips() {
    QTemporaryDir dir;
    const auto file = [&dir](const QString& name, qint64 size) {
        const QString path = dir.filePath(name);
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(QByteArray(size, 'x'));
        return path;
    };
    const QString kb2 = file(u8("片段 2.flv"), 1025);
    const QString kb1 = file(QStringLiteral("one.flv"), 1024);
    const QString empty = file(QStringLiteral("empty.flv"), 0);
    QCOMPARE(entryTip(kb2), kb2 + QStringLiteral(" ( 2 KB )"));
    QCOMPARE(entryTip(kb1), kb1 + QStringLiteral(" ( 1 KB )"));
    QCOMPARE(entryTip(empty), empty + QStringLiteral(" ( 0 KB )"));
    QCOMPARE(entryTip(dir.filePath(QStringLiteral("gone.flv"))),
             dir.filePath(QStringLiteral("gone.flv")) + u8(" ( 不存在 )"));
    QCOMPARE(entryTip(QStringLiteral("http://host/live.flv")),
             QStringLiteral("http://host/live.flv"));
}

void tst_PlaylistModel::drops() {
    QTemporaryDir dir;
    QStringList paths;
    for (const char* name : {"a b.flv", "-lead.mp3", "c.flv"}) {
        paths << dir.filePath(QString::fromUtf8(name));
        QFile(paths.last()).open(QIODevice::WriteOnly);
    }
    const QString missing = dir.filePath(QStringLiteral("missing.flv"));

    // A folder brings its media files in name order, numbers by their value.
    QTemporaryDir folder;
    QStringList inFolder;
    for (const char* name : {"clip10.flv", "Clip2.mp4", "clip1.flv", "notes.txt", ".hidden.flv"}) {
        QFile(folder.filePath(QString::fromUtf8(name))).open(QIODevice::WriteOnly);
    }
    for (const char* name : {"clip1.flv", "Clip2.mp4", "clip10.flv"}) {
        inFolder << folder.filePath(QString::fromUtf8(name));
    }
    QTemporaryDir emptyFolder;
    QFile(emptyFolder.filePath(QStringLiteral("readme.txt"))).open(QIODevice::WriteOnly);

    QMimeData uris;
    uris.setUrls({QUrl::fromLocalFile(paths[0]), QUrl::fromLocalFile(missing),
                  QUrl::fromLocalFile(paths[1]), QUrl::fromLocalFile(folder.path()),
                  QUrl::fromLocalFile(emptyFolder.path())});
    QStringList empty;
    QCOMPARE(droppedFiles(uris, &empty), inFolder + QStringList({paths[1], paths[0]}));
    QCOMPARE(empty, QStringList{emptyFolder.path()});

    QMimeData text;
    text.setText(paths[0] + QStringLiteral("\r\n  ") + missing + QStringLiteral("\r\n") +
                 QUrl::fromLocalFile(paths[2]).toString() + QStringLiteral("\r\n\r\n"));
    QCOMPARE(droppedFiles(text), QStringList({paths[2], paths[0]}));

    QMimeData doubled;
    doubled.setText(dir.path() + QStringLiteral("//c.flv"));
    QCOMPARE(droppedFiles(doubled), QStringList({paths[2]}));

    QMimeData nothing;
    nothing.setData(QStringLiteral("application/octet-stream"), "x");
    QVERIFY(droppedFiles(nothing).isEmpty());
}

QTEST_GUILESS_MAIN(tst_PlaylistModel)
#include "tst_playlistmodel.moc"

void tst_PlaylistModel::roundTrip_data() {
    QTest::addColumn<QStringList>("items");     // as a list file or List.ini holds them
    QTest::addColumn<QStringList>("expected");  // as the list gives them back
    const QStringList plain = L({"/v/a.flv", "/v/片段 1.flv∥100-200 300-400", "/v/a∥b.flv∥",
                                 "/v/a∥b.flv∥120-480", "http://host/live.flv", "/root.flv",
                                 "/v/no extension", "/v/tab\tin name.flv", "/v/-lead.mp3∥7-9"});
    QTest::newRow("every kind of entry") << plain << plain;
    // A final "∥" of a path without one carries nothing: the entry is the path alone.
    QTest::newRow("empty marks") << L({"/v/x.flv∥"}) << L({"/v/x.flv"});
}

// A list keeps its entries as values: whatever layout it was shown in, it gives back the
// texts it was given, and every list file and List.ini it writes holds the same bytes as one
// written straight from those texts; reading such a file back writes it again unchanged.
void tst_PlaylistModel::roundTrip() {
    QFETCH(QStringList, items);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    for (const int layout : {0, 1, 2}) {
        PlaylistModel model(PlaylistModel::Kind::Playlist);
        model.setLayout(layout);
        model.setItems(items);
        model.setLayout((layout + 1) % 3);
        model.setLayout(layout);
        QCOMPARE(model.itemTexts(), expected);
        for (int row = 0; row < model.count(); ++row) {
            QCOMPARE(model.line(row), entryLine(model.entry(row), layout));
            QCOMPARE(model.entry(row), PlaylistEntry::fromItemText(expected.at(row)));
        }
        for (const char* ext : {"plt", "m3u", "pls", "asx"}) {
            const QString fromModel = dir.filePath(QStringLiteral("model.") + QLatin1String(ext));
            const QString straight = dir.filePath(QStringLiteral("straight.") + QLatin1String(ext));
            const ListFileFormat format = listFileFormat(fromModel);
            QVERIFY(writeListFile(fromModel, model.itemTexts(), format));
            QVERIFY(writeListFile(straight, expected, format));
            const QByteArray bytes = readBytes(fromModel);
            QCOMPARE(bytes, readBytes(straight));
            // Read back and written again: the same bytes.
            PlaylistModel again(PlaylistModel::Kind::Playlist);
            again.setItems(readListFile(fromModel).items);
            QVERIFY(writeListFile(fromModel, again.itemTexts(), format));
            QCOMPARE(readBytes(fromModel), bytes);
        }
        StoredLists stored;
        stored.lists[0].items = model.itemTexts();
        stored.lists[0].selected = 1;
        const QString ini = listIniText(stored);
        StoredLists direct;
        direct.lists[0].items = expected;
        direct.lists[0].selected = 1;
        QCOMPARE(ini, listIniText(direct));
        PlaylistModel loaded(PlaylistModel::Kind::Playlist);
        loaded.setItems(parseListIni(ini).lists[0].items);
        stored.lists[0].items = loaded.itemTexts();
        QCOMPARE(listIniText(stored), ini);
    }
}

// The selected entries, the current one and the one playing stay on their entries when the
// list is reordered; Del takes every selected entry.
void tst_PlaylistModel::selectionFollowsEntries() {
    PlaylistModel model(PlaylistModel::Kind::Playlist);
    fill(model, L({"a", "b", "c", "d", "e"}), 0);
    model.setSelectedRows({1, 3}, 3);
    model.setPlayingRow(2);
    const auto selectedNames = [&] {
        QStringList result;
        for (const int row : model.selectedRows()) {
            result << QFileInfo(model.path(row)).completeBaseName();
        }
        return result;
    };
    for (const QString& operation : {u8("reverse"), u8("shuffle"), u8("sort")}) {
        if (operation == u8("reverse")) {
            model.reverseLines();
        } else if (operation == u8("shuffle")) {
            model.shuffleLines();
        } else {
            model.sortLines();
        }
        QStringList selected = selectedNames();
        selected.sort();
        QCOMPARE(selected, L({"b", "d"}));
        QCOMPARE(QFileInfo(model.selectedPath()).completeBaseName(), u8("d"));
        QCOMPARE(QFileInfo(model.path(model.playingRow())).completeBaseName(), u8("c"));
        QVERIFY(model.index(model.playingRow()).data(PlaylistModel::PlayingRole).toBool());
    }
    model.removeSelected();
    QCOMPARE(names(model), L({"a", "c", "e"}));
    // The entry after the current one takes its place.
    QCOMPARE(model.listIndex(), 2);
    QCOMPARE(model.selectedRows(), QList<int>{2});
    QCOMPARE(model.playingRow(), 1);
    model.setListIndex(0);
    QCOMPARE(model.selectedRows(), QList<int>{0});
}
