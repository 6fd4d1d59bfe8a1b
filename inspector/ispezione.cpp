#include "inspector/ispezione.h"

#include <algorithm>
#include <optional>

#include <nlohmann/json.hpp>

#include "inspector/disegno.h"
#include "inspector/elenco.h"
#include "inspector/verifiche.h"
#include "model/identita.h"
#include "platform/cartella_programma.h"
#include "platform/errore_file.h"

namespace ispettore {
namespace {

constexpr const char* programma = "ispeziona_scenario";

// Reads a file that must be there. Returns nothing, after saying why on
// `errori`, when it is missing or cannot be read.
std::optional<std::string> leggi_file(piattaforma::Disco& disco, const std::string& percorso,
                                      std::ostream& errori) {
  try {
    if (!disco.esiste(percorso)) {
      errori << programma << ": " << percorso << ": no such file\n";
      return std::nullopt;
    }
    return disco.leggi(percorso);
  } catch (const piattaforma::ErroreFile& e) {
    errori << programma << ": " << e.what() << "\n";
    return std::nullopt;
  }
}

// The files section of the text listing.
std::string testo_file(const pacchetti& p, const std::string& cartella) {
  std::string t = "Folder " + cartella + "\n";
  auto riga = [&](const std::string& nome, const std::optional<std::string>& byte, const char* cosa) {
    const size_t larghezza = std::max({p.nome_linea.size(), p.nome_voci.size(), p.nome_celle.size()});
    const std::string dimensione = byte ? std::to_string(byte->size()) + " bytes" : "missing";
    t += "  " + nome + std::string(larghezza - nome.size(), ' ') + "  " +
         std::string(dimensione.size() < 14 ? 14 - dimensione.size() : 0, ' ') + dimensione + "  " +
         cosa + "\n";
  };
  riga(p.nome_linea, p.byte_linea, "packed line file: plan geometry");
  riga(p.nome_voci, p.byte_voci, "packed item file: stations, board texts, header");
  riga(p.nome_celle, p.byte_celle, "packed track file: one record per 50 m cell");
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
nlohmann::ordered_json json_verifiche(const pacchetti& p, const scenario_letto& s,
                                      const std::string& cartella) {
  using json = nlohmann::ordered_json;
  auto file = [](const std::string& nome, const std::optional<std::string>& byte) {
    return json{{"name", nome},
                {"present", byte.has_value()},
                {"bytes", byte ? json(byte->size()) : json()}};
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
           {{"line", file(p.nome_linea, p.byte_linea)},
            {"items", file(p.nome_voci, p.byte_voci)},
            {"track", file(p.nome_celle, p.byte_celle)}}},
          {"checks", {{"passed", s.difetti.empty()}, {"faults", difetti}, {"notes", s.note}}}};
}

}  // namespace

opzioni leggi_opzioni(const std::vector<std::string>& argomenti) {
  opzioni o;
  std::vector<std::string> posizionali;
  bool solo_posizionali = false;
  for (size_t i = 0; i < argomenti.size(); ++i) {
    const std::string& a = argomenti[i];
    if (solo_posizionali || a.empty() || a[0] != '-' || a == "-") {
      posizionali.push_back(a);
    } else if (a == "--") {
      solo_posizionali = true;
    } else if (a == "--help" || a == "-h") {
      o.aiuto = true;
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "--svg") {
      if (i + 1 >= argomenti.size()) throw ErroreUso("--svg needs a file name");
      o.svg = argomenti[++i];
    } else if (a.rfind("--svg=", 0) == 0 && a.size() > 6) {
      o.svg = a.substr(6);
    } else {
      throw ErroreUso("unknown option " + a);
    }
  }
  if (posizionali.size() > 3)
    throw ErroreUso("too many arguments: at most FOLDER, ROUTE_TITLE and TRAIN");
  if (posizionali.size() > 0) o.cartella = posizionali[0];
  if (posizionali.size() > 1) o.linea = posizionali[1];
  if (posizionali.size() > 2) o.treno = posizionali[2];
  return o;
}

std::string testo_aiuto() {
  return std::string(R"(Usage: ispeziona_scenario [--json] [--svg FILE] [FOLDER [ROUTE_TITLE [TRAIN]]]

Reads the three packed files of a scenario, checks them against their
layouts and lists what they hold, in the order of the line.

  FOLDER        where the packed files are; default: the folder that holds
                this program (where crea_scenario writes them)
  ROUTE_TITLE   default ")") + scenario::linea_scenario + R"("
  TRAIN         default ")" + scenario::treno_scenario + R"("

Files read from FOLDER:
  <ROUTE_TITLE>_linea.dat       packed line file (plan geometry); optional:
                                it is written only when the plan was built
  <ROUTE_TITLE>_<TRAIN>.sim     packed item file (stations, boards, header)
  <ROUTE_TITLE>_<TRAIN>.dat     packed track file (one record per 50 m cell)

Options:
  --json        print the listing as one JSON document instead of text
  --svg FILE    also draw the line: plan view, then speed limit, gradient and
                adhesion along the chainage with stations, signals and cab
                codes marked and kilometre readings on the axis
  --help        print this text

Checks: file sizes, the plan's entry types, the header stamps 610 and 5121,
the identity codes recomputed from the train and route names, and that those
names are the ones given. Each fault names the file, the byte offset and the
record, and says why. Faults are also summed up on standard error.

Exit status:
  0  every file passed its checks (a missing line file is only a note)
  1  a file could not be read (the item or track file is missing) or the
     drawing could not be written
  2  a packed file failed a check; what could be decoded is still listed
  3  the command line was wrong
  5  an unexpected fault of the program itself
)";
}

