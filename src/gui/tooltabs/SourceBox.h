#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QLineEdit;
class QMimeData;
class ZelvoButton;

// A tool's file box: the path typed in, a browse button beside it, and files dropped on it.
// Its tip shows the path while the tool can use it and "你可以拖曳檔案到這裡" otherwise.
// Every tool tab takes its files through one of these.
class SourceBox : public QWidget {
    Q_OBJECT

public:
    SourceBox(const QString& boxName, const QString& buttonName, QWidget* parent);

    // The text, trimmed.
    QString path() const;
    void setPath(const QString& path);
    // The path names a file that is there.
    bool exists() const;
    // The tip: the path while usable, the drop hint otherwise.
    void showUsable(bool usable);

    QLineEdit* box() const { return m_box; }
    ZelvoButton* button() const { return m_button; }

    // The browse dialog: its filter and default extension (asked each time, so they follow
    // a chosen format), and whether the file must already be there (a target need not).
    std::function<QString()> filter;
    std::function<QString()> defaultExt;
    bool mustExist = true;
    // Where the dialog starts; "" the folder of the last file picked.
    std::function<QString()> startFolder;
    // A dropped file that exists, before it goes into the box; a tool may take it itself
    // (and put it in the box) and return true.
    std::function<bool(const QString&)> takeDrop;

    void browse();
    void dropFiles(const QMimeData& dropped);

Q_SIGNALS:
    void changed(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_box = nullptr;
    ZelvoButton* m_button = nullptr;
};
