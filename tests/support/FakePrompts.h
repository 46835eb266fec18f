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
        // "directory", "open", "save", "menu", "drag", "text", "warning", "information", "confirm",
        // "list", "choose", "about", "saveChanges"
        QString kind;
        QString caption;
        // Message text, start directory, the menu's action texts joined by "|", a text
        // prompt's label and initial text joined by "|", or a list's text and lines joined
        // by newlines
        QString text;
        QString filter; // file dialogs; a question's accept text, or its choices joined by "|"
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
    // Whether each question is confirmed; an empty queue declines.
    QList<bool> confirmations;
    // Answers to text prompts; a null string cancels.
    QStringList texts;
    // The index of the choice taken at each choose; an empty queue (or -1) cancels.
    QList<int> choices;

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
    QString text(
        QWidget *parent, const QString &title, const QString &label, const QString &initialText) override;
    void warning(QWidget *parent, const QString &title, const QString &text) override;
    void information(QWidget *parent, const QString &title, const QString &text) override;
    void about(QWidget *parent, const QString &title, const QString &text) override;
    SaveAnswer askSaveChanges(QWidget *parent, const QString &text) override;
    bool confirm(
        QWidget *parent, const QString &title, const QString &text, const QString &acceptText) override;
    // Takes an answer from confirmations only when it has an action to take.
    bool confirmList(QWidget *parent, const QString &title, const QString &text, const QStringList &lines,
        const QString &acceptText) override;
    int choose(
        QWidget *parent, const QString &title, const QString &text, const QStringList &choices) override;

private:
    QString fileAnswer(QList<FileAnswer> &queue, QString *selectedFilter);
};
