#include "platform/console.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>
#endif

namespace piattaforma {
namespace {

#ifdef _WIN32
// Which standard handles count as a place to write: whatever the system can
// name the type of (a console, NUL, a file, a pipe), but not a null or
// invalid handle, nor a value that is not an open handle here (as a program
// without a console may inherit from its parent).
TEST(ManigliaUtilizzabile, OpenHandlesOnlyOfAKnownType) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("console_test_" + std::to_string(GetCurrentProcessId()) + ".txt");
  HANDLE su_file = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  HANDLE nulla = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
  HANDLE lettura = nullptr, scrittura = nullptr;
  ASSERT_TRUE(CreatePipe(&lettura, &scrittura, nullptr, 0));
  HANDLE chiusa = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), scrittura, GetCurrentProcess(), &chiusa, 0,
                              FALSE, DUPLICATE_SAME_ACCESS));
  CloseHandle(chiusa);

  struct caso {
    const char* nome;
    HANDLE maniglia;
    bool utilizzabile;
  };
  const std::vector<caso> casi = {
      {"a file", su_file, true},     {"NUL", nulla, true},
      {"a pipe", scrittura, true},   {"null", nullptr, false},
      {"invalid", INVALID_HANDLE_VALUE, false}, {"closed", chiusa, false},
  };
  for (const caso& c : casi) {
    if (c.utilizzabile) {
      ASSERT_NE(c.maniglia, INVALID_HANDLE_VALUE) << c.nome;
    }
    EXPECT_EQ(maniglia_utilizzabile(c.maniglia), c.utilizzabile) << c.nome;
  }
  CloseHandle(su_file);
  CloseHandle(nulla);
  CloseHandle(lettura);
  CloseHandle(scrittura);
}
#endif

}  // namespace
}  // namespace piattaforma
