#include "gui/dialogs/WidgetDialogHandler.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSpacerItem>

namespace {

// Every text these dialogs show of their own.
struct Texts {
    QString ok = QStringLiteral("確定");
    QString cancel = QStringLiteral("取消");
    QString yes = QStringLiteral("是");
    QString no = QStringLiteral("否");
    QString open = QStringLiteral("開啟");
    QString save = QStringLiteral("儲存");
    QString openTitle = QStringLiteral("開啟舊檔");
    QString saveTitle = QStringLiteral("另存新檔");
    QString folderTitle = QStringLiteral("瀏覽資料夾");
    QString lookIn = QStringLiteral("查詢：");
    QString fileName = QStringLiteral("檔案名稱：");
    QString folderName = QStringLiteral("資料夾：");
    QString fileType = QStringLiteral("檔案類型：");
};

const Texts& text() {
    static const Texts texts;
    return texts;
}

// The program writes its lines joined by CR LF; a label wants plain line feeds.
QString displayText(QString lines) {
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    return lines;
}

QWidget* parentFor(QObject* owner) {
    if (auto* widget = qobject_cast<QWidget*>(owner)) {
        return widget;
    }
    return QApplication::activeWindow();
}

QMessageBox::Icon boxIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct BoxButton {
    QMessageBox::StandardButton button;
    QString text;
};

// The buttons in the order a default-button number counts them.
QList<BoxButton> boxButtons(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return {{QMessageBox::Ok, text().ok}};
        case MsgButtons::OkCancel:
            return {{QMessageBox::Ok, text().ok}, {QMessageBox::Cancel, text().cancel}};
        case MsgButtons::YesNo:
            return {{QMessageBox::Yes, text().yes}, {QMessageBox::No, text().no}};
        case MsgButtons::YesNoCancel:
            break;
    }
    return {{QMessageBox::Yes, text().yes},
            {QMessageBox::No, text().no},
            {QMessageBox::Cancel, text().cancel}};
}

// Shows a built dialog. The guard tells whether the dialog survived its modal loop: the
// owner may be closed, and delete it, while it runs.
template <typename Dialog>
int execGuarded(std::unique_ptr<Dialog> built, QPointer<Dialog>& guard) {
    guard = built.release();
    return guard->exec();
}

// The folder dialog has no prompt of its own: the prompt goes above everything else.
void addPrompt(QFileDialog& dialog, const QString& prompt) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid) {
        dialog.setWindowTitle(displayText(prompt).replace(u'\n', u' '));
        return;
    }
    struct Cell {
        QLayoutItem* item;
        int row, column, rowSpan, columnSpan;
    };
    QList<Cell> cells;
    while (grid->count() > 0) {
        Cell cell{nullptr, 0, 0, 0, 0};
        grid->getItemPosition(0, &cell.row, &cell.column, &cell.rowSpan, &cell.columnSpan);
        cell.item = grid->takeAt(0);
        cells.append(cell);
    }
    auto* label = new QLabel(&dialog);
    label->setObjectName(QStringLiteral("folderPrompt"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setText(displayText(prompt));
    grid->addWidget(label, 0, 0, 1, qMax(1, grid->columnCount()));
    for (const Cell& cell : cells) {
        grid->addItem(cell.item, cell.row + 1, cell.column, cell.rowSpan, cell.columnSpan);
    }
}

// With the filter details hidden the dialog names the chosen filter by its description
// alone, so a filter is found by its whole text or by the text before its patterns.
qsizetype filterIndexOf(const QStringList& filters, const QString& selected) {
    const qsizetype exact = filters.indexOf(selected);
    if (exact >= 0) {
        return exact;
    }
    for (qsizetype i = 0; i < filters.size(); ++i) {
        const QString& filter = filters.at(i);
        const qsizetype open = filter.lastIndexOf(u'(');
        if (open > 0 && filter.endsWith(u')') && filter.left(open).trimmed() == selected) {
            return i;
        }
    }
    return -1;
}

}  // namespace

