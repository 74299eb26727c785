#pragma once
// Stand-ins for the program's two windows, for tests that need one without the real window:
// what a test sets is what the window answers, and what is asked of it is recorded.
#include "gui/windows/ListWindow.h"
#include "gui/windows/PlayerWindow.h"

#include <QStringList>

class FakePlayerWindow : public PlayerWindow {
public:
    QWidget* window = nullptr;

    QWidget* form() override { return window; }
    QString fileName() const override { return QString(); }
    void closeRunFn(const QString&) override {}
    void playSingle(const QString&, bool) override {}
    void newPlay(const QString&, const QString&) override {}
    void playEntry(const PlaylistEntry&) override {}
    void dropFiles(const QMimeData&) override {}
    void shareBnStop(bool, bool, bool) override {}
    void mbStop_Click() override {}
    void pausePrFn() override {}
    void playErrorMsg(const QString&, const QString&) override {}
    void selectRnd() override {}
    void fncEbCheck() override {}
    void setListStepLooks(int) override {}
    void returnFocus(bool) override {}
    void mnToList(int, const QString&) override {}
    void saveFile(const QString&, bool) override {}

    bool hasMarks() const override { return false; }
    QList<QPair<QString, QString>> markTimes() const override { return {}; }
    double totalSeconds() const override { return 0.0; }
    double secPerFrame() const override { return 0.0; }
    void applyMark() override {}
    void mnuRngEdit_Click() override {}
    void playRange(qint32, qint32) override {}
};

class FakeListWindow : public ListWindow {
public:
    QWidget* window = nullptr;
    QStringList entries;
    int index = -1;
    int setting = 0;
    bool browser = false;
    QString folder;   // the browser's folder
    QString saveDir;  // the default save folder
    bool doneToList = false;
    QStringList shownInFileList;

    QWidget* form() override { return window; }
    bool browserActive() const override { return browser; }
    bool hasPlaylist() const override { return !browser; }
    int count() const override { return static_cast<int>(entries.size()); }
    int listIndex() const override { return index; }
    void setListIndex(int i) override { index = i; }
    PlaylistEntry selectedEntry() const override {
        return PlaylistEntry::fromItemText(entries.value(index));
    }
    void setPlayingEntry(bool) override {}
    void setMoveLooks(int, int) override {}
    int playSetting() const override { return setting; }
    void mnuPlaySetting_Click(int i) override { setting = i; }
    void mbStopLoop_Click() override {}
    void addToList(const QString&, bool, bool) override {}
    int lastPlaylist() const override { return 0; }
    // "area,tab,returnFocus" of each switch asked for.
    QStringList tabsShown;
    void changeToTab(int area, int tab, bool returnFocus) override {
        tabsShown << QStringLiteral("%1,%2,%3").arg(area).arg(tab).arg(returnFocus ? 1 : 0);
    }
    void loadMark() override {}
    void checkCmdRng() override {}
    QStringList marksLines() const override { return {}; }
    void getStartEnd(const QString&, qint32&, qint32&) const override {}
    void loadSetting(const SettingLine&) override {}
    void saveSetting(SettingsValues&) const override {}
    void loadLists(const StoredLists&) override {}
    StoredLists storedLists() const override { return {}; }
    QString browserFolder() const override { return folder; }
    QString saveFolder() const override { return saveDir; }
    void showSaveFolderBox() override { ++saveFolderBoxShown; }
    QStringList repaired;  // files the repair tab was shown with
    void repairFile(const QString& path) override { repaired << path; }
    int saveFolderBoxShown = 0;
    bool doneToFileList() const override { return doneToList; }
    void showInFileList(const QString& path) override { shownInFileList << path; }
};
