#include "authoring/impacchetta.h"

#include <algorithm>
#include <tuple>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "authoring/codifica_sorgente.h"
#include "authoring/disegno_sorgenti.h"
#include "authoring/rapporto.h"
#include "documents/genera_documenti.h"
#include "documents/valori_documenti.h"
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
  // `sorgenti`: each source's path and its bytes, which stay with the caller.
  DiscoAutore(piattaforma::Disco& vero, std::map<std::string, const std::string*> sorgenti)
      : vero_(vero), sorgenti_(std::move(sorgenti)) {}

  bool scrivi = true;
  bool tieni_pacchetti = false;  // keep the packed bytes, for the drawing
  // Asked before each file: true keeps it from being written after all (an
  // error that the cab-code pass found, with --strict).
  std::function<bool()> trattieni;
  std::vector<std::string> scritti;  // paths of the files written, in order
  // The bytes of every packed file the packer gave, written or not, by path.
  std::map<std::string, std::string> pacchetti;

  bool esiste(const std::string& p) override { return sorgenti_.count(p) || vero_.esiste(p); }
  std::string leggi(const std::string& p) override {
    auto s = sorgenti_.find(p);
    return s != sorgenti_.end() ? *s->second : vero_.leggi(p);
  }
  void sostituisci(const std::string& p, std::string_view contenuto) override {
    if (tieni_pacchetti) pacchetti[p] = contenuto;
    if (scrivi && trattieni && trattieni()) scrivi = false;
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
  std::map<std::string, const std::string*> sorgenti_;
};

// One source as read: the name the author gave and the bytes the loader reads.
// Its line starts are found on the first diagnostic in it.
struct sorgente_letta {
  std::string nome;
  std::string byte;
};

// A diagnostic at byte `scostamento` of `s`, found by counting its lines:
// for the few diagnostics about a source's bytes.
segnalazione a(const sorgente_letta& s, size_t scostamento) {
  const auto rc = piattaforma::trova_riga_colonna(s.byte, scostamento);
  segnalazione r;
  r.file = s.nome;
  r.riga = rc.riga;
  r.colonna = rc.colonna;
  return r;
}

// A source is taken for no text when more than one byte in this many is a
// control character or a byte Windows-1252 leaves undefined.
constexpr size_t byte_per_estraneo = 20;

// Tells about a source that is not in Windows-1252, or not text at all.
// Requires the bytes as they are in the file.
void controlla_codifica(const sorgente_letta& s, std::vector<segnalazione>& dette) {
  const esame_codifica e = esamina_codifica(s.byte);
  if (e.primo_utf8) {
    segnalazione w = a(s, *e.primo_utf8);
    w.livello = gravita::errore;
    w.testo = "the file is saved as UTF-8, not in the Windows-1252 code page the simulator reads: "
              "every letter outside ASCII would reach it as two wrong characters; pack with "
              "--from-utf8 to convert it while reading (the file is not changed)";
    dette.push_back(w);
  } else if (e.segno_utf8) {
    segnalazione w = a(s, 0);
    w.testo = "the file begins with a UTF-8 byte-order mark, which the loader reads as three "
              "characters of the first field; pack with --from-utf8 to drop it, or save the file "
              "without it";
    dette.push_back(w);
  }
  if (e.primo_estraneo && e.estranei * byte_per_estraneo > s.byte.size()) {
    segnalazione w = a(s, *e.primo_estraneo);
    w.livello = gravita::errore;
    w.testo = "this does not look like a text file: " + con_migliaia(e.estranei) + " of its " +
              con_migliaia(s.byte.size()) + " bytes are control characters or bytes that "
              "Windows-1252 leaves undefined, which no source holds; the loader reads it as "
              "text all the same";
    dette.push_back(w);
  } else if (e.primo_estraneo) {
    const auto b = static_cast<unsigned char>(s.byte[*e.primo_estraneo]);
    segnalazione w = a(s, *e.primo_estraneo);
    w.testo = "byte " + std::to_string(b) +
              (b >= 0x80 ? " stands for no character in Windows-1252"
                         : " is a control character, which no source holds") +
              ": it is read as part of the field it stands in";
    dette.push_back(w);
  }
}

// The two sources, for placing what the loader reports.
struct sorgenti_lette {
  const sorgente_letta& linea;
  const sorgente_letta& treno;
  const std::string& nome(scenario::sorgente s) const {
    return s == scenario::sorgente::linea ? linea.nome : treno.nome;
  }
};

