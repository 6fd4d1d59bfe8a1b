#include "inspector/verifiche.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "inspector/lettore.h"
#include "model/identita.h"
#include "packer/campi.h"
#include "packer/formato.h"
#include "packer/pacchetti.h"
#include "platform/windows1252.h"

namespace ispettore {
namespace {

using scenario::variante;
using scenario::formato::byte_cella;
namespace campo_cella = scenario::formato::campo_cella;
namespace campo_voce = scenario::formato::campo_voce;

// Stamps the packer puts into the header slots.
constexpr int32_t timbro_voci = scenario::formato::marca_voci;
constexpr int32_t timbro_celle = scenario::formato::marca_celle;
// Where the header cell begins in the track file.
constexpr size_t inizio_testata = byte_cella * scenario::formato::cella_testata;

// Gathers the faults of one file.
class Registro {
 public:
  Registro(std::vector<difetto>& difetti, std::string file)
      : difetti_(difetti), file_(std::move(file)) {}

  // Records a fault at a byte offset.
  void a(size_t offset, std::string dove, std::string motivo) {
    difetti_.push_back({file_, offset, std::move(dove), std::move(motivo)});
  }
  // Records a fault of the file as a whole.
  void intero(std::string motivo) { difetti_.push_back({file_, std::nullopt, "", std::move(motivo)}); }

 private:
  std::vector<difetto>& difetti_;
  std::string file_;
};

// Faults of one kind: the first difetti_per_genere one by one, then only
// counted, and the count recorded when the object goes.
class Genere {
 public:
  Genere(Registro& r, std::string cosa) : r_(r), cosa_(std::move(cosa)) {}
  Genere(const Genere&) = delete;
  Genere& operator=(const Genere&) = delete;
  ~Genere() {
    if (n_ > difetti_per_genere)
      r_.intero("and " + std::to_string(n_ - difetti_per_genere) + " more " + cosa_);
  }

  // Records a fault at a byte offset, or only counts it. `testi()` gives
  // its place and its reason, as a pair of strings; it is called only for
  // a fault that is recorded, so a file faulty throughout costs no text
  // for the faults past those shown.
  template <class Testi>
  void a(size_t offset, Testi&& testi) {
    if (++n_ > difetti_per_genere) return;
    auto [dove, motivo] = testi();
    r_.a(offset, std::move(dove), std::move(motivo));
  }

