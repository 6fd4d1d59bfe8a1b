#include "packer/costruttori.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/lettore_campi.h"

namespace scenario {
namespace {

// Cell index of a chainage plus an offset in cells: x / 50 + scarto, rounded.
int32_t cella_di(int64_t x, int scarto) {
  return arrotonda(static_cast<double>(x) / 50.0 + scarto);
}

// One chainage reference: start, reference reading, direction.
struct terna {
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t posizione = 0;
};

// A combined indicator speed, d / 5 + s * 20 computed in floating point and
// rounded; requires nothing, throws ErroreLettura past the 16-bit range.
int16_t velocita_combinate(int32_t d, int32_t s) {
  const double valore = static_cast<double>(d) / 5.0 + static_cast<double>(s) * 20.0;
  if (!(valore > -40000.0 && valore < 40000.0))
    throw piattaforma::ErroreLettura("indicator speeds do not fit a 16-bit field");
  const int32_t r = arrotonda(valore);
  if (r < -32768 || r > 32767)
    throw piattaforma::ErroreLettura("indicator speeds do not fit a 16-bit field");
  return static_cast<int16_t>(r);
}

}  // namespace

celle_rallentamento celle_di_rallentamento(int32_t x, int32_t l) {
  const int64_t a = static_cast<int64_t>(x) - 1200;
  return {cella_elemento(a), cella_elemento(x), cella_elemento(static_cast<int64_t>(x) + l),
          cella_di(a, 0)};
}

// Sorts rows 81 to 83 of voci; requires nothing.
void progressive_ordina(modello& m) {
  auto prendi = [&](int r) {
    return terna{m.voci[r].inizio, m.voci[r].fine, m.voci[r].posizione};
  };
  const terna t = prendi(riga_progressiva_tre);
  const terna d = prendi(riga_progressiva_due);
  const terna u = prendi(riga_progressiva_uno);

  std::array<terna, 3> nuove{};  // all zeros unless an order is found
  const int64_t somma = static_cast<int64_t>(t.inizio) + d.inizio + u.inizio;
  if (somma != 0) {
    // Listed in the order of preference between equal starts: U, D, T.
    const std::array<terna, 3> candidate = {u, d, t};
    for (size_t i = 0; i < 3; ++i) {
      const terna& a = candidate[(i + 1) % 3];
      const terna& b = candidate[(i + 2) % 3];
      if (candidate[i].inizio > a.inizio && candidate[i].inizio > b.inizio) {
        // The other two keep their preference order unless the later one
        // starts strictly further along.
        std::array<terna, 2> resto;
        size_t n = 0;
        for (size_t j = 0; j < 3; ++j)
          if (j != i) resto[n++] = candidate[j];
        if (resto[1].inizio > resto[0].inizio) std::swap(resto[0], resto[1]);
        nuove = {candidate[i], resto[0], resto[1]};
        break;
      }
    }
  } else if (u.fine > 0) {
    nuove = {u, d, t};
  } else if (d.fine > 0) {
    nuove = {d, t, u};
  } else if (t.fine > 0) {
    nuove = {t, d, u};
  }

  for (size_t r = 0; r < 3; ++r) {
    voce& v = m.voci[riga_progressiva_tre + static_cast<int>(r)];
    v.inizio = nuove[r].inizio;
    v.fine = nuove[r].fine;
    v.posizione = nuove[r].posizione;
    // A falling reading counts from 100 m further on (wraps like the field).
    if (v.posizione == 1) v.fine = static_cast<int32_t>(static_cast<int64_t>(v.fine) + 100);
  }
}

// Records and writes one mountain zone; requires nothing.
void memo_montagna(modello& m, int32_t& inizio, int32_t& fine, int32_t& tipo) {
  // Zones are kept at indexes 1 to capacity: one more is refused with 15
  // rather than written past the tables.
  const int64_t ultima_zona =
      static_cast<int64_t>(std::min(m.inizio_montagna.size(), m.fine_montagna.size())) - 1;
  if (m.n_montagne < 0 || m.n_montagne >= ultima_zona) {
    m.codice_errore = errore::fuori_celle;
    return;
  }

  bool segna = false;
  if (tipo > 10) {
    tipo -= 10;
    segna = true;
  }

  const int32_t n = ++m.n_montagne;
  m.inizio_montagna[n] = inizio;
  m.fine_montagna[n] = fine;
  if (n > 1 && static_cast<int64_t>(m.inizio_montagna[n]) - m.fine_montagna[n - 1] <= 150) tipo = 3;

  const int64_t primo = cella_di(inizio, 0);
  const int64_t ultimo = cella_di(fine, -1);  // fine / 50 - 1, rounded as a whole
  // Cells of the zone that lie outside celle are skipped; the counter still
  // counts them, so the markers inside keep their places.
  const int64_t da = std::max<int64_t>(primo, 0);
  const int64_t a = std::min<int64_t>(ultimo, static_cast<int64_t>(m.celle.size()) - 1);
  for (int64_t c = da; c <= a; ++c) {
    const int64_t contatore = c - primo + 1;
    cella& z = m.celle[static_cast<size_t>(c)];
    z.montagna = basso8(tipo);
    if (segna && contatore % 4 == 0 && z.tipo == tipo_cella::libera) z.tipo = tipo_cella::segno_montagna;
  }
}

// Places one slowdown; requires nothing.
void memo_rallentamento(modello& m, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt, int32_t f_ta,
                        int32_t& d_v) {
  const celle_rallentamento celle_r = celle_di_rallentamento(x, l);
  const int32_t cella_avviso = celle_r.avviso;
  const int32_t cella_inizio = celle_r.inizio;
  const int32_t cella_fine = celle_r.fine;
  const int32_t cella_prima = celle_r.prima;

  const bool con_avviso = x > ultimo_rallentamento_senza_avviso;
  if (!con_avviso) f_ta = 0;

  // A slowdown any of whose cells would lie outside celle (an end beyond
  // the last cell, a negative length reaching before cell 0) is refused
  // with 15 before anything is written.
  if (!dentro_celle(m, cella_inizio) || !dentro_celle(m, cella_fine) ||
      (con_avviso && !dentro_celle(m, cella_avviso)) ||
      (f_ta != 0 && (!dentro_celle(m, cella_prima) || !dentro_celle(m, cella_prima - 3)))) {
    m.codice_errore = errore::fuori_celle;
    return;
  }

  auto& celle = m.celle;
  if (con_avviso && !libera(celle[cella_avviso])) {
    m.codice_errore = errore::avviso_occupato;
    return;
  }
  if (!libera(celle[cella_inizio])) {
    m.codice_errore = errore::inizio_occupato;
    return;
  }
  if (!libera(celle[cella_fine])) {
    m.codice_errore = errore::fine_occupato;
    return;
  }

  // Written in the order end, start, board: where two coincide the later wins.
  celle[cella_fine].tipo = tipo_cella::fine_rallentamento;
  if (d_v != 0) celle[cella_fine].valore2 = basso16(d_v);
  celle[cella_inizio].tipo = tipo_cella::inizio_rallentamento;
  if (d_v != 0) celle[cella_inizio].valore2 = basso16(d_v);
  if (con_avviso) {
    cella& z = celle[cella_avviso];
    z.tipo = tipo_cella::avviso_rallentamento;
    if (d_v != 0) z.valore2 = basso16(d_v);
    z.valore1 = basso16(v);
  }
  for (int32_t c : {cella_inizio, cella_fine}) {
    celle[c].valore1 = basso16(v);
    celle[c].valore3 = basso16(f_tt);
  }
  m.rallentamenti.push_back({x, v, l});

  if (f_ta != 0) {
    for (int32_t i = 0; i < 4; ++i)
      if (!libera(celle[cella_prima - i])) {
        m.codice_errore = errore::prima_avviso_occupata;
        return;
      }
    for (int32_t i = 0; i < 4; ++i) {
      cella& z = celle[cella_prima - i];
      z.tipo = tipo_cella::prima_avviso;
      z.valore1 = basso16(i + 1);
      if (d_v != 0) z.valore2 = basso16(i + 1);
    }
  }
}

// Places one signal; requires nothing.
void memo_segnale(modello& m, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2, int32_t& s3,
                  int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3, int32_t& tempo) {
  const int32_t c = cella_elemento(posizione);
  // A signal whose own cell lies outside celle (a chainage before -75 m) is
  // refused with 15.
  if (!dentro_celle(m, c)) {
    m.codice_errore = errore::fuori_celle;
    return;
  }
  if (!libera(m.celle[c])) {
    m.codice_errore = errore::segnale_occupato;
    return;
  }

  const int64_t lato = static_cast<int64_t>(sx) * 3 + dx;
  cella& z = m.celle[c];
  z.tipo = tipo_cella::segnale;
  z.valore4 = basso16(static_cast<int64_t>(rapp) * 10 + lato);
  z.valore1 = basso16(static_cast<int64_t>(s1) * 10 + d1);
  z.valore2 = basso16(static_cast<int64_t>(s2) * 10 + d2);
  z.valore3 = basso16(static_cast<int64_t>(s3) * 10 + d3);

  if (tempo >= 1 && tempo <= 100) tempo = 101;
  z.tempo = sx == 2 ? basso8(tempo) : 0;

  // Approach cells 100 to 400 m before the signal. Those that would lie
  // before cell 0 (a signal in the first 350 m) are skipped; the signal stays.
  for (int32_t n = 1; n <= 4; ++n) {
    const int64_t p = static_cast<int64_t>(c) - 2 * n;
    if (dentro_celle(m, p)) m.celle[static_cast<size_t>(p)].preavviso = basso8(lato * 10 + n);
  }
}

// Places one group of indicator boards; requires nothing.
void memo_indicatori_v_max(modello& m, int32_t posizione, int32_t& vas, int32_t& vbs, int32_t& vcs,
                           int32_t& strisces, int32_t& vad, int32_t& vbd, int32_t& vcd,
                           int32_t& strisced) {
  const int32_t c = cella_elemento(posizione);
  // Boards whose cell lies outside celle are refused with 15.
  if (!dentro_celle(m, c)) {
    m.codice_errore = errore::fuori_celle;
    return;
  }
  if (!libera(m.celle[c])) {
    m.codice_errore = errore::indicatori_occupato;
    return;
  }
  cella& z = m.celle[c];
  z.tipo = tipo_cella::indicatori_v_max;
  z.valore1 = velocita_combinate(vad, vas);
  z.valore2 = velocita_combinate(vbd, vbs);
  z.valore3 = velocita_combinate(vcd, vcs);
  z.valore4 = basso16(static_cast<int64_t>(strisces) * 10 + strisced);
}

}  // namespace scenario