// A place of the loader's diagnosi as file, line and column.
nota_rapporto posto(const scenario::diagnosi& d, const sorgenti_lette& s, const scenario::luogo& l,
                    std::string testo = {}) {
  const auto rc = d.posto(l);
  return {s.nome(l.file), rc.riga, rc.colonna, piattaforma::da_windows1252(testo)};
}

// A diagnostic at a place of the loader's diagnosi.
segnalazione in_posto(const scenario::diagnosi& d, const sorgenti_lette& s,
                      const scenario::luogo& l) {
  const nota_rapporto p = posto(d, s, l);
  segnalazione r;
  r.file = p.file;
  r.riga = p.riga;
  r.colonna = p.colonna;
  return r;
}

// The notes of a diagnostic, placed.
std::vector<nota_rapporto> note_di(const scenario::diagnosi& d, const sorgenti_lette& s,
                                   const std::vector<scenario::nota>& note) {
  std::vector<nota_rapporto> r;
  for (const scenario::nota& n : note) r.push_back(posto(d, s, n.dove, n.testo));
  return r;
}

// The error table's reading of a recorded error, placed where it was recorded.
segnalazione da_errore(const scenario::errore_registrato& e, const scenario::diagnosi& d,
                       const sorgenti_lette& s) {
  segnalazione r;
  if (e.dove) {
    r = in_posto(d, s, *e.dove);
  } else if (e.codice == scenario::errore::segnale_senza_codice ||
             e.codice == scenario::errore::gruppo_avvicinamento ||
             e.codice == scenario::errore::codice_periodico) {
    r.file = s.treno.nome;  // the cab-code pass works on the train's signals and slowdowns
  }
  r.livello = gravita::errore;
  r.codice = e.codice;
  r.testo = e.significato.empty() ? scenario::descrizione_errore(e.codice)
                                  : piattaforma::da_windows1252(e.significato);
  if (!e.dettaglio.empty()) r.testo += ": " + piattaforma::da_windows1252(e.dettaglio);
  if (scenario::errore_con_posizione(e.codice)) r.posizione = e.posizione;
  r.rimedio = piattaforma::da_windows1252(e.rimedio);
  r.dopo_arresto = e.dopo_arresto;
  r.note = note_di(d, s, e.note);
  return r;
}

// Everything the diagnosi kept, as diagnostics.
void da_diagnosi(const scenario::diagnosi& d, const sorgenti_lette& s,
                 std::vector<segnalazione>& dette) {
  for (const scenario::avviso& w : d.avvisi()) {
    segnalazione r = in_posto(d, s, w.dove);
    r.livello = w.errore ? gravita::errore : gravita::avviso;
    r.testo = piattaforma::da_windows1252(w.testo);
    r.dopo_arresto = w.dopo_arresto;
    r.note = note_di(d, s, w.note);
    dette.push_back(std::move(r));
  }
  for (const scenario::errore_registrato& e : d.errori()) dette.push_back(da_errore(e, d, s));
  for (const scenario::omissione& o : d.omissioni()) {
    segnalazione r = in_posto(d, s, o.primo);
    r.livello = gravita::nota;
    r.omessi = o.quanti;
    r.livello_omessi = o.errore ? gravita::errore : gravita::avviso;
    r.dopo_arresto = o.dopo_arresto;
    r.testo = con_migliaia(o.quanti) + " more " + o.cosa + ", from here on, are not shown one by "
              "one (the first " + std::to_string(scenario::diagnosi::mostrati_per_specie) +
              " of each kind are)";
    dette.push_back(std::move(r));
  }
}

// What a run tells, and how: each diagnostic and message as a line on
// standard error (the packed files written on standard output), or, with
// --json, the whole as one JSON document on standard output, whatever the
// exit status.
class Rapporto {
 public:
  Rapporto(const opzioni& o, std::ostream& uscita, std::ostream& errori)
      : o_(o), uscita_(uscita), errori_(errori) {}

  resoconto r;

  // A message of the program's own, printed at once.
  void messaggio(const std::string& testo) { riga(std::string(programma) + ": " + testo); }

  // A line that already names the program, printed at once.
  void riga(std::string testo) {
    r.messaggi.push_back(std::move(testo));
    errori_ << r.messaggi.back() << "\n";
  }

