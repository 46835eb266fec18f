#pragma once

#include <QValidator>

// A number from 0 (or a minimum below it, typed with a leading "-") to a maximum, in
// decimal digits or in hexadecimal after "0x" (as Locate takes ids). Unlike QIntValidator, a digit that would
// take the number past the maximum is refused as it is typed (QIntValidator lets "300" stand in a 0-255 field
// as intermediate input).
class NumberFieldValidator : public QValidator
{
    Q_OBJECT

public:
    explicit NumberFieldValidator(uint maximum, QObject *parent = nullptr);
    NumberFieldValidator(int minimum, int maximum, QObject *parent = nullptr);

    // The number text stands for; false for anything but digits (signs, spaces, other
    // letters) or a number past what uint holds.
    static bool parse(const QString &text, uint *value);
    // The same with a leading "-" taken; false past what int holds.
    static bool parseSigned(const QString &text, int *value);

    uint maximum() const { return top; }
    State validate(QString &input, int &pos) const override;

private:
    uint top;
    // How far below zero a number may go.
    uint belowZero = 0;
};
