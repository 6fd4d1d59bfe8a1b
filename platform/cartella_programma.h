#pragma once
// Where the running program lives, and how file names are joined to it.

#include <string>

namespace piattaforma {

// The native path separator: a backslash on Windows, a slash elsewhere.
#ifdef _WIN32
inline constexpr char separatore = '\\';
#else
inline constexpr char separatore = '/';
#endif

// The folder that holds the running executable (not the working directory),
// UTF-8, without a trailing separator unless it is a root. Throws ErroreFile.
std::string cartella_programma();

// The folder, one separator, then the name. The separator is always added,
// even when the folder already ends with one (a root gives a doubled one,
// which still names the file in the root).
std::string unisci_percorso(const std::string& cartella, const std::string& nome);

// The folder of a path: "." for a bare name; a root keeps its separator
// ("/f" is in "/", and on Windows "C:\f" in "C:\"). On Windows a backslash
// separates too.
std::string cartella_di(const std::string& percorso);

}  // namespace piattaforma
