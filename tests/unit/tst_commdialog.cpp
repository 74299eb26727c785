#include "ScriptedDialogs.h"
#include "services/CommDialog.h"

#include <QDir>
#include <QObject>
#include <QTemporaryDir>
#include <QtTest>

using Kind = FileDialogRequest::Kind;
Q_DECLARE_METATYPE(FileDialogRequest::Kind)

class TestCommDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void filter_converted_data();
    void filter_converted();
    void filterIndex_followsPick();
    void initDir_rule_data();
    void initDir_rule();
    void request_carriesFields_data();
    void request_carriesFields();
    void fileName_overLimitNotOffered_data();
    void fileName_overLimitNotOffered();
    void singlePick_fillsResults_data();
    void singlePick_fillsResults();
    void cancel_clearsResults_data();
    void cancel_clearsResults();
    void multiPick_countAndOrder();
    void showDir_trailingSeparator_data();
    void showDir_trailingSeparator();
    void shared_keepsFields();
    void ownerWindow_forgottenWhenGone();

private:
    QString m_oldCurrent;
    QTemporaryDir m_current;
};

void TestCommDialog::initTestCase() {
    // A known current folder with a blank and Chinese in its name.
    QVERIFY(m_current.isValid());
    const QString folder = m_current.path() + QStringLiteral("/目前 資料夾");
    QVERIFY(QDir().mkpath(folder));
    m_oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder));
}

void TestCommDialog::cleanupTestCase() {
    QDir::setCurrent(m_oldCurrent);
}

void TestCommDialog::filter_converted_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("open filter")
        << QStringLiteral(
               "支援處理的檔案 (flv ; mpg ; dat ; vob)|*.flv;*.mpg;*.mpeg;*.dat;*.vob;"
               "|支援播放的多媒體檔案|*.flv;*.wm?;*.m?v;*.og?;"
               "|支援瀏覽的影像圖檔案|*.jpg;*.png;|所有檔案|*.*")
        << QStringList{QStringLiteral("支援處理的檔案 (flv ; mpg ; dat ; vob) "
                                      "(*.flv *.mpg *.mpeg *.dat *.vob)"),
                       QStringLiteral("支援播放的多媒體檔案 (*.flv *.wm? *.m?v *.og?)"),
                       QStringLiteral("支援瀏覽的影像圖檔案 (*.jpg *.png)"),
                       QStringLiteral("所有檔案 (*.*)")};
    QTest::newRow("cut filter") << QStringLiteral("FLV 檔案格式 (*.flv)|*.flv")
                                << QStringList{QStringLiteral("FLV 檔案格式 (*.flv) (*.flv)")};
    QTest::newRow("patterns in the description")
        << QStringLiteral("支援的清單檔 (*.plt;*.pls;*.m3u;*.asx)|*.plt;*.pls;*.m3u;*.asx;")
        << QStringList{
               QStringLiteral("支援的清單檔 (*.plt;*.pls;*.m3u;*.asx) (*.plt *.pls *.m3u *.asx)")};
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("trailing bar") << QStringLiteral("BMP 圖檔格式 (*.bmp)|*.bmp|")
                                  << QStringList{QStringLiteral("BMP 圖檔格式 (*.bmp) (*.bmp)")};
    QTest::newRow("description without pattern")
        << QStringLiteral("A|*.a|B") << QStringList{QStringLiteral("A (*.a)")};
    QTest::newRow("empty part ends the list")
        << QStringLiteral("A|*.a||*.b|C|*.c") << QStringList{QStringLiteral("A (*.a)")};
    QTest::newRow("blanks around patterns") << QStringLiteral("影片| *.flv ; *.mp4 ")
                                            << QStringList{QStringLiteral("影片 (*.flv *.mp4)")};
}

void TestCommDialog::filter_converted() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);

    CommDialog dialog;
    dialog.setFilter(filter);
    QCOMPARE(dialog.Filter(), filter);
    QCOMPARE(dialog.filterList(), expected);
}

