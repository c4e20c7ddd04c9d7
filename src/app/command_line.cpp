#include "app/command_line.h"

#include "app/console.h"
#include "app/program_arguments.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

const char* const kUsage = "Uso: planora [opções] [arquivo]\n"
                           "Editor do fs9.cfg, o arquivo de configuração do Microsoft Flight Simulator 2004.\n"
                           "\n"
                           "Opções:\n"
                           "  -h, --help     Mostra esta ajuda.\n"
                           "  -v, --version  Mostra a versão do programa.\n"
                           "\n"
                           "Argumentos:\n"
                           "  arquivo        O arquivo .cfg a abrir ao iniciar.\n";

CommandLine wrongCall(const QString& why)
{
    printText(stderr, why + u'\n' + QString::fromUtf8(kUsage));
    return {2, {}, {}};
}

}  // namespace

CommandLine parseCommandLine(const QByteArrayList& arguments)
{
    std::optional<QByteArray> file;
    bool optionsEnd = false;
    for (const QByteArray& argument : arguments.mid(1)) {
        if (!optionsEnd && argument.startsWith('-') && argument.size() > 1) {
            if (argument == "--") {
                optionsEnd = true;
            } else if (argument == "-h" || argument == "--help") {
                printText(stdout, QString::fromUtf8(kUsage));
                return {0, {}, {}};
            } else if (argument == "-v" || argument == "--version") {
                printText(stdout,
                          QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n');
                return {0, {}, {}};
            } else {
                return wrongCall(QStringLiteral("Opção desconhecida: %1").arg(argumentText(argument)));
            }
        } else if (file) {
            return wrongCall(QStringLiteral("Só um arquivo pode ser aberto."));
        } else if (argument.isEmpty()) {
            return wrongCall(QStringLiteral("O nome do arquivo está vazio."));
        } else {
            file = argument;
        }
    }
    if (!file)
        return {};
    // A name the system's encoding cannot read would open another file, or none.
    const QString name = argumentText(*file);
    const QString absolute = QFileInfo(name).absoluteFilePath();
    if (argumentBytes(name) != *file)
        return {std::nullopt, absolute, QStringLiteral("O nome do arquivo não é válido na codificação do sistema.")};
    return {std::nullopt, absolute, {}};
}
