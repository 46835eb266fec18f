#include "app/UnattendedPrompts.h"

#include <cstdio>

namespace {

void print(const QString &text)
{
    std::fprintf(stderr, "tessera: %s\n", qPrintable(text));
}

} // namespace

QString UnattendedPrompts::existingDirectory(QWidget *, const QString &, const QString &)
{
    return QString();
}

QString UnattendedPrompts::openFileName(QWidget *, const QString &, const QString &, QString *)
{
    return QString();
}

QString UnattendedPrompts::saveFileName(QWidget *, const QString &, const QString &, QString *)
{
    return QString();
}

QAction *UnattendedPrompts::execMenu(QMenu *, const QPoint &)
{
    return nullptr;
}

Qt::DropAction UnattendedPrompts::execDrag(QDrag *, Qt::DropActions)
{
    return Qt::IgnoreAction;
}

QString UnattendedPrompts::text(QWidget *, const QString &, const QString &, const QString &)
{
    return QString();
}

void UnattendedPrompts::warning(QWidget *, const QString &, const QString &text)
{
    print(text);
}

void UnattendedPrompts::information(QWidget *, const QString &, const QString &text)
{
    print(text);
}

void UnattendedPrompts::about(QWidget *, const QString &, const QString &) { }

UserPrompts::SaveAnswer UnattendedPrompts::askSaveChanges(QWidget *, const QString &)
{
    return SaveAnswer::Cancel;
}

bool UnattendedPrompts::confirm(QWidget *, const QString &, const QString &, const QString &)
{
    return false;
}

bool UnattendedPrompts::confirmList(
    QWidget *, const QString &, const QString &, const QStringList &, const QString &)
{
    return false;
}

int UnattendedPrompts::choose(QWidget *, const QString &, const QString &, const QStringList &)
{
    return -1;
}
