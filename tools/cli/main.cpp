#include "tools/cli/CliCommands.h"
#include "tools/cli/CliError.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliText.h"
#include "tools/cli/ConvertCommand.h"
#include "tools/cli/DiffCommand.h"
#include "tools/cli/MergeCommand.h"
#include "tools/cli/PatchCommand.h"
#include "tools/cli/TableCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMap>
#include <QRegularExpression>
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
        {QStringLiteral("merge"), MergeCommand::run},
        {QStringLiteral("tiledata"), TableCommand::tileData},
        {QStringLiteral("animdata"), TableCommand::animData},
    };
    return table;
}

// Commands whose exit status tells their result, as diff's does: 0 the same, 1 different;
// an error ends them with 2.
using StatusCommand = std::function<int(const QStringList &, QTextStream &)>;

const QMap<QString, StatusCommand> &statusCommands()
{
    static const QMap<QString, StatusCommand> table = {
        {QStringLiteral("diff"), DiffCommand::run},
    };
    return table;
}

const char *const Description
    = "Reads a Tessera data directory (art.mul with artidx.mul or artLegacyMUL.uop, tiledata.mul,\n"
      "animdata.mul). The art is read from art.mul and artidx.mul when both are there, otherwise\n"
      "from artLegacyMUL.uop. The layout of tiledata.mul (classic, or high-seas with 64-bit flags)\n"
      "is told by its size, and by its names and block headers where the size fits both layouts\n"
      "or neither; a warning says when it was inferred from a cut or damaged file.\n"
      "--in-art mul|uop and --in-tiledata classic|high-seas force how every command reads the\n"
      "data set; --art and --tiledata do the same, except for convert, which writes those forms,\n"
      "and for diff, where after the command they are switches without a value.\n"
      "Ids are decimal or 0x-hex, never negative.\n\n"
      "Commands:\n"
      "  info DIR [--json]                     art container, tile-data layout and why, image\n"
      "                                        counts, static tile count, file sizes, what is\n"
      "                                        wrong with the art container; with --json one\n"
      "                                        object (with \"warnings\"), or {\"error\": ...}\n"
      "  tile DIR terrain|static ID            a tile-data record as JSON\n"
      "  anim DIR ID                           an animation entry as JSON\n"
      "  export DIR terrain|static ID OUT.png  one tile's image as PNG\n"
      "  export DIR terrain|static all OUTDIR  every image of that kind as PNG\n"
      "  patch DIR OUTDIR LIST                 DIR with the art edits of LIST, saved to OUTDIR;\n"
      "                                        LIST lines: terrain|static ID FILE, terrain|static ID\n"
      "                                        delete, # comments (FILE relative to LIST); the art\n"
      "                                        is saved in the container it was read from\n"
      "  convert DIR OUTDIR --art mul|uop [--tiledata classic|high-seas]\n"
      "                                        DIR written whole to OUTDIR with its art in the\n"
      "                                        container named (and its tile data in the layout\n"
      "                                        named, else as read), every image and record\n"
      "                                        unchanged; --in-art and --in-tiledata say how DIR\n"
      "                                        is read\n"
      "  merge A B OUTDIR --ids LIST [--art] [--tiledata] [--animation]\n"
      "                                        A written to OUTDIR with the tiles of LIST taken\n"
      "                                        from B: the parts named (all three by default), in\n"
      "                                        A's art container and tile-data layout, every other\n"
      "                                        byte of A unchanged; LIST is comma-separated\n"
      "                                        land:ID, static:ID or static:FIRST-LAST\n"
      "  diff DIR_A DIR_B [--json] [--kind land|static] [--art] [--tiledata] [--animation]\n"
      "                                        the tiles that differ, compared as shown (art by\n"
      "                                        pixels, tile data by field, animation entries of\n"
      "                                        Animated statics), whatever the containers and\n"
      "                                        layouts: a line per tile and a summary, or with\n"
      "                                        --json one object; --art, --tiledata and\n"
      "                                        --animation (switches here) narrow what is\n"
      "                                        compared; exit status 0 same, 1 different, 2 error\n"
      "  tiledata export DIR OUT.csv --kind land|static\n"
      "                                        the tile data of one kind as a table (CSV, UTF-8):\n"
      "                                        land id,name,flags,flagNames,texid; static\n"
      "                                        id,name,flags,flagNames,weight,quality,unknown,\n"
      "                                        unknown1,quantity,animid,unknown2,hue,unknown3,height\n"
      "  tiledata import DIR IN.csv OUTDIR     DIR written to OUTDIR with the rows of the table\n"
      "                                        (its header says the kind) changed, every other byte\n"
      "                                        unchanged; a row may leave flags empty and give\n"
      "                                        flagNames (joined by |); any error names its line\n"
      "                                        and column, and nothing is written\n"
      "  animdata export DIR OUT.csv           the animation entries as a table (CSV):\n"
      "                                        id,frameInterval,frameStart,frameCount,frameOffsets\n"
      "                                        (the offsets separated by spaces)\n"
      "  animdata import DIR IN.csv OUTDIR     DIR written to OUTDIR with the entries of the table\n"
      "                                        changed, as tiledata import does";

