#include "tileprop/ArtWidget.h"

#include "art/ArtWork.h"
#include "edits/TileEdits.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataFormat.h"
#include "tileprop/AnimationPlayer.h"
#include "tileprop/NumberFieldValidator.h"
#include "tileprop/TileFieldLabels.h"
#include "ui/TileImageActions.h"
#include "ui/UserPrompts.h"
#include "ui_tileprop.h"

#include <QBoxLayout>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <vector>

namespace {

constexpr int AnimPageIndex = 3;
constexpr uint ByteMaximum = 255;
constexpr uint WordMaximum = 65535;

// Decimal or "0x" hexadecimal text as a 16-bit number; anything else is 0.
quint16 parseNumber(const QString &text)
{
    uint value = 0;
    return NumberFieldValidator::parse(text, &value) && value <= WordMaximum ? quint16(value) : 0;
}

// A static's number fields, by width, each with its line edit.
template <typename Field> using NumberFields = std::vector<std::pair<QLineEdit *, Field StaticTileRecord::*>>;

NumberFields<quint8> byteFields(const Ui::tileprop &ui)
{
    return {{ui.lineWeight, &StaticTileRecord::weight}, {ui.lineQuality, &StaticTileRecord::quality},
        {ui.lineUnknown1, &StaticTileRecord::unknown1}, {ui.lineQuantity, &StaticTileRecord::quantity},
        {ui.lineUnknown2, &StaticTileRecord::unknown2}, {ui.lineHue, &StaticTileRecord::hue},
        {ui.lineHeight, &StaticTileRecord::height}};
}

NumberFields<quint16> wordFields(const Ui::tileprop &ui)
{
    return {{ui.lineUnknown, &StaticTileRecord::unknown}, {ui.lineAnimid, &StaticTileRecord::animid},
        {ui.lineUnknown3, &StaticTileRecord::unknown3}};
}

void setNumberRange(QLineEdit *edit, uint maximum)
{
    edit->setValidator(new NumberFieldValidator(maximum, edit));
}

// The layout among root's that holds widget directly.
QBoxLayout *boxHolding(QWidget *root, QWidget *widget)
{
    for (QBoxLayout *layout : root->findChildren<QBoxLayout *>()) {
        if (layout->indexOf(widget) >= 0)
            return layout;
    }
    return nullptr;
}

} // namespace

ArtWidget::ArtWidget(
    TileEdits *edits, AnimDataFile *anim, TileKind kind, int id, QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), ui(std::make_unique<Ui::tileprop>()), edits(edits),
      art(edits ? &edits->art() : nullptr), tiles(edits ? &edits->tiles() : nullptr), kind(kind), id(id),
      player(new AnimationPlayer(this))
{
    ui->setupUi(this);
    resize(size().expandedTo(minimumSizeHint()));
    animPage = ui->tabWidget->widget(AnimPageIndex);
    animTitle = ui->tabWidget->tabText(AnimPageIndex);
    setAttribute(Qt::WA_DeleteOnClose);
    // Enter anywhere in the window presses OK.
    ui->okButton->setDefault(true);
    addStopButton();

    collectFlagBoxes();
    addValidators();
    wireForm();
    setWindowTitle(
        tr("%1: %2 (0x%3)").arg(tileKindTitle(kind)).arg(id).arg(QString::number(id, 16).toUpper()));
    if (id < 0)
        return;

    filling = true;
    isTerrain() ? fillTerrain() : fillStatic();
    filling = false;
    fillImage();
    fillAnimation(anim);
}

ArtWidget::~ArtWidget() = default;

void ArtWidget::setVisible(bool visible)
{
    // There is no tile to show before the palette has a selection.
    if (visible && id < 0) {
        deleteLater();
        return;
    }
    QDialog::setVisible(visible);
}

