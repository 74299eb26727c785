// The playlist window's file browser with the real player window: playing from a folder and
// going on through it, the buttons each folder leaves usable, presses on folders, a folder
// that went away, showing a file, drops and the browser's settings.
#include "PlayerTestKit.h"
#include "app/ConnectWindows.h"
#include "gui/playlist/frmList.h"
#include "gui/playlist/frmListBrowser.h"
#include "gui/widgets/ZelvoButton.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QSet>
#include <QUrl>

class tst_FileBrowser : public PlayerTest {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        openPlayer();
        m_list = std::make_unique<frmList>();
        connectWindows(win(), *m_list);
        m_f->load();
        m_list->show();
    }
    void cleanup() {
        appClosing = true;
        m_list.reset();
        appClosing = false;
        closePlayer();
    }
    void playsThroughFolder();
    void looks_data();
    void looks();
    void folderPresses();
    void showInFileList();
    void drop();
    void settings();
    void rowsOfOneHeight();

private:
    BrowserTab& tab() { return *m_list->browserTab(); }
    // A folder of copies of real media ("name=media", clip.mp3 by default) and subfolders
    // ("name/"), with a trailing "/".
    QString folder(const QString& name, const QStringList& entries) {
        const QString path = m_f->temp.filePath(name) + QLatin1Char('/');
        QDir().mkpath(path);
        for (const QString& entry : entries) {
            const QStringList parts = entry.split(QLatin1Char('='));
            if (entry.endsWith(QLatin1Char('/'))) {
                QDir().mkpath(path + entry);
            } else {
                QFile::copy(testsupport::media(parts.value(1, QStringLiteral("clip.mp3"))),
                            path + parts.first());
            }
        }
        return path;
    }
    void browse(const QString& path) {
        m_list->changeToTab(1, 1, false);
        tab().Dir1_Click(path);
        QCOMPARE(m_list->browserFolder(), path);
    }
    QPoint dirRow(const QString& text) {
        for (int i = 0; i < tab().Dir1->count(); ++i) {
            if (tab().Dir1->item(i)->text().trimmed() == text) {
                return tab().Dir1->visualItemRect(tab().Dir1->item(i)).center();
            }
        }
        return {-1, -1};
    }
    std::unique_ptr<frmList> m_list;
};

void tst_FileBrowser::playsThroughFolder() {
    const QString path = folder(QStringLiteral("three"),
                                {QStringLiteral("c.mp4=clip.mp4"), QStringLiteral("A.mp3=clip.mp3"),
                                 QStringLiteral("b.wav=clip.wav")});
    browse(path);
    QListWidget* files = tab().Fn1;
    QCOMPARE(files->count(), 3);
    QCOMPARE(files->item(0)->text() + files->item(1)->text() + files->item(2)->text(),
             u8("A.mp3b.wavc.mp4"));
    QCOMPARE(files->currentRow(), 0);

    const QPoint second = files->visualItemRect(files->item(1)).center();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, second);
    QVERIFY(m_f->waitPlaying());
    QCOMPARE(win().fileName(), path + u8("b.wav"));
    QCOMPARE(listPlayState, 2);

    // The player's next button goes on through the folder.
    QCOMPARE(win().panel().mbNextItem->State(), int(ZelvoButton::Normal));
    QTest::mouseClick(win().panel().mbNextItem, Qt::LeftButton);
    QVERIFY(testsupport::waitUntil([&] { return win().fileName() == path + u8("c.mp4"); }));
    QCOMPARE(files->currentRow(), 2);
    // On a playlist the player's list is the playlist again.
    m_list->changeToTab(0, 0, false);
    QCOMPARE(m_list->count(), 0);
}

void tst_FileBrowser::looks_data() {
    QTest::addColumn<QStringList>("entries");
    // play, random play | player previous, next | "加入指定項目到" usable
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QStringList{QStringLiteral("sub/")} << "33|33|0";
    QTest::newRow("one file") << QStringList{QStringLiteral("one.mp3")} << "03|33|1";
    QTest::newRow("three files") << QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.mp3"),
                                                QStringLiteral("c.mp3")}
                                 << "00|00|1";
}

