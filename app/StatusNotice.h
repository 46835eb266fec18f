#pragma once

#include <QObject>
#include <QString>

class QStatusBar;

// A status-bar message that may be longer than the room left of the permanent labels
// (a path): shown elided in the middle, and whole in the status bar's tool tip for as
// long as it is shown.
class StatusNotice : public QObject
{
    Q_OBJECT

public:
    // A child of bar.
    explicit StatusNotice(QStatusBar *bar);

    void show(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The width the message has, from the left edge to the first permanent label.
    int room() const;
    void fit();
    void messageChanged(const QString &message);

    QStatusBar *bar;
    QString whole;
    QString shown;
};
