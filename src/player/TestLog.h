#pragma once

#include "services/DialogService.h"

#include <QFile>
#include <QObject>
#include <QString>

class frmMain;

// The program's log for end-to-end tests, switched on by the environment variable
// ZELVO_TEST_LOG (the path of a file to append to). With it the program never waits on a
// modal box: every message box is written to the file and answered with its default
// button, input boxes and file dialogs are written and cancelled. The main window's
// status text (with the current time and frame) and where it placed the picture are
// written as well, so a test that drives the real program can read what a user would
// see. One line each, fields separated by TAB, CR LF inside a text written as "\n":
//   message <TAB> title <TAB> buttons <TAB> text
//   input <TAB> title <TAB> prompt
//   file <TAB> title
//   status <TAB> status text <TAB> current time <TAB> frame
//   picture <TAB> x y width height   (window coordinates)
//   window <TAB> normal | maximised | minimised <TAB> width height
class TestLog : public QObject, public DialogHandler {
    Q_OBJECT

public:
    // Installs the log for window when ZELVO_TEST_LOG is set; otherwise returns nullptr.
    static TestLog* installFromEnvironment(frmMain* window);
    ~TestLog() override;

    MsgResult message(const MessageRequest& request) override;
    std::optional<QString> input(const InputRequest& request) override;
    FileDialogReply fileDialog(const FileDialogRequest& request) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TestLog(const QString& path, frmMain* window);
    void write(const QStringList& fields);

    QFile m_file;
    DialogHandler* m_previous = nullptr;
};
