#include "ScriptedDialogs.h"
#include "services/CommDialog.h"

#include <QDir>
#include <QObject>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Kind = FileDialogRequest::Kind;
Q_DECLARE_METATYPE(FileDialogRequest::Kind)

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// which: 0 open, 1 open several, 2 save, 3 folder
QString show(CommDialog& dialog, int which, bool clearInitDir) {
    if (which == 3) {
        return dialog.ShowDir(clearInitDir);
    }
    return which == 2 ? dialog.ShowSave(clearInitDir) : dialog.ShowOpen(clearInitDir, which == 1);
}

}  // namespace

class TestCommDialog : public QObject {
    Q_OBJECT

private:
    QString m_oldCurrent = QDir::currentPath();
    QTemporaryDir m_current;

private Q_SLOTS:
    void initTestCase() {
        const QString folder = m_current.path() + u8("/目前 資料夾");
        QVERIFY(m_current.isValid() && QDir().mkpath(folder) && QDir::setCurrent(folder));
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldCurrent); }

    void filter_converted_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("open filter")
            << u8("支援處理的檔案 (flv ; mpg ; dat ; vob)|*.flv;*.mpg;*.vob;"
                  "|支援播放的多媒體檔案|*.wm?;*.m?v;|所有檔案|*.*")
            << QStringList{u8("支援處理的檔案 (flv ; mpg ; dat ; vob) (*.flv *.mpg *.vob)"),
                           u8("支援播放的多媒體檔案 (*.wm? *.m?v)"), u8("所有檔案 (*.*)")};
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("description without pattern") << u8("A|*.a|B") << QStringList{u8("A (*.a)")};
        QTest::newRow("empty part ends the list")
            << u8("A|*.a||*.b|C|*.c") << QStringList{u8("A (*.a)")};
        QTest::newRow("blanks around patterns")
            << u8("影片| *.flv ; *.mp4 ") << QStringList{u8("影片 (*.flv *.mp4)")};
    }
    void filter_converted() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        CommDialog dialog;
        dialog.setFilter(filter);
        QCOMPARE(dialog.Filter(), filter);
        QCOMPARE(dialog.filterList(), expected);
    }

    void filterIndex_followsPick() {
        CommDialog dialog;
        dialog.setFilterIndex(0);
        QCOMPARE(dialog.FilterIndex(), 1);
        dialog.setFilter(u8("A|*.a|B|*.b|C|*.c|D|*.*"));
        dialog.setFilterIndex(4);
        ScriptedDialogs dialogs;
        dialogs.answerFile({u8("/v/a.b")}, 1);
        dialogs.cancelFile();
        dialogs.answerFile({u8("/v/c.c")}, 2);
        dialog.ShowOpen(false, false);
        QCOMPARE(dialogs.fileDialogs().at(0).filterIndex, 3);
        QCOMPARE(dialog.FilterIndex(), 2);
        dialog.ShowSave(false);  // cancelled: the index stays
        QCOMPARE(dialogs.fileDialogs().at(1).filterIndex, 1);
        QCOMPARE(dialog.FilterIndex(), 2);
        dialog.ShowOpen(false, true);
        QCOMPARE(dialog.FilterIndex(), 3);
    }

    // An empty InitDir offers the current folder and keeps it; clearInitDir empties it
    // after a pick only.
    void initDir_rule() {
        const QString current = QDir::currentPath();
        const QString videos = u8("/srv/影片 庫");
        ScriptedDialogs dialogs;
        auto offered = [&dialogs] { return dialogs.fileDialogs().constLast().initDir; };
        CommDialog dialog;
        dialogs.answerFile({u8("/srv/a.flv")});
        dialog.ShowOpen(false, true);
        QCOMPARE(offered(), current);
        QCOMPARE(dialog.InitDir(), current);
        dialog.setInitDir(QString());
        dialogs.answerFile({u8("/srv/a.flv")});
        dialog.ShowOpen(true, false);
        QCOMPARE(offered(), current);
        QCOMPARE(dialog.InitDir(), QString());
        dialog.setInitDir(videos);
        dialogs.cancelFile();
        dialog.ShowSave(true);
        QCOMPARE(offered(), videos);
        QCOMPARE(dialog.InitDir(), videos);
        dialogs.answerFile({u8("/srv")});
        dialog.ShowDir(true);
        QCOMPARE(offered(), videos);
        QCOMPARE(dialog.InitDir(), QString());
        dialogs.cancelFile();
        dialog.ShowDir(true);
        QCOMPARE(offered(), current);
        QCOMPARE(dialog.InitDir(), current);
    }

    void request_carriesFields_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<quint32>("flags");
        QTest::newRow("open") << 0 << Kind::Open << quint32(0x81004);
        QTest::newRow("open several") << 1 << Kind::OpenMulti << quint32(0x81204);
        QTest::newRow("save") << 2 << Kind::Save << quint32(6);
        QTest::newRow("folder") << 3 << Kind::Folder << quint32(0x64);
    }
    void request_carriesFields() {
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
        QCOMPARE(shown.title, title);
        QCOMPARE(shown.initDir, u8("/srv/影片"));
        QCOMPARE(shown.owner, owner.get());
        if (kind != Kind::Folder) {
            QCOMPARE(shown.fileName, u8("舊檔.flv"));
            QCOMPARE(shown.defaultExt, u8(".flv"));
            QCOMPARE(shown.filters, QStringList{u8("FLV 檔案格式 (*.flv) (*.flv)")});
        }
        QCOMPARE(dialog.OpenFlags(), quint32(0x81004));  // the multiple flag is not kept
        // The shared instance outlives its owners: a dialog must never get a dead window.
        owner.reset();
        dialogs.cancelFile();
        show(dialog, which, false);
        QCOMPARE(dialogs.fileDialogs().constLast().owner, nullptr);
    }

    void fileName_limit() {
        const QString longest = QString(994, u'a') + u8(".flv");  // 998 characters
        ScriptedDialogs dialogs;
        CommDialog dialog;
        for (const QString& name :
             {longest, longest + u'x', u8("a.flv") + QChar(u'\0') + u8("b")}) {
            dialogs.cancelFile();
            dialog.setFileName(name);
            dialog.ShowSave(false);
        }
        QCOMPARE(dialogs.fileDialogs().at(0).fileName, longest);
        QCOMPARE(dialogs.fileDialogs().at(1).fileName, QString());  // too long: not offered
        QCOMPARE(dialogs.fileDialogs().at(2).fileName, u8("a.flv"));
    }

    void pickThenCancel_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("ext");
        QTest::newRow("open, upper-case extension")
            << false << u8("/srv/影片 庫/-My \"Clip\".FLV") << u8("-My \"Clip\".FLV") << u8("flv");
        QTest::newRow("save, dot only in a folder name")
            << true << u8("/srv/a.b/clip") << u8("clip") << QString();
        QTest::newRow("trailing blank kept")
            << true << u8("/srv/v/a.mpg ") << u8("a.mpg ") << u8("mpg");
    }
    void pickThenCancel() {
        QFETCH(bool, save);
        QFETCH(QString, path);
        QFETCH(QString, title);
        QFETCH(QString, ext);
        ScriptedDialogs dialogs;
        dialogs.answerFile({path});
        dialogs.cancelFile();
        CommDialog dialog;
        dialog.setFileName(u8("舊的.flv"));
        for (const bool picked : {true, false}) {
            QCOMPARE(show(dialog, save ? 2 : 0, true), picked ? path : QString());
            QCOMPARE(dialog.FileName(), picked ? path : QString());
            QCOMPARE(dialog.FileTitle(), picked ? title : QString());
            QCOMPARE(dialog.FileExt(), picked ? ext : QString());
        }
    }

    void multiPick_countAndOrder() {
        const QStringList picked{u8("/srv/v/c.vob"), u8("/srv/v/a 1.flv"), u8("/srv/v/影片.mpg")};
        ScriptedDialogs dialogs;
        dialogs.answerFile({u8("/srv/v/one.FLV")});
        dialogs.answerFile(picked);
        dialogs.answerFile({u8("/srv/v/只有一個.flv")});
        CommDialog dialog;
        dialog.ShowOpen(false, false);  // fills FileTitle and FileExt first
        QCOMPARE(dialog.ShowOpen(false, true), u8("3"));
        QCOMPARE(dialog.FileArray(), picked);
        QCOMPARE(dialog.FileTitle(), QString());
        QCOMPARE(dialog.FileExt(), QString());
        QCOMPARE(dialog.ShowOpen(false, true), u8("1"));
        QCOMPARE(dialog.FileArray(), QStringList{u8("/srv/v/只有一個.flv")});
    }

    void showDir_trailingSeparator() {
        ScriptedDialogs dialogs;
        dialogs.answerFile({u8("/home/u/影片 輸出")});
        dialogs.answerFile({u8("/home/u/")});
        dialogs.cancelFile();
        CommDialog dialog;
        dialog.setFileName(u8("/srv/a.flv"));
        QCOMPARE(dialog.ShowDir(false), u8("/home/u/影片 輸出/"));
        QCOMPARE(dialog.ShowDir(false), u8("/home/u/"));
        QCOMPARE(dialog.ShowDir(false), QString());
        QCOMPARE(dialog.FileName(), u8("/srv/a.flv"));  // a folder dialog leaves it
    }
};

QTEST_GUILESS_MAIN(TestCommDialog)
#include "tst_commdialog.moc"
