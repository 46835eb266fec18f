#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// The name hash of MYP entries: Bob Jenkins' lookup3 hashlittle2 with both seeds 0.
class MypHash
{
public:
    // lookup3's two results for key: *primary (c) and *secondary (b), each seeded with
    // the value it holds on entry.
    static void hashLittle2(QByteArrayView key, quint32 *primary, quint32 *secondary);
    // (secondary << 32) | primary of the name, both seeds 0.
    static quint64 ofName(QByteArrayView name);
};
