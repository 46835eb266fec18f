#include "tools/cli/CliCommands.h"
#include "tools/cli/CliError.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/ConvertCommand.h"
#include "tools/cli/PatchCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMap>
#include <cstdio>
#include <functional>

namespace {

using Command = std::function<void(const QStringList &, QTextStream &)>;

const QMap<QString, Command> &commands()
{
    static const QMap<QString, Command> table = {
        {QStringLiteral("info"), CliCommands::info},
        {QStringLiteral("tile"), CliCommands::tile},
        {QStringLiteral("anim"), CliCommands::anim},
        {QStringLiteral("export"), CliCommands::exportImages},
        {QStringLiteral("patch"), PatchCommand::run},
        {QStringLiteral("convert"), ConvertCommand::run},
    };
    return table;
}

const char *const Description
    = "Reads a Tessera data directory (art.mul with artidx.mul or artLegacyMUL.uop, tiledata.mul,\n"
      "animdata.mul). The art is read from art.mul and artidx.mul when both are there, otherwise\n"
      "from artLegacyMUL.uop; --art mul|uop forces either. Ids are decimal or 0x-hex.\n\n"
      "Commands:\n"
      "  info DIR [--json]                     art container, image counts, static tile count,\n"
      "                                        file sizes, what is wrong with the art container\n"
      "  tile DIR land|static ID               a tile-data record as JSON\n"
      "  anim DIR ID                           an animation entry as JSON\n"
      "  export DIR terrain|static ID OUT.png  one tile's image as PNG\n"
      "  export DIR terrain|static all OUTDIR  every image of that kind as PNG\n"
      "  patch DIR OUTDIR LIST                 DIR with the art edits of LIST, saved to OUTDIR;\n"
      "                                        LIST lines: terrain|static ID FILE, terrain|static ID\n"
      "                                        delete, # comments (FILE relative to LIST); the art\n"
      "                                        is saved in the container it was read from\n"
      "  convert DIR OUTDIR --art mul|uop      DIR written whole to OUTDIR with its art in the\n"
      "                                        container named, every image and record unchanged\n\n"
      "The layout of tiledata.mul (classic, or high-seas with 64-bit flags) is told by its size\n"
      "unless --tiledata names it.";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessera-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSERA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(Description));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("command"), QStringLiteral("info, tile, anim, export, patch or convert"));
    parser.addPositionalArgument(QStringLiteral("arguments"), QStringLiteral("The command's arguments."),
        QStringLiteral("[arguments...]"));
    CliOptions::addTo(parser);
    parser.process(app);

    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        std::fprintf(stderr, "tessera-cli: no command given; see --help\n");
        return 2;
    }
    const QString name = args.takeFirst();
    const auto command = commands().constFind(name);
    if (command == commands().cend()) {
        std::fprintf(stderr, "tessera-cli: unknown command '%s'; see --help\n", qPrintable(name));
        return 2;
    }
    CliOptions &options = CliOptions::current();
    QString optionError;
    if (!CliOptions::read(parser, &options, &optionError)) {
        std::fprintf(stderr, "tessera-cli: %s\n", qPrintable(optionError));
        return 2;
    }
    if (options.json && name != QLatin1String("info")) {
        std::fprintf(stderr, "tessera-cli: --json is for info only (tile and anim always print JSON)\n");
        return 2;
    }
    QTextStream out(stdout);
    try {
        (*command)(args, out);
    } catch (const CliError &error) {
        out.flush();
        std::fprintf(stderr, "tessera-cli: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