void ArtWidget::collectFlagBoxes()
{
    flagBoxes = {ui->checkBackground, ui->checkWeapon, ui->checkTransparent, ui->checkTranslucent,
        ui->checkWall, ui->checkDamaging, ui->checkImpassable, ui->checkWet, ui->checkUnknown,
        ui->checkSurface, ui->checkBridge, ui->checkGeneric, ui->checkWindow, ui->checkNoShoot,
        ui->checkPrefixA, ui->checkPrefixAn, ui->checkInternal, ui->checkFoliage, ui->checkPartialHue,
        ui->checkUnknown1, ui->checkMap, ui->checkContainer, ui->checkWearable, ui->checkLightSource,
        ui->checkAnimated, ui->checkDiagnol, ui->checkUnknown2, ui->checkArmor, ui->checkRoof, ui->checkDoor,
        ui->checkStairBack, ui->checkStairRight};
    // A classic file holds no upper flags: there is nothing to show or edit.
    const bool upperFlags = tiles && tiles->layout().hasUpperFlags();
    ui->groupUpperFlags->setVisible(upperFlags);
    for (int bit = TileFlags::LowerFlagCount; upperFlags && bit < TileFlags::FlagCount; ++bit) {
        if (TileFlags::isNamed(bit))
            upperFlagBox(bit);
    }
}

QCheckBox *ArtWidget::upperFlagBox(int bit)
{
    QCheckBox *&box = flagBoxes[bit];
    if (box)
        return box;
    box = new QCheckBox(TileFlags::flagLabel(bit), ui->groupUpperFlags);
    box->setObjectName(QStringLiteral("check") + TileFlags::flagName(bit).remove(QLatin1Char(' ')));
    constexpr int Columns = 4;
    const int position = ui->upperFlagsLayout->count();
    ui->upperFlagsLayout->addWidget(box, position / Columns, position % Columns);
    connect(box, &QCheckBox::stateChanged, this, &ArtWidget::checkChange);
    return box;
}

void ArtWidget::addValidators()
{
    for (const auto &number : byteFields(*ui))
        setNumberRange(number.first, ByteMaximum);
    for (const auto &number : wordFields(*ui))
        setNumberRange(number.first, WordMaximum);
    setNumberRange(ui->lineTexid, WordMaximum);
    // A name is at most 20 Latin-1 characters, as the file stores it.
    ui->lineName->setMaxLength(TileDataFormat::NameSize);
    ui->lineName->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x{1}-\\x{ff}]*")), ui->lineName));
}

void ArtWidget::wireForm()
{
    connect(ui->checkAnimated, &QCheckBox::stateChanged, this, &ArtWidget::toggleAnim);
    // Filling the form ticks boxes too: the labels follow the record's flags from the start.
    for (int bit = 0; bit < TileFlags::LowerFlagCount; ++bit) {
        connect(flagBoxes[bit], &QCheckBox::stateChanged, this, &ArtWidget::checkChange);
        connect(flagBoxes[bit], &QCheckBox::stateChanged, this, &ArtWidget::showFieldLabels);
    }
    // The General page's line edits are the record's fields.
    for (QLineEdit *edit : ui->tab2->findChildren<QLineEdit *>())
        connect(edit, &QLineEdit::textChanged, this, &ArtWidget::textChange);
    connect(ui->pushButton, &QPushButton::clicked, this, &ArtWidget::playAnimation);
    connect(stopButton, &QPushButton::clicked, this, &ArtWidget::stopAnimation);
    connect(player, &AnimationPlayer::frameShown, this, &ArtWidget::showFrame);
    connect(player, &AnimationPlayer::stopped, this, &ArtWidget::showImage);
}

void ArtWidget::addStopButton()
{
    stopButton = new QPushButton(tr("Stop"), ui->pushButton->parentWidget());
    stopButton->setObjectName(QStringLiteral("stopButton"));
    if (QBoxLayout *row = boxHolding(animPage, ui->pushButton))
        row->insertWidget(row->indexOf(ui->pushButton) + 1, stopButton);
}

void ArtWidget::fillTerrain()
{
    ui->groupArt->hide();
    // A tile the tile data holds no record for yet starts empty.
    if (tiles)
        shownLand = tiles->landRecord(id).value_or(LandTileRecord::blank(tiles->layout()));
    applyFlags(shownLand.flags);
    ui->lineTexid->setText(QString::number(shownLand.texid));
    ui->lineName->setText(shownLand.nameText());
}

