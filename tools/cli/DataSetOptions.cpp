#include "tools/cli/DataSetOptions.h"

#include "tools/cli/CliError.h"

#include <QCommandLineParser>

namespace {

const QString TileDataOption = QStringLiteral("tiledata");

} // namespace

void DataSetOptions::addTo(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(TileDataOption,
        QStringLiteral("Read tiledata.mul in this layout (%1) rather than the one its size tells, "
                       "for a cut or damaged file.")
            .arg(TileDataLayout::names().join(QStringLiteral(" or "))),
        QStringLiteral("layout")));
}

DataSet::Options DataSetOptions::read(const QCommandLineParser &parser)
{
    DataSet::Options options;
    if (parser.isSet(TileDataOption)) {
        TileDataLayout layout;
        const QString value = parser.value(TileDataOption);
        if (!TileDataLayout::fromName(value, &layout))
            throw CliError(QStringLiteral("--tiledata must be %1, not '%2'")
                               .arg(TileDataLayout::names().join(QStringLiteral(" or ")), value));
        options.tileDataLayout = layout;
    }
    return options;
}
