#include "authoring/riga_comando.h"

#include <string_view>

#include "authoring/impacchetta.h"
#include "platform/opzioni.h"

namespace autore {
namespace {

constexpr std::string_view coda_linea = "_linea.txt";
constexpr std::string_view coda_treno = "-.txt";

#ifdef _WIN32
constexpr const char* separatori = "/\\";
#else
constexpr const char* separatori = "/";
#endif

bool finisce_con(std::string_view s, std::string_view coda) {
  return s.size() >= coda.size() && s.substr(s.size() - coda.size()) == coda;
}

// The options, as the reader takes them and --help lists them.
const piattaforma::opzione<opzioni> tabella[] = {
    {"-o", "--output", "FOLDER", "write the packed files into FOLDER (made when missing)",
     &opzioni::uscita},
    {"", "--route", "TITLE", "the route title, when LINE_SOURCE is named otherwise", &opzioni::linea},
    {"", "--train", "NAME", "the train designation, when TRAIN_SOURCE is named otherwise",
     &opzioni::treno},
    {"", "--no-plan", "", "pack without the plan geometry: no packed line file",
     &opzioni::senza_piano},
    {"", "--check", "", "read and report only; write nothing", &opzioni::controllo},
    {"", "--documents", "",
     "also write the driver's documents (train sheet, slowdown order form, notes draft) beside the "
     "packed files; with --check, only them",
     &opzioni::documenti},
    {"", "--document-values", "FILE",
     "what the documents show that the sources do not hold (classification, mass, locomotive, "
     "speed category, stretches worked both ways), read from FILE",
     &opzioni::valori_documenti},
    {"", "--strict", "", "a warning fails the run (status 6): nothing is written", &opzioni::severo},
    {"", "--from-utf8", "",
     "the sources are saved as UTF-8: convert them to Windows-1252 while reading (the files stay "
     "as they are)",
     &opzioni::da_utf8},
    {"", "--json", "",
     "print the whole report (diagnostics, counts, messages, files written, exit status) as one "
     "JSON document on standard output, whatever the status, instead of as lines on standard "
     "error",
     &opzioni::json},
    {"", "--svg", "FILE",
     "draw what was packed into FILE, one SVG as ispeziona_scenario --svg draws the packed files, "
     "each feature's title naming the source line it comes from (FILE:LINE); with --check, what "
     "would have been packed",
     &opzioni::svg},
    {"", "--watch", "",
     "stay running: pack and report again whenever either source is saved, and with --svg redraw "
     "FILE and keep FILE.html beside it, a page that shows the drawing and reloads it by itself "
     "(with FILE.js, the signal it reloads on); "
     "Enter packs at once; ends at the end of standard input (Ctrl-D, or Ctrl-Z and Enter on "
     "Windows) or with Ctrl-C",
     &opzioni::osserva},
    {"", "--starting-point", "FOLDER",
     "write the shipped scenario's two sources into FOLDER (created when missing, never over "
     "existing sources)",
     &opzioni::punto_di_partenza},
    {"", "--reference", "",
     "print the field reference: with a RECORD after it (stazione, segnale, curvad ...) that "
     "record's fields, alone the list of records; nothing is read or written",
     &opzioni::riferimento},
    {"-h", "--help", "", "print this text", &opzioni::aiuto},
    {"", "--version", "", "print the version", &opzioni::versione},
};

constexpr std::string_view uso =
    "impacchetta_scenario [OPTIONS] LINE_SOURCE TRAIN_SOURCE\n"
    "       impacchetta_scenario --watch [--svg FILE] [OPTIONS] LINE_SOURCE TRAIN_SOURCE\n"
    "       impacchetta_scenario --starting-point FOLDER\n"
    "       impacchetta_scenario --reference [RECORD]\n";

}  // namespace

opzioni leggi_opzioni(const std::vector<std::string>& argomenti) {
  opzioni o;
  const std::vector<std::string> posizionali =
      piattaforma::leggi_opzioni<opzioni>(tabella, argomenti, o);
  if (o.aiuto || o.versione) return o;
  if (o.riferimento) {
    for (const std::string& p : posizionali) o.record += (o.record.empty() ? "" : " ") + p;
    return o;
  }
  if (o.punto_di_partenza) {
    if (!posizionali.empty())
      throw ErroreUso("--starting-point takes no sources: it writes them");
    if (o.svg || o.osserva)
      throw ErroreUso("--starting-point only writes the sources: leave out --svg and --watch");
    return o;
  }
  if (o.valori_documenti && !o.documenti)
    throw ErroreUso("--document-values is read only for the documents: give --documents too");
  if (o.osserva && o.json)
    throw ErroreUso("--watch reports to a person, round after round: leave out --json");
  if (o.svg && *o.svg == "-")
    throw ErroreUso("--svg needs a file name (the drawing is not written to standard output)");
  if (posizionali.size() != 2)
    throw ErroreUso(posizionali.size() < 2 ? "give the line source and the train source"
                                           : "too many arguments: only LINE_SOURCE and TRAIN_SOURCE");
  o.sorgente_linea = posizionali[0];
  o.sorgente_treno = posizionali[1];
  return o;
}

std::string testo_aiuto() {
  return std::string("Usage: ").append(uso) + R"(
Packs a scenario's two source texts into the three packed files that the
simulator loads, exactly as crea_scenario packs its own. The sources are
only read, never changed; the packed files are replaced whole.

  LINE_SOURCE   the line source, named <ROUTE>_linea.txt
  TRAIN_SOURCE  the train source, named <ROUTE>_<TRAIN>-.txt

Files written (into the line source's folder unless -o says otherwise):
  <ROUTE>_linea.dat      packed line file (plan geometry; not with --no-plan)
  <ROUTE>_<TRAIN>.sim    packed item file
  <ROUTE>_<TRAIN>.dat    packed track file
With --documents, also (Windows-1252, CR LF, made from the packed data):
  <ROUTE>_<TRAIN>_scheda_treno.txt    train sheet
  <ROUTE>_<TRAIN>_rallentamenti.txt   slowdown order form
  <ROUTE>_<TRAIN>_note.txt            scenario notes, a draft to complete

)" + piattaforma::elenco_opzioni(piattaforma::voci_di<opzioni>(tabella)) +
         R"(
Each diagnostic is one line in the form compilers use, which editors follow
to the place, with note lines for the other records involved:
  FILE:LINE:COLUMN: error: meaning (chainage N m); what to do [code N]
  FILE:LINE:COLUMN: warning: what the loader will do, and the fix
  FILE:LINE:COLUMN: note: another record involved
Warnings never change what is packed. The whole source is checked in one
run: what is found after the loader stopped is marked so.

Exit status:
  0  packed (or checked) with no error in the data
  1  a file could not be read, written or created (the message names it),
     a --from-utf8 source is not UTF-8, an output is one of the sources or
     another output, or the --document-values file holds a record that
     cannot be taken (nothing written), or the drawing of --svg could not
     be written (the packed files are written first)
  2  the data holds an error; the packed files were written all the same
     (not with --check or --strict), the documents of --documents not
  3  the command line was wrong (nothing was read or written), --reference
     named no record, or " Errore n. 1250" / " Errore n. 1251": a header
     slot of the packed files was already taken (nothing was written)
  4  the line source gave no route length, so there is nothing to pack
  5  an unexpected fault of the program itself
  6  --strict and at least one warning: nothing was written
With --watch, each round reports as above and the program goes on; it
ends with the status of its last round (3 at once for a wrong command line
or sources whose names give no route title or train designation). A round
with errors leaves the drawing of the last round without errors, with a
notice over it that the sources have errors (or, before any such round,
draws what was packed, with that notice); a round that cannot pack at all
(status 1, 3 or 4) says so in the drawing the same way. A drawing that
cannot be written is reported, and the next round tries again.
)";
}

