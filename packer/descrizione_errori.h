#pragma once
// One-line descriptions of the error codes recorded in codice_errore.

#include <cstdint>
#include <string>

namespace scenario {

// What the code means, in one line of English for the scenario author.
std::string descrizione_errore(int32_t codice);

// True when posizione_errore carries a chainage for this code.
bool errore_con_posizione(int32_t codice);

}  // namespace scenario
