#include "dataset/TileFieldCondition.h"

#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileDataFormat.h"

#include <QRegularExpression>

namespace {

template <typename Record> struct Field
{
    const char *key;
    quint64 max;
    quint64 (*value)(int id, const Record &record);
};

constexpr quint64 ByteMax = 0xff;
constexpr quint64 WordMax = 0xffff;
constexpr quint64 FlagsMax = ~quint64(0);

const Field<LandTileRecord> LandFields[] = {
    {"id", TileDataFormat::LandCount - 1, [](int id, const LandTileRecord &) { return quint64(id); }},
    {"flags", FlagsMax, [](int, const LandTileRecord &r) { return r.flags; }},
    {"texid", WordMax, [](int, const LandTileRecord &r) { return quint64(r.texid); }},
};

const Field<StaticTileRecord> StaticFields[] = {
    {"id", TileDataFormat::MaxStaticCount - 1, [](int id, const StaticTileRecord &) { return quint64(id); }},
    {"flags", FlagsMax, [](int, const StaticTileRecord &r) { return r.flags; }},
    {"weight", ByteMax, [](int, const StaticTileRecord &r) { return quint64(r.weight); }},
    {"quality", ByteMax, [](int, const StaticTileRecord &r) { return quint64(r.quality); }},
    {"unknown", WordMax, [](int, const StaticTileRecord &r) { return quint64(r.unknown); }},
    {"unknown1", ByteMax, [](int, const StaticTileRecord &r) { return quint64(r.unknown1); }},
    {"quantity", ByteMax, [](int, const StaticTileRecord &r) { return quint64(r.quantity); }},
    {"animid", WordMax, [](int, const StaticTileRecord &r) { return quint64(r.animid); }},
    {"unknown2", ByteMax, [](int, const StaticTileRecord &r) { return quint64(r.unknown2); }},
    {"hue", ByteMax, [](int, const StaticTileRecord &r) { return quint64(r.hue); }},
    {"unknown3", WordMax, [](int, const StaticTileRecord &r) { return quint64(r.unknown3); }},
    {"height", ByteMax, [](int, const StaticTileRecord &r) { return quint64(r.height); }},
};

constexpr int LandFieldCount = int(std::size(LandFields));
constexpr int StaticFieldCount = int(std::size(StaticFields));

quint64 fieldMax(TileKind kind, int field)
{
    return kind == TileKind::Terrain ? LandFields[field].max : StaticFields[field].max;
}

// Longest operators first, so that "<=" is not read as "<" and "= 5".
const char *const Operators[] = {"==", "!=", "<=", ">=", "=", "<", ">"};
using Comparison = TileFieldCondition::Comparison;
const Comparison OperatorComparisons[] = {Comparison::Equal, Comparison::NotEqual, Comparison::LessOrEqual,
    Comparison::GreaterOrEqual, Comparison::Equal, Comparison::Less, Comparison::Greater};

bool parseNumber(const QString &text, quint64 *value)
{
    bool ok = false;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        *value = text.mid(2).toULongLong(&ok, 16);
    else if (!text.isEmpty() && text.at(0).isDigit())
        *value = text.toULongLong(&ok, 10);
    return ok;
}

} // namespace

QStringList TileFieldCondition::keys(TileKind kind)
{
    QStringList names;
    if (kind == TileKind::Terrain) {
        for (const auto &field : LandFields)
            names << QLatin1String(field.key);
    } else {
        for (const auto &field : StaticFields)
            names << QLatin1String(field.key);
    }
    return names;
}

QString TileFieldCondition::key() const
{
    return keys(kind).at(field);
}

std::optional<QVector<TileFieldCondition>> TileFieldCondition::parseList(
    const QString &text, TileKind kind, QString *error)
{
    static const QRegularExpression Shape(QStringLiteral("^([A-Za-z][A-Za-z0-9]*)\\s*([=!<>]=?)\\s*(\\S+)$"));
    const QStringList known = keys(kind);
    QVector<TileFieldCondition> conditions;
    for (const QString &untrimmed : text.split(QLatin1Char(','))) {
        const QString part = untrimmed.trimmed();
        // A comma typed before the next condition is no condition yet.
        if (part.isEmpty())
            continue;
        const QRegularExpressionMatch match = Shape.match(part);
        int op = -1;
        for (int i = 0; match.hasMatch() && i < int(std::size(Operators)); ++i) {
            if (match.captured(2) == QLatin1String(Operators[i])) {
                op = i;
                break;
            }
        }
        if (op < 0) {
            *error = QStringLiteral("\"%1\" is not a condition: write a field, a comparison and a number, "
                                    "as in \"weight = 255\" or \"height > 0\".")
                         .arg(part);
            return std::nullopt;
        }
        const int field = known.indexOf(match.captured(1).toLower());
        if (field < 0) {
            const QString noun = tileKindNoun(kind);
            *error = QStringLiteral("%1%2s have no field \"%3\"; theirs are %4.")
                         .arg(noun.left(1).toUpper(), noun.mid(1), match.captured(1),
                             known.join(QStringLiteral(", ")));
            return std::nullopt;
        }
        quint64 number = 0;
        if (!parseNumber(match.captured(3), &number) || number > fieldMax(kind, field)) {
            *error = QStringLiteral("\"%1\" in \"%2\" is not a number %3 can hold (0 to %4).")
                         .arg(match.captured(3), part, known.at(field))
                         .arg(fieldMax(kind, field));
            return std::nullopt;
        }
        conditions.append(TileFieldCondition(kind, field, OperatorComparisons[op], number));
    }
    return conditions;
}

bool TileFieldCondition::holds(int id, const LandTileRecord &record) const
{
    return kind == TileKind::Terrain && field < LandFieldCount
        && compare(LandFields[field].value(id, record));
}

bool TileFieldCondition::holds(int id, const StaticTileRecord &record) const
{
    return kind == TileKind::Static && field < StaticFieldCount
        && compare(StaticFields[field].value(id, record));
}

bool TileFieldCondition::compare(quint64 fieldValue) const
{
    switch (op) {
    case Comparison::Equal:
        return fieldValue == number;
    case Comparison::NotEqual:
        return fieldValue != number;
    case Comparison::Less:
        return fieldValue < number;
    case Comparison::LessOrEqual:
        return fieldValue <= number;
    case Comparison::Greater:
        return fieldValue > number;
    case Comparison::GreaterOrEqual:
        return fieldValue >= number;
    }
    return false;
}
