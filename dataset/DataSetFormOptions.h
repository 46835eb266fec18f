#pragma once

#include "dataset/ArtContainerChoice.h"
#include "tiledata/TileDataLayout.h"

#include <QString>
#include <optional>

class QCommandLineOption;
class QCommandLineParser;

// The command-line options of both programs that name the forms of a data set: the art
// container (--in-art, --art: mul|uop) and the layout of tiledata.mul (--in-tiledata,
// --tiledata). Their names, the values they take, and reading those values.
class DataSetFormOptions
{
public:
    // The options' names, without "--".
    static QString inputArtOption() { return QStringLiteral("in-art"); }
    static QString inputTileDataOption() { return QStringLiteral("in-tiledata"); }
    static QString artOption() { return QStringLiteral("art"); }
    static QString tileDataOption() { return QStringLiteral("tiledata"); }

    // The values, as help shows them: "mul|uop", "classic|high-seas".
    static QString artValues();
    static QString layoutValues();
    // What the values must be, as errors say it: "mul or uop", "classic or high-seas".
    static QString artNames();
    static QString layoutNames();

    // A value that names no form: the option as the user typed it (without "--"), what
    // the value must be, and the value.
    struct BadValue
    {
        QString option;
        QString expected;
        QString value;
    };

    // The value of option, when it was given, to *choice; false and *bad when it names
    // no art container.
    static bool readArt(const QCommandLineParser &parser, const QCommandLineOption &option,
        ArtContainerChoice::Choice *choice, BadValue *bad);
    // The value of option, when it was given, to *layout; false and *bad when it names
    // no layout.
    static bool readLayout(const QCommandLineParser &parser, const QCommandLineOption &option,
        std::optional<TileDataLayout> *layout, BadValue *bad);
    // The name of option the user typed last; its first name when none was typed.
    static QString typedName(const QCommandLineParser &parser, const QCommandLineOption &option);
};
