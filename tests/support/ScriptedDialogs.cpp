#include "ScriptedDialogs.h"

#include <QDebug>

namespace {

bool boxCanAnswer(const MessageRequest& request, MsgResult result) {
    if (result == MsgResult::Extra) {
        return !request.extraButton.isEmpty();
    }
    switch (request.buttons) {
        case MsgButtons::Ok:
            return result == MsgResult::Ok;
        case MsgButtons::OkCancel:
            return result == MsgResult::Ok || result == MsgResult::Cancel;
        case MsgButtons::YesNo:
            return result == MsgResult::Yes || result == MsgResult::No;
        case MsgButtons::YesNoCancel:
            break;
    }
    return result != MsgResult::Ok;
}

}  // namespace

ScriptedDialogs::ScriptedDialogs() : m_previous(DialogService::setHandler(this)) {}

ScriptedDialogs::~ScriptedDialogs() {
    DialogService::setHandler(m_previous);
}

void ScriptedDialogs::answerMessage(MsgResult result) {
    m_messageAnswers.enqueue(result);
}

void ScriptedDialogs::answerInput(const QString& text) {
    m_inputAnswers.enqueue(text);
}

void ScriptedDialogs::cancelInput() {
    m_inputAnswers.enqueue(std::nullopt);
}

void ScriptedDialogs::answerFile(const QStringList& paths, int filterIndex) {
    FileDialogReply reply;
    reply.accepted = true;
    reply.paths = paths;
    reply.filterIndex = filterIndex;
    m_fileAnswers.enqueue(reply);
}

void ScriptedDialogs::cancelFile() {
    m_fileAnswers.enqueue(FileDialogReply{});
}

QStringList ScriptedDialogs::messageTexts() const {
    QStringList texts;
    for (const MessageRequest& request : m_messages) {
        texts.append(request.text);
    }
    return texts;
}

MessageRequest ScriptedDialogs::lastMessage() const {
    return m_messages.isEmpty() ? MessageRequest{} : m_messages.constLast();
}

int ScriptedDialogs::pending() const {
    return static_cast<int>(m_messageAnswers.size() + m_inputAnswers.size() + m_fileAnswers.size());
}

void ScriptedDialogs::clear() {
    m_messageAnswers.clear();
    m_inputAnswers.clear();
    m_fileAnswers.clear();
    m_messages.clear();
    m_inputs.clear();
    m_fileDialogs.clear();
    m_unexpected = 0;
}

MsgResult ScriptedDialogs::message(const MessageRequest& request) {
    m_messages.append(request);
    if (m_messageAnswers.isEmpty()) {
        ++m_unexpected;
        qWarning().noquote() << "ScriptedDialogs: no answer for message box" << request.title << "|"
                             << request.text;
        return DialogService::closedResult(request.buttons);
    }
    const MsgResult answer = m_messageAnswers.dequeue();
    if (!boxCanAnswer(request, answer)) {
        ++m_unexpected;
        qWarning().noquote() << "ScriptedDialogs: scripted answer" << static_cast<int>(answer)
                             << "is not a button of message box" << request.title << "|"
                             << request.text;
        return DialogService::closedResult(request.buttons);
    }
    return answer;
}

std::optional<QString> ScriptedDialogs::input(const InputRequest& request) {
    m_inputs.append(request);
    if (m_inputAnswers.isEmpty()) {
        ++m_unexpected;
        qWarning().noquote() << "ScriptedDialogs: no answer for input box" << request.title << "|"
                             << request.prompt;
        return std::nullopt;
    }
    return m_inputAnswers.dequeue();
}

FileDialogReply ScriptedDialogs::fileDialog(const FileDialogRequest& request) {
    m_fileDialogs.append(request);
    if (m_fileAnswers.isEmpty()) {
        ++m_unexpected;
        qWarning().noquote() << "ScriptedDialogs: no answer for file dialog" << request.title;
        FileDialogReply cancelled;
        cancelled.filterIndex = qMax(0, request.filterIndex);
        return cancelled;
    }
    return m_fileAnswers.dequeue();
}
