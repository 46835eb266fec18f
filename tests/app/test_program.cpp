#include "TestDataSet.h"
#include "app/MyMainWindow.h"
#include "app/ProgramOptions.h"
#include "app/WindowScreenshot.h"

#include <QProcess>
#include <QtTest>

// The program's arguments, the screenshot, and starting without a display.
class ProgramTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizes_data();
    void sizes();
    void arguments();
    void badArguments_data();
    void badArguments();
    void screenshotOfTheWindow();
    void screenshotToAnUnwritablePlace();
    void programWithoutDisplaySaysSo();
    void programRendersAScreenshot();

private:
    static QProcessEnvironment withoutDisplay();
};

void ProgramTest::sizes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("size");
    QTest::newRow("usual") << "1280x800" << QSize(1280, 800);
    QTest::newRow("small") << "1x1" << QSize(1, 1);
    QTest::newRow("zero") << "0x800" << QSize();
    QTest::newRow("capital X") << "1280X800" << QSize();
    QTest::newRow("one number") << "1280" << QSize();
    QTest::newRow("negative") << "-5x10" << QSize();
    QTest::newRow("spaces") << "1280 x 800" << QSize();
    QTest::newRow("huge") << "123456x10" << QSize();
}

void ProgramTest::sizes()
{
    QFETCH(QString, text);
    QFETCH(QSize, size);
    QCOMPARE(ProgramOptions::parseSize(text), size);
}

void ProgramTest::arguments()
{
    QTemporaryDir dir;
    ProgramOptions options;
    QString error;
    QVERIFY(options.parse({"tessera"}, &error));
    QVERIFY(options.dataDirectory.isEmpty());
    QVERIFY(options.screenshotFile.isEmpty());

    QVERIFY(options.parse({"tessera", "--screenshot", "out.png", "--size", "640x480", dir.path()}, &error));
    QCOMPARE(options.dataDirectory, dir.path());
    QCOMPARE(options.screenshotFile, QStringLiteral("out.png"));
    QCOMPARE(options.windowSize, QSize(640, 480));
}

void ProgramTest::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing directory") << QStringList{"tessera", "/no/such/directory"} << "not a directory";
    QTest::newRow("two directories") << QStringList{"tessera", "/tmp", "/tmp"} << "one data directory";
    QTest::newRow("bad size") << QStringList{"tessera", "--screenshot", "a.png", "--size", "big"} << "big";
    QTest::newRow("size alone") << QStringList{"tessera", "--size", "10x10"} << "--screenshot";
    QTest::newRow("unknown option") << QStringList{"tessera", "--fast"} << "fast";
}

void ProgramTest::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    ProgramOptions options;
    QString error;
    QVERIFY(!options.parse(arguments, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
}

void ProgramTest::screenshotOfTheWindow()
{
    TestDataSet data(DataSetBuilder::procedural(DataSetBuilder::Options{64, 1, 200, -1}));
    QTemporaryDir out;
    MyMainWindow window(data.path());
    QString error;
    const QString file = out.filePath(QStringLiteral("shot.png"));
    QVERIFY2(WindowScreenshot::save(&window, QSize(640, 400), file, &error), qPrintable(error));
    const QImage shot(file);
    QCOMPARE(shot.size() / shot.devicePixelRatio(), QSize(640, 400));
    // The palette drew its frames: black pixels below the tab bar.
    bool framed = false;
    for (int x = 0; x < 200 && !framed; ++x)
        framed = shot.pixelColor(x, 100) == QColor(Qt::black);
    QVERIFY(framed);
}

void ProgramTest::screenshotToAnUnwritablePlace()
{
    QTemporaryDir empty;
    MyMainWindow window(empty.path());
    QString error;
    QVERIFY(
        !WindowScreenshot::save(&window, QSize(200, 100), QStringLiteral("/no/such/dir/shot.png"), &error));
    QVERIFY2(error.contains(QStringLiteral("/no/such/dir/shot.png")), qPrintable(error));
}

QProcessEnvironment ProgramTest::withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

void ProgramTest::programWithoutDisplaySaysSo()
{
    QTemporaryDir empty;
    QProcess program;
    program.setProcessEnvironment(withoutDisplay());
    program.start(QStringLiteral(TESSERA_EXECUTABLE), {empty.path()});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY(program.exitCode() != 0);
    const QString message = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(message.contains(QStringLiteral("--screenshot")), qPrintable(message));
}

void ProgramTest::programRendersAScreenshot()
{
    TestDataSet data(DataSetBuilder::procedural(DataSetBuilder::Options{64, 1, 200, -1}));
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("window.png"));
    QProcess program;
    program.setProcessEnvironment(withoutDisplay()); // the screenshot needs no display
    program.start(QStringLiteral(TESSERA_EXECUTABLE),
        {QStringLiteral("--screenshot"), file, QStringLiteral("--size"), QStringLiteral("500x300"),
            data.path()});
    QVERIFY(program.waitForFinished(60000));
    QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
    QCOMPARE(QImage(file).size(), QSize(500, 300));
}

QTEST_MAIN(ProgramTest)
#include "test_program.moc"
