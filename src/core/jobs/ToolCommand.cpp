#include "core/jobs/ToolCommand.h"

#include <QRegularExpression>

#include <utility>

ToolCommand::ToolCommand(const QString& program) : m_program(program), m_text(program) {}

ToolCommand& ToolCommand::raw(const QString& literal) & {
    m_text += literal;
    m_arguments += literal.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    return *this;
}

ToolCommand&& ToolCommand::raw(const QString& literal) && {
    return std::move(raw(literal));
}

ToolCommand& ToolCommand::arg(const QString& value) & {
    m_text += value;
    m_arguments += value;
    return *this;
}

ToolCommand&& ToolCommand::arg(const QString& value) && {
    return std::move(arg(value));
}

ToolCommand& ToolCommand::quoted(const QString& value) & {
    m_text += QLatin1Char('"') + value + QLatin1Char('"');
    m_arguments += value;
    return *this;
}

ToolCommand&& ToolCommand::quoted(const QString& value) && {
    return std::move(quoted(value));
}

bool ToolCommand::operator==(const ToolCommand& other) const {
    return m_program == other.m_program && m_arguments == other.m_arguments &&
           m_text == other.m_text;
}
