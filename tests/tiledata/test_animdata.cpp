// animdata.mul entries by id.

#include "tiledata/AnimDataFile.h"
#include "tools/sample/DataSetBuilder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestAnimData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void positions();
    void entriesBySignedBytes();
    void missingOrShortFileReadsZero();
};

void TestAnimData::positions()
{
    QCOMPARE(AnimDataFile::entryPosition(0), 4);
    QCOMPARE(AnimDataFile::entryPosition(7), 480);
    QCOMPARE(AnimDataFile::entryPosition(8), 552);
}

void TestAnimData::entriesBySignedBytes()
{
    DataSetBuilder builder(32);
    AnimDataEntry entry;
    entry.frameOffsets[0] = -3;
    entry.frameOffsets[63] = 127;
    entry.animUnknown = 1;
    entry.frameCount = -1; // stored 0xFF
    entry.frameInterval = 4;
    entry.frameStart = 9;
    builder.setAnim(9, entry);
    QTemporaryDir dir;
    QVERIFY(builder.write(dir.path()));
    AnimDataFile anim;
    anim.setFileName(dir.filePath(QStringLiteral("animdata.mul")));
    QCOMPARE(anim.readEntry(9), entry);
    QCOMPARE(anim.readEntry(8), AnimDataEntry());
    QCOMPARE(anim.readEntry(9).toBytes().at(65), '\xff');
    QCOMPARE(anim.readEntry(9).toBytes().at(66), '\x04'); // interval before start
}

void TestAnimData::missingOrShortFileReadsZero()
{
    QTemporaryDir dir;
    AnimDataFile missing;
    missing.setFileName(dir.filePath(QStringLiteral("animdata.mul")));
    QCOMPARE(missing.readEntry(0), AnimDataEntry());
    QCOMPARE(missing.readEntry(-1), AnimDataEntry());

    QFile file(dir.filePath(QStringLiteral("short.mul")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4 + 10, '\x05'));
    file.close();
    AnimDataFile cut;
    cut.setFileName(file.fileName());
    const AnimDataEntry entry = cut.readEntry(0);
    QCOMPARE(entry.frameOffsets[9], qint8(5));
    QCOMPARE(entry.frameOffsets[10], qint8(0));
    QCOMPARE(entry.frameCount, qint8(0));
}

QTEST_APPLESS_MAIN(TestAnimData)
#include "test_animdata.moc"
