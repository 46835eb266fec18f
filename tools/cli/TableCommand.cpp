#include "tools/cli/TableCommand.h"

#include "art/ArtWork.h"
#include "edits/TileEdits.h"
#include "io/FileIdentity.h"
#include "io/TableFile.h"
#include "saving/DataSetSaver.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/AnimDataTable.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataTable.h"
#include "tools/cli/CliError.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/OpenDataSet.h"
#include "tools/cli/SaveToDirectory.h"

namespace {

const char *const TileDataUsage = "usage: tessera-cli tiledata export DIR OUT.csv --kind land|static, or "
                                  "tiledata import DIR IN.csv OUTDIR";
const char *const AnimDataUsage
    = "usage: tessera-cli animdata export DIR OUT.csv, or animdata import DIR IN.csv OUTDIR";

bool isExport(const QStringList &args)
{
    return args.value(0) == QLatin1String("export") && args.size() == 3;
}

bool isImport(const QStringList &args)
{
    return args.value(0) == QLatin1String("import") && args.size() == 4;
}

// Never over a file of the data set, however its path is spelt.
void writeTable(const DataSet &set, const QString &path, const QByteArray &bytes)
{
    const FileIdentity target = FileIdentity::of(path);
    for (const QString &file :
        set.art().container().fileNames() + QStringList{set.tiles().fileName(), set.anims().fileName()}) {
        if (target.isValid() && FileIdentity::of(file) == target)
            throw CliError(QStringLiteral("%1 is a file of the data set; the originals are never overwritten")
                               .arg(path));
    }
    QString error;
    if (!TableFile::write(path, bytes, &error))
        throw CliError(QStringLiteral("cannot write %1: %2").arg(path, error));
}

QByteArray readTable(const QString &path)
{
    QByteArray bytes;
    QString error;
    if (!TableFile::read(path, &bytes, &error))
        throw CliError(error);
    return bytes;
}

CliError tableError(const QString &path, const CsvError &error)
{
    return CliError(QStringLiteral("%1: %2; nothing was written").arg(path, error.text()));
}

// The set, its changes kept as pending edits, saved whole into the directory.
void save(DataSet &set, const QString &outDir)
{
    DataSetSaver saver(set.art(), set.tiles(), set.anims());
    SaveToDirectory::save(saver, outDir);
}

} // namespace

void TableCommand::tileData(const QStringList &args, QTextStream &out)
{
    const std::optional<TileKind> kind = CliOptions::current().kind;
    if (isExport(args)) {
        if (!kind)
            throw CliError(QStringLiteral("tiledata export needs the kind of tile (--kind land|static)"));
        const auto set = OpenDataSet::open(args[1]);
        writeTable(*set, args[2], TileDataTable::write(set->tiles(), *kind));
        out << "wrote " << args[2] << '\n';
        return;
    }
    if (!isImport(args))
        throw CliError(QLatin1String(TileDataUsage));
    if (kind)
        throw CliError(QStringLiteral("tiledata import takes the kind from the table's header, not --kind"));
    const auto set = OpenDataSet::open(args[1]);
    TileDataTable table;
    CsvError error;
    if (!table.read(readTable(args[2]), set->tiles(), &error))
        throw tableError(args[2], error);
    // Made as the window makes them, all or nothing.
    TileEdits edits(set->art(), set->tiles(), &set->anims());
    QString why;
    if (!edits.changeRecords(table.kind(), table.changes(), TileEdits::importName(), &why))
        throw CliError(QStringLiteral("%1; nothing was written").arg(why));
    save(*set, args[3]);
    out << table.rowCount() << " rows read, " << table.changes().size()
        << " records changed, data set written to " << args[3] << '\n';
}

void TableCommand::animData(const QStringList &args, QTextStream &out)
{
    if (isExport(args)) {
        const auto set = OpenDataSet::open(args[1]);
        writeTable(*set, args[2], AnimDataTable::write(set->anims()));
        out << "wrote " << args[2] << '\n';
        return;
    }
    if (!isImport(args))
        throw CliError(QLatin1String(AnimDataUsage));
    const auto set = OpenDataSet::open(args[1]);
    AnimDataTable table;
    CsvError error;
    if (!table.read(readTable(args[2]), set->anims(), &error))
        throw tableError(args[2], error);
    TileEdits edits(set->art(), set->tiles(), &set->anims());
    QString why;
    if (!edits.changeAnimations(table.changes(), TileEdits::importName(), &why))
        throw CliError(QStringLiteral("%1; nothing was written").arg(why));
    save(*set, args[3]);
    out << table.rowCount() << " rows read, " << table.changes().size()
        << " entries changed, data set written to " << args[3] << '\n';
}
