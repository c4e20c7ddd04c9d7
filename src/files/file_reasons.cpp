#include "files/file_reasons.h"

namespace files {

QString notRegularReason(Kind kind)
{
    switch (kind) {
    case Kind::Directory:
        return systemReason(isDirectoryError());
    case Kind::Pipe:
        return QStringLiteral("É um pipe (FIFO), não um arquivo comum.");
    case Kind::Socket:
        return QStringLiteral("É um socket, não um arquivo comum.");
    case Kind::Regular:
    case Kind::Device:
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

QString heldOpenReason()
{
    return QStringLiteral("O arquivo está aberto por outro programa. Tente de novo quando ele terminar de gravá-lo.");
}

QString changedWhileReadReason()
{
    return QStringLiteral("O arquivo mudou enquanto era lido. Tente de novo quando o outro programa terminar de "
                          "gravá-lo.");
}

}  // namespace files
