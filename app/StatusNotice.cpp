#include "app/StatusNotice.h"

#include <QEvent>
#include <QStatusBar>

namespace {
// What the status bar keeps free on both sides of its message.
constexpr int MessageMargins = 12;
} // namespace

StatusNotice::StatusNotice(QStatusBar *bar) : QObject(bar), bar(bar)
{
    bar->installEventFilter(this);
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
    shown = bar->fontMetrics().elidedText(whole, Qt::ElideMiddle, room());
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
    if (watched == bar && event->type() == QEvent::Resize && !whole.isEmpty())
        QMetaObject::invokeMethod(this, &StatusNotice::fit, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}
