#include "unpacker/spacchetta.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "inspector/scoperta.h"
#include "model/identita.h"
#include "packer/impacchettatore.h"
#include "platform/cartella_programma.h"
#include "prova/disco_memoria.h"
#include "prova/esegui_programma.h"
#include "prova/scenario_spedito.h"
#include "prova/sorgenti_prova.h"

namespace {

using piattaforma::unisci_percorso;

const std::string cartella = "c";

// The packed files of one scenario, as the packer left them in memory.
struct impacchettato {
  std::optional<std::string> linea;
  std::string voci;
  std::string celle;
  int32_t errore = 0;
};

// Packs two sources with the real packer in a folder held in memory.
impacchettato impacchetta(const std::string& linea, const std::string& treno, bool con_piano,
                          const std::string& titolo = "Linea", const std::string& designazione = "T 1") {
  piattaforma::DiscoMemoria d;
  scenario::modello m = prova::modello_di(titolo, designazione);
  d.file[unisci_percorso(cartella, scenario::nome_sorgente_linea(titolo))] = linea;
  d.file[unisci_percorso(cartella, scenario::nome_sorgente_treno(titolo, designazione))] = treno;
  int32_t j = con_piano ? 1 : 0;
  scenario::memorizza_percorso(m, d, cartella, j);
  impacchettato r;
  const std::string pl = unisci_percorso(cartella, scenario::nome_pacchetto_linea(titolo));
  if (d.file.count(pl)) r.linea = d.file[pl];
  r.voci = d.file.at(unisci_percorso(cartella, scenario::nome_pacchetto_voci(titolo, designazione)));
  r.celle = d.file.at(unisci_percorso(cartella, scenario::nome_pacchetto_celle(titolo, designazione)));
  r.errore = m.codice_errore;
  return r;
}

// The packed files with their names, as the inspector's checks take them.
ispettore::pacchetti pacchetti_di(const impacchettato& p, const std::string& titolo,
                                  const std::string& designazione) {
  ispettore::pacchetti q;
  q.linea = titolo;
  q.treno = designazione;
  q.nome_linea = scenario::nome_pacchetto_linea(titolo);
  q.nome_voci = scenario::nome_pacchetto_voci(titolo, designazione);
  q.nome_celle = scenario::nome_pacchetto_celle(titolo, designazione);
  q.byte_linea = p.linea;
  q.byte_voci = p.voci;
  q.byte_celle = p.celle;
  return q;
}

// Packs the sources, unpacks the packed files, packs the recovered sources
// (without the plan when there was no line file) and expects every byte
// back. Returns the recovered sources.
spacchettatore::sorgenti_recuperate giro(const std::string& linea, const std::string& treno,
                                         bool con_piano, const std::string& titolo = "Linea",
                                         const std::string& designazione = "T 1") {
  const impacchettato prima = impacchetta(linea, treno, con_piano, titolo, designazione);
  EXPECT_EQ(prima.errore, 0) << "the fixture itself must pack with status 0";
  const ispettore::scenario_letto s = ispettore::verifica(pacchetti_di(prima, titolo, designazione));
  EXPECT_TRUE(s.difetti.empty()) << ispettore::descrivi(s.difetti.front());
  const spacchettatore::sorgenti_recuperate r = spacchettatore::spacchetta(s, prima.linea.has_value());
  EXPECT_TRUE(r.lacune.empty()) << r.lacune.front();
  EXPECT_EQ(r.con_piano, con_piano);
  // The program's own check agrees.
  EXPECT_TRUE(spacchettatore::verifica_giro(pacchetti_di(prima, titolo, designazione), r).empty());
  const impacchettato dopo = impacchetta(r.linea, r.treno, r.con_piano, titolo, designazione);
  EXPECT_EQ(dopo.errore, 0);
  EXPECT_EQ(dopo.linea.has_value(), prima.linea.has_value());
  if (dopo.linea && prima.linea) {
    EXPECT_TRUE(*dopo.linea == *prima.linea) << "packed line file differs";
  }
  EXPECT_TRUE(dopo.voci == prima.voci) << "packed item file differs";
  EXPECT_TRUE(dopo.celle == prima.celle) << "packed track file differs";
  if (dopo.celle != prima.celle)
    for (size_t i = 0; i < std::min(dopo.celle.size(), prima.celle.size()); ++i)
      if (dopo.celle[i] != prima.celle[i]) {
        ADD_FAILURE() << "first differing track byte " << i << " (cell " << i / 15 << ", field "
                      << i % 15 << ")\nline source:\n" << r.linea << "\ntrain source:\n" << r.treno
                      << "\noriginal line:\n" << linea << "\noriginal train:\n" << treno;
        break;
      }
  return r;
}

TEST(Spacchetta, TheShippedScenarioPacksBackByteForByte) {
  piattaforma::DiscoMemoria d;
  const scenario::modello m = prova::modello_spedito();
  prova::scrivi_sorgenti_spedite(m, d, cartella);
  const std::string linea = d.file[unisci_percorso(cartella, scenario::nome_sorgente_linea(m.linea))];
  const std::string treno = d.file[unisci_percorso(cartella, scenario::nome_sorgente_treno(m.linea, m.treno))];
  const auto r = giro(linea, treno, true, m.linea, m.treno);
  // The shipped scenario's own code points, no more: those the pass makes are left to it.
  size_t punti = 0;
  for (size_t p = r.treno.find("abbattimento"); p != std::string::npos; p = r.treno.find("abbattimento", p + 1))
    ++punti;
  EXPECT_EQ(punti, 72u);
  EXPECT_NE(r.linea.find("\r\n[curve]\r\ncurvad1, 1500, 900\r\n"), std::string::npos);
}

// Hand-made scenarios, each showing one thing the unpacker must get right.
struct caso {
  const char* nome;
  std::string linea;
  std::string treno;
  bool con_piano = true;
};

std::vector<caso> casi() {
  using prova::crlf;
  using prova::sorgente::linea;
  using prova::sorgente::stazione;
  using prova::sorgente::treno;
  const std::string stazioni = stazione(0, 8, 400) + stazione(9000, 6, 500);
  return {
      {"without the plan, curves present", linea("curvad2, 1000, 500\n", 10000),
       treno(stazioni), false},
      {"curves of every class both ways, back to back",
       linea("curvad1, 500, 300\ncurvas2, 800, 200\ncurvad3, 1000, 100\ncurvas4, 1100, 100\n"
             "curvad5, 1300, 50\ncurvas6, 1350, 60\n", 10000),
       treno(stazioni)},
      {"author's code point right where the pass places one (lowered to 180)",
       linea("", 20000),
       treno(stazione(0, 8, 400) + stazione(19000, 6, 500) +
             "rallentamento, 9000, 60, 400, 0, 1, 0\nsegnale, 7500, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0\n"
             "abbattimento, 7500, 270\n")},
      {"author's code point below 180 where the pass places one",
       linea("", 20000),
       treno(stazione(0, 8, 400) + stazione(19000, 6, 500) +
             "rallentamento, 9000, 60, 400, 0, 1, 0\nsegnale, 7500, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0\n"
             "abbattimento, 7500, 100\nabbattimento, 3000, 0\n")},
      {"falling kilometre zones, 4-code system, timings",
       linea("", 20000,
             "progressiva chilometrica uno, 0, 5000, 1\nprogressiva chilometrica due, 6000, 20000, 1\n"
             "progressiva chilometrica tre, 12000, 3000, 0\nripetizione segnali 4 codici, 1000, 15000\n"),
       treno(stazione(0, 8, 400) + stazione(19000, 6, 500) +
             "segnale, 4000, 2, 4, 0, 0, 0, 2, 1, 0, 0, 50\nsegnale, 6000, 1, 3, 3, 1, 1, 2, 3, 1, 1, 200\n"
             "segnale, 8000, 2, 5, 1, 0, 0, 1, 2, 0, 1, 101\n")},
      {"mountain zones of every kind, boards over their markers",
       linea("montagna, 1000, 2000, 1\nmontagna, 2100, 3000, 2\nmontagna, 4000, 6000, 11\n"
             "montagna, 7000, 9000, 10\nmontagna, 10000, 12000, 13\nmontagna, 14000, 15000, 13\n"
             "montagna, 14300, 15300, 1\nindicatori_v_max, 4100, 100, 80, 0, 1, "
             "90, 60, 0, 2\ncartello_indicatore, 11100, (Ponte)(fiume)(Reno )\n"
             "cartello_indicatore, 13000, (Aa)(Bb)(Cc)\n", 20000),
       treno(stazione(0, 8, 400) + stazione(19000, 6, 500))},
  };
}

TEST(Spacchetta, HandMadeScenariosPackBack) {
  for (const caso& c : casi()) {
    SCOPED_TRACE(c.nome);
    const auto r = giro(c.linea, c.treno, c.con_piano);
    if (!c.con_piano) {
      EXPECT_NE(r.linea.find("--no-plan"), std::string::npos);
    }
  }
}

// ---- the property over generated scenarios ----

// Writes random valid sources: every feature kind, spaced so that most
// pack without an error; those that do not are left out of the property.
class Generatore {
 public:
  explicit Generatore(uint32_t seme) : g_(seme) {}

