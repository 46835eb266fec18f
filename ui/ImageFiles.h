#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QWidget;

// Image files chosen through file dialogs: the filter lists offered, the file name and
// format a save uses, and loading (through ImageFileLoader) and saving (through
// ImageFileWriter) with a reason when it fails.
namespace ImageFiles {

// "All images (*.png *.bmp ...)" first, then one entry "f (*.f)" per format the image
// reader supports, joined by ";;".
QString readFilter();
// One entry "f (*.f)" per format the image writer supports, PNG first (the default).
QString writeFilter();
// The format a filter entry names: its text before "(", white space simplified.
QString formatOfFilter(const QString &filter);
// The file a save writes: path as typed when its extension names a format that can be
// written (any case); otherwise path + "." + format (the chosen filter's), or + ".png"
// when format cannot be written either.
QString withFormatSuffix(const QString &path, const QString &format);

// The format is read from the file's contents, never from its name.
QImage load(const QString &path, QString *error);
// Image data (a drop), read the same way.
QImage loadData(const QByteArray &bytes, QString *error);
// Writes the whole file or nothing: an existing file is only replaced on success. The
// format is the one path's extension names when it can be written, else format, else
// PNG.
bool save(const QImage &image, const QString &path, const QString &format, QString *error);

// Asks the user for an image file ("Image file to import") and loads it, whatever
// filter was chosen. A null image with an empty *message: the user cancelled; with a
// message: the file did not load, and *message says which and why. The parent is not
// touched after the prompt returns, so it may be gone by then.
QImage chooseAndLoad(QWidget *parent, QString *message);

} // namespace ImageFiles
