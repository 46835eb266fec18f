#include "tools/cli/CliOptions.h"

#include "dataset/DataSetFormOptions.h"
#include "tools/cli/CliText.h"

#include <QCommandLineParser>

namespace {

const QString ArtOption = DataSetFormOptions::artOption();
const QString TileDataOption = DataSetFormOptions::tileDataOption();
const QString InputArtOption = DataSetFormOptions::inputArtOption();
const QString InputTileDataOption = DataSetFormOptions::inputTileDataOption();
const QString JsonOption = QStringLiteral("json");

QString valueError(const DataSetFormOptions::BadValue &bad)
{
    return QStringLiteral("--%1 must be %2, not '%3'")
        .arg(bad.option, bad.expected, CliText::elide(bad.value));
}

bool readArt(const QCommandLineParser &parser, const QString &option, ArtContainerChoice::Choice *choice,
    QString *error)
{
    DataSetFormOptions::BadValue bad;
    if (DataSetFormOptions::readArt(parser, QCommandLineOption(option), choice, &bad))
        return true;
    *error = valueError(bad);
    return false;
}

bool readLayout(const QCommandLineParser &parser, const QString &option,
    std::optional<TileDataLayout> *layout, QString *error)
{
    DataSetFormOptions::BadValue bad;
    if (DataSetFormOptions::readLayout(parser, QCommandLineOption(option), layout, &bad))
        return true;
    *error = valueError(bad);
    return false;
}

} // namespace

CliOptions &CliOptions::current()
{
    static CliOptions options;
    return options;
}

void CliOptions::addTo(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(InputArtOption,
        QStringLiteral("Read the art from art.mul and artidx.mul (mul) or from artLegacyMUL.uop (uop), "
                       "rather than from art.mul and artidx.mul when both are there."),
        DataSetFormOptions::artValues()));
    parser.addOption(QCommandLineOption(InputTileDataOption,
        QStringLiteral("Read tiledata.mul in this layout (%1) rather than the one its size and content "
                       "tell, for a cut or damaged file.")
            .arg(DataSetFormOptions::layoutNames()),
        DataSetFormOptions::layoutValues()));
    parser.addOption(QCommandLineOption(ArtOption,
        QStringLiteral(
            "convert: the art container to write. diff: without a value after the command, compare "
            "the art. Other commands: as --in-art."),
        DataSetFormOptions::artValues()));
    parser.addOption(QCommandLineOption(TileDataOption,
        QStringLiteral("convert: the tile-data layout to write (%1; unset: as read). diff: without a value "
                       "after the command, compare the tile data. Other commands: as --in-tiledata.")
            .arg(DataSetFormOptions::layoutNames()),
        DataSetFormOptions::layoutValues()));
    parser.addOption(QCommandLineOption(JsonOption, QStringLiteral("info, diff: print one JSON object.")));
}

bool CliOptions::read(
    const QCommandLineParser &parser, const QString &command, CliOptions *options, QString *error)
{
    ArtContainerChoice::Choice art = ArtContainerChoice::Choice::Automatic;
    std::optional<TileDataLayout> layout;
    if (!readArt(parser, InputArtOption, &options->input.art, error)
        || !readLayout(parser, InputTileDataOption, &options->input.tileDataLayout, error)
        || !readArt(parser, ArtOption, &art, error) || !readLayout(parser, TileDataOption, &layout, error))
        return false;
    if (command == QLatin1String("convert")) {
        options->outputArt = art;
        options->outputTileDataLayout = layout;
    } else {
        // Both spellings of how to read: they must not contradict each other.
        const bool artClash
            = parser.isSet(ArtOption) && parser.isSet(InputArtOption) && art != options->input.art;
        const bool layoutClash
            = layout && options->input.tileDataLayout && *layout != *options->input.tileDataLayout;
        if (artClash || layoutClash) {
            *error = QStringLiteral("--%1 and --in-%1 name different forms to read")
                         .arg(artClash ? ArtOption : TileDataOption);
            return false;
        }
        if (parser.isSet(ArtOption))
            options->input.art = art;
        if (layout)
            options->input.tileDataLayout = layout;
    }
    options->json = parser.isSet(JsonOption);
    return true;
}
