#include "platform/finestra_attesa.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace piattaforma {
namespace {

// "Attendere" goes to standard output on every system; on Windows the window
// "Form1" has the form's client area and the label, and is gone once closed.
// Without a display there is no window and the constructor returns all the
// same (the case under CI's headless Wine).
TEST(FinestraAttesa, SaysAttendereAndShowsTheFormWhileItLives) {
  void* maniglia = nullptr;
  {
    ::testing::internal::CaptureStdout();
    const FinestraAttesa finestra;
    const std::string uscita = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(uscita, "Attendere\n");
    maniglia = maniglia_finestra_attesa();
#ifdef _WIN32
    if (maniglia != nullptr) {
      HWND h = static_cast<HWND>(maniglia);
      EXPECT_TRUE(IsWindowVisible(h));
      wchar_t testo[32] = {};
      GetWindowTextW(h, testo, 32);
      EXPECT_STREQ(testo, L"Form1");
      RECT client{};
      GetClientRect(h, &client);
      EXPECT_EQ(client.right - client.left, 280);
      EXPECT_EQ(client.bottom - client.top, 179);
      HWND etichetta = GetWindow(h, GW_CHILD);
      ASSERT_NE(etichetta, nullptr);
      GetWindowTextW(etichetta, testo, 32);
      EXPECT_STREQ(testo, L"Attendere");
      RECT r{};
      GetWindowRect(etichetta, &r);
      MapWindowPoints(HWND_DESKTOP, h, reinterpret_cast<POINT*>(&r), 2);
      EXPECT_EQ(r.left, 64);
      EXPECT_EQ(r.top, 64);
      EXPECT_EQ(r.right - r.left, 177);
      EXPECT_EQ(r.bottom - r.top, 53);
      EXPECT_EQ(GetWindow(etichetta, GW_HWNDNEXT), nullptr) << "one control only";
    }
#else
    EXPECT_EQ(maniglia, nullptr);
#endif
  }
  EXPECT_EQ(maniglia_finestra_attesa(), nullptr);
#ifdef _WIN32
  if (maniglia == nullptr) GTEST_SKIP() << "no display: the run goes on without the window";
  EXPECT_FALSE(IsWindow(static_cast<HWND>(maniglia)));
#endif
}

}  // namespace
}  // namespace piattaforma
