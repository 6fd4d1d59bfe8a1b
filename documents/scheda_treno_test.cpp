// The driver's train sheet: its fixed frame, the shape of its timetable
// rows, the bytes it is written with, and its agreement with the line and
// train sources that the packer reads (prova/accordo_documenti.h); and the
// agreement of the facts that the scenario notes give with those sources
// and with the sheet.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "documents/contenuto.h"
#include "documents/scrittori_documenti.h"
#include "platform/cartella_programma.h"
#include "platform/disco.h"
#include "prova/accordo_documenti.h"
#include "prova/cartella_temporanea.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

// Splits text at LF; the text must end with LF.
std::vector<std::string> dividi_righe(std::string_view testo) {
  std::vector<std::string> righe;
  size_t inizio = 0;
  for (size_t fine; (fine = testo.find('\n', inizio)) != std::string_view::npos; inizio = fine + 1)
    righe.emplace_back(testo.substr(inizio, fine - inizio));
  return righe;
}

const std::vector<std::string>& scheda() {
  static const std::vector<std::string> righe = dividi_righe(testo_scheda);
  return righe;
}

std::string blank(size_t n) { return std::string(n, ' '); }
std::string linee(size_t n) { return std::string(n, '_'); }

// The slots of each page's timetable rows, first and last included.
struct pagina {
  int prima;
  int ultima;
};
constexpr std::array<pagina, 3> pagine = {{{16, 46}, {65, 96}, {115, 145}}};
constexpr int ultima_pagina_due = 96;  // drawn with underscores as the closing rule

// ---------------------------------------------------------------------------
// The fixed frame.

// The title box of page `p` (1 to 3).
std::vector<std::string> riquadro_titolo(int p) {
  const size_t coda[] = {0, 7, 18, 1};
  return {"  " + linee(34) + blank(28) + linee(18) + (p == 3 ? " " : ""),
          " |                 | Termine scheda |    SCHEDA TRENO          |      V140B       |",
          " | TRENO n. 40318  |                |                          |                  |",
          " |_________________|___CALDONE_PTV__|    Scheda n\u00b0 " + std::to_string(p) +
              "/3         |_______120%_______|" + blank(coda[p])};
}

// The route box of page `p`, from `da` (with its trailing blanks) to `a`.
std::vector<std::string> riquadro_percorso(int p, const std::string& da, const std::string& a) {
  std::string verso_a = " a:  " + a;
  verso_a.resize(26, ' ');
  return {"  " + linee(34) + "  Da: " + da,
          " | CLASSIFICAZIONE | MASSA BLOCCATA |" + blank(27) + linee(18) + (p == 3 ? blank(15) : ""),
          std::string(p == 3 ? " |        REG      |" : " |       REG       |") + "      300T      |" +
              verso_a + "|  E 646  |  RSC4  |",
          " |_________________|________________|                          |_________|________|" +
              (p == 2 ? blank(10) : "")};
}

// The table heading of page `p`.
std::vector<std::string> intestazione(int p) {
  return {"  " + linee(80) + (p == 2 ? blank(4) : ""),
          std::string(" |Binario SX |                                  |                   | Vel.|") +
              (p == 3 ? "SR  SRS|" : "SRS SRS|"),
          " |___________| Progr Km   Localita' di  Servizio|     Orario        | Max.|       |",
          " | Vel.| Vel.|                                  |                   | Bin.|SX  DX |",
          " |_Max.|_Mar.|__________________________________|___________________|__DX_|_______|"};
}