void ArtWidget::fillStatic()
{
    ui->groupTerrain->hide();
    if (tiles)
        shownStatic = tiles->staticRecord(id).value_or(StaticTileRecord::blank(tiles->layout()));
    applyFlags(shownStatic.flags);
    for (const auto &[edit, field] : byteFields(*ui))
        edit->setText(QString::number(shownStatic.*field));
    for (const auto &[edit, field] : wordFields(*ui))
        edit->setText(QString::number(shownStatic.*field));
    ui->lineName->setText(shownStatic.nameText());
}

void ArtWidget::applyFlags(quint64 flags)
{
    for (int bit = 0; bit < TileFlags::FlagCount; ++bit) {
        const bool set = flags & (quint64(1) << bit);
        // Every upper bit that is set gets a box, named or not, so that it can be seen.
        QCheckBox *box = set && bit >= TileFlags::LowerFlagCount ? upperFlagBox(bit) : flagBoxes[bit];
        if (box)
            box->setChecked(set);
    }
    if (!(flags & TileFlags::Animated))
        ui->tabWidget->removeTab(ui->tabWidget->indexOf(animPage));
}

void ArtWidget::fillImage()
{
    if (art)
        image = art->image(kind, id, false);
    showImage();
}

void ArtWidget::fillAnimation(AnimDataFile *anim)
{
    const AnimDataEntry entry = anim ? anim->readEntry(id) : AnimDataEntry();
    animEntry = entry;
    for (const qint8 offset : entry.frameOffsets)
        ui->listOffset->addItem(QString::number(offset));
    ui->lineAnimUnknown->setText(QString::number(entry.animUnknown));
    ui->lineFrameCount->setText(QString::number(entry.frameCount));
    ui->lineFrameStart->setText(QString::number(entry.frameStart));
    ui->lineFrameInterval->setText(QString::number(entry.frameInterval));
}

void ArtWidget::showImage()
{
    showFrame(image);
}

