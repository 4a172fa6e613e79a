#pragma once
// What vmkctl asks of the console, one implementation per system
// (console_posix.cpp, console_win.cpp).

#include <cstdio>

namespace vmk {
class JobControl;
}

namespace vmk::ctl {

// Makes the console show the UTF-8 the program prints (a no-op where it
// does already).
void prepareConsole();

// The first interrupt (Ctrl+C) asks the running job to stop at its next
// step; a second one ends the program as usual.
void catchInterrupt(JobControl& jobs);

// True when `stream` is a terminal (progress lines are shown only there).
bool isTerminal(std::FILE* stream);

}  // namespace vmk::ctl
