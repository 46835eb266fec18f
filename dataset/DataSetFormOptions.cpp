#include "dataset/DataSetFormOptions.h"

#include <QCommandLineParser>

QString DataSetFormOptions::artValues()
{
    return QStringLiteral("mul|uop");
}

QString DataSetFormOptions::layoutValues()
{
    return TileDataLayout::names().join(QLatin1Char('|'));
}

QString DataSetFormOptions::artNames()
{
    return QStringLiteral("mul or uop");
}

QString DataSetFormOptions::layoutNames()
{
    return TileDataLayout::names().join(QStringLiteral(" or "));
}

bool DataSetFormOptions::readArt(const QCommandLineParser &parser, const QCommandLineOption &option,
    ArtContainerChoice::Choice *choice, BadValue *bad)
{
    const QString name = option.names().constFirst();
    if (!parser.isSet(name) || ArtContainerChoice::parse(parser.value(name), choice))
        return true;
    *bad = {typedName(parser, option), artNames(), parser.value(name)};
    return false;
}

bool DataSetFormOptions::readLayout(const QCommandLineParser &parser, const QCommandLineOption &option,
    std::optional<TileDataLayout> *layout, BadValue *bad)
{
    const QString name = option.names().constFirst();
    if (!parser.isSet(name))
        return true;
    TileDataLayout named;
    if (!TileDataLayout::fromName(parser.value(name), &named)) {
        *bad = {typedName(parser, option), layoutNames(), parser.value(name)};
        return false;
    }
    *layout = named;
    return true;
}

QString DataSetFormOptions::typedName(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    // The parser gives the value typed last, whichever name it came with.
    const QStringList typed = parser.optionNames();
    for (auto name = typed.crbegin(); name != typed.crend(); ++name) {
        if (option.names().contains(*name))
            return *name;
    }
    return option.names().constFirst();
}
