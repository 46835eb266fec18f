#pragma once

#include "art/ArtWork.h"
#include "art/DataSetSaver.h"
#include "tiledata/TileData.h"
#include "tools/sample/DataSetBuilder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QPainter>
#include <QTemporaryDir>
#include <memory>

// A generated data set on disk with stores opened on it and an output directory beside
// it, for the saver's tests.
class SaverFixture
{
public:
    static constexpr int StaticCount = 96;
    static constexpr int TerrainImages = 300;

    static DataSetBuilder sampleSet()
    {
        DataSetBuilder::Options options;
        options.staticCount = StaticCount;
        options.terrainImages = TerrainImages;
        return DataSetBuilder::procedural(options);
    }

    explicit SaverFixture(const DataSetBuilder &builder = sampleSet())
    {
        dataDir = root.filePath(QStringLiteral("data"));
        outDir = root.filePath(QStringLiteral("out"));
        QDir(root.path()).mkpath(QStringLiteral("out"));
        QDir(root.path()).mkpath(QStringLiteral("pending"));
        ok = builder.write(dataDir);
        openStores();
    }

    void openStores()
    {
        const QString pendingParent = root.filePath(QStringLiteral("pending"));
        art = std::make_unique<ArtWork>(dataFile("artidx.mul"), dataFile("art.mul"), pendingParent);
        tiles = std::make_unique<TileData>(dataFile("tiledata.mul"), pendingParent);
    }

    QString dataFile(const char *name) const { return QDir(dataDir).filePath(QLatin1String(name)); }
    QString outFile(const char *name) const { return QDir(outDir).filePath(QLatin1String(name)); }

    DataSetSaver saver() const { return DataSetSaver(*art, *tiles, dataFile("animdata.mul")); }

    // Stores opened on the output directory, as a later run would open it.
    std::unique_ptr<ArtWork> openOutputArt() const
    {
        return std::make_unique<ArtWork>(outFile("artidx.mul"), outFile("art.mul"), root.filePath("pending"));
    }
    std::unique_ptr<TileData> openOutputTiles() const
    {
        return std::make_unique<TileData>(outFile("tiledata.mul"), root.filePath("pending"));
    }

    QTemporaryDir root;
    QString dataDir;
    QString outDir;
    bool ok = false;
    std::unique_ptr<ArtWork> art;
    std::unique_ptr<TileData> tiles;
};

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every entry of a directory, hidden ones included, with the contents of its files, so
// that "left as it was" can be checked exactly.
inline QMap<QString, QByteArray> snapshot(const QString &directory)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(directory).relativeFilePath(path);
        entries.insert(name, it.fileInfo().isDir() ? QByteArray("<dir>") : fileBytes(path));
    }
    return entries;
}

inline QByteArray digest(const QString &path)
{
    return QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256);
}

// An opaque image with a colour gradient, so that a wrong pixel shows.
inline QImage patternImage(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, qRgb((x * 7 + seed * 31) & 0xff, (y * 5 + seed * 17) & 0xff, (seed * 53) & 0xff));
    }
    return image;
}
