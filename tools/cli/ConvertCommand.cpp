#include "tools/cli/ConvertCommand.h"

#include "art/ArtWork.h"
#include "saving/DataSetSaver.h"
#include "tiledata/TileData.h"
#include "tools/cli/CliError.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/OpenDataSet.h"
#include "tools/cli/SaveToDirectory.h"

namespace {

const char *const Usage
    = "usage: tessera-cli convert DIR OUTDIR --art mul|uop [--tiledata classic|high-seas] "
      "[--in-art mul|uop] [--in-tiledata classic|high-seas]";

// The forms to write, as the options ask; the forms read where they do not.
void chooseForms(const DataSet &set, DataSetSaver &saver)
{
    const CliOptions &options = CliOptions::current();
    if (options.outputArt == ArtContainerChoice::Choice::Automatic)
        throw CliError(
            QStringLiteral("convert needs the form to write (--art mul|uop); %1").arg(QLatin1String(Usage)));
    saver.setArtFormat(ArtContainerChoice::formatIn(set.directory(), options.outputArt));
    if (options.outputTileDataLayout)
        saver.setTileDataLayout(*options.outputTileDataLayout);
}

} // namespace

void ConvertCommand::run(const QStringList &args, QTextStream &out)
{
    if (args.size() != 2)
        throw CliError(QLatin1String(Usage));
    const auto set = OpenDataSet::open(args[0]);
    DataSetSaver saver(set->art(), set->tiles(), set->anims());
    chooseForms(*set, saver);
    SaveToDirectory::save(saver, args[1]);
    const TileDataLayout layout = CliOptions::current().outputTileDataLayout.value_or(set->tiles().layout());
    out << "data set written to " << args[1] << " with its art as "
        << ArtContainer::formatName(saver.outputArtFormat()) << " and " << layout.name() << " tile data\n";
}
