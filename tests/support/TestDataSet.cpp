#include "TestDataSet.h"

#include "art/ArtFormat.h"
#include "art/MulArtContainer.h"

TestDataSet::TestDataSet(const DataSetBuilder &builder)
{
    valid = dataDir.isValid() && pendingDir.isValid() && builder.write(dataDir.path());
    editStore = std::make_shared<PendingEditStore>(pendingDir.path(), dataDir.path());
    auto container = std::make_unique<MulArtContainer>();
    container->open(filePath(QStringLiteral("artidx.mul")), filePath(QStringLiteral("art.mul")));
    artStore = std::make_unique<ArtWork>(std::move(container), editStore);
    tileStore = std::make_unique<TileData>(filePath(QStringLiteral("tiledata.mul")), editStore);
    animStore = std::make_unique<AnimDataFile>(editStore);
    animStore->setFileName(filePath(QStringLiteral("animdata.mul")));
}

QImage TestDataSet::solid(int width, int height, const QColor &color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

QImage TestDataSet::terrain(const QColor &color)
{
    return solid(ArtFormat::TerrainSize, ArtFormat::TerrainSize, color);
}
