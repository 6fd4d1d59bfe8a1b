#include "platform/console.h"

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "platform/finestra_attesa.h"
#endif

namespace piattaforma {

#ifdef _WIN32
namespace {

// UTF-8 to the UTF-16 the wide Windows calls take; malformed bytes become
// U+FFFD.
std::wstring largo(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

// Writes the text, its line ends as CR LF, to the console of the process
// that started this one (a script run without redirection), attaching to it
// unless the system has already done so; false when there is no console to
// write to.
bool scrivi_su_console_di_partenza(std::string_view testo) {
  const bool attaccata = AttachConsole(ATTACH_PARENT_PROCESS);
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  bool scritto = false;
  if (console != INVALID_HANDLE_VALUE) {
    std::wstring riga;
    for (wchar_t c : largo(testo)) {
      if (c == L'\n') riga += L'\r';
      riga += c;
    }
    DWORD n = 0;
    scritto = WriteConsoleW(console, riga.data(), static_cast<DWORD>(riga.size()), &n, nullptr);
    CloseHandle(console);
  }
  if (attaccata) FreeConsole();
  return scritto;
}

}  // namespace

// A null or invalid handle leads nowhere, and so does one whose type the
// system cannot tell (a handle value left over from a parent, not open here).
bool maniglia_utilizzabile(void* maniglia) {
  if (maniglia == nullptr || maniglia == INVALID_HANDLE_VALUE) return false;
  SetLastError(NO_ERROR);
  return GetFileType(maniglia) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}
#endif

// Writes and flushes at once, so the line is out before the work goes on.
void messaggio(std::string_view testo) {
  std::fwrite(testo.data(), 1, testo.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// Standard output when it is open; on Windows otherwise the starting
// console, else a message box.
void stampa(std::string_view testo) {
#ifdef _WIN32
  if (!maniglia_utilizzabile(GetStdHandle(STD_OUTPUT_HANDLE))) {
    if (scrivi_su_console_di_partenza(testo)) return;
    MessageBoxW(nullptr, largo(testo).c_str(), L"crea_scenario", MB_OK | MB_ICONINFORMATION);
    return;
  }
#endif
  std::fwrite(testo.data(), 1, testo.size(), stdout);
  std::fflush(stdout);
}

// Standard error when it is open; on Windows otherwise the starting console,
// else a message box.
void messaggio_errore(std::string_view testo) {
#ifdef _WIN32
  if (!maniglia_utilizzabile(GetStdHandle(STD_ERROR_HANDLE))) {
    if (scrivi_su_console_di_partenza(std::string(testo) + "\n")) return;
    chiudi_finestra_attesa();
    MessageBoxW(nullptr, largo(testo).c_str(), L"crea_scenario",
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return;
  }
#endif
  std::fwrite(testo.data(), 1, testo.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

// Standard error when it is open; on Windows otherwise the starting
// console, if there is one.
void avviso(std::string_view testo) {
#ifdef _WIN32
  if (!maniglia_utilizzabile(GetStdHandle(STD_ERROR_HANDLE))) {
    scrivi_su_console_di_partenza(testo);
    return;
  }
#endif
  std::fwrite(testo.data(), 1, testo.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace piattaforma
