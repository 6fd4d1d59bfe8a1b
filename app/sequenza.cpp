#include "app/sequenza.h"

#include <exception>
#include <string>

#include "documents/scrittori_documenti.h"
#include "model/errori.h"
#include "model/modello.h"
#include "packer/impacchettatore.h"
#include "platform/console.h"
#include "platform/errore_file.h"
#include "sources/scrittori.h"

namespace scenario {
namespace {

// The report of a data error recorded by the loader or the cab-code pass.
std::string rapporto_errore(const modello& m) {
  std::string testo = "crea_scenario: scenario data error " + std::to_string(m.codice_errore) +
                      ": " + descrizione_errore(m.codice_errore);
  if (errore_con_posizione(m.codice_errore))
    testo += " (chainage " + std::to_string(m.posizione_errore) + " m)";
  testo += "; the packed files were written all the same";
  return testo;
}

}  // namespace

int costruisci_scenario(piattaforma::Disco& disco, const std::string& cartella) {
  piattaforma::messaggio("Attendere");
  modello m;
  m.linea = linea_scenario;
  m.treno = treno_scenario;
  try {
    dati_linea(m, disco, cartella);
    dati_treno(m, disco, cartella);
    dati_note(m, disco, cartella);
    dati_rallentamenti(m, disco, cartella);
    dati_scheda(m, disco, cartella);
    int32_t j = 1;
    memorizza_percorso(m, disco, cartella, j);
  } catch (const piattaforma::ErroreFile& e) {
    piattaforma::messaggio_errore(std::string("crea_scenario: ") + e.what());
    return uscita_errore_file;
  } catch (const ErroreFatale& e) {
    piattaforma::messaggio_errore(" Errore n. " + std::to_string(e.numero()));
    return uscita_errore_testata;
  } catch (const ModelloSenzaCelle& e) {
    piattaforma::messaggio_errore(std::string("crea_scenario: ") + e.what());
    return uscita_senza_celle;
  } catch (const std::exception& e) {
    piattaforma::messaggio_errore(std::string("crea_scenario: internal error: ") + e.what());
    return uscita_errore_interno;
  }
  if (m.codice_errore != 0) {
    piattaforma::messaggio_errore(rapporto_errore(m));
    return uscita_errore_dati;
  }
  return uscita_riuscita;
}

}  // namespace scenario
