#pragma once

#include <QString>
#include <QStringList>

// One outside-tool command: the program to start, its argument list, and the
// command text the user and the tests see. The text is built by the same
// concatenation the tools have always used, so blanks and quotes appear
// exactly where they did; the argument list is built alongside it and is what
// actually runs (no text is ever split again, no shell is involved).
class ToolCommand {
public:
    ToolCommand() = default;
    explicit ToolCommand(const QString& program);

    // Literal command text. Each blank-separated word of it is one argument;
    // its blanks are kept in the text as written.
    ToolCommand& raw(const QString& literal) &;
    ToolCommand&& raw(const QString& literal) &&;

    // One argument, written into the text as it is (a part name, a number).
    ToolCommand& arg(const QString& value) &;
    ToolCommand&& arg(const QString& value) &&;

    // One argument, written into the text between double quotes (a path).
    ToolCommand& quoted(const QString& value) &;
    ToolCommand&& quoted(const QString& value) &&;

    QString text() const { return m_text; }
    QString program() const { return m_program; }
    QStringList arguments() const { return m_arguments; }

    bool operator==(const ToolCommand& other) const;
    bool operator!=(const ToolCommand& other) const { return !(*this == other); }

private:
    QString m_program;
    QStringList m_arguments;
    QString m_text;
};