std::unique_ptr<QMessageBox> WidgetDialogHandler::buildMessageBox(const MessageRequest& request) {
    auto box = std::make_unique<QMessageBox>(parentFor(request.owner));
    box->setWindowTitle(request.title);
    box->setTextFormat(Qt::PlainText);
    box->setText(displayText(request.text));
    box->setIcon(boxIcon(request.icon));

    const QList<BoxButton> buttons = boxButtons(request.buttons);
    QMessageBox::StandardButtons set;
    for (const BoxButton& b : buttons) {
        set |= b.button;
    }
    box->setStandardButtons(set);
    for (const BoxButton& b : buttons) {
        box->button(b.button)->setText(b.text);
    }
    // A number past the last button means the first, as the system box does.
    const qsizetype index = request.defaultButton >= 0 && request.defaultButton < buttons.size()
                                ? request.defaultButton
                                : 0;
    box->setDefaultButton(buttons.at(index).button);
    if (!request.extraButton.isEmpty()) {
        box->addButton(request.extraButton, QMessageBox::ActionRole)
            ->setObjectName(QStringLiteral("extraButton"));
    }
    // The window manager squeezes a title wider than the box ("Z… V"): the box is made wide
    // enough for its title and the title bar's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        QFont titleFont = box->font();
        titleFont.setBold(true);
        const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(request.title) + 140;
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

MsgResult WidgetDialogHandler::messageResult(const QMessageBox& box, MsgButtons buttons) {
    if (box.clickedButton() != nullptr &&
        box.clickedButton()->objectName() == QLatin1String("extraButton")) {
        return MsgResult::Extra;
    }
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok:
            return MsgResult::Ok;
        case QMessageBox::Cancel:
            return MsgResult::Cancel;
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        default:
            break;
    }
    return DialogService::closedResult(buttons);
}

MsgResult WidgetDialogHandler::message(const MessageRequest& request) {
    // The start-up picture stays on top of every window: a box asked for while it shows
    // would open under it, its buttons hidden. The picture goes first.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("frmSplash") && top->isVisible()) {
            top->hide();
        }
    }
    QPointer<QMessageBox> box;
    execGuarded(buildMessageBox(request), box);
    if (!box) {
        return DialogService::closedResult(request.buttons);
    }
    const MsgResult result = messageResult(*box, request.buttons);
    delete box.data();
    return result;
}

std::unique_ptr<QInputDialog> WidgetDialogHandler::buildInputDialog(const InputRequest& request) {
    auto dialog = std::make_unique<QInputDialog>(parentFor(request.owner));
    dialog->setWindowTitle(request.title);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setLabelText(displayText(request.prompt));
    dialog->setTextValue(request.defaultText);
    dialog->setOkButtonText(text().ok);
    dialog->setCancelButtonText(text().cancel);
    // The prompt is the program's text, never markup.
    if (auto* label = dialog->findChild<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
    }
    return dialog;
}

std::optional<QString> WidgetDialogHandler::input(const InputRequest& request) {
    QPointer<QInputDialog> dialog;
    const int code = execGuarded(buildInputDialog(request), dialog);
    if (!dialog) {
        return std::nullopt;
    }
    std::optional<QString> answer;
    if (code == QDialog::Accepted) {
        answer = dialog->textValue();
    }
    delete dialog.data();
    return answer;
}

