#include "TileSet.h"
#include "tileprop/ArtWidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTranslator>
#include <QtTest>

namespace {

// Marks every text translated under the form's context.
class MarkingTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "tileprop") != 0)
            return {};
        return QStringLiteral("~") + QString::fromUtf8(sourceText);
    }
    bool isEmpty() const override { return false; }
};

struct GridPosition
{
    int row = -1;
    int column = -1;
    int rowSpan = 0;
    int columnSpan = 0;
    bool operator==(const GridPosition &other) const
    {
        return row == other.row && column == other.column && rowSpan == other.rowSpan
            && columnSpan == other.columnSpan;
    }
};

GridPosition positionIn(QGridLayout *grid, QWidget *widget)
{
    GridPosition p;
    const int index = grid->indexOf(widget);
    if (index >= 0)
        grid->getItemPosition(index, &p.row, &p.column, &p.rowSpan, &p.columnSpan);
    return p;
}

} // namespace

class TilePropFormTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        StaticTileRecord animated;
        animated.flags = TileFlags::Animated;
        DataSetBuilder builder(64);
        builder.setStaticTile(3, animated);
        set = std::make_unique<TileSet>(builder);
        QVERIFY(set->isValid());
        window = set->open(3, ArtWidget::StaticKind);
    }
    void cleanup()
    {
        delete window.data();
        set.reset();
    }

    void pagesInOrderWithImageFirst()
    {
        auto *tabs = window->findChild<QTabWidget *>("tabWidget");
        QVERIFY(tabs);
        QStringList titles;
        QStringList pages;
        for (int i = 0; i < tabs->count(); ++i) {
            titles << tabs->tabText(i);
            pages << tabs->widget(i)->objectName();
        }
        QCOMPARE(titles, QStringList({"Image", "Flags", "General", "Static Animation"}));
        QCOMPARE(pages, QStringList({"tab", "tab1", "tab2", "tab3"}));
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(window->objectName(), QStringLiteral("tileprop"));
    }

    void flagBoxesInEightRowsOfFour_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("column 0") << QStringList{"Animated", "Armor", "Background", "Bridge", "Container",
            "Damaging", "Door", "Foliage"}
                                  << QStringList{"Animated", "Armor", "Background", "Bridge", "Container",
                                         "Damaging", "Door", "Foliage"};
        QTest::newRow("column 1") << QStringList{"Generic", "Internal", "Impassable", "LightSource", "Map",
            "Diagnol", "NoShoot", "PartialHue"}
                                  << QStringList{"Generic/Stackable", "Internal", "Impassable", "LightSource",
                                         "Map", "No Diagnol", "No Shoot", "Partial Hue"};
        QTest::newRow("column 2") << QStringList{"PrefixA", "PrefixAn", "Roof", "StairBack", "StairRight",
            "Surface", "Translucent", "Transparent"}
                                  << QStringList{"Prefix A", "Prefix An", "Roof", "StairBack", "StairRight",
                                         "Surface", "Translucent", "Transparent"};
        QTest::newRow("column 3") << QStringList{"Unknown", "Unknown1", "Unknown2", "Wall", "Weapon",
            "Wearable", "Wet", "Window"}
                                  << QStringList{"Unknown", "Unknown1", "Unknown2", "Wall", "Weapon",
                                         "Wearable", "Wet", "Window"};
    }
    void flagBoxesInEightRowsOfFour()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, texts);
        auto *grid = window->findChild<QGridLayout *>("gridLayout");
        QVERIFY(grid);
        QCOMPARE(grid->parentWidget()->objectName(), QStringLiteral("tab1"));
        QCOMPARE(grid->rowCount(), 8);
        QCOMPARE(grid->columnCount(), 4);
        const int column = QString::fromLatin1(QTest::currentDataTag()).back().digitValue();
        for (int row = 0; row < names.size(); ++row) {
            QCheckBox *box = checkBox(window, ("check" + names[row]).toLatin1());
            QVERIFY2(box, qPrintable(names[row]));
            QCOMPARE(box->text(), texts[row]);
            QCOMPARE(positionIn(grid, box), (GridPosition{row, column, 1, 1}));
        }
        QCOMPARE(window->findChildren<QCheckBox *>().size(), 32);
    }

    void internalStandsAboveImpassable()
    {
        auto *grid = window->findChild<QGridLayout *>("gridLayout");
        const GridPosition internal = positionIn(grid, checkBox(window, "checkInternal"));
        const GridPosition impassable = positionIn(grid, checkBox(window, "checkImpassable"));
        QCOMPARE(internal.column, impassable.column);
        QCOMPARE(internal.row + 1, impassable.row);
    }

    void staticFieldsGrid_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("columnSpan");
        QTest::addColumn<QString>("text");
        const struct
        {
            const char *name;
            int row, column, span;
            const char *text;
        } cells[] = {
            {"label_3", 0, 0, 1, "Weight"},
            {"lineWeight", 0, 1, 2, ""},
            {"labelQuality", 0, 3, 1, "Quality"},
            {"lineQuality", 0, 4, 1, ""},
            {"label_5", 1, 0, 1, "Unknown"},
            {"lineUnknown", 1, 2, 1, ""},
            {"label_6", 1, 3, 1, "Unknown1"},
            {"lineUnknown1", 1, 4, 1, ""},
            {"labelQuantity", 2, 0, 1, "Quantity"},
            {"lineQuantity", 2, 2, 1, ""},
            {"label_8", 2, 3, 1, "Anim ID"},
            {"lineAnimid", 2, 4, 1, ""},
            {"label_10", 3, 0, 1, "Hue"},
            {"lineHue", 3, 2, 1, ""},
            {"label_9", 3, 3, 1, "Unknown2"},
            {"lineUnknown2", 3, 4, 1, ""},
            {"label_11", 4, 0, 2, "Unknown3"},
            {"lineUnknown3", 4, 2, 1, ""},
            {"labelHeight", 4, 3, 1, "Height"},
            {"lineHeight", 4, 4, 1, ""},
        };
        for (const auto &cell : cells)
            QTest::newRow(cell.name) << cell.name << cell.row << cell.column << cell.span << cell.text;
    }
    void staticFieldsGrid()
    {
        QFETCH(QString, name);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, columnSpan);
        QFETCH(QString, text);
        auto *grid = window->findChild<QGridLayout *>("gridLayout1");
        QVERIFY(grid);
        QCOMPARE(grid->parentWidget()->objectName(), QStringLiteral("groupArt"));
        auto *widget = window->findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(positionIn(grid, widget), (GridPosition{row, column, 1, columnSpan}));
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            QVERIFY2(Qt::mightBeRichText(label->text()), "labels are rich text");
            QCOMPARE(visibleText(label->text()), text);
        }
    }

    void generalPageGroups()
    {
        auto *page = window->findChild<QWidget *>("tab2");
        const QList<QGroupBox *> groups = page->findChildren<QGroupBox *>(Qt::FindDirectChildrenOnly);
        QStringList names;
        QStringList titles;
        for (QGroupBox *group : groups) {
            names << group->objectName();
            titles << group->title();
        }
        QCOMPARE(names, QStringList({"groupBox", "groupTerrain", "groupArt"}));
        QCOMPARE(titles, QStringList({"Name", "Information", "Information"}));
        QCOMPARE(lineEdit(window, "lineName")->parentWidget()->objectName(), QStringLiteral("groupBox"));
        QCOMPARE(lineEdit(window, "lineTexid")->parentWidget()->objectName(), QStringLiteral("groupTerrain"));
        QCOMPARE(visibleText(window->findChild<QLabel *>("label_2")->text()), QStringLiteral("Texture ID"));
    }

    void animationPageWidgets()
    {
        auto *offsets = window->findChild<QListWidget *>("listOffset");
        QVERIFY(offsets);
        QCOMPARE(offsets->parentWidget()->objectName(), QStringLiteral("groupBox_2"));
        QCOMPARE(window->findChild<QGroupBox *>("groupBox_2")->title(), QStringLiteral("ID Offsets"));
        QCOMPARE(window->findChild<QGroupBox *>("groupBox_3")->title(), QStringLiteral("Delays"));
        QCOMPARE(
            lineEdit(window, "lineFrameStart")->parentWidget()->objectName(), QStringLiteral("groupBox_3"));
        QCOMPARE(lineEdit(window, "lineFrameInterval")->parentWidget()->objectName(),
            QStringLiteral("groupBox_3"));
        const QMap<QString, QString> labels{{"label", "Unknown"}, {"label_4", "Frame Count"},
            {"label_12", "Frame Start"}, {"label_7", "Frame Interval"}};
        for (auto it = labels.cbegin(); it != labels.cend(); ++it)
            QCOMPARE(visibleText(window->findChild<QLabel *>(it.key())->text()), it.value());
        QCOMPARE(window->findChild<QPushButton *>("pushButton")->text(), QStringLiteral("Play"));
    }

    void buttonsUnderTheTabs()
    {
        auto *ok = window->findChild<QPushButton *>("okButton");
        auto *cancel = window->findChild<QPushButton *>("cancelButton");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QVERIFY(ok->geometry().left() < cancel->geometry().left());
        QVERIFY(ok->geometry().top() > window->findChild<QTabWidget *>("tabWidget")->geometry().bottom());
    }

    void layoutsSpacingAndMargins()
    {
        const QStringList names{"dialogLayout", "imageLayout", "gridLayout", "generalLayout", "nameLayout",
            "terrainLayout", "gridLayout1", "animLayout", "offsetsLayout", "countsLayout", "animRightLayout",
            "delaysLayout", "playLayout", "buttonLayout"};
        QList<QLayout *> layouts = window->findChildren<QLayout *>();
        // Qt's own widgets (the tab widget's page stack) bring unnamed layouts of their own.
        layouts.removeIf([](QLayout *layout) { return layout->objectName().isEmpty(); });
        QStringList found;
        for (QLayout *layout : layouts)
            found << layout->objectName();
        found.sort();
        QStringList expected = names;
        expected.sort();
        QCOMPARE(found, expected);
        for (QLayout *layout : layouts) {
            QCOMPARE(layout->spacing(), 6);
            const bool ownsWidget = layout->parentWidget() && layout->parentWidget()->layout() == layout;
            const int margin = ownsWidget ? 8 : 0;
            QCOMPARE(layout->contentsMargins(), QMargins(margin, margin, margin, margin));
        }
    }

    void initialSize()
    {
        QVERIFY(window->width() >= 540);
        QVERIFY(window->height() >= 295);
        QVERIFY(window->width() >= window->minimumSizeHint().width());
        QVERIFY(window->height() >= window->minimumSizeHint().height());
    }

    void toolTipsAndWhatsThis_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("whatsThis");
        const QString internal = "This  is used for items such as hair, beards, etc.";
        const QString partial
            = "This results in hues only being applied to pixels that the red,green, and blue "
              "value are all equal.";
        const QString animated = "This results in the tile having a static animation, which is located in "
                                 "animdata.mul";
        QTest::newRow("window") << "checkWindow"
                                << "Indicates the item has a window, and can be seen through"
                                << "";
        QTest::newRow("weapon")
            << "checkWeapon"
            << "Indicates the item is a wapon, and the Quantity field represents the weapon "
               "class"
            << "";
        QTest::newRow("foliage")
            << "checkFoliage"
            << "Indicates this item will be transparent when the character moves behind it"
            << "";
        QTest::newRow("internal") << "checkInternal" << internal << internal;
        QTest::newRow("armor")
            << "checkArmor"
            << "Indicates the item is armor, and the Quantity field represents the armor class"
            << "";
        QTest::newRow("wearable")
            << "checkWearable"
            << "Indicates the item is wearable, and the quality field represents the layer "
               "of the item."
            << "";
        QTest::newRow("partial hue") << "checkPartialHue" << partial << partial;
        QTest::newRow("animated") << "checkAnimated" << animated << animated;
        QTest::newRow("texture")
            << "label_2"
            << "Specified the texture id for this tile. If ID is 0, the tile will not be "
               "stretched."
            << "";
        QTest::newRow("anim id label")
            << "label_8"
            << "Specified the animation in anim.mul for this item. Adding 50,000 (male) "
               "or 60,000 (female) to this id will obtain the Gump id for this item."
            << "";
        QTest::newRow("weight") << "label_3"
                                << "Specified the weight of the item (0-255). A value of 255 makes the item "
                                   "unmovable."
                                << "";
        QTest::newRow("height") << "labelHeight"
                                << "Specified the height of the item (0-255)"
                                << "";
        QTest::newRow("anim id")
            << "lineAnimid"
            << ""
            << "The id in anim.mul for the animation.  Adding 50,000 (male) and 60,000 "
               "(female) to this id will result in the gump id that wil be displayed in the "
               "paperdoll";
        QTest::newRow("without tip") << "checkWall"
                                     << ""
                                     << "";
    }
    void toolTipsAndWhatsThis()
    {
        QFETCH(QString, name);
        QFETCH(QString, toolTip);
        QFETCH(QString, whatsThis);
        auto *widget = window->findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(visibleText(widget->toolTip()), toolTip);
        QCOMPARE(visibleText(widget->whatsThis()), whatsThis);
        if (!toolTip.isEmpty())
            QVERIFY(Qt::mightBeRichText(widget->toolTip()));
        if (!whatsThis.isEmpty())
            QVERIFY(Qt::mightBeRichText(widget->whatsThis()));
    }

    void noLimitsOnTheFreeTextFields()
    {
        for (const char *name :
            {"lineName", "lineAnimUnknown", "lineFrameCount", "lineFrameStart", "lineFrameInterval"}) {
            QLineEdit *edit = lineEdit(window, name);
            QVERIFY2(!edit->validator(), name);
            QVERIFY2(edit->inputMask().isEmpty(), name);
            QCOMPARE(edit->maxLength(), QLineEdit().maxLength());
        }
    }

    void textsTranslatedUnderTheFormContext()
    {
        MarkingTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        QPointer<ArtWidget> translated = set->open(3, ArtWidget::StaticKind);
        auto *tabs = translated->findChild<QTabWidget *>("tabWidget");
        QCOMPARE(tabs->tabText(0), QStringLiteral("~Image"));
        QCOMPARE(tabs->tabText(3), QStringLiteral("~Static Animation"));
        QCOMPARE(checkBox(translated, "checkDiagnol")->text(), QStringLiteral("~No Diagnol"));
        QCOMPARE(translated->findChild<QGroupBox *>("groupArt")->title(), QStringLiteral("~Information"));
        QCOMPARE(translated->findChild<QPushButton *>("cancelButton")->text(), QStringLiteral("~Cancel"));
        QVERIFY(translated->findChild<QLabel *>("label_4")->text().startsWith(QLatin1Char('~')));
        QCoreApplication::removeTranslator(&translator);
        delete translated.data();
    }

private:
    std::unique_ptr<TileSet> set;
    QPointer<ArtWidget> window;
};

QTEST_MAIN(TilePropFormTest)
#include "tst_tilepropform.moc"
