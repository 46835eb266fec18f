#pragma once

#include <QByteArray>
#include <QString>

// Whole files in and out, for tests that set up or check files byte for byte.
namespace TestFiles {

// The file's bytes; empty when it cannot be read.
QByteArray fileBytes(const QString &path);
// Replaces the file with bytes; false when it cannot be written whole.
bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace TestFiles
