#pragma once

#include "dataset/TileFilter.h"
#include "io/TileKind.h"

#include <QWidget>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

// The line above the grid that narrows what the palettes show, in the look of a find
// bar: a part of the name, the flags set and not set (chosen from the named flags),
// field conditions, whether a tile has an image and whether it is edited; a text that
// says how many tiles match; Clear, and a close button (Esc too).
class TileFilterBar : public QWidget
{
    Q_OBJECT

public:
    explicit TileFilterBar(QWidget *parent = nullptr);

    // The filter of tiles of kind the bar holds; nothing, and *error saying why, when
    // its field conditions do not read for the kind.
    std::optional<TileFilter> filter(TileKind kind, QString *error) const;
    // What the bar says of the filter: how many tiles match, or what is wrong with it.
    void showStatus(const QString &text, bool wrong = false);
    QString statusText() const;
    // Every condition back to none.
    void clear();

    QLineEdit *nameEdit() const { return name; }
    QLineEdit *fieldsEdit() const { return fields; }
    // Checkable actions, one per named flag, its bit as data.
    QMenu *flagsSetMenu() const { return setMenu; }
    QMenu *flagsNotSetMenu() const { return notSetMenu; }
    // Items in the order of TileFilter::Presence.
    QComboBox *imageChoice() const { return image; }
    QComboBox *editedChoice() const { return edited; }
    QToolButton *closeButton() const { return closer; }

Q_SIGNALS:
    // A condition changed.
    void changed();
    // The close button or Esc.
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QToolButton *flagsButton(const QString &text, QMenu **menu);
    // The flags ticked in menu.
    static quint64 flagsOf(const QMenu *menu);
    // A flag ticked in one menu is unticked in the other: set and not set at once matches nothing.
    void flagToggled(QMenu *other, QAction *action);
    void showFlags();

    QLineEdit *name;
    QToolButton *setButton = nullptr;
    QToolButton *notSetButton = nullptr;
    QMenu *setMenu = nullptr;
    QMenu *notSetMenu = nullptr;
    QLineEdit *fields;
    QComboBox *image;
    QComboBox *edited;
    QLabel *status;
    QToolButton *closer;
};
