#pragma once

#include <QString>
#include <stdexcept>

// A one-line message for stderr; the command ends with a non-zero exit code.
class CliError : public std::runtime_error
{
public:
    explicit CliError(const QString &message) : std::runtime_error(message.toStdString()) { }
    QString message() const { return QString::fromStdString(what()); }
};
