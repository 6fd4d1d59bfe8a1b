#include "documents/genera_scheda.h"

#include <algorithm>

namespace documenti {
namespace {

using genere = riga_orario::genere;

// `t` left-aligned in `w` characters, cut at w.
std::string a_sinistra(std::string t, size_t w, char riempi = ' ') {
  t.resize(w, riempi);
  return t;
}

// `t` right-aligned in `w` characters, cut at w.
std::string a_destra(const std::string& t, size_t w) {
  return t.size() >= w ? t.substr(0, w) : std::string(w - t.size(), ' ') + t;
}

// `t` in the middle of `w` characters filled with `riempi`; the odd one
// left over goes to the right, or to the left when `sinistra` (cut at w).
std::string centrato(const std::string& t, size_t w, char riempi = ' ', bool sinistra = false) {
  if (t.size() >= w) return t.substr(0, w);
  const size_t resto = w - t.size();
  const size_t prima = sinistra ? (resto + 1) / 2 : resto / 2;
  return std::string(prima, riempi) + t + std::string(resto - prima, riempi);
}

// A speed as its cell shows it: right-aligned in positions 2 to 4 of the
// five, a blank either side (" 140 ", "  60 "); four digits take 1 to 4.
std::string cella_velocita(int v) {
  const std::string n = std::to_string(v);
  return n.size() <= 3 ? " " + a_destra(n, 3) + " " : a_destra(n, 4) + " ";
}

// A reading as the chainage cell shows it: kilometres with three decimals
// ending one before the cell's end; a reading of more than eight characters
// is shown as hashes rather than cut.
std::string cella_progressiva(int64_t lettura, bool cambia) {
  const std::string km = scenario::formato_km(lettura);
  return (km.size() <= 8 ? a_destra(km, 8) : std::string(8, '#')) + (cambia ? "/" : " ");
}

std::string nome_cippo(int64_t lettura) { return "Cippo Km " + scenario::formato_km(lettura); }

// The station's name in its 22-character cell, the asterisk kept.
std::string nome_stazione(const stazione_corsa& s) {
  if (!s.senza_protezione) return s.nome.substr(0, 22);
  return s.nome.substr(0, 21) + "*";
}

// Sorts the rows by chainage; at one chainage the end of the old zone
// first, then the new zone's reading, the station, a kilometre post.
void ordina(std::vector<riga_orario>& righe) {
  std::stable_sort(righe.begin(), righe.end(), [](const riga_orario& a, const riga_orario& b) {
    const auto rango = [](genere g) {
      switch (g) {
        case genere::fine_zona: return 0;
        case genere::nuova_zona: return 1;
        case genere::stazione: return 2;
        case genere::cippo: return 3;
      }
      return 3;
    };
    return std::pair(a.progressiva, rango(a.tipo)) < std::pair(b.progressiva, rango(b.tipo));
  });
}

// The row at chainage x that shows a limit changing there: the station,
// else the new zone's row; null when none stands there.
riga_orario* riga_per_limite(std::vector<riga_orario>& righe, int32_t x) {
  riga_orario* trovata = nullptr;
  for (riga_orario& r : righe)
    if (r.progressiva == x && (r.tipo == genere::stazione || r.tipo == genere::nuova_zona) &&
        (trovata == nullptr || r.tipo == genere::stazione))
      trovata = &r;
  return trovata;
}

// The stretches worked in both directions, joined where they meet or
// overlap and cut to the run.
std::vector<tratto> banalizzati(const std::vector<tratto>& dati, int32_t origine, int32_t termine) {
  std::vector<tratto> t;
  for (const tratto& b : dati)
    if (b.a >= origine && b.da <= termine) t.push_back({std::max(b.da, origine), std::min(b.a, termine)});
  std::sort(t.begin(), t.end(), [](const tratto& x, const tratto& y) { return x.da < y.da; });
  std::vector<tratto> uniti;
  for (const tratto& b : t)
    if (!uniti.empty() && b.da <= uniti.back().a) uniti.back().a = std::max(uniti.back().a, b.a);
    else uniti.push_back(b);
  return uniti;
}

// Marks the zig-zag and the right-hand limits: along each stretch worked in
// both directions the track column alternates "/" and backslash and closes
// with "-"; its first row shows the right-hand limit in force, its rows
// where the limit changes show it too, its last row " ___ " (but at the
// terminus, where nothing follows). Elsewhere a changing limit shows "/"
// in the right-hand cell: that track has no limit of its own.
void segna_banalizzati(std::vector<riga_orario>& righe, const std::vector<tratto>& tratti,
                       const corsa& c) {
  for (riga_orario& r : righe)
    if (r.velocita) r.destra = "  /  ";
  for (const tratto& t : tratti) {
    size_t primo = righe.size(), ultimo = 0;
    for (size_t i = 0; i < righe.size(); ++i)
      if (righe[i].progressiva >= t.da && righe[i].progressiva <= t.a) {
        primo = std::min(primo, i);
        ultimo = i;
      }
    if (primo == righe.size()) continue;
    for (size_t i = primo; i <= ultimo; ++i) {
      riga_orario& r = righe[i];
      r.traccia = i == ultimo ? '-' : (i - primo) % 2 == 0 ? '/' : '\\';
      r.destra = r.velocita ? cella_velocita(*r.velocita) : "     ";
    }
    const int v = velocita_a(c, righe[primo].progressiva);
    if (v > 0) righe[primo].destra = cella_velocita(v);
    if (ultimo + 1 < righe.size()) righe[ultimo].destra = " ___ ";
  }
}

}  // namespace

std::string cella_orario(const stazione_corsa& s) {
  auto ora_in = [](const std::optional<int32_t>& t) { return t ? a_sinistra(ora(*t), 7) : std::string(7, ' '); };
  std::string cella;
  switch (s.genere) {
    case genere_fermata::origine:
    case genere_fermata::lunga:
      cella = std::string(8, ' ') + ora_in(s.partenza);
      break;
    case genere_fermata::fermata:
      cella = ora_in(s.arrivo) + " " + ora_in(s.partenza);
      break;
    case genere_fermata::termine:
      cella = ora_in(s.arrivo);
      break;
    case genere_fermata::transito:
      cella = "    " + ora_in(s.passaggio);
      break;
  }
  return a_sinistra(cella, 19);
}

std::vector<riga_orario> righe_orario(const corsa& c, const valori_documenti& v) {
  std::vector<riga_orario> righe;
  if (c.stazioni.empty()) return righe;
  const int32_t origine = c.stazioni.front().progressiva;
  const int32_t termine = c.stazioni.back().progressiva;

  for (const stazione_corsa& s : c.stazioni) {
    riga_orario r;
    r.tipo = genere::stazione;
    r.progressiva = s.progressiva;
    r.lettura = lettura(c, s.progressiva);
    r.nome = nome_stazione(s);
    r.asterisco = s.senza_protezione;
    r.orario = cella_orario(s);
    righe.push_back(r);
  }
  for (const cambio_zona& z : c.cambi_zona) {
    riga_orario fine;
    fine.tipo = genere::fine_zona;
    fine.progressiva = z.progressiva;
    fine.lettura = z.lettura_prima;
    fine.cambia = true;
    fine.nome = nome_cippo(z.lettura_prima);
    riga_orario nuova;
    nuova.tipo = genere::nuova_zona;
    nuova.progressiva = z.progressiva;
    nuova.lettura = z.lettura_dopo;
    righe.push_back(fine);
    righe.push_back(nuova);
  }
  ordina(righe);

  // The limit at the origin, then each change on its own row or a post.
  if (!c.limiti.empty() && c.limiti.front().velocita > 0) righe.front().velocita = c.limiti.front().velocita;
  for (size_t k = 1; k < c.limiti.size(); ++k) {
    const limite& l = c.limiti[k];
    const std::optional<int> mostrata = l.velocita > 0 ? std::optional<int>(l.velocita) : std::nullopt;
    if (riga_orario* r = riga_per_limite(righe, l.progressiva)) {
      r->velocita = mostrata;
      continue;
    }
    riga_orario p;
    p.tipo = genere::cippo;
    p.progressiva = l.progressiva;
    p.lettura = lettura(c, l.progressiva);
    p.nome = nome_cippo(p.lettura);
    p.velocita = mostrata;
    righe.push_back(p);
  }

  // A post where a stretch worked in both directions begins or ends, where
  // no other row stands.
  const std::vector<tratto> tratti = banalizzati(v.banalizzati, origine, termine);
  for (const tratto& t : tratti)
    for (const int32_t x : {t.da, t.a})
      if (std::none_of(righe.begin(), righe.end(), [&](const riga_orario& r) { return r.progressiva == x; })) {
        riga_orario p;
        p.tipo = genere::cippo;
        p.progressiva = x;
        p.lettura = lettura(c, x);
        p.nome = nome_cippo(p.lettura);
        righe.push_back(p);
      }
  ordina(righe);
  segna_banalizzati(righe, tratti, c);

  bool prima_codificata = false;
  for (riga_orario& r : righe) {
    const bool cod = codificato(c, r.progressiva);
    r.codifica = !cod ? "       " : prima_codificata ? " :   : " : "COD COD";
    prima_codificata = cod;
  }
  return righe;
}

std::string testo_riga(const riga_orario& r) {
  std::string t = " |";
  t += r.velocita ? cella_velocita(*r.velocita) : "     ";
  t += "|     |";
  t += cella_progressiva(r.lettura, r.cambia);
  t += "|";
  t += r.traccia;
  t += "|";
  t += a_sinistra(r.nome, 22);
  t += "|";
  t += a_sinistra(r.orario, 19);
  t += "|";
  t += r.destra;
  t += "|";
  t += r.codifica;
  t += "|";
  return t;
}

std::vector<std::string> genera_scheda(const corsa& c, const valori_documenti& v) {
  const std::vector<riga_orario> righe = righe_orario(c, v);
  const size_t pagine = std::max<size_t>(1, (righe.size() + righe_per_pagina - 1) / righe_per_pagina);

  std::string termine;
  if (!c.stazioni.empty())
    for (const char ch : maiuscolo(c.stazioni.back().nome))
      if (ch != '.') termine += ch == ' ' ? '_' : ch;

  std::vector<std::string> s = {"", ""};
  for (size_t p = 0; p < pagine; ++p) {
    const size_t da = p * righe_per_pagina;
    const size_t a = std::min(righe.size(), da + righe_per_pagina);
    // The page's first and last places, by name.
    std::string primo, ultimo;
    for (size_t i = da; i < a; ++i) {
      std::string nome = righe[i].nome;
      if (righe[i].asterisco) nome.pop_back();
      if (nome.empty()) continue;
      if (primo.empty()) primo = nome;
      ultimo = nome;
    }

    s.push_back("  " + std::string(34, '_') + std::string(28, ' ') + std::string(18, '_'));
    s.push_back(" |                 | Termine scheda |    SCHEDA TRENO          |" + centrato(v.categoria, 18) + "|");
    s.push_back(" | TRENO n. " + a_sinistra(c.numero, 7) + "|                |                          |                  |");
    s.push_back(" |_________________|" + centrato(termine, 16, '_', true) + "|" +
                a_sinistra(cp("    Scheda n\u00b0 ") + std::to_string(p + 1) + "/" + std::to_string(pagine), 26) +
                "|" + centrato(c.percentuale != 0 ? std::to_string(c.percentuale) + "%" : "", 18, '_') + "|");
    s.push_back("");
    s.push_back("  " + std::string(34, '_') + "  Da: " + maiuscolo(primo));
    s.push_back(" | CLASSIFICAZIONE | MASSA BLOCCATA |" + std::string(27, ' ') + std::string(18, '_'));
    s.push_back(" |" + centrato(v.classificazione, 17) + "|" + centrato(v.massa, 16) + "|" +
                a_sinistra(" a:  " + ultimo, 26) + "|" + centrato(v.locomotiva, 9) + "|" +
                centrato(v.apparato, 8) + "|");
    s.push_back(" |_________________|________________|                          |_________|________|");
    s.push_back("  " + std::string(80, '_'));
    s.push_back(" |Binario SX |                                  |                   | Vel.|SRS SRS|");
    s.push_back(" |___________| Progr Km   Localita' di  Servizio|     Orario        | Max.|       |");
    s.push_back(" | Vel.| Vel.|                                  |                   | Bin.|SX  DX |");
    s.push_back(" |_Max.|_Mar.|__________________________________|___________________|__DX_|_______|");

    bool asterisco = false;
    for (size_t i = da; i < a; ++i) {
      std::string t = testo_riga(righe[i]);
      // A full page draws its last row as the closing rule: underscores for
      // every blank inside its cells.
      if (i + 1 == da + righe_per_pagina) std::replace(t.begin() + 1, t.end(), ' ', '_');
      s.push_back(t);
      asterisco = asterisco || righe[i].asterisco;
    }
    if (a - da < righe_per_pagina)
      s.push_back(" |_____|_____|_________|_|______________________|___________________|_____|_______|");
    s.push_back("");
    if (asterisco) s.push_back(cp(" *Localit\u00e0 sedi di fermata, sprovviste di segnalamento di protezione"));
    s.push_back(std::string(83, '.'));
    s.push_back("");
  }
  s.insert(s.end(), 28, "");
  s.push_back(std::string(35, ' ') + "PER MEMORIA");
  s.insert(s.end(), 20, "");
  s.push_back(std::string(83, '_'));
  return s;
}

}  // namespace documenti
