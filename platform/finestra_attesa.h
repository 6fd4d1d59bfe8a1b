#pragma once
// The waiting window: tells the person who started the program to wait
// while the build runs. On Windows a small window "Form1" with the label
// "Attendere"; elsewhere (and on Windows too, for scripts) the word
// "Attendere" on standard output.

namespace piattaforma {

class FinestraAttesa {
 public:
  // Prints "Attendere" and, on Windows, shows the window and paints it at
  // once, before the caller starts its work. Without a display there is no
  // window and the run goes on all the same.
  FinestraAttesa();
  // Closes the window if it is still shown.
  ~FinestraAttesa();
  FinestraAttesa(const FinestraAttesa&) = delete;
  FinestraAttesa& operator=(const FinestraAttesa&) = delete;
};

// Closes the waiting window if one is shown; used before a message box, so
// that "Attendere" no longer stands beside a failure.
void chiudi_finestra_attesa();

// The shown window's handle (an HWND), or nullptr when none is shown.
void* maniglia_finestra_attesa();

}  // namespace piattaforma
