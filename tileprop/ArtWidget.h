#pragma once

#include "io/TileKind.h"
#include "tiledata/AnimDataEntry.h"
#include "tiledata/TileFlags.h"
#include "tiledata/TileRecord.h"

#include <QDialog>
#include <QHash>
#include <QImage>
#include <QList>
#include <QMap>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>

class AnimDataFile;
class AnimationPlayer;
class ArtWork;
class QCheckBox;
class QLineEdit;
class QListWidgetItem;
class QMouseEvent;
class QPushButton;
class TileData;
class TileEdits;

namespace Ui {
class tileprop;
}

// The properties window of one tile: its image, its flags, numbers and name from
// tiledata.mul and its static animation entry, which it can play and edit. OK makes the
// changed image, record and animation entry one edit of the tile, through the window's
// edits. Opened on several tiles of a kind, it edits their records together: a field shows
// the value they share, or nothing when they differ, and OK writes only the fields the
// user changed, to every tile, as one edit.
class ArtWidget : public QDialog
{
    Q_OBJECT

public:
    // A window for a negative id is never shown: show() deletes it instead.
    ArtWidget(TileEdits *edits, AnimDataFile *anim, TileKind kind, int id, QWidget *parent = nullptr,
        Qt::WindowFlags flags = {});
    // The window of the tiles ids (of one kind), showing the image of current, one of them.
    ArtWidget(TileEdits *edits, AnimDataFile *anim, TileKind kind, const QList<int> &ids, int current,
        QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~ArtWidget() override;

    void setVisible(bool visible) override;
    // Shows the image zoom times its size, without smoothing, as the palettes do.
    void setZoom(int zoom);

public Q_SLOTS:
    void accept() override;
    void checkChange(int state);
    void textChange(const QString &text);
    void toggleAnim(int state);
    void done(int result) override;

    // The animation page's Play and Stop: the statics at the tile's id plus each frame
    // offset, shown in turn on the image page at the entry's frame interval.
    void playAnimation();
    void stopAnimation();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool isTerrain() const { return kind == TileKind::Terrain; }
    bool isSeveral() const { return ids.size() > 1; }

    void collectFlagBoxes();
    void addValidators();
    void wireForm();
    void fillTerrain();
    void fillStatic();
    // Shows text in the field, or nothing and "Mixed" when the tiles differ (no text).
    void showField(QLineEdit *edit, const std::optional<QString> &text);
    // The flags set in every tile checked, those set in some partly checked.
    void applyFlags(quint64 inAll, quint64 inSome);
    // The box of an upper flag, made on first use in the high-seas group.
    QCheckBox *upperFlagBox(int bit);
    void fillImage();
    void fillAnimation(AnimDataFile *anim);
    void makeAnimationEditable(bool editable);
    void checkOffset(QListWidgetItem *item);
    // The labels of the fields whose meaning follows the flags, for the flags ticked now.
    void showFieldLabels();
    void addStopButton();
    void showImage();
    void showFrame(const QImage &frame);

    void runImageMenu(const QPoint &globalPos);
    // Shows loaded as storing it will give it back, in place of the image.
    void importImage(const QImage &loaded);
    // Shows newImage (null: none) in place of the image, which OK stores.
    void changeImage(const QImage &newImage);

    // Whether the user changed the field's text since it was filled.
    bool isChanged(const QLineEdit *edit) const;
    // The flags the boxes show, for the labels.
    quint64 formFlags() const;
    // A tile's flags with the boxes the user changed applied.
    quint64 formFlags(quint64 shown) const;
    // A tile's record as shown with the fields the user changed.
    LandTileRecord formLand(const LandTileRecord &shown) const;
    StaticTileRecord formStatic(const StaticTileRecord &shown) const;
    // The record of tile as OK stores it; nothing when that changes nothing.
    std::optional<TileRecord> editedRecord(int tile) const;
    // The animation entry as the page shows it now.
    AnimDataEntry formAnimation() const;
    std::optional<AnimDataEntry> editedAnimation() const;
    bool storeEdits();

    std::unique_ptr<Ui::tileprop> ui;
    // The stores go away before the widget tree does; a window still open then
    // must not reach into them.
    QPointer<TileEdits> edits;
    QPointer<ArtWork> art;
    QPointer<TileData> tiles;
    TileKind kind;
    // The tile whose image is shown, and every tile the window edits (ascending, with id).
    int id;
    QList<int> ids;
    QImage image;
    // The frame shown now (the image, or one of the animation's), and its zoom.
    QImage shownFrame;
    int zoom = 1;
    bool imageChanged = false;
    bool modified = false;
    // Set while the form is filled from the record, so that filling is no edit.
    bool filling = false;
    QWidget *animPage = nullptr;
    QString animTitle;
    AnimDataEntry animEntry;
    AnimationPlayer *player = nullptr;
    QPushButton *stopButton = nullptr;
    // One box per bit: the lower 32 from the form; the upper ones only for a high-seas
    // file, for the named bits and for any other bit a shown record sets.
    std::array<QCheckBox *, TileFlags::FlagCount> flagBoxes{};
    // The records as the form was filled from them, with the fields' texts and the boxes'
    // states then: only what the user changed since replaces the stored fields on OK.
    QMap<int, LandTileRecord> shownLands;
    QMap<int, StaticTileRecord> shownStatics;
    QHash<const QLineEdit *, QString> shownTexts;
    std::array<Qt::CheckState, TileFlags::FlagCount> shownFlags{};
};
