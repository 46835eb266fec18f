#pragma once

#include "io/DataFile.h"
#include "io/MypEntry.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// A MYP container opened read-only. Opening reads the header and the whole table chain
// and checks every entry against the file without reading any data; the data of an
// entry is read, checked against its Adler-32 and decompressed when asked for. Bytes
// that do not match their Adler-32 are still given, with the mismatch told.
//
// A container whose header or table chain is damaged (wrong magic, an unknown version,
// a chain that loops or leaves the file, tables that hold more entries than fit) is not
// opened. A damaged entry only makes that entry unreadable: one whose bytes lie outside
// the file or whose compression is unknown; one whose lengths are beyond the longest
// entry the caller accepts can only be read as stored, never decompressed. Of entries with the same name hash
// the first is used.
class MypReader
{
public:
    // Far more tables than any container holds; a longer chain is taken as damage rather
    // than walked for ever.
    static constexpr int MaxTables = 1 << 16;
    // Far more entries than any of the game's containers holds (the art has one per
    // index position, fewer than 100,000): the memory a damaged table can claim is bounded
    // by this as well as by the file's size.
    static constexpr quint32 MaxEntries = 1 << 21;

    // maxLength: the longest entry, stored or decompressed, the caller can use; longer
    // entries are unreadable, so damaged lengths never ask for a huge allocation.
    bool open(const QString &path, qint64 maxLength, QString *error = nullptr);

    QString errorString() const { return openError; }
    const DataFile &file() const { return data; }
    quint32 version() const { return headerVersion; }

    // The used entries, in table order.
    int entryCount() const { return int(entries.size()); }
    const MypEntry &entry(int index) const { return entries.at(index); }
    // The first entry with the hash; -1 when there is none.
    int find(quint64 hash) const { return byHash.value(hash, -1); }
    // Why an entry cannot be read, as far as the tables tell; empty when it can.
    QString problem(int index) const { return problems.value(index, oversized.value(index)); }
    // Whether its stored bytes can be read (and copied), though it may be too long to use.
    bool canReadStored(int index) const { return !problems.contains(index); }
    // Entries passed over because an earlier entry has their hash.
    const QVector<int> &duplicates() const { return repeated; }
    // What was found wrong in the header and tables beyond single entries.
    QStringList notes() const { return structureNotes; }

    // The entry's bytes as the container stores them; empty (and *why set) when they
    // cannot be read. *matches tells whether they match the entry's checksum.
    QByteArray readStored(int index, QString *why, bool *matches = nullptr) const;
    // The entry's bytes decompressed; empty (and *why set) when they cannot be read.
    QByteArray read(int index, QString *why, bool *matches = nullptr) const;
    // How many entries were decompressed since the container was opened.
    qint64 decompressions() const { return inflated; }

private:
    bool fail(const QString &why, QString *error);
    bool readHeader(quint64 *firstTable, quint32 *fileCount, QString *why);
    bool readTables(quint64 firstTable, QString *why);
    bool readTable(quint64 offset, quint64 *next, QString *why);
    void addEntry(const MypEntry &entry);
    QString checkEntry(const MypEntry &entry) const;

    DataFile data;
    qint64 maxLength = 0;
    quint32 headerVersion = 0;
    QVector<MypEntry> entries;
    QHash<quint64, int> byHash;
    QHash<int, QString> problems;
    // Entries whose bytes lie in the file but are longer than the caller can use.
    QHash<int, QString> oversized;
    QVector<int> repeated;
    QStringList structureNotes;
    QString openError;
    mutable qint64 inflated = 0;
};
