#include "prova/modello_piccolo.h"

#include "packer/caricatore.h"
#include "packer/impacchettatore.h"

namespace prova {

scenario::modello modello_piccolo() {
  using namespace scenario;
  modello m;
  m.linea = "Linea Prova";
  m.treno = "R 7";
  const int32_t lunghezza = 1000;
  m.celle.resize(static_cast<size_t>(ultima_cella(lunghezza)) + 1);
  m.lunghezza_estesa = lunghezza + estensione;
  m.con_planimetria = 1;
  piano& p = m.planimetria;
  p.crea(m.lunghezza_estesa);
  p.metti_intero(0, 0);
  p.metti_intero(0, 1);
  // Straight, with a right-hand curve from metre 301 to 700: rows 2 to 300
  // straight, 301 to 700 curved, then straight to R - 2.
  righe_piano(p, 299, false, 0);
  righe_piano(p, 400, true, 0.002);
  righe_piano(p, m.lunghezza_estesa - 2 - 700, false, 0);
  p.chiudi();

  voce& a = m.voci[1];
  a = {8, -200, 200, 0, 1, "Citt\xE0 Alta", 4, 1, 2, 1, 1, 0, 1, 0, 0, 50120};
  voce& b = m.voci[2];
  b = {6, 400, 1150, 1000, 1, "Ponte & <Fiume>", 1, 1, 2, 1, 1, 0, 0, 0, 0, 51000};
  m.voci[80].nome = "(Bivio)(Nord )";
  m.voci[81] = {0, 500, 1600, 1, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  m.voci[82] = {0, 300, -300, 0, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  m.voci[83] = {0, 0, 12000, 0, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  m.voci[84].inizio = 120;
  m.voci[84].fine = lunghezza;
  m.voci[84].posizione = 8;
  m.voci[85].inizio = 1;
  m.voci[85].nome = m.linea;
  m.voci[86].inizio = 0;
  m.voci[86].fine = 900;
  m.voci[86].posizione = 9;
  m.voci[86].nome = m.treno;
  m.voci[86].dato1 = 200;
  m.voci[86].dato3 = 13;
  m.voci[86].dato4 = 55;
  m.voci[86].dato5 = 20;

  auto metti = [&](int32_t i, uint8_t tipo, int16_t v1, int16_t v2 = 0, int16_t v3 = 0,
                   int16_t v4 = 0, uint8_t tempo = 0) {
    cella& c = m.celle[static_cast<size_t>(i)];
    c.tipo = tipo;
    c.valore1 = v1;
    c.valore2 = v2;
    c.valore3 = v3;
    c.valore4 = v4;
    c.tempo = tempo;
  };
  metti(3, tipo_cella::fermata, 1);
  metti(5, tipo_cella::codice, 270);
  metti(11, tipo_cella::segnale, 41, 0, 0, 8);     // signal at 500 m: s1 4, d1 1, sx 2, dx 2
  metti(13, tipo_cella::cartello_indicatore, 80);  // board at 600 m
  metti(14, tipo_cella::avviso_rallentamento, 60);
  metti(15, tipo_cella::prima_avviso, 1);
  metti(16, tipo_cella::indicatori_v_max, 1220, 1422, 1624, 12);
  metti(17, tipo_cella::inizio_rallentamento, 60, 0, 1);
  metti(19, tipo_cella::fine_rallentamento, 60, 0, 1);
  metti(20, tipo_cella::segnale, 22, 51, 11, 18, 255);  // s 2 5 1, d 2 1 1, rapp 1, sx 2, dx 2
  metti(21, tipo_cella::rimozione_codice, 0);
  metti(22, tipo_cella::fermata, 2);
  metti(24, tipo_cella::segno_montagna, 0);
  for (size_t i = 0; i < m.celle.size(); ++i) {
    cella& c = m.celle[i];
    if (i + 3 >= m.celle.size()) continue;  // the last three cells keep 0
    c.velocita = i < 10 ? 28 : 20;
    c.pendenza = i >= 12 && i < 18 ? 112 : 100;
    c.aderenza = i < 15 ? 90 : 85;
    if (i >= 22 && i <= 25) c.montagna = 2;
  }

  timbra_testata(m);
  return m;
}

}  // namespace prova
