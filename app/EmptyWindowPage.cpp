#include "app/EmptyWindowPage.h"

#include "app/DataDirectory.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QString EmptyWindowPage::messageText()
{
    return QStringLiteral("No data set is open.\n\nOpen the folder that holds the game's data files (%1) "
                          "with File > Open Data Directory or the button below.")
        .arg(DataDirectory::fileListText());
}

EmptyWindowPage::EmptyWindowPage(QWidget *parent)
    : QWidget(parent), button(new QPushButton(QStringLiteral("Open Data Directory..."), this))
{
    auto *message = new QLabel(messageText(), this);
    message->setObjectName(QStringLiteral("emptyMessage"));
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(message);
    layout->addWidget(button, 0, Qt::AlignCenter);
    layout->addStretch();
    connect(button, &QPushButton::clicked, this, &EmptyWindowPage::openRequested);
}
