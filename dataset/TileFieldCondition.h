#pragma once

#include "io/TileKind.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

struct LandTileRecord;
struct StaticTileRecord;

// A number field of a tile compared with a number: "weight = 255", "height > 0",
// "animid != 0". Fields are named by their keys in the tile's JSON; "id" is the tile's id.
class TileFieldCondition
{
public:
    enum class Comparison { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

    // The keys the conditions of a kind may name, in the JSON's order.
    static QStringList keys(TileKind kind);
    // Conditions separated by commas, each a key, one of = == != < <= > >= and a number
    // (decimal, or hexadecimal after 0x) the field can hold; blank text holds none.
    // Nothing, and *error saying what is wrong with which condition, for anything else.
    static std::optional<QVector<TileFieldCondition>> parseList(
        const QString &text, TileKind kind, QString *error);

    bool holds(int id, const LandTileRecord &record) const;
    bool holds(int id, const StaticTileRecord &record) const;

    QString key() const;
    Comparison comparison() const { return op; }
    quint64 value() const { return number; }
    bool operator==(const TileFieldCondition &other) const
    {
        return kind == other.kind && field == other.field && op == other.op && number == other.number;
    }

private:
    TileFieldCondition(TileKind kind, int field, Comparison op, quint64 number)
        : kind(kind), field(field), op(op), number(number)
    { }
    bool compare(quint64 fieldValue) const;

    TileKind kind;
    // The index of the key in keys(kind).
    int field;
    Comparison op;
    quint64 number;
};
