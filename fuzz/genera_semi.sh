#!/usr/bin/env bash
# Writes the seed corpus of the two source fuzz targets (scenario_fuzz and
# autore_fuzz) into fuzz/corpus: the shipped scenario, and small sources
# that reach each error code of the loader, the cab-code pass and the
# header checks. Each seed is one flag byte, the line source, a NUL byte,
# the train source (see fuzz/ingresso_fuzz.h).
set -euo pipefail
cd "$(dirname "$0")"
rm -rf corpus && mkdir corpus

crlf() { sed 's/$/\r/'; }

# seme NAME FLAGS LINE_SOURCE [TRAIN_SOURCE]   (sources as text with LF; "-" = none)
seme() {
  local nome=$1 flag=$2 linea=$3 treno=${4:--}
  {
    printf "\\x$flag"
    printf '%s\n' "$linea" | crlf
    if [[ $treno != - ]]; then printf '\0'; printf '%s\n' "$treno" | crlf; fi
  } > "corpus/$nome"
}

# The shipped scenario, without the plan geometry: with it every run
# builds and encodes 4.7 MB of plan and the fuzzer crawls; the small "ok"
# scenario below exercises the plan.
for flag in 00; do
  { printf "\\x$flag"; crlf < ../sources/linea.txt; printf '\0'; crlf < ../sources/treno.txt; } \
    > "corpus/spedito-$flag"
done

testa='[generale]
lunghezza percorso,    20000
progressiva chilometrica uno,    0,    1000,    0
progressiva chilometrica due,    5000,    -5000,    0
progressiva chilometrica tre,    10000,    30000,    1
sfondo uno,    1
ripetizione segnali 9 codici,    0,    15000
[curve]'
treno='[generale]
numero vetture,    8
sabbia,    200
orologio,    13 55 20
aderenza,       0,    90
velocita,       0,   140
stazione,       0,  8,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,55,20, Origine
stazione,   19000,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14,30, 0, Termine
[fine]'
t() { printf '[generale]\n%s\n[fine]' "$1"; }

seme ok 01 "$testa
curvad4,  1000,  500
curvas6,  3000,  200
pendenza,   0,    0
pendenza,   5000,    12
montagna,   6000,   9000,   12
indicatori_v,   12000,   60, 70, 80, 1, 100, 110, 120, 2
cartello_indicatore,  14000,   (Ponte)(fiume)(Tolva)
[fine]" "$treno"
seme e001 01 "[generale]
lunghezza percorso,    1000050
[fine]" "$treno"
seme e002 00 "${testa/1000,    0/1010,    0}
[fine]" "$treno"
seme e003 00 "${testa/0,    15000/10,    15000}
[fine]" "$treno"
seme e004 00 "${testa/0,    15000/0,    15010}
[fine]" "$treno"
seme e005 00 "${testa/9 codici/codici}
[fine]" "$treno"
seme e006 00 "$testa
cartello_indicatore,  14000,   (a)
cartello_indicatore,  14000,   (b)
[fine]" "$treno"
seme e007 00 "$testa
[fine]" "$(t 'segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0
abbattimento,    2550,   270')"
seme e008 00 "$testa
[fine]" "$(t 'stazione,    1010,  22,  300,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, X')"
seme e009 00 "$testa
[fine]" "$(t 'stazione,    1000,  22,  350,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, X')"
staz=""
for i in $(seq 1 80); do staz+="stazione,  $((i * 1000)),  28,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, S$i
"; done
seme e010 00 "${testa/20000/100000}
[fine]" "$(t "$staz")"
seme e011 00 "$testa
[fine]" "$(t 'segnale,    4400,   2, 4, 0,  0, 0,    2,  1,0,0, 0
segnale,    4450,   2, 4, 0,  0, 0,    2,  1,0,0, 0
segnale,    4500,   2, 4, 0,  0, 0,    2,  1,0,0, 0
rallentamento,   6000,   60,  500, 1, 0, 0')"
seme e012 00 "$testa
[fine]" "$(t 'segnale,    4750,   2, 4, 0,  0, 0,    2,  1,0,0, 0
segnale,    4700,   2, 4, 0,  0, 0,    2,  1,0,0, 0
segnale,    4650,   2, 4, 0,  0, 0,    2,  1,0,0, 0
rallentamento,   5000,   60,  500, 1, 0, 0')"
seme e013 00 "$testa
[fine]" "$(t 'rallentamento,   5000,   60,  1000, 1, 0, 0
segnale,    5350,   2, 4, 0,  0, 0,    2,  1,0,0, 0
segnale,    5400,   2, 4, 0,  0, 0,    2,  1,0,0, 0
segnale,    5450,   2, 4, 0,  0, 0,    2,  1,0,0, 0')"
seme e015 00 "$testa
pendenza,   99000,    0
[fine]" "$treno"
seme e016 00 "$testa
[fine]" "$(t 'segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0
segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0')"
seme e017 00 "$testa
[fine]" "$(t 'segnale,    3800,   2, 4, 0,  0, 0,    2,  1,0,0, 0
rallentamento,   5000,   60,  500, 1, 1, 0')"
seme e018 00 "$testa
[fine]" "$(t 'segnale,    5000,   2, 4, 0,  0, 0,    2,  1,0,0, 0
rallentamento,   5000,   60,  500, 1, 1, 0')"
seme e019 00 "$testa
[fine]" "$(t 'segnale,    5500,   2, 4, 0,  0, 0,    2,  1,0,0, 0
rallentamento,   5000,   60,  500, 1, 1, 0')"
seme e020 00 "$testa
[fine]" "$(t 'segnale,    3700,   2, 4, 0,  0, 0,    2,  1,0,0, 0
rallentamento,   5000,   60,  500, 1, 1, 0')"
seme e021 00 "$testa
indicatori_v,   12000,   60, 70, 80, 1, 100, 110, 120, 2
indicatori_v,   12000,   60, 70, 80, 1, 100, 110, 120, 2
[fine]" "$treno"
seme e022 00 "$testa
[fine]" "$(t 'stazione,    5000,  22,  400,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, A
stazione,    5500,  22,  400,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, B')"
seme e024 00 "$testa
[fine]" "$(t 'stazione,       0,  22,  200,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, A')"
seme e025 00 "$testa
[fine]" "$(t 'velocita,       0,   1400
velocita,    1000,   100')"
seme e025-senza-treno 00 "$testa
[fine]"
seme e101 02 "" "$treno"
seme e102 00 "lunghezza percorso,    20000" "$treno"
seme e103 01 "$testa
curvad,  1000,  500
[fine]" "$treno"
seme e1250 00 "$testa
[fine]" "$(t 'abbattimento,      50,   270')"
seme e1251 00 "$testa
[fine]" "$(t 'segnale,      0,   2, 0, 1,  0, 0,    2,  0,0,0, 0')"
ls corpus | wc -l
