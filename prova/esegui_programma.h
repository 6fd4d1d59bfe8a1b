// Test support: starts a built program with an argument vector, never through
// a shell, so a path with a blank, a quote or a letter outside ASCII reaches
// the program as one argument.

#pragma once

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace prova {

// What one run of a program left: its exit status (-1 when it did not exit
// normally) and what it wrote on standard output and standard error.
struct esito_programma {
  int stato = -1;
  std::string uscita;
  std::string errori;
};

namespace dettaglio {

inline std::string leggi_tutto(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

#ifdef _WIN32
// Quotes one argument the way the C run-time splits a command line.
inline std::wstring tra_virgolette(const std::wstring& a) {
  std::wstring r = L"\"";
  size_t barre = 0;
  for (wchar_t c : a) {
    if (c == L'\\') {
      ++barre;
      continue;
    }
    r.append(c == L'"' ? 2 * barre + 1 : barre, L'\\');
    barre = 0;
    r += c;
  }
  r.append(2 * barre, L'\\');
  return r + L"\"";
}

inline HANDLE apri_ereditabile(const std::filesystem::path& p, bool scrittura) {
  SECURITY_ATTRIBUTES ereditabile{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(p.c_str(), scrittura ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &ereditabile,
                     scrittura ? CREATE_ALWAYS : OPEN_EXISTING, 0, nullptr);
}
#endif

}  // namespace dettaglio

// Runs `programma` with `argomenti` (argv[1] onwards) in the working folder
// `cartella_lavoro`, standard input empty, and waits for it to end. Standard
// output and standard error go through two files in the temporary folder.
// `ambiente` ("NAME=value" entries, Linux only) is put before the
// environment the program inherits. Throws std::runtime_error when the
// program cannot be started.
inline esito_programma esegui_programma(const std::filesystem::path& programma,
                                        const std::vector<std::string>& argomenti,
                                        const std::filesystem::path& cartella_lavoro,
                                        const std::vector<std::string>& ambiente = {}) {
  namespace fs = std::filesystem;
  // Runs may be started from several threads at once: each takes its own
  // number for its output files.
  static std::atomic<int> contatore = 0;
  const int numero = ++contatore;
#ifdef _WIN32
  const std::string suffisso = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(numero);
#else
  const std::string suffisso = std::to_string(::getpid()) + "_" + std::to_string(numero);
#endif
  const fs::path file_uscita = fs::temp_directory_path() / ("esegui_programma_" + suffisso + ".out");
  const fs::path file_errori = fs::temp_directory_path() / ("esegui_programma_" + suffisso + ".err");
  esito_programma esito;
#ifdef _WIN32
  HANDLE nulla = dettaglio::apri_ereditabile(L"NUL", false);
  HANDLE uscita = dettaglio::apri_ereditabile(file_uscita, true);
  HANDLE errori = dettaglio::apri_ereditabile(file_errori, true);
  STARTUPINFOW avvio{};
  avvio.cb = sizeof avvio;
  avvio.dwFlags = STARTF_USESTDHANDLES;
  avvio.hStdInput = nulla;
  avvio.hStdOutput = uscita;
  avvio.hStdError = errori;
  std::wstring riga = dettaglio::tra_virgolette(programma.wstring());
  for (const std::string& a : argomenti)
    riga += L" " + dettaglio::tra_virgolette(fs::path(reinterpret_cast<const char8_t*>(a.c_str())).wstring());
  if (!ambiente.empty()) throw std::runtime_error("an added environment is for Linux only");
  PROCESS_INFORMATION processo{};
  const BOOL partito = CreateProcessW(programma.c_str(), riga.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      cartella_lavoro.c_str(), &avvio, &processo);
  const DWORD errore_avvio = GetLastError();
  CloseHandle(nulla);
  CloseHandle(uscita);
  CloseHandle(errori);
  if (!partito)
    throw std::runtime_error("cannot start " + programma.string() + ": error " + std::to_string(errore_avvio));
  WaitForSingleObject(processo.hProcess, INFINITE);
  DWORD stato = 0;
  GetExitCodeProcess(processo.hProcess, &stato);
  CloseHandle(processo.hThread);
  CloseHandle(processo.hProcess);
  esito.stato = static_cast<int>(stato);
#else
  posix_spawn_file_actions_t azioni;
  posix_spawn_file_actions_init(&azioni);
  posix_spawn_file_actions_addopen(&azioni, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&azioni, 1, file_uscita.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&azioni, 2, file_errori.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&azioni, cartella_lavoro.c_str());
  std::vector<std::string> parole = {programma.string()};
  parole.insert(parole.end(), argomenti.begin(), argomenti.end());
  std::vector<char*> argv;
  for (std::string& p : parole) argv.push_back(p.data());
  argv.push_back(nullptr);
  std::vector<std::string> voci = ambiente;
  for (char** v = environ; *v != nullptr; ++v) voci.emplace_back(*v);
  std::vector<char*> envp;
  for (std::string& v : voci) envp.push_back(v.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  const int errore_avvio = posix_spawn(&pid, programma.c_str(), &azioni, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&azioni);
  if (errore_avvio != 0)
    throw std::runtime_error("cannot start " + programma.string() + ": error " + std::to_string(errore_avvio));
  int stato = 0;
  while (::waitpid(pid, &stato, 0) < 0 && errno == EINTR) {
  }
  esito.stato = WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
#endif
  esito.uscita = dettaglio::leggi_tutto(file_uscita);
  esito.errori = dettaglio::leggi_tutto(file_errori);
  std::error_code ignora;
  fs::remove(file_uscita, ignora);
  fs::remove(file_errori, ignora);
  return esito;
}

}  // namespace prova