  // Prints the diagnostics in the order of the files and of the lines,
  // then the messages kept for the end and the files written, and returns
  // `stato`; with `ultimo`, one more message of the program's own.
  int fine(int stato, const std::string& ultimo = {}) {
    if (!ultimo.empty()) finali_.push_back(std::string(programma) + ": " + ultimo);
    r.stato = stato;
    // By file (line source first), then by place; errors without a place last.
    auto chiave = [&](const segnalazione& s) {
      const int file = !s.riga ? 2 : s.file == o_.sorgente_linea ? 0 : 1;
      return std::tuple(file, s.riga.value_or(0), s.colonna.value_or(0));
    };
    std::stable_sort(r.segnalazioni.begin(), r.segnalazioni.end(),
                     [&](const segnalazione& x, const segnalazione& y) { return chiave(x) < chiave(y); });
    for (const std::string& m : finali_) r.messaggi.push_back(m);
    if (o_.json) {
      uscita_ << in_json(r);
      for (const std::string& m : finali_) errori_ << m << "\n";
    } else {
      for (const segnalazione& s : r.segnalazioni) errori_ << in_righe(s, programma);
      errori_ << riepilogo(r.segnalazioni, programma);
      for (const std::string& m : finali_) errori_ << m << "\n";
    }
    std::ostream& elenco = o_.json ? errori_ : uscita_;
    for (const std::string& p : r.scritti) elenco << "wrote " << p << "\n";
    return stato;
  }

  // A message printed at the end, after the diagnostics.
  void alla_fine(std::string testo) { finali_.push_back(std::move(testo)); }

 private:
  const opzioni& o_;
  std::ostream& uscita_;
  std::ostream& errori_;
  std::vector<std::string> finali_;
};

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

// The names of the files the run may write in its folder, each with what
// it is: the packed files (none with --check), then, with --documents, the
// three documents.
std::vector<std::pair<std::string, const char*>> uscite_di(const opzioni& o, const identita& id) {
  std::vector<std::pair<std::string, const char*>> uscite;
  if (!o.controllo) {
    if (!o.senza_piano)
      uscite.push_back({scenario::nome_pacchetto_linea(id.linea), "packed line file"});
    uscite.push_back({scenario::nome_pacchetto_voci(id.linea, id.treno), "packed item file"});
    uscite.push_back({scenario::nome_pacchetto_celle(id.linea, id.treno), "packed track file"});
  }
  if (o.documenti) {
    uscite.push_back({scenario::nome_scheda(id.linea, id.treno), "train sheet"});
    uscite.push_back({scenario::nome_rallentamenti(id.linea, id.treno), "slowdown order form"});
    uscite.push_back({scenario::nome_note(id.linea, id.treno), "notes draft"});
  }
  return uscite;
}

