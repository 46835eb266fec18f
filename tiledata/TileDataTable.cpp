#include "tiledata/TileDataTable.h"

#include "io/CsvTable.h"
#include "io/CsvWriter.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"

#include <QFileInfo>
#include <QHash>

namespace {

enum Column { IdColumn, NameColumn, FlagsColumn, FlagNamesColumn, FirstNumberColumn };

const QChar FlagSeparator = QLatin1Char('|');

// The numeric columns after flagNames, with the largest value each field holds.
struct NumberColumn
{
    const char *name;
    quint64 max;
};
const QVector<NumberColumn> LandNumbers = {{"texid", 0xFFFF}};
const QVector<NumberColumn> StaticNumbers
    = {{"weight", 0xFF}, {"quality", 0xFF}, {"unknown", 0xFFFF}, {"unknown1", 0xFF}, {"quantity", 0xFF},
        {"animid", 0xFFFF}, {"unknown2", 0xFF}, {"hue", 0xFF}, {"unknown3", 0xFFFF}, {"height", 0xFF}};

const QVector<NumberColumn> &numberColumns(TileKind kind)
{
    return kind == TileKind::Terrain ? LandNumbers : StaticNumbers;
}

QString hex(quint64 value, int digits)
{
    return QLatin1String("0x")
        + QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

int flagDigits(TileDataLayout layout)
{
    return layout.flagsSize() * 2;
}

QString flagNames(quint64 flags)
{
    QStringList names;
    for (int bit = 0; bit < TileFlags::FlagCount; ++bit) {
        if (flags & (quint64(1) << bit))
            names.append(TileDataTable::flagName(bit));
    }
    return names.join(FlagSeparator);
}

// Every flag by its table name, and every bit as BitN, in lower case.
const QHash<QString, int> &flagBits()
{
    static const QHash<QString, int> bits = [] {
        QHash<QString, int> all;
        for (int bit = 0; bit < TileFlags::FlagCount; ++bit) {
            all.insert(TileDataTable::flagName(bit).toLower(), bit);
            all.insert(QStringLiteral("bit%1").arg(bit), bit);
        }
        return all;
    }();
    return bits;
}

QStringList rowStart(int id, const QString &name, quint64 flags, TileDataLayout layout)
{
    return {hex(quint64(id), 4), name, hex(flags, flagDigits(layout)), flagNames(flags)};
}

// The fields of one row as values for a record, each checked against its field.
class RowReader
{
public:
    RowReader(const CsvTable &table, const CsvTable::Row &row, CsvError *error)
        : table(table), row(row), error(error)
    { }

    bool fail(int column, const QString &message)
    {
        *error = table.error(row, column, message);
        return false;
    }

    bool number(int column, quint64 max, quint64 *value)
    {
        if (CsvTable::unsignedInteger(row.fields.at(column), max, value) == CsvTable::Number::Valid)
            return true;
        return fail(column,
            QStringLiteral("%1 must be a number from 0 to %2, not %3")
                .arg(table.columns().at(column))
                .arg(max)
                .arg(CsvTable::quoted(row.fields.at(column))));
    }

    bool flags(TileDataLayout layout, quint64 *flags)
    {
        const QString &text = row.fields.at(FlagsColumn);
        const quint64 max = layout.hasUpperFlags() ? ~quint64(0) : ~TileFlags::UpperFlags;
        quint64 given = 0;
        const bool hasFlags = !text.trimmed().isEmpty();
        if (hasFlags && CsvTable::unsignedInteger(text, max, &given) != CsvTable::Number::Valid)
            return fail(FlagsColumn,
                QStringLiteral("flags must be a number from 0 to %1 in %2 tile data, not %3")
                    .arg(hex(max, flagDigits(layout)), layout.name(), CsvTable::quoted(text)));
        quint64 named = 0;
        if (!namedFlags(layout, &named))
            return false;
        if (hasFlags && named != given && !row.fields.at(FlagNamesColumn).trimmed().isEmpty())
            return fail(FlagNamesColumn,
                QStringLiteral("flagNames are %1 where flags %2 are %3")
                    .arg(CsvTable::quoted(row.fields.at(FlagNamesColumn)), text.trimmed(),
                        CsvTable::quoted(flagNames(given))));
        *flags = hasFlags ? given : named;
        return true;
    }

    bool name(QString *name)
    {
        const QString &text = row.fields.at(NameColumn);
        for (qsizetype n = 0; n < text.size(); ++n) {
            const QChar c = text.at(n);
            if (c.unicode() > 0xFF || c.isNull())
                return fail(NameColumn,
                    QStringLiteral("the name holds %1, which is not a Latin-1 character a name may hold")
                        .arg(CsvTable::quoted(text.mid(n, c.isHighSurrogate() ? 2 : 1))));
        }
        if (text.size() > TileDataFormat::NameSize)
            return fail(NameColumn,
                QStringLiteral("the name has %1 characters; at most %2 fit")
                    .arg(text.size())
                    .arg(TileDataFormat::NameSize));
        *name = text;
        return true;
    }

private:
    bool namedFlags(TileDataLayout layout, quint64 *flags)
    {
        *flags = 0;
        for (const QString &part : row.fields.at(FlagNamesColumn).split(FlagSeparator)) {
            const QString word = part.trimmed();
            if (word.isEmpty())
                continue;
            const auto bit = flagBits().constFind(word.toLower());
            if (bit == flagBits().cend())
                return fail(FlagNamesColumn,
                    QStringLiteral("%1 is not the name of a flag").arg(CsvTable::quoted(word)));
            if (*bit >= TileFlags::LowerFlagCount && !layout.hasUpperFlags())
                return fail(FlagNamesColumn,
                    QStringLiteral("%1 is not a flag of classic tile data").arg(CsvTable::quoted(word)));
            *flags |= quint64(1) << *bit;
        }
        return true;
    }

    const CsvTable &table;
    const CsvTable::Row &row;
    CsvError *error;
};

// The record with the row's values; every field the row leaves as it was keeps its bytes.
template <typename Record> bool applyCommon(RowReader &reader, TileDataLayout layout, Record *record)
{
    QString name;
    quint64 flags = 0;
    if (!reader.name(&name) || !reader.flags(layout, &flags))
        return false;
    if (name != record->nameText())
        record->setNameText(name);
    record->flags = flags;
    return true;
}

bool readNumbers(RowReader &reader, TileKind kind, QVector<quint64> *values)
{
    const QVector<NumberColumn> &columns = numberColumns(kind);
    values->resize(columns.size());
    for (int n = 0; n < columns.size(); ++n) {
        if (!reader.number(FirstNumberColumn + n, columns.at(n).max, &(*values)[n]))
            return false;
    }
    return true;
}

} // namespace

QStringList TileDataTable::columns(TileKind kind)
{
    QStringList names{
        QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("flags"), QStringLiteral("flagNames")};
    for (const NumberColumn &column : numberColumns(kind))
        names.append(QLatin1String(column.name));
    return names;
}

QString TileDataTable::flagName(int bit)
{
    return TileFlags::isNamed(bit) ? TileFlags::flagName(bit) : QStringLiteral("Bit%1").arg(bit);
}

QByteArray TileDataTable::write(const TileData &tiles, TileKind kind)
{
    CsvWriter csv;
    csv.addRow(columns(kind));
    const int limit = kind == TileKind::Terrain ? TileDataFormat::LandCount : TileDataFormat::MaxStaticCount;
    for (int id = 0; id < limit; ++id) {
        if (!tiles.holds(kind, id))
            continue;
        if (kind == TileKind::Terrain) {
            const LandTileRecord r = *tiles.landRecord(id);
            csv.addRow(rowStart(id, r.nameText(), r.flags, r.layout) + QStringList{QString::number(r.texid)});
        } else {
            const StaticTileRecord r = *tiles.staticRecord(id);
            QStringList row = rowStart(id, r.nameText(), r.flags, r.layout);
            for (const int value :
                {int(r.weight), int(r.quality), int(r.unknown), int(r.unknown1), int(r.quantity),
                    int(r.animid), int(r.unknown2), int(r.hue), int(r.unknown3), int(r.height)})
                row.append(QString::number(value));
            csv.addRow(row);
        }
    }
    return csv.bytes();
}

bool TileDataTable::read(const QByteArray &bytes, const TileData &tiles, CsvError *error)
{
    rows = 0;
    changed.clear();
    CsvTable table;
    if (!table.read(bytes, {columns(TileKind::Terrain), columns(TileKind::Static)}, error))
        return false;
    tableKind = table.headerIndex() == 0 ? TileKind::Terrain : TileKind::Static;
    const TileDataLayout layout = tiles.layout();
    QHash<int, int> lines; // of the ids read so far
    QMap<int, TileRecord> records;
    const int limit
        = tableKind == TileKind::Terrain ? TileDataFormat::LandCount : TileDataFormat::MaxStaticCount;
    for (const CsvTable::Row &row : table.rows()) {
        RowReader reader(table, row, error);
        quint64 id = 0;
        const CsvTable::Number parsed = CsvTable::unsignedInteger(row.fields.at(IdColumn), ~quint64(0), &id);
        if (parsed == CsvTable::Number::NotNumber)
            return reader.fail(
                IdColumn, QStringLiteral("%1 is not an id").arg(CsvTable::quoted(row.fields.at(IdColumn))));
        if (parsed != CsvTable::Number::Valid || id >= quint64(limit) || !tiles.holds(tableKind, int(id)))
            return reader.fail(IdColumn,
                QStringLiteral("%1 holds no %2 tile %3 (it holds %4 %2 tiles)")
                    .arg(QFileInfo(tiles.fileName()).fileName(), tileDataKindWord(tableKind),
                        CsvTable::quoted(row.fields.at(IdColumn).trimmed()))
                    .arg(tiles.count(tableKind)));
        if (lines.contains(int(id)))
            return reader.fail(IdColumn,
                QStringLiteral("id %1 is given again (first on line %2)")
                    .arg(hex(id, 4))
                    .arg(lines.value(int(id))));
        lines.insert(int(id), row.lines.first());
        QVector<quint64> numbers;
        if (tableKind == TileKind::Terrain) {
            LandTileRecord record = *tiles.landRecord(int(id));
            const LandTileRecord before = record;
            if (!applyCommon(reader, layout, &record) || !readNumbers(reader, tableKind, &numbers))
                return false;
            record.texid = quint16(numbers.at(0));
            if (!(record == before))
                records.insert(int(id), record);
        } else {
            StaticTileRecord record = *tiles.staticRecord(int(id));
            const StaticTileRecord before = record;
            if (!applyCommon(reader, layout, &record) || !readNumbers(reader, tableKind, &numbers))
                return false;
            record.weight = quint8(numbers.at(0));
            record.quality = quint8(numbers.at(1));
            record.unknown = quint16(numbers.at(2));
            record.unknown1 = quint8(numbers.at(3));
            record.quantity = quint8(numbers.at(4));
            record.animid = quint16(numbers.at(5));
            record.unknown2 = quint8(numbers.at(6));
            record.hue = quint8(numbers.at(7));
            record.unknown3 = quint16(numbers.at(8));
            record.height = quint8(numbers.at(9));
            if (!(record == before))
                records.insert(int(id), record);
        }
    }
    rows = int(table.rows().size());
    changed = records;
    return true;
}
