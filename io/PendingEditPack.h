#pragma once

#include "io/PendingEdit.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One file holding the pending edits that were made together, so that an edit of
// thousands of tiles makes one file, not thousands. Each item names its edit as an
// earlier version's one-file-per-edit name did, without the extension ("TS5" is static
// tile 5's tile data); a deletion or the return to the data file's record carries no
// bytes. Packs are numbered in the order they were made: where several hold the same
// edit, the highest number's is the one pending, and any pack outranks a lone edit file.
class PendingEditPack
{
public:
    struct Item
    {
        QString name;
        PendingEdit::State state = PendingEdit::State::None;
        // Where the record lies in the pack's file; Replaced only.
        qint64 offset = 0;
        qint64 size = 0;
    };

    static QString fileName(quint64 number);
    // The number of a pack's file name; false for any other name.
    static bool parseFileName(const QString &fileName, quint64 *number);

    void add(const QString &name, const PendingEdit &edit);
    bool isEmpty() const { return items.isEmpty(); }
    // The pack's file: its items, then their records. Each item's offset is filled in.
    QByteArray bytes();
    const QList<Item> &contents() const { return items; }

    // The items of a pack's file; false when it is not one, or is damaged.
    static bool read(const QString &path, QList<Item> *items);

private:
    QList<Item> items;
    QList<QByteArray> records;
};
