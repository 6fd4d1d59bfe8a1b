#!/usr/bin/env python3
"""Draws the programs' icon, icona.ico: 32x32 pixels, 32-bit colour.

A green rounded square holding a track seen from above: two rails over
brown sleepers. Run it again after changing the drawing; the icon is kept
in the repository so that the build needs no Python.
"""
import struct
import sys

LATO = 32


def colore(x, y):
    """The BGRA colour of pixel (x, y), y counted from the top."""
    # Rounded square: transparent outside a corner radius of 6.
    r = 6
    cx = min(max(x, r), LATO - 1 - r)
    cy = min(max(y, r), LATO - 1 - r)
    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    if x in (10, 11, 20, 21) and 2 <= y <= 29:
        return (200, 200, 200, 255)          # rails, light grey
    if y % 6 == 3 and 6 <= x <= 25:
        return (40, 70, 120, 255)            # sleepers, brown
    return (60, 140, 50, 255)                # ground, green


def icona():
    righe = []
    for y in reversed(range(LATO)):          # bitmaps run bottom-up
        righe.append(b"".join(bytes(colore(x, y)) for x in range(LATO)))
    pixel = b"".join(righe)
    maschera = bytes(LATO * LATO // 8)       # all opaque: alpha decides
    bitmap = struct.pack("<IiiHHIIiiII", 40, LATO, 2 * LATO, 1, 32, 0,
                         len(pixel) + len(maschera), 0, 0, 0, 0)
    immagine = bitmap + pixel + maschera
    testa = struct.pack("<HHH", 0, 1, 1)
    voce = struct.pack("<BBBBHHII", LATO, LATO, 0, 0, 1, 32, len(immagine), 6 + 16)
    return testa + voce + immagine


if __name__ == "__main__":
    destinazione = sys.argv[1] if len(sys.argv) > 1 else "icona.ico"
    with open(destinazione, "wb") as f:
        f.write(icona())
