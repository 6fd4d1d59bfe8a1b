#include "inspector/ispezione.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "inspector/disegno.h"
#include "inspector/elenco.h"
#include "inspector/flusso_json.h"
#include "inspector/scoperta.h"
#include "inspector/verifiche.h"
#include "model/identita.h"
#include "platform/cartella_programma.h"
#include "platform/cartella_scrittura.h"
#include "platform/errore_file.h"
#include "platform/windows1252.h"
#include "platform/identita_file.h"
#include "platform/opzioni.h"

namespace ispettore {
namespace {

using json = nlohmann::ordered_json;

constexpr const char* programma = "ispeziona_scenario";
// The fault of an item or track file that is not there.
constexpr const char* motivo_mancante = "no such file";
// The --svg name that means standard output.
constexpr const char* standard = "-";

// One scenario to inspect: its names and what became of it.
struct esame {
  pacchetti p;
  scenario_letto s;
  std::optional<resoconto> r;
  bool file_mancante = false;    // the item or track file could not be read
  std::set<std::string> non_letti;  // the names of files there but not read
  bool disegno_fallito = false;  // the drawing could not be written
  bool tratto_vuoto = false;     // the stretch asked for lies beyond the cells
  bool con_elenco = false;       // the listing could be composed (r, until alleggerisci)
};

// Lets go of what one scenario's output needed (the files' bytes, the
// model, the plan, the listing), keeping what the summary and the exit
// status need: a folder of many scenarios holds one at a time.
void alleggerisci(esame& e) {
  e.p.byte_linea.reset();
  e.p.byte_voci.reset();
  e.p.byte_celle.reset();
  e.s.m = scenario::modello{};
  e.s.piano = {};
  e.r.reset();
}

// Reads at most `massimo` bytes of a file into `byte`, and its whole size
// into `dimensione` when it is larger. When it is missing or cannot be
// read, says so on `errori`, records it as a fault of the whole file and
// returns false. A missing file that is `facoltativo` is left absent
// without a word.
bool leggi_file(piattaforma::Disco& disco, const std::string& cartella, const std::string& nome,
                bool facoltativo, size_t massimo, std::optional<std::string>& byte,
                std::optional<uint64_t>& dimensione, std::vector<difetto>& difetti,
                std::ostream& errori) {
  const std::string percorso = piattaforma::unisci_percorso(cartella, nome);
  std::string motivo;
  try {
    // A folder, pipe, device or link at the name is named, never taken for
    // a missing file, nor read.
    const piattaforma::tipo_file tipo = piattaforma::tipo_di(percorso);
    if (tipo != piattaforma::tipo_file::mancante && tipo != piattaforma::tipo_file::regolare)
      throw piattaforma::ErroreFile(percorso, "read", piattaforma::motivo_non_regolare(tipo));
    if (disco.esiste(percorso)) {
      piattaforma::Disco::inizio_file letto = disco.leggi_inizio(percorso, massimo);
      if (letto.dimensione > letto.byte.size()) dimensione = letto.dimensione;
      byte = std::move(letto.byte);
      return true;
    }
    if (facoltativo) return true;
    motivo = motivo_mancante;
    errori << programma << ": " << percorso << ": " << motivo << "\n";
  } catch (const piattaforma::ErroreFile& e) {
    motivo = "cannot be read: " + e.motivo();
    errori << programma << ": " << e.what() << "\n";
  }
  difetti.push_back({nome, std::nullopt, "", motivo});
  return false;
}

// Reads the route title from an item file of the folder, for names that
// hold more than one "_" (scoperta.h). Whatever goes wrong leaves the name
// to be split at its first "_": the inspection then reports it.
titolo_voci titolo_da_voci(piattaforma::Disco& disco, const std::string& cartella) {
  return [&disco, cartella](const std::string& nome) -> std::optional<std::string> {
    try {
      const std::string percorso = piattaforma::unisci_percorso(cartella, nome);
      if (!disco.esiste(percorso)) return std::nullopt;
      const voci_lette v = leggi_voci(disco.leggi_inizio(percorso, da_leggere_voci).byte);
      return piattaforma::da_windows1252(v.voci[scenario::riga_linea].nome);
    } catch (const piattaforma::ErroreFile&) {
      return std::nullopt;
    } catch (const ErroreFormato&) {
      return std::nullopt;
    }
  };
}

// The files section of the text listing.
std::string testo_file(const pacchetti& p, const std::set<std::string>& non_letti,
                       const std::string& cartella) {
  std::string t = "Folder " + cartella + "\n";
  const std::string linea = testo_visibile(p.nome_linea), voci = testo_visibile(p.nome_voci),
                    celle = testo_visibile(p.nome_celle);
  auto riga = [&](const std::string& grezzo, const std::optional<std::string>& byte,
                  const std::optional<uint64_t>& intera, const char* cosa) {
    const std::string nome = testo_visibile(grezzo);
    const size_t larghezza = std::max({linea.size(), voci.size(), celle.size()});
    const std::string dimensione = byte                  ? std::to_string(dimensione_file(*byte, intera)) + " bytes"
                                   : non_letti.count(grezzo) ? "not read"
                                                           : "missing";
    t += "  " + nome + std::string(larghezza - nome.size(), ' ') + "  " +
         std::string(dimensione.size() < 14 ? 14 - dimensione.size() : 0, ' ') + dimensione + "  " +
         cosa + "\n";
  };
  riga(p.nome_linea, p.byte_linea, p.dimensione_linea, "packed line file: plan geometry");
  riga(p.nome_voci, p.byte_voci, p.dimensione_voci, "packed item file: stations, board texts, header");
  riga(p.nome_celle, p.byte_celle, p.dimensione_celle, "packed track file: one record per 50 m cell");
  return t;
}

// The checks section of the text listing.
std::string testo_verifiche(const scenario_letto& s) {
  std::string t;
  if (s.difetti.empty())
    t += "\nChecks: every file matches its layout, stamps and identity codes\n";
  else
    t += "\nChecks: " + std::to_string(s.difetti.size()) + " fault" +
         (s.difetti.size() == 1 ? "" : "s") + "\n";
  for (const difetto& d : s.difetti) t += "  " + descrivi(d) + "\n";
  for (const std::string& nota : s.note) t += "  note: " + nota + "\n";
  return t;
}

// The files and checks as JSON.
json json_verifiche(const pacchetti& p, const scenario_letto& s, const std::string& cartella) {
  auto file = [](const std::string& nome, const std::optional<std::string>& byte,
                 const std::optional<uint64_t>& intera) {
    return json{{"name", nome},
                {"present", byte.has_value()},
                {"bytes", byte ? json(dimensione_file(*byte, intera)) : json()}};
  };
  json difetti = json::array();
  for (const difetto& d : s.difetti)
    difetti.push_back({{"file", d.file},
                       {"offset", d.offset ? json(*d.offset) : json()},
                       {"where", d.dove},
                       {"reason", d.motivo},
                       {"message", descrivi(d)}});
  return {{"folder", cartella},
          {"files",
           {{"line", file(p.nome_linea, p.byte_linea, p.dimensione_linea)},
            {"items", file(p.nome_voci, p.byte_voci, p.dimensione_voci)},
            {"track", file(p.nome_celle, p.byte_celle, p.dimensione_celle)}}},
          {"checks", {{"passed", s.difetti.empty()}, {"faults", difetti}, {"notes", s.note}}}};
}

// Writes the JSON document of one scenario as it is produced, at nesting
// depth `livello`: files, checks and, when the item file could be decoded,
// the listing.
void scrivi_json_esame(std::ostream& uscita, const esame& e, const std::string& cartella, int livello) {
  ContenitoreJson documento(uscita, true, livello);
  const json verifiche = json_verifiche(e.p, e.s, cartella);
  for (const auto& [chiave, valore] : verifiche.items()) documento.membro(chiave, valore);
  if (e.r) scrivi_json(documento, *e.r, e.r->elementi.empty() ? &e.s.m : nullptr);
}

// Prints a JSON document. Folder and file names come from the command line
// and may not be UTF-8: what is not is replaced rather than failing.
void stampa_json(std::ostream& uscita, const json& documento) {
  uscita << documento.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
}

// The exit status of the scenarios inspected: a file that could not be
// read (or a drawing not written) first, then a failed check.
int stato_di(const std::vector<esame>& esami) {
  int stato = ispezione_riuscita;
  for (const esame& e : esami) {
    if (e.tratto_vuoto) return ispezione_uso;
    if (e.file_mancante || e.disegno_fallito) return ispezione_errore_file;
    if (!e.s.difetti.empty()) stato = ispezione_difetti;
  }
  return stato;
}

// Reads, checks and composes one scenario, and writes its drawing when asked.
esame esamina(piattaforma::Disco& disco, const opzioni& o, const std::string& cartella,
              const std::string& linea, const std::string& treno, std::ostream& uscita,
              std::ostream& errori) {
  esame e;
  e.p = pacchetti_di(linea, treno);
  pacchetti& p = e.p;

  // The item file first: the route length it declares bounds how much of
  // the other two is read (lettore.h).
  std::vector<difetto> illeggibili;
  const bool voci_lette = leggi_file(disco, cartella, p.nome_voci, false, da_leggere_voci, p.byte_voci,
                                     p.dimensione_voci, illeggibili, errori);
  const std::optional<int32_t> lunghezza = p.byte_voci ? lunghezza_dichiarata(*p.byte_voci) : std::nullopt;
  const bool celle_lette = leggi_file(disco, cartella, p.nome_celle, false, da_leggere_celle(lunghezza),
                                      p.byte_celle, p.dimensione_celle, illeggibili, errori);
  const bool linea_letta = leggi_file(disco, cartella, p.nome_linea, true, da_leggere_linea(lunghezza),
                                      p.byte_linea, p.dimensione_linea, illeggibili, errori);
  e.file_mancante = !linea_letta || !voci_lette || !celle_lette;
  for (const difetto& d : illeggibili)
    if (d.motivo != motivo_mancante) e.non_letti.insert(d.file);

  e.s = verifica(p);
  // A line file that is there but could not be read is a fault, not a
  // scenario packed without its plan.
  if (!linea_letta)
    std::erase_if(e.s.note, [&](const std::string& n) {
      return n.starts_with("no packed line file " + p.nome_linea + ":");
    });
  e.s.difetti.insert(e.s.difetti.begin(), illeggibili.begin(), illeggibili.end());
  // The features are held only for the drawing; the listing decodes them
  // from the cells as it writes them.
  if (e.s.con_voci) e.r = componi(e.s.m, o.svg.has_value());
  e.con_elenco = e.r.has_value();

  // The drawing first, so that it is written even when the listing's
  // reader goes away early.
  if (o.svg && e.r) {
    tratto_richiesto t;
    if (o.da_km) t.da = *o.da_km * 1000;
    if (o.a_km) t.a = *o.a_km * 1000;
    const auto [da, fino] = estensione_disegno(*e.r, t);
    // --from as given: its metres may pass what a double holds.
    const double t_km = o.da_km ? *o.da_km : da / 1000;
    if (da >= fino) {
      errori << programma << ": no drawing: the stretch from chainage " << formato_chilometri(t_km)
             << " km holds nothing; the cells end at " << formato_km(50 * (int64_t{e.r->ultima_cella} + 1))
             << " km\n";
      e.tratto_vuoto = true;
      return e;
    }
    // --from alone past the route's end would draw a sliver of the cells
    // beyond it: refused, since the stretch meant is not there.
    if (t.da && !t.a && e.r->lunghezza > 0 && da >= e.r->lunghezza) {
      errori << programma << ": no drawing: --from " << formato_chilometri(t_km) << " km lies at or past the route's end at "
             << formato_km(int64_t{e.r->lunghezza})
             << " km; give a --from below it, or --to as well to draw the cells beyond the end\n";
      e.tratto_vuoto = true;
      return e;
    }
    try {
      if (*o.svg == standard) {
        uscita << disegna_svg(*e.r, e.s.con_piano ? &e.s.piano : nullptr, t);
        uscita.flush();
        return e;
      }
      // Only a regular file (or nothing) at the name is replaced.
      const piattaforma::tipo_file tipo = piattaforma::tipo_di(*o.svg);
      if (tipo != piattaforma::tipo_file::mancante && tipo != piattaforma::tipo_file::regolare)
        throw piattaforma::ErroreFile(*o.svg, "write the drawing to",
                                      piattaforma::motivo_non_regolare(tipo) +
                                          " (the drawing replaces only a regular file)");
      for (const std::string* nome : {&p.nome_linea, &p.nome_voci, &p.nome_celle})
        if (piattaforma::stesso_file(*o.svg, piattaforma::unisci_percorso(cartella, *nome)))
          throw piattaforma::ErroreFile(*o.svg, "write the drawing to",
                                        "it is the packed file " + *nome + " being inspected");
      // Written under its folder's lock, as every program writes, which
      // also clears what a killed run left of its temporary files.
      const std::string dove = piattaforma::cartella_di(*o.svg);
      const auto blocco = piattaforma::prendi_cartella(
          disco, dove, {*o.svg}, [&] { errori << piattaforma::testo_attesa(programma, dove) << "\n"; });
      disco.sostituisci(*o.svg, disegna_svg(*e.r, e.s.con_piano ? &e.s.piano : nullptr, t));
    } catch (const piattaforma::ErroreFile& x) {
      errori << programma << ": " << x.what() << "\n";
      e.disegno_fallito = true;
    }
  }
  return e;
}

// What one scenario leaves on standard error: its notes, its faults summed
// up, and why there is no drawing.
void riassumi(const esame& e, const opzioni& o, std::ostream& errori) {
  for (const std::string& nota : e.s.note) errori << programma << ": note: " << nota << "\n";
  if (!e.s.difetti.empty())
    errori << programma << ": " << e.s.difetti.size() << " fault"
           << (e.s.difetti.size() == 1 ? "" : "s") << " in the packed files; the first: "
           << descrivi(e.s.difetti.front()) << "\n";
  if (o.svg && !e.con_elenco) errori << programma << ": no drawing: the item file could not be decoded\n";
}

// Writes the text of one scenario: the files and checks, then the listing
// unless only the summary is asked for.
void scrivi_testo_esame(std::ostream& uscita, const esame& e, const opzioni& o, const std::string& cartella) {
  uscita << testo_file(e.p, e.non_letti, cartella) << testo_verifiche(e.s);
  const bool intero = !o.svg || o.elenco;
  if (e.r && intero) {
    uscita << "\n";
    scrivi_testo(uscita, *e.r, e.r->elementi.empty() ? &e.s.m : nullptr);
  }
  if (o.svg && e.r && !e.disegno_fallito && !e.tratto_vuoto)
    uscita << "\nDrawing written to " << (*o.svg == standard ? "standard output" : *o.svg) << "\n";
}

// The files of a found scenario in words: "line file, item file, no track file".
std::string file_presenti(const scenario_trovato& s) {
  std::string t = s.con_linea ? "line file" : "no line file";
  t += s.con_voci ? ", item file" : ", no item file";
  t += s.con_celle ? ", track file" : ", no track file";
  return t;
}

// The --scenarios output: the scenarios of the folder, text or JSON.
int elenca_scenari(piattaforma::Disco& disco, const std::vector<std::string>& nomi, const opzioni& o,
                   const std::string& cartella, std::ostream& uscita, std::ostream& errori) {
  const auto scenari = trova_scenari(nomi, titolo_da_voci(disco, cartella));
  const auto sole = linee_senza_treno(nomi);
  if (o.json) {
    json elenco = json::array();
    for (const scenario_trovato& s : scenari) {
      auto nome = [](bool c, const std::string& n) { return c ? json(n) : json(); };
      elenco.push_back(
          {{"route", s.linea},
           {"train", s.treno},
           {"files",
            {{"line", nome(s.con_linea, scenario::nome_pacchetto_linea(s.linea))},
             {"items", nome(s.con_voci, scenario::nome_pacchetto_voci(s.linea, s.treno))},
             {"track", nome(s.con_celle, scenario::nome_pacchetto_celle(s.linea, s.treno))}}}});
    }
    stampa_json(uscita, {{"folder", cartella}, {"scenarios", elenco}, {"line_files_without_train", sole}});
  } else {
    uscita << "Folder " << cartella << ": " << scenari.size() << " scenario"
           << (scenari.size() == 1 ? "" : "s") << "\n";
    for (const scenario_trovato& s : scenari)
      uscita << "  route \"" << testo_visibile(s.linea) << "\", train \"" << testo_visibile(s.treno)
             << "\": " << file_presenti(s) << "\n";
    for (const std::string& l : sole) uscita << "  line file of route \"" << testo_visibile(l) << "\", no train\n";
  }
  if (scenari.empty()) {
    errori << programma << ": no packed scenario in " << cartella
           << " (no <route>_<train>.sim or .dat file)\n";
    return ispezione_errore_file;
  }
  return ispezione_riuscita;
}

// The options, as the reader takes them and --help lists them.
const piattaforma::opzione<opzioni> tabella[] = {
    {"", "--json", "",
     "print one JSON document instead of text: the files, the checks with every fault, and the "
     "listing of what could be decoded; always printed, whatever the exit status. With several "
     "scenarios, {\"folder\", \"scenarios\": [documents]}",
     &opzioni::json},
    {"", "--svg", "FILE",
     "draw the line into FILE, one self-contained SVG: the plan view fitted to its panel with a "
     "north arrow and a scale bar, then speed limit (with its values), gradient and adhesion along "
     "the chainage with stations, signals, boards and cab codes marked; every feature names itself "
     "when pointed at. Only the files and the checks' summary are printed then, unless --listing "
     "or --json is given. Needs one scenario: name it when the folder holds several. FILE is "
     "replaced only when it is a regular file or missing (a folder, pipe, device or link there is "
     "refused); \"-\" writes the drawing to standard output, and the files and checks to standard "
     "error",
     &opzioni::svg},
    {"", "--from", "KM",
     "draw only the stretch from chainage KM, in kilometres from the start of the line as on the "
     "drawing's chainage axis (not the kilometre reading, which restarts and runs backwards from "
     "zone to zone); left out, from the start of the line",
     &opzioni::da_km},
    {"", "--to", "KM", "draw only up to chainage KM; left out, to the end of the line",
     &opzioni::a_km},
    {"", "--listing", "", "print the whole listing even with --svg", &opzioni::elenco},
    {"", "--scenarios", "", "only list the scenarios that FOLDER holds, with their files",
     &opzioni::scenari},
    {"-h", "--help", "", "print this text", &opzioni::aiuto},
    {"", "--version", "", "print the version", &opzioni::versione},
};

constexpr std::string_view uso =
    "ispeziona_scenario [--json] [--listing] [--svg FILE [--from KM] [--to KM]]\n"
    "                          [FOLDER [ROUTE_TITLE [TRAIN]]]\n"
    "       ispeziona_scenario --scenarios [--json] [FOLDER]\n";

}  // namespace

std::string testo_errore_uso(const std::string& messaggio) {
  return piattaforma::testo_errore_uso(programma, messaggio, uso);
}

opzioni leggi_opzioni(const std::vector<std::string>& argomenti) {
  opzioni o;
  const std::vector<std::string> posizionali = piattaforma::leggi_opzioni<opzioni>(tabella, argomenti, o);
  if (posizionali.size() > 3)
    throw ErroreUso("too many arguments: at most FOLDER, ROUTE_TITLE and TRAIN");
  if (posizionali.size() > 0) o.cartella = posizionali[0];
  if (posizionali.size() > 1) o.linea = posizionali[1];
  if (posizionali.size() > 2) o.treno = posizionali[2];
  for (const auto& [nome, km] : {std::pair{"--from", o.da_km}, std::pair{"--to", o.a_km}})
    if (km && *km < 0) {
      char testo[32];
      std::snprintf(testo, sizeof testo, "%g", *km);
      throw ErroreUso(std::string(nome) +
                      " needs a chainage in kilometres, 0 or more, such as 190 or 12.5; got " + testo);
    }
  if ((o.da_km || o.a_km) && !o.svg)
    throw ErroreUso("--from and --to choose the stretch to draw: give --svg FILE too");
  if (o.da_km && o.a_km && *o.da_km >= *o.a_km)
    throw ErroreUso("--from must be below --to");
  if (o.scenari && (o.svg || o.elenco || o.linea))
    throw ErroreUso("--scenarios takes only --json and a FOLDER");
  return o;
}

std::string testo_aiuto() {
  return std::string("Usage: ").append(uso) + R"(
Reads the three packed files of a scenario, checks them against their
layouts and lists what they hold, in the order of the line.

  FOLDER        where the packed files are; default: the folder that holds
                this program (where crea_scenario writes them)
  ROUTE_TITLE   the route to inspect; default: every scenario of FOLDER
  TRAIN         the train to inspect; default: every train of the route

Files read from FOLDER:
  <ROUTE_TITLE>_linea.dat       packed line file (plan geometry); optional:
                                it is written only when the plan was built
  <ROUTE_TITLE>_<TRAIN>.sim     packed item file (stations, boards, header)
  <ROUTE_TITLE>_<TRAIN>.dat     packed track file (one record per 50 m cell)
The scenarios of a folder are found from these names: one for each item or
track file. A name is split after the longest route title that has a line
file in the folder; without one, after the route title its item file
holds; else at its first "_".

)" + piattaforma::elenco_opzioni(piattaforma::voci_di<opzioni>(tabella)) +
         R"(
Checks: file sizes (no byte past what the route allows is read), the
plan's entry types and finite coordinates, the header stamps 610 and 5121,
the identity codes recomputed from the train and route names, that those
names are the ones given, and that each value the simulator reads by kind
is one the builder writes: cell types 0 to 6 and 10 to 14, stop cells that
name a station row of class below 25, board cells that name a board row
of their own (80 downward), cab codes above 0, the cells before a warning
board numbered 1 to 4, and cab signalling of 4 or 9 codes (0 without a
stretch). Each fault names the file, the byte offset and the record or
cell, and says why. Faults are also summed up on standard error.

Exit status:
  0  every file passed its checks (a missing line file is only a note)
  1  a file could not be read (the item or track file is missing, or a
     folder, pipe, device or link stands at a packed file's name), the
     folder holds no scenario or cannot be listed, or the drawing could not
     be written (or something other than a regular file stands at FILE)
  2  a packed file failed a check; what could be decoded is still listed
  3  the command line was wrong (or --from lies beyond the line, or a
     ROUTE_TITLE or TRAIN holds a path separator, "..", a control character
     or one of < > : " | ? *)
  5  an unexpected fault of the program itself
)";
}

int ispeziona(piattaforma::Disco& disco, const elenca_cartella& elenca, const opzioni& o,
              const std::string& cartella, std::ostream& uscita, std::ostream& errori) {
  for (const auto& [nome, cosa] : {std::pair{o.linea, "route title"}, std::pair{o.treno, "train"}})
    if (nome && !scenario::difetto_nome(*nome).empty()) {
      errori << programma << ": the " << cosa << " \"" << scenario::nome_visibile(*nome)
             << "\" cannot be part of a packed file's name: " << scenario::difetto_nome(*nome)
             << " (see --help)\n";
      return ispezione_uso;
    }
  const bool svg_su_uscita = o.svg && *o.svg == standard;
  if (svg_su_uscita && (o.json || o.elenco)) {
    errori << programma << ": --svg - writes the drawing to standard output, which then holds "
           << "nothing else: leave out --json and --listing, or name a file (see --help)\n";
    return ispezione_uso;
  }
  // Which scenarios: the one named in full, else those the folder shows.
  std::vector<std::pair<std::string, std::string>> scelti;
  if (o.linea && o.treno) {
    scelti.push_back({*o.linea, *o.treno});
  } else {
    std::vector<std::string> nomi;
    try {
      nomi = elenca(cartella);
    } catch (const piattaforma::ErroreFile& e) {
      errori << programma << ": " << e.what() << "\n";
      if (o.json)
        stampa_json(uscita, {{"folder", cartella}, {"scenarios", json::array()}, {"error", e.what()}});
      return ispezione_errore_file;
    }
    if (o.scenari) return elenca_scenari(disco, nomi, o, cartella, uscita, errori);
    for (const scenario_trovato& s : trova_scenari(nomi, titolo_da_voci(disco, cartella)))
      if (!o.linea || s.linea == *o.linea) scelti.push_back({s.linea, s.treno});
    if (scelti.empty()) {
      const std::string motivo =
          "no packed scenario" + (o.linea ? " of route \"" + *o.linea + "\"" : std::string()) +
          " in " + cartella + " (no <route>_<train>.sim or .dat file; --scenarios lists them)";
      errori << programma << ": " << motivo << "\n";
      if (o.json)
        stampa_json(uscita, {{"folder", cartella}, {"scenarios", json::array()}, {"error", motivo}});
      return ispezione_errore_file;
    }
  }
  if (o.svg && scelti.size() > 1) {
    errori << programma << ": " << cartella << " holds " << scelti.size()
           << " scenarios; name the route and train of the one to draw:\n";
    for (const auto& [linea, treno] : scelti)
      errori << "  \"" << linea << "\" \"" << treno << "\"\n";
    return ispezione_uso;
  }

  // One scenario at a time: read, checked, written out as it is produced,
  // then let go of.
  std::vector<esame> esami;
  std::optional<ContenitoreJson> cartella_json, scenari_json;
  if (o.json && scelti.size() > 1) {
    cartella_json.emplace(uscita, true);
    cartella_json->membro("folder", cartella);
    cartella_json->membro_aperto("scenarios");
    scenari_json.emplace(uscita, false, cartella_json->livello_interno());
  }
  for (size_t i = 0; i < scelti.size(); ++i) {
    esami.push_back(esamina(disco, o, cartella, scelti[i].first, scelti[i].second, uscita, errori));
    esame& e = esami.back();
    if (o.json) {
      if (scenari_json) scenari_json->elemento_aperto();
      scrivi_json_esame(uscita, e, cartella, scenari_json ? scenari_json->livello_interno() : 0);
    } else {
      if (scelti.size() > 1)
        (svg_su_uscita ? errori : uscita) << (i == 0 ? "" : "\n") << "Scenario " << i + 1 << " of " << scelti.size() << ": route \""
               << testo_visibile(e.p.linea) << "\", train \"" << testo_visibile(e.p.treno) << "\"\n\n";
      // With the drawing on standard output, the files and checks go to standard error.
      scrivi_testo_esame(svg_su_uscita ? errori : uscita, e, o, cartella);
    }
    alleggerisci(e);
  }
  scenari_json.reset();
  cartella_json.reset();
  if (o.json) uscita << "\n";
  uscita.flush();
  for (const esame& e : esami) riassumi(e, o, errori);
  return stato_di(esami);
}

}  // namespace ispettore
