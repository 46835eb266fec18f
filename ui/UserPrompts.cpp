#include "ui/UserPrompts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDrag>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
UserPrompts realPrompts;
UserPrompts *installed = nullptr;
} // namespace

UserPrompts &UserPrompts::current()
{
    return installed ? *installed : realPrompts;
}

void UserPrompts::install(UserPrompts *prompts)
{
    installed = prompts;
}

QString UserPrompts::existingDirectory(QWidget *parent, const QString &caption, const QString &startDirectory)
{
    QFileDialog dialog(parent, caption, startDirectory);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    // A caption that explains what to choose is read whole: the dialog is made as wide.
    constexpr int TitleBarButtons = 160;
    const int captionWidth = dialog.fontMetrics().horizontalAdvance(caption) + TitleBarButtons;
    dialog.resize(qMax(dialog.sizeHint().width(), captionWidth), dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString UserPrompts::openFileName(
    QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter)
{
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter, selectedFilter);
}

QString UserPrompts::saveFileName(
    QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter)
{
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter, selectedFilter);
}

QAction *UserPrompts::execMenu(QMenu *menu, const QPoint &globalPos)
{
    return menu->exec(globalPos);
}

Qt::DropAction UserPrompts::execDrag(QDrag *drag, Qt::DropActions actions)
{
    return drag->exec(actions);
}

QString UserPrompts::text(
    QWidget *parent, const QString &title, const QString &label, const QString &initialText)
{
    bool accepted = false;
    const QString answer
        = QInputDialog::getText(parent, title, label, QLineEdit::Normal, initialText, &accepted);
    return accepted ? (answer.isNull() ? QStringLiteral("") : answer) : QString();
}

bool UserPrompts::confirm(
    QWidget *parent, const QString &title, const QString &text, const QString &acceptText)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton *accept = box.addButton(acceptText, QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(accept);
    box.exec();
    return box.clickedButton() == accept;
}

bool UserPrompts::confirmList(QWidget *parent, const QString &title, const QString &text,
    const QStringList &lines, const QString &acceptText)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&dialog);
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto *list = new QPlainTextEdit(lines.join(QLatin1Char('\n')));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(list);
    auto *buttons = new QDialogButtonBox;
    if (acceptText.isEmpty()) {
        buttons->addButton(QDialogButtonBox::Close);
    } else {
        buttons->addButton(acceptText, QDialogButtonBox::AcceptRole)->setDefault(true);
        buttons->addButton(QDialogButtonBox::Cancel);
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(560, 420);
    return dialog.exec() == QDialog::Accepted && !acceptText.isEmpty();
}

int UserPrompts::choose(
    QWidget *parent, const QString &title, const QString &text, const QStringList &choices)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QList<QAbstractButton *> buttons;
    for (const QString &choice : choices)
        buttons.append(box.addButton(choice, QMessageBox::AcceptRole));
    box.addButton(QMessageBox::Cancel);
    if (!buttons.isEmpty())
        box.setDefaultButton(static_cast<QPushButton *>(buttons.first()));
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

void UserPrompts::information(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::information(parent, title, text);
}

void UserPrompts::warning(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text);
}

void UserPrompts::about(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::about(parent, title, text);
}

UserPrompts::SaveAnswer UserPrompts::askSaveChanges(QWidget *parent, const QString &text)
{
    const auto button = QMessageBox::question(parent, QStringLiteral("Tessera"), text,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (button == QMessageBox::Save)
        return SaveAnswer::Save;
    if (button == QMessageBox::Discard)
        return SaveAnswer::Discard;
    return SaveAnswer::Cancel;
}
