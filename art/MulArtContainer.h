#pragma once

#include "art/ArtContainer.h"
#include "io/DataFile.h"

// art.mul read through its index artidx.mul. The index is read whole when opened; the
// records are read from art.mul as they are asked for.
class MulArtContainer : public ArtContainer
{
public:
    static const QString IndexFileName;
    static const QString ArtFileName;

    // False (and *error naming the file) when either file cannot be opened; the container
    // then has no slots.
    bool open(const QString &indexPath, const QString &artPath, QString *error = nullptr);

    Format format() const override { return Format::Mul; }
    QString errorString() const override { return openError; }
    QStringList fileNames() const override;
    QString changedFile() const override;
    int slotCount() const override;
    ArtIndexEntry entry(int slot) const override;
    QByteArray record(int slot) const override;

private:
    QByteArray staticRecord(const ArtIndexEntry &entry) const;

    DataFile indexFile;
    DataFile artFile;
    QByteArray index;
    QString openError;
};
