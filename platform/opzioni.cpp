#include "platform/opzioni.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <system_error>

#include "platform/versione.h"

namespace piattaforma {
namespace {

// The name an option goes by in messages: its long one, else its short one.
std::string_view nome_di(const voce_opzione& v) { return v.lungo.empty() ? v.breve : v.lungo; }

std::string_view senza_trattini(std::string_view s) {
  while (!s.empty() && s.front() == '-') s.remove_prefix(1);
  return s;
}

char minuscola(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Edit distance between the two texts, letter case ignored, a swap of two
// neighbouring letters counting as one edit.
size_t distanza(std::string_view a, std::string_view b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j) {
      const bool uguali = minuscola(a[i - 1]) == minuscola(b[j - 1]);
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (uguali ? 0 : 1)});
      if (i > 1 && j > 1 && minuscola(a[i - 1]) == minuscola(b[j - 2]) &&
          minuscola(a[i - 2]) == minuscola(b[j - 1]))
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

// The known name closest to `dato`, dashes aside: within one edit in three
// letters (at least one), else the one long name it begins; "" when none,
// and for a single letter, which is too short to guess from.
std::string_view nome_vicino(std::span<const voce_opzione> voci, std::string_view dato) {
  const std::string_view cercato = senza_trattini(dato);
  if (cercato.size() < 2) return {};
  std::string_view migliore;
  size_t minima = std::max<size_t>(1, cercato.size() / 3) + 1;
  for (const voce_opzione& v : voci)
    for (std::string_view nome : {v.breve, v.lungo}) {
      if (nome.empty()) continue;
      const size_t d = distanza(cercato, senza_trattini(nome));
      if (d < minima) {
        migliore = nome;
        minima = d;
      }
    }
  if (!migliore.empty() || cercato.size() < 3) return migliore;
  std::string_view unico;
  for (const voce_opzione& v : voci) {
    const std::string_view nome = senza_trattini(v.lungo);
    if (nome.size() > cercato.size() &&
        std::equal(cercato.begin(), cercato.end(), nome.begin(),
                   [](char x, char y) { return minuscola(x) == minuscola(y); })) {
      if (!unico.empty()) return {};
      unico = v.lungo;
    }
  }
  return unico;
}

bool tutte_cifre(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The value of option `v` read by its kind.
valore_letto converti(const voce_opzione& v, const std::string& testo) {
  const std::string nome(nome_di(v));
  const std::string virgolettato = "\"" + testo + "\"";
  std::string_view cifre = testo;
  if (!cifre.empty() && cifre.front() == '-') cifre.remove_prefix(1);
  switch (v.tipo) {
    case tipo_valore::nessuno:
      return true;
    case tipo_valore::testo:
      return testo;
    case tipo_valore::intero: {
      if (!tutte_cifre(cifre))
        throw ErroreUso(nome + " needs a whole number in decimal digits, such as 12; got " +
                        virgolettato);
      int64_t n = 0;
      const auto [fine, esito] = std::from_chars(testo.data(), testo.data() + testo.size(), n);
      if (esito != std::errc() || fine != testo.data() + testo.size())
        throw ErroreUso(nome + ": " + virgolettato + " is too large a number");
      return n;
    }
    case tipo_valore::decimale: {
      const size_t punto = cifre.find('.');
      if (!tutte_cifre(cifre.substr(0, punto)) ||
          (punto != std::string_view::npos && !tutte_cifre(cifre.substr(punto + 1))))
        throw ErroreUso(nome + " needs a decimal number, such as 190 or 12.5; got " + virgolettato);
      double x = 0;
      const auto [fine, esito] = std::from_chars(testo.data(), testo.data() + testo.size(), x);
      if (esito != std::errc() || fine != testo.data() + testo.size())
        throw ErroreUso(nome + ": " + virgolettato + " is too large a number");
      return x;
    }
  }
  return true;
}

// Appends `testo` to `t` wrapped at blanks to end by column 79, every line
// after the first indented to `colonna`.
void a_capo(std::string& t, std::string_view testo, size_t colonna, size_t usate) {
  constexpr size_t larghezza = 79;
  bool primo = true;
  while (!testo.empty()) {
    const size_t fine_parola = std::min(testo.find(' '), testo.size());
    const std::string_view parola = testo.substr(0, fine_parola);
    testo.remove_prefix(std::min(fine_parola + 1, testo.size()));
    if (parola.empty()) continue;
    if (!primo && usate + 1 + parola.size() > larghezza) {
      t += '\n';
      t.append(colonna, ' ');
      usate = colonna;
    } else if (!primo) {
      t += ' ';
      ++usate;
    }
    t += parola;
    usate += parola.size();
    primo = false;
  }
}

}  // namespace

riga_letta leggi_riga(std::span<const voce_opzione> voci,
                      const std::vector<std::string>& argomenti) {
  riga_letta letta;
  letta.valori.resize(voci.size());
  bool solo_posizionali = false;
  for (size_t i = 0; i < argomenti.size(); ++i) {
    const std::string& a = argomenti[i];
    if (solo_posizionali || a.size() < 2 || a[0] != '-') {
      letta.posizionali.push_back(a);
      continue;
    }
    if (a == "--") {
      solo_posizionali = true;
      continue;
    }
    const size_t uguale = a.find('=');
    const std::string_view dato = std::string_view(a).substr(0, uguale);
    const auto v = std::find_if(voci.begin(), voci.end(), [&](const voce_opzione& x) {
      return (!x.breve.empty() && x.breve == dato) || (!x.lungo.empty() && x.lungo == dato);
    });
    if (v == voci.end()) {
      const std::string_view vicino = nome_vicino(voci, dato);
      const std::string proposta =
          vicino.empty() ? std::string() : std::string(": did you mean ").append(vicino).append("?");
      throw ErroreUso(std::string("unknown option ").append(dato).append(proposta));
    }
    const std::string nome(nome_di(*v));
    std::optional<valore_letto>& valore = letta.valori[static_cast<size_t>(v - voci.begin())];
    if (valore) throw ErroreUso(nome + " given twice");
    if (v->tipo == tipo_valore::nessuno) {
      if (uguale != std::string::npos) throw ErroreUso(nome + " takes no value; got \"" + a + "\"");
      valore = true;
      continue;
    }
    const std::string segnaposto(v->segnaposto.empty() ? "value" : v->segnaposto);
    std::string testo;
    if (uguale != std::string::npos)
      testo = a.substr(uguale + 1);
    else if (i + 1 < argomenti.size())
      testo = argomenti[++i];
    else
      throw ErroreUso(nome + " needs a value: " + nome + " " + segnaposto);
    if (testo.empty())
      throw ErroreUso(nome + " was given an empty value: give " + nome + " " + segnaposto);
    valore = converti(*v, testo);
  }
  return letta;
}

std::string elenco_opzioni(std::span<const voce_opzione> voci) {
  std::vector<std::string> sinistra;
  size_t massima = 0;
  for (const voce_opzione& v : voci) {
    std::string s(v.breve);
    if (!v.breve.empty() && !v.lungo.empty()) s += ", ";
    s += v.lungo;
    if (v.tipo != tipo_valore::nessuno) {
      s += ' ';
      s += v.segnaposto.empty() ? "VALUE" : v.segnaposto;
    }
    massima = std::max(massima, s.size());
    sinistra.push_back(std::move(s));
  }
  const size_t colonna = 2 + massima + 2;
  std::string t =
      "Options (anywhere on the line; \"--\" ends them; a value as --opt VALUE or\n"
      "--opt=VALUE):\n";
  for (size_t i = 0; i < voci.size(); ++i) {
    t += "  ";
    t += sinistra[i];
    t.append(colonna - 2 - sinistra[i].size(), ' ');
    a_capo(t, voci[i].aiuto, colonna, colonna);
    t += "\n";
  }
  return t;
}

std::string testo_errore_uso(std::string_view programma, std::string_view messaggio,
                             std::string_view uso) {
  std::string t(programma);
  t += ": ";
  t += messaggio;
  t += "\nUsage: ";
  t += uso;
  if (!uso.empty() && uso.back() != '\n') t += "\n";
  t += "Run \"";
  t += programma;
  t += " --help\" for every option and the exit statuses.\n";
  return t;
}

std::string riga_versione(std::string_view programma) {
  return std::string(programma) + " " + std::string(versione) + "\n";
}

}  // namespace piattaforma