void TestCommDialog::filterIndex_followsPick() {
    CommDialog dialog;
    QCOMPARE(dialog.FilterIndex(), 1);
    dialog.setFilterIndex(0);
    QCOMPARE(dialog.FilterIndex(), 1);
    dialog.setFilter(QStringLiteral("A|*.a|B|*.b|C|*.c|D|*.*"));
    dialog.setFilterIndex(4);

    ScriptedDialogs dialogs;
    dialogs.answerFile({QStringLiteral("/v/a.b")}, 1);
    dialogs.cancelFile();
    dialogs.answerFile({QStringLiteral("/v/c.c")}, 2);

    dialog.ShowOpen(false, false);
    QCOMPARE(dialogs.fileDialogs().at(0).filterIndex, 3);
    QCOMPARE(dialog.FilterIndex(), 2);

    dialog.ShowSave(false);  // cancelled: the index stays
    QCOMPARE(dialogs.fileDialogs().at(1).filterIndex, 1);
    QCOMPARE(dialog.FilterIndex(), 2);

    dialog.ShowOpen(false, true);
    QCOMPARE(dialog.FilterIndex(), 3);
    QCOMPARE(dialogs.unexpected(), 0);
}

void TestCommDialog::initDir_rule_data() {
    QTest::addColumn<int>("which");  // 0 open, 1 open several, 2 save, 3 folder
    QTest::addColumn<QString>("initDir");
    QTest::addColumn<bool>("clearInitDir");
    QTest::addColumn<bool>("pick");
    QTest::addColumn<QString>("offered");  // "." = the current folder
    QTest::addColumn<QString>("after");

    const QString videos = QStringLiteral("/srv/影片 庫");
    const QString current = QStringLiteral(".");
    for (int which = 0; which < 4; ++which) {
        const QByteArray tag = QByteArray::number(which);
        QTest::newRow(tag + " empty, pick, clear")
            << which << QString() << true << true << current << QString();
        QTest::newRow(tag + " empty, pick, keep")
            << which << QString() << false << true << current << current;
        QTest::newRow(tag + " empty, cancel, clear")
            << which << QString() << true << false << current << current;
        QTest::newRow(tag + " set, pick, clear")
            << which << videos << true << true << videos << QString();
        QTest::newRow(tag + " set, cancel, clear")
            << which << videos << true << false << videos << videos;
    }
}

void TestCommDialog::initDir_rule() {
    QFETCH(int, which);
    QFETCH(QString, initDir);
    QFETCH(bool, clearInitDir);
    QFETCH(bool, pick);
    QFETCH(QString, offered);
    QFETCH(QString, after);
    const QString current = QDir::currentPath();
    if (offered == QStringLiteral(".")) {
        offered = current;
    }
    if (after == QStringLiteral(".")) {
        after = current;
    }

    ScriptedDialogs dialogs;
    if (pick) {
        dialogs.answerFile({QStringLiteral("/srv/a.flv")});
    } else {
        dialogs.cancelFile();
    }
    CommDialog dialog;
    dialog.setInitDir(initDir);
    switch (which) {
        case 0:
            dialog.ShowOpen(clearInitDir, false);
            break;
        case 1:
            dialog.ShowOpen(clearInitDir, true);
            break;
        case 2:
            dialog.ShowSave(clearInitDir);
            break;
        default:
            dialog.ShowDir(clearInitDir);
            break;
    }
    QCOMPARE(dialogs.fileDialogs().size(), 1);
    QCOMPARE(dialogs.fileDialogs().constFirst().initDir, offered);
    QCOMPARE(dialog.InitDir(), after);
}

void TestCommDialog::request_carriesFields_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("open") << 0 << Kind::Open << quint32(0x81004) << QStringLiteral("舊檔.flv");
    QTest::newRow("open several") << 1 << Kind::OpenMulti << quint32(0x81204)
                                  << QStringLiteral("舊檔.flv");
    QTest::newRow("save") << 2 << Kind::Save << quint32(6) << QStringLiteral("舊檔.flv");
    QTest::newRow("folder") << 3 << Kind::Folder << quint32(0x64) << QString();
}

