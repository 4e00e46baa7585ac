// Posts lines to the process-wide journal and returns at once; the lines must still reach
// the program's log file when the process exits.
#include <string>

#include "logging/journal.h"

int main() {
  movra::GlobalJournal().StartLogging();
  for (int i = 0; i < 5000; ++i) movra::GlobalJournal().Add("exit line " + std::to_string(i));
  return 0;
}
