#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class PlaylistModel;
class QPushButton;

// One tool of the playlist window (join, split, snapshot, repair, convert) as the window
// drives it: it is shown (and shown again), it refreshes its controls from its input, it
// runs, and it tells which file the window's play-this-file item plays. Each tab puts
// itself into its panel; its run button is usable only while the input is, and otherwise
// says in its tip what is missing.
class ToolTab : public QWidget {
    Q_OBJECT

public:
    explicit ToolTab(QWidget* panel);

    // The caption of the run button.
    virtual QString runCaption() const = 0;
    // The hint under the panels while the tab is shown.
    virtual QString note() const;
    // The caption of the play-this-file item while the tab is shown.
    virtual QString playCaption() const;
    // The list the window's toolbar works on while the tab is shown (the join list), or
    // nullptr.
    virtual PlaylistModel* list() const { return nullptr; }

    // The tab came to the front, or was picked again: its controls are checked again.
    virtual void tabShown() { refresh(); }
    // Its controls follow its input.
    virtual void refresh() = 0;
    // The run button was pressed.
    virtual void run() = 0;

    QPushButton* runButton() const { return m_run; }
    // The default save folder of the window the tab is in ("" none); its dialogs start
    // there.
    std::function<QString()> saveFolder;
    // The file the play-this-file item plays; "" none.
    QString playable() const { return m_playable; }

Q_SIGNALS:
    void playableChanged(const QString& path);

protected:
    // The run button, captioned runCaption(); run() follows its click.
    QPushButton* makeRunButton(const QString& objectName);
    // usable: the button can be pressed; otherwise missing (what the user has yet to give)
    // is its tip.
    void setRunnable(bool usable, const QString& missing = QString());
    void setPlayable(const QString& path);
    // Where the tool's output goes, asked beside the source (or in the default save
    // folder): a new file of type ext offered as proposed, or a folder for many files under
    // prompt; "" when cancelled.
    QString askSaveFile(const QString& source, const QString& ext, const QString& proposed);
    QString askFolder(const QString& source, const QString& prompt);
    // The folder the tab's dialogs start in for source (see getWorkDir).
    QString workDir(const QString& source) const;

private:
    QPushButton* m_run = nullptr;
    QString m_playable;
};
