#pragma once

#include "art/ArtWork.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tools/sample/DataSetBuilder.h"

#include <QPointer>
#include <QTemporaryDir>
#include <memory>

class ArtWidget;
class QLineEdit;
class QCheckBox;

// A data set written to a temporary directory with the three stores open on it, as
// the main window holds them; pending edits go to the same directory.
class TileSet
{
public:
    explicit TileSet(const DataSetBuilder &builder);
    ~TileSet();

    bool isValid() const { return valid; }
    QString path(const QString &fileName) const { return dir.filePath(fileName); }

    // A properties window as a palette opens it (shown, parentless here).
    ArtWidget *open(int id, int kind);
    // Runs deferred deletions; true when the window is gone.
    static bool isDeleted(const QPointer<ArtWidget> &window);

    QTemporaryDir dir;
    std::unique_ptr<ArtWork> art;
    std::unique_ptr<TileData> tiles;
    AnimDataFile anim;

private:
    bool valid = false;
};

QLineEdit *lineEdit(QWidget *window, const char *name);
QCheckBox *checkBox(QWidget *window, const char *name);
// What a rich or plain text shows.
QString visibleText(const QString &text);