  int n(int a, int b) { return std::uniform_int_distribution<int>(a, b)(g_); }
  int64_t multiplo(int64_t a, int64_t b, int64_t passo) { return passo * n(static_cast<int>(a / passo), static_cast<int>(b / passo)); }

  std::pair<std::string, std::string> sorgenti(int64_t lunghezza, bool con_piano) {
    std::ostringstream l, t;
    l << "[generale]\nlunghezza percorso, " << lunghezza << "\n";
    const char* nomi[] = {"uno", "due", "tre"};
    for (const char* z : nomi)
      l << "progressiva chilometrica " << z << ", " << multiplo(0, lunghezza, 50) << ", "
        << multiplo(-100000, 300000, 50) << ", " << n(0, 1) << "\n";
    l << "sfondo uno, " << n(0, 3) << "\nsfondo due, " << n(0, 3) << "\nsfondo tre, " << n(0, 3) << "\n";
    const int64_t da = multiplo(0, lunghezza / 2, 50);
    l << "ripetizione segnali " << (n(0, 1) ? 4 : 9) << " codici, " << da << ", "
      << (n(0, 4) == 0 ? 0 : multiplo(da, lunghezza, 50)) << "\n[curve]\n";
    if (con_piano)
      for (int64_t x = n(1, 500); x < lunghezza - 2000; x += n(300, 5000)) {
        const int64_t lun = n(1, 1500);
        l << "curva" << (n(0, 1) ? 'd' : 's') << n(1, 6) << ", " << x << ", " << lun << "\n";
        x += lun;
      }
    l << "[pendenze]\n";
    for (int64_t x = 0; x < lunghezza; x += multiplo(50, 20000, 50)) l << "pendenza, " << x << ", " << n(-100, 155) << "\n";
    l << "[montagne]\n";
    for (int64_t x = multiplo(0, 5000, 50); x < lunghezza; x += multiplo(100, 20000, 50)) {
      const int64_t fine = x + multiplo(100, 8000, 50);
      const int tipi[] = {1, 2, 3, 10, 11, 12, 13};
      l << "montagna, " << x << ", " << fine << ", " << tipi[n(0, 6)] << "\n";
      // Now and then the next zone begins inside this one (and is then of type 3).
      x = fine - (n(0, 3) == 0 ? multiplo(150, 1000, 50) : 0);
    }
    std::ostringstream cartelli, indicazioni;
    t << "[generale]\nnumero vetture, " << n(1, 12) << "\npercentuale massa frenata, " << n(50, 150)
      << "\nsabbia, " << n(0, 400) << "\norologio, " << n(0, 23) << " " << n(0, 59) << " " << n(0, 59) << "\n";
    t << "[aderenze]\n";
    for (int64_t x = 0; x < lunghezza; x += multiplo(50, 30000, 50)) t << "aderenza, " << x << ", " << n(0, 255) << "\n";
    t << "[vel_limite]\n";
    for (int64_t x = 0; x < lunghezza; x += multiplo(50, 30000, 50)) t << "velocita, " << x << ", " << 5 * n(0, 60) << "\n";
    std::ostringstream stazioni, rallentamenti, segnali, codici;
    const int classi[] = {2, 4, 12, 22, 28, 30};
    stazioni << "stazione, 0, 8, 400, 1, 0, 0, 4,1,0, 2,1,1, 1, 6,0,0, Origine\n";
    int numero = 0, tabelle = 0;
    // One feature every 1500 to 4000 m from 2000 m, the terminus last.
    for (int64_t x = 2000; x < lunghezza - 3000; x += multiplo(1500, 4000, 50)) {
      switch (n(0, 6)) {
        case 0:
          if (numero < 30)
            stazioni << "stazione, " << x << ", " << classi[n(0, 5)] << ", " << 100 * n(2, 6) << ", " << n(0, 1)
                     << ", " << n(0, 1) << ", " << n(0, 1) << ", " << n(0, 4) << "," << n(0, 1) << ",0, " << n(0, 4)
                     << "," << n(0, 4) << "," << n(0, 1) << ", " << n(0, 99) << ", " << n(6, 22) << "," << n(0, 59)
                     << ",0, Stazione " << ++numero << "\n";
          break;
        case 1: {
          const int64_t lun = multiplo(100, 1000, 50);
          const int velocita[] = {30, 60, 80, 110, 120};
          rallentamenti << "rallentamento, " << x << ", " << velocita[n(0, 4)] << ", " << lun << ", " << n(0, 1)
                        << ", " << n(0, 1) << ", " << n(0, 3) << "\n";
          x += lun;
          break;
        }
        case 2: {
          const int tempi[] = {0, 0, 50, 101, 150, 255};
          segnali << "segnale, " << x << ", " << n(0, 2) << ", " << n(0, 5) << ", " << n(0, 5) << ", " << n(0, 5) << ", "
                  << n(0, 1) << ", " << n(0, 2) << ", " << n(0, 5) << ", " << n(0, 5) << ", " << n(0, 5) << ", "
                  << tempi[n(0, 5)] << "\n";
          break;
        }
        case 3:
          codici << "abbattimento, " << x << ", " << (n(0, 3) == 0 ? 0 : 10 * n(1, 30)) << "\n";
          break;
        case 4:
          cartelli << "indicatori_v_max, " << x << ", " << 5 * n(0, 30) << ", " << 5 * n(0, 30) << ", "
                   << 5 * n(0, 30) << ", " << n(0, 3) << ", " << 5 * n(0, 30) << ", " << 5 * n(0, 30) << ", "
                   << 5 * n(0, 30) << ", " << n(0, 3) << "\n";
          break;
        case 5:
          if (++tabelle > 30) break;
          indicazioni << "cartello_indicatore, " << x << ", (Tx" << n(0, 99) << ")(fiume)(Reno )\n";
          break;
        default:
          break;
      }
    }
    stazioni << "stazione, " << multiplo(lunghezza - 2000, lunghezza - 1000, 50) << ", 6, 500, 1, 0, 0, 1,1,0, 2,1,1, 0, 23,0,0, Termine\n";
    l << "[cartelli]\n" << cartelli.str() << "[indicazioni]\n" << indicazioni.str() << "[fine]\n";
    t << "[stazioni]\n" << stazioni.str() << "[rallentamenti]\n" << rallentamenti.str() << "[segnali]\n"
      << segnali.str() << "[codici]\n" << codici.str() << "[fine]\n";
    return {prova::crlf(l.str()), prova::crlf(t.str())};
  }

