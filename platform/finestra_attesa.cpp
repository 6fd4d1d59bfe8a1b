#include "platform/finestra_attesa.h"

#include "platform/console.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#endif

namespace piattaforma {

#ifdef _WIN32
namespace {

// The form's measures, in pixels at 15 twips per pixel: client area
// 4200 x 2685 twips, label at 960, 960 twips, 2652 x 792 twips.
constexpr int larghezza_client = 280;
constexpr int altezza_client = 179;
constexpr int sinistra_etichetta = 64;
constexpr int alto_etichetta = 64;
constexpr int larghezza_etichetta = 177;
constexpr int altezza_etichetta = 53;
constexpr int punti_carattere = 24;

constexpr wchar_t classe_finestra[] = L"crea_scenario_Form1";

// Test only: milliseconds to keep the window up, answering the system,
// before the work starts, so that it can be captured. Unset, it does nothing.
constexpr char variabile_tenuta[] = "CREA_SCENARIO_TIENI_FINESTRA_MS";

HWND finestra = nullptr;
HFONT carattere = nullptr;

// Hands every message already waiting for this thread to its window.
void smaltisci_messaggi() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Keeps answering the system for the milliseconds the test-only variable
// asks for (at most a minute); does nothing when it is unset or not a number.
void tieni_per_prova() {
  const char* valore = std::getenv(variabile_tenuta);
  if (valore == nullptr) return;
  char* fine = nullptr;
  const unsigned long ms = std::strtoul(valore, &fine, 10);
  if (fine == valore || *fine != '\0') return;
  const ULONGLONG scadenza = GetTickCount64() + (ms < 60000 ? ms : 60000);
  while (GetTickCount64() < scadenza) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(scadenza - GetTickCount64()),
                              QS_ALLINPUT);
    smaltisci_messaggi();
  }
}

// Creates the form with its label; leaves `finestra` null when the system
// gives no window (no display).
void crea_finestra() {
  HINSTANCE istanza = GetModuleHandleW(nullptr);
  WNDCLASSEXW classe{};
  classe.cbSize = sizeof classe;
  classe.lpfnWndProc = DefWindowProcW;
  classe.hInstance = istanza;
  classe.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  classe.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  classe.lpszClassName = classe_finestra;
  if (RegisterClassExW(&classe) == 0) return;

  const DWORD stile = WS_OVERLAPPEDWINDOW;
  RECT r{0, 0, larghezza_client, altezza_client};
  AdjustWindowRectEx(&r, stile, FALSE, 0);
  finestra = CreateWindowExW(0, classe_finestra, L"Form1", stile, CW_USEDEFAULT, CW_USEDEFAULT,
                             r.right - r.left, r.bottom - r.top, nullptr, nullptr, istanza,
                             nullptr);
  if (finestra == nullptr) {
    UnregisterClassW(classe_finestra, istanza);
    return;
  }
  HWND etichetta = CreateWindowExW(0, L"STATIC", L"Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT,
                                   sinistra_etichetta, alto_etichetta, larghezza_etichetta,
                                   altezza_etichetta, finestra, nullptr, istanza, nullptr);
  HDC dc = GetDC(finestra);
  const int altezza = -MulDiv(punti_carattere, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(finestra, dc);
  carattere = CreateFontW(altezza, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
  if (etichetta != nullptr && carattere != nullptr)
    SendMessageW(etichetta, WM_SETFONT, reinterpret_cast<WPARAM>(carattere), FALSE);

  ShowWindow(finestra, SW_SHOWDEFAULT);
  RedrawWindow(finestra, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  smaltisci_messaggi();
}

}  // namespace

// Says "Attendere" on standard output for scripts, then shows the window.
FinestraAttesa::FinestraAttesa() {
  messaggio("Attendere");
  crea_finestra();
  if (finestra != nullptr) tieni_per_prova();
}

// Closes the window when the program ends.
FinestraAttesa::~FinestraAttesa() { chiudi_finestra_attesa(); }

// Destroys the window, its font and its class; nothing when none is shown.
void chiudi_finestra_attesa() {
  if (finestra == nullptr) return;
  DestroyWindow(finestra);
  finestra = nullptr;
  if (carattere != nullptr) DeleteObject(carattere);
  carattere = nullptr;
  UnregisterClassW(classe_finestra, GetModuleHandleW(nullptr));
}

// The window's handle while it is shown.
void* maniglia_finestra_attesa() { return finestra; }

#else

// The console takes the window's place: one line on standard output.
FinestraAttesa::FinestraAttesa() { messaggio("Attendere"); }

// Nothing to close on the console.
FinestraAttesa::~FinestraAttesa() = default;

// No window to close on the console.
void chiudi_finestra_attesa() {}

// There is never a window on the console.
void* maniglia_finestra_attesa() { return nullptr; }

#endif

}  // namespace piattaforma
