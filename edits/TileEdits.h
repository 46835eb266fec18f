#pragma once

#include "edits/TileEditCommand.h"
#include "io/TileKind.h"
#include "tiledata/AnimDataEntry.h"
#include "tiledata/TileRecord.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUndoStack>
#include <functional>
#include <optional>
#include <utility>

class AnimDataFile;
class ArtWork;
class DataSet;
class PendingEditStore;
class TileData;

// Every edit the window makes to the stores, as one undo history: replacing or
// deleting a tile's image (import, delete, drop, paste, cut), the properties
// window's OK (image and record together) and a static's animation entry. Each edit is one step that undo
// takes back and redo makes again, exactly. Whether there are unsaved edits follows the history: undoing back
// to where the last save was leaves nothing unsaved.
class TileEdits : public QObject
{
    Q_OBJECT

public:
    // The names of the edits, as the history shows them ("Import of Static 0x1F3").
    static QString importName() { return QStringLiteral("Import"); }
    static QString deleteName() { return QStringLiteral("Delete"); }
    static QString dropName() { return QStringLiteral("Drop"); }
    static QString pasteName() { return QStringLiteral("Paste"); }
    static QString cutName() { return QStringLiteral("Cut"); }
    static QString propertiesName() { return QStringLiteral("Properties"); }
    static QString animationName() { return QStringLiteral("Animation"); }
    static QString pasteTileDataName() { return QStringLiteral("Paste Tile Data"); }

    // The parts of a tile takeFromOther brings across.
    struct TakeParts
    {
        bool art = true;
        bool tileData = true;
        bool animation = true;
    };

    // anims: where animation entries are edited (none: changeAnimation refuses).
    TileEdits(ArtWork &art, TileData &tiles, AnimDataFile *anims = nullptr, QObject *parent = nullptr);
    ~TileEdits() override;

    ArtWork &art() const { return artStore; }
    TileData &tiles() const { return tileStore; }
    QUndoStack &history() { return stack; }

    // Replaces the image of a tile (a null image deletes it) as the edit named action.
    // False when it cannot be stored: nothing changed, and *error is a sentence naming
    // the tile and the reason, for the user.
    bool changeImage(TileKind kind, int id, const QImage &image, const QString &action, QString *error);
    // The properties window's OK: the image, the record and a static's animation entry
    // (each only when given) as one edit. False, with nothing changed, when any cannot be
    // stored (a record of the other kind is not stored).
    bool changeProperties(TileKind kind, int id, const std::optional<QImage> &image,
        const std::optional<TileRecord> &record, QString *error,
        const std::optional<AnimDataEntry> &animation = std::nullopt);
    // Replaces the animation entry of static id as the edit named action; false, with
    // nothing changed and *error a sentence for the user, when it cannot be stored.
    bool changeAnimation(int id, const AnimDataEntry &entry, const QString &action, QString *error);
    // The same for several tiles of a kind at once, as one edit named "<action> of <tiles>"
    // ("Properties of 37 Statics"); all or nothing: when one tile cannot be stored every tile
    // is left as it was and *error names it and the reason. A null image deletes the image.
    bool changeImages(TileKind kind, const QMap<int, QImage> &images, const QString &action, QString *error);
    bool changeRecords(
        TileKind kind, const QMap<int, TileRecord> &records, const QString &action, QString *error);
    bool changeAnimations(const QMap<int, AnimDataEntry> &entries, const QString &action, QString *error);
    // Makes the parts given of tiles what they are in other, as one edit ("Take 3 Tiles From
    // <other's folder>", "Take Static 0x5 From <other's folder>" for one): its art record, its
    // tile-data record in this layout (an id past the end grows the file, as for any
    // record) and, for statics, its animation entry. False, with nothing changed and *error
    // naming the tile and the reason, when a tile is past other's end, its record uses
    // flags this layout cannot hold, or a part cannot be stored.
    bool takeFromOther(
        const DataSet &other, const QList<std::pair<TileKind, int>> &tiles, TakeParts parts, QString *error);
    // The image as changeImage would store it for the tile; null, with the same
    // sentence changeImage would give in *error, when it cannot be stored.
    static QImage prepareImage(TileKind kind, int id, const QImage &image, QString *error);

    // False, with the tile left as it was and *error saying why, when the step could
    // not be made; the history then stays where it was.
    bool undo(QString *error);
    bool redo(QString *error);

    bool hasUnsavedEdits() const;
    // Whether the tile differs from what the last save wrote (before any save: from the
    // data files), so that undoing past a save makes it unsaved again.
    bool isUnsaved(TileKind kind, int id) const { return unsavedTiles.contains(tileKey(kind, id)); }
    // Everything pending has been saved: the history's position becomes the clean one.
    void markSaved();

Q_SIGNALS:
    // An edit, undo or redo changed the tile.
    void tileChanged(TileKind kind, int id);
    void unsavedChanged(bool unsaved);

private:
    static QString notChangedText(TileKind kind, int id, const QString &what, const QString &reason);
    bool storeImage(TileKind kind, int id, const QImage &image, QString *error);
    bool storeRecord(TileKind kind, int id, const TileRecord &record, QString *error);
    bool storeAnimation(int id, const AnimDataEntry &entry, QString *error);
    // Stores the parts which names of every tile with store, as one step named text; when
    // store fails for a tile, every tile goes back as it was and false is returned. Tiles
    // left as they were are not part of the step; none changed: no step at all.
    bool changeTiles(const QList<PendingEditStore::Tile> &tiles, const TileEditCommand::State &which,
        const std::function<bool(TileKind kind, int id, QString *error)> &store, const QString &text,
        QString *error);
    // The tiles of a kind with these ids, and how an edit of them is named.
    static QList<PendingEditStore::Tile> tilesOf(TileKind kind, const QList<int> &ids);
    static QString editText(const QString &action, TileKind kind, const QList<int> &ids);
    bool step(bool forward, QString *error);
    QString refusalToTake(const DataSet &other, TileKind kind, int id, TakeParts parts) const;
    PendingEdit imageFrom(const DataSet &other, TileKind kind, int id) const;
    bool takeTile(const DataSet &other, TileKind kind, int id, TakeParts parts, QString *error);
    void tilesChanged(const QList<PendingEditStore::Tile> &tiles);
    void storesChanged();
    void updateUnsaved();
    static qint64 tileKey(TileKind kind, int id)
    {
        return qint64(kind == TileKind::Static) << 32 | quint32(id);
    }
    // Every tile with a pending edit in either store.
    QSet<qint64> pendingTiles() const;
    TileEditCommand::State wholeState(qint64 key) const;
    void compareWithSaved(qint64 key);

    ArtWork &artStore;
    TileData &tileStore;
    AnimDataFile *animStore;
    // The stores' pending edits, which the history takes back and makes again.
    PendingEditStore &pending;
    QUndoStack stack;
    // Set while this object changes the stores, so that only changes made elsewhere
    // count as edits outside the history.
    bool applying = false;
    bool changedOutside = false;
    bool unsaved = false;
    // What the last save wrote of each tile that had pending edits then.
    QHash<qint64, TileEditCommand::State> savedStates;
    QSet<qint64> unsavedTiles;
};
