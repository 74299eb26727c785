#pragma once

#include "core/files/DialogService.h"

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>

class frmMain;

// The program's log for end-to-end tests, switched on by the environment variable
// ZELVO_TEST_LOG (the path of a file to append to). With it the program never waits on a
// modal box: every message box is written to the file and answered with its default
// button, input boxes and file dialogs are written and cancelled. The main window's
// status text (with the current time and frame) and where it placed the picture are
// written as well, so a test that drives the real program can read what a user would
// see. ZELVO_TEST_ANSWERS may name a file of answers, one a line, "message <TAB> Ok |
// Cancel | Yes | No [<TAB> start of the box's text]" or "file <TAB> path [<TAB> path ...]":
// each box takes the first answer left whose text start it begins with (none: any box), each
// file dialog the next answer's paths (a multi-select dialog all of them), and the default when
// there is no answer. So that a test can click the menus, where the menu bar's titles and each
// shown menu's items are on screen is written too; a submenu's item is named by its menu's
// object name. For the other windows given to watchWindow (the playlist window) the same is
// written for their menu bars, with where their image buttons and the lines of their shown
// lists are, again whenever a list changes or the window is shown, moved or resized. Which
// file the player starts, and with which marks, is written as it opens, and the main window's
// caption as it changes; the playlist window's tab whenever it shows one, and its file
// browser's folder and selected file as they change.
// One line each, fields separated by TAB, CR LF inside a text written as "\n":
//   message <TAB> title <TAB> buttons <TAB> text
//   input <TAB> title <TAB> prompt
//   file <TAB> title <TAB> start folder <TAB> proposed file name
//   status <TAB> status text <TAB> current time <TAB> frame
//   picture <TAB> x y width height   (window coordinates)
//   window <TAB> normal | maximised | minimised <TAB> width height
//   caption <TAB> the main window's caption (at start and whenever it changes)
//   menu <TAB> title <TAB> x y width height          (screen coordinates)
//   menuitem <TAB> object name <TAB> enabled | disabled <TAB> x y width height
//   button <TAB> object name <TAB> enabled | down | disabled <TAB> x y width height  (screen)
//   row <TAB> list object name <TAB> index <TAB> line <TAB> x y width height   (screen; a
//       TAB between the line's columns written as "\t")
//   play <TAB> path <TAB> marks ("" none)
//   tab <TAB> area * 10 + tab   (the playlist window's shown tab; 11 the file browser)
//   browser <TAB> folder (ending in "/") <TAB> selected file's name ("" none)
//   report <TAB> line   (each line of a batch's report, as it is shown)
//   seekbar <TAB> x y width height   (screen; when the window is shown, moved or resized)
//   preview <TAB> time text <TAB> x y width height   (screen; each seek-bar picture shown)
class TestLog : public QObject, public DialogHandler {
    Q_OBJECT

public:
    // Installs the log for window when ZELVO_TEST_LOG is set; otherwise returns nullptr.
    static TestLog* installFromEnvironment(frmMain* window);
    ~TestLog() override;

    // Writes where another window's menus, image buttons and list lines are, as they change.
    void watchWindow(QWidget* window);

    MsgResult message(const MessageRequest& request) override;
    std::optional<QString> input(const InputRequest& request) override;
    FileDialogReply fileDialog(const FileDialogRequest& request) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TestLog(const QString& path, frmMain* window);
    void write(const QStringList& fields);
    void readAnswers(const QString& path);
    void writeMenuBar(const QWidget* window);
    void writeMenu(const class QMenu* menu);
    // The watched window's places, written once the events of the moment are handled.
    void schedulePlaces(QWidget* window);
    void writePlaces(QWidget* window);
    QWidget* watchedWindowOf(QObject* object) const;

    QFile m_file;
    QWidget* m_window = nullptr;
    struct MessageAnswer {
        QString answer;
        QString textStart;
    };
    QList<MessageAnswer> m_messageAnswers;
    QList<QStringList> m_fileAnswers;
    QList<QPointer<QWidget>> m_watched;
    QList<QWidget*> m_placesDue;
    DialogHandler* m_previous = nullptr;
};
