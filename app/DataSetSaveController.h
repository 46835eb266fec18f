#pragma once

#include <QObject>
#include <QString>

class DataSet;
class QWidget;

// File > Save for the window: knows whether pending edits are unsaved, asks for the
// output directory once a run (reusing it after it has been saved to), writes the data
// set with a cancellable progress dialog, reports failures, and asks about unsaved
// edits when the window is closed. Every question goes through UserPrompts.
class DataSetSaveController : public QObject
{
    Q_OBJECT

public:
    DataSetSaveController(QWidget *window, DataSet *dataSet);

    static QString chooserCaption() { return QStringLiteral("Save the data set to"); }
    static QString progressText() { return QStringLiteral("Saving the data set..."); }
    static QString unsavedQuestion()
    {
        return QStringLiteral("There are unsaved edits. Save them before closing?");
    }

    bool hasUnsavedEdits() const { return unsaved; }
    // Where the last successful save went; empty before the first one.
    QString outputDirectory() const { return lastOutput; }

    // True when the data set was saved; false when the user cancelled or it failed (the
    // user has been told why).
    bool save();
    // True when the window may close: nothing unsaved, or saved, or discarded.
    bool confirmClose();

Q_SIGNALS:
    void unsavedChanged(bool unsaved);

private:
    void setUnsaved(bool value);
    QString chooseDirectory();
    bool saveTo(const QString &directory);

    QWidget *window;
    DataSet *dataSet;
    QString lastOutput;
    QString lastTried;
    bool unsaved = false;
    bool saving = false;
};
