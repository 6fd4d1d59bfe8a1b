#include "authoring/disegno_sorgenti.h"

#include <cstdio>
#include <map>
#include <tuple>
#include <utility>

#include "authoring/riga_comando.h"
#include "inspector/bande.h"
#include "inspector/disegno.h"
#include "inspector/svg.h"
#include "inspector/verifiche.h"
#include "model/identita.h"
#include "platform/cartella_programma.h"
#include "platform/cartella_scrittura.h"
#include "platform/errore_file.h"
#include "platform/identita_file.h"

namespace autore {
namespace {

// The drawing's size, from its root element: width and height in pixels.
std::pair<std::string, std::string> dimensioni(std::string_view svg) {
  auto attributo = [&](std::string_view nome) -> std::string {
    const size_t radice = svg.find("<svg");
    if (radice == std::string_view::npos) return "0";
    std::string cerca(" ");
    cerca.append(nome).append("=\"");
    const size_t i = svg.find(cerca, radice);
    if (i == std::string_view::npos) return "0";
    const size_t da = i + cerca.size();
    const size_t a = svg.find('"', da);
    const std::string valore(svg.substr(da, a - da));
    // Digits and a point only: the value goes into a script.
    return valore.find_first_not_of("0123456789.") == std::string::npos && !valore.empty() ? valore
                                                                                         : "0";
  };
  return {attributo("width"), attributo("height")};
}

// A text as a JavaScript string literal that may stand inside a page's
// script element: quotes, backslashes, "<" and control characters escaped.
std::string stringa_js(std::string_view t) {
  std::string r = "\"";
  for (const char c : t) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      r += '\\';
      r += c;
    } else if (b < 0x20 || c == '<' || c == '>' || c == '&') {
      char u[8];
      std::snprintf(u, sizeof u, "\\u%04x", b);
      r += u;
    } else {
      r += c;
    }
  }
  return r + "\"";
}

// The notice: a band over the title, in the colour of errors.
std::string avviso(double larghezza, const std::string& riga1, const std::string& riga2) {
  ispettore::Svg s;
  s.t() += "<g id=\"avviso\">\n";
  s.rettangolo(0, 0, larghezza, 70, "#fde8e8", " stroke=\"#b00020\" stroke-width=\"2\"");
  s.testo(40, 30, riga1, 18, "start", " fill=\"#b00020\" font-weight=\"bold\"");
  s.testo(40, 56, riga2, 14, "start", " fill=\"#b00020\"");
  s.t() += "</g>\n";
  return std::move(s.t());
}

}  // namespace

ispettore::provenienze provenienze_da(const scenario::diagnosi& d, const ispettore::resoconto& r,
                                      const std::string& nome_linea, const std::string& nome_treno) {
  auto testo = [&](const std::optional<scenario::luogo>& l) -> std::optional<std::string> {
    if (!l) return std::nullopt;
    return (l->file == scenario::sorgente::linea ? nome_linea : nome_treno) + ":" +
           std::to_string(d.posto(*l).riga);
  };
  ispettore::provenienze p;
  for (const ispettore::elemento& e : r.elementi)
    if (auto t = testo(d.record_della_cella(e.cella))) p.celle[e.cella] = *t;
  for (const ispettore::stazione& s : r.stazioni)
    if (auto t = testo(d.record_della_voce(s.riga))) p.stazioni[s.riga] = *t;
  using profilo = scenario::diagnosi::profilo;
  for (auto [punti, tipo, dove] :
       {std::tuple{&r.pendenza, profilo::pendenza, &p.pendenza},
        std::tuple{&r.velocita, profilo::velocita, &p.velocita},
        std::tuple{&r.aderenza, profilo::aderenza, &p.aderenza}})
    for (const ispettore::punto& k : *punti)
      if (auto t = testo(d.record_del_profilo(tipo, k.cella))) (*dove)[k.cella] = *t;
  for (const ispettore::zona_montagna& z : r.montagne)
    if (auto t = testo(d.record_della_montagna(z.prima))) p.montagne[z.prima] = *t;
  return p;
}

std::string disegna_pacchetti(const pacchetti_in_memoria& p, const scenario::diagnosi& d,
                              const std::string& nome_linea, const std::string& nome_treno) {
  ispettore::pacchetti letti = ispettore::pacchetti_di(p.linea, p.treno);
  letti.byte_linea = p.byte_linea;
  letti.byte_voci = p.byte_voci;
  letti.byte_celle = p.byte_celle;
  const ispettore::scenario_letto s = ispettore::verifica(letti);
  ispettore::resoconto r = ispettore::componi(s.m);
  r.sorgenti = provenienze_da(d, r, nome_linea, nome_treno);
  return ispettore::disegna_svg(r, s.con_piano ? &s.piano : nullptr);
}

