#include "authoring/impacchetta.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "authoring/codifica_sorgente.h"
#include "authoring/rapporto.h"
#include "model/errori.h"
#include "model/identita.h"
#include "model/modello.h"
#include "packer/diagnosi.h"
#include "packer/impacchettatore.h"
#include "platform/cartella_programma.h"
#include "platform/cartella_scrittura.h"
#include "platform/errore_file.h"
#include "platform/identita_file.h"
#include "platform/lettore_campi.h"
#include "platform/windows1252.h"
#include "sources/scrittori.h"

namespace autore {
namespace {

// The author's disk as the packer sees it: the two sources come from the
// bytes already read (and converted, if asked), the packed files go to the
// real disk, or nowhere when nothing may be written. No file of the
// author's is ever removed.
class DiscoAutore : public piattaforma::Disco {
 public:
  DiscoAutore(piattaforma::Disco& vero, std::map<std::string, std::string> sorgenti)
      : vero_(vero), sorgenti_(std::move(sorgenti)) {}

  bool scrivi = true;
  std::vector<std::string> scritti;  // paths of the files written, in order

  bool esiste(const std::string& p) override { return sorgenti_.count(p) || vero_.esiste(p); }
  std::string leggi(const std::string& p) override {
    auto s = sorgenti_.find(p);
    return s != sorgenti_.end() ? s->second : vero_.leggi(p);
  }
  void sostituisci(const std::string& p, std::string_view contenuto) override {
    if (!scrivi) return;
    // verifica_uscite refused this before anything was written; kept as a guard.
    if (sorgenti_.count(p)) throw piattaforma::ErroreFile(p, "replace", "it is one of the sources");
    vero_.sostituisci(p, contenuto);
    scritti.push_back(p);
  }
  void elimina(const std::string& p) override {
    throw std::logic_error("the packer was asked to remove " + p);
  }

