#include "authoring/riferimento.h"

#include <algorithm>
#include <cctype>

extern const std::string_view testo_riferimento;

namespace autore {
namespace {

// True for a line of '=' that frames a section's title.
bool cornice(std::string_view riga) {
  return riga.size() >= 20 && riga.find_first_not_of('=') == std::string_view::npos;
}

// Lower case, blanks at the ends dropped and inner runs made one.
std::string normale(std::string_view s) {
  std::string r;
  for (char c : s) {
    const bool blank = c == ' ' || c == '\t';
    if (blank && (r.empty() || r.back() == ' ')) continue;
    r += blank ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  while (!r.empty() && r.back() == ' ') r.pop_back();
  return r;
}

// The lines of the text, without their line ends.
std::vector<std::string_view> righe(std::string_view t) {
  std::vector<std::string_view> r;
  while (!t.empty()) {
    const size_t fine = t.find('\n');
    r.push_back(t.substr(0, fine));
    if (fine == std::string_view::npos) break;
    t.remove_prefix(fine + 1);
  }
  return r;
}

// The reference cut up: the introduction, then the sections.
struct riferimento {
  std::string introduzione;
  std::vector<voce_riferimento> voci;
};

// The sections: a title line between two frame lines, then the text up to
// the next frame; what comes before the first is the introduction.
riferimento leggi_riferimento() {
  riferimento rif;
  std::vector<voce_riferimento>& voci = rif.voci;
  const auto r = righe(testo_riferimento);
  for (size_t i = 0; i + 2 < r.size(); ++i) {
    if (!cornice(r[i]) || !cornice(r[i + 2])) {
      if (voci.empty()) (rif.introduzione += r[i]) += '\n';
      continue;
    }
    const std::string_view titolo = r[i + 1];
    const size_t spazio = titolo.find("  ");
    voce_riferimento v;
    v.nome = std::string(titolo.substr(0, spazio));
    if (spazio != std::string_view::npos) {
      const size_t inizio = titolo.find_first_not_of(' ', spazio);
      if (inizio != std::string_view::npos) v.fonte = std::string(titolo.substr(inizio));
    }
    size_t k = i + 3;
    std::string testo;
    for (size_t j = i; j < k; ++j) (testo += r[j]) += '\n';
    for (; k < r.size() && !cornice(r[k]); ++k) (testo += r[k]) += '\n';
    while (testo.size() > 1 && testo[testo.size() - 2] == '\n') testo.pop_back();
    v.testo = std::move(testo);
    voci.push_back(std::move(v));
    i = k - 1;
  }
  return rif;
}

const riferimento& il_riferimento() {
  static const riferimento rif = leggi_riferimento();
  return rif;
}

// The first word of a normal text.
std::string_view prima_parola(std::string_view s) { return s.substr(0, s.find(' ')); }

}  // namespace

std::string_view testo_riferimento_intero() { return testo_riferimento; }

const std::vector<voce_riferimento>& voci_riferimento() { return il_riferimento().voci; }

std::vector<const voce_riferimento*> cerca_riferimento(std::string_view nome) {
  const std::string cercato = normale(nome);
  std::vector<const voce_riferimento*> trovate;
  if (cercato.empty()) return trovate;
  for (const voce_riferimento& v : voci_riferimento()) {
    const std::string titolo = normale(v.nome);
    if (titolo == cercato) return {&v};
    // "curvad3" is a curva, "sfondo due" a sfondo: the name's first word
    // begins with the section's.
    if (prima_parola(cercato).starts_with(prima_parola(titolo))) trovate.push_back(&v);
  }
  if (!trovate.empty()) return trovate;
  for (const voce_riferimento& v : voci_riferimento())
    if (normale(v.nome).find(cercato) != std::string::npos) trovate.push_back(&v);
  return trovate;
}

int stampa_riferimento(const std::string& record, std::ostream& uscita, std::ostream& errori) {
  auto elenco = [](std::ostream& o) {
    for (const voce_riferimento& v : voci_riferimento()) {
      o << "  " << v.nome;
      for (size_t n = v.nome.size(); n < 48; ++n) o << ' ';
      o << ' ' << v.fonte << "\n";
    }
  };
  if (record.empty()) {
    uscita << il_riferimento().introduzione;
    uscita << "Records (impacchetta_scenario --reference RECORD prints one):\n\n";
    elenco(uscita);
    return 0;
  }
  const auto trovate = cerca_riferimento(record);
  if (trovate.size() == 1) {
    uscita << trovate.front()->testo;
    return 0;
  }
  errori << "impacchetta_scenario: " << (trovate.empty() ? "no record is named \"" : "several records match \"")
         << record << "\"; the records are:\n";
  if (trovate.empty()) {
    elenco(errori);
  } else {
    for (const voce_riferimento* v : trovate) errori << "  " << v->nome << "\n";
  }
  return 3;
}

}  // namespace autore
