#pragma once

#include "ui/UserPrompts.h"

// The prompts of a run nobody watches (tessera --screenshot): messages go to stderr, and
// every question is answered as a user who cancels, so that the run never waits on a
// dialog.
class UnattendedPrompts : public UserPrompts
{
public:
    QString existingDirectory(
        QWidget *parent, const QString &caption, const QString &startDirectory) override;
    QString openFileName(
        QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter) override;
    QString saveFileName(
        QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter) override;
    QAction *execMenu(QMenu *menu, const QPoint &globalPos) override;
    Qt::DropAction execDrag(QDrag *drag, Qt::DropActions actions) override;
    QString text(
        QWidget *parent, const QString &title, const QString &label, const QString &initialText) override;
    void warning(QWidget *parent, const QString &title, const QString &text) override;
    void information(QWidget *parent, const QString &title, const QString &text) override;
    void about(QWidget *parent, const QString &title, const QString &text) override;
    SaveAnswer askSaveChanges(QWidget *parent, const QString &text) override;
    bool confirm(
        QWidget *parent, const QString &title, const QString &text, const QString &acceptText) override;
    bool confirmList(QWidget *parent, const QString &title, const QString &text, const QStringList &lines,
        const QString &acceptText) override;
    int choose(
        QWidget *parent, const QString &title, const QString &text, const QStringList &choices) override;
};