// Compares the files the run would write in `cartella` (uscite_di) with the
// sources, the values file and one another, by file identity (so every
// spelling of one file is caught). Returns what is wrong, naming both
// paths; empty when every file written is a file of its own.
std::string verifica_uscite(const opzioni& o, const identita& id, const std::string& cartella) {
  const std::vector<std::pair<std::string, const char*>> uscite = uscite_di(o, id);
  std::vector<std::pair<std::string, const char*>> sorgenti = {{o.sorgente_linea, "line source"},
                                                               {o.sorgente_treno, "train source"}};
  if (o.valori_documenti) sorgenti.push_back({*o.valori_documenti, "values file"});
  for (size_t i = 0; i < uscite.size(); ++i) {
    const std::string percorso = piattaforma::unisci_percorso(cartella, uscite[i].first);
    for (const auto& [sorgente, cosa] : sorgenti)
      if (piattaforma::stesso_file(percorso, sorgente))
        return "the " + std::string(uscite[i].second) + " \"" + percorso + "\" would replace the " +
               cosa + " \"" + sorgente + "\" (they are one file); nothing was written: rename the " +
               cosa + ", or write the files elsewhere with -o FOLDER";
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
                         std::ostream& errori, std::optional<std::string>* disegno) {
  if (disegno) disegno->reset();
  Rapporto rapporto(o, uscita, errori);
  const identita id = identita_da(o);
  verifica_nomi(id, o);
  const std::string cartella = o.uscita ? *o.uscita : cartella_di(o.sorgente_linea);
  sorgente_letta linea{o.sorgente_linea, {}};
  sorgente_letta treno{o.sorgente_treno, {}};
  sorgente_letta valori{o.valori_documenti.value_or(""), {}};
  std::vector<segnalazione>& dette = rapporto.r.segnalazioni;
  try {
    linea.byte = disco.leggi(o.sorgente_linea);
    treno.byte = disco.leggi(o.sorgente_treno);
    if (o.valori_documenti) valori.byte = disco.leggi(*o.valori_documenti);
    const std::string doppio = verifica_uscite(o, id, cartella);
    if (!doppio.empty()) return rapporto.fine(errore_file, doppio);
  } catch (const piattaforma::ErroreFile& e) {
    return rapporto.fine(errore_file, e.what());
  }
  for (sorgente_letta* s : {&linea, &treno}) {
    if (!o.da_utf8) {
      controlla_codifica(*s, dette);
      continue;
    }
    try {
      s->byte = da_utf8(s->byte);
    } catch (const ErroreConversione& e) {
      segnalazione r = a(*s, e.scostamento);
      r.livello = gravita::errore;
      r.testo = std::string("cannot read the file as UTF-8 (--from-utf8): ") + e.what();
      dette.push_back(r);
      return rapporto.fine(errore_file);
    }
  }
  // What the documents show that the sources do not hold: a record that
  // cannot be taken stops the run before anything is written.
  documenti::valori_documenti dati_documenti;
  if (o.valori_documenti) {
    try {
      if (o.da_utf8) valori.byte = da_utf8(valori.byte);
      dati_documenti = documenti::leggi_valori(valori.byte);
    } catch (const ErroreConversione& e) {
      segnalazione r = a(valori, e.scostamento);
      r.livello = gravita::errore;
      r.testo = std::string("cannot read the file as UTF-8 (--from-utf8): ") + e.what();
      dette.push_back(r);
      return rapporto.fine(errore_file);
    } catch (const documenti::ErroreValori& e) {
      segnalazione r;
      r.file = valori.nome;
      r.riga = e.riga;
      r.colonna = e.colonna;
      r.livello = gravita::errore;
      r.testo = piattaforma::da_windows1252(e.what());
      dette.push_back(r);
      return rapporto.fine(errore_file, "nothing was written: mend the values file and run again");
    }
  }

  scenario::modello m;
  m.linea = id.linea;
  m.treno = id.treno;
  scenario::diagnosi d;
  // The drawing names each feature's source line: the loader keeps them.
  d.tieni_origini(disegno != nullptr);
  DiscoAutore disco_autore(disco, {{o.sorgente_linea, &linea.byte}, {o.sorgente_treno, &treno.byte}});
  disco_autore.tieni_pacchetti = disegno != nullptr;
  const int32_t j = o.senza_piano ? 0 : 1;
  scenario::carica_sorgenti(m, disco_autore,
                            {o.sorgente_linea, o.sorgente_treno, /*elimina=*/false, &d}, j);
  const sorgenti_lette lette{linea, treno};
  // The documents from the model as the loader left it, before the
  // cab-code pass adds its own cells; written after the packed files.
  std::optional<documenti::documenti_generati> documenti_fatti;
  if (o.documenti) documenti_fatti = documenti::genera_documenti(m, dati_documenti);
  // Where the loader stopped, a second reading goes on to the end of both
  // sources and keeps only what it finds from there on.
  if (d.fermato(scenario::sorgente::linea) || d.fermato(scenario::sorgente::treno)) {
    scenario::modello resto;
    resto.linea = id.linea;
    resto.treno = id.treno;
    scenario::diagnosi oltre(/*solo_dopo_arresto=*/true);
    scenario::carica_sorgenti(resto, disco_autore,
                              {o.sorgente_linea, o.sorgente_treno, false, &oltre, true}, j);
    da_diagnosi(oltre, lette, dette);
  }

  // With --strict, anything told at all means nothing is written: what the
  // loader told, and an error the cab-code pass finds before the first file.
  const bool detto = !dette.empty() || !d.avvisi().empty() || !d.errori().empty();
  if (o.severo) disco_autore.trattieni = [&] { return !d.errori().empty(); };
  bool testo_troppo_lungo = false;
  for (const scenario::voce& v : m.voci) testo_troppo_lungo = testo_troppo_lungo || v.nome.size() > 0xFFFF;
  disco_autore.scrivi = !o.controllo && !testo_troppo_lungo && !(o.severo && detto);
  // The documents go with the packed files, or alone with --check.
  const bool scrivi_documenti =
      o.documenti && !testo_troppo_lungo && !(o.severo && detto) && (disco_autore.scrivi || o.controllo);
  bool documenti_scritti = false;

  int esito = riuscito;
  try {
    // A folder named with -o is made when missing.
    const bool scrive = disco_autore.scrivi || scrivi_documenti;
    if (scrive && o.uscita && m.celle.size() > 1 && disco.crea_cartella(cartella))
      rapporto.messaggio("created the folder " + cartella);
    // Written under the folder's lock, as every writer's files are; what a
    // killed run of any writer left of these names is cleared under it.
    std::unique_ptr<piattaforma::Disco::Blocco> blocco;
    if (scrive) {
      std::vector<std::string> nomi;
      if (disco_autore.scrivi)
        nomi = {scenario::nome_pacchetto_linea(id.linea), scenario::nome_pacchetto_voci(id.linea, id.treno),
                scenario::nome_pacchetto_celle(id.linea, id.treno)};
      for (const auto& [nome, cosa] : uscite_di(o, id))
        if (std::find(nomi.begin(), nomi.end(), nome) == nomi.end()) nomi.push_back(nome);
      std::vector<std::string> percorsi;
      for (const std::string& nome : nomi) percorsi.push_back(piattaforma::unisci_percorso(cartella, nome));
      blocco = piattaforma::prendi_cartella(disco, cartella, percorsi, [&] {
        rapporto.riga(piattaforma::testo_attesa(programma, cartella));
      });
    }
    // The packed files, then the documents, flushed one by one, their
    // folder once at the end.
    piattaforma::Serie serie(disco);
    if (!testo_troppo_lungo) scenario::impacchetta(m, disco_autore, cartella, &d);
    // Documents of sources that hold an error would show a run the author
    // did not mean: they are written only from sources without one, of
    // the loader, of the cab-code pass or of the checks.
    const auto senza_errori = [&] {
      for (const segnalazione& s : dette)
        if (s.livello == gravita::errore) return false;
      for (const scenario::avviso& w : d.avvisi())
        if (w.errore) return false;
      return d.errori().empty() && m.codice_errore == scenario::errore::nessuno;
    };
    if (scrivi_documenti && (o.controllo || disco_autore.scrivi) && senza_errori()) {
      for (const std::string& p : documenti::scrivi_documenti(disco, cartella, m, *documenti_fatti))
        disco_autore.scritti.push_back(p);
      documenti_scritti = true;
    }
    serie.concludi();
  } catch (const scenario::ErroreFatale& e) {
    rapporto.alla_fine(" Errore n. " + std::to_string(e.numero()));
    esito = errore_testata;
  } catch (const scenario::ModelloSenzaCelle& e) {
    rapporto.alla_fine(std::string(programma) + ": " + e.what() + "; nothing was packed");
    esito = senza_celle;
  } catch (const piattaforma::ErroreFile& e) {
    rapporto.alla_fine(std::string(programma) + ": " + e.what());
    esito = errore_file;
  }
  da_diagnosi(d, lette, dette);
  for (const std::string& p : disco_autore.scritti) rapporto.r.scritti.push_back(nome_di(p));
  if (disegno && esito != errore_testata && esito != senza_celle) {
    pacchetti_in_memoria p;
    p.linea = id.linea;
    p.treno = id.treno;
    auto prendi = [&](const std::string& nome) -> std::optional<std::string> {
      const auto it = disco_autore.pacchetti.find(piattaforma::unisci_percorso(cartella, nome));
      if (it == disco_autore.pacchetti.end()) return std::nullopt;
      return std::move(it->second);
    };
    p.byte_linea = prendi(scenario::nome_pacchetto_linea(id.linea));
    p.byte_voci = prendi(scenario::nome_pacchetto_voci(id.linea, id.treno));
    p.byte_celle = prendi(scenario::nome_pacchetto_celle(id.linea, id.treno));
    if (p.byte_voci && p.byte_celle)
      *disegno = disegna_pacchetti(p, d, nome_di(o.sorgente_linea), nome_di(o.sorgente_treno));
  }

  if (esito != riuscito) return rapporto.fine(esito);
  const auto [n_errori, n_avvisi] = conta(dette);
  if (scrivi_documenti && !documenti_scritti)
    rapporto.alla_fine(std::string(programma) +
                       ": the documents were not written: they are made only from sources "
                       "without errors; mend the errors and run again");
  if (testo_troppo_lungo)
    rapporto.alla_fine(std::string(programma) +
                       ": a text is longer than a packed file holds: nothing was written");
  else if (!disco_autore.scrivi && !o.controllo)
    rapporto.alla_fine(std::string(programma) + ": --strict: " +
                       (n_errori > 0 ? "errors" : "warnings") + " found, nothing was written");
  if (m.codice_errore != scenario::errore::nessuno || n_errori > 0) return rapporto.fine(errore_dati);
  if (o.severo && n_avvisi > 0) return rapporto.fine(avvisi_severi);
  return rapporto.fine(riuscito);
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
