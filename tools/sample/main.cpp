#include "dataset/ArtContainerChoice.h"
#include "dataset/DataSet.h"
#include "tools/sample/DataSetBuilder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "tessera-sample: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessera-sample"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSERA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a procedurally drawn sample data set: art.mul and "
                       "artidx.mul (or artLegacyMUL.uop), tiledata.mul and "
                       "animdata.mul."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("OUTDIR"), QStringLiteral("Directory to write the four files to."));
    const QCommandLineOption staticsOption(QStringLiteral("statics"),
        QStringLiteral("Number of static ids, 1 to 65536 (default 16384)."), QStringLiteral("N"),
        QStringLiteral("16384"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
        QStringLiteral("Seed of the drawing (default 1)."), QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption tileDataOption(QStringLiteral("tiledata"),
        QStringLiteral("Layout of tiledata.mul: %1 (default classic).")
            .arg(TileDataLayout::names().join(QStringLiteral(" or "))),
        TileDataLayout::names().join(QLatin1Char('|')), TileDataLayout().name());
    const QCommandLineOption artOption(QStringLiteral("art"),
        QStringLiteral(
            "The art container: mul (art.mul and artidx.mul, the default) or uop (artLegacyMUL.uop)."),
        QStringLiteral("mul|uop"), QStringLiteral("mul"));
    const QCommandLineOption forceOption(QStringLiteral("force"),
        QStringLiteral("Replace a data set that OUTDIR already holds (without it, such a directory is "
                       "refused)."));
    parser.addOption(staticsOption);
    parser.addOption(seedOption);
    parser.addOption(artOption);
    parser.addOption(tileDataOption);
    parser.addOption(forceOption);
    parser.process(app);

    if (parser.positionalArguments().size() != 1)
        return fail(QStringLiteral("expected one output directory; see --help"));
    bool ok = false;
    DataSetBuilder::Options options;
    options.staticCount = parser.value(staticsOption).toInt(&ok);
    if (!ok || options.staticCount < 1 || options.staticCount > 65536)
        return fail(QStringLiteral("--statics must be a number from 1 to 65536"));
    options.seed = parser.value(seedOption).toUInt(&ok);
    if (!ok)
        return fail(QStringLiteral("--seed must be a non-negative number"));
    if (!TileDataLayout::fromName(parser.value(tileDataOption), &options.tileDataLayout))
        return fail(QStringLiteral("--tiledata must be %1")
                        .arg(TileDataLayout::names().join(QStringLiteral(" or "))));
    ArtContainerChoice::Choice art = ArtContainerChoice::Choice::Automatic;
    if (!ArtContainerChoice::parse(parser.value(artOption), &art))
        return fail(QStringLiteral("--art must be mul or uop"));
    DataSetBuilder::Output output;
    output.art = ArtContainerChoice::formatIn(QString(), art);
    output.replaceOtherArt = true;

    const QString directory = parser.positionalArguments().constFirst();
    const QStringList existing = DataSet::filesIn(directory);
    if (!existing.isEmpty() && !parser.isSet(forceOption))
        return fail(QStringLiteral("%1 already holds a data set (%2); give --force to replace it")
                        .arg(QDir::toNativeSeparators(directory), existing.join(QStringLiteral(", "))));

    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!DataSetBuilder::procedural(options).write(directory, output, &error))
        return fail(error);
    std::fprintf(stderr, "wrote %s in %lld ms\n", qPrintable(directory), timer.elapsed());
    return 0;
}
