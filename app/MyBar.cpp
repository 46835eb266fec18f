#include "app/MyBar.h"

#include "app/StatusNotice.h"
#include "art/ArtContainer.h"
#include "art/ArtWork.h"
#include "dataset/DataSet.h"
#include "tiledata/TileData.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

namespace {
const QLatin1Char Fill(' ');
constexpr int Decimal = 10;
constexpr int Hexadecimal = 16;

QLabel *addLabel(QStatusBar *bar)
{
    auto *label = new QLabel(bar);
    bar->addPermanentWidget(label, 0);
    return label;
}
} // namespace

MyBar::MyBar(QStatusBar *bar)
    : QObject(bar), nameLabel(addLabel(bar)), sizeLabel(addLabel(bar)), idLabel(addLabel(bar)),
      formatLabel(addLabel(bar)), comparing(new QProgressBar(bar))
{
    comparing->setObjectName(QStringLiteral("comparisonProgress"));
    comparing->setMaximumWidth(
        comparing->fontMetrics().horizontalAdvance(QStringLiteral("Comparing with a folder: 100%")));
    bar->addPermanentWidget(comparing, 0);
    comparing->hide();
    formatLabel->setObjectName(QStringLiteral("formatLabel"));
    // Made after the labels, so that it sees them take room from the message.
    notice = new StatusNotice(bar);
    // As wide as the widest id: the label does not jump with the selection, and without
    // one its short text does not run into the label beside it.
    idLabel->setMinimumWidth(idLabel->fontMetrics().horizontalAdvance(idText(WidestId)));
    // Left of the current tile's name, which it counts in; made last, so that the labels
    // above keep their order among the bar's children.
    selectedLabel = new QLabel(bar);
    selectedLabel->setObjectName(QStringLiteral("selectedLabel"));
    bar->insertPermanentWidget(0, selectedLabel, 0);
    selectedLabel->hide();
}

QString MyBar::nameText(const QString &name)
{
    return QStringLiteral("Name: %1").arg(name, NameWidth, Fill);
}

QString MyBar::sizeText(int width, int height)
{
    return QStringLiteral("Size: %1 x %2")
        .arg(width, SizeWidth, Decimal, Fill)
        .arg(height, SizeWidth, Decimal, Fill);
}

QString MyBar::idText(int id)
{
    if (id < 0)
        return QStringLiteral("ID:");
    return QStringLiteral("ID: %1 (0x%2)")
        .arg(id, IdWidth, Decimal, Fill)
        .arg(QString::number(id, Hexadecimal).toUpper());
}

QString MyBar::selectedText(int count)
{
    return QStringLiteral("%1 selected").arg(count);
}

QString MyBar::formatText(bool uopArt, const QString &tileDataLayout)
{
    return QStringLiteral("%1 art, %2 tile data").arg(QLatin1String(uopArt ? "UOP" : "MUL"), tileDataLayout);
}

void MyBar::describe(const DataSet *set)
{
    tileData = set ? &set->tiles() : nullptr;
    if (!set)
        return;
    const ArtContainer &container = set->art().container();
    const TileData &tiles = set->tiles();
    const QString layoutWarning = tiles.layoutWarning();
    formatLabel->setText(formatText(container.format() == ArtContainer::Format::Uop, tiles.layoutName())
        + (layoutWarning.isEmpty() ? QString() : QStringLiteral(" (damaged file)")));
    // The files, and why the tile data is read in its layout.
    const QString layoutWhy = layoutWarning.isEmpty()
        ? QStringLiteral("%1 is read as %2 tile data because %3.")
              .arg(QFileInfo(tiles.fileName()).fileName(), tiles.layoutName(), tiles.layoutReason())
        : layoutWarning;
    formatLabel->setToolTip(QDir::toNativeSeparators(container.fileNames().join(QLatin1Char('\n')))
        + QStringLiteral("\n\n") + layoutWhy);
    nameLabel->setText(nameText(QStringLiteral(" ")));
    showSelectedCount(0);
    showSize(0, 0);
    idLabel->setText(idText(-1));
}

void MyBar::showNotice(const QString &text)
{
    notice->show(text);
}

void MyBar::showComparison(const QString &other, int done, int total)
{
    // Until the first tiles are compared (the data sets are being read) the bar is busy.
    comparing->setMaximum(qMax(total, 0));
    comparing->setValue(qMin(done, qMax(total, 0)));
    comparing->setFormat(QStringLiteral("Comparing with %1: %p%").arg(other));
    comparing->show();
}

void MyBar::endComparison()
{
    comparing->hide();
}

bool MyBar::showsComparison() const
{
    return !comparing->isHidden();
}

void MyBar::showStatic(int id)
{
    idLabel->setText(idText(id));
    nameLabel->setText(nameText(tileData ? tileData->name(TileKind::Static, id) : QString()));
}

void MyBar::showTerrain(int id)
{
    idLabel->setText(idText(id));
    nameLabel->setText(nameText(tileData ? tileData->name(TileKind::Terrain, id) : QString()));
}

void MyBar::showSize(int width, int height)
{
    sizeLabel->setText(sizeText(width, height));
}

void MyBar::showSelectedCount(int count)
{
    selectedLabel->setText(count > 1 ? selectedText(count) : QString());
    selectedLabel->setVisible(count > 1);
}
