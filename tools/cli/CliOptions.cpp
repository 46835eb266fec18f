#include "tools/cli/CliOptions.h"

#include "tools/cli/CliText.h"

#include <QCommandLineParser>

namespace {

const QString ArtOption = QStringLiteral("art");
const QString TileDataOption = QStringLiteral("tiledata");
const QString InputArtOption = QStringLiteral("in-art");
const QString InputTileDataOption = QStringLiteral("in-tiledata");
const QString JsonOption = QStringLiteral("json");

QString layoutNames()
{
    return TileDataLayout::names().join(QStringLiteral(" or "));
}

bool readArt(const QCommandLineParser &parser, const QString &option, ArtContainerChoice::Choice *choice,
    QString *error)
{
    if (!parser.isSet(option) || ArtContainerChoice::parse(parser.value(option), choice))
        return true;
    *error = QStringLiteral("--%1 must be mul or uop, not '%2'")
                 .arg(option, CliText::elide(parser.value(option)));
    return false;
}

bool readLayout(const QCommandLineParser &parser, const QString &option,
    std::optional<TileDataLayout> *layout, QString *error)
{
    if (!parser.isSet(option))
        return true;
    TileDataLayout named;
    if (!TileDataLayout::fromName(parser.value(option), &named)) {
        *error = QStringLiteral("--%1 must be %2, not '%3'")
                     .arg(option, layoutNames(), CliText::elide(parser.value(option)));
        return false;
    }
    *layout = named;
    return true;
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
        QStringLiteral("mul|uop")));
    parser.addOption(QCommandLineOption(InputTileDataOption,
        QStringLiteral("Read tiledata.mul in this layout (%1) rather than the one its size and content "
                       "tell, for a cut or damaged file.")
            .arg(layoutNames()),
        TileDataLayout::names().join(QLatin1Char('|'))));
    parser.addOption(QCommandLineOption(ArtOption,
        QStringLiteral("convert: the art container to write. Other commands: as --in-art."),
        QStringLiteral("mul|uop")));
    parser.addOption(QCommandLineOption(TileDataOption,
        QStringLiteral("convert: the tile-data layout to write (%1; unset: as read). Other commands: as "
                       "--in-tiledata.")
            .arg(layoutNames()),
        TileDataLayout::names().join(QLatin1Char('|'))));
    parser.addOption(QCommandLineOption(JsonOption, QStringLiteral("info: print one JSON object.")));
}

bool CliOptions::read(
    const QCommandLineParser &parser, const QString &command, CliOptions *options, QString *error)
{
    ArtContainerChoice::Choice art = ArtContainerChoice::Choice::Automatic;
    std::optional<TileDataLayout> layout;
    if (!readArt(parser, InputArtOption, &options->inputArt, error)
        || !readLayout(parser, InputTileDataOption, &options->inputTileDataLayout, error)
        || !readArt(parser, ArtOption, &art, error) || !readLayout(parser, TileDataOption, &layout, error))
        return false;
    if (command == QLatin1String("convert")) {
        options->outputArt = art;
        options->outputTileDataLayout = layout;
    } else {
        // Both spellings of how to read: they must not contradict each other.
        const bool artClash
            = parser.isSet(ArtOption) && parser.isSet(InputArtOption) && art != options->inputArt;
        const bool layoutClash
            = layout && options->inputTileDataLayout && *layout != *options->inputTileDataLayout;
        if (artClash || layoutClash) {
            *error = QStringLiteral("--%1 and --in-%1 name different forms to read")
                         .arg(artClash ? ArtOption : TileDataOption);
            return false;
        }
        if (parser.isSet(ArtOption))
            options->inputArt = art;
        if (layout)
            options->inputTileDataLayout = layout;
    }
    options->json = parser.isSet(JsonOption);
    return true;
}
