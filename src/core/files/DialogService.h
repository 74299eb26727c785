#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

class QObject;

// Message boxes, input boxes and file dialogs go through one replaceable handler, so the
// program's logic stays free of widgets and tests can script the answers and read what
// the user would have been shown.

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Question, Exclamation, Critical };
// Extra: the caller's own button of the box (MessageRequest::extraButton).
enum class MsgResult { Ok, Cancel, Yes, No, Extra };

namespace titles {
QString notice();  // "注意事項": questions and notices
QString error();   // "錯誤訊息": errors
QString app();     // "Zelvo.FLV": every other box
}  // namespace titles

struct MessageRequest {
    QString text;  // lines joined by CR LF, as the program writes them
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    int defaultButton = 0;  // 0-based, in the order Ok/Yes, No, Cancel as the buttons read
    // The text of one more button, of the caller's own, after the others: a choice the
    // box offers beyond its usual answers (MsgResult::Extra); "" for none.
    QString extraButton;
    QObject* owner = nullptr;
};

struct InputRequest {
    QString prompt;
    QString title;
    QString defaultText;
    QObject* owner = nullptr;
};

struct FileDialogRequest {
    enum class Kind { Open, OpenMulti, Save, Folder };
    Kind kind = Kind::Open;
    QString title;  // for Folder: the prompt shown above the folders
    QString initDir;
    QString fileName;
    QStringList filters;  // Qt form "desc (p1 p2)"
    int filterIndex = 0;  // 0-based
    QString defaultExt;   // as the caller wrote it, possibly with a leading "."
    quint32 flags = 0;    // the caller's OpenFlags, SaveFlags or BrowseFlags
    QObject* owner = nullptr;
};

struct FileDialogReply {
    bool accepted = false;
    QStringList paths;    // full paths; one entry except for OpenMulti
    int filterIndex = 0;  // 0-based index of the filter in use when the user accepted
};

class DialogHandler {
public:
    virtual ~DialogHandler();
    virtual MsgResult message(const MessageRequest& request) = 0;
    // std::nullopt when the user cancelled.
    virtual std::optional<QString> input(const InputRequest& request) = 0;
    virtual FileDialogReply fileDialog(const FileDialogRequest& request) = 0;
};

class DialogService {
public:
    // Installs a handler (nullptr: back to the built-in one) and returns the handler that
    // was installed before (nullptr when it was the built-in one).
    static DialogHandler* setHandler(DialogHandler* handler);

    // The installed handler, or the built-in one: it never blocks, reports every request
    // with qWarning and answers as a user who closes the box would (Cancel, No, or Ok for
    // an OK-only box; inputs and file dialogs cancelled).
    static DialogHandler& handler();

    // What a box answers when it is closed without a choice.
    static MsgResult closedResult(MsgButtons buttons);
};

// The program's message box. An empty title gives titles::app().
MsgResult msgBox(const QString& text, MsgButtons buttons = MsgButtons::Ok,
                 const QString& title = QString(), MsgIcon icon = MsgIcon::None,
                 QObject* owner = nullptr, int defaultButton = 0);

// The program's input box: the typed text, or "" when cancelled (*cancelled tells the two
// apart). An empty title gives titles::app().
QString inputBox(const QString& prompt, const QString& title = QString(),
                 const QString& defaultText = QString(), QObject* owner = nullptr,
                 bool* cancelled = nullptr);
