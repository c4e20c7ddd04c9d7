#pragma once

#include "files/system_files.h"

#include <QFile>
#include <QString>

#include <type_traits>

// Steps of the file layer made to fail, as the system would fail them.
namespace files::testing {

// A step that fails with an input or output error, whatever its arguments.
template <typename Result, typename... Arguments>
Result failing(Arguments...)
{
    setLastError(ioError());
    if constexpr (std::is_same_v<Result, bool>)
        return false;
    else
        return Result(-1);
}

template <typename Result, typename... Arguments>
void fail(Result (*&step)(Arguments...))
{
    step = failing<Result, Arguments...>;
}

// The same, the first time only, the system's own step after that.
template <typename Result, typename... Arguments>
void failOnce(Result (*&step)(Arguments...))
{
    static Result (*system)(Arguments...) = nullptr;
    static bool failed = false;
    system = step;
    failed = false;
    step = [](Arguments... arguments) {
        if (failed)
            return system(arguments...);
        failed = true;
        return failing<Result, Arguments...>(arguments...);
    };
}

// A step that is taken, and then says it failed (a close that reports an error).
template <typename Result, typename... Arguments>
void failAfterTaking(Result (*&step)(Arguments...))
{
    static Result (*system)(Arguments...) = nullptr;
    system = step;
    step = [](Arguments... arguments) {
        system(arguments...);
        return failing<Result, Arguments...>(arguments...);
    };
}

// A name the system took, as Qt writes it.
inline QString nameFrom(const NativeName& name)
{
#ifdef _WIN32
    return QString::fromStdWString(name);
#else
    return QFile::decodeName(QByteArray::fromStdString(name));
#endif
}

}  // namespace files::testing
