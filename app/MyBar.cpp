#include "app/MyBar.h"

#include "tiledata/TileData.h"

#include <QLabel>

namespace {
const QLatin1Char Fill(' ');
constexpr int Decimal = 10;
constexpr int Hexadecimal = 16;
} // namespace

MyBar::MyBar(QLabel *nameLabel, QLabel *sizeLabel, QLabel *idLabel, TileData *tileData)
    : nameLabel(nameLabel), sizeLabel(sizeLabel), idLabel(idLabel), tileData(tileData)
{
    // As wide as the widest id: the label does not jump with the selection, and without
    // one its short text does not run into the label beside it.
    idLabel->setMinimumWidth(idLabel->fontMetrics().horizontalAdvance(idText(WidestId)));
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

QString MyBar::formatText(bool uopArt, const QString &tileDataLayout)
{
    return QStringLiteral("%1 art, %2 tile data").arg(QLatin1String(uopArt ? "UOP" : "MUL"), tileDataLayout);
}

void MyBar::updateName(QString n)
{
    nameLabel->setText(nameText(n));
}

void MyBar::updateSId(int id)
{
    idLabel->setText(idText(id));
    nameLabel->setText(nameText(tileData->name(TileKind::Static, id)));
}

void MyBar::updateTId(int id)
{
    idLabel->setText(idText(id));
    nameLabel->setText(nameText(tileData->name(TileKind::Terrain, id)));
}

void MyBar::updateSize(int width, int height)
{
    sizeLabel->setText(sizeText(width, height));
}