std::string con_avviso(std::string_view svg, const std::string& riga1, const std::string& riga2) {
  const size_t fine = svg.rfind("</svg>");
  if (fine == std::string_view::npos) return std::string(svg);
  return std::string(svg.substr(0, fine)) + avviso(ispettore::larghezza, riga1, riga2) +
         std::string(svg.substr(fine));
}

std::string senza_disegno(const std::string& riga1, const std::string& riga2) {
  const std::string l = ispettore::num(ispettore::larghezza);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + l + "\" height=\"90\" viewBox=\"0 0 " +
         l + " 90\" font-family=\"" + ispettore::carattere + "\">\n" +
         "<title>" + ispettore::testo_xml(riga1) + "</title>\n" +
         avviso(ispettore::larghezza, riga1, riga2) + "</svg>\n";
}

std::string nome_pagina(const std::string& svg) { return svg + ".html"; }
std::string nome_segnale(const std::string& svg) { return svg + ".js"; }

std::string pagina(const std::string& nome_svg) {
  return R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>)" + ispettore::testo_xml(nome_svg) + R"( (redrawn on every save)</title>
<style>
body { margin: 0; font-family: sans-serif; background: #fff; }
#stato { position: sticky; top: 0; padding: 8px 16px; background: #e8f0e8; font-size: 14px; }
#stato.errori { background: #fde8e8; color: #b00020; }
iframe { border: 0; display: block; }
</style>
</head>
<body>
<div id="stato">Waiting for impacchetta_scenario --watch to draw (it writes )" +
         ispettore::testo_xml(nome_segnale(nome_svg)) + R"( beside this page)</div>
<iframe id="disegno" title="drawing" width="1600" height="0"></iframe>
<script>
// The packer rewrites the signal after every drawing; the page loads it
// once a second as a script (a page opened from disk may load a script
// beside it, though it may not read a file) and reloads the drawing when
// the round it names has changed.
var svg = )" + stringa_js(nome_svg) + R"(;
var segnale = )" + stringa_js(nome_segnale(nome_svg)) + R"(;
var giro = null;
function disegno(n, stato, errori, larghezza, altezza) {
  var s = document.getElementById("stato");
  s.textContent = stato;
  s.className = errori ? "errori" : "";
  if (n === giro) return;
  giro = n;
  var f = document.getElementById("disegno");
  f.width = larghezza;
  f.height = altezza;
  f.src = encodeURIComponent(svg) + "?giro=" + n;
}
function chiedi() {
  var vecchio = document.getElementById("segnale");
  if (vecchio) vecchio.parentNode.removeChild(vecchio);
  var e = document.createElement("script");
  e.id = "segnale";
  e.src = encodeURIComponent(segnale) + "?t=" + Date.now();
  document.body.appendChild(e);
}
chiedi();
setInterval(chiedi, 1000);
</script>
</body>
</html>
)";
}

std::string segnale(int giro, const std::string& stato, bool errori, std::string_view svg) {
  const auto [larghezza, altezza] = dimensioni(svg);
  return "disegno(" + std::to_string(giro) + ", " + stringa_js(stato) + ", " +
         (errori ? "true" : "false") + ", " + larghezza + ", " + altezza + ");\n";
}

void scrivi_disegno(piattaforma::Disco& disco, const std::string& percorso,
                    const std::optional<std::string>& svg, const std::optional<pagina_disegno>& p,
                    std::string_view svg_mostrato, const std::vector<std::string>& intoccabili,
                    const std::function<void()>& in_attesa) {
  const std::string cartella = piattaforma::cartella_di(percorso);
  std::vector<std::string> nomi;
  if (svg) nomi.push_back(percorso);
  if (p) {
    if (svg) nomi.push_back(nome_pagina(percorso));
    nomi.push_back(nome_segnale(percorso));
  }
  const auto blocco = piattaforma::prendi_cartella(disco, cartella, nomi, in_attesa);
  for (const std::string& nome : nomi) {
    const piattaforma::tipo_file tipo = piattaforma::tipo_di(nome);
    if (tipo != piattaforma::tipo_file::mancante && tipo != piattaforma::tipo_file::regolare)
      throw piattaforma::ErroreFile(nome, "write the drawing to",
                                    piattaforma::motivo_non_regolare(tipo) +
                                        " (the drawing replaces only a regular file)");
    for (const std::string& altro : intoccabili)
      if (nome == altro || piattaforma::stesso_file(nome, altro))
        throw piattaforma::ErroreFile(nome, "write the drawing to", "it is " + altro +
                                                                        ", which the drawing never replaces");
  }
  if (svg) disco.sostituisci(percorso, *svg);
  if (!p) return;
  if (svg) disco.sostituisci(nome_pagina(percorso), pagina(nome_di(percorso)));
  disco.sostituisci(nome_segnale(percorso), segnale(p->giro, p->stato, p->errori, svg ? *svg : svg_mostrato));
}

}  // namespace autore
