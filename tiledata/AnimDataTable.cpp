#include "tiledata/AnimDataTable.h"

#include "io/CsvTable.h"
#include "io/CsvWriter.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileDataFormat.h"

#include <QFileInfo>
#include <QHash>

namespace {

enum Column { IdColumn, IntervalColumn, StartColumn, CountColumn, OffsetsColumn };

QString hexId(int id)
{
    return QLatin1String("0x") + QString::number(id, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

// The offsets a row lists: up to the last that is not 0, or frameCount when that is more.
int listedOffsets(const AnimDataEntry &entry)
{
    int listed = qBound(0, int(entry.frameCount), AnimDataEntry::FrameSlots);
    for (int slot = listed; slot < AnimDataEntry::FrameSlots; ++slot) {
        if (entry.frameOffsets[slot] != 0)
            listed = slot + 1;
    }
    return listed;
}

QString signedByteRange()
{
    return QStringLiteral("a number from -128 to 127");
}

} // namespace

QStringList AnimDataTable::columns()
{
    return {QStringLiteral("id"), QStringLiteral("frameInterval"), QStringLiteral("frameStart"),
        QStringLiteral("frameCount"), QStringLiteral("frameOffsets")};
}

QByteArray AnimDataTable::write(const AnimDataFile &anims)
{
    CsvWriter csv;
    csv.addRow(columns());
    for (int id = 0; id < TileDataFormat::MaxStaticCount; ++id) {
        if (!anims.holds(id))
            continue;
        const AnimDataEntry entry = anims.readEntry(id);
        QStringList offsets;
        for (int slot = 0; slot < listedOffsets(entry); ++slot)
            offsets.append(QString::number(entry.frameOffsets[slot]));
        csv.addRow({hexId(id), QString::number(entry.frameInterval), QString::number(entry.frameStart),
            QString::number(entry.frameCount), offsets.join(QLatin1Char(' '))});
    }
    return csv.bytes();
}

bool AnimDataTable::read(const QByteArray &bytes, const AnimDataFile &anims, CsvError *error)
{
    rows = 0;
    changed.clear();
    CsvTable table;
    if (!table.read(bytes, {columns()}, error))
        return false;
    QHash<int, int> lines; // of the ids read so far
    QMap<int, AnimDataEntry> entries;
    for (const CsvTable::Row &row : table.rows()) {
        const auto fail = [&](int column, const QString &message) {
            *error = table.error(row, column, message);
            return false;
        };
        const QString &idText = row.fields.at(IdColumn);
        quint64 id = 0;
        const CsvTable::Number parsed = CsvTable::unsignedInteger(idText, ~quint64(0), &id);
        if (parsed == CsvTable::Number::NotNumber)
            return fail(IdColumn, QStringLiteral("%1 is not an id").arg(CsvTable::quoted(idText)));
        if (parsed != CsvTable::Number::Valid || id >= quint64(TileDataFormat::MaxStaticCount)
            || !anims.holds(int(id)))
            return fail(IdColumn,
                QStringLiteral("%1 holds no entry %2 (it holds %3 entries)")
                    .arg(QFileInfo(anims.fileName()).fileName(), CsvTable::quoted(idText.trimmed()))
                    .arg(anims.count()));
        if (lines.contains(int(id)))
            return fail(IdColumn,
                QStringLiteral("id %1 is given again (first on line %2)")
                    .arg(hexId(int(id)))
                    .arg(lines.value(int(id))));
        lines.insert(int(id), row.lines.first());

        const AnimDataEntry before = anims.readEntry(int(id));
        AnimDataEntry entry = before;
        for (const auto &[column, field] : {std::pair(IntervalColumn, &entry.frameInterval),
                 std::pair(StartColumn, &entry.frameStart), std::pair(CountColumn, &entry.frameCount)}) {
            qint64 value = 0;
            if (CsvTable::integer(row.fields.at(column), -128, 127, &value) != CsvTable::Number::Valid)
                return fail(column,
                    QStringLiteral("%1 must be %2, not %3")
                        .arg(table.columns().at(column), signedByteRange(),
                            CsvTable::quoted(row.fields.at(column))));
            *field = qint8(value);
        }
        const QStringList offsets
            = row.fields.at(OffsetsColumn).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (offsets.size() > AnimDataEntry::FrameSlots)
            return fail(OffsetsColumn,
                QStringLiteral("frameOffsets lists %1 offsets; an entry holds %2")
                    .arg(offsets.size())
                    .arg(AnimDataEntry::FrameSlots));
        entry.frameOffsets.fill(0);
        for (int slot = 0; slot < offsets.size(); ++slot) {
            qint64 value = 0;
            if (CsvTable::integer(offsets.at(slot), -128, 127, &value) != CsvTable::Number::Valid)
                return fail(OffsetsColumn,
                    QStringLiteral("frame offset %1 must be %2, not %3")
                        .arg(slot + 1)
                        .arg(signedByteRange(), CsvTable::quoted(offsets.at(slot))));
            entry.frameOffsets[slot] = qint8(value);
        }
        if (!(entry == before))
            entries.insert(int(id), entry);
    }
    rows = int(table.rows().size());
    changed = entries;
    return true;
}
