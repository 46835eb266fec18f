// The real dialogs behind every prompt, answered as a user would; nothing is left to block.

#include "ui/UserPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

// Runs prompt; answer is called with the modal dialog or menu once it is open. seen gets
// "class|title|text" (a chooser's start directory, an input's label|initial text, a box's
// text|icon), or "left open" for what answer left open, which is closed after a while.
template <typename Prompt>
auto whileOpen(const std::function<void(QWidget *)> &answer, QString *seen, Prompt prompt)
{
    QPointer<QWidget> found;
    bool leftOpen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *dialog = QApplication::activePopupWidget();
        dialog = dialog ? dialog : QApplication::activeModalWidget();
        if (!dialog || found)
            return;
        found = dialog;
        *seen = QString::fromLatin1(dialog->metaObject()->className()) + '|' + dialog->windowTitle() + '|';
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            *seen += box->text() + '|' + QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon());
        else if (auto *chooser = qobject_cast<QFileDialog *>(dialog))
            *seen += chooser->directory().absolutePath();
        else if (auto *input = qobject_cast<QInputDialog *>(dialog))
            *seen += input->labelText() + '|' + input->textValue();
        else if (auto *list = dialog->findChild<QPlainTextEdit *>())
            *seen += dialog->findChild<QLabel *>()->text() + '|' + list->toPlainText();
        answer(dialog);
    });
    // Again and again: closing one dialog may open another.
    QTimer safety;
    QObject::connect(&safety, &QTimer::timeout, [&] {
        leftOpen = true;
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        else if (QWidget *dialog = QApplication::activeModalWidget())
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    poll.start(20);
    safety.start(5000);
    const auto result = prompt();
    if (leftOpen)
        *seen = QStringLiteral("left open");
    return result;
}

// Presses, in turn, each button named in pressed; Escape, Return and Down are keys.
void press(QWidget *dialog, const QString &pressed)
{
    const QMap<QString, Qt::Key> keys{
        {"Escape", Qt::Key_Escape}, {"Return", Qt::Key_Return}, {"Down", Qt::Key_Down}};
    for (const QString &each : pressed.split(' ')) {
        if (keys.contains(each))
            QTest::keyClick(dialog, keys.value(each));
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
            if (button->isVisible() && button->text().remove(QLatin1Char('&')) == each)
                button->click();
    }
}

} // namespace

class UserPromptsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void prompts_data()
    {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("pressed"); // buttons' texts and keys
        QTest::addColumn<QString>("answer"); // "(null)": a text prompt cancelled
        QTest::addColumn<QString>("seen");
        QTest::addColumn<QString>("typed"); // replaces a text prompt's initial text
        const auto row = [](const char *prompt, const char *pressed, const char *answer, const char *seen,
                             const char *typed = "") {
            QTest::newRow(
                qPrintable(QStringLiteral("%1%2, %3")
                               .arg(prompt, *typed ? QStringLiteral(" '%1'").arg(typed) : "", pressed)))
                << QString(prompt) << QString(pressed) << QString(answer) << QString(seen) << QString(typed);
        };
        const char *question = "QMessageBox|Tessera|Text|Question"; // titled with the application's name
        row("save changes", "Save", "save", question);
        row("save changes", "Discard", "discard", question);
        // Closing the question (as Cancel does) keeps the edits; Enter saves them.
        row("save changes", "Escape", "cancel", question);
        row("save changes", "Return", "save", question);
        // The question about a data file changed on disk, and the one about lost edits.
        const char *confirm = "QMessageBox|Title|Text|Question";
        row("confirm", "Reopen", "yes", confirm);
        row("confirm", "Escape", "no", confirm);
        row("confirm", "Return", "yes", confirm);
        // A list to confirm (the tiles an import changes), or only to read.
        const char *list = "QDialog|Title|Text|a\nb";
        row("list", "Import", "yes", list);
        row("list", "Escape", "no", list);
        row("list", "Return", "yes", list);
        row("list to read", "Close", "no", list);
        // A question with choices of its own: the first is the default.
        row("choose", "Second", "1", confirm);
        row("choose", "Return", "0", confirm);
        row("choose", "Escape", "-1", confirm);
        row("choose", "Cancel", "-1", confirm);
        row("warning", "OK", "", "QMessageBox|Title|Text|Warning");
        row("information", "OK", "", "QMessageBox|Title|Text|Information");
        row("about", "OK", "", "QMessageBox|Title|Text|NoIcon"); // the application's own icon instead
        const char *input = "QInputDialog|Title|Label:|last";
        row("text", "OK", "0x7B", input, "0x7B");
        row("text", "OK", "", input, "");
        row("text", "Escape", "(null)", input, "lamp");
        row("menu", "Down Down Return", "Delete", "QMenu||");
        row("menu", "Down Escape", "", "QMenu||");
    }
    void prompts()
    {
        QFETCH(QString, prompt);
        QFETCH(QString, pressed);
        QFETCH(QString, typed);
        UserPrompts &prompts = UserPrompts::current();
        QMenu menu;
        for (const char *item : {"Import", "Delete", "Save"})
            menu.addAction(QString::fromLatin1(item));
        QString seen;
        const auto answer = [&](QWidget *dialog) {
            if (auto *line
                = qobject_cast<QInputDialog *>(dialog) ? dialog->findChild<QLineEdit *>() : nullptr) {
                line->selectAll();
                QTest::keyClick(line, Qt::Key_Delete);
                QTest::keyClicks(line, typed);
            }
            press(dialog, pressed);
        };
        const QString answered = whileOpen(answer, &seen, [&]() -> QString {
            if (prompt == "save changes") {
                const auto saved = prompts.askSaveChanges(nullptr, "Text");
                return saved == UserPrompts::SaveAnswer::Save   ? "save"
                    : saved == UserPrompts::SaveAnswer::Discard ? "discard"
                                                                : "cancel";
            }
            if (prompt == "confirm")
                return prompts.confirm(nullptr, "Title", "Text", "Reopen") ? "yes" : "no";
            if (prompt.startsWith("list"))
                return prompts.confirmList(
                           nullptr, "Title", "Text", {"a", "b"}, prompt == "list" ? "Import" : QString())
                    ? "yes"
                    : "no";
            if (prompt == "choose")
                return QString::number(prompts.choose(nullptr, "Title", "Text", {"First", "Second"}));
            if (prompt == "text") {
                const QString text = prompts.text(nullptr, "Title", "Label:", "last");
                return text.isNull() ? QStringLiteral("(null)") : text;
            }
            if (prompt == "menu") {
                const QAction *chosen = prompts.execMenu(&menu, QPoint(40, 40));
                return chosen ? chosen->text() : QString();
            }
            if (prompt == "warning")
                prompts.warning(nullptr, "Title", "Text");
            else if (prompt == "information")
                prompts.information(nullptr, "Title", "Text");
            else
                prompts.about(nullptr, "Title", "Text");
            return QString();
        });
        QTEST(answered, "answer");
        QTEST(seen, "seen");
    }

    void choosers_data()
    {
        QTest::addColumn<QString>("chooser"); // "directory", "open" or "save"
        QTest::addColumn<bool>("accepted");
        for (const char *chooser : {"directory", "open", "save"})
            for (const bool accepted : {true, false})
                QTest::newRow(qPrintable(QString(chooser) + (accepted ? "" : ", cancelled")))
                    << QString(chooser) << accepted;
    }
    void choosers()
    {
        QFETCH(QString, chooser);
        QFETCH(bool, accepted);
        QTemporaryDir root;
        QDir dir(root.path());
        QVERIFY(dir.mkpath("start/inner") && dir.mkpath("elsewhere"));
        QFile existing(dir.filePath("elsewhere/tile.bmp"));
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("BM") == 2 && existing.flush());
        const QString start = dir.filePath("start");
        QString selectedFilter;
        const QString chosen = dir.filePath(chooser == "directory" ? "start/inner"
                : chooser == "open"                                ? "elsewhere/tile.bmp"
                                                                   : "elsewhere/new.bmp");
        QString seen;
        const QString answer = whileOpen(
            [&](QWidget *dialog) {
                auto *files = qobject_cast<QFileDialog *>(dialog);
                if (!files || !accepted)
                    return QTest::keyClick(dialog, Qt::Key_Escape);
                if (chooser == "directory") {
                    files->setDirectory(chosen);
                } else {
                    // As typed into the name field.
                    files->selectNameFilter("bmp (*.bmp)");
                    files->findChild<QLineEdit *>("fileNameEdit")->setText(chosen);
                }
                QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
            },
            &seen,
            [&] {
                UserPrompts &prompts = UserPrompts::current();
                const QString filter = QStringLiteral("png (*.png);;bmp (*.bmp)");
                if (chooser == "directory")
                    return prompts.existingDirectory(nullptr, "Mul file location", start);
                if (chooser == "open")
                    return prompts.openFileName(nullptr, "Import", filter, &selectedFilter);
                return prompts.saveFileName(nullptr, "Save Image", filter, &selectedFilter);
            });
        QVERIFY2(seen.startsWith("QFileDialog|"), qPrintable(seen));
        QVERIFY(chooser != "directory" || seen.section('|', 2) == start); // where it is told to start
        QCOMPARE(answer, accepted ? chosen : QString());
        QCOMPARE(
            selectedFilter, accepted && chooser != "directory" ? QStringLiteral("bmp (*.bmp)") : QString());
    }
};

QTEST_MAIN(UserPromptsTest)
#include "test_user_prompts.moc"
