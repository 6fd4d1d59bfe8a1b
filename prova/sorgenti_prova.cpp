#include "prova/sorgenti_prova.h"

#include "model/identita.h"

namespace prova {

std::string crlf(std::string_view testo) {
  std::string r;
  r.reserve(testo.size() + testo.size() / 16);
  for (char c : testo) {
    if (c == '\n') r += '\r';
    r += c;
  }
  return r;
}

namespace sorgente {

std::string linea(const std::string& corpo, int64_t lunghezza, const std::string& testata) {
  return crlf("[generale]\nlunghezza percorso,    " + std::to_string(lunghezza) + "\n" + testata +
              "[curve]\n" + corpo + "[fine]\n");
}

std::string treno(const std::string& corpo) {
  return crlf("[generale]\n" + corpo + "[fine]\n");
}

std::string stazione(int32_t posizione, int classe, int32_t lunghezza, int opzione4,
                     const std::string& nome) {
  return "stazione, " + std::to_string(posizione) + ", " + std::to_string(classe) + ", " +
         std::to_string(lunghezza) + ",  1, 1, " + std::to_string(opzione4) +
         ",  4,1,0,  2,1,1,    30,  14,5,30, " + nome + "\n";
}

std::string fermata(int32_t posizione, int classe, int sosta, int ore, int minuti, int secondi,
                    const std::string& nome) {
  return "stazione, " + std::to_string(posizione) + ", " + std::to_string(classe) +
         ", 300,  0, 0, 0,  4,1,0,  2,1,1, " + std::to_string(sosta) + ", " + std::to_string(ore) + "," +
         std::to_string(minuti) + "," + std::to_string(secondi) + ", " + nome + "\n";
}

}  // namespace sorgente

scenario::modello modello_di(const std::string& linea, const std::string& treno) {
  scenario::modello m;
  m.linea = linea;
  m.treno = treno;
  return m;
}

scenario::modello modello_spedito() {
  return modello_di(scenario::linea_scenario, scenario::treno_scenario);
}

}  // namespace prova
