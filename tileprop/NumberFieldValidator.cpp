#include "tileprop/NumberFieldValidator.h"

NumberFieldValidator::NumberFieldValidator(uint maximum, QObject *parent) : QValidator(parent), top(maximum)
{ }

namespace {
const QLatin1String HexPrefix("0x");
}

bool NumberFieldValidator::parse(const QString &text, uint *value)
{
    const bool hexadecimal = text.startsWith(HexPrefix, Qt::CaseInsensitive);
    const QString digits = hexadecimal ? text.mid(HexPrefix.size()) : text;
    for (const QChar c : digits) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const char latin = c.toLatin1();
        const bool hexLetter = (latin >= 'a' && latin <= 'f') || (latin >= 'A' && latin <= 'F');
        if (!digit && !(hexadecimal && hexLetter))
            return false;
    }
    bool ok = false;
    const uint number = digits.toUInt(&ok, hexadecimal ? 16 : 10);
    if (ok && value)
        *value = number;
    return ok;
}

QValidator::State NumberFieldValidator::validate(QString &input, int &) const
{
    // An empty field, or a bare "0x", is on its way to a number.
    if (input.isEmpty() || input.compare(HexPrefix, Qt::CaseInsensitive) == 0)
        return Intermediate;
    uint value = 0;
    return parse(input, &value) && value <= top ? Acceptable : Invalid;
}
