#include "gui/tooltabs/ToolTab.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "gui/playlist/frmListTexts.h"
#include "gui/tooltabs/ToolTabTexts.h"

#include <QLayout>
#include <QPushButton>

ToolTab::ToolTab(QWidget* panel) : QWidget(panel) {
    if (panel != nullptr && panel->layout() != nullptr) {
        panel->layout()->addWidget(this);
    }
}

QString ToolTab::note() const {
    return frmListTexts::noteTool(runCaption());
}

QString ToolTab::playCaption() const {
    return frmListTexts::mnuPlaySpec();
}

QPushButton* ToolTab::makeRunButton(const QString& objectName) {
    m_run = new QPushButton(runCaption(), this);
    m_run->setObjectName(objectName);
    m_run->setAutoDefault(false);
    connect(m_run, &QPushButton::clicked, this, [this] { run(); });
    return m_run;
}

void ToolTab::setRunnable(bool usable, const QString& missing) {
    if (m_run != nullptr) {
        m_run->setEnabled(usable);
        m_run->setToolTip(usable ? QString() : missing);
    }
}

void ToolTab::setPlayable(const QString& path) {
    if (path != m_playable) {
        m_playable = path;
        Q_EMIT playableChanged(path);
    }
}

QString ToolTab::askSaveFile(const QString& source, const QString& ext, const QString& proposed) {
    CommDialog dialog;
    dialog.setOwnerWindow(window());
    dialog.setInitDir(workDir(source));
    dialog.setFilter(toolTabTexts::saveFilter(ext));
    dialog.setFilterIndex(1);
    dialog.setDefaultExt(QStringLiteral(".") + ext);
    dialog.setFileName(proposed);
    return dialog.ShowSave(true);
}

QString ToolTab::askFolder(const QString& source, const QString& prompt) {
    CommDialog dialog;
    dialog.setOwnerWindow(window());
    dialog.setInitDir(workDir(source));
    dialog.setDialogTitle(prompt);
    return dialog.ShowDir(true);
}

QString ToolTab::workDir(const QString& source) const {
    return getWorkDir(source, saveFolder ? saveFolder() : QString());
}