std::string testo_errore_uso(const std::string& messaggio) {
  return piattaforma::testo_errore_uso(programma, messaggio, uso);
}

std::string nome_di(const std::string& percorso) {
  const size_t s = percorso.find_last_of(separatori);
  return s == std::string::npos ? percorso : percorso.substr(s + 1);
}

std::string cartella_di(const std::string& percorso) {
  const size_t s = percorso.find_last_of(separatori);
  if (s == std::string::npos) return ".";
  if (s == 0) return percorso.substr(0, 1);
  return percorso.substr(0, s);
}

// Takes each value from its option, else from the file names.
identita identita_da(const opzioni& o) {
  const std::string nome_linea = nome_di(o.sorgente_linea);
  const std::string nome_treno = nome_di(o.sorgente_treno);
  identita id;
  if (o.linea) {
    id.linea = *o.linea;
  } else {
    if (!finisce_con(nome_linea, coda_linea) || nome_linea.size() == coda_linea.size())
      throw ErroreUso("cannot tell the route title from the line source's name \"" + nome_linea +
                      "\" (expected ROUTE_linea.txt): give it with --route");
    id.linea = nome_linea.substr(0, nome_linea.size() - coda_linea.size());
  }
  if (o.treno) {
    id.treno = *o.treno;
    return id;
  }
  const std::string testa = id.linea + "_";
  if (finisce_con(nome_treno, coda_treno) && nome_treno.compare(0, testa.size(), testa) != 0)
    throw ErroreUso("the two sources are not a pair: the line source is for route \"" + id.linea +
                    "\" but the train source's name \"" + nome_treno + "\" does not begin with \"" +
                    testa + "\" (give --route and --train to pack them all the same)");
  if (!finisce_con(nome_treno, coda_treno) ||
      nome_treno.size() <= testa.size() + coda_treno.size())
    throw ErroreUso("cannot tell the train designation from the train source's name \"" +
                    nome_treno + "\" (expected " + testa + "TRAIN-.txt): give it with --train");
  id.treno = nome_treno.substr(testa.size(), nome_treno.size() - testa.size() - coda_treno.size());
  return id;
}

}  // namespace autore
