#pragma once

#include "art/ArtContainer.h"

#include <QString>
#include <QStringList>
#include <memory>

// Which art container of a directory is read: art.mul with artidx.mul when both are
// there, otherwise artLegacyMUL.uop; or the one the user forces.
class ArtContainerChoice
{
public:
    enum class Choice { Automatic, Mul, Uop };

    // What opening the art of a directory found.
    struct Opened
    {
        std::unique_ptr<ArtContainer> container; // null when it could not be opened
        QStringList missing; // the files it lacks, named for the user
        QString damage; // why a file that is there could not be read
    };

    static Opened open(const QString &directory, Choice choice);
    // The container the choice reads in directory, as far as the files present tell.
    static ArtContainer::Format formatIn(const QString &directory, Choice choice);

    // "mul" or "uop" to a forced choice; false for anything else.
    static bool parse(const QString &text, Choice *choice);
    // The files a container in format is made of.
    static QStringList fileNames(ArtContainer::Format format);
};