void TestCommDialog::request_carriesFields() {
    QFETCH(int, which);
    QFETCH(Kind, kind);
    QFETCH(quint32, flags);
    QFETCH(QString, fileName);

    QObject owner;
    CommDialog dialog;
    dialog.setOwnerWindow(&owner);
    dialog.setDialogTitle(QStringLiteral("請選取儲存目錄\r\n強烈建議你新建一個資料夾！"));
    dialog.setOpenFlags(0x81004);
    dialog.setSaveFlags(6);
    dialog.setBrowseFlags(0x64);
    dialog.setInitDir(QStringLiteral("/srv/影片"));
    dialog.setFileName(QStringLiteral("舊檔.flv"));
    dialog.setDefaultExt(QStringLiteral(".flv"));
    dialog.setFilter(QStringLiteral("FLV 檔案格式 (*.flv)|*.flv"));

    ScriptedDialogs dialogs;
    dialogs.cancelFile();
    switch (which) {
        case 0:
            dialog.ShowOpen(false, false);
            break;
        case 1:
            dialog.ShowOpen(false, true);
            break;
        case 2:
            dialog.ShowSave(false);
            break;
        default:
            dialog.ShowDir(false);
            break;
    }
    const FileDialogRequest& shown = dialogs.fileDialogs().constFirst();
    QCOMPARE(shown.kind, kind);
    QCOMPARE(shown.flags, flags);
    QCOMPARE(shown.title, QStringLiteral("請選取儲存目錄\r\n強烈建議你新建一個資料夾！"));
    QCOMPARE(shown.initDir, QStringLiteral("/srv/影片"));
    QCOMPARE(shown.fileName, fileName);
    QCOMPARE(shown.owner, &owner);
    if (kind != Kind::Folder) {
        QCOMPARE(shown.defaultExt, QStringLiteral(".flv"));
        QCOMPARE(shown.filters, QStringList{QStringLiteral("FLV 檔案格式 (*.flv) (*.flv)")});
    }
    QCOMPARE(dialog.OpenFlags(), quint32(0x81004));  // the multiple flag is not kept
}

void TestCommDialog::fileName_overLimitNotOffered_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("offered");

    const QString longest = QString(994, u'a') + QStringLiteral(".flv");
    QTest::newRow("998 characters") << longest << longest;
    QTest::newRow("999 characters") << longest + u'x' << QString();
    QTest::newRow("cut at NUL") << QStringLiteral("a.flv") + QChar(u'\0') + QStringLiteral("b")
                                << QStringLiteral("a.flv");
}

void TestCommDialog::fileName_overLimitNotOffered() {
    QFETCH(QString, fileName);
    QFETCH(QString, offered);

    ScriptedDialogs dialogs;
    dialogs.cancelFile();
    CommDialog dialog;
    dialog.setFileName(fileName);
    dialog.ShowSave(false);
    QCOMPARE(dialogs.fileDialogs().constFirst().fileName, offered);
}

void TestCommDialog::singlePick_fillsResults_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("ext");

    QTest::newRow("open, upper-case extension")
        << false << QStringLiteral("/srv/影片 庫/My Clip.FLV") << QStringLiteral("My Clip.FLV")
        << QStringLiteral("flv");
    QTest::newRow("save, leading dash and quotes")
        << true << QStringLiteral("/tmp/-\"剪輯\"_part.Mp4") << QStringLiteral("-\"剪輯\"_part.Mp4")
        << QStringLiteral("mp4");
    QTest::newRow("dot only in a folder name")
        << false << QStringLiteral("/srv/a.b/clip") << QStringLiteral("clip") << QString();
    QTest::newRow("trailing blank kept") << true << QStringLiteral("/srv/v/a.mpg ")
                                         << QStringLiteral("a.mpg ") << QStringLiteral("mpg");
}

void TestCommDialog::singlePick_fillsResults() {
    QFETCH(bool, save);
    QFETCH(QString, path);
    QFETCH(QString, title);
    QFETCH(QString, ext);

    ScriptedDialogs dialogs;
    dialogs.answerFile({path});
    CommDialog dialog;
    dialog.setFileName(QStringLiteral("舊的.flv"));
    const QString result = save ? dialog.ShowSave(true) : dialog.ShowOpen(true, false);
    QCOMPARE(result, path);
    QCOMPARE(dialog.FileName(), path);
    QCOMPARE(dialog.FileTitle(), title);
    QCOMPARE(dialog.FileExt(), ext);
}

void TestCommDialog::cancel_clearsResults_data() {
    QTest::addColumn<int>("which");
    QTest::newRow("open") << 0;
    QTest::newRow("open several") << 1;
    QTest::newRow("save") << 2;
}

