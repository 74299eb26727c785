#pragma once

#include "core/files/DialogService.h"

#include <memory>

class QFileDialog;
class QInputDialog;
class QMessageBox;

// The real dialogs of the program. Each dialog is built by a function that returns it
// configured but not shown, so its texts, buttons and filters can be checked without a
// modal loop; the DialogHandler functions build, show and read the answer.
class WidgetDialogHandler : public DialogHandler {
public:
    MsgResult message(const MessageRequest& request) override;
    std::optional<QString> input(const InputRequest& request) override;
    FileDialogReply fileDialog(const FileDialogRequest& request) override;

    static std::unique_ptr<QMessageBox> buildMessageBox(const MessageRequest& request);
    static std::unique_ptr<QInputDialog> buildInputDialog(const InputRequest& request);
    static std::unique_ptr<QFileDialog> buildFileDialog(const FileDialogRequest& request);

    // The answer of a finished box: the button clicked, or what closing it means.
    static MsgResult messageResult(const QMessageBox& box, MsgButtons buttons);
    // The reply of a finished file dialog.
    static FileDialogReply fileDialogReply(const QFileDialog& dialog,
                                           const FileDialogRequest& request, bool accepted);

    // Open and save flags the dialogs honour.
    static constexpr quint32 overwritePromptFlag = 0x2;
    static constexpr quint32 fileMustExistFlag = 0x1000;
};
