#include "platform/opzioni.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace piattaforma {
namespace {

// A program's options with one of each kind.
struct prova {
  bool json = false;
  std::optional<std::string> uscita;
  std::optional<int64_t> conta;
  std::optional<double> km;
};

const opzione<prova> tabella[] = {
    {"", "--json", "", "print JSON", &prova::json},
    {"-o", "--output", "FOLDER", "write into FOLDER", &prova::uscita},
    {"", "--count", "N", "how many", &prova::conta},
    {"", "--from", "KM", "where to start", &prova::km},
};

struct lettura {
  prova o;
  std::vector<std::string> posizionali;
};

lettura leggi(const std::vector<std::string>& argomenti) {
  lettura l;
  l.posizionali = leggi_opzioni<prova>(tabella, argomenti, l.o);
  return l;
}

TEST(LeggiOpzioni, TakesOptionsAnywhereInEitherFormUntilTheDoubleDash) {
  const lettura l = leggi({"a", "--json", "-o", "out", "b", "--count=-3", "--from", "12.5", "-",
                           "--", "--json", "-o"});
  EXPECT_TRUE(l.o.json);
  EXPECT_EQ(l.o.uscita, "out");
  EXPECT_EQ(l.o.conta, -3);
  EXPECT_EQ(l.o.km, 12.5);
  EXPECT_EQ(l.posizionali, (std::vector<std::string>{"a", "b", "-", "--json", "-o"}));

  const lettura vuota = leggi({});
  EXPECT_FALSE(vuota.o.json || vuota.o.uscita || vuota.o.conta || vuota.o.km);
  // A value may itself begin with "=" or "-" when it stands as the next argument.
  EXPECT_EQ(leggi({"--output==x"}).o.uscita, "=x");
  EXPECT_EQ(leggi({"-o", "-x"}).o.uscita, "-x");
  EXPECT_EQ(leggi({"--count", "007"}).o.conta, 7);
  EXPECT_EQ(leggi({"--from=190"}).o.km, 190);
}

TEST(LeggiOpzioni, RefusesWithAMessageNamingTheOptionAndTheValue) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> casi = {
      {{"--jsno"}, "unknown option --jsno: did you mean --json?"},
      {{"--OUTPUT", "x"}, "unknown option --OUTPUT: did you mean --output?"},
      {{"-output", "x"}, "unknown option -output: did you mean --output?"},
      {{"--out", "x"}, "unknown option --out: did you mean --output?"},  // the one it begins
      {{"--frobnicate"}, "unknown option --frobnicate"},
      {{"-j"}, "unknown option -j"},
      {{"--output"}, "--output needs a value: --output FOLDER"},
      {{"--output="}, "--output was given an empty value: give --output FOLDER"},
      {{"-o", ""}, "--output was given an empty value: give --output FOLDER"},
      {{"--from", "1", "--from", "2"}, "--from given twice"},
      {{"-o", "a", "--output=b"}, "--output given twice"},
      {{"--json", "--json"}, "--json given twice"},
      {{"--json=yes"}, "--json takes no value; got \"--json=yes\""},
      {{"--count", "0x10"}, "--count needs a whole number in decimal digits, such as 12; got \"0x10\""},
      {{"--count", "1e308"}, "--count needs a whole number in decimal digits, such as 12; got \"1e308\""},
      {{"--count", "+5"}, "--count needs a whole number in decimal digits, such as 12; got \"+5\""},
      {{"--count", "2.0"}, "--count needs a whole number in decimal digits, such as 12; got \"2.0\""},
      {{"--count", "-"}, "--count needs a whole number in decimal digits, such as 12; got \"-\""},
      {{"--count", "9223372036854775808"}, "--count: \"9223372036854775808\" is too large a number"},
      {{"--from", "0x10"}, "--from needs a decimal number, such as 190 or 12.5; got \"0x10\""},
      {{"--from", " 5"}, "--from needs a decimal number, such as 190 or 12.5; got \" 5\""},
      {{"--from", "5 "}, "--from needs a decimal number, such as 190 or 12.5; got \"5 \""},
      {{"--from", "1e3"}, "--from needs a decimal number, such as 190 or 12.5; got \"1e3\""},
      {{"--from", "12km"}, "--from needs a decimal number, such as 190 or 12.5; got \"12km\""},
      {{"--from", ".5"}, "--from needs a decimal number, such as 190 or 12.5; got \".5\""},
      {{"--from", "5."}, "--from needs a decimal number, such as 190 or 12.5; got \"5.\""},
      {{"--from", "1.2.3"}, "--from needs a decimal number, such as 190 or 12.5; got \"1.2.3\""},
      {{"--from", "inf"}, "--from needs a decimal number, such as 190 or 12.5; got \"inf\""},
      {{"--from", "12,5"}, "--from needs a decimal number, such as 190 or 12.5; got \"12,5\""},
      {{"--from", std::string(400, '9')}, "--from: \"" + std::string(400, '9') + "\" is too large a number"},
  };
  for (const auto& [argomenti, messaggio] : casi) {
    try {
      leggi(argomenti);
      ADD_FAILURE() << "accepted: " << argomenti.front();
    } catch (const ErroreUso& e) {
      EXPECT_EQ(e.what(), messaggio);
    }
  }
}

TEST(ElencoOpzioni, AlignsTheHelpLinesAndWrapsThemAtColumn79) {
  const voce_opzione voci[] = {
      {"-o", "--output", tipo_valore::testo, "FOLDER", "write into FOLDER"},
      {"", "--json", tipo_valore::nessuno, "",
       "print the diagnostics as a JSON array on standard output instead of as lines on standard "
       "error"},
  };
  EXPECT_EQ(elenco_opzioni(voci),
            "Options (anywhere on the line; \"--\" ends them; a value as --opt VALUE or\n"
            "--opt=VALUE):\n"
            "  -o, --output FOLDER  write into FOLDER\n"
            "  --json               print the diagnostics as a JSON array on standard output\n"
            "                       instead of as lines on standard error\n");
}

TEST(TestoErroreUso, GivesTheMessageTheUsageAndTheWayToTheHelp) {
  EXPECT_EQ(testo_errore_uso("prog", "--from given twice", "prog [--from KM] FILE\n       prog --list\n"),
            "prog: --from given twice\n"
            "Usage: prog [--from KM] FILE\n"
            "       prog --list\n"
            "Run \"prog --help\" for every option and the exit statuses.\n");
}

}  // namespace
}  // namespace piattaforma
