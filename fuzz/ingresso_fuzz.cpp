#include "fuzz/ingresso_fuzz.h"

#include <array>
#include <string>

#include "documents/genera_documenti.h"
#include "model/errori.h"
#include "model/identita.h"
#include "model/modello.h"
#include "packer/diagnosi.h"
#include "packer/impacchettatore.h"
#include "platform/cartella_programma.h"
#include "prova/disco_memoria.h"
#include "prova/sorgenti_prova.h"

namespace scenario {
namespace {

// The in-memory disk, except that a file the packer writes keeps only its
// first and last byte: nothing reads the packed files back, and copying a
// packed line file of up to 20 MB would cost more than packing it. The two
// bytes are still read, so a view of freed or foreign memory is caught.
class DiscoFuzz : public piattaforma::DiscoMemoria {
 public:
  void sostituisci(const std::string& percorso, std::string_view contenuto) override {
    std::string estremi;
    if (!contenuto.empty()) estremi = {contenuto.front(), contenuto.back()};
    DiscoMemoria::sostituisci(percorso, estremi);
  }
};

// Where the lines found go, so that finding them is not left out.
volatile size_t pozzo = 0;

// Where the standard library marks a vector's room past its end as out of
// bounds for AddressSanitizer (the fuzz build), a read past the cells is
// caught in a buffer kept from an earlier input as in a fresh one; there
// the models are kept and their buffers reused. A line the loader cannot
// measure takes the cells of the longest line, 20,001 of them: allocating
// and faulting them in anew for each input took much of a run's time.
#if defined(_GLIBCXX_SANITIZE_VECTOR) && defined(_GLIBCXX_SANITIZE_STD_ALLOCATOR)
constexpr bool buffer_tenuti = true;
#else
constexpr bool buffer_tenuti = false;
#endif

// The models of one input (0 and 1: the authors' two readings; 2: the
// build's), each equal to prova::modello_spedito() when an input starts.
std::array<modello, 3>& modelli() {
  static std::array<modello, 3> m = {prova::modello_spedito(), prova::modello_spedito(),
                                     prova::modello_spedito()};
  return m;
}

// Sets the models back to the shipped identity with nothing loaded as an
// input ends. Where buffer_tenuti, each keeps its cell buffer and its plan
// table's memory (cleared when the next plan is laid out, the bytes past
// its size out of bounds to AddressSanitizer as the cells' are), and takes
// everything else afresh: what an input allocated is freed with it but for
// those two, so libFuzzer counts no more allocations than releases and
// does not run the input again to look for a leak.
struct ModelliDaCapo {
  ModelliDaCapo() = default;
  ModelliDaCapo(const ModelliDaCapo&) = delete;
  ModelliDaCapo& operator=(const ModelliDaCapo&) = delete;
  ~ModelliDaCapo() {
    static const modello spedito = prova::modello_spedito();
    for (modello& m : modelli()) {
      modello nuovo = spedito;
      if (buffer_tenuti) {
        nuovo.celle = std::move(m.celle);
        nuovo.celle.clear();
        nuovo.planimetria = std::move(m.planimetria);
        nuovo.planimetria.svuota();
      }
      m = std::move(nuovo);
    }
  }
};

// How a packing ended, as esegui_ingresso_fuzz reports it (see
// ingresso_fuzz.h): `impacchetta` runs the packer on m.
template <class Impacchetta>
int32_t esito_di(modello& m, Impacchetta&& impacchetta) {
  try {
    impacchetta();
  } catch (const ErroreFatale& e) {
    return e.numero();
  } catch (const ModelloSenzaCelle&) {
    return m.codice_errore != 0 ? m.codice_errore : -1;
  }
  return m.codice_errore;
}

// An input laid out on the in-memory disk: the sources in `cartella`
// under the names of the shipped scenario, and the flag byte's j.
struct ingresso_su_disco {
  DiscoFuzz disco;
  std::string cartella = "scenario";
  int32_t j = 0;
  bool vuoto = true;
};

// Lays the input out on i's disk under m's names (layout in
// ingresso_fuzz.h); an empty input leaves i.vuoto set and the disk empty.
void disponi(ingresso_su_disco& i, std::string_view ingresso, const modello& m) {
  if (ingresso.empty()) return;
  i.vuoto = false;
  const auto flag = static_cast<unsigned char>(ingresso[0]);
  const std::string_view sorgenti = ingresso.substr(1);
  const auto separa = sorgenti.find('\0');
  if ((flag & 2) == 0)
    i.disco.file[piattaforma::unisci_percorso(i.cartella, nome_sorgente_linea(m.linea))] =
        std::string(sorgenti.substr(0, separa));
  if (separa != std::string_view::npos)
    i.disco.file[piattaforma::unisci_percorso(i.cartella, nome_sorgente_treno(m.linea, m.treno))] =
        std::string(sorgenti.substr(separa + 1));
  i.j = (flag & 1) != 0 ? 1 : 0;
}

// Every place `d` tells, turned into a line and column as the report does.
size_t righe_dette(const diagnosi& d) {
  size_t righe = 0;
  for (const avviso& a : d.avvisi()) {
    righe += d.posto(a.dove).riga;
    for (const nota& n : a.note) righe += d.posto(n.dove).riga;
  }
  for (const errore_registrato& e : d.errori()) {
    if (e.dove) righe += d.posto(*e.dove).riga;
    for (const nota& n : e.note) righe += d.posto(n.dove).riga;
  }
  for (const omissione& o : d.omissioni()) righe += d.posto(o.primo).riga;
  return righe;
}

}  // namespace

bool esito_ammesso(int32_t esito) {
  return esito == -1 || esito == errore_marche || esito == errore_codici_gara || ha_voce(esito);
}

int32_t esegui_ingresso_fuzz(std::string_view ingresso) {
  const ModelliDaCapo da_capo;
  modello& m = modelli()[2];
  ingresso_su_disco i;
  disponi(i, ingresso, m);
  if (i.vuoto) return 0;
  return esito_di(m, [&] { memorizza_percorso(m, i.disco, i.cartella, i.j); });
}

int32_t esegui_lettura_autore_fuzz(std::string_view ingresso) {
  const ModelliDaCapo da_capo;
  ingresso_su_disco i;
  disponi(i, ingresso, modelli()[0]);
  if (i.vuoto) return 0;
  const std::string linea = piattaforma::unisci_percorso(i.cartella, nome_sorgente_linea(modelli()[0].linea));
  if (!i.disco.esiste(linea)) {
    // The authors' packer stops at a missing source; the packer's own
    // outcome is the one to check.
    modello& p = modelli()[2];
    return esito_di(p, [&] { memorizza_percorso(p, i.disco, i.cartella, i.j); });
  }
  // Model 0 for the first reading, model 1 for the one past every stop.
  const auto leggi = [&](modello& m, diagnosi& d, bool fino_in_fondo) {
    carica_sorgenti(m, i.disco,
                    {linea, piattaforma::unisci_percorso(i.cartella, nome_sorgente_treno(m.linea, m.treno)),
                     false, &d, fino_in_fondo},
                    i.j);
  };

  modello& m = modelli()[0];
  diagnosi d;
  leggi(m, d, false);
  const bool fermato = d.fermato(sorgente::linea) || d.fermato(sorgente::treno);
  // The documents, from the model as the loader left it, then the packer's
  // second half with the cab-code pass traced to its records.
  const documenti::documenti_generati fatti = documenti::genera_documenti(m, {});
  pozzo = pozzo + fatti.scheda.size() + fatti.rallentamenti.size() + fatti.note.size();
  const int32_t esito = esito_di(m, [&] { impacchetta(m, i.disco, i.cartella, &d); });
  pozzo = pozzo + righe_dette(d);

  if (fermato) {
    diagnosi oltre(/*solo_dopo_arresto=*/true);
    leggi(modelli()[1], oltre, true);
    pozzo = pozzo + righe_dette(oltre);
  }
  return esito;
}

}  // namespace scenario