int ispeziona(piattaforma::Disco& disco, const opzioni& o, const std::string& cartella,
              std::ostream& uscita, std::ostream& errori) {
  pacchetti p;
  p.linea = o.linea;
  p.treno = o.treno;
  p.nome_linea = scenario::nome_pacchetto_linea(o.linea);
  p.nome_voci = scenario::nome_pacchetto_voci(o.linea, o.treno);
  p.nome_celle = scenario::nome_pacchetto_celle(o.linea, o.treno);
  const std::string percorso_linea = piattaforma::unisci_percorso(cartella, p.nome_linea);

  try {
    if (disco.esiste(percorso_linea)) p.byte_linea = disco.leggi(percorso_linea);
  } catch (const piattaforma::ErroreFile& e) {
    errori << programma << ": " << e.what() << "\n";
    return ispezione_errore_file;
  }
  auto voci = leggi_file(disco, piattaforma::unisci_percorso(cartella, p.nome_voci), errori);
  auto celle = leggi_file(disco, piattaforma::unisci_percorso(cartella, p.nome_celle), errori);
  if (!voci || !celle) return ispezione_errore_file;
  p.byte_voci = std::move(*voci);
  p.byte_celle = std::move(*celle);

  const scenario_letto s = verifica(p);
  std::optional<resoconto> r;
  if (s.con_voci) r = componi(s.m);

  // The drawing first, so that it is written even when the listing's
  // reader goes away early.
  bool disegno_fallito = false;
  if (o.svg && r) {
    try {
      disco.sostituisci(*o.svg, disegna_svg(*r, s.con_piano ? &s.piano : nullptr));
    } catch (const piattaforma::ErroreFile& e) {
      errori << programma << ": " << e.what() << "\n";
      disegno_fallito = true;
    }
  }

  if (o.json) {
    nlohmann::ordered_json documento = json_verifiche(p, s, cartella);
    if (r) {
      const nlohmann::ordered_json elenco = in_json(*r);
      for (const auto& [chiave, valore] : elenco.items()) documento[chiave] = valore;
    }
    // Folder and file names come from the command line and may not be
    // UTF-8: replace what is not, rather than fail.
    uscita << documento.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
  } else {
    uscita << testo_file(p, cartella) << testo_verifiche(s);
    if (r) uscita << "\n" << in_testo(*r);
  }
  uscita.flush();

  for (const std::string& nota : s.note) errori << programma << ": note: " << nota << "\n";
  if (!s.difetti.empty())
    errori << programma << ": " << s.difetti.size() << " fault"
           << (s.difetti.size() == 1 ? "" : "s") << " in the packed files; the first: "
           << descrivi(s.difetti.front()) << "\n";
  if (o.svg && !r) errori << programma << ": no drawing: the item file could not be decoded\n";
  if (disegno_fallito) return ispezione_errore_file;
  return s.difetti.empty() ? ispezione_riuscita : ispezione_difetti;
}

}  // namespace ispettore
