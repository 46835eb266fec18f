#include "tileprop/ComparePane.h"

#include "art/ArtFormat.h"
#include "dataset/DataSet.h"
#include "tiledata/TileFlags.h"
#include "tileprop/AnimationPlayer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString folderName(const DataSet &set)
{
    return QFileInfo(QDir::cleanPath(set.directory())).fileName();
}

// The frames an entry plays, as the properties window plays them: the statics at the
// tile's id plus each frame offset; a damaged count plays at least the first frame.
QVector<QImage> framesOf(const DataSet &set, int id, const AnimDataEntry &entry)
{
    const int count = qBound(1, int(entry.frameCount), AnimDataEntry::FrameSlots);
    QVector<QImage> frames;
    for (int frame = 0; frame < count; ++frame) {
        const int frameId = id + entry.frameOffsets[frame];
        frames.append(frameId >= 0 && frameId < ArtFormat::MaxStaticCount
                ? DataSetComparison::image(set, TileKind::Static, frameId)
                : QImage());
    }
    return frames;
}

// The entry's frames (their count, then the offsets it plays), its interval and its start.
QStringList animationTexts(const std::optional<AnimDataEntry> &entry)
{
    if (!entry)
        return {QStringLiteral("not animated"), QString(), QString()};
    QStringList offsets;
    const int count = qBound(0, int(entry->frameCount), AnimDataEntry::FrameSlots);
    for (int frame = 0; frame < count; ++frame)
        offsets.append(QString::number(entry->frameOffsets[frame]));
    QString frames = QString::number(entry->frameCount);
    if (!offsets.isEmpty())
        frames += QStringLiteral(" (%1)").arg(offsets.join(QStringLiteral(", ")));
    return {frames, QString::number(entry->frameInterval), QString::number(entry->frameStart)};
}

} // namespace

ComparePane::ComparePane(QWidget *parent) : QWidget(parent)
{
    zoomBox = new QComboBox;
    for (int zoom = 1; zoom <= MaxZoom; ++zoom)
        zoomBox->addItem(QStringLiteral("%1x").arg(zoom), zoom);
    zoomBox->setCurrentIndex(factor - 1);
    connect(zoomBox, &QComboBox::currentIndexChanged, this, [this](int index) { setZoom(index + 1); });
    auto *zoomRow = new QHBoxLayout;
    auto *zoomLabel = new QLabel(QStringLiteral("Zoom"));
    zoomLabel->setBuddy(zoomBox);
    zoomRow->addWidget(zoomLabel);
    zoomRow->addWidget(zoomBox);
    zoomRow->addStretch();

    auto *images = new QWidget;
    auto *grid = new QGridLayout(images);
    for (Column side : {Mine, Other}) {
        buildSide(side);
        SideView &view = sides[side];
        grid->addWidget(view.caption, 0, side);
        grid->addWidget(view.image, 1, side);
        grid->addWidget(view.play, 2, side, Qt::AlignHCenter);
    }
    artNote = new QLabel;
    artNote->setObjectName(QStringLiteral("artNote"));
    artNote->setAlignment(Qt::AlignHCenter);
    grid->addWidget(artNote, 3, Mine, 1, 2);
    grid->setRowStretch(1, 1);
    // Large statics at four times their size scroll rather than push the window apart.
    auto *scroller = new QScrollArea;
    scroller->setWidget(images);
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);

    table = new QTableWidget(0, 2);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    takeArt = new QCheckBox(QStringLiteral("Art"));
    takeTileData = new QCheckBox(QStringLiteral("Tile data"));
    takeAnimation = new QCheckBox(QStringLiteral("Animation"));
    auto *takeBox = new QGroupBox(QStringLiteral("Take From Other"));
    auto *takeRow = new QHBoxLayout(takeBox);
    for (QCheckBox *box : {takeArt, takeTileData, takeAnimation}) {
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, &ComparePane::takePartsChanged);
        takeRow->addWidget(box);
    }
    takeRow->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(zoomRow);
    layout->addWidget(scroller, 2);
    layout->addWidget(table, 3);
    layout->addWidget(takeBox);
    clear();
}

ComparePane::~ComparePane() = default;

void ComparePane::buildSide(Column side)
{
    SideView &view = sides[side];
    view.caption = new QLabel;
    view.caption->setAlignment(Qt::AlignHCenter);
    view.image = new QLabel;
    view.image->setObjectName(side == Mine ? QStringLiteral("mineImage") : QStringLiteral("otherImage"));
    view.image->setAlignment(Qt::AlignCenter);
    view.image->setMinimumSize(ArtFormat::TerrainSize, ArtFormat::TerrainSize);
    // The image's background shows whether the art differs.
    view.image->setAutoFillBackground(true);
    view.play = new QPushButton(QStringLiteral("Play"));
    view.player = new AnimationPlayer(this);
    connect(view.play, &QPushButton::clicked, this, [this, side] { togglePlay(side); });
    connect(view.player, &AnimationPlayer::frameShown, this,
        [this, side](const QImage &frame) { showImage(sides[side], frame); });
    connect(view.player, &AnimationPlayer::stopped, this, [this, side] {
        SideView &stopped = sides[side];
        stopped.play->setText(QStringLiteral("Play"));
        showImage(stopped, stopped.still);
    });
}

