#include "inspector/disegno.h"

#include <algorithm>
#include <utility>

#include "inspector/bande.h"
#include "inspector/svg.h"
#include "inspector/tavolozza.h"

namespace ispettore {
namespace {

// The chainage drawn at the right end of the profiles: the route's end, or
// the last cell's start when the route has no length.
double fine_disegno(const resoconto& r) {
  if (r.lunghezza > 0) return r.lunghezza;
  return std::max(50.0, 50.0 * r.ultima_cella);
}

}  // namespace

// The page layout: the bands stacked top to bottom, each at its height.
std::string disegna_svg(const resoconto& r, const piano_letto* piano) {
  const asse a{fine_disegno(r)};
  const double h_piano = piano != nullptr ? altezza_piano : altezza_senza_piano;
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
  const double altezza = y + altezza_legenda;

  Svg s;
  s.t() += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s.t() += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(larghezza) + "\" height=\"" +
           num(altezza) + "\" viewBox=\"0 0 " + num(larghezza) + " " + num(altezza) +
           "\" font-family=\"" + carattere + "\" fill=\"" + colore::testo + "\">\n";
  s.t() += "<title>" + testo_xml(r.linea + " \u2014 " + r.treno) + "</title>\n";
  s.rettangolo(0, 0, larghezza, altezza, colore::pagina);
  disegna_titolo(s, r);
  if (piano != nullptr)
    disegna_piano(s, r, *piano, y_piano, h_piano);
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
