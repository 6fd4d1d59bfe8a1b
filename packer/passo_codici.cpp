#include "packer/passo_codici.h"

#include <algorithm>
#include <utility>

namespace scenario {
namespace {

// Slowdowns at this speed or above get no periodic codes along them.
constexpr int16_t velocita_senza_cammino = 110;
// Cells between two periodic codes along a slowdown (400 m).
constexpr int32_t passo_periodico = 8;
// Cells before a warning board in which signals are covered (1000 m).
constexpr int32_t portata_avviso = 20;
// Cells after a slowdown's end searched for the next signal (600 m).
constexpr int32_t portata_dopo_fine = 12;

// Makes cell n a code cell carrying 180; every other field is kept.
// Requires n inside m.celle.
void posa(modello& m, int32_t n) {
  cella& c = m.celle[static_cast<size_t>(n)];
  c.tipo = tipo_cella::codice;
  c.valore1 = codice_posato;
}

// Records error `codice` at cell n; a later error overwrites an earlier one.
// With a diagnosi, every error is kept there with the record it traces to:
// the one that claimed cell `origine` (the signal, or the slowdown's start).
void registra(modello& m, diagnosi* rapporto, int32_t codice, int32_t n, int32_t origine) {
  m.codice_errore = codice;
  m.posizione_errore = n * 50;
  if (rapporto) {
    errore_registrato e;
    e.codice = codice;
    e.posizione = m.posizione_errore;
    e.dove = rapporto->luogo_del_passo(origine);
    rapporto->errore(std::move(e));
  }
}

// Cell n. Requires n inside m.celle.
cella& cella_a(modello& m, int32_t n) { return m.celle[static_cast<size_t>(n)]; }

// Lowers the code of code cell n to 180 when it is higher.
void abbassa(modello& m, int32_t n) {
  cella& c = cella_a(m, n);
  c.valore1 = static_cast<int16_t>(minimo(codice_posato, c.valore1));
}

// Warning board at cell i: every signal in the 20 cells before it gets a
// code cell just before it, or has the code there lowered to 180. Requires
// i inside m.celle; looks at no cell below 3, so s - 2 stays at 1 or above.
void copri_segnali(modello& m, diagnosi* rapporto, int32_t i) {
  for (int32_t d = 1; d <= portata_avviso && i - d >= 3; ++d) {
    const int32_t s = i - d;
    if (cella_a(m, s).tipo != tipo_cella::segnale) continue;
    if (libera(cella_a(m, s - 1)))
      posa(m, s - 1);
    else if (libera(cella_a(m, s - 2)))
      posa(m, s - 2);
    else if (cella_a(m, s - 1).tipo == tipo_cella::codice)
      abbassa(m, s - 1);
    else if (cella_a(m, s - 2).tipo == tipo_cella::codice)
      abbassa(m, s - 2);
    else
      registra(m, rapporto, errore::segnale_senza_codice, s, s);
  }
}

// The three approach groups before the slowdown start at cell i: a group
// whose threshold i exceeds puts a code cell on the first free of the cells
// i - soglia + 2, i - soglia + 1, i - soglia, or records error 12 at i.
// Every candidate is at cell 1 or above.
void gruppi_avvicinamento(modello& m, diagnosi* rapporto, int32_t i) {
  for (int32_t soglia : {7, 13, 20}) {
    if (i <= soglia) continue;
    bool posato = false;
    for (int32_t n = i - soglia + 2; n >= i - soglia && !posato; --n) {
      if (libera(cella_a(m, n))) {
        posa(m, n);
        posato = true;
      }
    }
    if (!posato) registra(m, rapporto, errore::gruppo_avvicinamento, i, i);
  }
}

// Walks from the slowdown start at cell i to its end cell (the first cell of
// tipo 2 after it), putting a code cell every 8 cells, counted from the
// cell actually used. Returns the end cell, or -1 when the walk reached the
// last cell of the array without meeting one (a slowdown whose start and
// end fell into one cell keeps only its start): the walk then stops there.
// Candidate k + 1 is skipped when it lies past the last cell.
int32_t cammina(modello& m, diagnosi* rapporto, int32_t i) {
  const int32_t u = limite_celle(m);
  int32_t c = 0;
  int32_t k = i;
  while (k < u) {
    ++k;
    ++c;
    if (c == passo_periodico) {
      if (libera(cella_a(m, k))) {
        posa(m, k);
        c = 0;
      } else if (libera(cella_a(m, k - 1))) {
        posa(m, k - 1);
        c = 1;
      } else if (k + 1 <= u && libera(cella_a(m, k + 1))) {
        posa(m, k + 1);
        c = -1;
      } else {
        // c stays at 8 and only grows from here: no further periodic code.
        registra(m, rapporto, errore::codice_periodico, k, i);
      }
    }
    if (cella_a(m, k).tipo == tipo_cella::fine_rallentamento) return k;
  }
  return -1;
}

// The end cell of the slowdown starting at cell i, found as the walk finds
// it (the first cell of tipo 2 after i), or -1 when there is none up to the
// last cell. Places nothing.
int32_t cerca_fine(const modello& m, int32_t i) {
  const int32_t u = limite_celle(m);
  for (int32_t k = i + 1; k <= u; ++k)
    if (m.celle[static_cast<size_t>(k)].tipo == tipo_cella::fine_rallentamento) return k;
  return -1;
}

// The first signal in cells k to k + 12 after the end at cell k of the
// slowdown starting at cell i gets a code cell on one of the two cells
// before it; when neither is free, error 13 is recorded at k. The window stops at the last cell. Requires
// k >= 2, so the signal's cell h is at least 2 and h - 2 at least 0.
void segnale_dopo_fine(modello& m, diagnosi* rapporto, int32_t k, int32_t i) {
  const int32_t ultimo = std::min(k + portata_dopo_fine, limite_celle(m));
  for (int32_t h = k; h <= ultimo; ++h) {
    if (cella_a(m, h).tipo != tipo_cella::segnale) continue;
    const int32_t t = h - 1;
    if (libera(cella_a(m, t)))
      posa(m, t);
    else if (libera(cella_a(m, t - 1)))
      posa(m, t - 1);
    else
      registra(m, rapporto, errore::codice_periodico, k, i);
    return;
  }
}

// Slowdown start at cell i: approach groups, then the walk along it, then
// the code before the first signal after its end.
void tratta_rallentamento(modello& m, diagnosi* rapporto, int32_t i) {
  gruppi_avvicinamento(m, rapporto, i);
  int32_t fine;
  if (cella_a(m, i).valore1 < velocita_senza_cammino) {
    fine = cammina(m, rapporto, i);
  } else {
    // A slowdown of 110 km/h or more gets no periodic codes, but the first
    // signal after its end still gets its code cell: that signal is met as
    // the train leaves the slowdown whatever the slowdown's speed. Its end
    // cell is found as the walk would find it, without placing anything.
    fine = cerca_fine(m, i);
  }
  // No end cell up to the last cell: there is no "after the end" to look at.
  if (fine >= 0) segnale_dopo_fine(m, rapporto, fine, i);
}

}  // namespace

int32_t minimo(int32_t x, int32_t y) { return x > y ? y : x; }

void posa_codici(modello& m, diagnosi* rapporto) {
  const int32_t u = limite_celle(m);
  for (int32_t i = 1; i <= u - 2; ++i) {
    // A cell has one tipo, so at most one of the two applies.
    const uint8_t tipo = cella_a(m, i).tipo;
    if (tipo == tipo_cella::avviso_rallentamento)
      copri_segnali(m, rapporto, i);
    else if (tipo == tipo_cella::inizio_rallentamento)
      tratta_rallentamento(m, rapporto, i);
  }
}

std::vector<int32_t> celle_del_passo(const std::vector<cella>& celle) {
  auto del_passo = [](const cella& c) { return c.tipo == tipo_cella::codice && c.valore1 == codice_posato; };
  // Without a 180 there is nothing to tell apart, and no copy is made.
  if (std::none_of(celle.begin(), celle.end(), del_passo)) return {};
  modello m;
  m.celle = celle;
  for (cella& c : m.celle)
    if (del_passo(c)) {
      c.tipo = tipo_cella::libera;
      c.valore1 = 0;
    }
  posa_codici(m);
  std::vector<int32_t> trovate;
  for (size_t i = 0; i < celle.size(); ++i)
    if (del_passo(celle[i]) && del_passo(m.celle[i])) trovate.push_back(static_cast<int32_t>(i));
  return trovate;
}

}  // namespace scenario