void tst_FileBrowser::looks() {
    QFETCH(QStringList, entries);
    QFETCH(QString, expected);
    // From a folder of two, so each look has to change.
    browse(folder(QStringLiteral("two"), {QStringLiteral("x.mp3"), QStringLiteral("y.mp3")}));
    tab().Dir1_Click(folder(QStringLiteral("looks"), entries));
    const PlayerPanel* p = &win().panel();
    QCOMPARE(QStringLiteral("%1%2|%3%4|%5")
                 .arg(m_list->mbPlay->State())
                 .arg(m_list->mbRndPlay->State())
                 .arg(p->mbLastItem->State())
                 .arg(p->mbNextItem->State())
                 .arg(int(m_list->mnuAddToList->isEnabled())),
             expected);
}

void tst_FileBrowser::folderPresses() {
    const QString path =
        folder(QStringLiteral("top"), {QStringLiteral("inner/"), QStringLiteral("gone/")});
    browse(path);
    QWidget* dirs = tab().Dir1->viewport();
    // The right button does nothing; one left press opens a folder.
    QTest::mousePress(dirs, Qt::RightButton, {}, dirRow(QStringLiteral("inner")));
    QCOMPARE(m_list->browserFolder(), path);
    QTest::mousePress(dirs, Qt::LeftButton, {}, dirRow(QStringLiteral("inner")));
    QCOMPARE(m_list->browserFolder(), path + u8("inner/"));
    QTest::mouseRelease(dirs, Qt::LeftButton, {}, dirRow(QStringLiteral("inner")));
    // Up again through the folder above, listed over the current one.
    QTest::mousePress(dirs, Qt::LeftButton, {}, dirRow(QStringLiteral("top")));
    QCOMPARE(m_list->browserFolder(), path);

    // A folder deleted after the list was drawn.
    const QPoint gone = dirRow(QStringLiteral("gone"));
    QVERIFY(QDir(path + u8("gone")).removeRecursively());
    m_dialogs->answerMessage(MsgResult::Ok);
    QTest::mousePress(dirs, Qt::LeftButton, {}, gone);
    QCOMPARE(m_dialogs->lastMessage().text,
             u8("你想要瀏覽的目錄已經不存在！\r\n\r\n") + path + u8("gone"));
    QCOMPARE(m_dialogs->lastMessage().title, u8("錯誤訊息"));
    QCOMPARE(m_dialogs->lastMessage().buttons, MsgButtons::Ok);
    QCOMPARE(m_list->browserFolder(), tab().Drv1->currentData().toString());
    QVERIFY(QFileInfo(m_list->browserFolder()).isDir());

    // A drive that cannot be opened: its name without ":", and Drv1 back on the folder's.
    const int drive = tab().Drv1->currentIndex();
    tab().Drv1->addItem(path + u8("usb:1"), path + u8("usb:1/"));
    m_dialogs->answerMessage(MsgResult::Ok);
    tab().Drv1->setCurrentIndex(tab().Drv1->count() - 1);
    tab().Drv1_Change(tab().Drv1->count() - 1);
    QCOMPARE(m_dialogs->lastMessage().text, u8("無法開啟指定的磁碟機：") + path + u8("usb1"));
    QCOMPARE(tab().Drv1->currentIndex(), drive);
}

void tst_FileBrowser::showInFileList() {
    const QString path =
        folder(QStringLiteral("show"),
               {QStringLiteral("0.flv"), QStringLiteral("a.flv"), QStringLiteral("b.flv")});
    m_list->changeToTab(0, 1, false);
    m_list->showInFileList(path + u8("A.FLV"));
    QCOMPARE(m_list->curListId(), 11);
    QCOMPARE(tab().Fn1->currentItem()->text(), u8("a.flv"));
    QCOMPARE(m_list->selectedItem(), path + u8("a.flv"));
    // No file of the name: the selection stays.
    m_list->showInFileList(path + u8("z.flv"));
    QCOMPARE(m_list->listIndex(), 1);
    // The list menu adds the selected file.
    m_list->mnuToList[0]->trigger();
    QCOMPARE(m_list->playlist(0).itemTexts(), QStringList{path + u8("a.flv")});
}

