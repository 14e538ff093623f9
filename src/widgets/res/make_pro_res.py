#!/usr/bin/env python3
"""Writes the resources of the Pro widgets into this folder: the five hand
cursors, the two dialog pictures and the string table of button captions.

Run it after changing a drawing or a caption; its outputs are checked in so
that a build needs no Python:  python3 src/widgets/res/make_pro_res.py
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# ----------------------------------------------------------------- cursors
# '#' black, '.' white, anything else transparent. Drawn on a 32x32 grid.

HANDPOINT = """
     ##
    #..#
    #..#
    #..#
    #..#
    #..###
    #..#..###
    #..#..#..##
 ## #..#..#..#.#
#..##........#.#
#...#..........#
 #.............#
  #............#
  #...........#
   #..........#
   #.........#
    #........#
    #........#
    ##########
"""

SMALLHANDPOINT = """
   ##
  #..#
  #..#
  #..###
  #..#..##
## #.....#
#..#.....#
 #.......#
  #......#
  #.....#
   #....#
   ######
"""

GRABHAND = """
       ##
   ## #..###
  #..##..#..#
  #..##..#..# #
   #..#..#..##.#
   #..#..#..#..#
 ## #........#.#
#..##..........#
#...#..........#
 #.............#
  #............#
  #...........#
   #..........#
   #.........#
    #........#
    #........#
    ##########
"""

DRAGHAND = """
    ## ## ##
   #..#..#..##
   #........#.#
  ##...........#
 #.#...........#
 #.............#
  #............#
  #...........#
   #..........#
   #.........#
    #........#
    #........#
    ##########
"""

ARROW = """
#
##
#.#
#..#
#...#
#....#
#.....#
#......#
#.......#
#....####
#..#..#
#.# #..#
##  #..#
#    #..#
     #..#
      ##
