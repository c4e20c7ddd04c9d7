#include "document/file_reasons.h"

namespace modMain {

QString systemReason(int error)
{
    return files::systemReason(error);
}

QString notRegularReason(files::Kind kind)
{
    switch (kind) {
    case files::Kind::Directory:
        return systemReason(files::isDirectoryError());
    case files::Kind::Pipe:
        return QStringLiteral("É um pipe (FIFO), não um arquivo comum.");
    case files::Kind::Socket:
        return QStringLiteral("É um socket, não um arquivo comum.");
    case files::Kind::Regular:
    case files::Kind::Device:
        break;
    }
    return QStringLiteral("É um dispositivo, não um arquivo comum.");
}

QString readOnlyReason()
{
    return QStringLiteral("O arquivo é somente leitura.");
}

QString tooLargeReason(std::size_t limit)
{
    return QStringLiteral("O arquivo tem mais de %1 bytes.").arg(limit);
}

QString outOfMemoryReason()
{
    return QStringLiteral("Não há memória suficiente para ler o arquivo.");
}

QString changedWhileReadReason()
{
    return QStringLiteral("O arquivo mudou enquanto era lido. Tente de novo quando o outro programa terminar de "
                          "gravá-lo.");
}

}  // namespace modMain