// An argument such as "-1" before "--": the parser would take it for options named by
// digits and say "Unknown option '1'", when it is a negative id.
QString negativeNumber(const QStringList &arguments)
{
    static const QRegularExpression form(QRegularExpression::anchoredPattern(QStringLiteral("-[0-9].*")));
    for (int n = 1; n < arguments.size() && arguments.at(n) != QLatin1String("--"); ++n) {
        if (form.match(arguments.at(n)).hasMatch())
            return arguments.at(n);
    }
    return QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessera-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSERA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(Description));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("command"), QStringLiteral("info, tile, anim, export, patch, convert, merge, diff, tiledata or animdata"));
    parser.addPositionalArgument(QStringLiteral("arguments"), QStringLiteral("The command's arguments."),
        QStringLiteral("[arguments...]"));
    CliOptions::addTo(parser);
    CliOptions &options = CliOptions::current();
    const QStringList arguments = CliOptions::takePartSwitches(QCoreApplication::arguments(), &options);
    const QString negative = negativeNumber(arguments);
    if (!negative.isEmpty()) {
        std::fprintf(stderr, "tessera-cli: '%s' is not a tile id: ids are not negative\n",
            qPrintable(CliText::elide(negative)));
        return 2;
    }
    // Parsed here rather than by process(), so that its messages quote at most a head of
    // a huge argument.
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "tessera-cli: %s\n", qPrintable(CliText::elide(parser.errorText(), 200)));
        return 2;
    }
    if (parser.isSet(helpOption))
        parser.showHelp();
    if (parser.isSet(versionOption))
        parser.showVersion();

    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        std::fprintf(stderr, "tessera-cli: no command given; see --help\n");
        return 2;
    }
    const QString name = args.takeFirst();
    const auto command = commands().constFind(name);
    const auto statusCommand = statusCommands().constFind(name);
    const bool tellsStatus = statusCommand != statusCommands().cend();
    if (command == commands().cend() && !tellsStatus) {
        std::fprintf(
            stderr, "tessera-cli: unknown command '%s'; see --help\n", qPrintable(CliText::elide(name)));
        return 2;
    }
    QString optionError;
    if (!CliOptions::read(parser, name, &options, &optionError)) {
        std::fprintf(stderr, "tessera-cli: %s\n", qPrintable(optionError));
        return 2;
    }
    if (options.json && name != QLatin1String("info") && name != QLatin1String("diff")) {
        std::fprintf(
            stderr, "tessera-cli: --json is for info and diff only (tile and anim always print JSON)\n");
        return 2;
    }
    QTextStream out(stdout);
    try {
        if (tellsStatus)
            return (*statusCommand)(args, out);
        (*command)(args, out);
    } catch (const CliError &error) {
        out.flush();
        std::fprintf(stderr, "tessera-cli: %s\n", qPrintable(error.message()));
        return tellsStatus ? 2 : 1;
    }
    return 0;
}
