#pragma once

#include "core/files/DialogService.h"

#include <QList>
#include <QQueue>
#include <QStringList>

#include <optional>

// Answers the program's dialogs from a script and records everything it was shown.
//
//     ScriptedDialogs dialogs;              // installed until it goes out of scope
//     dialogs.answerMessage(MsgResult::Yes);
//     dialogs.answerFile({dir + "/a.flv"});
//     ... run the feature ...
//     QCOMPARE(dialogs.messageTexts(), QStringList{...});
//     QCOMPARE(dialogs.unexpected(), 0);
//
// Each kind of dialog takes its answers in the order they were queued. A dialog with no
// answer left never blocks: it is recorded, answered as a user who closes it would (Cancel,
// No, or Ok for an OK-only box; inputs and file dialogs cancelled) and counted in
// unexpected(). So is a message answer the box could not give (Yes for an OK box).
class ScriptedDialogs : public DialogHandler {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    void answerMessage(MsgResult result);
    void answerInput(const QString& text);
    void cancelInput();
    void answerFile(const QStringList& paths, int filterIndex = 0);
    void cancelFile();

    const QList<MessageRequest>& messages() const { return m_messages; }
    const QList<InputRequest>& inputs() const { return m_inputs; }
    const QList<FileDialogRequest>& fileDialogs() const { return m_fileDialogs; }

    // Shortcuts for the common checks.
    QStringList messageTexts() const;
    MessageRequest lastMessage() const;  // a default request when none was shown

    int unexpected() const { return m_unexpected; }
    // Answers queued but not used yet.
    int pending() const;

    // Forgets what was shown and every answer still queued.
    void clear();

    MsgResult message(const MessageRequest& request) override;
    std::optional<QString> input(const InputRequest& request) override;
    FileDialogReply fileDialog(const FileDialogRequest& request) override;

private:
    DialogHandler* m_previous = nullptr;
    QQueue<MsgResult> m_messageAnswers;
    QQueue<std::optional<QString>> m_inputAnswers;
    QQueue<FileDialogReply> m_fileAnswers;
    QList<MessageRequest> m_messages;
    QList<InputRequest> m_inputs;
    QList<FileDialogRequest> m_fileDialogs;
    int m_unexpected = 0;
};
