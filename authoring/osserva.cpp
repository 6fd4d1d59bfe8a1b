#include "authoring/osserva.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <thread>
#include <utility>
#include <vector>

#include "authoring/impacchetta.h"
#include "model/identita.h"
#include "platform/cartella_programma.h"
#include "platform/cartella_scrittura.h"
#include "platform/errore_file.h"

namespace autore {
namespace {

// The text with its first letter in capitals, to open the notice.
std::string maiuscola(std::string t) {
  if (!t.empty() && t[0] >= 'a' && t[0] <= 'z') t[0] = static_cast<char>(t[0] - 'a' + 'A');
  return t;
}

// Rounds in a row that find a source missing before the loop says so: a
// save by rename leaves it missing for a moment only.
constexpr int giri_prima_di_dirlo = 4;

// "1 error", "2 errors".
std::string quanti(int n, const char* cosa) {
  return std::to_string(n) + " " + cosa + (n == 1 ? "" : "s");
}

// What a status means, for the page and the signal line.
std::string senso(int stato) {
  switch (stato) {
    case riuscito: return "packed without errors";
    case avvisi_severi: return "packed, with warnings (--strict: nothing written)";
    case errore_dati: return "the sources have errors";
    case senza_celle: return "the line source gives no route length: nothing could be packed";
    case errore_testata: return "a header slot is taken: nothing could be packed";
    default: return "the sources could not be packed (status " + std::to_string(stato) + ")";
  }
}

}  // namespace

Osservatore::Osservatore(piattaforma::Disco& disco, const opzioni& o, std::ostream& uscita,
                         std::ostream& errori, std::function<std::string()> ora)
    : disco_(disco), o_(o), uscita_(uscita), errori_(errori), ora_(std::move(ora)) {}

Osservatore::esito Osservatore::giro(bool sempre) {
  if (o_.osserva) {
    // Both sources as they stand, compared with those last packed.
    std::pair<std::string, std::string> letti;
    try {
      for (auto [percorso, byte] : {std::pair{&o_.sorgente_linea, &letti.first},
                                    std::pair{&o_.sorgente_treno, &letti.second}}) {
        if (!disco_.esiste(*percorso))
          throw piattaforma::ErroreFile(*percorso, "read", "there is no such file");
        *byte = disco_.leggi(*percorso);
      }
    } catch (const piattaforma::ErroreFile& e) {
      // Missing for a moment while an editor saves: waited for, and said
      // once when it lasts (at once before the first packing).
      if (++mancanti_ == (giro_ == 0 ? 1 : giri_prima_di_dirlo))
        errori_ << programma << ": " << e.what() << "; waiting for it\n" << std::flush;
      return esito::mancante;
    }
    if (mancanti_ >= (giro_ == 0 ? 1 : giri_prima_di_dirlo))
      errori_ << programma << ": both sources are there again\n";
    mancanti_ = 0;
    if (!sempre && visti_ == letti) return esito::invariato;
    visti_ = std::move(letti);
    ++giro_;
    quando_ = "round " + std::to_string(giro_) + ", " + ora_();
    errori_ << "\n" << programma << ": " << quando_ << ": packing"
            << (giro_ > 1 ? " what was saved" : "") << "\n";
  } else {
    ++giro_;
    quando_ = ora_();
  }
  std::optional<std::string> disegno;
  stato_ = impacchetta_sorgenti(disco_, o_, uscita_, errori_, o_.svg ? &disegno : nullptr);
  if (o_.svg) disegna(disegno, stato_);
  else if (o_.osserva)
    uscita_ << "round " << giro_ << ": status " << stato_ << ", " << senso(stato_) << "\n";
  uscita_.flush();
  errori_.flush();
  return esito::impacchettato;
}

void Osservatore::disegna(const std::optional<std::string>& disegno, int stato) {
  const std::string& quando = quando_;
  const bool buono = disegno && (stato == riuscito || stato == avvisi_severi);
  std::string svg;
  std::string detto;  // what the signal line says of the drawing
  const std::string come = "The terminal lists why; fix the sources and save to redraw";
  if (buono) {
    svg = *disegno;
    buono_ = *disegno;
    quando_buono_ = quando;
  } else if (buono_ && o_.osserva) {
    svg = con_avviso(*buono_,
                     maiuscola(senso(stato)) + " (" + quando + "): this is the drawing of " +
                         quando_buono_ + ", the last without errors",
                     come);
    detto = " (the last drawing without errors, of " + quando_buono_ + ", with a notice)";
  } else if (disegno) {
    svg = con_avviso(*disegno,
                     maiuscola(senso(stato)) + " (" + quando +
                         "): drawn from what was packed of them",
                     come);
    detto = " (what was packed, with a notice that the sources have errors)";
  } else {
    svg = senza_disegno(maiuscola(senso(stato)) + " (" + quando + "): nothing to draw", come);
    detto = " (a notice only: nothing was packed)";
  }
  std::optional<pagina_disegno> p;
  if (o_.osserva) p = pagina_disegno{giro_, quando + ": " + senso(stato), !buono};

  // The drawing never replaces a source or a packed file.
  std::vector<std::string> intoccabili = {o_.sorgente_linea, o_.sorgente_treno};
  const identita id = identita_da(o_);
  const std::string cartella = o_.uscita ? *o_.uscita : cartella_di(o_.sorgente_linea);
  for (const std::string& nome : {scenario::nome_pacchetto_linea(id.linea),
                                  scenario::nome_pacchetto_voci(id.linea, id.treno),
                                  scenario::nome_pacchetto_celle(id.linea, id.treno)})
    intoccabili.push_back(piattaforma::unisci_percorso(cartella, nome));
  // The signal line: "round 2: status 0; drew FILE".
  const std::string testa =
      o_.osserva ? "round " + std::to_string(giro_) + ": status " + std::to_string(stato) + "; " : "";
  try {
    scrivi_disegno(disco_, *o_.svg, svg, p, svg, intoccabili, [&] {
      errori_ << piattaforma::testo_attesa(programma, piattaforma::cartella_di(*o_.svg)) << "\n";
    });
  } catch (const piattaforma::ErroreFile& e) {
    errori_ << programma << ": " << e.what() << "\n";
    if (stato_ == riuscito) stato_ = errore_file;
    uscita_ << testa << "could not draw " << *o_.svg << "\n";
    return;
  }
  mostrato_ = std::move(svg);
  pagina_ = p;
  uscita_ << testa << "drew " << *o_.svg << detto << "\n";
}

void Osservatore::fine() {
  errori_ << programma << ": stopped watching after " << quanti(giro_, "packing") << "\n";
  if (!o_.svg || !pagina_) return;
  pagina_disegno p = *pagina_;
  p.stato += "; the packer stopped watching at " + ora_();
  try {
    scrivi_disegno(disco_, *o_.svg, std::nullopt, p, mostrato_,
                   {o_.sorgente_linea, o_.sorgente_treno}, [] {});
  } catch (const piattaforma::ErroreFile& e) {
    errori_ << programma << ": " << e.what() << "\n";
  }
}

int osserva(Osservatore& o, const std::function<bool(bool& subito)>& attendi) {
  o.giro(true);
  bool subito = false;
  while (attendi(subito)) {
    o.giro(subito);
    subito = false;
  }
  o.fine();
  return o.stato();
}

namespace {

// Set by Ctrl-C (SIGINT), by the end of standard input, and by a line on it.
volatile std::sig_atomic_t interrotto = 0;
std::atomic<bool> ingresso_finito{false};
std::atomic<bool> chiesto{false};

void su_interruzione(int) { interrotto = 1; }

bool da_finire() { return interrotto != 0 || ingresso_finito.load(); }

}  // namespace

std::function<bool(bool& subito)> attesa_reale(std::chrono::milliseconds passo) {
  std::signal(SIGINT, su_interruzione);
  // Standard input is read by a thread of its own, which only sets flags:
  // a blocked read never holds up a round.
  std::thread([] {
    int c;
    while ((c = std::getchar()) != EOF)
      if (c == '\n') chiesto = true;
    ingresso_finito = true;
  }).detach();
  return [passo](bool& subito) {
    const auto fine = std::chrono::steady_clock::now() + passo;
    do {
      if (da_finire()) return false;
      if (chiesto.exchange(false)) {
        subito = true;
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < fine);
    return !da_finire();
  };
}

std::string ora_locale() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  char testo[16];
  std::strftime(testo, sizeof testo, "%H:%M:%S", &tm);
  return testo;
}

}  // namespace autore
