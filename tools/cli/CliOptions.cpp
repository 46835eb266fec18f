#include "tools/cli/CliOptions.h"

#include <QCommandLineParser>

namespace {

const QString ArtOption = QStringLiteral("art");
const QString TileDataOption = QStringLiteral("tiledata");
const QString JsonOption = QStringLiteral("json");

} // namespace

CliOptions &CliOptions::current()
{
    static CliOptions options;
    return options;
}

void CliOptions::addTo(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(ArtOption,
        QStringLiteral("The art container to read: mul (art.mul and artidx.mul) or uop (artLegacyMUL.uop); "
                       "for convert, the one to write."),
        QStringLiteral("mul|uop")));
    parser.addOption(QCommandLineOption(TileDataOption,
        QStringLiteral("Read tiledata.mul in this layout (%1) rather than the one its size tells, for a cut "
                       "or damaged file; for convert, the layout to write.")
            .arg(TileDataLayout::names().join(QStringLiteral(" or "))),
        QStringLiteral("layout")));
    parser.addOption(QCommandLineOption(JsonOption, QStringLiteral("info: print one JSON object.")));
}

bool CliOptions::read(const QCommandLineParser &parser, CliOptions *options, QString *error)
{
    if (parser.isSet(ArtOption) && !ArtContainerChoice::parse(parser.value(ArtOption), &options->art)) {
        *error = QStringLiteral("--art must be mul or uop, not '%1'").arg(parser.value(ArtOption));
        return false;
    }
    if (parser.isSet(TileDataOption)) {
        TileDataLayout layout;
        if (!TileDataLayout::fromName(parser.value(TileDataOption), &layout)) {
            *error = QStringLiteral("--tiledata must be %1, not '%2'")
                         .arg(TileDataLayout::names().join(QStringLiteral(" or ")), parser.value(TileDataOption));
            return false;
        }
        options->tileDataLayout = layout;
    }
    options->json = parser.isSet(JsonOption);
    return true;
}