TEST(SchedaTreno, FrameLinesStandInTheirSlots) {
  const auto& s = scheda();
  ASSERT_EQ(s.size(), 201u);

  std::vector<std::pair<int, std::string>> attese = {
      {0, ""},
      {1, ""},
      {6, blank(56)},
      {47, " |_____|_____|_________|_|______________________|___________________|_____|_:___:_|"},
      {48, ""},
      {49, " *Localit\u00e0 sedi di fermata, sprovviste di segnalamento di protezione"},
      {50, std::string(83, '.')},
      {51, ""},
      {97, ""},
      {98, " *Localit\u00e0 sedi fermata, sprovviste di segnalamento di protezione"},
      {99, " " + std::string(72, '.')},
      {100, ""},
      {105, blank(63)},
      {146, " |_____|_____|_________|_|______________________|___________________|_____|_______|"},
      {147, ""},
      {148, std::string(72, '.')},
      {177, blank(35) + "PER MEMORIA"},
      {198, linee(93)},
      {199, "  " + linee(34) + blank(27) + linee(19) + blank(4)},
      {200, " "},
  };
  for (int i = 149; i <= 197; ++i)
    if (i != 177) attese.emplace_back(i, "");
  // Boxes and headings: the slots of each page's first line of each.
  const std::array<std::vector<std::string>, 3> percorsi = {
      riquadro_percorso(1, "TARVENA" + blank(9), "Cippo Km 10.000"),
      riquadro_percorso(2, "BORGO SALDINA", "Varzenna"),
      riquadro_percorso(3, "VARZENNA(Prot.lato Cal)" + blank(6), "Caldone P.T.V.")};
  const int titolo[] = {2, 52, 101}, percorso[] = {7, 56, 106}, testata[] = {11, 60, 110};
  for (int p = 1; p <= 3; ++p) {
    const auto t = riquadro_titolo(p);
    const auto i = intestazione(p);
    for (size_t k = 0; k < t.size(); ++k) attese.emplace_back(titolo[p - 1] + int(k), t[k]);
    for (size_t k = 0; k < 4; ++k) attese.emplace_back(percorso[p - 1] + int(k), percorsi[p - 1][k]);
    for (size_t k = 0; k < i.size(); ++k) attese.emplace_back(testata[p - 1] + int(k), i[k]);
  }
  for (const auto& [slot, testo] : attese) EXPECT_EQ(s[slot], testo) << "slot " << slot;
}

TEST(SchedaTreno, TellingRowsAreThereExactly) {
  const auto& s = scheda();
  ASSERT_EQ(s.size(), 201u);
  EXPECT_EQ(s[16], " | 140 |     | 187.650 |/|Tarvena               |        13.55      | 140 |COD COD|");
  EXPECT_EQ(s[115], " | 140 |     |  47.950 |/|Segn.Prot.lato Caldone|                   | 140 | :   : |");
  EXPECT_EQ(s[145], " |     |     |   0.000 |-|Caldone P.T.V.        |17.32         (1 ) |     |       |");
  EXPECT_EQ(s[ultima_pagina_due].substr(14, 9), "__49.300_");
  EXPECT_EQ(s[ultima_pagina_due].substr(49, 19), "16.45___16.46_(0.5)");

  auto sulla_pagina = [&](int p, const std::string& riga) {
    return std::find(s.begin() + pagine[p].prima, s.begin() + pagine[p].ultima + 1, riga) !=
           s.begin() + pagine[p].ultima + 1;
  };
  EXPECT_TRUE(sulla_pagina(0, " |     |     | 216.000 |\\|Cippo Km 216.000      |                   |     | :   : |"));
  EXPECT_TRUE(sulla_pagina(0, " |     |     |         |/|                      |                   |     | :   : |"));
  EXPECT_TRUE(sulla_pagina(1, " | 130 |     |  80.850 |/|Olmara C.le           |16.00   16.05 (1.5)| 130 |COD COD|"));
}

// ---------------------------------------------------------------------------
// Timetable rows.

enum genere { stazione, bivio, cippo, segnale, ponte, altra, cambio, spaziatore, generi };

struct riga_orario {
  std::string cella_sx, vel_sx, vel_mar, progressiva, nome, orario, vel_dx, srs;
  bool cambia = false;  // "/" after the chainage: the next row gives the new one
  char traccia = ' ';
  int slot = 0;
  int pagina = 0;

  // The chainage reading in metres; requires a chainage.
  long metri() const {
    const auto punto = progressiva.find('.');
    return std::stol(progressiva.substr(0, punto)) * 1000 + std::stol(progressiva.substr(punto + 1));
  }
  genere tipo() const {
    if (nome.empty()) return progressiva.empty() ? spaziatore : cambio;
    if (nome.rfind("Cippo Km ", 0) == 0) return cippo;
    if (nome.rfind("Segn.Prot.", 0) == 0) return segnale;
    if (nome.rfind("Bivio ", 0) == 0) return bivio;
    if (nome.rfind("Ponte ", 0) == 0) return ponte;
    if (nome == "C.C.") return altra;
    return stazione;
  }
};

std::string senza_blank(std::string t) {
  t.erase(0, t.find_first_not_of(' '));
  t.erase(t.find_last_not_of(' ') + 1);
  return t;
}

// Splits a row into its cells (positions count from 1 in the comments);
// page 2's closing row is read with its underscores turned back to blanks.
riga_orario leggi_riga(std::string r, int slot, int pagina) {
  if (slot == ultima_pagina_due) std::replace(r.begin() + 1, r.end(), '_', ' ');
  riga_orario g;
  g.slot = slot;
  g.pagina = pagina;
  g.cella_sx = r.substr(2, 5);                   // 3 to 7
  g.vel_sx = senza_blank(g.cella_sx);
  g.vel_mar = senza_blank(r.substr(8, 5));       // 9 to 13
  g.progressiva = senza_blank(r.substr(14, 8));  // 15 to 22
  g.cambia = r[22] == '/';                       // 23
  g.traccia = r[24];                             // 25
  g.nome = senza_blank(r.substr(26, 22));        // 27 to 48
  g.orario = r.substr(49, 19);                   // 50 to 68
  g.vel_dx = r.substr(69, 5);                    // 70 to 74
  g.srs = r.substr(75, 7);                       // 76 to 82
  return g;
}

