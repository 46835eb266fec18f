#pragma once

#include <QString>

// Text of tessera-cli's messages.
namespace CliText {

// A value as a message quotes it: whole when short, else its head and "…", so that a
// huge argument or list line cannot flood the message; control characters escaped
// ("\n"), so that the message stays one line.
QString elide(const QString &value, int maxLength = 80);
// "OUT is a file, not a directory" and the like when something other than a directory
// is at path; empty when a directory or nothing is there.
QString notADirectory(const QString &path);

} // namespace CliText
