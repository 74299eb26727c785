#pragma once

#include <QObject>
#include <QString>
#include <QVector>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;

// One row of the main window's menus: where it goes, its name and caption, and what a
// click does. The window's menus are a table of these; the window builds them from it and
// the tests walk it.
struct MenuRow {
    enum class Kind { Menu, Item, Check, Separator };
    QString parent;  // the object name of the menu it goes into; "" for the menu bar
    QString name;    // the object name ("mnuOpen", "mnuSpeed3")
    QString caption;
    Kind kind = Kind::Item;
    bool enabled = true;
    bool checked = false;
    // Runs on a click, after a check item has turned its mark over; none for menus and
    // separators, and for items whose action belongs to someone else.
    std::function<void()> action;
};

// The main window's menus and their items, built from the table, with the names the
// player's code uses for them.
class MainMenus : public QObject {
    Q_OBJECT

public:
    MainMenus(QMenuBar* bar, QVector<MenuRow> rows);

    const QVector<MenuRow>& rows() const { return m_rows; }
    // The item or separator of this object name; nullptr when there is none.
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

    // 檔案
    QAction* mnuOpen = nullptr;
    QAction* mnuPlayLast = nullptr;
    QAction* mnuSaveFile = nullptr;
    QAction* mnuExplorer = nullptr;
    QMenu* mnuAddToList = nullptr;
    QAction* mnuToList[3] = {nullptr, nullptr, nullptr};
    QAction* mnuToListEnd = nullptr;
    QAction* mnuStartList = nullptr;
    QAction* mnuSaveNow = nullptr;
    QAction* mnuEnd[2] = {nullptr, nullptr};
    // 播放: speeds 0..8 and the custom speed 10 (9 is the separator), step modes 0..2
    // and the custom amount 4 (3 is the separator).
    QMenu* menuSpeed = nullptr;
    QAction* mnuSpeed[11] = {};
    QMenu* menuSteps = nullptr;
    QAction* mnuFB[5] = {};
    // 標記剪輯
    QMenu* menuMarks = nullptr;
    QAction* mnuRngEdit = nullptr;
    QAction* mnuRngPlay[2] = {nullptr, nullptr};
    QAction* mnuRngClear = nullptr;
    QAction* mnuSaveRng = nullptr;
    QAction* mnuSaveCut = nullptr;
    QAction* mnuExactCut = nullptr;
    QAction* mnuAutoAddMark = nullptr;
    // 畫面
    QAction* mnuKeepWH = nullptr;
    QAction* mnuKeepDef = nullptr;
    QAction* mnuScnFull = nullptr;
    QAction* mnuSaveCap = nullptr;

private:
    QVector<MenuRow> m_rows;
};
