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
const QString IdsOption = QStringLiteral("ids");
const QString AnimationOption = QStringLiteral("animation");
const QString KindOption = QStringLiteral("kind");
const QStringList PartCommands = {QStringLiteral("merge"), QStringLiteral("diff")};

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
        QStringLiteral("convert: the art container to write. merge, diff: the images (no value). Other "
                       "commands: as --in-art."),
        DataSetFormOptions::artValues()));
    parser.addOption(QCommandLineOption(TileDataOption,
        QStringLiteral("convert: the tile-data layout to write (%1; unset: as read). merge, diff: the "
                       "tile-data records (no value). Other commands: as --in-tiledata.")
            .arg(DataSetFormOptions::layoutNames()),
        DataSetFormOptions::layoutValues()));
    parser.addOption(QCommandLineOption(JsonOption, QStringLiteral("info, diff: print one JSON object.")));
    parser.addOption(QCommandLineOption(IdsOption,
        QStringLiteral(
            "merge: the tiles to take, as land:ID, static:ID or static:FIRST-LAST, comma-separated."),
        QStringLiteral("list")));
    parser.addOption(QCommandLineOption(KindOption,
        QStringLiteral("diff: compare only the tiles of this kind (terrain is land). tiledata export: the "
                       "records written."),
        QStringLiteral("land|terrain|static")));
    parser.addOption(QCommandLineOption(AnimationOption,
        QStringLiteral("merge, diff: the animation entries. For merge and diff, --art, --tiledata and "
                       "--animation take no value and name the parts taken or compared; none of them: "
                       "all three.")));
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
    options->mergeIds = parser.value(IdsOption);
    if (command != QLatin1String("merge") && parser.isSet(IdsOption)) {
        *error = QStringLiteral("--%1 is for merge only").arg(IdsOption);
        return false;
    }
    if (!PartCommands.contains(command) && parser.isSet(AnimationOption)) {
        *error = QStringLiteral("--%1 is for merge and diff only").arg(AnimationOption);
        return false;
    }
    if (parser.isSet(KindOption)) {
        options->kind = parseTileKind(parser.value(KindOption));
        const bool takesKind = command == QLatin1String("diff") || command == QLatin1String("tiledata");
        if (!takesKind || !options->kind) {
            *error = !takesKind ? QStringLiteral("--%1 is for diff and tiledata export only").arg(KindOption)
                                : QStringLiteral("--kind must be land, terrain or static, not '%1'")
                                      .arg(CliText::elide(parser.value(KindOption)));
            return false;
        }
    }
    return true;
}

QStringList CliOptions::takePartSwitches(const QStringList &arguments, CliOptions *options)
{
    // The command is the first argument that is not an option or the value of one.
    const QStringList valued = {QLatin1String("--") + InputArtOption,
        QLatin1String("--") + InputTileDataOption, QLatin1String("--") + ArtOption,
        QLatin1String("--") + TileDataOption, QLatin1String("--") + IdsOption};
    QString command;
    for (int n = 1; n < arguments.size() && command.isEmpty(); ++n) {
        const QString &argument = arguments.at(n);
        if (argument == QLatin1String("--"))
            break;
        if (valued.contains(argument))
            ++n;
        else if (!argument.startsWith(QLatin1Char('-')))
            command = argument;
    }
    if (!PartCommands.contains(command))
        return arguments;
    QStringList kept;
    bool positional = false;
    for (const QString &argument : arguments) {
        positional = positional || argument == QLatin1String("--");
        if (!positional && argument == QLatin1String("--") + ArtOption)
            options->parts.art = true;
        else if (!positional && argument == QLatin1String("--") + TileDataOption)
            options->parts.tileData = true;
        else if (!positional && argument == QLatin1String("--") + AnimationOption)
            options->parts.animation = true;
        else
            kept.append(argument);
    }
    return kept;
}
