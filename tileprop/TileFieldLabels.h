#pragma once

#include <QCoreApplication>
#include <QString>

// The texts of the properties form's labels that follow the flags: under some flags the
// quantity field holds a class, the quality field a layer or a light id, and the height
// field a capacity.
struct TileFieldLabels
{
    Q_DECLARE_TR_FUNCTIONS(TileFieldLabels)

public:
    QString quantity;
    QString quality;
    QString height;

    static TileFieldLabels forFlags(quint64 flags);
};
