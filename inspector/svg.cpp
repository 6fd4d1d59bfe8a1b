#include "inspector/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ispettore {

std::string num(double v) {
  char t[32];
  std::snprintf(t, sizeof t, "%.1f", v);
  std::string s = t;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  if (s == "-0") s = "0";
  return s;
}

std::string unisci(std::initializer_list<std::string_view> pezzi) {
  std::string t;
  for (std::string_view p : pezzi) t += p;
  return t;
}

std::string etichetta(double v) {
  char t[32];
  if (std::fabs(v - std::round(v)) < 1e-9)
    std::snprintf(t, sizeof t, "%.0f", v);
  else
    std::snprintf(t, sizeof t, "%.3g", v);
  return t;
}

std::string etichetta(double v, double passo) {
  const int decimali =
      passo > 0 && std::isfinite(passo) ? std::clamp(static_cast<int>(-std::floor(std::log10(passo) + 1e-9)), 0, 9) : 3;
  // Below half the last decimal, a value is 0 (and never "-0").
  if (std::fabs(v) < 0.5 * std::pow(10.0, -decimali)) v = 0;
  char t[48];
  std::snprintf(t, sizeof t, "%.*f", decimali, v);
  return t;
}

double larghezza_testo(std::string_view testo, double corpo) {
  size_t caratteri = 0;
  for (char c : testo)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++caratteri;
  return 0.6 * corpo * static_cast<double>(caratteri);
}

std::string testo_xml(std::string_view utf8) {
  std::string t;
  t.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '&': t += "&amp;"; break;
      case '<': t += "&lt;"; break;
      case '>': t += "&gt;"; break;
      case '"': t += "&quot;"; break;
      case '\'': t += "&apos;"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
          t += '?';
        else
          t += c;
    }
  }
  return t;
}

void Svg::riga(double x0, double y0, double x1, double y1, const std::string& colore,
               double spessore, const std::string& altro) {
  t_ += "<line x1=\"" + num(x0) + "\" y1=\"" + num(y0) + "\" x2=\"" + num(x1) + "\" y2=\"" +
        num(y1) + "\" stroke=\"" + colore + "\" stroke-width=\"" + num(spessore) + "\"" + altro +
        "/>\n";
}

void Svg::rettangolo(double x, double y, double l, double a, const std::string& riempimento,
                     const std::string& altro) {
  t_ += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(std::max(l, 0.0)) +
        "\" height=\"" + num(std::max(a, 0.0)) + "\" fill=\"" + riempimento + "\"" + altro + "/>\n";
}

void Svg::cerchio(double x, double y, double r, const std::string& riempimento,
                  const std::string& altro) {
  t_ += "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) + "\" r=\"" + num(r) + "\" fill=\"" +
        riempimento + "\"" + altro + "/>\n";
}

void Svg::cerchio_con_titolo(double x, double y, double r, const std::string& riempimento,
                             std::string_view titolo, const std::string& altro) {
  t_ += "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) + "\" r=\"" + num(r) + "\" fill=\"" +
        riempimento + "\"" + altro + "><title>" + testo_xml(titolo) + "</title></circle>\n";
}

void Svg::percorso(const std::string& d, const std::string& altro) {
  t_ += "<path d=\"" + d + "\"" + altro + "/>\n";
}

void Svg::percorso_con_titolo(const std::string& d, const std::string& altro,
                              std::string_view titolo) {
  t_ += "<path d=\"" + d + "\"" + altro + "><title>" + testo_xml(titolo) + "</title></path>\n";
}

void Svg::rettangolo_con_titolo(double x, double y, double l, double a, const std::string& riempimento,
                                std::string_view titolo, const std::string& altro) {
  t_ += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(std::max(l, 0.0)) +
        "\" height=\"" + num(std::max(a, 0.0)) + "\" fill=\"" + riempimento + "\"" + altro +
        "><title>" + testo_xml(titolo) + "</title></rect>\n";
}

void Svg::copia_con_titolo(const std::string& id, double x, double y, const std::string& altro,
                           std::string_view titolo) {
  t_ += "<use xlink:href=\"#" + id + "\" x=\"" + num(x) + "\" y=\"" + num(y) + "\"" + altro + "><title>" +
        testo_xml(titolo) + "</title></use>\n";
}

void Svg::testo(double x, double y, std::string_view contenuto, double corpo,
                const std::string& ancora, const std::string& altro) {
  t_ += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" font-size=\"" + num(corpo) + "\"";
  if (ancora != "start") t_ += " text-anchor=\"" + ancora + "\"";
  t_ += altro + ">" + testo_xml(contenuto) + "</text>\n";
}

}  // namespace ispettore