void TestCommDialog::cancel_clearsResults() {
    QFETCH(int, which);

    ScriptedDialogs dialogs;
    dialogs.answerFile({QStringLiteral("/srv/a.FLV")});
    dialogs.cancelFile();
    CommDialog dialog;
    QCOMPARE(dialog.ShowOpen(false, false), QStringLiteral("/srv/a.FLV"));
    QCOMPARE(dialog.FileExt(), QStringLiteral("flv"));

    const QString result = which == 2 ? dialog.ShowSave(false) : dialog.ShowOpen(false, which == 1);
    QCOMPARE(result, QString());
    QCOMPARE(dialog.FileName(), QString());
    QCOMPARE(dialog.FileTitle(), QString());
    QCOMPARE(dialog.FileExt(), QString());
}

void TestCommDialog::multiPick_countAndOrder() {
    const QStringList picked{QStringLiteral("/srv/v/c.vob"), QStringLiteral("/srv/v/a 1.flv"),
                             QStringLiteral("/srv/v/影片.mpg")};
    ScriptedDialogs dialogs;
    dialogs.answerFile({QStringLiteral("/srv/v/one.FLV")});
    dialogs.answerFile(picked);
    dialogs.answerFile({QStringLiteral("/srv/v/只有一個.flv")});

    CommDialog dialog;
    dialog.ShowOpen(false, false);  // fills FileTitle and FileExt first
    QCOMPARE(dialog.ShowOpen(false, true), QStringLiteral("3"));
    QCOMPARE(dialog.FileArray(), picked);
    QCOMPARE(dialog.FileTitle(), QString());
    QCOMPARE(dialog.FileExt(), QString());

    QCOMPARE(dialog.ShowOpen(false, true), QStringLiteral("1"));
    QCOMPARE(dialog.FileArray(), QStringList{QStringLiteral("/srv/v/只有一個.flv")});
}

void TestCommDialog::showDir_trailingSeparator_data() {
    QTest::addColumn<QStringList>("answer");  // empty: cancelled
    QTest::addColumn<QString>("expected");

    QTest::newRow("folder") << QStringList{QStringLiteral("/home/u/影片 輸出")}
                            << QStringLiteral("/home/u/影片 輸出/");
    QTest::newRow("already ends with /")
        << QStringList{QStringLiteral("/home/u/")} << QStringLiteral("/home/u/");
    QTest::newRow("root") << QStringList{QStringLiteral("/")} << QStringLiteral("/");
    QTest::newRow("cancelled") << QStringList() << QString();
}

void TestCommDialog::showDir_trailingSeparator() {
    QFETCH(QStringList, answer);
    QFETCH(QString, expected);

    ScriptedDialogs dialogs;
    if (answer.isEmpty()) {
        dialogs.cancelFile();
    } else {
        dialogs.answerFile(answer);
    }
    CommDialog dialog;
    dialog.setFileName(QStringLiteral("/srv/a.flv"));
    QCOMPARE(dialog.ShowDir(false), expected);
    QCOMPARE(dialog.FileName(), QStringLiteral("/srv/a.flv"));  // a folder pick leaves it
}

void TestCommDialog::shared_keepsFields() {
    CommDialog& first = CommDialog::shared();
    first.setFilter(QStringLiteral("BMP 圖檔格式 (*.bmp)|*.bmp"));
    first.setDefaultExt(QStringLiteral(".bmp"));
    CommDialog& again = CommDialog::shared();
    QCOMPARE(&again, &first);

    ScriptedDialogs dialogs;
    dialogs.answerFile({QStringLiteral("/srv/_pic.bmp")});
    again.ShowSave(true);
    QCOMPARE(dialogs.fileDialogs().constFirst().defaultExt, QStringLiteral(".bmp"));
    QCOMPARE(CommDialog::shared().FileName(), QStringLiteral("/srv/_pic.bmp"));
}

void TestCommDialog::ownerWindow_forgottenWhenGone() {
    // The shared instance outlives its owners: a dialog must never get a dead window.
    CommDialog dialog;
    {
        QObject window;
        dialog.setOwnerWindow(&window);
    }
    ScriptedDialogs dialogs;
    dialogs.cancelFile();
    dialog.ShowOpen(false, false);
    QCOMPARE(dialogs.fileDialogs().constFirst().owner, nullptr);
}

QTEST_GUILESS_MAIN(TestCommDialog)
#include "tst_commdialog.moc"
