#pragma once

#include "dataset/DataSet.h"

#include <QSize>
#include <QString>
#include <QStringList>

// tessera [--in-art mul|uop] [--in-tiledata classic|high-seas] [--screenshot FILE [--size WxH]]
//         [--compare OTHER_DIR] [DATA_DIR]
// (--art and --tiledata are the same as --in-art and --in-tiledata)
class ProgramOptions
{
public:
    QString dataDirectory;
    QString screenshotFile;
    QSize windowSize;
    // The data set compared with the open one from the start.
    QString compareDirectory;
    // How the data set of dataDirectory is opened: --in-art, --in-tiledata.
    DataSet::Options dataSetOptions;

    // Reads arguments (the program name first). --help and --version print and exit;
    // a bad argument gives false and *error.
    bool parse(const QStringList &arguments, QString *error);

    // "1280x800" to a size; an invalid size for anything else.
    static QSize parseSize(const QString &text);
    // Whether the windowing system can be reached. Only answered from the environment on
    // X11/Wayland systems; elsewhere assumed.
    static bool displayAvailable();
    // Whether the arguments (argv, program name first) can be served without a display.
    static bool worksWithoutDisplay(int argc, char **argv);
};