 private:
  piattaforma::Disco& vero_;
  std::map<std::string, std::string> sorgenti_;
};

// One source as read: the name the author gave and the bytes the loader reads.
// Its line starts are found on the first diagnostic in it.
struct sorgente_letta {
  std::string nome;
  std::string byte;
  std::optional<piattaforma::tavola_righe> righe;  // of `byte`; reset when it changes
};

// A diagnostic at byte `scostamento` of `s`.
segnalazione a(sorgente_letta& s, size_t scostamento) {
  if (!s.righe) s.righe.emplace(s.byte);
  const auto rc = s.righe->trova(scostamento);
  segnalazione r;
  r.file = s.nome;
  r.riga = rc.riga;
  r.colonna = rc.colonna;
  return r;
}

// Warns about a source that is not in Windows-1252. Requires the bytes as
// they are in the file.
void controlla_codifica(sorgente_letta& s, std::vector<segnalazione>& avvisi) {
  const esame_codifica e = esamina_codifica(s.byte);
  if (e.primo_utf8) {
    segnalazione w = a(s, *e.primo_utf8);
    w.testo = "the file is saved as UTF-8, not in the Windows-1252 code page the simulator reads: "
              "every letter outside ASCII would reach it as two wrong characters; pack with "
              "--from-utf8 to convert it while reading (the file is not changed)";
    avvisi.push_back(w);
  } else if (e.segno_utf8) {
    segnalazione w = a(s, 0);
    w.testo = "the file begins with a UTF-8 byte-order mark, which the loader reads as three "
              "characters of the first field; pack with --from-utf8 to drop it, or save the file "
              "without it";
    avvisi.push_back(w);
  }
  if (e.byte_indefinito) {
    segnalazione w = a(s, *e.byte_indefinito);
    w.testo = "byte " + std::to_string(static_cast<unsigned char>(s.byte[*e.byte_indefinito])) +
              " stands for no character in Windows-1252";
    avvisi.push_back(w);
  }
}

// The error table's reading of a recorded error, placed where it was recorded.
segnalazione da_errore(const scenario::errore_registrato& e, sorgente_letta& linea,
                       sorgente_letta& treno) {
  segnalazione r;
  if (e.dove) {
    r = a(e.dove->file == scenario::sorgente::linea ? linea : treno, e.dove->scostamento);
  } else if (e.codice == scenario::errore::segnale_senza_codice ||
             e.codice == scenario::errore::gruppo_avvicinamento ||
             e.codice == scenario::errore::codice_periodico) {
    r.file = treno.nome;  // the cab-code pass works on the train's signals and slowdowns
  }
  r.errore = true;
  r.codice = e.codice;
  r.testo = scenario::descrizione_errore(e.codice);
  if (!e.dettaglio.empty()) r.testo += ": " + piattaforma::da_windows1252(e.dettaglio);
  if (scenario::errore_con_posizione(e.codice)) r.posizione = e.posizione;
  return r;
}

// Prints the diagnostics, in the order given, warnings past the limits
// only counted (riduci); the count at the end holds them all.
void stampa(const std::vector<segnalazione>& tutte, const opzioni& o, std::ostream& uscita,
            std::ostream& errori) {
  const std::vector<segnalazione> mostrate = riduci(tutte);
  if (o.json) {
    uscita << in_json(mostrate);
    return;
  }
  size_t n_errori = 0;
  for (const segnalazione& s : mostrate) errori << in_riga(s, programma) << "\n";
  for (const segnalazione& s : tutte) n_errori += s.errore ? 1 : 0;
  if (!tutte.empty())
    errori << programma << ": " << piattaforma::in_migliaia(n_errori)
           << (n_errori == 1 ? " error, " : " errors, ") << piattaforma::in_migliaia(tutte.size() - n_errori)
           << (tutte.size() - n_errori == 1 ? " warning" : " warnings")
           << "\n";
}

// The route title and train designation, refused (ErroreUso) when either
// cannot be part of a file name.
void verifica_nomi(const identita& id, const opzioni& o) {
  auto verifica = [](const std::string& nome, const char* cosa, const char* da) {
    const std::string motivo = scenario::difetto_nome(nome);
    if (motivo.empty()) return;
    throw ErroreUso(std::string("the ") + cosa + " \"" + scenario::nome_visibile(nome) + "\" " + da +
                    " cannot be part of a file name: " + motivo);
  };
  verifica(id.linea, "route title", o.linea ? "given with --route" : "taken from the line source's name");
  verifica(id.treno, "train designation", o.treno ? "given with --train" : "taken from the train source's name");
}

// Compares the packed files the run would write in `cartella` with the
// sources and with one another, by file identity (so every spelling of one
// file is caught). Returns what is wrong, naming both paths; empty when
// every packed file is a file of its own.
std::string verifica_uscite(const opzioni& o, const identita& id, const std::string& cartella) {
  std::vector<std::pair<std::string, const char*>> uscite;
  if (!o.senza_piano)
    uscite.push_back({scenario::nome_pacchetto_linea(id.linea), "packed line file"});
  uscite.push_back({scenario::nome_pacchetto_voci(id.linea, id.treno), "packed item file"});
  uscite.push_back({scenario::nome_pacchetto_celle(id.linea, id.treno), "packed track file"});
  const std::pair<std::string, const char*> sorgenti[] = {{o.sorgente_linea, "line source"},
                                                          {o.sorgente_treno, "train source"}};
  for (size_t i = 0; i < uscite.size(); ++i) {
    const std::string percorso = piattaforma::unisci_percorso(cartella, uscite[i].first);
    for (const auto& [sorgente, cosa] : sorgenti)
      if (piattaforma::stesso_file(percorso, sorgente))
        return "the " + std::string(uscite[i].second) + " \"" + percorso + "\" would replace the " +
               cosa + " \"" + sorgente + "\" (they are one file); nothing was written: rename the " +
               "source, or write the packed files elsewhere with -o FOLDER";
    for (size_t k = 0; k < i; ++k)
      if (uscite[k].first == uscite[i].first ||
          piattaforma::stesso_file(percorso, piattaforma::unisci_percorso(cartella, uscite[k].first)))
        return "the " + std::string(uscite[k].second) + " and the " + uscite[i].second +
               " would both be written to \"" + percorso + "\"; nothing was written: choose a route " +
               "title and train designation that give them different names";
  }
  return {};
}

}  // namespace

int impacchetta_sorgenti(piattaforma::Disco& disco, const opzioni& o, std::ostream& uscita,
                         std::ostream& errori) {
  const identita id = identita_da(o);
  verifica_nomi(id, o);
  const std::string cartella = o.uscita ? *o.uscita : cartella_di(o.sorgente_linea);
  sorgente_letta linea{o.sorgente_linea, {}, {}};
  sorgente_letta treno{o.sorgente_treno, {}, {}};
  std::vector<segnalazione> avvisi;
  try {
    linea.byte = disco.leggi(o.sorgente_linea);
    treno.byte = disco.leggi(o.sorgente_treno);
    const std::string doppio = o.controllo ? "" : verifica_uscite(o, id, cartella);
    if (!doppio.empty()) {
      errori << programma << ": " << doppio << "\n";
      return errore_file;
    }
  } catch (const piattaforma::ErroreFile& e) {
    errori << programma << ": " << e.what() << "\n";
    return errore_file;
  }
  for (sorgente_letta* s : {&linea, &treno}) {
    if (!o.da_utf8) {
      controlla_codifica(*s, avvisi);
      continue;
    }
    try {
      s->byte = da_utf8(s->byte);
      s->righe.reset();
    } catch (const ErroreConversione& e) {
      errori << in_riga([&] {
        segnalazione r = a(*s, e.scostamento);
        r.errore = true;
        r.testo = std::string("cannot read the file as UTF-8 (--from-utf8): ") + e.what();
        return r;
      }(), programma) << "\n";
      return errore_file;
    }
  }

  scenario::modello m;
  m.linea = id.linea;
  m.treno = id.treno;
  scenario::diagnosi d;
  DiscoAutore disco_autore(disco, {{o.sorgente_linea, linea.byte}, {o.sorgente_treno, treno.byte}});
  const int32_t j = o.senza_piano ? 0 : 1;
  scenario::carica_sorgenti(m, disco_autore,
                            {o.sorgente_linea, o.sorgente_treno, /*elimina=*/false, &d}, j);

  for (const scenario::avviso& w : d.avvisi) {
    segnalazione s = a(w.dove.file == scenario::sorgente::linea ? linea : treno, w.dove.scostamento);
    s.testo = piattaforma::da_windows1252(w.testo);
    avvisi.push_back(s);
  }
  disco_autore.scrivi = !o.controllo && !(o.severo && !avvisi.empty());

  int esito = riuscito;
  std::string fatale;
  try {
    // Written under the folder's lock, as every writer's files are; what a
    // killed run of any writer left of these names is cleared under it.
    std::unique_ptr<piattaforma::Disco::Blocco> blocco;
    if (disco_autore.scrivi)
      blocco = piattaforma::prendi_cartella(
          disco, cartella,
          {piattaforma::unisci_percorso(cartella, scenario::nome_pacchetto_linea(id.linea)),
           piattaforma::unisci_percorso(cartella, scenario::nome_pacchetto_voci(id.linea, id.treno)),
           piattaforma::unisci_percorso(cartella, scenario::nome_pacchetto_celle(id.linea, id.treno))},
          [&] { errori << piattaforma::testo_attesa(programma, cartella) << "\n"; });
    // The packed files flushed one by one, their folder once at the end.
    piattaforma::Serie serie(disco);
    scenario::impacchetta(m, disco_autore, cartella, &d);
    serie.concludi();
  } catch (const scenario::ErroreFatale& e) {
    fatale = " Errore n. " + std::to_string(e.numero());
    esito = errore_testata;
  } catch (const scenario::ModelloSenzaCelle& e) {
    fatale = std::string(programma) + ": " + e.what() + "; nothing was packed";
    esito = senza_celle;
  } catch (const piattaforma::ErroreFile& e) {
    fatale = std::string(programma) + ": " + e.what();
    esito = errore_file;
  }

  std::vector<segnalazione> tutte = avvisi;
  for (const scenario::errore_registrato& e : d.errori) tutte.push_back(da_errore(e, linea, treno));
  // By file (line source first), then by place; errors without a place last.
  auto chiave = [&](const segnalazione& s) {
    const int file = s.file == linea.nome && s.riga ? 0 : s.file == treno.nome && s.riga ? 1 : 2;
    return std::tuple(file, s.riga.value_or(0), s.colonna.value_or(0));
  };
  std::stable_sort(tutte.begin(), tutte.end(),
                   [&](const segnalazione& x, const segnalazione& y) { return chiave(x) < chiave(y); });
  stampa(tutte, o, uscita, errori);
  if (!fatale.empty()) errori << fatale << "\n";

  std::ostream& elenco = o.json ? errori : uscita;
  for (const std::string& p : disco_autore.scritti) elenco << "wrote " << nome_di(p) << "\n";
  if (esito != riuscito) return esito;
  if (!disco_autore.scrivi && !o.controllo)
    elenco << programma << ": --strict: warnings found, nothing was written\n";
  if (m.codice_errore != scenario::errore::nessuno) return errore_dati;
  if (o.severo && !avvisi.empty()) return avvisi_severi;
  return riuscito;
}

namespace {

// Whether a regular file stands at `percorso`; false when that cannot be told.
bool esiste_quietamente(piattaforma::Disco& disco, const std::string& percorso) {
  try {
    return disco.esiste(percorso);
  } catch (const piattaforma::ErroreFile&) {
    return false;
  }
}

}  // namespace

int scrivi_punto_di_partenza(piattaforma::Disco& disco, const std::string& cartella,
                             std::ostream& uscita, std::ostream& errori) {
  scenario::modello m;
  m.linea = scenario::linea_scenario;
  m.treno = scenario::treno_scenario;
  const std::string nomi[] = {scenario::nome_sorgente_linea(m.linea),
                              scenario::nome_sorgente_treno(m.linea, m.treno)};
  std::error_code codice;
  std::filesystem::create_directories(
      std::filesystem::path(std::u8string(cartella.begin(), cartella.end())), codice);
  if (codice) {
    errori << programma << ": cannot create the folder " << cartella << ": " << codice.message()
           << "\n";
    return errore_file;
  }
  try {
    const auto blocco = piattaforma::prendi_cartella(
        disco, cartella,
        {piattaforma::unisci_percorso(cartella, nomi[0]), piattaforma::unisci_percorso(cartella, nomi[1])},
        [&] { errori << piattaforma::testo_attesa(programma, cartella) << "\n"; });
    for (const std::string& nome : nomi)
      if (disco.esiste(piattaforma::unisci_percorso(cartella, nome))) {
        errori << programma << ": " << piattaforma::unisci_percorso(cartella, nome)
               << " already exists; the starting point is written only where neither source is\n";
        return errore_file;
      }
    // The author's own files from now on: written durably, their folder
    // flushed once for both.
    piattaforma::Serie serie(disco);
    for (const scenario::file_sorgente& f :
         {scenario::sorgente_linea(m, cartella), scenario::sorgente_treno(m, cartella)})
      disco.sostituisci(f.percorso, f.byte);
    serie.concludi();
  } catch (const piattaforma::ErroreFile& e) {
    errori << programma << ": " << e.what() << "\n";
    return errore_file;
  }
  for (const std::string& nome : nomi) uscita << "wrote " << nome << "\n";
  // The builder writes these very sources into its own folder on every
  // run: an edit made there is moved aside by it, so edit them elsewhere.
  for (const char* costruttore : {"crea_scenario", "crea_scenario.exe"})
    if (esiste_quietamente(disco, piattaforma::unisci_percorso(cartella, costruttore))) {
      errori << programma << ": warning: " << cartella << " holds " << costruttore
             << ", which writes these sources anew on every run (an edited one is moved aside, "
                "not used): edit and pack them in a folder of their own\n";
      break;
    }
  return riuscito;
}

}  // namespace autore
