#pragma once
// The command line of crea_scenario: it takes none, except to say what it
// does (--help, -h or /?) or its version (--version), writing nothing then.
// Any other argument is ignored, so a double-click or a shortcut with
// arguments builds the scenario as ever.

#include <string>
#include <vector>

namespace scenario {

// What a run was asked to do.
enum class richiesta { costruisci, aiuto, versione };

// Reads argv[1] onwards: help when any argument is --help, -h or /?,
// else the version when one is --version, else the build.
richiesta richiesta_da(const std::vector<std::string>& argomenti);

// The text --help prints: what the program writes and where (into
// `cartella`, the folder that holds the program; "" when it cannot be
// told), and the exit statuses.
std::string testo_aiuto(const std::string& cartella);

}  // namespace scenario
