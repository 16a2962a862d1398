// The desktop program: one main window listing the files named as arguments; or,
// with --screenshot, a picture of that window in a sample state, or with
// --form-sheet, the step forms side by side, drawn without a display.
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QIcon>
#include <QStyle>
#include <QStyleFactory>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "ui/Appearance.hpp"
#include "ui/CommandLineFiles.hpp"
#include "ui/FormSheet.hpp"
#include "ui/MainWindow.hpp"
#include "ui/Screenshot.hpp"
#include "ui/WindowStyle.hpp"
#include "update/UpdatePrompter.hpp"
#include "update/Version.hpp"

namespace {

// The pictures need no display.
bool asksForPicture(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--screenshot" || argument == "--form-sheet") return true;
    }
    return false;
}

int screenshot(const QCommandLineParser& parser, const QCommandLineOption& file,
               const QCommandLineOption& dark, const QCommandLineOption& scene) {
    const auto chosen = tavix::ui::sceneNamed(parser.value(scene));
    if (!chosen) {
        std::fprintf(stderr,
                     "tavix: unknown scene %s (empty, preview, problems, inspector, menus, "
                     "presets, sorting, renaming, history)\n",
                     qPrintable(parser.value(scene)));
        return 2;
    }
    // The same style on every machine, so pictures compare across them.
    QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    QApplication::setStyle(new tavix::ui::WindowStyle(fusion));
    QApplication::setPalette(parser.isSet(dark) ? tavix::ui::darkPalette()
                                                : fusion->standardPalette());
    QString error;
    if (!tavix::ui::writeScreenshot(parser.value(file), *chosen, {1100, 700}, &error)) {
        std::fprintf(stderr, "tavix: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A screenshot needs no display; one set by the caller is kept.
    if (asksForPicture(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavix"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tavix"));
    QApplication::setApplicationVersion(QString::fromUtf8(tavix::version()));
    // The application ID: the desktop entry's name, which also names the icon.
    QApplication::setDesktopFileName(QStringLiteral("io.github.tavix.Tavix"));
    // The installed theme's icon when there is one, else the copy built in.
    QIcon builtIn;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        builtIn.addFile(QStringLiteral(":/window-icons/%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("io.github.tavix.Tavix"), builtIn));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Rename batches of files."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption file(QStringLiteral("screenshot"),
                                  QStringLiteral("Write a picture of the window to <file> (PNG)."),
                                  QStringLiteral("file"));
    const QCommandLineOption dark(
        QStringLiteral("dark"),
        QStringLiteral("With --screenshot or --form-sheet: use the dark palette."));
    const QCommandLineOption scene(
        QStringLiteral("scene"),
        QStringLiteral("With --screenshot: empty, preview, problems, inspector, menus, "
                       "presets, sorting, renaming or history."),
        QStringLiteral("name"), QStringLiteral("preview"));
    const QCommandLineOption sheet(
        QStringLiteral("form-sheet"),
        QStringLiteral("Write the forms of the fifteen kinds of step to <file> (PNG)."),
        QStringLiteral("file"));
    parser.addOptions({file, dark, scene, sheet});
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Files to list in the window, in order."),
                                 QStringLiteral("[file…]"));
    parser.process(app);

    if (parser.isSet(file)) return screenshot(parser, file, dark, scene);
    if (parser.isSet(sheet)) {
        QString error;
        if (tavix::ui::writeFormSheet(parser.value(sheet), parser.isSet(dark), &error)) return 0;
        std::fprintf(stderr, "tavix: %s\n", qPrintable(error));
        return 1;
    }

    // The platform's style, with check boxes that read on a dark palette.
    QApplication::setStyle(new tavix::ui::WindowStyle);
    tavix::ui::MainWindow window;
    // As the desktop's "Open With" hands them over: listed as a drop lists them.
    // QApplication has taken its own options out of argv by now.
    std::vector<std::string> given =
        tavix::ui::operands(argc, argv, {"--screenshot", "--scene", "--form-sheet"});
    if (given.size() != static_cast<std::size_t>(parser.positionalArguments().size())) {
        // Spelled in a way the scan doesn't know (-scene x): the parser's reading.
        given.clear();
        for (const QString& operand : parser.positionalArguments()) {
            given.push_back(QFile::encodeName(operand).toStdString());
        }
    }
    if (!given.empty()) {
        std::error_code error;
        const std::filesystem::path here = std::filesystem::current_path(error);
        window.content()->takeFiles(tavix::ui::commandLineFiles(given, here));
    }
    // Work that waits for launch to finish hangs off this signal; the update
    // notice is the first such.
    QObject::connect(&window, &tavix::ui::MainWindow::launchFinished, &window,
                     [] { tavix::UpdatePrompter::shared().start(); });
    window.show();
    return app.exec();
}
