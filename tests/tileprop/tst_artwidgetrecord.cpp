#include "FakePrompts.h"
#include "TileSet.h"
#include "tiledata/TileDataFormat.h"
#include "tileprop/ArtWidget.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QtTest>

namespace {

constexpr int Plain = 9;
constexpr int Junk = 11;
constexpr int Land = 40;

// A name whose bytes after the terminator are not zero, as real files have them.
QByteArray junkName()
{
    QByteArray name("Rock", 4);
    name.append('\0');
    name.append("\x01\x7f\xff JUNK after NUL", 15);
    return name;
}

// What the user does: replace the text by typing, through the field's validator.
void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    return result;
}

QByteArray paddedName(const QByteArray &name)
{
    return name + QByteArray(TileDataFormat::NameSize - name.size(), '\0');
}

} // namespace

class ArtWidgetRecordTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        DataSetBuilder builder(64);
        StaticTileRecord junk;
        junk.flags = TileFlags::Wet;
        junk.weight = 90;
        junk.unknown = 0x0304;
        junk.name = junkName();
        builder.setStaticTile(Junk, junk);
        LandTileRecord land;
        land.flags = TileFlags::Impassable;
        land.texid = 77;
        land.name = junkName();
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

    void untouchedOkStoresNothing_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("kind");
        QTest::newRow("terrain") << Land << int(ArtWidget::TerrainKind);
        QTest::newRow("static") << Junk << int(ArtWidget::StaticKind);
    }
    void untouchedOkStoresNothing()
    {
        QFETCH(int, id);
        QFETCH(int, kind);
        QPointer<ArtWidget> window = set->open(id, kind);
        window->accept();
        QVERIFY(TileSet::isDeleted(window));
        QVERIFY(!set->tiles->hasPendingEdits());
        QVERIFY(!set->art->hasPendingEdits());
    }

    void staticRecordWidthsAndByteOrder()
    {
        ArtWidget *window = set->open(Plain, ArtWidget::StaticKind);
        const QList<QPair<const char *, QString>> typed{{"lineWeight", "7"}, {"lineQuality", "8"},
            {"lineUnknown", "4660"}, {"lineUnknown1", "9"}, {"lineQuantity", "10"}, {"lineAnimid", "65535"},
            {"lineUnknown2", "11"}, {"lineHue", "12"}, {"lineUnknown3", "258"}, {"lineHeight", "13"},
            {"lineName", "sword"}};
        for (const auto &field : typed)
            retype(lineEdit(window, field.first), field.second);
        checkBox(window, "checkWeapon")->setChecked(true);
        checkBox(window, "checkStairRight")->setChecked(true);
        window->accept();

        const QByteArray record = set->tiles->staticRecord(Plain);
        QCOMPARE(record.size(), TileDataFormat::StaticRecordSize);
        const QByteArray expected
            = bytes({0x02, 0, 0, 0x80, 7, 8, 0x34, 0x12, 9, 10, 0xFF, 0xFF, 11, 12, 0x02, 0x01, 13})
            + paddedName("sword");
        QCOMPARE(record, expected);
        QVERIFY(set->tiles->pendingRecords().contains(Plain + TileDataFormat::StaticKeyBase));
    }

    void terrainRecordWidthsAndByteOrder()
    {
        ArtWidget *window = set->open(Land, ArtWidget::TerrainKind);
        retype(lineEdit(window, "lineTexid"), "513");
        retype(lineEdit(window, "lineName"), "sand");
        checkBox(window, "checkDoor")->setChecked(true);
        window->accept();
        const QByteArray record = set->tiles->landRecord(Land);
        QCOMPARE(record.size(), TileDataFormat::LandRecordSize);
        QCOMPARE(record, bytes({0x40, 0, 0, 0x20, 0x01, 0x02}) + paddedName("sand"));
        QVERIFY(set->tiles->pendingRecords().contains(Land));
    }

    void textSetWithoutTheValidatorKeepsLowBytes()
    {
        ArtWidget *window = set->open(Plain, ArtWidget::StaticKind);
        lineEdit(window, "lineWeight")->setText("300");
        lineEdit(window, "lineUnknown")->setText("70000");
        lineEdit(window, "lineHue")->setText("abc");
        lineEdit(window, "lineHeight")->setText("");
        lineEdit(window, "lineQuantity")->setText("65535");
        QVERIFY(!lineEdit(window, "lineWeight")->hasAcceptableInput());
        window->accept();
        const QByteArray record = set->tiles->staticRecord(Plain);
        QCOMPARE(quint8(record[4]), quint8(44));
        QCOMPARE(record.mid(6, 2), bytes({0, 0}));
        QCOMPARE(quint8(record[9]), quint8(0xFF));
        QCOMPARE(quint8(record[13]), quint8(0));
        QCOMPARE(quint8(record[16]), quint8(0));
    }

    void numberFieldsRefuseWhatTheyCannotStore_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const int s = ArtWidget::StaticKind;
        const int t = ArtWidget::TerrainKind;
        const struct
        {
            const char *tag;
            int kind;
            const char *field, *typed, *shown;
        } rows[] = {
            {"byte max", s, "lineWeight", "255", "255"},
            {"byte over", s, "lineWeight", "300", "30"},
            {"byte 256", s, "lineHue", "256", "25"},
            {"letters", s, "lineQuality", "abc", "0"},
            {"minus", s, "lineHeight", "-5", "5"},
            {"sign and space", s, "lineUnknown", "+ 12", "12"},
            {"leading zeros", s, "lineWeight", "0255", "0255"},
            {"unknown1", s, "lineUnknown1", "999", "99"},
            {"quantity", s, "lineQuantity", "1000", "100"},
            {"unknown2", s, "lineUnknown2", "260", "26"},
            {"word max", s, "lineAnimid", "65535", "65535"},
            {"word over", s, "lineAnimid", "65536", "6553"},
            {"unknown", s, "lineUnknown", "99999", "9999"},
            {"unknown3", s, "lineUnknown3", "70000", "7000"},
            {"word above a byte", s, "lineUnknown3", "300", "300"},
            {"group separator", s, "lineUnknown", "1,000", "1000"},
            {"texture", t, "lineTexid", "65536x", "6553"},
        };
        for (const auto &row : rows)
            QTest::newRow(row.tag) << row.kind << QString(row.field) << QString(row.typed)
                                   << QString(row.shown);
    }
    void numberFieldsRefuseWhatTheyCannotStore()
    {
        QFETCH(int, kind);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        ArtWidget *window = set->open(kind == ArtWidget::TerrainKind ? Land : Plain, kind);
        QLineEdit *edit = lineEdit(window, field.toLatin1());
        retype(edit, typed);
        QCOMPARE(edit->text(), shown);
    }

    void nameRules_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("short, padded") << "ab" << paddedName("ab");
        QTest::newRow("twenty, no terminator")
            << "abcdefghijklmnopqrst" << QByteArray("abcdefghijklmnopqrst");
        QTest::newRow("too long, cut") << "abcdefghijklmnopqrstuvwxy" << QByteArray("abcdefghijklmnopqrst");
        QTest::newRow("latin-1") << QString::fromUtf8("caf\u00e9") << paddedName("caf\xe9");
        QTest::newRow("cleared") << "" << paddedName("");
    }
    void nameRules()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        ArtWidget *window = set->open(Junk, ArtWidget::StaticKind);
        retype(lineEdit(window, "lineName"), typed);
        window->accept();
        QCOMPARE(set->tiles->staticRecord(Junk).mid(17), stored);
    }

    void untouchedNameKeepsItsBytes()
    {
        ArtWidget *window = set->open(Junk, ArtWidget::StaticKind);
        QCOMPARE(lineEdit(window, "lineName")->text(), QStringLiteral("Rock"));
        retype(lineEdit(window, "lineWeight"), "91");
        window->accept();
        const QByteArray record = set->tiles->staticRecord(Junk);
        QVERIFY(set->tiles->hasPendingEdits());
        QCOMPARE(quint8(record[4]), quint8(91));
        QCOMPARE(record.mid(17), junkName());
        // Untouched numbers and flags are the stored ones too.
        QCOMPARE(record.left(4), bytes({0x80, 0, 0, 0}));
        QCOMPARE(record.mid(6, 2), bytes({0x04, 0x03}));
    }

    void untouchedTerrainNameKeepsItsBytes()
    {
        ArtWidget *window = set->open(Land, ArtWidget::TerrainKind);
        checkBox(window, "checkWet")->setChecked(true);
        window->accept();
        const QByteArray record = set->tiles->landRecord(Land);
        QCOMPARE(record.left(6), bytes({0xC0, 0, 0, 0, 77, 0}));
        QCOMPARE(record.mid(6), junkName());
    }

    void aChangeUndoneByHandStoresNothing()
    {
        ArtWidget *window = set->open(Junk, ArtWidget::StaticKind);
        retype(lineEdit(window, "lineWeight"), "1");
        retype(lineEdit(window, "lineWeight"), "90");
        checkBox(window, "checkRoof")->setChecked(true);
        checkBox(window, "checkRoof")->setChecked(false);
        window->accept();
        QVERIFY(!set->tiles->hasPendingEdits());
    }

    void cancelAndCloseWriteNothing()
    {
        QPointer<ArtWidget> cancelled = set->open(Junk, ArtWidget::StaticKind);
        retype(lineEdit(cancelled, "lineName"), "gone");
        checkBox(cancelled, "checkDoor")->setChecked(true);
        cancelled->reject();
        QVERIFY(TileSet::isDeleted(cancelled));

        QPointer<ArtWidget> closed = set->open(Land, ArtWidget::TerrainKind);
        retype(lineEdit(closed, "lineTexid"), "5");
        closed->close();
        QVERIFY(TileSet::isDeleted(closed));
        QVERIFY(!set->tiles->hasPendingEdits());
    }

    void laterWindowShowsThePendingRecord()
    {
        ArtWidget *first = set->open(Junk, ArtWidget::StaticKind);
        retype(lineEdit(first, "lineHue"), "33");
        first->accept();
        ArtWidget *second = set->open(Junk, ArtWidget::StaticKind);
        QCOMPARE(lineEdit(second, "lineHue")->text(), QStringLiteral("33"));
        QCOMPARE(lineEdit(second, "lineWeight")->text(), QStringLiteral("90"));
    }

    void twoWindowsKeepEachOthersEdits()
    {
        ArtWidget *naming = set->open(Junk, ArtWidget::StaticKind);
        ArtWidget *weighing = set->open(Junk, ArtWidget::StaticKind);
        retype(lineEdit(naming, "lineName"), "Boulder");
        checkBox(naming, "checkRoof")->setChecked(true);
        naming->accept();
        retype(lineEdit(weighing, "lineWeight"), "5");
        weighing->accept();
        const StaticTileRecord stored = StaticTileRecord::fromBytes(set->tiles->staticRecord(Junk));
        QCOMPARE(stored.nameText(), QStringLiteral("Boulder"));
        QCOMPARE(stored.weight, quint8(5));
        QCOMPARE(stored.flags, quint32(TileFlags::Wet | TileFlags::Roof));
    }

    void recordNotStoredIsReportedAndKept()
    {
        FakePrompts prompts;
        // A directory where the pending file would go makes the write fail.
        QDir pending(set->tiles->pendingDirectory());
        QVERIFY(pending.mkdir("TS11.wfg"));
        QPointer<ArtWidget> window = set->open(Junk, ArtWidget::StaticKind);
        retype(lineEdit(window, "lineWeight"), "1");
        window->accept();
        QCOMPARE(prompts.count("warning"), 1);
        QVERIFY2(
            prompts.last("warning")->text.contains("TS11.wfg"), qPrintable(prompts.last("warning")->text));
        QVERIFY(!TileSet::isDeleted(window));
        QVERIFY(window->isVisible());
        QVERIFY(!set->tiles->hasPendingEdits());

        QVERIFY(pending.rmdir("TS11.wfg"));
        window->accept();
        QVERIFY(TileSet::isDeleted(window));
        QCOMPARE(quint8(set->tiles->staticRecord(Junk)[4]), quint8(1));
        QCOMPARE(prompts.count("warning"), 1);
    }

    void storesClosedWhileOpen()
    {
        FakePrompts prompts;
        QPointer<ArtWidget> window = set->open(Junk, ArtWidget::StaticKind);
        retype(lineEdit(window, "lineWeight"), "1");
        set->art.reset();
        set->tiles.reset();
        window->accept();
        QCOMPARE(prompts.count("warning"), 1);
        QVERIFY(!TileSet::isDeleted(window));
        window->reject();
        QVERIFY(TileSet::isDeleted(window));
    }

private:
    std::unique_ptr<TileSet> set;
};

QTEST_MAIN(ArtWidgetRecordTest)
#include "tst_artwidgetrecord.moc"
