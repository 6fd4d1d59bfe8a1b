#include "app/sequenza.h"

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "documents/scrittori_documenti.h"
#include "packer/descrizione_errori.h"
#include "packer/impacchettatore.h"
#include "packer/modello.h"
#include "packer/nomi_file.h"
#include "platform/cartella_programma.h"
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

// The report of a file that could not be written or removed: the file, the
// system's reason and what the person who started the program can do.
std::string rapporto_errore_file(const piattaforma::ErroreFile& e) {
  return std::string("crea_scenario: ") + e.what() +
         "\ncrea_scenario writes its files into its own folder: start it from a folder where "
         "you may write, or with the rights to write there.";
}

// Every file that a run writes or removes, in the folder.
std::vector<std::string> percorsi_costruzione(const modello& m, const std::string& cartella) {
  std::vector<std::string> percorsi;
  for (const std::string& nome :
       {nome_sorgente_linea(m.linea), nome_sorgente_treno(m.linea, m.treno),
        nome_note(m.linea, m.treno), nome_rallentamenti(m.linea, m.treno),
        nome_scheda(m.linea, m.treno), nome_pacchetto_linea(m.linea),
        nome_pacchetto_voci(m.linea, m.treno), nome_pacchetto_celle(m.linea, m.treno)})
    percorsi.push_back(piattaforma::unisci_percorso(cartella, nome));
  return percorsi;
}

// Checks the paths, takes the folder's lock and clears what an interrupted
// run left. Throws ErroreFile; nothing is written before these checks pass.
std::unique_ptr<piattaforma::Disco::Blocco> prepara_cartella(piattaforma::Disco& disco,
                                                              const modello& m,
                                                              const std::string& cartella) {
  const std::string blocco = piattaforma::unisci_percorso(cartella, nome_blocco);
  const std::vector<std::string> percorsi = percorsi_costruzione(m, cartella);
  piattaforma::verifica_lunghezza(blocco);
  // The longest path of each file is that of its temporary.
  for (const std::string& p : percorsi)
    piattaforma::verifica_lunghezza(
        p + std::string(piattaforma::lunghezza_suffisso_temporaneo, '0'));
  auto preso = disco.blocca(blocco, attesa_blocco);
  for (const std::string& p : percorsi) disco.rimuovi_temporanei(p);
  return preso;
}

}  // namespace

int costruisci_scenario(piattaforma::Disco& disco, const std::string& cartella) {
  modello m;
  m.linea = linea_scenario;
  m.treno = treno_scenario;
  try {
    const auto blocco = prepara_cartella(disco, m, cartella);
    dati_linea(m, disco, cartella);
    dati_treno(m, disco, cartella);
    dati_note(m, disco, cartella);
    dati_rallentamenti(m, disco, cartella);
    dati_scheda(m, disco, cartella);
    int32_t j = 1;
    memorizza_percorso(m, disco, cartella, j);
  } catch (const piattaforma::ErroreFile& e) {
    piattaforma::messaggio_errore(rapporto_errore_file(e));
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
