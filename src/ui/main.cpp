#include "bakedicon.h"
#include "form1.h"
#include "label.h"
#ifdef Q_OS_WASM
#include "webpage.h"
#endif

#include <QApplication>
#include <QCommandLineParser>
#include <QFontDatabase>
#include <QIcon>
#include <QLoggingCategory>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>
#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

QIcon programIcon()
{
    QIcon icon;
    for (const auto &baked : pairon12::BakedIcons)
        icon.addPixmap(QPixmap::fromImage(QImage(reinterpret_cast<const uchar *>(baked.pixels), baked.side, baked.side,
                                                 QImage::Format_ARGB32_Premultiplied)));
    return icon;
}

constexpr const char *HelpText = "Uso: pairon12 [opzioni]\n"
                                 "Pairon12, il gioco delle coppie: dodici coppie di figure da ritrovare.\n"
                                 "\n"
                                 "Opzioni:\n"
                                 "  -h, --help       mostra questo aiuto ed esce\n"
                                 "  -v, --version    mostra la versione ed esce\n"
                                 "\n"
                                 "Senza queste opzioni si apre la finestra del gioco. Le opzioni comuni ai\n"
                                 "programmi Qt, come -platform, valgono come sempre; ogni altro argomento\n"
                                 "è ignorato.\n";

#ifdef Q_OS_WIN
// Windows gives a program with a window of its own no console, so its answer to a command
// typed at a prompt would go nowhere: it is written to the console of whoever started the
// program, if any. Output already sent to a file or a pipe stays there. A start from the
// Start menu or the Explorer never comes here, and no console window ever opens.
void answerInCallersConsole()
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN)
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS))
        static_cast<void>(std::freopen("CONOUT$", "w", stdout));
}
#endif

// Answered before any QApplication exists, so that they need no display and open no
// window. Gives the exit status, or nothing when the game is to start.
std::optional<int> answerInformationOptions(int argc, char *argv[])
{
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    QCommandLineParser parser;
    // Qt's own single-dash words such as -platformtheme or -reverse must not read as
    // runs of one-letter options that happen to contain an h or a v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({help, version});
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Launchers and session managers pass arguments the game does not know: parse()
    // fails on them, and the game starts all the same.
    static_cast<void>(parser.parse(arguments));
    if (!parser.isSet(help) && !parser.isSet(version))
        return std::nullopt;

#ifdef Q_OS_WIN
    answerInCallersConsole();
#endif
    if (parser.isSet(help))
        std::fputs(HelpText, stdout);
    else
        std::printf("Pairon12 %s\n", PAIRON12_VERSION);
    // An answer that never reached its reader (a full disk, a closed pipe) is a failure.
    return std::fflush(stdout) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

} // namespace

int main(int argc, char *argv[])
{
    // The usual start, from a launcher, has no arguments and skips the parser altogether.
    if (argc > 1) {
        if (const auto status = answerInformationOptions(argc, argv))
            return *status;
    }

#ifdef Q_OS_WASM
    // The game takes no text: without an input method, Qt's WebAssembly platform puts no
    // unnamed text field in the page for a phone's keyboard.
    qputenv("QT_IM_MODULE", "none");
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pairon12"));
    QApplication::setApplicationVersion(QStringLiteral(PAIRON12_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(PAIRON12_APP_ID));
    // One look everywhere, so that the layout measured in twips holds on every desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(programIcon());
#ifdef Q_OS_WASM
    // A browser gives a page no fonts: the captions' face comes inside the program.
    if (QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/caption.ttf")) < 0)
        qWarning("Pairon12: the captions' face is missing");
    // Qt's WebAssembly platform warns, as the page switches its accessibility on, that the
    // program as a whole has no window: nothing a player should find in the console.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.qpa.accessibility.warning=false"));
#endif
    // The captions' face for the whole program: a text box lays out its text in the
    // program's face before it takes its own, and would otherwise load a second one.
    QApplication::setFont(pairon12::captionFont(12));
#ifdef Q_OS_WASM
    pairon12::followPageScale();
#endif

    int status = 0;
    {
        pairon12::Form1 window;
        window.show();
        status = QApplication::exec();
    }
    // Qt 6.4's Wayland plugin can wait for ever in QApplication's destructor: a read that
    // the main thread has just prepared for one of its event threads is never made when
    // that thread is told to stop before it wakes, and its other event thread waits on
    // that read. The window is gone, and the game keeps nothing: the process ends here.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        std::_Exit(status);
    return status;
}
