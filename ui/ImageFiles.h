#pragma once

#include <QImage>
#include <QString>

class QWidget;

// Image files chosen through file dialogs: the filter lists offered, the format a
// chosen filter names, and loading and saving with a reason when it fails.
namespace ImageFiles {

// One entry "f (*.f)" per format the image reader (or writer) supports, joined by ";;".
QString readFilter();
QString writeFilter();
// The format a filter entry names: its text before "(", white space simplified.
QString formatOfFilter(const QString &filter);
// path with "." + format appended unless it already ends so (case-sensitive); an
// empty format leaves the path as it is.
QString withFormatSuffix(const QString &path, const QString &format);

// An empty format lets the reader (or writer) choose from the content or the suffix.
QImage load(const QString &path, const QString &format, QString *error);
// Writes the whole file or nothing: an existing file is only replaced on success.
bool save(const QImage &image, const QString &path, const QString &format, QString *error);

// Asks the user for an image file ("Image file to import") and loads it in the format of
// the chosen filter. A null image with an empty *message: the user cancelled; with a
// message: the file did not load, and *message says which and why. The parent is not
// touched after the prompt returns, so it may be gone by then.
QImage chooseAndLoad(QWidget *parent, QString *message);

} // namespace ImageFiles
