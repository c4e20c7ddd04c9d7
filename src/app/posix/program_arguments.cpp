#include "app/program_arguments.h"

#include <QFile>

QByteArrayList programArguments(int argc, char** argv)
{
    QByteArrayList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(argv[i]);
    return arguments;
}

QString argumentText(const QByteArray& argument)
{
    return QFile::decodeName(argument);
}

QByteArray argumentBytes(const QString& text)
{
    return QFile::encodeName(text);
}
