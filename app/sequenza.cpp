#include "app/sequenza.h"

#include <ctime>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "documents/scrittori_documenti.h"
#include "model/errori.h"
#include "model/identita.h"
#include "model/modello.h"
#include "packer/impacchettatore.h"
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
  return piattaforma::prendi_cartella(disco, cartella, percorsi_costruzione(m, cartella), [&] {
    piattaforma::avviso(piattaforma::testo_attesa("crea_scenario", cartella));
  });
}

// The name a kept source takes: "<name>.<date>-<time>.txt" beside it (the
// ".txt" of its name moved to the end), with "-2", "-3" … when taken.
std::string nome_conservato(piattaforma::Disco& disco, const std::string& percorso,
                            std::time_t adesso) {
  std::tm ora{};
#ifdef _WIN32
  localtime_s(&ora, &adesso);
#else
  localtime_r(&adesso, &ora);
#endif
  char data[32];
  std::strftime(data, sizeof data, "%Y%m%d-%H%M%S", &ora);
  const std::string base =
      (percorso.ends_with(".txt") ? percorso.substr(0, percorso.size() - 4) : percorso) + "." + data;
  std::string nome = base + ".txt";
  for (int n = 2; disco.esiste(nome); ++n) nome = base + "-" + std::to_string(n) + ".txt";
  return nome;
}

// Moves aside, whole, a file at a source's name whose bytes differ from
// those the builder writes there (an author's edit): the builder never
// destroys what it did not write. An empty file (what a crash may leave of
// a source, which is never flushed) holds nothing to keep. A file that
// cannot be read as a regular file (a link, a pipe) is left for the
// replacement, which never writes through it. Returns the new name, or ""
// when nothing was moved.
std::string conserva_se_diverso(piattaforma::Disco& disco, const file_sorgente& f) {
  if (!disco.esiste(f.percorso)) return {};
  std::string presente;
  try {
    presente = disco.leggi(f.percorso);
  } catch (const piattaforma::ErroreFile&) {
    return {};
  }
  if (presente.empty() || presente == f.byte) return {};
  const std::string nuovo = nome_conservato(disco, f.percorso, std::time(nullptr));
  disco.sposta_senza_sostituire(f.percorso, nuovo);
  return nuovo;
}

// The message for the sources kept aside in a run.
std::string rapporto_conservati(const std::vector<std::pair<std::string, std::string>>& conservati) {
  std::string testo;
  for (const auto& [vecchio, nuovo] : conservati)
    testo += (testo.empty() ? "" : "\n") + std::string("crea_scenario: ") + vecchio +
             " was not the source this program writes (an edit?): it is kept whole as " + nuovo;
  return testo;
}

// The build itself; the sources it moved aside go into `conservati`.
int costruisci(piattaforma::Disco& disco, const std::string& cartella,
               std::vector<std::pair<std::string, std::string>>& conservati) {
  modello m;
  m.linea = linea_scenario;
  m.treno = treno_scenario;
  try {
    const auto blocco = prepara_cartella(disco, m, cartella);
    for (const file_sorgente& f : {sorgente_linea(m, cartella), sorgente_treno(m, cartella)})
      if (std::string nuovo = conserva_se_diverso(disco, f); !nuovo.empty())
        conservati.emplace_back(f.percorso, std::move(nuovo));
    // Every file the run leaves is flushed before its rename, and the folder
    // once at the end, which makes all the renames durable; the two sources,
    // read back and removed by the packer, are not flushed at all.
    piattaforma::Serie serie(disco);
    dati_linea(m, disco, cartella);
    dati_treno(m, disco, cartella);
    dati_note(m, disco, cartella);
    dati_rallentamenti(m, disco, cartella);
    dati_scheda(m, disco, cartella);
    int32_t j = 1;
    memorizza_percorso(m, disco, cartella, j);
    serie.concludi();
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

}  // namespace

int costruisci_scenario(piattaforma::Disco& disco, const std::string& cartella) {
  // Sources that an author edited in the folder are moved aside and said
  // at the end, whatever the outcome.
  std::vector<std::pair<std::string, std::string>> conservati;
  const int stato = costruisci(disco, cartella, conservati);
  if (!conservati.empty()) piattaforma::messaggio_errore(rapporto_conservati(conservati));
  return stato;
}

}  // namespace scenario