std::unique_ptr<QFileDialog> WidgetDialogHandler::buildFileDialog(
    const FileDialogRequest& request) {
    using Kind = FileDialogRequest::Kind;
    auto dialog = std::make_unique<QFileDialog>(parentFor(request.owner));
    // Qt's own dialog on every desktop: it shows the program's filter descriptions as
    // written and can carry the folder prompt.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);

    QString defaultTitle;
    QString acceptText;
    switch (request.kind) {
        case Kind::Open:
        case Kind::OpenMulti:
            dialog->setAcceptMode(QFileDialog::AcceptOpen);
            if (request.kind == Kind::OpenMulti) {
                dialog->setFileMode(QFileDialog::ExistingFiles);
            } else {
                dialog->setFileMode((request.flags & fileMustExistFlag) != 0
                                        ? QFileDialog::ExistingFile
                                        : QFileDialog::AnyFile);
            }
            acceptText = text().open;
            defaultTitle = text().openTitle;
            break;
        case Kind::Save:
            dialog->setAcceptMode(QFileDialog::AcceptSave);
            dialog->setFileMode(QFileDialog::AnyFile);
            dialog->setOption(QFileDialog::DontConfirmOverwrite,
                              (request.flags & overwritePromptFlag) == 0);
            acceptText = text().save;
            defaultTitle = text().saveTitle;
            break;
        case Kind::Folder:
            dialog->setAcceptMode(QFileDialog::AcceptOpen);
            dialog->setFileMode(QFileDialog::Directory);
            dialog->setOption(QFileDialog::ShowDirsOnly);
            acceptText = text().ok;
            break;
    }

    // After the modes: changing a mode puts back Qt's own button texts.
    dialog->setLabelText(QFileDialog::LookIn, text().lookIn);
    dialog->setLabelText(QFileDialog::FileName,
                         request.kind == Kind::Folder ? text().folderName : text().fileName);
    dialog->setLabelText(QFileDialog::FileType, text().fileType);
    dialog->setLabelText(QFileDialog::Accept, acceptText);
    dialog->setLabelText(QFileDialog::Reject, text().cancel);

    if (request.kind == Kind::Folder) {
        // A folder has no file type to choose: the row would only show Qt's own word.
        for (const char* name : {"fileTypeCombo", "fileTypeLabel"}) {
            if (auto* widget = dialog->findChild<QWidget*>(QLatin1String(name))) {
                widget->hide();
            }
        }
        dialog->setWindowTitle(text().folderTitle);
        if (!request.title.isEmpty()) {
            addPrompt(*dialog, request.title);
        }
    } else {
        dialog->setWindowTitle(request.title.isEmpty() ? defaultTitle : request.title);
    }

    if (!request.initDir.isEmpty()) {
        dialog->setDirectory(request.initDir);
    }
    if (request.kind != Kind::Folder) {
        if (!request.filters.isEmpty()) {
            dialog->setNameFilters(request.filters);
            const qsizetype index =
                request.filterIndex >= 0 && request.filterIndex < request.filters.size()
                    ? request.filterIndex
                    : 0;
            dialog->selectNameFilter(request.filters.at(index));
        }
        QString suffix = request.defaultExt;
        while (suffix.startsWith(u'.')) {
            suffix.remove(0, 1);
        }
        dialog->setDefaultSuffix(suffix);
        // After the filter: choosing a filter may rewrite the name's extension.
        if (!request.fileName.isEmpty()) {
            dialog->selectFile(request.fileName);
        }
    }
    return dialog;
}

FileDialogReply WidgetDialogHandler::fileDialogReply(const QFileDialog& dialog,
                                                     const FileDialogRequest& request,
                                                     bool accepted) {
    FileDialogReply reply;
    reply.filterIndex = qMax(0, request.filterIndex);
    if (!accepted) {
        return reply;
    }
    reply.accepted = true;
    reply.paths = dialog.selectedFiles();
    if (request.kind != FileDialogRequest::Kind::Folder) {
        const qsizetype index = filterIndexOf(request.filters, dialog.selectedNameFilter());
        if (index >= 0) {
            reply.filterIndex = static_cast<int>(index);
        }
    }
    if (request.kind != FileDialogRequest::Kind::OpenMulti && reply.paths.size() > 1) {
        reply.paths = QStringList{reply.paths.constFirst()};
    }
    return reply;
}

FileDialogReply WidgetDialogHandler::fileDialog(const FileDialogRequest& request) {
    QPointer<QFileDialog> dialog;
    const int code = execGuarded(buildFileDialog(request), dialog);
    if (!dialog) {
        FileDialogReply cancelled;
        cancelled.filterIndex = qMax(0, request.filterIndex);
        return cancelled;
    }
    const FileDialogReply reply = fileDialogReply(*dialog, request, code == QDialog::Accepted);
    delete dialog.data();
    return reply;
}
