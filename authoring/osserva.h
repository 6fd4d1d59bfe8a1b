#pragma once
// The edit loop of impacchetta_scenario --watch: whenever either source is
// saved, pack, report and redraw, so that an author keeps the drawing open
// in a browser while editing. One round (have the sources changed? then
// pack, report, redraw) is apart from the waiting between rounds, so that
// the rounds are tested in memory, one after the other, without a clock.
//
// A save is seen by content: each round reads both sources and compares
// their bytes with those of the last packing, so a save in place, a save by
// rename over the old file (as editors do), and two saves within one tick
// of the file system's clock are all seen, on every system. A source
// briefly missing (between an editor's delete and rename) is waited for;
// the loop never ends because of it.

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "authoring/disegno_sorgenti.h"
#include "authoring/riga_comando.h"
#include "platform/disco.h"

namespace autore {

class Osservatore {
 public:
  // Packs the sources of `o` on `disco`; reports on `uscita` and `errori`
  // as one run does. With o.svg the drawing goes there (with o.osserva the
  // page and its signal beside it too). `ora` gives the local time of day
  // printed with each round ("14:05:09").
  Osservatore(piattaforma::Disco& disco, const opzioni& o, std::ostream& uscita,
              std::ostream& errori, std::function<std::string()> ora);

  // What one round did.
  enum class esito { invariato, mancante, impacchettato };

  // One round: reads both sources; when either differs from what the last
  // round packed (or `sempre`), packs, reports and redraws, then prints
  // the signal line on `uscita` ("drew FILE: …", or "packed: …" without
  // --svg). A source that is missing or cannot be read is waited for, said
  // once on `errori`. Throws ErroreUso as impacchetta_sorgenti does.
  esito giro(bool sempre = false);

  // The status of the last packing (with a drawing that could not be
  // written, 1 when it was 0); 0 before any.
  int stato() const { return stato_; }

  // Tells the page that the loop has ended (its signal, when there is a
  // drawing), and says so on `errori`.
  void fine();

 private:
  void disegna(const std::optional<std::string>& disegno, int stato);

  piattaforma::Disco& disco_;
  const opzioni& o_;
  std::ostream& uscita_;
  std::ostream& errori_;
  std::function<std::string()> ora_;
  std::optional<std::pair<std::string, std::string>> visti_;  // the sources last packed
  int mancanti_ = 0;              // rounds in a row that found a source missing
  int giro_ = 0;                  // rounds that packed
  std::string quando_;            // "round 3, 14:05:09": the round packing now
  int stato_ = 0;
  std::optional<std::string> buono_;  // the last drawing of sources without errors
  std::string quando_buono_;          // "round 3, 14:05:09"
  std::string mostrato_;              // the drawing the page shows
  std::optional<pagina_disegno> pagina_;  // what the page was last told
};

// The loop: a round, then `attendi` until it returns false (time to end),
// a round after each wait; it packs at once when `attendi` sets its
// argument. Returns the status of the last packing.
int osserva(Osservatore& o, const std::function<bool(bool& subito)>& attendi);

// The waiting of the real program: returns after `passo`, false once
// standard input has ended or Ctrl-C (SIGINT) was pressed; a line on
// standard input (Enter) asks for a packing at once.
std::function<bool(bool& subito)> attesa_reale(std::chrono::milliseconds passo);

// The local time of day, "14:05:09".
std::string ora_locale();

}  // namespace autore
