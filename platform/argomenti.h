#pragma once
// The command line as UTF-8 text, on every system.

#include <string>
#include <vector>

namespace piattaforma {

// argv[1] onwards as UTF-8. On Windows they are taken from the wide command
// line, so a path with letters outside the local code page arrives whole;
// elsewhere they are argv itself.
std::vector<std::string> argomenti_utf8(int argc, char** argv);

}  // namespace piattaforma
