#include "tileprop/NumberFieldValidator.h"

#include <climits>

NumberFieldValidator::NumberFieldValidator(uint maximum, QObject *parent) : QValidator(parent), top(maximum)
{ }

NumberFieldValidator::NumberFieldValidator(int minimum, int maximum, QObject *parent)
    : QValidator(parent), top(uint(qMax(0, maximum))), belowZero(uint(-qMin(0, minimum)))
{ }

namespace {
const QLatin1String HexPrefix("0x");
const QLatin1Char Minus('-');
} // namespace

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

bool NumberFieldValidator::parseSigned(const QString &text, int *value)
{
    const bool negative = text.startsWith(Minus);
    uint magnitude = 0;
    if (!parse(negative ? text.mid(1) : text, &magnitude) || magnitude > uint(INT_MAX))
        return false;
    if (value)
        *value = negative ? -int(magnitude) : int(magnitude);
    return true;
}

QValidator::State NumberFieldValidator::validate(QString &input, int &) const
{
    const bool negative = belowZero > 0 && input.startsWith(Minus);
    const QString magnitude = negative ? input.mid(1) : input;
    // An empty field, a bare sign or a bare "0x" is on its way to a number.
    if (magnitude.isEmpty() || magnitude.compare(HexPrefix, Qt::CaseInsensitive) == 0)
        return Intermediate;
    uint value = 0;
    return parse(magnitude, &value) && value <= (negative ? belowZero : top) ? Acceptable : Invalid;
}