"""


def parse(art):
    rows = art.strip("\n").split("\n")
    return {(x, y): ch for y, row in enumerate(rows) for x, ch in enumerate(row) if ch in "#."}


def overlay(base, top, dx, dy):
    result = dict(base)
    for (x, y), ch in top.items():
        result[(x + dx, y + dy)] = ch
    return result


def cursor_bytes(pixels, hotspot):
    size = 32
    xor_rows, and_rows = [], []
    for y in range(size - 1, -1, -1):  # bottom-up
        xor_bits = and_bits = 0
        for x in range(size):
            ch = pixels.get((x, y))
            bit = 1 << (31 - x)
            if ch is None:
                and_bits |= bit
            elif ch == ".":
                xor_bits |= bit
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return directory + entry + image


CURSORS = {
    "handpoint.cur": (parse(HANDPOINT), (5, 1)),
    "smallhandpoint.cur": (parse(SMALLHANDPOINT), (3, 1)),
    "grabhand.cur": (parse(GRABHAND), (8, 8)),
    "grabhandarrow.cur": (overlay(parse(ARROW), parse(DRAGHAND), 12, 14), (0, 0)),
    "draghand.cur": (parse(DRAGHAND), (8, 6)),
}

# ---------------------------------------------------------------- pictures
# 48 x 64, 24 bits; the bottom-left pixel is the colour that a transparent
# image leaves out.

WIDTH, HEIGHT = 48, 64
KEY = (255, 0, 255)


def bmp_bytes(pixel):
    rows = []
    for y in range(HEIGHT - 1, -1, -1):
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    return header + info + data


CX, CY, RADIUS = 23.5, 31.5, 22.0


def information_pixel(x, y):
    d = math.hypot(x - CX, y - CY)
    if d > RADIUS:
        return KEY
    if d > RADIUS - 2:
        return (0, 32, 128)
    if math.hypot(x - CX, y - 18.5) <= 3.6:
        return (255, 255, 255)
    if 20 <= x <= 27 and 25 <= y <= 45:
        return (255, 255, 255)
    if 17 <= x <= 27 and 25 <= y <= 27:  # the serif of the "i"
        return (255, 255, 255)
    if 17 <= x <= 30 and 43 <= y <= 45:
        return (255, 255, 255)
    shade = int(200 - 60 * (y - (CY - RADIUS)) / (2 * RADIUS))
    return (32, 80, shade + 40)


def inside_octagon(x, y, radius):
    dx, dy = abs(x - CX), abs(y - CY)
    return dx <= radius and dy <= radius and dx + dy <= radius * 1.414


def stop_pixel(x, y):
    if not inside_octagon(x, y, RADIUS):
        return KEY
    if not inside_octagon(x, y, RADIUS - 2):
        return (128, 0, 0)
    if not inside_octagon(x, y, RADIUS - 4):
        return (255, 255, 255)
    dx, dy = x - CX, y - CY
    if abs(dx) <= 11 and (abs(dx - dy) <= 3.2 or abs(dx + dy) <= 3.2):
        return (255, 255, 255)
    return (200, 24, 24)


PICTURES = {"information.bmp": information_pixel, "stop.bmp": stop_pixel}

# ---------------------------------------------------------- button captions
# Roles in resource order; each language slot holds one caption per role.

ROLES = ["OK", "Cancel", "Help", "Yes", "No", "Close", "Abort", "Retry", "Ignore", "All",
         "Done", "Prev", "Next", "Finish"]

CAPTIONS = [
    ("Neutral", ["OK", "Cancel", "&Help", "&Yes", "&No", "&Close", "Abort", "&Retry", "&Ignore",
                 "&All", "&Done", "< &Back", "&Next >", "&Finish"]),
    ("Russian", ["OK", "Отмена", "&Справка", "&Да", "&Нет", "&Закрыть", "Прервать", "&Повтор",
                 "&Пропустить", "&Все", "&Готово", "< &Назад", "&Далее >", "&Завершить"]),
    ("Ukrainian", ["OK", "Скасувати", "&Довідка", "&Так", "&Ні", "&Закрити", "Перервати",
                   "&Повторити", "&Пропустити", "&Усі", "&Готово", "< &Назад", "&Далі >",
                   "&Завершити"]),
    ("French", ["OK", "Annuler", "&Aide", "&Oui", "&Non", "&Fermer", "Abandonner", "&Réessayer",
                "&Ignorer", "&Tous", "&Terminé", "< &Précédent", "&Suivant >", "&Terminer"]),
    ("Portuguese", ["OK", "Cancelar", "Aj&uda", "&Sim", "&Não", "&Fechar", "Abortar", "&Repetir",
                    "&Ignorar", "&Todos", "&Concluído", "< &Voltar", "&Avançar >", "&Concluir"]),
    ("Spanish", ["Aceptar", "Cancelar", "Ay&uda", "&Sí", "&No", "&Cerrar", "Anular",
                 "&Reintentar", "&Omitir", "&Todos", "&Hecho", "< &Atrás", "&Siguiente >",
                 "&Finalizar"]),
    ("German", ["OK", "Abbrechen", "&Hilfe", "&Ja", "&Nein", "&Schließen", "Abbrechen",
                "&Wiederholen", "&Ignorieren", "&Alle", "&Fertig", "< &Zurück", "&Weiter >",
                "Fertig &stellen"]),
    ("Danish", ["OK", "Annuller", "&Hjælp", "&Ja", "&Nej", "&Luk", "Afbryd", "&Prøv igen",
                "&Ignorer", "&Alle", "&Udført", "< &Tilbage", "&Næste >", "&Afslut"]),
    ("Italian", ["OK", "Annulla", "&Guida", "&Sì", "&No", "&Chiudi", "Interrompi", "&Riprova",
                 "&Ignora", "&Tutti", "&Fatto", "< &Indietro", "&Avanti >", "&Fine"]),
    ("Swedish", ["OK", "Avbryt", "&Hjälp", "&Ja", "&Nej", "&Stäng", "Avbryt", "&Försök igen",
                 "&Ignorera", "&Alla", "&Klar", "< &Tillbaka", "&Nästa >", "&Slutför"]),
    ("Dutch", ["OK", "Annuleren", "&Help", "&Ja", "&Nee", "&Sluiten", "Afbreken", "&Opnieuw",
               "&Negeren", "&Alle", "&Gereed", "< &Vorige", "&Volgende >", "&Voltooien"]),
    ("Polish", ["OK", "Anuluj", "Pomo&c", "&Tak", "&Nie", "&Zamknij", "Przerwij", "&Ponów",
                "&Ignoruj", "&Wszystkie", "&Gotowe", "< &Wstecz", "&Dalej >", "&Zakończ"]),
    ("Hungarian", ["OK", "Mégse", "&Súgó", "&Igen", "&Nem", "&Bezárás", "Megszakítás", "Ú&jra",
                   "&Kihagyás", "&Mind", "&Kész", "< &Vissza", "&Tovább >", "&Befejezés"]),
    ("Turkish", ["Tamam", "İptal", "&Yardım", "&Evet", "&Hayır", "&Kapat", "Durdur",
                 "&Yeniden dene", "&Yoksay", "&Tümü", "&Bitti", "< &Geri", "İ&leri >", "&Son"]),
    ("Slovak", ["OK", "Zrušiť", "&Pomocník", "Á&no", "&Nie", "&Zavrieť", "Prerušiť",
                "&Opakovať", "&Ignorovať", "&Všetky", "&Hotovo", "< &Späť", "Ď&alej >",
                "&Dokončiť"]),
    ("Korean", ["확인", "취소", "도움말(&H)", "예(&Y)", "아니요(&N)", "닫기(&C)", "중단",
                "다시 시도(&R)", "무시(&I)", "모두(&A)", "완료(&D)", "< 뒤로(&B)", "다음(&N) >",
                "마침(&F)"]),
]

BASE, STRIDE = 30100, 20
YES_SLK_SPARE = 30138  # keep in step with res/ProRes.h


def rc_wide(text):
    # windres stores \x escapes of wide literals as UTF-16 units, whatever the
    # code page of the build machine.
    out = []
    for ch in text:
        if ch == '"':
            out.append('""')
        elif 32 <= ord(ch) < 127:
            out.append(ch)
        else:
            out.append("\\x%04X" % ord(ch))
    return 'L"' + "".join(out) + '"'


def string_table():
    assert len(CAPTIONS) == 16 and all(len(c) == len(ROLES) for _, c in CAPTIONS)
    lines = ["// Generated by make_pro_res.py: the captions of the TProButton kinds.",
             "STRINGTABLE",
             "LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL",
             "BEGIN"]
    for slot, (language, captions) in enumerate(CAPTIONS):
        lines.append("  // %s" % language)
        for role, caption in enumerate(captions):
            lines.append("  %d %s" % (BASE + STRIDE * slot + role, rc_wide(caption)))
        if language == "Russian":
            lines.append("  %d %s  // Slovak Yes" % (YES_SLK_SPARE, rc_wide(CAPTIONS[14][1][3])))
    lines.append("END")
    return "\n".join(lines) + "\n"


def main():
    for name, (pixels, hotspot) in CURSORS.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(cursor_bytes(pixels, hotspot))
    for name, pixel in PICTURES.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(bmp_bytes(pixel))
    with open(os.path.join(HERE, "pro_strings.rc"), "w", encoding="ascii", newline="\n") as f:
        f.write(string_table())


if __name__ == "__main__":
    main()
