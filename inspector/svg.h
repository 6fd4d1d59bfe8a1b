#pragma once
// Writing an SVG document: numbers for coordinates, text made safe for
// XML, and the few elements the drawing uses, appended one after the other.

#include <initializer_list>
#include <string>
#include <string_view>

namespace ispettore {

// A number for a coordinate or a size: one decimal, none when it is whole
// ("12", "12.5"), and "0" rather than "-0".
std::string num(double v);

// The pieces one after the other.
std::string unisci(std::initializer_list<std::string_view> pezzi);

// A value for a label: whole when it is, else three significant digits.
std::string etichetta(double v);

// A tick of an axis whose ticks stand `passo` apart (a step of 1, 2 or 5
// times a power of ten): with as many decimals as the step needs, so that
// no two ticks read alike, and zero never written "-0".
std::string etichetta(double v, double passo);

// Width of a text in pixels at font size `corpo`, estimated from its
// characters (UTF-8 continuation bytes do not count).
double larghezza_testo(std::string_view testo, double corpo);

// Text made safe for XML character data and attribute values: the five
// special characters escaped, control characters replaced by "?".
std::string testo_xml(std::string_view utf8);

// An SVG document being written. Colours and `altro` (further attributes,
// each with its leading blank) are written as given.
class Svg {
 public:
  // The document so far.
  std::string& t() { return t_; }

  // A straight line.
  void riga(double x0, double y0, double x1, double y1, const std::string& colore, double spessore,
            const std::string& altro = "");
  // A filled rectangle; a negative size draws nothing.
  void rettangolo(double x, double y, double l, double a, const std::string& riempimento,
                  const std::string& altro = "");
  // A filled circle.
  void cerchio(double x, double y, double r, const std::string& riempimento,
               const std::string& altro = "");
  // A circle that names itself: a viewer shows `titolo` when pointed at.
  void cerchio_con_titolo(double x, double y, double r, const std::string& riempimento,
                          std::string_view titolo, const std::string& altro = "");
  // A path from its data `d`; `altro` gives its fill and stroke.
  void percorso(const std::string& d, const std::string& altro);
  // A path that names itself when pointed at.
  void percorso_con_titolo(const std::string& d, const std::string& altro, std::string_view titolo);
  // A rectangle that names itself when pointed at; a negative size draws nothing.
  void rettangolo_con_titolo(double x, double y, double l, double a, const std::string& riempimento,
                             std::string_view titolo, const std::string& altro = "");
  // A copy of the element whose id is `id`, placed at x, y, that names
  // itself when pointed at. The document's root declares the xlink prefix.
  void copia_con_titolo(const std::string& id, double x, double y, const std::string& altro,
                        std::string_view titolo);
  // Text at x, y; `ancora` is start, middle or end.
  void testo(double x, double y, std::string_view contenuto, double corpo,
             const std::string& ancora = "start", const std::string& altro = "");

 private:
  std::string t_;
};

}  // namespace ispettore
