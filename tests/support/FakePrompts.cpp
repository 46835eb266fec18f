#include "FakePrompts.h"

#include <QAction>
#include <QDrag>
#include <QMenu>
#include <QMimeData>

FakePrompts::FakePrompts()
{
    UserPrompts::install(this);
}

FakePrompts::~FakePrompts()
{
    UserPrompts::install(nullptr);
}

int FakePrompts::count(const QString &kind) const
{
    int n = 0;
    for (const Shown &entry : shown)
        n += entry.kind == kind ? 1 : 0;
    return n;
}

const FakePrompts::Shown *FakePrompts::last(const QString &kind) const
{
    for (auto it = shown.crbegin(); it != shown.crend(); ++it) {
        if (it->kind == kind)
            return &*it;
    }
    return nullptr;
}

QString FakePrompts::existingDirectory(QWidget *, const QString &caption, const QString &startDirectory)
{
    shown.append({QStringLiteral("directory"), caption, startDirectory, QString()});
    return directories.isEmpty() ? QString() : directories.takeFirst();
}

QString FakePrompts::fileAnswer(QList<FileAnswer> &queue, QString *selectedFilter)
{
    if (queue.isEmpty())
        return QString();
    const FileAnswer answer = queue.takeFirst();
    if (selectedFilter)
        *selectedFilter = answer.selectedFilter;
    return answer.fileName;
}

QString FakePrompts::openFileName(
    QWidget *, const QString &caption, const QString &filter, QString *selectedFilter)
{
    shown.append({QStringLiteral("open"), caption, QString(), filter});
    return fileAnswer(openFiles, selectedFilter);
}

QString FakePrompts::saveFileName(
    QWidget *, const QString &caption, const QString &filter, QString *selectedFilter)
{
    shown.append({QStringLiteral("save"), caption, QString(), filter});
    return fileAnswer(saveFiles, selectedFilter);
}

QAction *FakePrompts::execMenu(QMenu *menu, const QPoint &)
{
    QStringList texts;
    for (QAction *action : menu->actions())
        texts.append(action->text());
    shown.append({QStringLiteral("menu"), menu->title(), texts.join(QLatin1Char('|')), QString()});
    const QString choice = menuChoices.isEmpty() ? QString() : menuChoices.takeFirst();
    if (choice.isEmpty())
        return nullptr;
    for (QAction *action : menu->actions()) {
        if (action->text() == choice)
            return action;
    }
    return nullptr;
}

Qt::DropAction FakePrompts::execDrag(QDrag *drag, Qt::DropActions actions)
{
    Drag record;
    record.actions = actions;
    record.hasPixmap = !drag->pixmap().isNull();
    if (const QMimeData *mime = drag->mimeData()) {
        for (const QString &format : mime->formats())
            record.data.insert(format, mime->data(format));
    }
    drags.append(record);
    shown.append({QStringLiteral("drag"), QString(), QString(), QString()});
    // As Qt does once a drag is over.
    drag->deleteLater();
    return dragResults.isEmpty() ? Qt::IgnoreAction : dragResults.takeFirst();
}

QString FakePrompts::text(QWidget *, const QString &title, const QString &label, const QString &initialText)
{
    shown.append({QStringLiteral("text"), title, label + QLatin1Char('|') + initialText, QString()});
    return texts.isEmpty() ? QString() : texts.takeFirst();
}

void FakePrompts::information(QWidget *, const QString &title, const QString &text)
{
    shown.append({QStringLiteral("information"), title, text, QString()});
}

void FakePrompts::warning(QWidget *, const QString &title, const QString &text)
{
    shown.append({QStringLiteral("warning"), title, text, QString()});
}

void FakePrompts::about(QWidget *, const QString &title, const QString &text)
{
    shown.append({QStringLiteral("about"), title, text, QString()});
}

UserPrompts::SaveAnswer FakePrompts::askSaveChanges(QWidget *, const QString &text)
{
    shown.append({QStringLiteral("saveChanges"), QString(), text, QString()});
    return saveAnswers.isEmpty() ? SaveAnswer::Cancel : saveAnswers.takeFirst();
}

bool FakePrompts::confirm(QWidget *, const QString &title, const QString &text, const QString &acceptText)
{
    shown.append({QStringLiteral("confirm"), title, text, acceptText});
    return !confirmations.isEmpty() && confirmations.takeFirst();
}

bool FakePrompts::confirmList(
    QWidget *, const QString &title, const QString &text, const QStringList &lines, const QString &acceptText)
{
    shown.append(
        {QStringLiteral("list"), title, (QStringList{text} + lines).join(QLatin1Char('\n')), acceptText});
    return !acceptText.isEmpty() && !confirmations.isEmpty() && confirmations.takeFirst();
}

int FakePrompts::choose(QWidget *, const QString &title, const QString &text, const QStringList &choices)
{
    shown.append({QStringLiteral("choose"), title, text, choices.join(QLatin1Char('|'))});
    return this->choices.isEmpty() ? -1 : this->choices.takeFirst();
}
