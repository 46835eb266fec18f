#include "dataset/ArtContainerChoice.h"

#include "art/MulArtContainer.h"
#include "art/UopArtContainer.h"
#include "io/DataFileNames.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool present(const QString &directory, const QString &fileName)
{
    return QFileInfo::exists(QDir(directory).filePath(fileName));
}

bool bothMulFiles(const QString &directory)
{
    return present(directory, DataFileNames::ArtMul) && present(directory, DataFileNames::ArtIdxMul);
}

ArtContainerChoice::Opened openMul(const QString &directory, bool automatic)
{
    ArtContainerChoice::Opened opened;
    const QStringList names{DataFileNames::ArtMul, DataFileNames::ArtIdxMul};
    for (const QString &name : names) {
        if (!present(directory, name))
            opened.missing.append(name);
    }
    if (!opened.missing.isEmpty()) {
        // Either container would do: name both.
        if (automatic)
            opened.missing = {QStringLiteral("%1 (or %2)")
                                  .arg(opened.missing.join(QStringLiteral(" and ")), DataFileNames::ArtUop)};
        return opened;
    }
    auto container = std::make_unique<MulArtContainer>();
    if (container->open(QDir(directory).filePath(DataFileNames::ArtIdxMul),
            QDir(directory).filePath(DataFileNames::ArtMul), &opened.damage))
        opened.container = std::move(container);
    return opened;
}

ArtContainerChoice::Opened openUop(const QString &directory)
{
    ArtContainerChoice::Opened opened;
    if (!present(directory, DataFileNames::ArtUop)) {
        opened.missing.append(DataFileNames::ArtUop);
        return opened;
    }
    auto container = std::make_unique<UopArtContainer>();
    if (container->open(QDir(directory).filePath(DataFileNames::ArtUop), &opened.damage))
        opened.container = std::move(container);
    return opened;
}

} // namespace

ArtContainer::Format ArtContainerChoice::formatIn(const QString &directory, Choice choice)
{
    switch (choice) {
    case Choice::Mul:
        return ArtContainer::Format::Mul;
    case Choice::Uop:
        return ArtContainer::Format::Uop;
    case Choice::Automatic:
        break;
    }
    return bothMulFiles(directory) || !present(directory, DataFileNames::ArtUop) ? ArtContainer::Format::Mul
                                                                                 : ArtContainer::Format::Uop;
}

ArtContainerChoice::Opened ArtContainerChoice::open(const QString &directory, Choice choice)
{
    if (formatIn(directory, choice) == ArtContainer::Format::Uop)
        return openUop(directory);
    return openMul(directory, choice == Choice::Automatic);
}

bool ArtContainerChoice::parse(const QString &text, Choice *choice)
{
    if (text == ArtContainer::formatName(ArtContainer::Format::Mul))
        *choice = Choice::Mul;
    else if (text == ArtContainer::formatName(ArtContainer::Format::Uop))
        *choice = Choice::Uop;
    else
        return false;
    return true;
}

QStringList ArtContainerChoice::fileNames(ArtContainer::Format format)
{
    if (format == ArtContainer::Format::Uop)
        return {DataFileNames::ArtUop};
    return {DataFileNames::ArtMul, DataFileNames::ArtIdxMul};
}
