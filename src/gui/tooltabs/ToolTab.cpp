#include "gui/tooltabs/ToolTab.h"

#include "gui/playlist/frmListTexts.h"

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
