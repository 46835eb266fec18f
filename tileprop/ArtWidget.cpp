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
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <vector>

namespace {

constexpr int AnimPageIndex = 3;
constexpr uint ByteMaximum = 255;
constexpr uint WordMaximum = 65535;
constexpr int SignedByteMinimum = -128;
constexpr int SignedByteMaximum = 127;

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

// A signed byte as a field of the animation page shows it; anything else is 0.
qint8 parseSignedByte(const QString &text)
{
    int value = 0;
    return NumberFieldValidator::parseSigned(text, &value) && value >= SignedByteMinimum
            && value <= SignedByteMaximum
        ? qint8(value)
        : 0;
}

// The text of a field of records, when every record has the same one.
template <typename Record, typename Text>
std::optional<QString> sharedText(const QMap<int, Record> &records, const Text &text)
{
    const QString first = text(records.first());
    for (const Record &record : records) {
        if (text(record) != first)
            return std::nullopt;
    }
    return first;
}

// The flags every record has, and those some record has.
template <typename Record> std::pair<quint64, quint64> sharedFlags(const QMap<int, Record> &records)
{
    quint64 inAll = ~quint64(0);
    quint64 inSome = 0;
    for (const Record &record : records) {
        inAll &= record.flags;
        inSome |= record.flags;
    }
    return {inAll, inSome};
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
    : ArtWidget(edits, anim, kind, QList<int>{id}, id, parent, flags)
{ }

ArtWidget::ArtWidget(TileEdits *edits, AnimDataFile *anim, TileKind kind, const QList<int> &ids, int current,
    QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), ui(std::make_unique<Ui::tileprop>()), edits(edits),
      art(edits ? &edits->art() : nullptr), tiles(edits ? &edits->tiles() : nullptr), kind(kind), id(current),
      ids(ids), player(new AnimationPlayer(this))
{
    if (!this->ids.contains(current))
        this->ids.append(current);
    std::sort(this->ids.begin(), this->ids.end());
    this->ids.erase(std::unique(this->ids.begin(), this->ids.end()), this->ids.end());
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
    setWindowTitle(isSeveral()
            ? tilesLabel(kind, this->ids)
            : tr("%1: %2 (0x%3)").arg(tileKindTitle(kind)).arg(id).arg(QString::number(id, 16).toUpper()));
    if (this->ids.first() < 0)
        return;

    filling = true;
    isTerrain() ? fillTerrain() : fillStatic();
    filling = false;
    for (QLineEdit *edit : ui->tab2->findChildren<QLineEdit *>())
        shownTexts.insert(edit, edit->text());
    for (int bit = 0; bit < TileFlags::FlagCount; ++bit)
        shownFlags[bit] = flagBoxes[bit] ? flagBoxes[bit]->checkState() : Qt::Unchecked;
    fillImage();
    fillAnimation(anim);
    // Animation entries are edited for one static at a time.
    makeAnimationEditable(!isTerrain() && !isSeveral());
    if (isSeveral())
        ui->tabWidget->removeTab(ui->tabWidget->indexOf(animPage));
}

ArtWidget::~ArtWidget() = default;

void ArtWidget::setVisible(bool visible)
{
    // There is no tile to show before the palette has a selection.
    if (visible && ids.first() < 0) {
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
    connect(ui->listOffset, &QListWidget::itemChanged, this, &ArtWidget::checkOffset);
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
    for (const int tile : ids)
        shownLands.insert(tile,
            tiles ? tiles->landRecord(tile).value_or(LandTileRecord::blank(tiles->layout()))
                  : LandTileRecord());
    const auto [inAll, inSome] = sharedFlags(shownLands);
    applyFlags(inAll, inSome);
    showField(ui->lineTexid,
        sharedText(shownLands, [](const LandTileRecord &record) { return QString::number(record.texid); }));
    showField(
        ui->lineName, sharedText(shownLands, [](const LandTileRecord &record) { return record.nameText(); }));
}

void ArtWidget::fillStatic()
{
    ui->groupTerrain->hide();
    for (const int tile : ids)
        shownStatics.insert(tile,
            tiles ? tiles->staticRecord(tile).value_or(StaticTileRecord::blank(tiles->layout()))
                  : StaticTileRecord());
    const auto [inAll, inSome] = sharedFlags(shownStatics);
    applyFlags(inAll, inSome);
    for (const auto &[edit, field] : byteFields(*ui))
        showField(edit, sharedText(shownStatics, [field = field](const StaticTileRecord &record) {
            return QString::number(record.*field);
        }));
    for (const auto &[edit, field] : wordFields(*ui))
        showField(edit, sharedText(shownStatics, [field = field](const StaticTileRecord &record) {
            return QString::number(record.*field);
        }));
    showField(ui->lineName,
        sharedText(shownStatics, [](const StaticTileRecord &record) { return record.nameText(); }));
}

void ArtWidget::showField(QLineEdit *edit, const std::optional<QString> &text)
{
    edit->setText(text.value_or(QString()));
    edit->setPlaceholderText(text ? QString() : tr("Mixed"));
}

void ArtWidget::applyFlags(quint64 inAll, quint64 inSome)
{
    for (int bit = 0; bit < TileFlags::FlagCount; ++bit) {
        const quint64 mask = quint64(1) << bit;
        const bool set = inSome & mask;
        // Every upper bit that is set gets a box, named or not, so that it can be seen.
        QCheckBox *box = set && bit >= TileFlags::LowerFlagCount ? upperFlagBox(bit) : flagBoxes[bit];
        if (!box)
            continue;
        // Set in some tiles only: a third state, which leaves each tile's bit as it is.
        const bool mixed = set && !(inAll & mask);
        box->setTristate(mixed);
        box->setCheckState(mixed ? Qt::PartiallyChecked : set ? Qt::Checked : Qt::Unchecked);
    }
    if (!(inSome & TileFlags::Animated))
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

void ArtWidget::makeAnimationEditable(bool editable)
{
    for (int row = 0; row < ui->listOffset->count(); ++row) {
        QListWidgetItem *item = ui->listOffset->item(row);
        // The last text taken, which a refused one is replaced by.
        item->setData(Qt::UserRole, item->text());
        if (editable)
            item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    ui->listOffset->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::AnyKeyPressed);
    ui->lineAnimUnknown->setReadOnly(true);
    for (QLineEdit *edit : {ui->lineFrameCount, ui->lineFrameStart, ui->lineFrameInterval})
        edit->setReadOnly(!editable);
    ui->lineFrameCount->setValidator(
        new NumberFieldValidator(0, AnimDataEntry::FrameSlots, ui->lineFrameCount));
    for (QLineEdit *edit : {ui->lineFrameStart, ui->lineFrameInterval})
        edit->setValidator(new NumberFieldValidator(SignedByteMinimum, SignedByteMaximum, edit));
    for (QLineEdit *edit : {ui->lineFrameCount, ui->lineFrameStart, ui->lineFrameInterval})
        shownTexts.insert(edit, edit->text());
}

void ArtWidget::checkOffset(QListWidgetItem *item)
{
    // An offset is a signed byte: anything else gives the last one back.
    QString text = item->text().trimmed();
    int position = 0;
    const NumberFieldValidator offsets(SignedByteMinimum, SignedByteMaximum);
    if (offsets.validate(text, position) == QValidator::Acceptable)
        item->setData(Qt::UserRole, QString::number(parseSignedByte(text)));
    const QString taken = item->data(Qt::UserRole).toString();
    if (item->text() != taken)
        item->setText(taken);
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
    // As the page shows it now, edits and all.
    const AnimDataEntry entry = formAnimation();
    // Damaged counts still play something: at least the first frame, at most every slot.
    const int count = qBound(1, int(entry.frameCount), AnimDataEntry::FrameSlots);
    QVector<QImage> frames;
    for (int frame = 0; frame < count; ++frame)
        frames.append(art ? art->image(TileKind::Static, id + entry.frameOffsets[frame], false) : QImage());
    ui->tabWidget->setCurrentWidget(ui->tab);
    player->play(frames, entry.frameInterval);
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
    if (isSeveral())
        return;
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
    // The image shown is one of several tiles': it is changed one tile at a time.
    if (isSeveral() || ui->tabWidget->currentWidget() != ui->tab || event->button() != Qt::RightButton) {
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
    const std::optional<AnimDataEntry> animation = editedAnimation();
    if (!imageChanged && !modified && !animation)
        return true;
    QString error = tr("The data files are no longer open.");
    bool stored = edits && tiles;
    if (stored && isSeveral()) {
        QMap<int, TileRecord> records;
        for (const int tile : ids) {
            if (const std::optional<TileRecord> record = editedRecord(tile))
                records.insert(tile, *record);
        }
        stored
            = records.isEmpty() || edits->changeRecords(kind, records, TileEdits::propertiesName(), &error);
    } else if (stored) {
        std::optional<QImage> newImage;
        if (imageChanged)
            newImage = image;
        const std::optional<TileRecord> record = editedRecord(id);
        stored = (!newImage && !record && !animation)
            || edits->changeProperties(kind, id, newImage, record, &error, animation);
    }
    if (!stored) {
        // The window may be closed while the warning is shown: nothing of it is touched after.
        UserPrompts::current().warning(this, windowTitle(), error);
        return false;
    }
    imageChanged = false;
    modified = false;
    return true;
}

bool ArtWidget::isChanged(const QLineEdit *edit) const
{
    return edit->text() != shownTexts.value(edit);
}

std::optional<TileRecord> ArtWidget::editedRecord(int tile) const
{
    if (!modified || !tiles)
        return std::nullopt;
    // Read again: another window or an undo may have changed the record since it was shown.
    if (isTerrain()) {
        const LandTileRecord current
            = tiles->landRecord(tile).value_or(LandTileRecord::blank(tiles->layout()));
        const LandTileRecord &shown = shownLands[tile];
        const LandTileRecord edited = current.withChanges(shown, formLand(shown));
        return edited == current ? std::nullopt : std::optional<TileRecord>(edited);
    }
    const StaticTileRecord current
        = tiles->staticRecord(tile).value_or(StaticTileRecord::blank(tiles->layout()));
    const StaticTileRecord &shown = shownStatics[tile];
    const StaticTileRecord edited = current.withChanges(shown, formStatic(shown));
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

quint64 ArtWidget::formFlags(quint64 shown) const
{
    quint64 flags = shown;
    for (int bit = 0; bit < TileFlags::FlagCount; ++bit) {
        const QCheckBox *box = flagBoxes[bit];
        // A box back in its third state, or as it was, leaves the bit as the tile has it.
        if (!box || box->checkState() == Qt::PartiallyChecked || box->checkState() == shownFlags[bit])
            continue;
        const quint64 mask = quint64(1) << bit;
        flags = box->checkState() == Qt::Checked ? flags | mask : flags & ~mask;
    }
    return flags;
}

LandTileRecord ArtWidget::formLand(const LandTileRecord &shown) const
{
    LandTileRecord form = shown;
    form.flags = formFlags(shown.flags);
    if (isChanged(ui->lineTexid))
        form.texid = parseNumber(ui->lineTexid->text());
    // A name that reads as shown keeps its stored bytes, which may go on after the NUL.
    if (isChanged(ui->lineName))
        form.setNameText(ui->lineName->text());
    return form;
}

StaticTileRecord ArtWidget::formStatic(const StaticTileRecord &shown) const
{
    StaticTileRecord form = shown;
    form.flags = formFlags(shown.flags);
    // An 8-bit field keeps the low byte of what was typed.
    for (const auto &[edit, field] : byteFields(*ui)) {
        if (isChanged(edit))
            form.*field = quint8(parseNumber(edit->text()));
    }
    for (const auto &[edit, field] : wordFields(*ui)) {
        if (isChanged(edit))
            form.*field = parseNumber(edit->text());
    }
    if (isChanged(ui->lineName))
        form.setNameText(ui->lineName->text());
    return form;
}

AnimDataEntry ArtWidget::formAnimation() const
{
    AnimDataEntry entry = animEntry;
    // The list holds signed bytes only: a refused offset was given back at once.
    for (int slot = 0; slot < AnimDataEntry::FrameSlots && slot < ui->listOffset->count(); ++slot)
        entry.frameOffsets[slot] = parseSignedByte(ui->listOffset->item(slot)->text());
    const std::pair<QLineEdit *, qint8 AnimDataEntry::*> fields[]
        = {{ui->lineFrameCount, &AnimDataEntry::frameCount}, {ui->lineFrameStart, &AnimDataEntry::frameStart},
            {ui->lineFrameInterval, &AnimDataEntry::frameInterval}};
    for (const auto &[edit, field] : fields) {
        if (isChanged(edit))
            entry.*field = parseSignedByte(edit->text());
    }
    return entry;
}

std::optional<AnimDataEntry> ArtWidget::editedAnimation() const
{
    if (isTerrain() || isSeveral())
        return std::nullopt;
    const AnimDataEntry entry = formAnimation();
    return entry == animEntry ? std::nullopt : std::optional<AnimDataEntry>(entry);
}
