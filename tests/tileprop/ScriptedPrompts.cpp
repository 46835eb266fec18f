#include "ScriptedPrompts.h"

#include <QAction>
#include <QMenu>

ScriptedPrompts::ScriptedPrompts()
{
    UserPrompts::install(this);
}

ScriptedPrompts::~ScriptedPrompts()
{
    UserPrompts::install(nullptr);
}

QString ScriptedPrompts::openFileName(
    QWidget *, const QString &caption, const QString &filter, QString *selectedFilter)
{
    openCaption = caption;
    openFilterList = filter;
    if (selectedFilter)
        *selectedFilter = openFilter;
    prompting();
    return openPath;
}

QString ScriptedPrompts::saveFileName(
    QWidget *, const QString &caption, const QString &filter, QString *selectedFilter)
{
    saveCaption = caption;
    saveFilterList = filter;
    if (selectedFilter)
        *selectedFilter = saveFilter;
    prompting();
    return savePath;
}

QAction *ScriptedPrompts::execMenu(QMenu *menu, const QPoint &)
{
    ++menuCount;
    menuEntries.clear();
    QAction *chosen = nullptr;
    for (QAction *action : menu->actions()) {
        menuEntries << action->text();
        if (!menuChoice.isEmpty() && action->text() == menuChoice)
            chosen = action;
    }
    prompting();
    return chosen;
}

void ScriptedPrompts::warning(QWidget *, const QString &title, const QString &text)
{
    warnings << title + QLatin1String(": ") + text;
    prompting();
}

void ScriptedPrompts::prompting()
{
    if (whilePrompting)
        whilePrompting();
}
