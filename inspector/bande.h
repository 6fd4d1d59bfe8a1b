#pragma once
// The bands of the drawing, top to bottom: title, plan view, stations,
// the three profiles (speed limit, gradient, adhesion), marks, axes and
// legend; one function each, drawing into an Svg at the height it is
// given. The page layout (disegno.cpp) stacks them. Every colour comes
// from the table in tavolozza.h.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "inspector/elenco.h"
#include "inspector/lettore.h"
#include "inspector/orientamento.h"
#include "inspector/svg.h"
#include "model/modello.h"

namespace ispettore {

// The page: width, the margins of the profile area, and the font.
inline constexpr double larghezza = 1600;
inline constexpr double margine_sx = 120;
inline constexpr double margine_dx = 110;
inline constexpr double larghezza_profili = larghezza - margine_sx - margine_dx;
inline constexpr const char* carattere = "DejaVu Sans, Verdana, Arial, sans-serif";

// Heights of the bands, top to bottom, and the gap between profiles. The
// plan view takes what its line needs, between its lowest and highest.
inline constexpr double altezza_titolo = 70;
inline constexpr double altezza_piano = 640;
inline constexpr double altezza_minima_piano = 280;
inline constexpr double altezza_senza_piano = 60;
inline constexpr double altezza_stazioni = 120;
inline constexpr double altezza_velocita = 150;
inline constexpr double altezza_pendenza = 100;
inline constexpr double altezza_aderenza = 80;
inline constexpr double altezza_riga_segni = 26;  // each of the four rows of marks
inline constexpr double altezza_assi = 80;
inline constexpr double altezza_legenda = 40;
inline constexpr double intervallo = 22;

// A rectangle for label collisions.
struct riquadro {
  double x0, y0, x1, y1;
  bool tocca(const riquadro& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// The horizontal axis of the profiles: chainage in metres, from `da` at
// the left end to `a` at the right end, to pixels.
struct asse {
  double da, a;
  double x(double metri) const { return margine_sx + (metri - da) / (a - da) * larghezza_profili; }
  bool dentro(double metri) const { return metri >= da && metri <= a; }
};

// Colours of the cab codes present, highest code first.
using colori_codici = std::map<int32_t, std::string, std::greater<>>;

// A round step (1, 2 or 5 times a power of ten) near `grezzo`, not below it.
double passo_tondo(double grezzo);

// Station indexes, most important first (origin and terminus, then the
// stations where the train stops, then the rest), in line order within a
// rank; and the rank of station i, 0 the highest.
std::vector<size_t> stazioni_per_importanza(const resoconto& r);
int importanza(const resoconto& r, size_t i);

// What a station's dot says when pointed at: its name, chainage, reading
// and area.
std::string titolo_stazione(const resoconto& r, const stazione& st);

// The title lines: route, then train and counts, or the stretch drawn
// when not `intera`; and how to read the drawing.
void disegna_titolo(Svg& s, const resoconto& r, const asse& a, bool intera);

// The plan view laid out: the metres drawn, the turn that lays the line
// across the panel, the scale, and the panel's height.
struct piano {
  std::vector<int64_t> metri;
  int64_t fine_linea = 0;  // the route's end: solid line up to it, dashed beyond
  orientamento o;
  double umin = 0, vmax = 0, du = 0, dv = 0;  // the turned plan's extent, metres
  double scala = 1;                           // pixels per metre
  double altezza = altezza_piano;             // of the panel
  bool girato = false;                        // north is not up

  // Margins of the line's box inside the panel, and the room kept above
  // and below the line for the station names.
  static constexpr double bordo_x = 60, bordo_alto = 40, bordo_basso = 56, spazio_nomi = 34;

  // The page point of plan point x, y for a panel whose top is at y0.
  std::pair<double, double> pagina(double x, double y, double y0) const;
};

// Lays out the plan of the stretch of axis `a`: turned so that it runs
// across, start on the left, at one scale both ways fitted to the panel's
// width (or its highest height), the panel only as high as the line and
// its station names need, from the plan decoded from the packed line file.
piano prepara_piano(const resoconto& r, const piano_letto& letto, const asse& a);

// The plan view laid out as `p`, from y0: the route solid, the 7000 m
// beyond it dashed, a north arrow, a scale bar, and every station of the
// stretch with the labels that find room.
void disegna_piano(Svg& s, const resoconto& r, const piano_letto& letto, const piano& p,
                   const asse& a, double y0);

// The box that stands for the plan view when there is none.
void disegna_senza_piano(Svg& s, double y0, double altezza);

// The station band: areas, dots, and slanted names thinned where they would
// overlap. Returns the chainages of the named stations.
std::vector<double> disegna_stazioni(Svg& s, const resoconto& r, const asse& a, double y0,
                                     double altezza);

// The three profile bands from y0. Each draws its frame, grid and title
// into `sotto` and its line into `sopra`, so that the station lines can
// run between the two. Every run names itself when pointed at (runs too
// narrow to point at as one group); the speed limit writes each value over
// its run where it fits, and its slowdowns name themselves.
void disegna_velocita(Svg& sotto, Svg& sopra, const resoconto& r, const asse& a, double y0);
void disegna_pendenza(Svg& sotto, Svg& sopra, const resoconto& r, const asse& a, double y0);
void disegna_aderenza(Svg& sotto, Svg& sopra, const resoconto& r, const asse& a, double y0);

// Dotted lines at the named stations' chainages from y0 down to y1.
void disegna_guide_stazioni(Svg& s, const asse& a, const std::vector<double>& stazioni, double y0,
                            double y1);

// A colour for each cab code of the listing, highest code first.
colori_codici colori_dei_codici(const resoconto& r);

// The marks band: signals (left-hand side up, right-hand side down),
// boards, cab codes and the cab-signalling stretch. Each mark names what it
// stands for; marks of one kind (and code) closer than 3 pixels are one
// mark that names them all. Codes, board texts and warning speeds are
// written beside their marks where they find room.
void disegna_segni(Svg& s, const resoconto& r, const asse& a, double y0,
                   const colori_codici& colori);

// The two axes under the profiles, chainage and kilometre reading, with
// the kilometre-zone changes marked from `cima` down.
void disegna_assi(Svg& s, const resoconto& r, const asse& a, double y0, double cima);

// The legend at height y.
void disegna_legenda(Svg& s, double y, const colori_codici& colori);

}  // namespace ispettore