 private:
  std::mt19937 g_;
};

TEST(Spacchetta, GeneratedScenariosPackBack) {
  // Modest in number: the test build runs under the sanitizers.
  constexpr int quanti = 40;
  int provati = 0, riusciti = 0;
  for (uint32_t seme = 1; provati < quanti; ++seme) {
    Generatore g(seme);
    const bool con_piano = g.n(0, 3) != 0;
    const int64_t lunghezza = g.multiplo(15000, 120000, 50);
    const auto [linea, treno] = g.sorgenti(lunghezza, con_piano);
    ++provati;
    if (impacchetta(linea, treno, con_piano).errore != 0) continue;
    SCOPED_TRACE("seed " + std::to_string(seme));
    giro(linea, treno, con_piano);
    ++riusciti;
  }
  std::printf("generated scenarios: %d, packed with status 0 and round-tripped: %d\n", provati, riusciti);
  EXPECT_GE(riusciti, quanti / 2);
}

TEST(Spacchetta, ALineOfOneMillionMetresPacksBack) {
  Generatore g(7);
  const auto [linea, treno] = g.sorgenti(1000000, true);
  giro(linea, treno, true);
}

// ---- damaged packed files ----

struct danno {
  const char* nome;
  void (*guasta)(impacchettato&);
  const char* messaggio;
  bool sorgenti_scritte;
};

TEST(Spacchetta, DamagedPackedFilesAreNamedAndGiveStatus2) {
  using prova::sorgente::linea;
  using prova::sorgente::stazione;
  using prova::sorgente::treno;
  const danno danni[] = {
      {"a cell type the builder never writes",
       [](impacchettato& p) { p.celle[15 * 40] = static_cast<char>(255); },
       "T 1.dat: byte 600 (cell 40", true},
      {"a track file too long", [](impacchettato& p) { p.celle += "1234567"; }, "T 1.dat", true},
      {"an item file cut short", [](impacchettato& p) { p.voci.resize(p.voci.size() / 2); }, "T 1.sim", false},
      {"a line file cut short", [](impacchettato& p) { p.linea->resize(p.linea->size() - 5); },
       "Linea_linea.dat", true},
      {"a route length disagreeing with the files",
       [](impacchettato& p) { p.voci[0] = p.voci[0]; p.celle.resize(p.celle.size() - 15); }, "T 1.dat", true},
  };
  const impacchettato sano =
      impacchetta(linea("curvad2, 1000, 500\n", 10000), treno(stazione(0, 8, 400) + stazione(9000, 6, 500)), true);
  for (const danno& d : danni) {
    SCOPED_TRACE(d.nome);
    impacchettato p = sano;
    d.guasta(p);
    piattaforma::DiscoMemoria disco;
    // The folder's paths as the program joins them, with the system's separator.
    const std::string in = piattaforma::unisci_percorso("in", "");
    disco.file[in + scenario::nome_pacchetto_linea("Linea")] = *p.linea;
    disco.file[in + scenario::nome_pacchetto_voci("Linea", "T 1")] = p.voci;
    disco.file[in + scenario::nome_pacchetto_celle("Linea", "T 1")] = p.celle;
    spacchettatore::opzioni o;
    o.cartella = "in";
    o.uscita = (std::filesystem::temp_directory_path() / "spacchetta_danni").string();
    o.forza = true;
    auto elenca = [&](const std::string&) {
      std::vector<std::string> nomi;
      for (const auto& [percorso, byte] : disco.file)
        if (percorso.rfind(in, 0) == 0) nomi.push_back(percorso.substr(in.size()));
      return nomi;
    };
    std::ostringstream uscita, errori;
    EXPECT_EQ(spacchettatore::spacchetta_cartella(disco, elenca, o, uscita, errori), spacchettatore::spacchetto_difettoso);
    EXPECT_NE(errori.str().find(d.messaggio), std::string::npos) << errori.str();
    EXPECT_EQ(disco.file.count(unisci_percorso(*o.uscita, "Linea_linea.txt")), d.sorgenti_scritte ? 1u : 0u);
  }
}

// ---- the command line ----

// What each command line reads to, and the lines refused.
TEST(LeggiOpzioni, TakesFolderNamesAndOutputAnywhereAndRefusesTheRest) {
  struct letta {
    std::vector<std::string> argomenti;
    std::string cartella, linea, treno, uscita;
    bool forza;
  };
  const std::vector<letta> accettate = {
      {{"in", "-o", "out"}, "in", "", "", "out", false},
      {{"-o=out", "in", "R", "T 1", "--force"}, "in", "R", "T 1", "out", true},
      {{"--output", "out", "--", "-in"}, "-in", "", "", "out", false},  // a folder named -in
      {{"-", "-o", "out"}, "-", "", "", "out", false},
  };
  for (const letta& c : accettate) {
    SCOPED_TRACE(c.argomenti.front());
    const spacchettatore::opzioni o = spacchettatore::leggi_opzioni(c.argomenti);
    EXPECT_EQ(o.cartella, c.cartella);
    EXPECT_EQ(o.linea, c.linea);
    EXPECT_EQ(o.treno, c.treno);
    EXPECT_EQ(o.uscita.value_or(""), c.uscita);
    EXPECT_EQ(o.forza, c.forza);
  }
  const std::vector<std::vector<std::string>> rifiutate = {
      {"in"},                              // no -o
      {"-o", "out"},                       // no folder
      {"in", "R", "T", "x", "-o", "out"},  // too many
      {"in", "-o"},                        // -o without its value
      {"in", "-o", ""},                    // an empty value
      {"in", "-o", "a", "-o", "b"},        // given twice
      {"in", "-o", "out", "--forse"},      // unknown
      {"in", "-o", "out", "--force=1"},    // a switch takes no value
  };
  for (const auto& argomenti : rifiutate)
    EXPECT_THROW(spacchettatore::leggi_opzioni(argomenti), spacchettatore::ErroreUso)
        << argomenti.back();
  // --help and --version need nothing else.
  EXPECT_TRUE(spacchettatore::leggi_opzioni({"--help"}).aiuto);
  EXPECT_TRUE(spacchettatore::leggi_opzioni({"--version"}).versione);
  // The suggestion comes from the table.
  try {
    spacchettatore::leggi_opzioni({"in", "-o", "out", "--forse"});
    ADD_FAILURE() << "--forse read";
  } catch (const spacchettatore::ErroreUso& e) {
    EXPECT_STREQ(e.what(), "unknown option --forse: did you mean --force?");
  }
}

// ---- the programs themselves ----

TEST(SpacchettaScenario, TheShippedScenarioRoundTripsThroughThePrograms) {
  namespace fs = std::filesystem;
  const fs::path radice = fs::temp_directory_path() / ("spacchetta_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(radice);
  const fs::path costruttore = radice / "costruttore";
  fs::create_directories(costruttore);
  const fs::path crea = costruttore / fs::path(PROGRAMMA_CREA_SCENARIO).filename();
  fs::copy_file(PROGRAMMA_CREA_SCENARIO, crea);
  ASSERT_EQ(prova::esegui_programma(crea, {}, radice).stato, 0);

  // Standard output and error as text, whatever the line ends (CR LF on Windows).
  const auto spacchetta = [&](std::vector<std::string> a) {
    auto e = prova::esegui_programma(PROGRAMMA_SPACCHETTA_SCENARIO, a, radice);
    std::erase(e.uscita, '\r');
    std::erase(e.errori, '\r');
    return e;
  };
  const auto e = spacchetta({costruttore.string(), "-o", (radice / "sorgenti").string()});
  EXPECT_EQ(e.stato, 0) << e.errori;
  // A second run keeps the sources it finds, unless told.
  EXPECT_EQ(spacchetta({costruttore.string(), "-o", (radice / "sorgenti").string()}).stato, 3);
  // What a killed run left of a source's temporary file is cleared under
  // the folder's lock.
  const fs::path avanzo =
      radice / "sorgenti" / (scenario::nome_sorgente_linea(scenario::linea_scenario) + ".nuovo-0123456789abcdef");
  std::ofstream(avanzo) << "left by a killed run";
  EXPECT_EQ(spacchetta({costruttore.string(), "-o", (radice / "sorgenti").string(), "--force"}).stato, 0);
  EXPECT_FALSE(fs::exists(avanzo));
  // A wrong command line: the message, the usage and where to read more,
  // status 3, nothing read or written.
  const auto senza_uscita = spacchetta({costruttore.string()});
  EXPECT_EQ(senza_uscita.stato, 3);
  EXPECT_NE(senza_uscita.errori.find("spacchetta_scenario: give the folder to write the sources into with -o DIR\n"
                                     "Usage: spacchetta_scenario"),
            std::string::npos)
      << senza_uscita.errori;
  EXPECT_NE(senza_uscita.errori.find("--help"), std::string::npos);
  const auto aiuto = spacchetta({"--help"});
  EXPECT_EQ(aiuto.stato, 0);
  EXPECT_NE(aiuto.uscita.find("  -o, --output DIR"), std::string::npos) << aiuto.uscita;
  EXPECT_NE(aiuto.uscita.find("Exit status:"), std::string::npos);
  const auto versione = spacchetta({"--version"});
  EXPECT_EQ(versione.stato, 0);
  EXPECT_EQ(versione.uscita.rfind("spacchetta_scenario ", 0), 0u) << versione.uscita;

  const std::string linea = scenario::linea_scenario, treno = scenario::treno_scenario;
  fs::create_directories(radice / "di_nuovo");
  const auto p = prova::esegui_programma(
      PROGRAMMA_IMPACCHETTA_SCENARIO,
      {(radice / "sorgenti" / scenario::nome_sorgente_linea(linea)).string(),
       (radice / "sorgenti" / scenario::nome_sorgente_treno(linea, treno)).string(), "-o",
       (radice / "di_nuovo").string()},
      radice);
  EXPECT_EQ(p.stato, 0) << p.errori;
  for (const std::string& nome : {scenario::nome_pacchetto_linea(linea), scenario::nome_pacchetto_voci(linea, treno),
                                  scenario::nome_pacchetto_celle(linea, treno)})
    EXPECT_TRUE(prova::dettaglio::leggi_tutto(costruttore / nome) == prova::dettaglio::leggi_tutto(radice / "di_nuovo" / nome))
        << nome;
  fs::remove_all(radice);
}

}  // namespace
