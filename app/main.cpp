#include "app/DataDirectory.h"
#include "app/MyMainWindow.h"
#include "app/ProgramOptions.h"
#include "app/UnattendedPrompts.h"
#include "app/WindowScreenshot.h"
#include "session/ComparisonSession.h"

#include <QApplication>
#include <QEventLoop>
#include <QIcon>
#include <cstdio>

namespace {
int fail(const QString &message)
{
    std::fprintf(stderr, "tessera: %s\n", qPrintable(message));
    return 1;
}

int takeScreenshot(const ProgramOptions &options)
{
    // Nobody is there to answer a directory chooser.
    const QString directory
        = options.dataDirectory.isEmpty() ? DataDirectory::search() : options.dataDirectory;
    if (directory.isEmpty())
        return fail(
            QStringLiteral("--screenshot needs DATA_DIR: no data directory is set up on this machine."));
    // Nobody is there to answer a dialog either: what the window would say goes to stderr.
    UnattendedPrompts prompts;
    UserPrompts::install(&prompts);
    // A picture for documentation: nothing remembered from earlier runs shapes it, and it
    // leaves nothing to remember.
    MyMainWindow window(MyMainWindow::StartOptions{
        directory, false, options.dataSetOptions, false, options.compareDirectory});
    // Why it holds no data set has been said.
    if (!window.isComplete())
        return 1;
    // The picture shows the comparison asked for whole.
    if (window.comparison()->isRunning()) {
        QEventLoop comparing;
        QObject::connect(window.comparison(), &ComparisonSession::finished, &comparing, &QEventLoop::quit);
        QObject::connect(window.comparison(), &ComparisonSession::failed, &comparing, &QEventLoop::quit);
        comparing.exec();
    }
    QString error;
    if (!WindowScreenshot::save(&window, options.windowSize, options.screenshotFile, &error))
        return fail(error);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (!ProgramOptions::displayAvailable()) {
        if (!ProgramOptions::worksWithoutDisplay(argc, argv))
            return fail(QStringLiteral("no display found (neither DISPLAY nor WAYLAND_DISPLAY is set). "
                                       "To render the window to an image file instead, run "
                                       "tessera --screenshot FILE [--size WxH] DATA_DIR."));
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessera"));
    QApplication::setApplicationVersion(QStringLiteral(TESSERA_VERSION));
    // Ties the window to the installed desktop entry (its icon and name on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessera.Tessera"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/tessera-48.png"));
    icon.addFile(QStringLiteral(":/icons/tessera-256.png"));
    QApplication::setWindowIcon(icon);

    ProgramOptions options;
    QString error;
    if (!options.parse(QApplication::arguments(), &error))
        return fail(error);
    if (!options.screenshotFile.isEmpty())
        return takeScreenshot(options);

    MyMainWindow window(MyMainWindow::StartOptions{
        options.dataDirectory, true, options.dataSetOptions, true, options.compareDirectory});
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    window.show();
    return app.exec();
}