 private:
  Registro& r_;
  std::string cosa_;
  size_t n_ = 0;
};

// The text, Windows-1252 bytes, shown in quotes for a message.
std::string tra_virgolette(const std::string& byte) {
  std::string t = "\"";
  t += testo_visibile(piattaforma::da_windows1252(byte));
  t += '"';
  return t;
}

// Checks the item file and decodes it into s.m.voci.
void verifica_voci(const pacchetti& p, scenario_letto& s) {
  if (!p.byte_voci) return;
  const std::string& byte = *p.byte_voci;
  Registro r(s.difetti, p.nome_voci);
  voci_lette letto;
  try {
    letto = leggi_voci(byte);
  } catch (const ErroreFormato& e) {
    r.a(e.offset(), e.dove(), e.motivo());
    return;
  }
  s.m.voci = letto.voci;
  s.inizio_voci = letto.inizio;
  s.con_voci = true;
  const uint64_t dimensione = dimensione_file(byte, p.dimensione_voci);
  if (letto.byte_usati < dimensione)
    r.a(letto.byte_usati, "after record 86",
        std::to_string(dimensione - letto.byte_usati) +
            " bytes follow the 87th record; the file should end there");

  const scenario::voce& testata = s.m.voci[scenario::riga_linea];
  const size_t inizio85 = letto.inizio[scenario::riga_linea];
  const size_t n85 = testata.nome.size();
  if (testata.dato1 != timbro_voci)
    r.a(inizio85 + campo_voce::dato1(n85), "record 85, dato1",
        "header stamp is " + std::to_string(testata.dato1) + ", expected " +
            std::to_string(timbro_voci));
  const int32_t st = scenario::codice_gara_st(s.m);
  if (testata.orario != st)
    r.a(inizio85 + campo_voce::orario(n85), "record 85, orario",
        "identity code is " + std::to_string(testata.orario) + ", expected " +
            std::to_string(st) + " from train " +
            tra_virgolette(s.m.voci[scenario::riga_codici].nome) + " and route " +
            tra_virgolette(testata.nome));

  // The names in records 85 and 86 are the ones the files are named by.
  struct nome_atteso { int riga; const std::string* nome; const char* cosa; };
  for (auto [riga, nome, cosa] : {nome_atteso{scenario::riga_linea, &p.linea, "route title"},
                                  nome_atteso{scenario::riga_codici, &p.treno, "train designation"}}) {
    const std::string& trovato = s.m.voci[static_cast<size_t>(riga)].nome;
    if (piattaforma::in_windows1252(*nome) != trovato)
      r.a(letto.inizio[static_cast<size_t>(riga)] + campo_voce::nome,
          "record " + std::to_string(riga) + ", nome",
          std::string(cosa) + " is " + tra_virgolette(trovato) + ", but the files are named for \"" +
              testo_visibile(*nome) + "\"");
  }

  const int32_t lunghezza = s.m.voci[scenario::riga_treno].fine;
  if (!lunghezza_dichiarata(s.m.voci))
    r.a(letto.inizio[scenario::riga_treno] + campo_voce::fine, "record 84, fine",
        "route length " + std::to_string(lunghezza) + " m is outside 0 to " +
            std::to_string(scenario::lunghezza_massima) +
            "; the sizes of the other files are not checked");
}

// Checks the track file and decodes it into s.m.celle. Requires s.con_voci
// for the size check.
void verifica_celle(const pacchetti& p, scenario_letto& s, std::optional<int32_t> lunghezza) {
  if (!p.byte_celle) return;
  const std::string& byte = *p.byte_celle;
  const uint64_t dimensione = dimensione_file(byte, p.dimensione_celle);
  Registro r(s.difetti, p.nome_celle);
  // No more cells than the route declares, or than the longest route has.
  const uint64_t attesi = byte_celle_attesi(lunghezza.value_or(scenario::lunghezza_massima));
  celle_lette letto = leggi_celle(byte, static_cast<size_t>(attesi / byte_cella));
  s.m.celle = std::move(letto.celle);
  s.con_celle = true;
  const uint64_t celle_attese = attesi / byte_cella;
  if (lunghezza) {
    if (dimensione != attesi) {
      std::string motivo = "the file is " + std::to_string(dimensione) + " bytes, expected " +
                           std::to_string(attesi) + " = 15 x " + std::to_string(celle_attese) +
                           " cells for a route of " + std::to_string(*lunghezza) + " m";
      if (dimensione < attesi)
        r.a(static_cast<size_t>(dimensione), "end of file", "truncated: " + motivo);
      else
        r.a(static_cast<size_t>(attesi), "after cell " + std::to_string(celle_attese - 1),
            "too long: " + motivo + "; the bytes after it are not read");
    }
  } else if (dimensione > attesi) {
    r.a(static_cast<size_t>(attesi), "after cell " + std::to_string(celle_attese - 1),
        "too long: the file is " + std::to_string(dimensione) + " bytes, more than the " +
            std::to_string(attesi) + " = 15 x " + std::to_string(celle_attese) +
            " cells of the longest route (" + std::to_string(scenario::lunghezza_massima) +
            " m); the bytes after them are not read");
  } else if (letto.byte_avanzati != 0) {
    r.a(byte.size() - letto.byte_avanzati, "end of file",
        "truncated: the last cell has only " + std::to_string(letto.byte_avanzati) +
            " of its 15 bytes");
  }
  if (s.m.celle.size() <= scenario::formato::cella_testata) {
    r.a(s.m.celle.size() * byte_cella, "cell 1", "the file ends before the header cell 1");
    return;
  }
  const scenario::cella& testata = s.m.celle[scenario::formato::cella_testata];
  if (testata.valore1 != timbro_celle)
    r.a(inizio_testata + campo_cella::valore1, "cell 1, valore1",
        "header stamp is " + std::to_string(testata.valore1) + ", expected " +
            std::to_string(timbro_celle));
  if (s.con_voci) {
    const int32_t og = scenario::codice_gara_og(s.m);
    if (testata.valore2 != og)
      r.a(inizio_testata + campo_cella::valore2, "cell 1, valore2",
          "identity code is " + std::to_string(testata.valore2) + ", expected " +
              std::to_string(og) + " from train " +
              tra_virgolette(s.m.voci[scenario::riga_codici].nome) + " and route " +
              tra_virgolette(s.m.voci[scenario::riga_linea].nome));
  }
}

// Where a fault of cell i lies, in words, with the source record and field
// that the packed field comes from when one does: "cell 12 at 600 m,
// valore1, from abbattimento code".
std::string in_cella(size_t i, const char* campo, std::string_view record = {},
                     std::string_view campo_record = {}) {
  std::string t = "cell " + std::to_string(i) + " at " + std::to_string(50 * uint64_t{i}) + " m, " + campo;
  if (!record.empty()) t += ", from " + std::string(record);
  if (!campo_record.empty()) t += " " + std::string(campo_record);
  return t;
}

// Checks the values that the simulator reads by kind against those the
// builder writes. Cell types need only the cells; the rows named by stop
// and board cells need the item records too.
void verifica_valori(const pacchetti& p, scenario_letto& s) {
  namespace tipo_cella = scenario::tipo_cella;
  if (s.con_voci) {
    // The loader writes 4 or 9 from the cab-signalling keyword, and 0 when
    // the stretch ends at chainage 0.
    Registro r(s.difetti, p.nome_voci);
    const scenario::voce& codici = s.m.voci[scenario::riga_codici];
    const bool ammesso = codici.fine == 0 ? codici.posizione == 0
                                          : codici.posizione == 4 || codici.posizione == 9;
    if (!ammesso)
      r.a(s.inizio_voci[scenario::riga_codici] + campo_voce::posizione,
          "record 86, posizione, from the name of " + std::string(scenario::campi::ripetizione_segnali.nome),
          "cab-signalling system " + std::to_string(codici.posizione) +
              (codici.fine == 0 ? ", expected 0 for a stretch that ends at 0"
                                : ", expected 4 or 9 (codes of the system)"));
  }
  if (!s.con_celle) return;

  Registro r(s.difetti, p.nome_celle);
  Genere tipi(r, "cells of an unknown type");
  Genere codici(r, "code cells with a code the builder never writes");
  Genere fermate(r, "stop cells that name no station with a stop");
  Genere cartelli(r, "board cells that name no board row");
  Genere avvisi(r, "cells before a warning board numbered outside 1 to 4");
  const righe_usate u = righe_della_tabella(s.m);
  std::vector<size_t> riga_presa(scenario::righe_voci + 1, 0);  // board row -> its cell + 1
  for (size_t i = 0; i < s.m.celle.size(); ++i) {
    const scenario::cella& c = s.m.celle[i];
    const size_t inizio = byte_cella * i;
    const size_t v1 = inizio + campo_cella::valore1;
    if (!tipo_cella_noto(c.tipo)) {
      tipi.a(inizio + campo_cella::tipo, [&] {
        return std::pair{in_cella(i, "tipo"), "cell type " + std::to_string(c.tipo) +
                                                  " is none the builder writes (0 to 6 and 10 to 14)"};
      });
      continue;
    }
    switch (c.tipo) {
      case tipo_cella::codice:
        // A code of 0 or less is written as a removal cell (type 13).
        if (c.valore1 <= 0)
          codici.a(v1, [&] {
            return std::pair{in_cella(i, "valore1", scenario::campi::abbattimento.nome,
                                      scenario::campi::campo::codice),
                             "cab code " + std::to_string(c.valore1) +
                                 " is not a code: the builder writes codes above 0"};
          });
        break;
      case tipo_cella::fermata: {
        const int riga = c.valore1;
        if (riga < 1 || riga > u.ultima_stazione)
          fermate.a(v1, [&] {
            return std::pair{in_cella(i, "valore1", scenario::campi::stazione.nome),
                             "stop cell names row " + std::to_string(riga) + ", which is no station row " +
                                 (u.ultima_stazione == 0
                                      ? std::string("(the item file holds no station)")
                                      : "(stations take rows 1 to " + std::to_string(u.ultima_stazione) + ")")};
          });
        else if (const uint8_t classe = s.m.voci[static_cast<size_t>(riga)].tipo; classe >= 25)
          fermate.a(v1, [&] {
            return std::pair{in_cella(i, "valore1", scenario::campi::stazione.nome),
                             "stop cell names row " + std::to_string(riga) + ", a station of class " +
                                 std::to_string(classe) +
                                 ", which has no stop cell (classes below 25 have one)"};
          });
        break;
      }
      case tipo_cella::cartello_indicatore: {
        const int riga = c.valore1;
        if (riga < u.primo_cartello || riga > scenario::riga_primo_cartello)
          cartelli.a(v1, [&] {
            return std::pair{in_cella(i, "valore1", scenario::campi::cartello_indicatore.nome),
                             "direction board names row " + std::to_string(riga) +
                                 ", which is no board row (the " +
                                 std::to_string(scenario::riga_primo_cartello + 1 - u.primo_cartello) +
                                 " board cells take rows " + std::to_string(u.primo_cartello) + " to " +
                                 std::to_string(scenario::riga_primo_cartello) + ")"};
          });
        else if (size_t& presa = riga_presa[static_cast<size_t>(riga)]; presa != 0)
          cartelli.a(v1, [&] {
            return std::pair{in_cella(i, "valore1", scenario::campi::cartello_indicatore.nome),
                             "direction board names row " + std::to_string(riga) +
                                 ", which the board at cell " + std::to_string(presa - 1) +
                                 " names too: each board has a row of its own"};
          });
        else
          presa = i + 1;
        break;
      }
      case tipo_cella::prima_avviso:
        if (c.valore1 < 1 || c.valore1 > 4)
          avvisi.a(v1, [&] {
            return std::pair{in_cella(i, "valore1", scenario::campi::rallentamento.nome,
                                      scenario::campi::campo::segnalini),
                             "cell before a warning board numbered " + std::to_string(c.valore1) +
                                 ", expected 1 to 4"};
          });
        break;
      default:
        break;
    }
  }
}

// The type code that row `riga` of a plan column of rows 0 to `ultima` holds.
uint16_t tipo_atteso(int64_t riga, int64_t ultima) {
  if (riga <= 1) return variante::intero;
  if (riga <= ultima - 2) return variante::doppio;
  return variante::vuota;
}

// True when a plan entry of row `riga` holds a finite coordinate within
// riga + 1 m of the start: rows 0 and 1 are (0, 0) and (0, 1), and every
// later row lies 1 m from the one before.
bool coordinata_sana(const variante& v, int64_t riga) {
  return std::isfinite(v.valore) && std::fabs(v.valore) <= static_cast<double>(riga + 1);
}

// A coordinate for a message: "nan", "inf", "-1e+300", "12.5".
std::string testo_coordinata(double v) {
  char t[32];
  std::snprintf(t, sizeof t, "%.17g", v);
  return t;
}

// Checks the packed line file and decodes it into s.piano.
void verifica_linea(const pacchetti& p, scenario_letto& s, std::optional<int32_t> lunghezza) {
  if (!p.byte_linea) {
    s.note.push_back("no packed line file " + p.nome_linea +
                     ": the scenario was packed without its plan geometry, so there is no plan view");
    return;
  }
  Registro r(s.difetti, p.nome_linea);
  const std::string& byte = *p.byte_linea;
  if (!lunghezza) {
    s.note.push_back(p.nome_linea + " not checked: the route length is unknown");
    return;
  }
  const int64_t ultima = static_cast<int64_t>(*lunghezza) + scenario::estensione;  // R
  const uint64_t attesi = byte_linea_attesi(*lunghezza);
  const uint64_t dimensione = dimensione_file(byte, p.dimensione_linea);
  if (dimensione != attesi)
    r.a(static_cast<size_t>(std::min(dimensione, attesi)),
        dimensione < attesi ? "end of file" : "after row R of column y",
        std::string(dimensione < attesi ? "truncated" : "too long") + ": the file is " +
            std::to_string(dimensione) + " bytes, expected 20 x " + std::to_string(ultima) +
            " - 36 = " + std::to_string(attesi) + " for a route of " +
            std::to_string(*lunghezza) + " m" +
            (dimensione > attesi ? "; the bytes after it are not read" : ""));

  // No entry past the 2 (R + 1) the route declares, and no byte past what
  // they can take.
  const size_t per_colonna = static_cast<size_t>(ultima + 1);
  std::vector<variante> voci;
  try {
    voci = leggi_piano(std::string_view(byte).substr(0, static_cast<size_t>(byte_linea_massimi(*lunghezza))),
                       2 * per_colonna);
  } catch (const ErroreFormato& e) {
    r.a(e.offset(), e.dove(), e.motivo());
    return;
  }
  bool coordinate_sane = true;
  {
    Genere sbagliati(r, "entries with a wrong type code");
    Genere fuori(r, "plan coordinates that are not finite or out of reach");
    size_t offset = 0;
    for (size_t i = 0; i < voci.size(); ++i) {
      const size_t colonna = i / per_colonna;
      const int64_t riga = static_cast<int64_t>(i % per_colonna);
      const uint16_t atteso = tipo_atteso(riga, ultima);
      auto dove = [&] {
        return std::string("column ") + (colonna == 0 ? "x" : "y") + ", row " + std::to_string(riga);
      };
      if (voci[i].tipo != atteso)
        sbagliati.a(offset, [&] {
          return std::pair{dove(), "type code " + std::to_string(voci[i].tipo) + ", expected " +
                                       std::to_string(atteso) +
                                       (atteso == variante::intero   ? " (rows 0 and 1 are 16-bit integers)"
                                        : atteso == variante::doppio ? " (rows 2 to R - 2 are doubles)"
                                                                     : " (rows R - 1 and R are empty)")};
        });
      if (!coordinata_sana(voci[i], riga)) {
        coordinate_sane = false;
        fuori.a(offset + 2, [&] {
          return std::pair{dove(), "coordinate " + testo_coordinata(voci[i].valore) +
                                       " m is not a point of the line: rows are 1 m apart from (0, 0), so row " +
                                       std::to_string(riga) + " lies within " + std::to_string(riga + 1) +
                                       " m of it; the plan is not drawn"};
        });
      }
      offset += scenario::formato::byte_variante(voci[i].tipo);
    }
  }
  if (!coordinate_sane) return;
  if (voci.size() != 2 * per_colonna) {
    r.intero("the file holds " + std::to_string(voci.size()) + " entries, expected 2 x " +
             std::to_string(per_colonna) + " (metres 0 to " + std::to_string(ultima) +
             " for x, then for y); the plan is not drawn");
    return;
  }
  // Column y copied out, column x kept in place: one copy of half the plan.
  s.piano[1].assign(voci.begin() + static_cast<std::ptrdiff_t>(per_colonna), voci.end());
  voci.resize(per_colonna);
  s.piano[0] = std::move(voci);
  s.m.con_planimetria = 1;
  s.m.lunghezza_estesa = static_cast<int32_t>(ultima);
  s.con_piano = true;
}

}  // namespace

bool tipo_cella_noto(uint8_t tipo) {
  namespace t = scenario::tipo_cella;
  return tipo <= t::indicatori_v_max || (tipo >= t::fermata && tipo <= t::cartello_indicatore);
}

pacchetti pacchetti_di(const std::string& linea, const std::string& treno) {
  pacchetti p;
  p.linea = linea;
  p.treno = treno;
  p.nome_linea = scenario::nome_pacchetto_linea(linea);
  p.nome_voci = scenario::nome_pacchetto_voci(linea, treno);
  p.nome_celle = scenario::nome_pacchetto_celle(linea, treno);
  return p;
}

uint64_t dimensione_file(const std::string& byte, const std::optional<uint64_t>& dimensione) {
  return dimensione ? std::max<uint64_t>(*dimensione, byte.size()) : byte.size();
}

std::string testo_visibile(std::string_view utf8) {
  std::string t;
  t.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    char escape[8];
    if (c < 0x20 || c == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      t += escape;
    } else if (c == '\\') {
      t += "\\\\";
    } else if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
      // U+0080 to U+009F, the C1 controls, two bytes in UTF-8.
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(utf8[++i]));
      t += escape;
    } else {
      t += static_cast<char>(c);
    }
  }
  return t;
}

std::string descrivi(const difetto& d) {
  std::string testo = testo_visibile(d.file) + ": ";
  if (d.offset) testo += "byte " + std::to_string(*d.offset) + " ";
  if (!d.dove.empty()) testo += "(" + d.dove + ")";
  if (d.offset || !d.dove.empty()) testo += ": ";
  return testo + d.motivo;
}

scenario_letto verifica(const pacchetti& p) {
  scenario_letto s;
  s.m.linea = p.linea;
  s.m.treno = p.treno;
  verifica_voci(p, s);
  std::optional<int32_t> lunghezza;
  if (s.con_voci) lunghezza = lunghezza_dichiarata(s.m.voci);
  verifica_celle(p, s, lunghezza);
  verifica_valori(p, s);
  verifica_linea(p, s, lunghezza);
  return s;
}

}  // namespace ispettore
