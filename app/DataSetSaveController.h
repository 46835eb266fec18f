#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class DataSet;
class QWidget;
class TileEdits;

// File > Save and Save As for the window: writes the data set with a cancellable
// progress dialog, reports failures, and asks about unsaved edits before the data set
// is closed. Save asks for the output directory once a run and reuses it after it has
// been saved to; Save As always asks. Whether edits are unsaved is the edits' history's
// to say: a save marks its position clean. Every question goes through UserPrompts.
class DataSetSaveController : public QObject
{
    Q_OBJECT

public:
    DataSetSaveController(QWidget *window, DataSet *dataSet, TileEdits *edits);

    static QString chooserCaption() { return QStringLiteral("Save the data set to"); }
    static QString progressText() { return QStringLiteral("Saving the data set..."); }
    static QString unsavedQuestion()
    {
        return QStringLiteral("There are unsaved edits. Save them before closing?");
    }

    // Asked before a save replaces the data files another directory holds.
    static QString replaceQuestion(const QString &directory, const QStringList &files);

    bool hasUnsavedEdits() const;
    // Where the last successful save went; empty before the first one.
    QString outputDirectory() const { return lastOutput; }
    // Where the directory chooser starts before anything was tried this run (the last
    // output directory of an earlier run); empty: beside the data directory.
    void setChooserStart(const QString &directory) { chooserStart = directory; }

    // True when the data set was saved; false when the user cancelled or it failed (the
    // user has been told why).
    bool save();
    bool saveAs();
    // True when the data set may be closed: nothing unsaved, or saved, or discarded.
    bool confirmClose(const QString &question = unsavedQuestion());

Q_SIGNALS:
    void unsavedChanged(bool unsaved);
    void saved(const QString &directory);

private:
    QString chooseDirectory();
    bool saveTo(const QString &directory);

    QWidget *window;
    DataSet *dataSet;
    TileEdits *edits;
    QString lastOutput;
    QString lastTried;
    QString chooserStart;
    bool saving = false;
};
