#include "app/command_line.h"
#include "app/process_settings.h"
#include "app/program_arguments.h"
#include "app/qt_translations.h"
#include "document/document_editor.h"
#include "document/document_file.h"
#include "form_kit/messages.h"
#include "form_kit/program_icon.h"
#include "main_window/frm_main.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>

int main(int argc, char** argv)
{
    makeProcessSettings();
    QApplication::setApplicationName(QStringLiteral("Planora"));
    QApplication::setApplicationVersion(QStringLiteral(PLANORA_VERSION));

    // Read before the windows' application starts: help and the version need no display.
    const CommandLine commandLine = parseCommandLine(programArguments(argc, argv));
    if (commandLine.exitCode)
        return *commandLine.exitCode;

    QApplication app(argc, argv);
    QApplication::setWindowIcon(programIcon());
    installQtTranslations(QLocale::system());

    modMain::DocumentEditor document;  // the program's one document, shared by every window
    modMain::DocumentFile file(document);
    frmMain window(file);
    window.show();
    // Opened once the window shows, so that a file that does not load is reported over it.
    if (!commandLine.fileError.isEmpty())
        QTimer::singleShot(0, &window, [&] {
            showFileFailure(&window, QStringLiteral("abrir"), commandLine.file, commandLine.fileError);
        });
    else if (!commandLine.file.isEmpty())
        QTimer::singleShot(0, &window, [&] { window.openPath(commandLine.file); });
    return QApplication::exec();
}
