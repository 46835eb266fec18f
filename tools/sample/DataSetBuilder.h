#pragma once

#include "tiledata/AnimDataEntry.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"

#include <QByteArray>
#include <QImage>
#include <QMap>
#include <QString>
#include <QVector>

// Builds a complete data set (art.mul, artidx.mul, tiledata.mul, animdata.mul) in
// memory and writes it to a directory. The generator draws a procedural set with it;
// tests build small sets tile by tile, including damaged records.
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

    explicit DataSetBuilder(int staticCount = 64);

    // A set drawn procedurally: deterministic for a given seed.
    static DataSetBuilder procedural(const Options &options);

    int staticCount() const { return m_staticCount; }
    // The layout tileDataBytes() writes (classic unless set); records keep their fields.
    void setTileDataLayout(TileDataLayout layout) { m_tileDataLayout = layout; }
    TileDataLayout tileDataLayout() const { return m_tileDataLayout; }

    // Art: an image is encoded as the game stores it; a null image empties the slot.
    void setTerrainImage(int id, const QImage &image);
    void setStaticImage(int id, const QImage &image);
    // A raw record, for damaged or hand-made data; the index entry points at it.
    void setTerrainRecord(int id, const QByteArray &record);
    void setStaticRecord(int id, const QByteArray &record);
    // An index entry as given, for entries that point anywhere.
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

    // Writes the four files into directory (created when missing).
    bool write(const QString &directory, QString *error = nullptr) const;

private:
    struct Slot
    {
        QByteArray record;
        bool raw = false;
        qint32 offset = -1;
        qint32 length = 0;
        qint32 reserved = 0;
    };
    void setSlot(int slot, const QByteArray &record);

    int m_staticCount;
    TileDataLayout m_tileDataLayout;
    QMap<int, Slot> m_slots;
    QVector<LandTileRecord> m_land;
    QVector<StaticTileRecord> m_statics;
    QMap<int, AnimDataEntry> m_anims;
};
