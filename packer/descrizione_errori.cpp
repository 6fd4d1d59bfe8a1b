#include "packer/descrizione_errori.h"

#include "packer/modello.h"

namespace scenario {

std::string descrizione_errore(int32_t codice) {
  switch (codice) {
    case errore::nessuno: return "no error";
    case errore::lunghezza:
      return "line source: route length above 1000000 m, or so far below 0 that no track is left";
    case errore::progressiva: return "line source: a chainage reference is not a multiple of 50 m";
    case errore::inizio_codici: return "line source: first cab-signalling chainage not a multiple of 50 m";
    case errore::fine_codici: return "line source: last cab-signalling chainage not a multiple of 50 m";
    case errore::sistema_codici: return "line source: cab-signalling keyword names neither 4 nor 9 codes";
    case errore::cartello_occupato: return "line source: direction board on a cell already taken";
    case errore::codice_occupato: return "train source: cab-code point on a cell already taken";
    case errore::stazione_posizione: return "train source: station chainage not a multiple of 50 m";
    case errore::stazione_lunghezza: return "train source: station length not a multiple of 100 m";
    case errore::troppe_stazioni: return "train source: more stations than the item table holds";
    case errore::segnale_senza_codice:
      return "cab codes: a signal before a slowdown warning board has no room for a code cell";
    case errore::gruppo_avvicinamento:
      return "cab codes: no free cell for an approach code before a slowdown";
    case errore::codice_periodico:
      return "cab codes: no free cell for a code inside a slowdown or before the signal after it";
    case errore::fuori_celle:
      return "a record reaches outside the line (too close to or beyond its end, before its "
             "start), or there are more mountain zones or direction boards than the tables hold";
    case errore::segnale_occupato: return "train source: signal on a cell already taken";
    case errore::avviso_occupato: return "train source: slowdown warning board on a cell already taken";
    case errore::inizio_occupato: return "train source: slowdown start on a cell already taken";
    case errore::fine_occupato: return "train source: slowdown end on a cell already taken";
    case errore::prima_avviso_occupata:
      return "train source: a cell before a slowdown warning board is already taken";
    case errore::indicatori_occupato: return "line source: speed indicator boards on a cell already taken";
    case errore::stazioni_vicine:
      return "train source: station area begins less than 350 m after the previous one ends";
    case errore::fermata_troppo_presto: return "train source: station stop point at or before cell 1";
    case errore::lettura:
      return "a source file could not be read (missing file, field past the end, or a value "
             "that does not fit its field)";
    case errore::manca_linea: return "the line source file does not exist";
    case errore::manca_generale: return "line source: no [generale] section";
    case errore::curva:
      return "line source: curve keyword without a class digit 1 to 6, or the plan passes 1000000 m";
    default: return "unknown error";
  }
}

bool errore_con_posizione(int32_t codice) {
  switch (codice) {
    case errore::cartello_occupato:
    case errore::codice_occupato:
    case errore::stazione_posizione:
    case errore::stazione_lunghezza:
    case errore::segnale_senza_codice:
    case errore::gruppo_avvicinamento:
    case errore::codice_periodico:
    case errore::fuori_celle:
    case errore::segnale_occupato:
    case errore::avviso_occupato:
    case errore::inizio_occupato:
    case errore::fine_occupato:
    case errore::prima_avviso_occupata:
    case errore::indicatori_occupato:
    case errore::stazioni_vicine:
      return true;
    default:
      return false;
  }
}

}  // namespace scenario
