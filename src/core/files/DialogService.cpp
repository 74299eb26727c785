#include "core/files/DialogService.h"

#include <QDebug>

namespace titles {
QString notice() {
    return QStringLiteral("注意事項");
}
QString error() {
    return QStringLiteral("錯誤訊息");
}
QString app() {
    return QStringLiteral("Zelvo.FLV");
}
}  // namespace titles

DialogHandler::~DialogHandler() = default;

namespace {

// Used while no real or scripted handler is installed (tools, early start-up, tests that
// forgot to script a box): a dialog must never wait for a user who is not there.
class SilentDialogHandler final : public DialogHandler {
public:
    MsgResult message(const MessageRequest& request) override {
        const MsgResult result = DialogService::closedResult(request.buttons);
        qWarning().noquote() << "Unanswered message box:" << request.title << "|" << request.text;
        return result;
    }

    std::optional<QString> input(const InputRequest& request) override {
        qWarning().noquote() << "Unanswered input box:" << request.title << "|" << request.prompt;
        return std::nullopt;
    }

    FileDialogReply fileDialog(const FileDialogRequest& request) override {
        qWarning().noquote() << "Unanswered file dialog:" << request.title << "|"
                             << request.initDir;
        return {};
    }
};

SilentDialogHandler& silentHandler() {
    static SilentDialogHandler handler;
    return handler;
}

DialogHandler* g_installed = nullptr;

}  // namespace

DialogHandler* DialogService::setHandler(DialogHandler* handler) {
    DialogHandler* previous = g_installed;
    g_installed = handler;
    return previous;
}

DialogHandler& DialogService::handler() {
    if (g_installed) {
        return *g_installed;
    }
    return silentHandler();
}

MsgResult DialogService::closedResult(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return MsgResult::Ok;
        case MsgButtons::YesNo:
            return MsgResult::No;
        case MsgButtons::OkCancel:
        case MsgButtons::YesNoCancel:
            break;
    }
    return MsgResult::Cancel;
}

MsgResult msgBox(const QString& text, MsgButtons buttons, const QString& title, MsgIcon icon,
                 QObject* owner, int defaultButton) {
    MessageRequest request;
    request.text = text;
    request.title = title.isEmpty() ? titles::app() : title;
    request.buttons = buttons;
    request.icon = icon;
    request.defaultButton = defaultButton;
    request.owner = owner;
    return DialogService::handler().message(request);
}

QString inputBox(const QString& prompt, const QString& title, const QString& defaultText,
                 QObject* owner, bool* cancelled) {
    InputRequest request;
    request.prompt = prompt;
    request.title = title.isEmpty() ? titles::app() : title;
    request.defaultText = defaultText;
    request.owner = owner;
    const std::optional<QString> answer = DialogService::handler().input(request);
    if (cancelled) {
        *cancelled = !answer.has_value();
    }
    return answer.value_or(QString());
}
