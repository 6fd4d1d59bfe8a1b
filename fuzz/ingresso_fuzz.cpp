#include "fuzz/ingresso_fuzz.h"

#include <string>

#include "model/identita.h"
#include "model/modello.h"
#include "packer/impacchettatore.h"
#include "platform/cartella_programma.h"
#include "prova/disco_memoria.h"
#include "prova/sorgenti_prova.h"

namespace scenario {
namespace {

// The in-memory disk, except that a file the packer writes keeps only its
// first and last byte: nothing reads the packed files back, and copying a
// packed line file of up to 20 MB would cost more than packing it. The two
// bytes are still read, so a view of freed or foreign memory is caught.
class DiscoFuzz : public piattaforma::DiscoMemoria {
 public:
  void sostituisci(const std::string& percorso, std::string_view contenuto) override {
    std::string estremi;
    if (!contenuto.empty()) estremi = {contenuto.front(), contenuto.back()};
    DiscoMemoria::sostituisci(percorso, estremi);
  }
};

}  // namespace

int32_t esegui_ingresso_fuzz(std::string_view ingresso) {
  if (ingresso.empty()) return 0;
  const auto flag = static_cast<unsigned char>(ingresso[0]);
  const std::string_view sorgenti = ingresso.substr(1);

  modello m = prova::modello_spedito();
  DiscoFuzz disco;
  const std::string cartella = "scenario";
  const auto separa = sorgenti.find('\0');
  if ((flag & 2) == 0)
    disco.file[piattaforma::unisci_percorso(cartella, nome_sorgente_linea(m.linea))] =
        std::string(sorgenti.substr(0, separa));
  if (separa != std::string_view::npos)
    disco.file[piattaforma::unisci_percorso(cartella, nome_sorgente_treno(m.linea, m.treno))] =
        std::string(sorgenti.substr(separa + 1));

  int32_t j = (flag & 1) != 0 ? 1 : 0;
  try {
    memorizza_percorso(m, disco, cartella, j);
  } catch (const ErroreFatale& e) {
    return e.numero();
  } catch (const ModelloSenzaCelle&) {
    return m.codice_errore != 0 ? m.codice_errore : -1;
  }
  return m.codice_errore;
}

}  // namespace scenario
