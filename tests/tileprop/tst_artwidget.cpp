#include "TileSet.h"
#include "tileprop/ArtWidget.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

constexpr int WearableLight = 5;
constexpr int ArmedTile = 6;
constexpr int ContainerTile = 7;
constexpr int AnimatedTile = 8;
constexpr int PlainStatic = 9;
constexpr int FullStatic = 10;
constexpr int Land = 40;

QStringList tabTitles(QWidget *window)
{
    auto *tabs = window->findChild<QTabWidget *>("tabWidget");
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i)
        titles << tabs->tabText(i);
    return titles;
}

QString labelText(QWidget *window, const char *name)
{
    return visibleText(window->findChild<QLabel *>(name)->text());
}

void showGeneralPage(QWidget *window)
{
    auto *tabs = window->findChild<QTabWidget *>("tabWidget");
    tabs->setCurrentWidget(window->findChild<QWidget *>("tab2"));
}

AnimDataEntry sampleAnimation()
{
    AnimDataEntry entry;
    for (int i = 0; i < AnimDataEntry::FrameSlots; ++i)
        entry.frameOffsets[i] = qint8(i % 2 ? -i : i);
    entry.animUnknown = 7;
    entry.frameCount = qint8(0xFF);
    entry.frameInterval = 3;
    entry.frameStart = -128;
    return entry;
}

} // namespace

class ArtWidgetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        DataSetBuilder builder(64);
        StaticTileRecord r;
        r.flags = TileFlags::Wearable | TileFlags::LightSource;
        builder.setStaticTile(WearableLight, r);
        r.flags = TileFlags::Weapon | TileFlags::Armor;
        builder.setStaticTile(ArmedTile, r);
        r.flags = TileFlags::Container;
        builder.setStaticTile(ContainerTile, r);
        r.flags = TileFlags::Animated;
        builder.setStaticTile(AnimatedTile, r);
        builder.setAnim(AnimatedTile, sampleAnimation());
        builder.setAnim(PlainStatic, sampleAnimation());

        StaticTileRecord full;
        full.flags = TileFlags::Background | TileFlags::Wet | TileFlags::StairRight;
        full.weight = 200;
        full.quality = 201;
        full.unknown = 0xBEEF;
        full.unknown1 = 202;
        full.quantity = 203;
        full.animid = 60000;
        full.unknown2 = 204;
        full.hue = 255;
        full.unknown3 = 40000;
        full.height = 250;
        full.setNameText(QStringLiteral("caf\u00e9 table"));
        builder.setStaticTile(FullStatic, full);

        LandTileRecord land;
        land.flags = TileFlags::Impassable | TileFlags::Container;
        land.texid = 0xABCD;
        land.setNameText(QStringLiteral("grass"));
        builder.setLandTile(Land, land);

        set = std::make_unique<TileSet>(builder);
        QVERIFY(set->isValid());
    }
    void cleanup()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<ArtWidget *>(widget))
                delete widget;
        }
        set.reset();
    }

    void titleNamesKindAndId()
    {
        QCOMPARE(set->open(Land, ArtWidget::TerrainKind)->windowTitle(), QStringLiteral("Terrain: 40"));
        QCOMPARE(set->open(PlainStatic, ArtWidget::StaticKind)->windowTitle(), QStringLiteral("Static: 9"));
    }

    void terrainShowsTextureGroup()
    {
        ArtWidget *window = set->open(Land, ArtWidget::TerrainKind);
        showGeneralPage(window);
        QVERIFY(window->findChild<QGroupBox *>("groupBox")->isVisible());
        QVERIFY(window->findChild<QGroupBox *>("groupTerrain")->isVisible());
        QVERIFY(!window->findChild<QGroupBox *>("groupArt")->isVisible());
        QCOMPARE(lineEdit(window, "lineTexid")->text(), QStringLiteral("43981"));
        QCOMPARE(lineEdit(window, "lineName")->text(), QStringLiteral("grass"));
        QVERIFY(checkBox(window, "checkImpassable")->isChecked());
        QVERIFY(checkBox(window, "checkContainer")->isChecked());
        QCOMPARE(window->findChildren<QCheckBox *>().size(), 32);
        int checked = 0;
        for (QCheckBox *box : window->findChildren<QCheckBox *>())
            checked += box->isChecked();
        QCOMPARE(checked, 2);
    }

    void staticShowsFieldsGroupUnsigned()
    {
        ArtWidget *window = set->open(FullStatic, ArtWidget::StaticKind);
        showGeneralPage(window);
        QVERIFY(window->findChild<QGroupBox *>("groupBox")->isVisible());
        QVERIFY(!window->findChild<QGroupBox *>("groupTerrain")->isVisible());
        QVERIFY(window->findChild<QGroupBox *>("groupArt")->isVisible());
        const QMap<QString, QString> expected{{"lineWeight", "200"}, {"lineQuality", "201"},
            {"lineUnknown", "48879"}, {"lineUnknown1", "202"}, {"lineQuantity", "203"},
            {"lineAnimid", "60000"}, {"lineUnknown2", "204"}, {"lineHue", "255"}, {"lineUnknown3", "40000"},
            {"lineHeight", "250"}};
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(lineEdit(window, it.key().toLatin1())->text(), it.value());
        QCOMPARE(lineEdit(window, "lineName")->text(), QStringLiteral("caf\u00e9 table"));
        QVERIFY(checkBox(window, "checkBackground")->isChecked());
        QVERIFY(checkBox(window, "checkWet")->isChecked());
        QVERIFY(checkBox(window, "checkStairRight")->isChecked());
        QVERIFY(!checkBox(window, "checkWeapon")->isChecked());
    }

    void labelsAtConstruction()
    {
        ArtWidget *plain = set->open(PlainStatic, ArtWidget::StaticKind);
        QCOMPARE(labelText(plain, "labelQuality"), QStringLiteral("Quality"));
        QCOMPARE(labelText(plain, "labelQuantity"), QStringLiteral("Quantity"));
        QCOMPARE(labelText(plain, "labelHeight"), QStringLiteral("Height"));

        QCOMPARE(labelText(set->open(WearableLight, ArtWidget::StaticKind), "labelQuality"),
            QStringLiteral("Light ID"));
        QCOMPARE(
            labelText(set->open(ArmedTile, ArtWidget::StaticKind), "labelQuantity"), QStringLiteral("Class"));
        QCOMPARE(labelText(set->open(ContainerTile, ArtWidget::StaticKind), "labelHeight"),
            QStringLiteral("Contains"));
    }

    void lightSourceToggleWritesLightIdWithoutSpace()
    {
        ArtWidget *window = set->open(WearableLight, ArtWidget::StaticKind);
        QCheckBox *light = checkBox(window, "checkLightSource");
        light->setChecked(false);
        QCOMPARE(labelText(window, "labelQuality"), QStringLiteral("Quality"));
        light->setChecked(true);
        QCOMPARE(labelText(window, "labelQuality"), QStringLiteral("LightID"));
        checkBox(window, "checkWearable")->setChecked(false);
        QCOMPARE(labelText(window, "labelQuality"), QStringLiteral("Quality"));
        checkBox(window, "checkWearable")->setChecked(true);
        QCOMPARE(labelText(window, "labelQuality"), QStringLiteral("Layer"));
    }

    void toggledLabelIgnoresTheOtherFlag()
    {
        ArtWidget *window = set->open(ArmedTile, ArtWidget::StaticKind);
        checkBox(window, "checkWeapon")->setChecked(false);
        // Armor is still set, yet the slot writes its own text.
        QCOMPARE(labelText(window, "labelQuantity"), QStringLiteral("Quantity"));
        checkBox(window, "checkArmor")->setChecked(false);
        checkBox(window, "checkArmor")->setChecked(true);
        QCOMPARE(labelText(window, "labelQuantity"), QStringLiteral("Class"));

        QCheckBox *container = checkBox(window, "checkContainer");
        container->setChecked(true);
        QCOMPARE(labelText(window, "labelHeight"), QStringLiteral("Contains"));
        container->setChecked(false);
        QCOMPARE(labelText(window, "labelHeight"), QStringLiteral("Height"));
    }

    void animationPageFollowsTheFlag()
    {
        ArtWidget *window = set->open(PlainStatic, ArtWidget::StaticKind);
        QCOMPARE(tabTitles(window), QStringList({"Image", "Flags", "General"}));
        QCheckBox *animated = checkBox(window, "checkAnimated");
        animated->setChecked(true);
        QCOMPARE(tabTitles(window), QStringList({"Image", "Flags", "General", "Static Animation"}));
        auto *tabs = window->findChild<QTabWidget *>("tabWidget");
        QCOMPARE(tabs->widget(3)->objectName(), QStringLiteral("tab3"));
        // The page shows what was read at construction, although it was not a tab then.
        QCOMPARE(window->findChild<QListWidget *>("listOffset")->count(), AnimDataEntry::FrameSlots);
        QCOMPARE(lineEdit(window, "lineFrameCount")->text(), QStringLiteral("-1"));
        animated->setChecked(false);
        QCOMPARE(tabTitles(window), QStringList({"Image", "Flags", "General"}));
    }

    void addingTheAnimationPageTwiceKeepsOneTab()
    {
        ArtWidget *window = set->open(AnimatedTile, ArtWidget::StaticKind);
        QCOMPARE(tabTitles(window), QStringList({"Image", "Flags", "General", "Static Animation"}));
        window->toggleAnim(Qt::Checked);
        QCOMPARE(tabTitles(window), QStringList({"Image", "Flags", "General", "Static Animation"}));
        window->toggleAnim(Qt::Unchecked);
        window->toggleAnim(Qt::Unchecked);
        QCOMPARE(tabTitles(window), QStringList({"Image", "Flags", "General"}));
    }

    void animationValuesAsSignedNumbers()
    {
        ArtWidget *window = set->open(AnimatedTile, ArtWidget::StaticKind);
        auto *list = window->findChild<QListWidget *>("listOffset");
        QCOMPARE(list->count(), AnimDataEntry::FrameSlots);
        QCOMPARE(list->item(0)->text(), QStringLiteral("0"));
        QCOMPARE(list->item(3)->text(), QStringLiteral("-3"));
        QCOMPARE(list->item(62)->text(), QStringLiteral("62"));
        QCOMPARE(list->item(63)->text(), QStringLiteral("-63"));
        QCOMPARE(lineEdit(window, "lineAnimUnknown")->text(), QStringLiteral("7"));
        QCOMPARE(lineEdit(window, "lineFrameCount")->text(), QStringLiteral("-1"));
        QCOMPARE(lineEdit(window, "lineFrameInterval")->text(), QStringLiteral("3"));
        QCOMPARE(lineEdit(window, "lineFrameStart")->text(), QStringLiteral("-128"));
    }

    void zeroEntryStillListsAllOffsets()
    {
        ArtWidget *window = set->open(Land, ArtWidget::TerrainKind);
        auto *list = window->findChild<QListWidget *>("listOffset");
        QCOMPARE(list->count(), AnimDataEntry::FrameSlots);
        for (int i = 0; i < list->count(); ++i)
            QCOMPARE(list->item(i)->text(), QStringLiteral("0"));
    }

    void animationFieldsAreNotWrittenBack()
    {
        ArtWidget *window = set->open(AnimatedTile, ArtWidget::StaticKind);
        lineEdit(window, "lineFrameCount")->setText(QStringLiteral("12"));
        window->accept();
        QVERIFY(!set->tiles->hasPendingEdits());
        QCOMPARE(set->anim.readEntry(AnimatedTile), sampleAnimation());
    }

    void playDoesNothing()
    {
        ArtWidget *window = set->open(AnimatedTile, ArtWidget::StaticKind);
        QTest::mouseClick(window->findChild<QPushButton *>("pushButton"), Qt::LeftButton);
        QVERIFY(window->isVisible());
        QCOMPARE(lineEdit(window, "lineFrameCount")->text(), QStringLiteral("-1"));
    }

    void closesAndDeletesItself()
    {
        QPointer<ArtWidget> cancelled = set->open(PlainStatic, ArtWidget::StaticKind);
        QTest::mouseClick(cancelled->findChild<QPushButton *>("cancelButton"), Qt::LeftButton);
        QVERIFY(TileSet::isDeleted(cancelled));

        QPointer<ArtWidget> accepted = set->open(PlainStatic, ArtWidget::StaticKind);
        QTest::mouseClick(accepted->findChild<QPushButton *>("okButton"), Qt::LeftButton);
        QVERIFY(TileSet::isDeleted(accepted));

        QPointer<ArtWidget> closed = set->open(PlainStatic, ArtWidget::StaticKind);
        closed->close();
        QVERIFY(TileSet::isDeleted(closed));
    }

    void negativeIdNeverShows()
    {
        QPointer<ArtWidget> window = set->open(-1, ArtWidget::StaticKind);
        QVERIFY(!window.isNull());
        QVERIFY(!window->isVisible());
        QVERIFY(TileSet::isDeleted(window));
        QVERIFY(!set->tiles->hasPendingEdits());
        QVERIFY(!set->art->hasPendingEdits());
    }

private:
    std::unique_ptr<TileSet> set;
};

QTEST_MAIN(ArtWidgetTest)
#include "tst_artwidget.moc"
