#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "services/CommDialog.h"

#include <QDir>
#include <QObject>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Kind = FileDialogRequest::Kind;
Q_DECLARE_METATYPE(FileDialogRequest::Kind)

namespace {

// which: 0 open, 1 open several, 2 save, 3 folder
QString show(CommDialog& dialog, int which, bool clear) {
    return which == 3   ? dialog.ShowDir(clear)
           : which == 2 ? dialog.ShowSave(clear)
                        : dialog.ShowOpen(clear, which == 1);
}

}  // namespace

class TestCommDialog : public QObject {
    Q_OBJECT

    QString m_oldCurrent = QDir::currentPath();
    QTemporaryDir m_current;

private Q_SLOTS:
    void initTestCase() {
        const QString folder = m_current.path() + u8("/目前 資料夾");
        QVERIFY(m_current.isValid() && QDir().mkpath(folder) && QDir::setCurrent(folder));
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldCurrent); }

    void filter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("open filter")
            << u8("支援處理的檔案 (flv ; mpg ; dat ; vob)|*.flv;*.mpg;*.vob;"
                  "|支援播放的多媒體檔案|*.wm?;*.m?v;|所有檔案|*.*")
            << QStringList{u8("支援處理的檔案 (flv ; mpg ; dat ; vob) (*.flv *.mpg *.vob)"),
                           u8("支援播放的多媒體檔案 (*.wm? *.m?v)"), u8("所有檔案 (*.*)")};
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("description without pattern") << "A|*.a|B" << QStringList{u8("A (*.a)")};
        QTest::newRow("empty part ends the list")
            << "A|*.a||*.b|C|*.c" << QStringList{u8("A (*.a)")};
        QTest::newRow("blanks around patterns")
            << "影片| *.flv ; *.mp4 " << QStringList{u8("影片 (*.flv *.mp4)")};
    }
    // request() checks that setFilter hands this list to the dialogs.
    void filter() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(CommDialog::convertFilter(filter), expected);
    }

    // The filter index reads 1 until set, is offered 0-based and follows the
    // user's pick; a cancel leaves it.
    void filterIndexFollowsPick() {
        CommDialog dialog;
        dialog.setFilterIndex(0);
        QCOMPARE(dialog.FilterIndex(), 1);
        dialog.setFilter(u8("A|*.a|B|*.b|C|*.c|D|*.*"));
        dialog.setFilterIndex(4);
        ScriptedDialogs dialogs;
        dialogs.answerFile({u8("/v/a.b")}, 1);
        dialogs.cancelFile();
        dialogs.answerFile({u8("/v/c.c")}, 2);
        QList<int> seen;
        for (int which : {0, 2, 1}) {
            show(dialog, which, false);
            seen << dialogs.fileDialogs().constLast().filterIndex << dialog.FilterIndex();
        }
        QCOMPARE(seen, QList<int>({3, 2, 1, 2, 1, 3}));
    }

    // An empty InitDir offers the last folder and keeps it: the start folder at first,
    // then the folder of the last file picked (not of a folder picked, nor of a file
    // picked with the no-change-folder flag). clearInitDir empties it after a pick only.
    void initDirRule() {
        CommDialog::setLastFolder(QString());
        const QString current = QDir::currentPath();
        const QString videos = u8("/srv/影片 庫");
        ScriptedDialogs dialogs;
        CommDialog dialog;
        QStringList seen;  // offered, then kept, after each dialog
        const auto showAnd = [&](int which, bool pick, bool clear) {
            pick ? dialogs.answerFile({u8("/srv/a.flv")}) : dialogs.cancelFile();
            show(dialog, which, clear);
            seen << dialogs.fileDialogs().constLast().initDir << dialog.InitDir();
        };
        showAnd(1, true, false);
        dialog.setInitDir(QString());
        showAnd(0, true, true);
        dialog.setInitDir(videos);
        showAnd(2, false, true);
        showAnd(3, true, true);
        showAnd(3, false, true);
        dialog.setInitDir(QString());
        dialog.setOpenFlags(CommDialog::noChangeDirFlag);
        dialogs.answerFile({u8("/elsewhere/b.flv")});
        dialog.ShowOpen(true, false);
        showAnd(0, false, false);
        const QString srv = u8("/srv");
        QCOMPARE(seen, QStringList({current, current, srv, QString(), videos, videos, videos,
                                    QString(), srv, srv, srv, srv}));
    }

    void request_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<quint32>("flags");
        QTest::newRow("open") << 0 << Kind::Open << quint32(0x81004);
        QTest::newRow("open several") << 1 << Kind::OpenMulti << quint32(0x81204);
        QTest::newRow("save") << 2 << Kind::Save << quint32(6);
        QTest::newRow("folder") << 3 << Kind::Folder << quint32(0x64);
    }
    // Each dialog shows what the caller set; a folder dialog has no file.
    void request() {
        QFETCH(int, which);
        QFETCH(Kind, kind);
        QFETCH(quint32, flags);
        const QString title = u8("請選取儲存目錄\r\n強烈建議你新建一個資料夾！");
        auto owner = std::make_unique<QObject>();
        CommDialog dialog;
        dialog.setOwnerWindow(owner.get());
        dialog.setDialogTitle(title);
        dialog.setOpenFlags(0x81004);
        dialog.setSaveFlags(6);
        dialog.setBrowseFlags(0x64);
        dialog.setInitDir(u8("/srv/影片"));
        dialog.setFileName(u8("舊檔.flv"));
        dialog.setDefaultExt(u8(".flv"));
        dialog.setFilter(u8("FLV 檔案格式 (*.flv)|*.flv"));
        ScriptedDialogs dialogs;
        dialogs.cancelFile();
        show(dialog, which, false);
        const FileDialogRequest shown = dialogs.fileDialogs().constFirst();
        QCOMPARE(shown.kind, kind);
        QCOMPARE(shown.flags, flags);
        QCOMPARE(shown.owner, owner.get());
        const bool file = kind != Kind::Folder;
        QCOMPARE(QStringList({shown.title, shown.initDir, shown.fileName, shown.defaultExt}) +
                     shown.filters,
                 QStringList(
                     {title, u8("/srv/影片"), u8(file ? "舊檔.flv" : ""), u8(file ? ".flv" : "")}) +
                     (file ? QStringList(u8("FLV 檔案格式 (*.flv)")) : QStringList()));
        QCOMPARE(dialog.OpenFlags(), quint32(0x81004));  // the multiple flag is not kept
        // The shared instance outlives its owners: a dialog must never get a dead window.
        owner.reset();
        dialogs.cancelFile();
        show(dialog, which, false);
        QCOMPARE(dialogs.fileDialogs().constLast().owner, nullptr);
    }

    void fileNameLimit() {
        const QString longest = QString(994, u'a') + u8(".flv");  // 998 characters
        ScriptedDialogs dialogs;
        CommDialog dialog;
        QStringList offered;
        for (const QString& name :
             {longest, longest + u'x', u8("a.flv") + QChar(u'\0') + u8("b")}) {
            dialogs.cancelFile();
            dialog.setFileName(name);
            dialog.ShowSave(false);
            offered << dialogs.fileDialogs().constLast().fileName;
        }
        // Too long: not offered; cut at a NUL.
        QCOMPARE(offered, QStringList({longest, QString(), u8("a.flv")}));
    }

    void answers_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QStringList>("picked");
        QTest::addColumn<QString>("result");  // returned|FileName|FileTitle|FileExt|FileArray
        const auto row = [](const char* tag, int which, const char* picked, const char* result) {
            QTest::newRow(tag) << which << u8(picked).split(u'*') << u8(result);
        };
        row("open, upper-case extension", 0, "/srv/影片 庫/-My \"Clip\".FLV",
            "/srv/影片 庫/-My \"Clip\".FLV|/srv/影片 庫/-My \"Clip\".FLV|-My \"Clip\".FLV|flv|");
        row("save, dot only in a folder name", 2, "/srv/a.b/clip",
            "/srv/a.b/clip|/srv/a.b/clip|clip||");
        row("save, trailing blank kept", 2, "/srv/v/a.mpg ",
            "/srv/v/a.mpg |/srv/v/a.mpg |a.mpg |mpg|");
        row("open several, in their order", 1, "/srv/v/c.vob*/srv/v/a 1.flv*/srv/v/影片.mpg",
            "3|舊的.flv|||/srv/v/c.vob*/srv/v/a 1.flv*/srv/v/影片.mpg");
        row("open several, one", 1, "/srv/v/只有一個.flv", "1|舊的.flv|||/srv/v/只有一個.flv");
        row("folder", 3, "/home/u/影片 輸出", "/home/u/影片 輸出/|舊的.flv|old.Avi|avi|");
        row("folder with separator", 3, "/home/u/", "/home/u/|舊的.flv|old.Avi|avi|");
    }
    // A pick, then a cancel: file dialogs forget the file, a folder dialog
    // leaves it and the last pick's title. A multiple pick clears that title.
    void answers() {
        QFETCH(int, which);
        QFETCH(QStringList, picked);
        QFETCH(QString, result);
        ScriptedDialogs dialogs;
        dialogs.answerFile({u8("/srv/old.Avi")});
        dialogs.answerFile(picked);
        dialogs.cancelFile();
        CommDialog dialog;
        dialog.ShowOpen(false, false);  // fills FileTitle and FileExt
        dialog.setFileName(u8("舊的.flv"));
        const auto shown = [&dialog](const QString& returned) {
            return QStringList({returned, dialog.FileName(), dialog.FileTitle(), dialog.FileExt(),
                                dialog.FileArray().join(u'*')})
                .join(u'|');
        };
        QCOMPARE(shown(show(dialog, which, true)), result);
        QCOMPARE(shown(show(dialog, which, true)).section(u'|', 0, 3),
                 which == 3 ? u8("|舊的.flv|old.Avi|avi") : u8("|||"));
    }
};

QTEST_GUILESS_MAIN(TestCommDialog)
#include "tst_commdialog.moc"
