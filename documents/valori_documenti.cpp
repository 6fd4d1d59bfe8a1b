#include "documents/valori_documenti.h"

#include <charconv>
#include <set>

namespace documenti {
namespace {

std::string_view senza_blank(std::string_view t) {
  const size_t a = t.find_first_not_of(" \t");
  if (a == std::string_view::npos) return {};
  return t.substr(a, t.find_last_not_of(" \t") - a + 1);
}

// A text value and the width of the cell that shows it.
struct campo_testo {
  const char* nome;
  std::string valori_documenti::*campo;
  size_t larghezza;
};
constexpr campo_testo campi_testo[] = {
    {"classificazione", &valori_documenti::classificazione, 17},
    {"massa", &valori_documenti::massa, 16},
    {"locomotiva", &valori_documenti::locomotiva, 9},
    {"apparato", &valori_documenti::apparato, 8},
    {"categoria", &valori_documenti::categoria, 18},
};

}  // namespace

valori_documenti leggi_valori(std::string_view testo) {
  valori_documenti v;
  std::set<std::string> visti;
  size_t numero = 0;
  for (size_t inizio = 0; inizio < testo.size();) {
    size_t fine = testo.find('\n', inizio);
    if (fine == std::string_view::npos) fine = testo.size();
    std::string_view riga = testo.substr(inizio, fine - inizio);
    inizio = fine + 1;
    ++numero;
    if (!riga.empty() && riga.back() == '\r') riga.remove_suffix(1);
    if (senza_blank(riga).empty() || senza_blank(riga).front() == ';') continue;

    // The fields, each with the column where it starts.
    std::vector<std::pair<std::string_view, size_t>> campi;
    for (size_t a = 0;;) {
      const size_t b = riga.find(',', a);
      const std::string_view c = riga.substr(a, b == std::string_view::npos ? std::string_view::npos : b - a);
      const size_t dentro = c.find_first_not_of(" \t");
      campi.emplace_back(senza_blank(c), a + (dentro == std::string_view::npos ? 0 : dentro) + 1);
      if (b == std::string_view::npos) break;
      a = b + 1;
    }
    const std::string nome(campi[0].first);
    auto errore = [&](size_t k, const std::string& cosa) {
      throw ErroreValori(numero, campi[std::min(k, campi.size() - 1)].second, cosa);
    };

    if (nome == "banalizzato") {
      if (campi.size() != 3)
        errore(campi.size() < 3 ? campi.size() - 1 : 3,
               "banalizzato takes two chainages in metres, from and to: banalizzato, 0, 31200");
      int32_t estremi[2] = {0, 0};
      for (size_t k = 1; k <= 2; ++k) {
        const std::string_view c = campi[k].first;
        const auto r = std::from_chars(c.data(), c.data() + c.size(), estremi[k - 1]);
        if (c.empty() || r.ec != std::errc() || r.ptr != c.data() + c.size())
          errore(k, std::string("`").append(c).append("` is not a chainage in whole metres"));
      }
      if (estremi[0] > estremi[1]) errore(2, "the stretch ends before it begins");
      v.banalizzati.push_back({estremi[0], estremi[1]});
      continue;
    }

    const campo_testo* campo = nullptr;
    for (const campo_testo& c : campi_testo)
      if (nome == c.nome) campo = &c;
    if (campo == nullptr)
      errore(0, "`" + nome +
                    "` is no record of this file: classificazione, massa, locomotiva, apparato, "
                    "categoria or banalizzato");
    if (!visti.insert(nome).second) errore(0, nome + " is given twice");
    // A value may hold commas: it runs to the end of the line.
    const std::string valore(
        senza_blank(riga.substr(std::min(riga.size(), campi.size() > 1 ? campi[1].second - 1 : riga.size()))));
    if (valore.empty()) errore(1, nome + " has no value");
    if (valore.size() > campo->larghezza)
      errore(1, nome + " `" + valore + "` is " + std::to_string(valore.size()) +
                    " characters long; its cell holds " + std::to_string(campo->larghezza));
    v.*(campo->campo) = stampabile(valore);
  }
  return v;
}

}  // namespace documenti
