#include "TileSet.h"

#include "tileprop/ArtWidget.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTextDocument>

TileSet::TileSet(const DataSetBuilder &builder)
{
    valid = dir.isValid() && builder.write(dir.path());
    art = std::make_unique<ArtWork>(path("artidx.mul"), path("art.mul"), dir.path());
    tiles = std::make_unique<TileData>(path("tiledata.mul"), dir.path());
    anim.setFileName(path("animdata.mul"));
}

TileSet::~TileSet() = default;

ArtWidget *TileSet::open(int id, int kind)
{
    auto *window = new ArtWidget(art.get(), tiles.get(), &anim, id, kind, nullptr, Qt::Window);
    window->show();
    return window;
}

bool TileSet::isDeleted(const QPointer<ArtWidget> &window)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window.isNull();
}

QLineEdit *lineEdit(QWidget *window, const char *name)
{
    return window->findChild<QLineEdit *>(QLatin1String(name));
}

QCheckBox *checkBox(QWidget *window, const char *name)
{
    return window->findChild<QCheckBox *>(QLatin1String(name));
}

QString visibleText(const QString &text)
{
    QTextDocument document;
    if (Qt::mightBeRichText(text))
        document.setHtml(text);
    else
        document.setPlainText(text);
    return document.toPlainText();
}
