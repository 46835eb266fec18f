#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

class QAction;
class QDrag;
class QMenu;
class QPoint;
class QWidget;

// Every question the window asks the user goes through here, so that tests can
// install scripted answers instead of blocking on a dialog, a menu or a drag.
class UserPrompts
{
public:
    enum class SaveAnswer { Save, Discard, Cancel };

    virtual ~UserPrompts() = default;

    // The installed prompts; the real dialogs unless a test installed others.
    static UserPrompts &current();
    // Installs prompts (not owned); nullptr restores the real dialogs.
    static void install(UserPrompts *prompts);

    virtual QString existingDirectory(QWidget *parent, const QString &caption, const QString &startDirectory);
    virtual QString openFileName(
        QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter);
    virtual QString saveFileName(
        QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter);
    // Runs the menu at globalPos; the chosen action, or nullptr when dismissed.
    virtual QAction *execMenu(QMenu *menu, const QPoint &globalPos);
    virtual Qt::DropAction execDrag(QDrag *drag, Qt::DropActions actions);
    // A line of text; a null string when the user cancels.
    virtual QString text(
        QWidget *parent, const QString &title, const QString &label, const QString &initialText);
    virtual void warning(QWidget *parent, const QString &title, const QString &text);
    virtual void information(QWidget *parent, const QString &title, const QString &text);
    virtual void about(QWidget *parent, const QString &title, const QString &text);
    virtual SaveAnswer askSaveChanges(QWidget *parent, const QString &text);
    // A question whose one action is named acceptText; true when the user takes it.
    virtual bool confirm(
        QWidget *parent, const QString &title, const QString &text, const QString &acceptText);
    // The same over a list too long for a message, shown scrollable below text; with an
    // empty acceptText only told (and false).
    virtual bool confirmList(QWidget *parent, const QString &title, const QString &text,
        const QStringList &lines, const QString &acceptText);
    // A question answered by one of choices (the buttons' texts, the first the default);
    // the index of the one taken, -1 when the user cancels.
    virtual int choose(
        QWidget *parent, const QString &title, const QString &text, const QStringList &choices);
};
