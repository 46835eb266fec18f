#include "browser/CheckListMenu.h"

#include <QKeyEvent>
#include <QMouseEvent>

bool CheckListMenu::toggleActive()
{
    QAction *action = activeAction();
    if (!action || !action->isCheckable() || !action->isEnabled())
        return false;
    // Triggered as a click would trigger it (the menu's triggered() follows), without closing.
    action->trigger();
    return true;
}

void CheckListMenu::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && actionAt(event->position().toPoint()) == activeAction()
        && toggleActive())
        return;
    QMenu::mouseReleaseEvent(event);
}

void CheckListMenu::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && toggleActive())
        return;
    QMenu::keyPressEvent(event);
}
