#include "inspector/disegno.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "inspector/bande.h"
#include "inspector/svg.h"
#include "inspector/tavolozza.h"

namespace ispettore {

std::pair<double, double> estensione_disegno(const resoconto& r, const tratto_richiesto& t) {
  // The route's end, or the last cell's start when the route has no length.
  const double fine_linea = r.lunghezza > 0 ? r.lunghezza : std::max(50.0, 50.0 * r.ultima_cella);
  const double fine_celle = std::max(fine_linea, 50.0 * (r.ultima_cella + 1));
  const double da = t.da ? std::max(*t.da, 0.0) : 0;
  const double fino =
      t.a ? std::min(*t.a, fine_celle) : std::max(fine_linea, std::min(da + 50, fine_celle));
  return {da, fino};
}

// The page layout: the bands stacked top to bottom, each at its height.
std::string disegna_svg(const resoconto& r, const piano_letto* letto,
                        const tratto_richiesto& t) {
  const auto [da, fino] = estensione_disegno(r, t);
  const asse a{da, std::max(fino, da + 1)};
  std::optional<piano> p;
  if (letto != nullptr) p = prepara_piano(r, *letto, a);
  const double h_piano = p ? p->altezza : altezza_senza_piano;
  double y = altezza_titolo;
  const double y_piano = y;
  y += h_piano + 24;
  const double y_stazioni = y;
  y += altezza_stazioni;
  const double y_velocita = y;
  y += altezza_velocita + intervallo;
  const double y_pendenza = y;
  y += altezza_pendenza + intervallo;
  const double y_aderenza = y;
  y += altezza_aderenza + intervallo;
  const double y_segni = y;
  y += 4 * altezza_riga_segni + 6;
  const double y_assi = y;
  y += altezza_assi;
  const double y_legenda = y + 10;
  const double altezza = std::ceil(y + altezza_legenda);

  Svg s;
  s.t() += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s.t() += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"" +
           num(larghezza) + "\" height=\"" + num(altezza) + "\" viewBox=\"0 0 " + num(larghezza) + " " +
           num(altezza) + "\" font-family=\"" + carattere + "\" fill=\"" + colore::testo + "\">\n";
  s.t() += "<title>" + testo_xml(r.linea + " \u2014 " + r.treno) + "</title>\n";
  s.rettangolo(0, 0, larghezza, altezza, colore::pagina);
  disegna_titolo(s, r, a, !t.da && !t.a);
  if (p)
    disegna_piano(s, r, *letto, *p, a, y_piano);
  else
    disegna_senza_piano(s, y_piano, h_piano);
  const std::vector<double> nominate = disegna_stazioni(s, r, a, y_stazioni, altezza_stazioni);

  // The profiles: their frames, then the named stations' lines through all
  // three, then the profile lines over them.
  Svg sopra;
  disegna_velocita(s, sopra, r, a, y_velocita);
  disegna_pendenza(s, sopra, r, a, y_pendenza);
  disegna_aderenza(s, sopra, r, a, y_aderenza);
  disegna_guide_stazioni(s, a, nominate, y_velocita, y_aderenza + altezza_aderenza);
  s.t() += sopra.t();

  const colori_codici colori = colori_dei_codici(r);
  disegna_segni(s, r, a, y_segni, colori);
  disegna_assi(s, r, a, y_assi, y_stazioni + altezza_stazioni);
  disegna_legenda(s, y_legenda, colori);
  s.t() += "</svg>\n";
  return std::move(s.t());
}

}  // namespace ispettore
