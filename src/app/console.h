#pragma once

#include <QString>

#include <cstdio>

// Prints the text to the program's standard output or error (`stream`): on
// Windows, where Planora.exe is a program of windows with no console of its
// own, into the console that started it, when one did.
void printText(std::FILE* stream, const QString& text);
