#include "gui/player/MainMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

MainMenus::MainMenus(QMenuBar* bar, QVector<MenuRow> rows) : QObject(bar), m_rows(std::move(rows)) {
    for (const MenuRow& row : std::as_const(m_rows)) {
        QMenu* parent = row.parent.isEmpty() ? nullptr : menu(row.parent);
        Q_ASSERT(row.parent.isEmpty() || parent != nullptr);
        if (row.kind == MenuRow::Kind::Menu) {
            QMenu* made =
                parent != nullptr ? parent->addMenu(row.caption) : bar->addMenu(row.caption);
            made->setObjectName(row.name);
            made->menuAction()->setEnabled(row.enabled);
            continue;
        }
        QAction* made = row.kind == MenuRow::Kind::Separator ? parent->addSeparator()
                                                             : parent->addAction(row.caption);
        made->setObjectName(row.name);
        made->setCheckable(row.kind == MenuRow::Kind::Check);
        made->setChecked(row.checked);
        made->setEnabled(row.enabled);
        if (row.action) {
            connect(made, &QAction::triggered, this, [run = row.action] { run(); });
        }
    }

    mnuOpen = action(QStringLiteral("mnuOpen"));
    mnuPlayLast = action(QStringLiteral("mnuPlayLast"));
    mnuSaveFile = action(QStringLiteral("mnuSaveFile"));
    mnuExplorer = action(QStringLiteral("mnuExplorer"));
    mnuAddToList = menu(QStringLiteral("mnuAddToList"));
    for (int i = 0; i < 3; ++i) {
        mnuToList[i] = action(QStringLiteral("mnuToList%1").arg(i));
    }
    mnuToListEnd = action(QStringLiteral("mnuToListEnd"));
    mnuStartList = action(QStringLiteral("mnuStartList"));
    mnuSaveNow = action(QStringLiteral("mnuSaveNow"));
    mnuEnd[0] = action(QStringLiteral("mnuEnd0"));
    mnuEnd[1] = action(QStringLiteral("mnuEnd1"));
    menuSpeed = menu(QStringLiteral("menuSpeed"));
    for (int i = 0; i < 11; ++i) {
        mnuSpeed[i] = action(QStringLiteral("mnuSpeed%1").arg(i));
    }
    menuSteps = menu(QStringLiteral("menuSteps"));
    for (int i = 0; i < 5; ++i) {
        mnuFB[i] = action(QStringLiteral("mnuFB%1").arg(i));
    }
    menuMarks = menu(QStringLiteral("menuMarks"));
    mnuRngEdit = action(QStringLiteral("mnuRngEdit"));
    mnuRngPlay[0] = action(QStringLiteral("mnuRngPlay0"));
    mnuRngPlay[1] = action(QStringLiteral("mnuRngPlay1"));
    mnuRngClear = action(QStringLiteral("mnuRngClear"));
    mnuSaveRng = action(QStringLiteral("mnuSaveRng"));
    mnuSaveCut = action(QStringLiteral("mnuSaveCut"));
    mnuExactCut = action(QStringLiteral("mnuExactCut"));
    mnuAutoAddMark = action(QStringLiteral("mnuAutoAddMark"));
    mnuKeepWH = action(QStringLiteral("mnuKeepWH"));
    mnuKeepDef = action(QStringLiteral("mnuKeepDef"));
    mnuScnFull = action(QStringLiteral("mnuScnFull"));
    mnuSaveCap = action(QStringLiteral("mnuSaveCap"));
}

QAction* MainMenus::action(const QString& name) const {
    auto* bar = qobject_cast<QMenuBar*>(parent());
    return bar != nullptr ? bar->findChild<QAction*>(name) : nullptr;
}

QMenu* MainMenus::menu(const QString& name) const {
    auto* bar = qobject_cast<QMenuBar*>(parent());
    return bar != nullptr ? bar->findChild<QMenu*>(name) : nullptr;
}
