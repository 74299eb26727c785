#pragma once

#include "core/lists/FolderBrowser.h"
#include "core/settings/SettingsFiles.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMimeData;
class ZelvoButton;
class frmList;

// The playlist window's file browser tab: the drives, the folders and the files of the
// browsed folder, and the tools' save options. While the tab is shown its file list is the
// list the player goes through. The folder data and rules live in FolderBrowser; this draws
// them and forwards the user's clicks.
class BrowserTab : public QWidget {
    Q_OBJECT

public:
    BrowserTab(frmList& owner, QWidget* panel);

    const FolderBrowser& browser() const { return m_browser; }
    // The browsed folder, with a trailing "/" ("" none).
    QString folder() const { return m_browser.folder(); }
    int count() const { return m_browser.count(); }
    int listIndex() const { return m_browser.selected(); }
    void setListIndex(int index);
    // The full path of file index (-1: the selected one).
    QString getFnFn(int index) const { return m_browser.getFnFn(index); }
    bool doneToFn() const;
    // The default save folder ("" none).
    QString saveFolder() const;
    // Picks the default save folder in a folder dialog.
    void mbSaveDir_Click();

    // The tab came to the front: the drives and the folder are read again.
    void tabShown();
    // The user picked drive index of Drv1.
    void Drv1_Change(int index);
    // The user clicked a folder of Dir1.
    void Dir1_Click(const QString& path);
    // The user double-clicked the selected file: it plays, and the list goes on through the
    // folder.
    void Fn1_DblClick();
    // Shows path's folder with the file of its name selected (case ignored).
    void showFile(const QString& path);
    // The browsed folder has gone: falls back to one that exists.
    void clearFolder();
    // Files dropped on the browser play as a drop on the player window does.
    void dropFiles(const QMimeData& dropped);

    void loadSetting(const SettingLine& line);
    void saveSetting(SettingsValues& values) const;

    QComboBox* Drv1 = nullptr;
    QListWidget* Dir1 = nullptr;
    QListWidget* Fn1 = nullptr;
    QLabel* lblSaveDir = nullptr;
    QLineEdit* txtSaveDir = nullptr;
    ZelvoButton* mbSaveDir = nullptr;
    QLabel* lblSaveDirHint = nullptr;
    QCheckBox* chkDoneToFn = nullptr;

Q_SIGNALS:
    // The folder shown or its selected file changed.
    void browsed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillDrives();
    // The drive of the browsed folder shown in Drv1.
    void showDrive();
    // Draws the folder and file lists from the browser and refreshes the buttons.
    void showFolder();
    void refreshLooks();
    void fallBackToDrive();
    // The tip of the file at pos ("" away from the files), kept as the list's tip.
    QString hoverFile(const QPoint& pos);

    frmList& m_owner;
    FolderBrowser m_browser;
    QStringList m_roots;
    // A ListDir setting opened its folder, so a ListDirIdx setting may select in it.
    bool m_listDirRestored = false;
};
