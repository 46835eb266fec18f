#include "tileprop/NumberFieldValidator.h"

NumberFieldValidator::NumberFieldValidator(uint maximum, QObject *parent) : QValidator(parent), top(maximum)
{ }

QValidator::State NumberFieldValidator::validate(QString &input, int &) const
{
    // An empty field is on its way to a number.
    if (input.isEmpty())
        return Intermediate;
    for (const QChar c : input) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return Invalid;
    }
    bool ok = false;
    const uint value = input.toUInt(&ok);
    return ok && value <= top ? Acceptable : Invalid;
}
