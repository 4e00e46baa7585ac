// A stand-in for the desktop program's start-up, as far as the single-instance guard goes: a
// second copy ends inside CheckSingleInstance with exit code 0; the first copy gets past it
// and ends with exit code 3. Given a file name, it first writes the system time (in 100 ns
// ticks) at which it reached the guard, so that the guard's own time can be measured apart
// from the time it takes to load a program.
#include <windows.h>

#include <cstdio>

#include "profiles/single_instance.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    if (FILE* file = std::fopen(argv[1], "w")) {
      std::fprintf(file, "%llu",
                   (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
      std::fclose(file);
    }
  }
  movra::CheckSingleInstance();
  movra::ReleaseSingleInstance();
  return 3;
}
