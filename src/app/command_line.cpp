#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Editor do fs9.cfg, o arquivo de configuração do Microsoft Flight Simulator 2004."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("arquivo"), QStringLiteral("O arquivo .cfg a abrir ao iniciar."),
                                 QStringLiteral("[arquivo]"));

    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        const QString why = parser.errorText().isEmpty() ? QStringLiteral("Só um arquivo pode ser aberto.")
                                                         : parser.errorText();
        print(stderr, why + u'\n' + parser.helpText());
        return {2, {}};
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, parser.helpText());
        return {0, {}};
    }
    if (parser.isSet(version)) {
        print(stdout, QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n');
        return {0, {}};
    }
    if (parser.positionalArguments().isEmpty())
        return {};
    return {std::nullopt, QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath()};
}
