#include "TestDataSet.h"

#include "art/ArtFormat.h"

TestDataSet::TestDataSet(const DataSetBuilder &builder)
{
    valid = dataDir.isValid() && pendingDir.isValid() && builder.write(dataDir.path());
    artStore = std::make_unique<ArtWork>(
        filePath(QStringLiteral("artidx.mul")), filePath(QStringLiteral("art.mul")), pendingDir.path());
    tileStore = std::make_unique<TileData>(filePath(QStringLiteral("tiledata.mul")), pendingDir.path());
    animStore.setFileName(filePath(QStringLiteral("animdata.mul")));
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
