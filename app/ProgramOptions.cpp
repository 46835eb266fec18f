#include "app/ProgramOptions.h"

#include "dataset/DataSetFormOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
const char *const NoDisplayArguments[] = {"--screenshot", "-h", "--help", "--help-all", "-v", "--version"};
}

bool ProgramOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Views and edits the art and tile data files of Ultima Online in DATA_DIR."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("DATA_DIR"),
        QStringLiteral(
            "The directory of the data files (art.mul and artidx.mul or artLegacyMUL.uop, "
            "tiledata.mul, animdata.mul), used instead of the installation directory for this run."),
        QStringLiteral("[DATA_DIR]"));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
        QStringLiteral("Render the window to FILE once it is laid out, and exit."), QStringLiteral("FILE"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
        QStringLiteral("The window size for --screenshot, e.g. 1280x800."), QStringLiteral("WxH"));
    // The same names as tessera-cli's input options; --art and --tiledata as before.
    const QCommandLineOption artOption(
        QStringList{DataSetFormOptions::inputArtOption(), DataSetFormOptions::artOption()},
        QStringLiteral("Read the art of DATA_DIR from art.mul and artidx.mul (mul) or from artLegacyMUL.uop "
                       "(uop). Without it, art.mul and artidx.mul are read when both are there. Data "
                       "directories opened later are read as their files tell."),
        DataSetFormOptions::artValues());
    const QCommandLineOption tileDataOption(
        QStringList{DataSetFormOptions::inputTileDataOption(), DataSetFormOptions::tileDataOption()},
        QStringLiteral("Read tiledata.mul of DATA_DIR in this layout (%1) rather than the one its size and "
                       "content tell, for a cut or damaged file.")
            .arg(DataSetFormOptions::layoutNames()),
        DataSetFormOptions::layoutValues());
    const QCommandLineOption compareOption(QStringLiteral("compare"),
        QStringLiteral("Open the data set in OTHER_DIR read-only beside DATA_DIR and mark every tile that "
                       "differs, as File > Compare With does."),
        QStringLiteral("OTHER_DIR"));
    parser.addOption(screenshotOption);
    parser.addOption(compareOption);
    parser.addOption(sizeOption);
    parser.addOption(tileDataOption);
    parser.addOption(artOption);
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp();
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        *error = QStringLiteral("Only one data directory can be given.");
        return false;
    }
    if (!positional.isEmpty()) {
        dataDirectory = positional.first();
        if (!QFileInfo(dataDirectory).isDir()) {
            *error = QStringLiteral("%1 is not a directory.").arg(QDir::toNativeSeparators(dataDirectory));
            return false;
        }
    }
    // The option named as the user typed it.
    DataSetFormOptions::BadValue bad;
    if (!DataSetFormOptions::readLayout(parser, tileDataOption, &dataSetOptions.tileDataLayout, &bad)
        || !DataSetFormOptions::readArt(parser, artOption, &dataSetOptions.art, &bad)) {
        *error = QStringLiteral("--%1 must be %2, not \"%3\".").arg(bad.option, bad.expected, bad.value);
        return false;
    }
    compareDirectory = parser.value(compareOption);
    if (parser.isSet(compareOption) && !QFileInfo(compareDirectory).isDir()) {
        *error = QStringLiteral("%1 is not a directory.").arg(QDir::toNativeSeparators(compareDirectory));
        return false;
    }
    screenshotFile = parser.value(screenshotOption);
    if (parser.isSet(sizeOption)) {
        if (screenshotFile.isEmpty()) {
            *error = QStringLiteral("--size is only used with --screenshot.");
            return false;
        }
        windowSize = parseSize(parser.value(sizeOption));
        if (!windowSize.isValid()) {
            *error = QStringLiteral("The size \"%1\" is not of the form WIDTHxHEIGHT, e.g. 1280x800.")
                         .arg(parser.value(sizeOption));
            return false;
        }
    }
    return true;
}

QSize ProgramOptions::parseSize(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^([1-9][0-9]{0,4})x([1-9][0-9]{0,4})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return QSize();
    return QSize(match.captured(1).toInt(), match.captured(2).toInt());
}

bool ProgramOptions::displayAvailable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY")
        || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

bool ProgramOptions::worksWithoutDisplay(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        for (const char *name : NoDisplayArguments) {
            if (argument == name || argument.startsWith(QByteArray(name) + '='))
                return true;
        }
    }
    return false;
}
