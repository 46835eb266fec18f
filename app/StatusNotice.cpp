#include "app/StatusNotice.h"

#include <QEvent>
#include <QStatusBar>

namespace {
// What the status bar keeps free on both sides of its message.
constexpr int MessageMargins = 12;
} // namespace

StatusNotice::StatusNotice(QStatusBar *bar) : QObject(bar), bar(bar)
{
    // The room left for the message changes with the bar and with its permanent labels.
    bar->installEventFilter(this);
    for (QWidget *label : bar->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        label->installEventFilter(this);
    connect(bar, &QStatusBar::messageChanged, this, &StatusNotice::messageChanged);
}

void StatusNotice::show(const QString &text)
{
    whole = text;
    fit();
}

int StatusNotice::room() const
{
    int right = bar->width();
    for (const QWidget *child : bar->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisible())
            right = qMin(right, child->geometry().left());
    }
    return qMax(0, right - MessageMargins);
}

void StatusNotice::fit()
{
    if (whole.isEmpty())
        return;
    // Until the bar is shown its labels have no place yet: the whole text, fitted on showing.
    shown = bar->isVisible() ? bar->fontMetrics().elidedText(whole, Qt::ElideMiddle, room()) : whole;
    bar->setToolTip(whole);
    bar->showMessage(shown);
}

void StatusNotice::messageChanged(const QString &message)
{
    // Another message, or none: the tool tip went with this one.
    if (!whole.isEmpty() && message != shown) {
        whole.clear();
        shown.clear();
        bar->setToolTip(QString());
    }
}

bool StatusNotice::eventFilter(QObject *watched, QEvent *event)
{
    // Once the bar has laid its labels out anew.
    const QEvent::Type type = event->type();
    if ((type == QEvent::Resize || type == QEvent::Move || type == QEvent::Show) && !whole.isEmpty()
        && (watched == bar || watched->parent() == bar))
        QMetaObject::invokeMethod(this, &StatusNotice::fit, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}
