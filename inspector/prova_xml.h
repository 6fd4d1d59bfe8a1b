#pragma once
// For the tests: a minimal XML well-formedness check (one root element,
// balanced and properly nested tags, quoted attributes, only the five
// predefined entities and character references) that also gathers the
// decoded text of every element.

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace ispettore::prova {

struct esito_xml {
  std::string errore;  // empty when the document is well-formed
  std::vector<std::string> testi;  // decoded character data, one entry per run
};

// Decodes the references in `t`; sets `errore` on a bad one or a raw '<'.
inline std::string decodifica_xml(std::string_view t, std::string& errore) {
  std::string d;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '<') {
      errore = "raw '<' in text or attribute";
      return d;
    }
    if (t[i] != '&') {
      d += t[i];
      continue;
    }
    const size_t fine = t.find(';', i);
    if (fine == std::string_view::npos) {
      errore = "unterminated reference";
      return d;
    }
    const std::string_view nome = t.substr(i + 1, fine - i - 1);
    if (nome == "amp") d += '&';
    else if (nome == "lt") d += '<';
    else if (nome == "gt") d += '>';
    else if (nome == "quot") d += '"';
    else if (nome == "apos") d += '\'';
    else if (nome.size() > 1 && nome[0] == '#') d += '?';
    else {
      errore = "unknown entity &" + std::string(nome) + ";";
      return d;
    }
    i = fine;
  }
  return d;
}

inline esito_xml controlla_xml(std::string_view x) {
  esito_xml e;
  std::vector<std::string> aperti;
  size_t radici = 0;
  size_t i = 0;
  if (x.substr(0, 5) == "<?xml") {
    i = x.find("?>");
    if (i == std::string_view::npos) return {"unterminated XML declaration", {}};
    i += 2;
  }
  auto nome_valido = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' ||
           c == '.';
  };
  while (i < x.size()) {
    if (x[i] != '<') {
      const size_t fine = std::min(x.find('<', i), x.size());
      const std::string_view testo = x.substr(i, fine - i);
      if (aperti.empty() && testo.find_first_not_of(" \t\r\n") != std::string_view::npos)
        return {"text outside the root element", {}};
      std::string t = decodifica_xml(testo, e.errore);
      if (!e.errore.empty()) return e;
      if (t.find_first_not_of(" \t\r\n") != std::string::npos) e.testi.push_back(t);
      i = fine;
      continue;
    }
    if (x.substr(i, 2) == "</") {
      const size_t fine = x.find('>', i);
      if (fine == std::string_view::npos) return {"unterminated end tag", {}};
      const std::string nome(x.substr(i + 2, fine - i - 2));
      if (aperti.empty() || aperti.back() != nome)
        return {"end tag </" + nome + "> does not close " +
                    (aperti.empty() ? std::string("anything") : "<" + aperti.back() + ">"),
                {}};
      aperti.pop_back();
      i = fine + 1;
      continue;
    }
    // A start tag: its name, then name="value" pairs, then > or />.
    size_t k = i + 1;
    while (k < x.size() && nome_valido(x[k])) ++k;
    const std::string nome(x.substr(i + 1, k - i - 1));
    if (nome.empty()) return {"tag without a name at byte " + std::to_string(i), {}};
    for (;;) {
      while (k < x.size() && std::isspace(static_cast<unsigned char>(x[k]))) ++k;
      if (k >= x.size()) return {"unterminated tag <" + nome + ">", {}};
      if (x[k] == '>' || x.substr(k, 2) == "/>") break;
      const size_t inizio = k;
      while (k < x.size() && nome_valido(x[k])) ++k;
      if (k == inizio || k + 1 >= x.size() || x[k] != '=' || (x[k + 1] != '"' && x[k + 1] != '\''))
        return {"bad attribute in <" + nome + ">", {}};
      const char virgolette = x[k + 1];
      const size_t chiusura = x.find(virgolette, k + 2);
      if (chiusura == std::string_view::npos) return {"unterminated attribute in <" + nome + ">", {}};
      decodifica_xml(x.substr(k + 2, chiusura - k - 2), e.errore);
      if (!e.errore.empty()) return e;
      k = chiusura + 1;
    }
    if (aperti.empty() && ++radici > 1) return {"more than one root element", {}};
    if (x[k] == '>') {
      aperti.push_back(nome);
      i = k + 1;
    } else {
      i = k + 2;
    }
  }
  if (!aperti.empty()) return {"<" + aperti.back() + "> is never closed", {}};
  if (radici != 1) return {"no root element", {}};
  return e;
}

}  // namespace ispettore::prova
