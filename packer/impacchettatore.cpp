#include "packer/impacchettatore.h"

#include "model/identita.h"
#include "packer/caricatore.h"
#include "packer/formato.h"
#include "packer/pacchetti.h"
#include "packer/passo_codici.h"
#include "platform/cartella_programma.h"

namespace scenario {

ErroreFatale::ErroreFatale(int32_t numero)
    : std::runtime_error(" Errore n. " + std::to_string(numero)), numero_(numero) {}

ModelloSenzaCelle::ModelloSenzaCelle()
    : std::runtime_error(
          "the line source gave no route length, or one that leaves no header cell 1: there are "
          "no track cells to pack") {}

void timbra_testata(modello& m) {
  voce& testata = m.voci[riga_linea];
  cella& prima = m.celle.at(formato::cella_testata);
  if (testata.dato1 != 0 || prima.valore1 != 0) throw ErroreFatale(errore_marche);
  testata.dato1 = formato::marca_voci;
  prima.valore1 = formato::marca_celle;
  if (testata.orario != 0 || prima.valore2 != 0) throw ErroreFatale(errore_codici_gara);
  testata.orario = codice_gara_st(m);
  prima.valore2 = static_cast<int16_t>(codice_gara_og(m));
}

void impacchetta(modello& m, piattaforma::Disco& disco, const std::string& cartella,
                 diagnosi* d) {
  // Cell 1 carries the header, so a model without it has nothing to pack.
  if (m.celle.size() <= formato::cella_testata) throw ModelloSenzaCelle();
  posa_codici(m, d);
  timbra_testata(m);
  // Each file is encoded whole first, then replaces the old one in one piece.
  if (m.con_planimetria != 0)
    disco.sostituisci(piattaforma::unisci_percorso(cartella, nome_pacchetto_linea(m.linea)),
                      pacchetto_linea(m));
  disco.sostituisci(piattaforma::unisci_percorso(cartella, nome_pacchetto_voci(m.linea, m.treno)),
                    pacchetto_voci(m));
  disco.sostituisci(piattaforma::unisci_percorso(cartella, nome_pacchetto_celle(m.linea, m.treno)),
                    pacchetto_celle(m));
}

// Clears what the loader fills and asks for the plan when `j` is not 0.
void prepara(modello& m, int32_t j) {
  m.con_planimetria = j;
  m.codice_errore = errore::nessuno;
  for (voce& v : m.voci) v = voce{};
  // The loader creates both arrays anew when it reads the route length; one
  // that stops before that must leave no array of an earlier call behind.
  m.celle.clear();
  m.planimetria.svuota();
  m.rallentamenti.clear();
}

void memorizza_percorso(modello& m, piattaforma::Disco& disco, const std::string& cartella,
                        int32_t& j) {
  prepara(m, j);
  memorizza_dati(m, disco, cartella);
  impacchetta(m, disco, cartella);
}

void carica_sorgenti(modello& m, piattaforma::Disco& disco, const sorgenti_caricamento& s,
                     int32_t j) {
  prepara(m, j);
  memorizza_dati(m, disco, s);
}

}  // namespace scenario
