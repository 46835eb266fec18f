// The real dialogs behind every prompt, answered as a user would; nothing is left to block.

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

// Presses the button with text; "Escape" and "Return" are pressed as keys.
std::function<void(QWidget *)> press(const QString &text)
{
    return [text](QWidget *dialog) {
        if (text == QLatin1String("Escape") || text == QLatin1String("Return"))
            return QTest::keyClick(dialog, text == QLatin1String("Escape") ? Qt::Key_Escape : Qt::Key_Return);
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
            if (button->isVisible() && button->text().remove(QLatin1Char('&')) == text)
                button->click();
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
        QTest::addColumn<QString>("seen"); // title|icon
        const auto row = [](const char *prompt, const char *pressed, const char *answer, const char *seen) {
            QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(prompt, pressed)))
                << QString(prompt) << QString(pressed) << QString(answer) << QString(seen);
        };
        row("save changes", "Save", "save", "Tessera|Question");
        row("save changes", "Discard", "discard", "Tessera|Question");
        row("save changes", "Cancel", "cancel", "Tessera|Question");
        // Closing the question keeps the edits; Enter saves them.
        row("save changes", "Escape", "cancel", "Tessera|Question");
        row("save changes", "Return", "save", "Tessera|Question");
        // The question about a data file changed on disk, and the one about lost edits.
        row("confirm", "Reopen", "yes", "Title of confirm|Question");
        row("confirm", "Cancel", "no", "Title of confirm|Question");
        row("confirm", "Escape", "no", "Title of confirm|Question");
        row("confirm", "Return", "yes", "Title of confirm|Question");
        row("warning", "OK", "", "Title of warning|Warning");
        row("information", "OK", "", "Title of information|Information");
        row("about", "OK", "", "Title of about|NoIcon"); // the application's own icon instead
    }
    void messageBoxes()
    {
        QFETCH(QString, prompt);
        QFETCH(QString, pressed);
        QFETCH(QString, seen);
        UserPrompts &prompts = UserPrompts::current();
        const QString text = QStringLiteral("The text of the %1 box").arg(prompt);
        const QString title = "Title of " + prompt;
        QString shown;
        const QString answer = whileOpen(press(pressed), &shown, [&]() -> QString {
            if (prompt == "save changes") {
                const auto saved = prompts.askSaveChanges(nullptr, text);
                return saved == UserPrompts::SaveAnswer::Save   ? "save"
                    : saved == UserPrompts::SaveAnswer::Discard ? "discard"
                                                                : "cancel";
            }
            if (prompt == "confirm")
                return prompts.confirm(nullptr, title, text, "Reopen") ? "yes" : "no";
            if (prompt == "warning")
                prompts.warning(nullptr, title, text);
            else if (prompt == "information")
                prompts.information(nullptr, title, text);
            else
                prompts.about(nullptr, title, text);
            return QString();
        });
        QTEST(answer, "answer");
        QCOMPARE(shown,
            QStringLiteral("QMessageBox|%1|%2|%3").arg(seen.section('|', 0, 0), text, seen.section('|', 1)));
    }

    void textPrompt_data()
    {
        QTest::addColumn<QString>("typed"); // replaces the initial text
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<QString>("answer"); // "(null)": cancelled
        const char *rows[][3] = {{"0x7B", "OK", "0x7B"}, {"", "OK", ""}, {"lamp", "Cancel", "(null)"},
            {"lamp", "Escape", "(null)"}};
        for (const auto &row : rows)
            QTest::newRow(qPrintable(QStringLiteral("'%1', %2").arg(row[0], row[1])))
                << QString(row[0]) << QString(row[1]) << QString(row[2]);
    }
    void textPrompt()
    {
        QFETCH(QString, typed);
        QFETCH(QString, pressed);
        QString seen;
        const QString answer = whileOpen(
            [&](QWidget *dialog) {
                auto *line = dialog->findChild<QLineEdit *>();
                line->selectAll();
                QTest::keyClick(line, Qt::Key_Delete);
                QTest::keyClicks(line, typed);
                press(pressed)(dialog);
            },
            &seen, [] { return UserPrompts::current().text(nullptr, "Locate", "Id of the tile:", "last"); });
        QCOMPARE(seen, QStringLiteral("QInputDialog|Locate|Id of the tile:|last"));
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
        QString seen;
        const QAction *chosen = whileOpen(
            [&](QWidget *popup) {
                for (int key : keys)
                    QTest::keyClick(popup, Qt::Key(key));
            },
            &seen, [&] { return UserPrompts::current().execMenu(&menu, QPoint(40, 40)); });
        QCOMPARE(seen, QStringLiteral("QMenu||"));
        QTEST(chosen ? chosen->text() : QString(), "chosen");
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
