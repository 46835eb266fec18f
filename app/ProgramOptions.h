#pragma once

#include "dataset/DataSet.h"

#include <QSize>
#include <QString>
#include <QStringList>

// tessera [--art mul|uop] [--tiledata classic|high-seas] [--screenshot FILE [--size WxH]] [DATA_DIR]
class ProgramOptions
{
public:
    QString dataDirectory;
    QString screenshotFile;
    QSize windowSize;
    // How the data set is opened: --tiledata.
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
