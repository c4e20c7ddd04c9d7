#include "app/program_arguments.h"

#include <windows.h>

#include <shellapi.h>

QByteArrayList programArguments(int, char**)
{
    QByteArrayList arguments;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments.append(QString::fromWCharArray(wide[i]).toUtf8());
        LocalFree(wide);
    }
    return arguments;
}

QString argumentText(const QByteArray& argument)
{
    return QString::fromUtf8(argument);
}

QByteArray argumentBytes(const QString& text)
{
    return text.toUtf8();
}
