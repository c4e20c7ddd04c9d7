#include "document/document.h"
#include "main_window/frm_main.h"
#include "resources/program_icon.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Planora"));
    QApplication::setWindowIcon(programIcon());

    modMain::Document document;  // the program's one document, shared by every window
    frmMain window(document);
    window.show();
    return QApplication::exec();
}
