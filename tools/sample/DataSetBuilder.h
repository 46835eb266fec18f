#pragma once

#include "art/ArtContainer.h"
#include "tiledata/AnimDataEntry.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"

#include <QByteArray>
#include <QImage>
#include <QMap>
#include <QString>
#include <QVector>

// Builds a complete data set (the art as art.mul with artidx.mul or as
// artLegacyMUL.uop, tiledata.mul, animdata.mul) in memory and writes it to a directory.
// The generator draws a procedural set with it; tests build small sets tile by tile,
// including damaged records.
class DataSetBuilder
{
public:
    struct Options
    {
        int staticCount = 16384; // rounded up to a multiple of 32 in tiledata.mul
        quint32 seed = 1;
        int terrainImages = 16384; // procedural terrain ids 0..terrainImages-1 (some left empty)
        int staticImages = -1; // procedural static ids 0..staticImages-1; -1: all of them
        // The layout of tiledata.mul; a high-seas set also uses upper flags.
        TileDataLayout tileDataLayout;
    };

    // How the files are written.
    struct Output
    {
        ArtContainer::Format art = ArtContainer::Format::Mul;
        // artLegacyMUL.uop only: every record zlib-compressed, and entries per table.
        bool compressArt = false;
        int tableCapacity = 1000;
        // Removes the other art container's files in the same commit, so that the
        // directory holds one art; tests that want both leave them.
        bool replaceOtherArt = false;
    };

    explicit DataSetBuilder(int staticCount = 64);

    // A set drawn procedurally: deterministic for a given seed.
    static DataSetBuilder procedural(const Options &options);

    int staticCount() const { return staticTileCount; }
    // The layout tileDataBytes() writes (classic unless set); records keep their fields.
    void setTileDataLayout(TileDataLayout layout) { tileLayout = layout; }
    TileDataLayout tileDataLayout() const { return tileLayout; }

    // Art: an image is encoded as the game stores it; a null image empties the slot.
    void setTerrainImage(int id, const QImage &image);
    void setStaticImage(int id, const QImage &image);
    // A raw record, for damaged or hand-made data; the index entry points at it.
    void setTerrainRecord(int id, const QByteArray &record);
    void setStaticRecord(int id, const QByteArray &record);
    // Index position slot shares the record of position withSlot (one record, two
    // entries pointing at it).
    void shareSlot(int slot, int withSlot);
    // An index entry as given, for entries that point anywhere; art.mul only (the
    // position has no entry in artLegacyMUL.uop).
    void setRawTerrainEntry(int id, qint32 offset, qint32 length, qint32 reserved = 0);
    void setRawStaticEntry(int id, qint32 offset, qint32 length, qint32 reserved = 0);
    void clearTerrain(int id);
    void clearStatic(int id);

    void setLandTile(int id, const LandTileRecord &record);
    void setStaticTile(int id, const StaticTileRecord &record);
    LandTileRecord landTile(int id) const;
    StaticTileRecord staticTile(int id) const;
    void setAnim(int id, const AnimDataEntry &entry);

    QByteArray artIndexBytes() const;
    QByteArray artBytes() const;
    QByteArray tileDataBytes() const;
    QByteArray animDataBytes() const;
    QByteArray uopArtBytes(const Output &output) const;

    // Writes the files into directory (created when missing): art.mul and artidx.mul,
    // or artLegacyMUL.uop, then tiledata.mul and animdata.mul, all put in place in one
    // commit; on failure the directory is left as it was.
    bool write(const QString &directory, QString *error = nullptr) const;
    bool write(const QString &directory, const Output &output, QString *error = nullptr) const;

private:
    struct Slot
    {
        QByteArray record;
        bool raw = false;
        qint32 offset = -1;
        qint32 length = 0;
        qint32 reserved = 0;
        int sharedWith = -1; // the position whose record this one shares
    };
    void setSlot(int slot, const QByteArray &record);
    // Where each position's own record starts in art.mul.
    QMap<int, qint64> recordOffsets() const;

    int staticTileCount;
    TileDataLayout tileLayout;
    QMap<int, Slot> artSlots;
    QVector<LandTileRecord> landTiles;
    QVector<StaticTileRecord> staticTiles;
    QMap<int, AnimDataEntry> anims;
};
