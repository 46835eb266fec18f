#pragma once

#include "ui/UserPrompts.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPoint>
#include <QString>
#include <QStringList>

// Scripted answers for every prompt, for tests. Installed while it exists. Each
// prompt takes the next answer of its queue; an empty queue answers like a user who
// cancels (empty file name, dismissed menu, cancelled drag, Cancel). Every prompt
// shown is recorded.
class FakePrompts : public UserPrompts
{
public:
    struct FileAnswer
    {
        QString fileName;
        QString selectedFilter;
    };
    struct Shown
    {
        QString kind; // "directory", "open", "save", "menu", "drag", "warning", "about", "saveChanges"
        QString caption;
        QString text; // message text, start directory, or the menu's action texts joined by "|"
        QString filter; // file dialogs only
    };
    struct Drag
    {
        QMap<QString, QByteArray> data; // mime format to bytes
        Qt::DropActions actions;
        bool hasPixmap = false;
    };

    FakePrompts();
    ~FakePrompts() override;
    FakePrompts(const FakePrompts &) = delete;
    FakePrompts &operator=(const FakePrompts &) = delete;

    QStringList directories;
    QList<FileAnswer> openFiles;
    QList<FileAnswer> saveFiles;
    // Text of the action to choose; an empty text dismisses the menu.
    QStringList menuChoices;
    QList<Qt::DropAction> dragResults;
    QList<SaveAnswer> saveAnswers;

    QList<Shown> shown;
    QList<Drag> drags;

    int count(const QString &kind) const;
    const Shown *last(const QString &kind) const;

    QString existingDirectory(
        QWidget *parent, const QString &caption, const QString &startDirectory) override;
    QString openFileName(
        QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter) override;
    QString saveFileName(
        QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter) override;
    QAction *execMenu(QMenu *menu, const QPoint &globalPos) override;
    Qt::DropAction execDrag(QDrag *drag, Qt::DropActions actions) override;
    void warning(QWidget *parent, const QString &title, const QString &text) override;
    void about(QWidget *parent, const QString &title, const QString &text) override;
    SaveAnswer askSaveChanges(QWidget *parent, const QString &text) override;

private:
    QString fileAnswer(QList<FileAnswer> &queue, QString *selectedFilter);
};
