#include "tileprop/TileFieldLabels.h"

#include "tiledata/TileFlags.h"

TileFieldLabels TileFieldLabels::forFlags(quint64 flags)
{
    TileFieldLabels labels;
    // Weapons and armour both keep their class there.
    labels.quantity = flags & (TileFlags::Weapon | TileFlags::Armor) ? tr("Class") : tr("Quantity");
    // A light source's light id wins over a wearable's layer.
    if (flags & TileFlags::LightSource)
        labels.quality = tr("Light ID");
    else if (flags & TileFlags::Wearable)
        labels.quality = tr("Layer");
    else
        labels.quality = tr("Quality");
    labels.height = flags & TileFlags::Container ? tr("Contains") : tr("Height");
    return labels;
}
