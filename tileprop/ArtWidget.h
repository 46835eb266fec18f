#pragma once

#include "io/TileKind.h"
#include "tiledata/AnimDataEntry.h"
#include "tiledata/TileFlags.h"
#include "tiledata/TileRecord.h"

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>

class AnimDataFile;
class AnimationPlayer;
class ArtWork;
class QCheckBox;
class QLineEdit;
class QMouseEvent;
class QPushButton;
class TileData;
class TileEdits;

namespace Ui {
class tileprop;
}

// The properties window of one tile: its image, its flags, numbers and name from
// tiledata.mul and its static animation entry, which it can play. OK makes the changed
// image and the changed record one edit of the tile, through the window's edits.
class ArtWidget : public QDialog
{
    Q_OBJECT

public:
    // A window for a negative id is never shown: show() deletes it instead.
    ArtWidget(TileEdits *edits, AnimDataFile *anim, TileKind kind, int id, QWidget *parent = nullptr,
        Qt::WindowFlags flags = {});
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

    void collectFlagBoxes();
    void addValidators();
    void wireForm();
    void fillTerrain();
    void fillStatic();
    void applyFlags(quint64 flags);
    // The box of an upper flag, made on first use in the high-seas group.
    QCheckBox *upperFlagBox(int bit);
    void fillImage();
    void fillAnimation(AnimDataFile *anim);
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

    quint64 formFlags() const;
    // The record as the form shows it now.
    LandTileRecord formLand() const;
    StaticTileRecord formStatic() const;
    // The record as OK stores it; nothing when the user changed nothing in it.
    std::optional<TileRecord> editedRecord() const;
    bool storeEdits();

    std::unique_ptr<Ui::tileprop> ui;
    // The stores go away before the widget tree does; a window still open then
    // must not reach into them.
    QPointer<TileEdits> edits;
    QPointer<ArtWork> art;
    QPointer<TileData> tiles;
    TileKind kind;
    int id;
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
    // The record as the form was filled from it: only what the user changed since
    // replaces the stored fields on OK.
    LandTileRecord shownLand;
    StaticTileRecord shownStatic;
};
