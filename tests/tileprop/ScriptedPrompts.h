#pragma once

#include "browser/UserPrompts.h"

#include <QString>
#include <QStringList>
#include <functional>

// Answers the window's questions from a script and records what was asked.
class ScriptedPrompts : public UserPrompts
{
public:
    ScriptedPrompts();
    ~ScriptedPrompts() override;

    // File choosers: the path returned (empty: cancelled) and the filter reported as chosen.
    QString openPath;
    QString openFilter;
    QString savePath;
    QString saveFilter;
    // The menu entry chosen, by text; empty dismisses the menu.
    QString menuChoice;
    // Runs inside every prompt, while the caller waits, e.g. to close the window.
    std::function<void()> whilePrompting;

    int menuCount = 0;
    QStringList menuEntries;
    QString openCaption;
    QString openFilterList;
    QString saveCaption;
    QString saveFilterList;
    QStringList warnings;

    QString openFileName(
        QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter) override;
    QString saveFileName(
        QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter) override;
    QAction *execMenu(QMenu *menu, const QPoint &globalPos) override;
    void warning(QWidget *parent, const QString &title, const QString &text) override;

private:
    void prompting();
};
