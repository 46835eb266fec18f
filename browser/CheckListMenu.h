#pragma once

#include <QMenu>

// A menu of check boxes that stays open while they are ticked, so that several are
// chosen in one go; a click outside it or Esc closes it.
class CheckListMenu : public QMenu
{
public:
    explicit CheckListMenu(QWidget *parent = nullptr) : QMenu(parent) { }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Ticks or unticks the active action when it is a check box; false otherwise.
    bool toggleActive();
};
