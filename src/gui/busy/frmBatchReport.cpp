#include "gui/busy/frmBatchReport.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/jobs/BatchTexts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

frmBatchReport::frmBatchReport(const QStringList& lines, const QString& firstOutput,
                               QWidget* parent)
    : QDialog(parent), m_lines(lines), m_firstOutput(firstOutput) {
    setObjectName(QStringLiteral("frmBatchReport"));
    setWindowTitle(batchTexts::reportTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    txtReport = new QPlainTextEdit(this);
    txtReport->setObjectName(QStringLiteral("txtReport"));
    txtReport->setReadOnly(true);
    txtReport->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtReport->setPlainText(lines.join(QLatin1Char('\n')));
    const auto button = [this](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    cmdCopy = button(QStringLiteral("cmdCopy"), batchTexts::copyButton());
    cmdSave = button(QStringLiteral("cmdSave"), batchTexts::saveButton());
    cmdFolder = button(QStringLiteral("cmdFolder"), batchTexts::folderButton());
    cmdClose = button(QStringLiteral("cmdClose"), batchTexts::closeButton());
    cmdFolder->setEnabled(!firstOutput.isEmpty());
    connect(cmdCopy, &QPushButton::clicked, this, &frmBatchReport::copyText);
    connect(cmdSave, &QPushButton::clicked, this, [this] { saveText(); });
    connect(cmdFolder, &QPushButton::clicked, this, &frmBatchReport::showOutputs);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdCopy);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdFolder);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtReport, 1);
    layout->addLayout(buttons);
    resize(640, 360);
}

QString frmBatchReport::text() const {
    return m_lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

void frmBatchReport::copyText() {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setText(text());
    }
}

bool frmBatchReport::saveText() {
    CommDialog dialog;
    dialog.setOwnerWindow(this);
    dialog.setInitDir(m_firstOutput.isEmpty()
                          ? QString()
                          : FileObject::shared().GetParentFolderName(m_firstOutput));
    dialog.setFilter(batchTexts::saveFilter());
    dialog.setFilterIndex(1);
    dialog.setDefaultExt(QStringLiteral(".txt"));
    dialog.setFileName(batchTexts::proposedReportName());
    const QString path = dialog.ShowSave(true);
    if (path.isEmpty()) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text().toUtf8()) < 0 || !file.commit()) {
        msgBox(batchTexts::cannotSave(path), MsgButtons::Ok, titles::error(), MsgIcon::Critical,
               this);
        return false;
    }
    return true;
}

void frmBatchReport::showOutputs() {
    if (!m_firstOutput.isEmpty() && showFolder) {
        showFolder(m_firstOutput);
    }
}
