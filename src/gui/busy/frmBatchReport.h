#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QPlainTextEdit;
class QPushButton;

// The report at the end of a batch: one line a file with what became of it, which the user
// can copy as text or save as a UTF-8 text file, and a button that shows where the outputs
// went. It is a window of its own, not a modal box: the program goes on while it is open.
class frmBatchReport : public QDialog {
    Q_OBJECT

public:
    // firstOutput: the first file the batch made ("" none: no folder to show).
    frmBatchReport(const QStringList& lines, const QString& firstOutput, QWidget* parent = nullptr);

    QString text() const;
    // "複製": the whole report to the clipboard.
    void copyText();
    // "另存文字檔……": asks for a name and writes the report there in UTF-8 (CR LF line ends),
    // whole or not at all; false when cancelled or not written.
    bool saveText();
    // "查看輸出資料夾".
    void showOutputs();

    // How the folder of a file is shown (the file list or the file manager).
    std::function<void(const QString&)> showFolder;

    QPlainTextEdit* txtReport = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdFolder = nullptr;
    QPushButton* cmdClose = nullptr;

private:
    QStringList m_lines;
    QString m_firstOutput;
};
