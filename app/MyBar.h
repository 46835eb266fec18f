#pragma once

#include <QObject>
#include <QString>

class QLabel;
class TileData;

// Writes the selected tile's name, size and id into the status-bar labels. It owns
// neither the labels nor the tile data store.
class MyBar : public QObject
{
    Q_OBJECT

public:
    static constexpr int NameWidth = 20;
    static constexpr int SizeWidth = 4;
    static constexpr int IdWidth = 5;
    static constexpr int WidestId = 0xFFFF;

    MyBar(QLabel *nameLabel, QLabel *sizeLabel, QLabel *idLabel, TileData *tileData);

    static QString nameText(const QString &name);
    static QString sizeText(int width, int height);
    // "ID: 26 (0x1A)", the decimal part right-aligned; just "ID:" when nothing is selected.
    static QString idText(int id);
    // The forms of the open data set: "MUL art, classic tile data".
    static QString formatText(bool uopArt, const QString &tileDataLayout);

public Q_SLOTS:
    void updateName(QString n);
    void updateSId(int id);
    void updateTId(int id);
    void updateSize(int width, int height);

private:
    QLabel *nameLabel;
    QLabel *sizeLabel;
    QLabel *idLabel;
    TileData *tileData;
};
