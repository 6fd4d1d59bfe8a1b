#pragma once
// For tests: small hand-built sources and models. The texts are written
// with LF and turned into CR LF lines, as the source writers end them.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/modello.h"

namespace prova {

// The text with every LF turned into CR LF.
std::string crlf(std::string_view testo);

// Source texts, CR LF lines.
namespace sorgente {

// A line source: "[generale]", the route length, the extra header lines
// `testata`, then "[curve]", the body `corpo` and "[fine]".
std::string linea(const std::string& corpo, int64_t lunghezza = 10000,
                  const std::string& testata = "");

// A train source: "[generale]", the records `corpo`, then "[fine]".
std::string treno(const std::string& corpo);

// One station record of the train source in the shipped layout, LF-ended:
// chainage, class, length, the options (opzione4 as given) and the name.
std::string stazione(int32_t posizione, int classe, int32_t lunghezza, int opzione4 = 0,
                     const std::string& nome = "Stazione");

// One station record with its timetable, LF-ended: chainage, class, a
// 300 m area, the stop in seconds, the time and the name.
std::string fermata(int32_t posizione, int classe, int sosta, int ore, int minuti, int secondi,
                    const std::string& nome);

}  // namespace sorgente

// An empty model with only its identity set, as the build run starts it.
scenario::modello modello_di(const std::string& linea, const std::string& treno);

// An empty model for the shipped scenario's identity.
scenario::modello modello_spedito();

}  // namespace prova
