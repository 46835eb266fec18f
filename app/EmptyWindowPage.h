#pragma once

#include <QWidget>

class QPushButton;

// What the window shows while no data set is open: how to open one, and the button
// that does.
class EmptyWindowPage : public QWidget
{
    Q_OBJECT

public:
    static QString messageText();

    explicit EmptyWindowPage(QWidget *parent = nullptr);

    QPushButton *openButton() const { return button; }

Q_SIGNALS:
    void openRequested();

private:
    QPushButton *button;
};