void ArtWidget::showFrame(const QImage &frame)
{
    shownFrame = frame;
    if (frame.isNull())
        ui->labelImage->clear();
    else
        ui->labelImage->setPixmap(QPixmap::fromImage(
            frame.scaled(frame.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

void ArtWidget::setZoom(int zoom)
{
    if (zoom < 1 || zoom == this->zoom)
        return;
    this->zoom = zoom;
    showFrame(shownFrame);
}

void ArtWidget::playAnimation()
{
    // Damaged counts still play something: at least the first frame, at most every slot.
    const int count = qBound(1, int(animEntry.frameCount), AnimDataEntry::FrameSlots);
    QVector<QImage> frames;
    for (int frame = 0; frame < count; ++frame)
        frames.append(
            art ? art->image(TileKind::Static, id + animEntry.frameOffsets[frame], false) : QImage());
    ui->tabWidget->setCurrentWidget(ui->tab);
    player->play(frames, animEntry.frameInterval);
}

void ArtWidget::stopAnimation()
{
    player->stop();
}

void ArtWidget::done(int result)
{
    stopAnimation();
    QDialog::done(result);
}

void ArtWidget::showFieldLabels()
{
    const TileFieldLabels labels = TileFieldLabels::forFlags(formFlags());
    ui->labelQuantity->setText(labels.quantity);
    ui->labelQuality->setText(labels.quality);
    ui->labelHeight->setText(labels.height);
}

void ArtWidget::checkChange(int)
{
    if (!filling)
        modified = true;
}

void ArtWidget::textChange(const QString &)
{
    if (!filling)
        modified = true;
}

void ArtWidget::toggleAnim(int state)
{
    if (state != Qt::Unchecked) {
        const int index = ui->tabWidget->indexOf(animPage);
        if (index >= 0)
            ui->tabWidget->removeTab(index);
        ui->tabWidget->addTab(animPage, animTitle);
    } else if (ui->tabWidget->count() > AnimPageIndex) {
        stopAnimation();
        ui->tabWidget->removeTab(AnimPageIndex);
    }
}

void ArtWidget::mousePressEvent(QMouseEvent *event)
{
    if (ui->tabWidget->currentWidget() != ui->tab || event->button() != Qt::RightButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    runImageMenu(event->globalPosition().toPoint());
}

void ArtWidget::runImageMenu(const QPoint &globalPos)
{
    const TileImageActions actions(this);
    switch (actions.choose(globalPos)) {
    case TileImageActions::Action::Import: {
        // Null also when the window was closed meanwhile: nothing of it is touched then.
        const QImage loaded = actions.importImage();
        if (!loaded.isNull())
            importImage(loaded);
        break;
    }
    case TileImageActions::Action::Delete:
        changeImage(QImage());
        break;
    case TileImageActions::Action::Save:
        actions.saveImage(image);
        break;
    case TileImageActions::Action::None:
        break;
    }
}

void ArtWidget::importImage(const QImage &loaded)
{
    // Show the image as storing it will give it back. One that cannot be stored is
    // refused now, in the words the palette uses, and the image shown stays.
    QString message;
    const QImage stored = TileEdits::prepareImage(kind, id, loaded, &message);
    if (!message.isEmpty())
        UserPrompts::current().warning(this, windowTitle(), message);
    if (!stored.isNull())
        changeImage(stored);
}

void ArtWidget::changeImage(const QImage &newImage)
{
    stopAnimation();
    image = newImage;
    showImage();
    imageChanged = true;
}

void ArtWidget::accept()
{
    // A failed edit keeps the window open, so that nothing the user entered is lost.
    if (storeEdits())
        QDialog::accept();
}

bool ArtWidget::storeEdits()
{
    if (!imageChanged && !modified)
        return true;
    QString error = tr("The data files are no longer open.");
    std::optional<QImage> newImage;
    if (imageChanged)
        newImage = image;
    const std::optional<TileRecord> record = tiles ? editedRecord() : std::nullopt;
    const bool unchanged = !newImage && !record;
    if (!edits || !tiles || !(unchanged || edits->changeProperties(kind, id, newImage, record, &error))) {
        // The window may be closed while the warning is shown: nothing of it is touched after.
        UserPrompts::current().warning(this, windowTitle(), error);
        return false;
    }
    imageChanged = false;
    modified = false;
    return true;
}

std::optional<TileRecord> ArtWidget::editedRecord() const
{
    if (!modified || !tiles)
        return std::nullopt;
    // Read again: another window or an undo may have changed the record since it was shown.
    if (isTerrain()) {
        const LandTileRecord current = tiles->landRecord(id).value_or(LandTileRecord::blank(tiles->layout()));
        const LandTileRecord edited = current.withChanges(shownLand, formLand());
        return edited == current ? std::nullopt : std::optional<TileRecord>(edited);
    }
    const StaticTileRecord current
        = tiles->staticRecord(id).value_or(StaticTileRecord::blank(tiles->layout()));
    const StaticTileRecord edited = current.withChanges(shownStatic, formStatic());
    return edited == current ? std::nullopt : std::optional<TileRecord>(edited);
}

quint64 ArtWidget::formFlags() const
{
    // Bits without a box were clear when shown.
    quint64 flags = 0;
    for (int bit = 0; bit < TileFlags::FlagCount; ++bit) {
        if (flagBoxes[bit] && flagBoxes[bit]->checkState() != Qt::Unchecked)
            flags |= quint64(1) << bit;
    }
    return flags;
}

LandTileRecord ArtWidget::formLand() const
{
    LandTileRecord form = shownLand;
    form.flags = formFlags();
    form.texid = parseNumber(ui->lineTexid->text());
    // A name that reads as shown keeps its stored bytes, which may go on after the NUL.
    if (ui->lineName->text() != shownLand.nameText())
        form.setNameText(ui->lineName->text());
    return form;
}

StaticTileRecord ArtWidget::formStatic() const
{
    StaticTileRecord form = shownStatic;
    form.flags = formFlags();
    // An 8-bit field keeps the low byte of what was typed.
    for (const auto &[edit, field] : byteFields(*ui))
        form.*field = quint8(parseNumber(edit->text()));
    for (const auto &[edit, field] : wordFields(*ui))
        form.*field = parseNumber(edit->text());
    if (ui->lineName->text() != shownStatic.nameText())
        form.setNameText(ui->lineName->text());
    return form;
}
