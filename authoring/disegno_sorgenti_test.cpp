#include "authoring/disegno_sorgenti.h"

#include <gtest/gtest.h>

#include <string>

namespace autore {
namespace {

// A drawing's file name and a status line go into the page's script: no
// name can end the script or the string it stands in.
TEST(Pagina, KeepsAnyNameInsideItsScriptString) {
  const std::string nome = "a\"b\\c</script><img src=x>.svg";
  const std::string p = pagina(nome);
  EXPECT_EQ(p.find("</script><img"), std::string::npos);
  EXPECT_NE(p.find(R"(var svg = "a\"b\\c\u003c/script\u003e\u003cimg src=x\u003e.svg";)"), std::string::npos)
      << p;
  EXPECT_NE(p.find("<title>a&quot;b\\c&lt;/script&gt;&lt;img src=x&gt;.svg (redrawn"), std::string::npos);

  const std::string s = segnale(4, "round 4: \"x\"\n", true,
                                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1600\" height=\"1120\">");
  EXPECT_EQ(s, "disegno(4, \"round 4: \\\"x\\\"\\u000a\", true, 1600, 1120);\n");
  // A size that is not a number is never written into the script.
  EXPECT_EQ(segnale(1, "", false, "<svg width=\"1);alert(1\">"), "disegno(1, \"\", false, 0, 0);\n");
}

TEST(ConAvviso, PutsTheNoticeOverTheDrawingBeforeItsEnd) {
  const std::string svg = "<svg>\n<rect/>\n</svg>\n";
  const std::string a = con_avviso(svg, "The sources have errors", "fix them");
  EXPECT_TRUE(a.starts_with("<svg>\n<rect/>\n<g id=\"avviso\">")) << a;
  EXPECT_TRUE(a.ends_with("</g>\n</svg>\n")) << a;
  EXPECT_NE(a.find(">The sources have errors</text>"), std::string::npos);
}

}  // namespace
}  // namespace autore
