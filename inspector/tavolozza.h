#pragma once
// The colours of the drawing, one table: every colour the drawing uses is
// named here and nowhere else.

namespace ispettore::colore {

// Page and text.
inline constexpr const char* pagina = "white";
inline constexpr const char* testo = "#222222";
inline constexpr const char* tenue = "#777777";       // secondary text: subtitles, units, values
inline constexpr const char* griglia = "#e3e3e3";     // band frames and gridlines
inline constexpr const char* riquadro = "#f7f9fb";    // the plan view's box
inline constexpr const char* bordo_riquadro = "#d0d7de";
inline constexpr const char* contorno = "white";      // halo round dots and plan labels

// The line and its features.
inline constexpr const char* linea = "#1f4e79";       // the route in the plan view
inline constexpr const char* oltre_fine = "#9aa5b1";  // the 7000 m beyond the route's end
inline constexpr const char* stazione = "#c0392b";
inline constexpr const char* area_stazione = "#f5c6c0";
inline constexpr const char* guida_stazione = "#d5d5d5";  // station lines through the profiles
inline constexpr const char* segnale = "#b71c1c";
inline constexpr const char* cartello = "#1565c0";
inline constexpr const char* indicatori = "#6a1b9a";
inline constexpr const char* rallentamento = "#e67e22";
inline constexpr const char* rimozione_codice = "#555555";
inline constexpr const char* tratta_codici = "#a5d6a7";  // the cab-signalling stretch
inline constexpr const char* riferimento = "#9e9e9e";    // kilometre-zone changes, level track

// The profiles.
inline constexpr const char* velocita = "#1f77b4";
inline constexpr const char* pendenza = "#6d4c41";
inline constexpr const char* montagna = "#efe6dc";
inline constexpr const char* aderenza = "#2e7d32";

// Cab codes, one colour per code present, highest code first; codes past
// the last colour share it.
inline constexpr const char* codici[] = {"#2e7d32", "#f39c12", "#8e44ad", "#0097a7",
                                         "#c0392b", "#5d4037", "#7cb342", "#3949ab"};

}  // namespace ispettore::colore
