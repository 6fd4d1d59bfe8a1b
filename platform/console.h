#pragma once
// Messages on the console: progress on standard output, failures on
// standard error. Text is UTF-8.

#include <string_view>

namespace piattaforma {

// Writes one line to standard output.
void messaggio(std::string_view testo);

// Writes text the person asked for (help, a version), whole lines ended by
// "\n", to standard output. On Windows, when a GUI program has no standard
// output (started from a console without redirection) it writes to the
// console it was started from, and with no console either it shows the text
// in a message box, which waits for the person to close it.
void stampa(std::string_view testo);

// Writes one line to standard error. On Windows, when the program has no
// standard error (started by a double-click) it writes to the console it was
// started from, and with no console either it shows the text in a message
// box with an error icon, which waits for the person to close it.
void messaggio_errore(std::string_view testo);

// Writes one line to standard error, for a notice that must not hold the
// run up: on Windows, with no standard error, to the console the program
// was started from, or nowhere; never in a message box.
void avviso(std::string_view testo);

#ifdef _WIN32
// True when `maniglia` (a HANDLE, as GetStdHandle gives it) leads somewhere
// a message can be written: a console, a file, a pipe or NUL.
bool maniglia_utilizzabile(void* maniglia);
#endif

}  // namespace piattaforma
