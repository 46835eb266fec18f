#include "tools/cli/DiffCommand.h"

#include "compare/DataSetComparison.h"
#include "dataset/DataSet.h"
#include "session/DataSetSession.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"
#include "tools/cli/CliError.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliText.h"
#include "tools/cli/OpenDataSet.h"
#include "tools/cli/TileJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

namespace {

const char *const Usage
    = "usage: tessera-cli diff A B [--json] [--kind land|static] [--art] [--tiledata] [--animation]";

// "0x0E75", as the lines name ids.
QString hexId(int id)
{
    return QStringLiteral("0x%1").arg(QString::number(id, 16).toUpper(), 4, QLatin1Char('0'));
}

QString valueText(const QJsonValue &value)
{
    return value.isString() ? QLatin1Char('"') + value.toString() + QLatin1Char('"')
                            : QString::number(value.toInteger());
}

// "+Wet −Surface": the flags B sets that A does not, and those it clears, in bit order.
QString flagChanges(quint64 a, quint64 b)
{
    QStringList changes;
    for (int bit = 0; bit < TileFlags::FlagCount; ++bit) {
        const quint64 mask = quint64(1) << bit;
        if ((a ^ b) & mask)
            changes.append(
                ((b & mask) ? QStringLiteral("+") : QString(QChar(0x2212))) + TileFlags::flagName(bit));
    }
    return changes.join(QLatin1Char(' '));
}

// The record of either layout as JSON, a missing one as an empty record.
QJsonObject recordJson(const DataSet &set, TileKind kind, int id)
{
    const TileData &tiles = set.tiles();
    if (kind == TileKind::Terrain)
        return TileJson::land(id, tiles.landRecord(id).value_or(LandTileRecord::blank(tiles.layout())));
    return TileJson::statics(id, tiles.staticRecord(id).value_or(StaticTileRecord::blank(tiles.layout())));
}

// "weight 3 → 4, flags +Wet −Surface"
QString fieldChanges(const DataSet &a, const DataSet &b, const DataSetComparison::Difference &difference)
{
    const QJsonObject before = recordJson(a, difference.kind, difference.id);
    const QJsonObject after = recordJson(b, difference.kind, difference.id);
    QStringList changes;
    for (const QString &field : difference.tileData) {
        const QJsonValue from = before.value(field);
        const QJsonValue to = after.value(field);
        if (field == QLatin1String("flags"))
            changes.append(
                field + QLatin1Char(' ') + flagChanges(quint64(from.toInteger()), quint64(to.toInteger())));
        else
            changes.append(QStringLiteral("%1 %2 \u2192 %3").arg(field, valueText(from), valueText(to)));
    }
    return changes.join(QLatin1String(", "));
}

QString line(const DataSet &a, const DataSet &b, const DataSetComparison::Difference &difference)
{
    QStringList parts;
    using Only = DataSetComparison::Only;
    if (difference.only != Only::Neither)
        parts.append(difference.only == Only::A ? QStringLiteral("only in A") : QStringLiteral("only in B"));
    if (difference.art)
        parts.append(QStringLiteral("art"));
    if (!difference.tileData.isEmpty())
        parts.append(QStringLiteral("tile data: ") + fieldChanges(a, b, difference));
    if (difference.animation)
        parts.append(QStringLiteral("animation"));
    return QStringLiteral("%1 %2: %3")
        .arg(tileDataKindWord(difference.kind), hexId(difference.id), parts.join(QLatin1String("; ")));
}

QString summary(int tiles, const DataSetComparison::Counts &counts)
{
    return QStringLiteral("%1 %2: %3 art, %4 tile data, %5 animation, %6 only in A, %7 only in B")
        .arg(tiles)
        .arg(tiles == 1 ? QStringLiteral("tile differs") : QStringLiteral("tiles differ"))
        .arg(counts.art)
        .arg(counts.tileData)
        .arg(counts.animation)
        .arg(counts.onlyA)
        .arg(counts.onlyB);
}

QJsonObject json(const QStringList &paths, const QList<DataSetComparison::Difference> &differences)
{
    using Only = DataSetComparison::Only;
    QJsonArray tiles;
    for (const DataSetComparison::Difference &difference : differences) {
        tiles.append(QJsonObject{{QStringLiteral("kind"), tileDataKindWord(difference.kind)},
            {QStringLiteral("id"), difference.id}, {QStringLiteral("art"), difference.art},
            {QStringLiteral("tileData"), QJsonArray::fromStringList(difference.tileData)},
            {QStringLiteral("animation"), difference.animation},
            {QStringLiteral("only"),
                difference.only == Only::Neither ? QJsonValue()
                    : difference.only == Only::A ? QJsonValue(QStringLiteral("a"))
                                                 : QJsonValue(QStringLiteral("b"))}});
    }
    const DataSetComparison::Counts counts = DataSetComparison::count(differences);
    return QJsonObject{{QStringLiteral("a"), paths[0]}, {QStringLiteral("b"), paths[1]},
        {QStringLiteral("same"), differences.isEmpty()}, {QStringLiteral("tiles"), tiles},
        {QStringLiteral("counts"),
            QJsonObject{{QStringLiteral("art"), counts.art}, {QStringLiteral("tileData"), counts.tileData},
                {QStringLiteral("animation"), counts.animation}, {QStringLiteral("onlyA"), counts.onlyA},
                {QStringLiteral("onlyB"), counts.onlyB}}}};
}

int compare(const QStringList &args, QTextStream &out)
{
    if (args.size() != 2)
        throw CliError(QLatin1String(Usage));
    const auto a = OpenDataSet::open(args[0]);
    const auto b = OpenDataSet::open(args[1]);
    const CliOptions &chosen = CliOptions::current();
    DataSetComparison::Parts parts;
    // A switch narrows what is compared to the parts named.
    if (chosen.parts.art || chosen.parts.tileData || chosen.parts.animation)
        parts = DataSetComparison::Parts{chosen.parts.art, chosen.parts.tileData, chosen.parts.animation};
    const QList<TileKind> kinds
        = chosen.kind ? QList<TileKind>{*chosen.kind} : QList<TileKind>{TileKind::Terrain, TileKind::Static};
    // The second thread reads both sets again, quietly: their warnings were given above.
    const auto readAgain = [&args] {
        QString error;
        const DataSet::Options &options = CliOptions::current().input;
        return DataSetComparison::SetPair(
            DataSetSession::read(args[0], options, &error), DataSetSession::read(args[1], options, &error));
    };
    const QList<DataSetComparison::Difference> differences
        = DataSetComparison(*a, *b, parts).differences(kinds, readAgain);
    if (CliOptions::current().json) {
        out << QJsonDocument(json(args, differences)).toJson(QJsonDocument::Indented);
    } else {
        for (const DataSetComparison::Difference &difference : differences)
            out << line(*a, *b, difference) << '\n';
        out << summary(differences.size(), DataSetComparison::count(differences)) << '\n';
    }
    return differences.isEmpty() ? 0 : 1;
}

} // namespace

int DiffCommand::run(const QStringList &args, QTextStream &out)
{
    try {
        return compare(args, out);
    } catch (const CliError &error) {
        // Whoever reads the JSON learns why there is none of the usual kind.
        if (CliOptions::current().json)
            out << QJsonDocument(QJsonObject{{QStringLiteral("error"), error.message()}})
                       .toJson(QJsonDocument::Indented);
        throw;
    }
}
