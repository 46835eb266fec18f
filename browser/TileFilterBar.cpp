#include "browser/TileFilterBar.h"

#include "browser/CheckListMenu.h"

#include "tiledata/TileFlags.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QToolButton>

namespace {

const QString SetText = QStringLiteral("Flags Set");
const QString NotSetText = QStringLiteral("Flags Not Set");

QLineEdit *lineEdit(const QString &placeholder, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setPlaceholderText(placeholder);
    edit->setClearButtonEnabled(true);
    return edit;
}

QComboBox *choice(const QStringList &items, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->addItems(items);
    return box;
}

} // namespace

TileFilterBar::TileFilterBar(QWidget *parent)
    : QWidget(parent), name(lineEdit(QStringLiteral("Name contains"), this)),
      fields(lineEdit(QStringLiteral("Fields, as weight = 255, height > 0"), this)),
      image(choice(
          {QStringLiteral("Any Image"), QStringLiteral("Has an Image"), QStringLiteral("Has No Image")},
          this)),
      edited(choice(
          {QStringLiteral("Edited or Not"), QStringLiteral("Edited"), QStringLiteral("Not Edited")}, this)),
      status(new QLabel(this)), closer(new QToolButton(this))
{
    setButton = flagsButton(SetText, &setMenu);
    notSetButton = flagsButton(NotSetText, &notSetMenu);
    auto *clearButton = new QToolButton(this);
    clearButton->setText(QStringLiteral("Clear"));
    closer->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    closer->setToolTip(QStringLiteral("Close the filter (Esc)"));
    closer->setAutoRaise(true);
    name->setMinimumWidth(fontMetrics().averageCharWidth() * 12);
    fields->setMinimumWidth(fontMetrics().averageCharWidth() * 16);
    // A long message must not widen the window: it is cut, and whole in the tool tip. The
    // count of matches always fits; the fields give way first.
    status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("16384 of 16384 terrain tiles match")));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel(QStringLiteral("Filter:"), this));
    for (QWidget *widget : {static_cast<QWidget *>(name), static_cast<QWidget *>(setButton),
             static_cast<QWidget *>(notSetButton), static_cast<QWidget *>(fields),
             static_cast<QWidget *>(image), static_cast<QWidget *>(edited),
             static_cast<QWidget *>(clearButton)})
        layout->addWidget(widget);
    layout->addWidget(status, 1);
    layout->addWidget(closer);

    connect(name, &QLineEdit::textChanged, this, &TileFilterBar::changed);
    connect(fields, &QLineEdit::textChanged, this, &TileFilterBar::changed);
    connect(image, &QComboBox::currentIndexChanged, this, &TileFilterBar::changed);
    connect(edited, &QComboBox::currentIndexChanged, this, &TileFilterBar::changed);
    connect(setMenu, &QMenu::triggered, this, [this](QAction *action) { flagToggled(notSetMenu, action); });
    connect(notSetMenu, &QMenu::triggered, this, [this](QAction *action) { flagToggled(setMenu, action); });
    connect(clearButton, &QToolButton::clicked, this, &TileFilterBar::clear);
    connect(closer, &QToolButton::clicked, this, &TileFilterBar::closeRequested);
    setFocusProxy(name);
}

QToolButton *TileFilterBar::flagsButton(const QString &text, QMenu **menu)
{
    auto *button = new QToolButton(this);
    button->setText(text);
    button->setPopupMode(QToolButton::InstantPopup);
    *menu = new CheckListMenu(button);
    for (int bit = 0; bit < TileFlags::FlagCount; ++bit) {
        if (!TileFlags::isNamed(bit))
            continue;
        // The flags only high-seas records hold come after the others.
        if (bit == TileFlags::LowerFlagCount)
            (*menu)->addSeparator();
        QAction *action = (*menu)->addAction(TileFlags::flagLabel(bit));
        action->setCheckable(true);
        action->setData(bit);
    }
    button->setMenu(*menu);
    return button;
}

quint64 TileFilterBar::flagsOf(const QMenu *menu)
{
    quint64 flags = 0;
    for (const QAction *action : menu->actions()) {
        if (action->isChecked())
            flags |= quint64(1) << action->data().toInt();
    }
    return flags;
}

void TileFilterBar::flagToggled(QMenu *other, QAction *action)
{
    if (action->isChecked()) {
        for (QAction *twin : other->actions()) {
            if (twin->isCheckable() && twin->data() == action->data())
                twin->setChecked(false);
        }
    }
    showFlags();
    Q_EMIT changed();
}

void TileFilterBar::showFlags()
{
    // The button names the flags chosen, so that the filter can be read without opening it.
    const auto label = [](const QString &text, const QMenu *menu) {
        QStringList chosen;
        for (const QAction *action : menu->actions()) {
            if (action->isChecked())
                chosen << action->text();
        }
        return chosen.isEmpty() ? text
                                : QStringLiteral("%1: %2").arg(text, chosen.join(QStringLiteral(", ")));
    };
    setButton->setText(label(SetText, setMenu));
    notSetButton->setText(label(NotSetText, notSetMenu));
}

std::optional<TileFilter> TileFilterBar::filter(TileKind kind, QString *error) const
{
    const auto conditions = TileFieldCondition::parseList(fields->text(), kind, error);
    if (!conditions)
        return std::nullopt;
    TileFilter filter;
    filter.nameContains = name->text();
    filter.flagsSet = flagsOf(setMenu);
    filter.flagsNotSet = flagsOf(notSetMenu);
    filter.fields = *conditions;
    filter.image = TileFilter::Presence(image->currentIndex());
    filter.edited = TileFilter::Presence(edited->currentIndex());
    return filter;
}

void TileFilterBar::showStatus(const QString &text, bool wrong)
{
    status->setText(text);
    status->setToolTip(text);
    QPalette colours = palette();
    if (wrong)
        colours.setColor(QPalette::WindowText, Qt::red);
    status->setPalette(colours);
}

QString TileFilterBar::statusText() const
{
    return status->text();
}

void TileFilterBar::clear()
{
    // One change at the end, not one per field.
    QSignalBlocker blocked(this);
    name->clear();
    fields->clear();
    image->setCurrentIndex(0);
    edited->setCurrentIndex(0);
    for (QMenu *menu : {setMenu, notSetMenu}) {
        for (QAction *action : menu->actions())
            action->setChecked(false);
    }
    showFlags();
    blocked.unblock();
    Q_EMIT changed();
}

void TileFilterBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT closeRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}
