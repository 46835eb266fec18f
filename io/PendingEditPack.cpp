#include "io/PendingEditPack.h"

#include <QFile>
#include <QRegularExpression>
#include <QtEndian>

namespace {

const QByteArray Magic("TSRPACK1");
// A name byte count, the state, the record size.
constexpr int ItemFixedSize = 1 + 1 + 4;
// Far beyond any pack's item count, so that a damaged count cannot make a read run away.
constexpr quint32 MaxItems = 1u << 20;

} // namespace

QString PendingEditPack::fileName(quint64 number)
{
    // Fixed width: the names sort in the order the packs were made.
    return QStringLiteral("Pack%1.edits").arg(number, 12, 10, QLatin1Char('0'));
}

bool PendingEditPack::parseFileName(const QString &fileName, quint64 *number)
{
    static const QRegularExpression form(QStringLiteral("^Pack([0-9]{12})\\.edits$"));
    const QRegularExpressionMatch match = form.match(fileName);
    if (!match.hasMatch())
        return false;
    *number = match.captured(1).toULongLong();
    return true;
}

void PendingEditPack::add(const QString &name, const PendingEdit &edit)
{
    items.append({name, edit.state, 0, edit.state == PendingEdit::State::Replaced ? edit.record.size() : 0});
    records.append(edit.state == PendingEdit::State::Replaced ? edit.record : QByteArray());
}

QByteArray PendingEditPack::bytes()
{
    QByteArray out = Magic;
    char word[4];
    qToLittleEndian<quint32>(quint32(items.size()), word);
    out.append(word, 4);
    for (const Item &item : std::as_const(items)) {
        const QByteArray name = item.name.toLatin1();
        out.append(char(name.size())).append(name).append(char(item.state));
        qToLittleEndian<quint32>(quint32(item.size), word);
        out.append(word, 4);
    }
    for (qsizetype n = 0; n < items.size(); ++n) {
        items[n].offset = out.size();
        out.append(records.at(n));
    }
    return out;
}

bool PendingEditPack::read(const QString &path, QList<Item> *itemsOut)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(Magic.size() + 4);
    if (head.size() != Magic.size() + 4 || !head.startsWith(Magic))
        return false;
    const quint32 count = qFromLittleEndian<quint32>(head.constData() + Magic.size());
    if (count > MaxItems)
        return false;
    QList<Item> items;
    qint64 offset = 0;
    for (quint32 n = 0; n < count; ++n) {
        char length = 0;
        if (!file.getChar(&length))
            return false;
        const QByteArray rest = file.read(quint8(length) + ItemFixedSize - 1);
        if (rest.size() != quint8(length) + ItemFixedSize - 1)
            return false;
        Item item;
        item.name = QString::fromLatin1(rest.left(quint8(length)));
        const int state = quint8(rest.at(quint8(length)));
        if (state > int(PendingEdit::State::Deleted))
            return false;
        item.state = PendingEdit::State(state);
        item.size = qFromLittleEndian<quint32>(rest.constData() + quint8(length) + 1);
        // Only a replacement carries a record.
        if (item.size != 0 && item.state != PendingEdit::State::Replaced)
            return false;
        item.offset = offset;
        offset += item.size;
        items.append(item);
    }
    // The records follow the items exactly: a pack cut short or grown is damaged.
    const qint64 recordsStart = file.pos();
    if (recordsStart + offset != file.size())
        return false;
    for (Item &item : items)
        item.offset += recordsStart;
    *itemsOut = items;
    return true;
}