void ComparePane::showTile(const DataSet &mine, const DataSet &other, TileKind kind, int id)
{
    stopPlaying();
    if (id < 0) {
        clear();
        return;
    }
    const std::array<DataSetComparison::Side, 2> shown
        = {DataSetComparison::side(mine, kind, id), DataSetComparison::side(other, kind, id)};
    const DataSetComparison::Difference differing = DataSetComparison(mine, other).partsDiffering(kind, id);
    const DataSet *sets[] = {&mine, &other};
    for (Column side : {Mine, Other}) {
        SideView &view = sides[side];
        view.caption->setText(folderName(*sets[side]));
        QPalette colours = palette();
        if (differing.art)
            colours.setColor(QPalette::Window, highlightColor());
        view.image->setPalette(colours);
        view.still = shown[side].image;
        showImage(view, view.still);
        const std::optional<AnimDataEntry> &entry = shown[side].animation;
        view.frames = entry ? framesOf(*sets[side], id, *entry) : QVector<QImage>();
        view.interval = entry ? entry->frameInterval : 0;
        view.play->setVisible(kind == TileKind::Static);
        view.play->setEnabled(entry.has_value());
    }
    artNote->setText(differing.art ? QStringLiteral("art differs") : QStringLiteral("art alike"));
    table->setHorizontalHeaderLabels({sides[Mine].caption->text(), sides[Other].caption->text()});
    fillTable(kind, shown, differing);
}

void ComparePane::clear()
{
    stopPlaying();
    for (SideView &view : sides) {
        view.caption->clear();
        view.still = QImage();
        view.frames.clear();
        view.image->setPalette(palette());
        view.image->setText(QStringLiteral("No tile"));
        view.play->setEnabled(false);
    }
    artNote->clear();
    table->setRowCount(0);
}

void ComparePane::fillTable(TileKind kind, const std::array<DataSetComparison::Side, 2> &shown,
    const DataSetComparison::Difference &differing)
{
    table->setRowCount(0);
    const QStringList names = DataSetComparison::fieldNames(kind);
    for (int field = 0; field < names.size(); ++field) {
        const QString &name = names.at(field);
        if (name != QLatin1String("flags")) {
            addRow(name, shown[Mine].fields.value(field), shown[Other].fields.value(field),
                differing.tileData.contains(name));
            continue;
        }
        // One row per flag either side sets, named where it is set: a flag set on one
        // side only is a difference.
        const quint64 either = shown[Mine].flags | shown[Other].flags;
        if (either == 0)
            addRow(name, QStringLiteral("none"), QStringLiteral("none"), false);
        for (int bit = 0; bit < TileFlags::FlagCount; ++bit) {
            const quint64 flag = quint64(1) << bit;
            if (!(either & flag))
                continue;
            const QString flagName = TileFlags::flagName(bit);
            const bool mine = shown[Mine].flags & flag;
            const bool other = shown[Other].flags & flag;
            addRow(name, mine ? flagName : QString(), other ? flagName : QString(), mine != other);
        }
    }
    if (kind != TileKind::Static)
        return;
    const QStringList mine = animationTexts(shown[Mine].animation);
    const QStringList other = animationTexts(shown[Other].animation);
    const QString labels[] = {QStringLiteral("frames"), QStringLiteral("interval"), QStringLiteral("start")};
    for (int row = 0; row < 3; ++row)
        addRow(
            labels[row], mine.at(row), other.at(row), differing.animation && mine.at(row) != other.at(row));
}

void ComparePane::addRow(const QString &label, const QString &mine, const QString &other, bool highlighted)
{
    const int row = table->rowCount();
    table->insertRow(row);
    table->setVerticalHeaderItem(row, new QTableWidgetItem(label));
    int column = Mine;
    for (const QString &text : {mine, other}) {
        auto *item = new QTableWidgetItem(text);
        if (highlighted) {
            item->setBackground(highlightColor());
            // Readable on the highlight whatever the theme's text colour.
            item->setForeground(QColor(Qt::black));
        }
        table->setItem(row, column++, item);
    }
}

void ComparePane::showImage(SideView &view, const QImage &image)
{
    if (image.isNull()) {
        view.image->setText(QStringLiteral("No image"));
        return;
    }
    // Whole pixels, enlarged without smoothing, as a tile editor shows them.
    view.image->setPixmap(QPixmap::fromImage(image.scaled(image.size() * factor)));
}

void ComparePane::setZoom(int zoom)
{
    zoom = qBound(1, zoom, MaxZoom);
    if (zoom == factor)
        return;
    factor = zoom;
    zoomBox->setCurrentIndex(factor - 1);
    for (SideView &view : sides) {
        if (!view.player->isPlaying() && !view.caption->text().isEmpty())
            showImage(view, view.still);
    }
    Q_EMIT zoomChanged(factor);
}

TileEdits::TakeParts ComparePane::takeParts() const
{
    TileEdits::TakeParts parts;
    parts.art = takeArt->isChecked();
    parts.tileData = takeTileData->isChecked();
    parts.animation = takeAnimation->isChecked();
    return parts;
}

bool ComparePane::takesAnything() const
{
    const TileEdits::TakeParts parts = takeParts();
    return parts.art || parts.tileData || parts.animation;
}

void ComparePane::togglePlay(Column side)
{
    SideView &view = sides[side];
    if (view.player->isPlaying()) {
        view.player->stop();
        return;
    }
    view.player->play(view.frames, view.interval);
    if (view.player->isPlaying())
        view.play->setText(QStringLiteral("Stop"));
}

void ComparePane::stopPlaying()
{
    for (SideView &view : sides)
        view.player->stop();
}