const std::vector<riga_orario>& righe_orario() {
  static const std::vector<riga_orario> righe = [] {
    std::vector<riga_orario> v;
    for (int p = 0; p < 3; ++p)
      for (int i = pagine[p].prima; i <= pagine[p].ultima; ++i)
        v.push_back(leggi_riga(scheda().at(i), i, p + 1));
    return v;
  }();
  return righe;
}

TEST(SchedaTreno, PassesTheLayoutChecksAndOnlyTheOriginAndTheCentralStationStartTheCoding) {
  EXPECT_EQ(prova::impaginazione_scheda(prova::righe_incorporate(testo_scheda)), std::vector<std::string>{});
  std::vector<std::string> codificate;
  for (const auto& g : righe_orario())
    if (g.srs == "COD COD") codificate.push_back(g.nome);
  EXPECT_EQ(codificate, (std::vector<std::string>{"Tarvena", "Olmara C.le"}));
}

TEST(SchedaTreno, EachPageHasItsRowsOfEachKind) {
  // stazione, bivio, cippo, segnale, ponte, altra, cambio, spaziatore
  const std::array<std::array<int, generi>, 3> attesi = {{
      {16, 0, 5, 0, 0, 0, 1, 9},
      {13, 1, 2, 4, 0, 1, 1, 10},
      {9, 0, 5, 4, 1, 0, 0, 12},
  }};
  std::array<std::array<int, generi>, 3> contati{};
  for (const auto& g : righe_orario()) ++contati[g.pagina - 1][g.tipo()];
  for (int p = 0; p < 3; ++p) EXPECT_EQ(contati[p], attesi[p]) << "page " << p + 1;
}

// ---------------------------------------------------------------------------
// Bytes on disk.

TEST(DatiScheda, WritesWindows1252LinesEachEndedByCrLf) {
  const prova::CartellaTemporanea temporanea("scheda_treno_test ");
  const fs::path& cartella = temporanea.percorso();
  modello m;
  m.linea = "Tarvena-Olmara-Caldone";
  m.treno = "Reg 40318";
  piattaforma::DiscoReale disco;
  dati_scheda(m, disco, cartella.string());
  const std::string percorso =
      piattaforma::unisci_percorso(cartella.string(), "Tarvena-Olmara-Caldone_Reg 40318_scheda_treno.txt");
  std::ifstream f(percorso, std::ios::binary);
  const std::string byte{std::istreambuf_iterator<char>(f), {}};
  f.close();

  EXPECT_NE(byte.find("    Scheda n\xB0 1/3   "), std::string::npos);
  EXPECT_NE(byte.find(" *Localit\xE0 sedi di fermata"), std::string::npos);
  // Everything else is the embedded text as it stands, with CR LF.
  std::string atteso;
  for (const auto& r : scheda()) atteso += r + "\r\n";
  for (const auto& [utf8, cp1252] : {std::pair{"\u00b0", "\xB0"}, std::pair{"\u00e0", "\xE0"}})
    for (size_t k; (k = atteso.find(utf8)) != std::string::npos;) atteso.replace(k, 2, cp1252);
  EXPECT_EQ(byte, atteso);
  EXPECT_EQ(std::count(byte.begin(), byte.end(), '\n'), 201);
  EXPECT_EQ(byte.substr(byte.size() - 10), "_    \r\n \r\n");  // the last line is one blank
}

// ---------------------------------------------------------------------------
// Agreement with the sources, and of the notes with both: the checks that
// every sheet and every notes made from sources pass too. The shipped
// sheet gives the origin's reading 100 m beyond its zone's.

TEST(SchedaETreno, StationsReadingsTimesLimitsZonesAndCodingAgreeWithTheSources) {
  EXPECT_EQ(prova::accordo_scheda(prova::righe_incorporate(testo_scheda), prova::sorgenti_spedite(), 100),
            std::vector<std::string>{});
}

TEST(NoteESorgenti, TheNotesFactsAgreeWithTheSourcesAndTheSheet) {
  EXPECT_EQ(prova::accordo_note(prova::righe_incorporate(testo_note), prova::sorgenti_spedite(),
                                prova::righe_incorporate(testo_scheda)),
            std::vector<std::string>{});
}

}  // namespace
}  // namespace scenario