void tst_FileBrowser::drop() {
    const QString path = folder(QStringLiteral("drop"), {QStringLiteral("a.mp3")});
    const QString other = folder(QStringLiteral("elsewhere"), {QStringLiteral("x.wav=clip.wav"),
                                                               QStringLiteral("y.wav=clip.wav")});
    browse(path);
    // A drop plays its first file as on the player window; the browser then shows it.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(other + u8("y.wav")), QUrl::fromLocalFile(path)});
    QWidget* viewport = tab().Fn1->viewport();
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    QVERIFY(m_f->waitPlaying());
    QCOMPARE(win().fileName(), other + u8("y.wav"));
    QCOMPARE(m_list->selectedItem(), other + u8("y.wav"));
}

void tst_FileBrowser::settings() {
    const QString path =
        folder(QStringLiteral("kept"),
               {QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")});
    const QString save = folder(QStringLiteral("out"), {});
    const QString gone = m_f->temp.filePath(QStringLiteral("gone/"));
    const auto load = [this](SettingKey key, const QString& value) {
        m_list->loadSetting({key, value});
    };
    // Without settings the browser is at home. An index before its folder, a folder or a
    // save folder that does not exist change nothing.
    load(SettingKey::ListDirIdx, QStringLiteral("1"));
    load(SettingKey::ListDir, gone);
    load(SettingKey::SaveDir, gone);
    SettingsValues values;
    m_list->saveSetting(values);
    QCOMPARE(values.listDir, FolderBrowser::folderPath(QDir::homePath()));
    QCOMPARE(values.saveDir, QString());

    load(SettingKey::ListDir, path);
    load(SettingKey::ListDirIdx, QStringLiteral("3"));  // past the last file
    QCOMPARE(m_list->browserTab()->listIndex(), 0);
    load(SettingKey::ListDirIdx, QStringLiteral("2"));
    load(SettingKey::SaveDir, save);
    load(SettingKey::DoneToFn, QStringLiteral("True"));
    QCOMPARE(tab().Fn1->currentItem()->text(), u8("c.mp3"));
    QVERIFY(m_list->doneToFileList());

    // Saved: the live values.
    tab().Fn1->setCurrentRow(1);
    m_list->saveSetting(values);
    QCOMPARE(values.listDir, path);
    QCOMPARE(values.listDirIdx, 1);
    QCOMPARE(values.saveDir, save);
    QCOMPARE(values.doneToFn, 1);
    // A save folder that went away is emptied when the tab is shown.
    QVERIFY(QDir(save).removeRecursively());
    m_list->changeToTab(1, 1, false);
    QCOMPARE(tab().txtSaveDir->text(), QString());
}

// A row with a Chinese name is as tall as one without, in both lists.
void tst_FileBrowser::rowsOfOneHeight() {
    const QString path = folder(QStringLiteral("rows"), {u8("a.mp3"), u8("影片 一.mp3"),
                                                         u8("b.mp3"), u8("b/"), u8("資料夾/")});
    browse(path);
    m_list->show();
    QTRY_VERIFY_WITH_TIMEOUT(
        m_list->windowHandle() != nullptr && m_list->windowHandle()->isExposed(), 5000);
    for (QListWidget* list : {tab().Fn1, tab().Dir1}) {
        QSet<int> heights;
        for (int i = 0; i < list->count(); ++i) {
            heights << list->visualItemRect(list->item(i)).height();
        }
        QCOMPARE(heights.size(), 1);
    }
    QCOMPARE(tab().Fn1->count(), 3);
}

QTEST_MAIN(tst_FileBrowser)
#include "tst_filebrowser.moc"
