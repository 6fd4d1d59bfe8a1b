// The driver's train sheet: its fixed frame, the shape of its timetable
// rows, the bytes it is written with, and its agreement with the line and
// train sources that the packer reads; and the agreement of the facts that
// the scenario notes give with those sources and with the sheet.

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

TEST(SchedaTreno, EveryTimetableRowHasTheBarsOfTheTable) {
  const auto& s = scheda();
  ASSERT_EQ(s.size(), 201u);
  const std::string barre = "2 8 14 24 26 49 69 75 83";
  for (const auto& p : pagine)
    for (int i = p.prima; i <= p.ultima; ++i) {
      const std::string& r = s[i];
      ASSERT_EQ(r.size(), 83u) << "slot " << i;
      EXPECT_EQ(r[0], ' ') << "slot " << i;
      std::string trovate;
      for (size_t k = 0; k < r.size(); ++k)
        if (r[k] == '|') {
          if (!trovate.empty()) trovate += ' ';
          trovate += std::to_string(k + 1);
        }
      EXPECT_EQ(trovate, barre) << "slot " << i;
    }
  EXPECT_EQ(s[ultima_pagina_due].find(' ', 1), std::string::npos) << "no blank inside its cells";
}

TEST(SchedaTreno, CellsHoldOnlyTheirOwnKindsOfMark) {
  // A speed cell is blank or holds a limit right-aligned between two blanks.
  const auto limite = [](const std::string& c) {
    const auto cifra = [](char x) { return x >= '0' && x <= '9'; };
    return c == "     " ||
           (c[0] == ' ' && c[4] == ' ' && (c[1] == ' ' || cifra(c[1])) && cifra(c[2]) && cifra(c[3]));
  };
  char precedente = ' ';
  for (const auto& g : righe_orario()) {
    SCOPED_TRACE("slot " + std::to_string(g.slot));
    EXPECT_TRUE(g.vel_mar.empty());
    EXPECT_TRUE(limite(g.cella_sx)) << "[" << g.cella_sx << "]";
    EXPECT_TRUE(limite(g.vel_dx) || g.vel_dx == "  /  " || g.vel_dx == " ___ ") << "[" << g.vel_dx << "]";
    // The right-hand track shows its own limit, or "/", wherever the left one changes.
    if (!g.vel_sx.empty()) {
      EXPECT_NE(g.vel_dx, "     ");
    }
    EXPECT_TRUE(g.srs == "COD COD" || g.srs == " :   : " || g.srs == blank(7)) << "[" << g.srs << "]";
    if (!g.progressiva.empty()) {
      EXPECT_EQ(g.progressiva.size(), g.progressiva.find('.') + 4) << g.progressiva;
      EXPECT_NO_THROW(g.metri());
    }
    if (g.tipo() == cippo) {
      EXPECT_EQ(g.nome, "Cippo Km " + g.progressiva);
    }
    // The track column draws a zig-zag closed by "-": "/" and backslash
    // alternate, across page breaks too.
    EXPECT_NE(std::string(" /\\-").find(g.traccia), std::string::npos);
    if (g.traccia == '/' || g.traccia == '\\') {
      EXPECT_NE(g.traccia, precedente);
    }
    if (g.traccia == '-') {
      EXPECT_TRUE(precedente == '/' || precedente == '\\');
    }
    precedente = g.traccia;
  }
  // Only the origin and the central station of the mid-route city start the coding.
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
// Agreement with the sources.

// Splits a source record at its commas, each field without its padding.
std::vector<std::string> campi(const std::string& riga) {
  std::vector<std::string> c;
  std::stringstream ss(riga);
  for (std::string t; std::getline(ss, t, ',');) c.push_back(senza_blank(t));
  return c;
}

// The records of a source file kept in sources/ whose keyword starts with `chiave`.
std::vector<std::vector<std::string>> record(const std::string& file, const std::string& chiave) {
  const fs::path percorso = fs::path(__FILE__).parent_path().parent_path() / "sources" / file;
  std::ifstream f(percorso);
  EXPECT_TRUE(f) << percorso;
  std::vector<std::vector<std::string>> v;
  for (std::string r; std::getline(f, r);)
    if (r.rfind(chiave, 0) == 0) v.push_back(campi(r));
  return v;
}

struct zona {
  long inizio, riferimento;
  bool decrescente;
  // The reading in metres that this zone's count gives at `progressiva`.
  long lettura(long progressiva) const {
    return decrescente ? riferimento - progressiva : riferimento + progressiva;
  }
};

std::vector<zona> zone() {
  std::vector<zona> z;
  for (const auto& c : record("linea.txt", "progressiva chilometrica"))
    z.push_back({std::stol(c.at(1)), std::stol(c.at(2)), c.at(3) == "1"});
  std::sort(z.begin(), z.end(), [](const zona& a, const zona& b) { return a.inizio < b.inizio; });
  return z;
}

// The line's reading in metres at a chainage.
long lettura(const std::vector<zona>& z, long progressiva) {
  const zona* valida = &z.front();
  for (const auto& k : z)
    if (k.inizio <= progressiva) valida = &k;
  return valida->lettura(progressiva);
}

// A "hh.mm" time in half minutes, plus one when ".+" follows it; none when
// the text there is not a time.
std::optional<int> ora(const std::string& cella, size_t da) {
  const std::string t = cella.substr(da, 5);
  if (t.size() != 5 || t[2] != '.' || t.find_first_not_of("0123456789", 0) != 2 ||
      t.find_first_not_of("0123456789", 3) != std::string::npos)
    return std::nullopt;
  const bool mezzo = cella.compare(da + 5, 2, ".+") == 0;
  return (std::stoi(t.substr(0, 2)) * 60 + std::stoi(t.substr(3))) * 2 + (mezzo ? 1 : 0);
}

TEST(SchedaETreno, StationsReadingsTimesAndCodingAgreeWithTheSources) {
  const auto z = zone();
  const auto stazioni = record("treno.txt", "stazione");
  const auto ripetizione = record("linea.txt", "ripetizione");
  ASSERT_EQ(z.size(), 3u);
  ASSERT_EQ(ripetizione.size(), 1u);
  const long fine_codici = std::stol(ripetizione[0].at(2));

  std::vector<const riga_orario*> righe;
  for (const auto& g : righe_orario())
    if (g.tipo() == stazione) righe.push_back(&g);
  ASSERT_EQ(righe.size(), stazioni.size());

  for (size_t k = 0; k < stazioni.size(); ++k) {
    const auto& c = stazioni[k];
    const riga_orario& g = *righe[k];
    SCOPED_TRACE("slot " + std::to_string(g.slot) + " " + g.nome);
    const long progressiva = std::stol(c.at(1));
    const bool fermata_semplice = c.at(2) == "28";  // a halt without protection signals
    EXPECT_EQ(g.nome, c.at(17) + (fermata_semplice ? "*" : ""));
    EXPECT_LE(std::labs(g.metri() - lettura(z, progressiva)), 100);

    const auto arrivo = ora(g.orario, 0), partenza = ora(g.orario, 8), passaggio = ora(g.orario, 4);
    const int sosta = std::stoi(c.at(13));
    const int orario = (std::stoi(c.at(14)) * 60 + std::stoi(c.at(15))) * 2;
    if (k == 0) {
      EXPECT_FALSE(arrivo);
      EXPECT_EQ(partenza, orario);
    } else if (k + 1 == stazioni.size()) {
      EXPECT_EQ(arrivo, orario);
      EXPECT_FALSE(partenza);
    } else if (orario == 0 && sosta == 0) {
      EXPECT_TRUE(passaggio && !arrivo && !partenza) << g.orario;
    } else {
      ASSERT_TRUE(arrivo && partenza) << g.orario;
      EXPECT_EQ(*partenza, orario);
      if (sosta <= 60) {
        EXPECT_EQ(*partenza - *arrivo, sosta / 30);  // in half minutes
      } else {
        EXPECT_GT(*partenza, *arrivo);  // a long stop
      }
    }
    EXPECT_EQ(g.srs == blank(7), progressiva > fine_codici);
  }

  // Time never runs backwards down the sheet, junction included.
  int ultimo = 0;
  for (const auto& g : righe_orario())
    for (size_t da : {0, 4, 8})
      if (const auto t = ora(g.orario, da)) {
        EXPECT_GE(*t, ultimo) << "slot " << g.slot;
        ultimo = *t;
      }
}

TEST(SchedaETreno, SpeedLimitsAppearWhereTheSourceChangesThem) {
  const auto z = zone();
  const auto limiti = record("treno.txt", "velocita");
  std::vector<const riga_orario*> righe;
  for (const auto& g : righe_orario())
    if (!g.vel_sx.empty()) righe.push_back(&g);
  ASSERT_EQ(righe.size(), limiti.size());
  for (size_t k = 0; k < limiti.size(); ++k) {
    SCOPED_TRACE("slot " + std::to_string(righe[k]->slot) + " " + righe[k]->nome);
    EXPECT_EQ(righe[k]->vel_sx, limiti[k].at(2));
    EXPECT_LE(std::labs(righe[k]->metri() - lettura(z, std::stol(limiti[k].at(1)))), 100);
    // Between stations a change is shown on a kilometre post or a protection signal.
    const genere t = righe[k]->tipo();
    EXPECT_TRUE(t == stazione || t == cippo || t == segnale) << t;
  }
}

TEST(SchedaETreno, ChainageChangesWhereTheZonesOfTheLineMeet) {
  const auto z = zone();
  const auto& r = righe_orario();
  std::vector<size_t> cambi;
  for (size_t k = 0; k < r.size(); ++k)
    if (r[k].cambia) cambi.push_back(k);
  ASSERT_EQ(cambi.size(), z.size() - 1);
  for (size_t n = 0; n < cambi.size(); ++n) {
    const size_t k = cambi[n];
    const long confine = z[n + 1].inizio;
    ASSERT_LT(k + 1, r.size());
    EXPECT_EQ(r[k].metri(), z[n].lettura(confine)) << "slot " << r[k].slot;
    EXPECT_EQ(r[k + 1].tipo(), cambio) << "slot " << r[k + 1].slot;
    EXPECT_EQ(r[k + 1].metri(), z[n + 1].lettura(confine)) << "slot " << r[k + 1].slot;
  }
}

// ---------------------------------------------------------------------------
// The notes' facts against the sources and the sheet.

// The notes' prose with each paragraph on one line of its own and the
// hand-made line breaks undone ("rico-" + "struire" is "ricostruire").
std::string prosa_note() {
  std::string p;
  for (const auto& riga : dividi_righe(testo_note)) {
    std::string r = senza_blank(riga);
    // A run of blanks inside a line closes one paragraph and opens the next.
    for (size_t k; (k = r.find("  ")) != std::string::npos;) {
      const size_t dopo = r.find_first_not_of(' ', k);
      std::string unita = r.substr(0, k);
      unita += '\n';
      if (dopo != std::string::npos) unita.append(r, dopo, std::string::npos);
      r = std::move(unita);
    }
    if (p.empty()) {
    } else if (riga.rfind("    ", 0) == 0) {
      p += '\n';
    } else if (p.back() == '-') {
      p.pop_back();  // a word split across two lines
    } else {
      p += ' ';
    }
    p += r;
  }
  return p;
}

// The sentence of `t` around position `k`: it ends at a full stop followed by
// a blank and a capital letter, or at the end of the paragraph.
std::string frase(const std::string& t, size_t k) {
  const auto fine_frase = [&](size_t i) {
    return t[i] == '\n' || (t[i] == '.' && i + 2 < t.size() && t[i + 1] == ' ' &&
                            std::isupper(static_cast<unsigned char>(t[i + 2])));
  };
  size_t a = k, b = k;
  while (a > 0 && !fine_frase(a - 1)) --a;
  while (b < t.size() && !fine_frase(b)) ++b;
  return t.substr(a, b - a);
}

// Readings written "km 52.300" in `t`, in metres, in order.
std::vector<long> letture_in(const std::string& t) {
  static const std::regex km(R"(km (\d+)\.(\d{3})\b)");
  std::vector<long> v;
  for (auto it = std::sregex_iterator(t.begin(), t.end(), km); it != std::sregex_iterator(); ++it)
    v.push_back(std::stol((*it)[1]) * 1000 + std::stol((*it)[2]));
  return v;
}

bool finisce_con(const std::string& t, const std::string& coda) {
  return t.size() >= coda.size() && t.compare(t.size() - coda.size(), coda.size(), coda) == 0;
}

// A reading in brackets right after a name, "Caldone Nord (km 4.150)", is that
// place's reading; after "di protezione di" or "di partenza di" and a name it is
// the reading of one of the signals of the train source near that place.
TEST(NoteESorgenti, ReadingsBesideANameAreThoseOfThePlace) {
  const auto z = zone();
  std::vector<std::pair<std::string, long>> luoghi;  // name and reading in metres
  for (const auto& c : record("treno.txt", "stazione"))
    luoghi.emplace_back(c.at(17), lettura(z, std::stol(c.at(1))));
  for (const auto& g : righe_orario())
    if (g.tipo() == bivio || g.tipo() == altra) luoghi.emplace_back(g.nome, g.metri());
  std::set<long> segnali;
  for (const auto& c : record("treno.txt", "segnale")) segnali.insert(lettura(z, std::stol(c.at(1))));

  const std::string t = prosa_note();
  int trovate = 0;
  for (size_t k = 0; (k = t.find("(km ", k)) != std::string::npos; ++k) {
    const auto letture = letture_in(t.substr(k + 1, 12));
    ASSERT_EQ(letture.size(), 1u) << t.substr(k, 14);
    const std::string prima = t.substr(0, k);
    const std::pair<std::string, long>* luogo = nullptr;
    for (const auto& l : luoghi)
      if (finisce_con(prima, " " + l.first + " ") && (!luogo || l.first.size() > luogo->first.size()))
        luogo = &l;
    ASSERT_TRUE(luogo) << "a reading in brackets after no known place: ..."
                       << prima.substr(prima.size() > 40 ? prima.size() - 40 : 0);
    SCOPED_TRACE(luogo->first);
    const std::string davanti = prima.substr(0, prima.size() - luogo->first.size() - 1);
    bool di_segnale = false;
    for (const char* s : {"di protezione di ", "di protezione del ", "di partenza di ", "di partenza del "})
      di_segnale = di_segnale || finisce_con(davanti, s);
    if (di_segnale) {
      EXPECT_TRUE(segnali.count(letture[0])) << letture[0];
      EXPECT_LE(std::labs(letture[0] - luogo->second), 2000);
    } else {
      EXPECT_EQ(letture[0], luogo->second);
    }
    ++trovate;
  }
  EXPECT_GE(trovate, 3);
}

TEST(NoteESorgenti, StopsSpeedsCodesAndHeaderAgreeWithTheTrainSource) {
  const auto z = zone();
  const std::string t = prosa_note();
  const auto stazioni = record("treno.txt", "stazione");
  ASSERT_GE(stazioni.size(), 2u);

  // "27 fermate": every intermediate station where the train stops.
  std::set<std::string> lunghe;
  int fermate = 0;
  for (size_t k = 1; k + 1 < stazioni.size(); ++k) {
    const int sosta = std::stoi(stazioni[k].at(13));
    fermate += sosta > 0;
    if (sosta == 99) lunghe.insert(stazioni[k].at(17));  // a long stop
  }
  std::smatch m;
  ASSERT_TRUE(std::regex_search(t, m, std::regex(R"((\d+) fermate)")));
  EXPECT_EQ(std::stoi(m[1]), fermate);

  // The sentence on the longest stops names the stations with a long stop.
  const size_t pos_lunghe = t.find("pi\u00f9 lunghe");
  ASSERT_NE(pos_lunghe, std::string::npos);
  std::string resto = frase(t, pos_lunghe);
  std::vector<std::string> nomi;
  for (const auto& c : stazioni) nomi.push_back(c.at(17));
  std::sort(nomi.begin(), nomi.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
  std::set<std::string> nominate;
  for (const auto& n : nomi)
    for (size_t k; (k = resto.find(n)) != std::string::npos; resto.erase(k, n.size())) nominate.insert(n);
  EXPECT_EQ(nominate, lunghe);

  // "da 140 a 75 km/h al km 28.050": there the speed rows go from the one to the other.
  const auto limiti = record("treno.txt", "velocita");
  static const std::regex riduzione(R"(da (\d+) a (\d+) km/h al km (\d+)\.(\d{3}))");
  int riduzioni = 0;
  for (auto it = std::sregex_iterator(t.begin(), t.end(), riduzione); it != std::sregex_iterator();
       ++it, ++riduzioni) {
    const long dove = std::stol((*it)[3]) * 1000 + std::stol((*it)[4]);
    bool trovata = false;
    for (size_t k = 1; k < limiti.size(); ++k)
      trovata = trovata || (lettura(z, std::stol(limiti[k].at(1))) == dove &&
                            limiti[k - 1].at(2) == (*it)[1] && limiti[k].at(2) == (*it)[2]);
    EXPECT_TRUE(trovata) << it->str();
  }
  EXPECT_GE(riduzioni, 1);

  // Each code other than the usual one: the sentence that tells where it was
  // put names the readings of exactly its code points.
  const auto codici = record("treno.txt", "abbattimento");
  std::map<std::string, std::set<long>> dove_codice;
  for (const auto& c : codici) dove_codice[c.at(2)].insert(lettura(z, std::stol(c.at(1))));
  const auto consueto =
      std::max_element(dove_codice.begin(), dove_codice.end(),
                       [](const auto& a, const auto& b) { return a.second.size() < b.second.size(); });
  for (const auto& [codice, letture] : dove_codice) {
    if (codice == consueto->first) continue;
    const size_t k = t.find("codici " + codice + " ");
    ASSERT_NE(k, std::string::npos) << codice;
    const std::string f = frase(t, k);
    const auto nominate_qui = letture_in(f.substr(0, f.find("codici " + codice + " ")));
    EXPECT_EQ(std::set<long>(nominate_qui.begin(), nominate_qui.end()), letture) << codice;
  }

  // Braked mass and the start from the origin.
  ASSERT_TRUE(std::regex_search(t, m, std::regex(R"(massa frenata del (\d+)%)")));
  EXPECT_EQ(m[1], record("treno.txt", "percentuale massa frenata").at(0).at(1));
  ASSERT_TRUE(
      std::regex_search(t, m, std::regex("da " + stazioni.front().at(17) + R"( alle (\d\d)\.(\d\d))")));
  EXPECT_EQ(std::stoi(m[1]) * 60 + std::stoi(m[2]),
            std::stoi(stazioni.front().at(14)) * 60 + std::stoi(stazioni.front().at(15)));
}

TEST(NoteESorgenti, LengthChainageChangesAndCabSignallingAgreeWithTheLineSource) {
  const auto z = zone();
  const std::string t = prosa_note();
  std::smatch m;

  // "poco più di 227 km": the route length in whole kilometres.
  const std::regex lunghezza("poco pi\u00f9 di ([0-9]+) km di linea");
  ASSERT_TRUE(std::regex_search(t, m, lunghezza));
  EXPECT_EQ(std::stol(m[1]), std::stol(record("linea.txt", "lunghezza percorso").at(0).at(1)) / 1000);

  // "al km 287.550 si passa a 0.000, al km 31.450 a 96.100": where the zones meet.
  std::vector<std::pair<long, long>> scritti, attesi;
  static const std::regex cambio(R"(al km (\d+)\.(\d{3}) (?:si passa )?a (\d+)\.(\d{3}))");
  for (auto it = std::sregex_iterator(t.begin(), t.end(), cambio); it != std::sregex_iterator(); ++it)
    scritti.emplace_back(std::stol((*it)[1]) * 1000 + std::stol((*it)[2]),
                         std::stol((*it)[3]) * 1000 + std::stol((*it)[4]));
  for (size_t n = 0; n + 1 < z.size(); ++n)
    attesi.emplace_back(z[n].lettura(z[n + 1].inizio), z[n + 1].lettura(z[n + 1].inizio));
  EXPECT_EQ(scritti, attesi);

  // The cab-signalling sentence gives the system's codes and where it ends.
  const auto ripetizione = record("linea.txt", "ripetizione segnali");
  ASSERT_EQ(ripetizione.size(), 1u);
  std::smatch codici;
  ASSERT_TRUE(std::regex_search(ripetizione[0].at(0), codici, std::regex(R"((\d+) codici)")));
  const size_t k = t.find("ripetizione segnali in macchina");
  ASSERT_NE(k, std::string::npos);
  const std::string f = frase(t, k);
  EXPECT_NE(f.find(" " + codici[1].str() + " codici "), std::string::npos) << f;
  const auto letture = letture_in(f);
  EXPECT_NE(std::find(letture.begin(), letture.end(), lettura(z, std::stol(ripetizione[0].at(2)))),
            letture.end())
      << f;
}

}  // namespace
}  // namespace scenario
