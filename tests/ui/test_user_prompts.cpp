// The real dialogs behind every prompt: which button gives which answer, what the box
// shows, where a chooser starts. Each dialog is found once it is open and answered as a
// user would answer it; one still open after a while is closed, so that nothing blocks.

#include "ui/UserPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

// What the dialog showed: its class, title, text (a chooser's start directory) and,
// for a message box, its icon.
struct Seen
{
    QString kind;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Runs prompt; answer is called with the modal dialog or menu as soon as it is open.
// What answer leaves open is closed after a few seconds, and seen tells "left open".
template <typename Prompt>
auto whileOpen(const std::function<void(QWidget *)> &answer, Seen *seen, Prompt prompt)
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
        seen->kind = QString::fromLatin1(dialog->metaObject()->className());
        seen->title = dialog->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
            seen->text = box->text();
            seen->icon = box->icon();
        } else if (auto *chooser = qobject_cast<QFileDialog *>(dialog)) {
            seen->text = chooser->directory().absolutePath();
        } else if (auto *input = qobject_cast<QInputDialog *>(dialog)) {
            seen->text = input->labelText() + '|' + input->textValue();
        }
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
        seen->kind = QStringLiteral("left open");
    return result;
}

// Presses the button with text; "Escape" and "Return" are pressed as keys.
std::function<void(QWidget *)> press(const QString &text)
{
    return [text](QWidget *dialog) {
        if (text == QLatin1String("Escape") || text == QLatin1String("Return")) {
            QTest::keyClick(dialog, text == QLatin1String("Escape") ? Qt::Key_Escape : Qt::Key_Return);
            return;
        }
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
            if (button->isVisible() && button->text().remove(QLatin1Char('&')) == text)
                button->click();
        }
    };
}

} // namespace

class UserPromptsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void messageBoxes_data()
    {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("pressed"); // a button's text, or the key Escape or Return
        QTest::addColumn<QString>("answer");
        const auto row = [](const char *prompt, const char *pressed, const char *answer) {
            QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(prompt, pressed)))
                << QString(prompt) << QString(pressed) << QString(answer);
        };
        row("save changes", "Save", "save");
        row("save changes", "Discard", "discard");
        row("save changes", "Cancel", "cancel");
        // Closing the question keeps the edits; Enter saves them.
        row("save changes", "Escape", "cancel");
        row("save changes", "Return", "save");
        // The question about a data file changed on disk, and the one about lost edits.
        row("confirm", "Reopen", "yes");
        row("confirm", "Cancel", "no");
        row("confirm", "Escape", "no");
        row("confirm", "Return", "yes");
        row("warning", "OK", "");
        row("information", "OK", "");
        row("about", "OK", "");
    }
    void messageBoxes()
    {
        QFETCH(QString, prompt);
        QFETCH(QString, pressed);
        UserPrompts &prompts = UserPrompts::current();
        const QString text = QStringLiteral("The text of the %1 box").arg(prompt);
        Seen seen;
        const QString answer = whileOpen(press(pressed), &seen, [&]() -> QString {
            if (prompt == "save changes")
                return QMap<UserPrompts::SaveAnswer, QString>{{UserPrompts::SaveAnswer::Save, "save"},
                    {UserPrompts::SaveAnswer::Discard, "discard"},
                    {UserPrompts::SaveAnswer::Cancel, "cancel"}}
                    .value(prompts.askSaveChanges(nullptr, text));
            if (prompt == "confirm")
                return prompts.confirm(nullptr, "Title of confirm", text, "Reopen") ? "yes" : "no";
            if (prompt == "warning")
                prompts.warning(nullptr, "Title of warning", text);
            else if (prompt == "information")
                prompts.information(nullptr, "Title of information", text);
            else
                prompts.about(nullptr, "Title of about", text);
            return QString();
        });
        QTEST(answer, "answer");
        QVERIFY2(seen.kind == "QMessageBox", qPrintable(seen.kind));
        QCOMPARE(seen.text, text);
        QCOMPARE(seen.title, prompt == "save changes" ? QStringLiteral("Tessera") : "Title of " + prompt);
        const QMap<QString, QMessageBox::Icon> icons{{"save changes", QMessageBox::Question},
            {"confirm", QMessageBox::Question}, {"warning", QMessageBox::Warning},
            {"information", QMessageBox::Information}};
        if (icons.contains(prompt))
            QCOMPARE(seen.icon, icons.value(prompt));
    }

    void textPrompt_data()
    {
        QTest::addColumn<QString>("typed"); // replaces the initial text
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<QString>("answer"); // "(null)": cancelled
        QTest::newRow("typed, OK") << "0x7B"
                                   << "OK"
                                   << "0x7B";
        QTest::newRow("emptied, OK") << ""
                                     << "OK"
                                     << "";
        QTest::newRow("typed, Cancel") << "lamp"
                                       << "Cancel"
                                       << "(null)";
        QTest::newRow("typed, Escape") << "lamp"
                                       << "Escape"
                                       << "(null)";
    }
    void textPrompt()
    {
        QFETCH(QString, typed);
        QFETCH(QString, pressed);
        Seen seen;
        const QString answer = whileOpen(
            [&](QWidget *dialog) {
                auto *line = dialog->findChild<QLineEdit *>();
                line->selectAll();
                QTest::keyClick(line, Qt::Key_Delete);
                QTest::keyClicks(line, typed);
                press(pressed)(dialog);
            },
            &seen, [] { return UserPrompts::current().text(nullptr, "Locate", "Id of the tile:", "last"); });
        QCOMPARE(seen.kind, QStringLiteral("QInputDialog"));
        QCOMPARE(seen.text, QStringLiteral("Id of the tile:|last"));
        QCOMPARE(seen.title, QStringLiteral("Locate"));
        QTEST(answer.isNull() ? QStringLiteral("(null)") : answer, "answer");
    }

    void menuPrompt_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("chosen"); // empty: dismissed
        QTest::newRow("second item") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Return} << "Delete";
        QTest::newRow("dismissed") << QList<int>{Qt::Key_Down, Qt::Key_Escape} << "";
    }
    void menuPrompt()
    {
        QFETCH(QList<int>, keys);
        QMenu menu;
        for (const char *item : {"Import", "Delete", "Save"})
            menu.addAction(QString::fromLatin1(item));
        Seen seen;
        const QAction *chosen = whileOpen(
            [&](QWidget *popup) {
                for (int key : keys)
                    QTest::keyClick(popup, Qt::Key(key));
            },
            &seen, [&] { return UserPrompts::current().execMenu(&menu, QPoint(40, 40)); });
        QCOMPARE(seen.kind, QStringLiteral("QMenu"));
        QTEST(chosen ? chosen->text() : QString(), "chosen");
    }

    void choosers_data()
    {
        QTest::addColumn<QString>("chooser"); // "directory", "open" or "save"
        QTest::addColumn<bool>("accepted");
        QTest::newRow("directory") << "directory" << true;
        QTest::newRow("directory, cancelled") << "directory" << false;
        QTest::newRow("open") << "open" << true;
        QTest::newRow("save") << "save" << true;
        QTest::newRow("save, cancelled") << "save" << false;
    }
    void choosers()
    {
        QFETCH(QString, chooser);
        QFETCH(bool, accepted);
        QTemporaryDir root;
        QDir dir(root.path());
        QVERIFY(dir.mkpath("start/inner") && dir.mkpath("elsewhere"));
        QFile existing(dir.filePath("elsewhere/tile.bmp"));
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("BM") == 2);
        existing.close();
        const QString start = dir.filePath("start");
        const QString filter = QStringLiteral("png (*.png);;bmp (*.bmp)");
        QString selectedFilter;
        const QString chosen = chooser == "directory"
            ? dir.filePath("start/inner")
            : dir.filePath(chooser == "open" ? "elsewhere/tile.bmp" : "elsewhere/new.bmp");
        Seen seen;
        const QString answer = whileOpen(
            [&](QWidget *dialog) {
                auto *files = qobject_cast<QFileDialog *>(dialog);
                if (!files || !accepted) {
                    QTest::keyClick(dialog, Qt::Key_Escape);
                    return;
                }
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
                if (chooser == "directory")
                    return prompts.existingDirectory(nullptr, "Mul file location", start);
                if (chooser == "open")
                    return prompts.openFileName(nullptr, "Import", filter, &selectedFilter);
                return prompts.saveFileName(nullptr, "Save Image", filter, &selectedFilter);
            });
        QVERIFY2(seen.kind == "QFileDialog", qPrintable(seen.kind));
        // The directory chooser starts where it is told to.
        QVERIFY(chooser != "directory" || seen.text == start);
        QCOMPARE(answer, accepted ? chosen : QString());
        QCOMPARE(
            selectedFilter, accepted && chooser != "directory" ? QStringLiteral("bmp (*.bmp)") : QString());
    }
};

QTEST_MAIN(UserPromptsTest)
#include "test_user_prompts.moc"
