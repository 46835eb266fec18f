#pragma once

#include <QValidator>

// Plain decimal digits from 0 to a maximum. Unlike QIntValidator, a digit that would
// take the number past the maximum is refused as it is typed (QIntValidator lets "300"
// stand in a 0-255 field as intermediate input).
class NumberFieldValidator : public QValidator
{
    Q_OBJECT

public:
    explicit NumberFieldValidator(uint maximum, QObject *parent = nullptr);

    uint maximum() const { return top; }
    State validate(QString &input, int &pos) const override;

private:
    uint top;
};
