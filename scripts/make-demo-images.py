#!/usr/bin/env python3
"""Draws the pictures of the demo folder: a preview "<title>.bmp" for each demo ticket,
"NoPreview.bmp" and the bottom banner "PictBottom.bmp", as uncompressed 24-bit BMP files.

The pictures are committed; run this only after changing a ticket or a drawing below.
Needs ImageMagick (apt-get install imagemagick) and the DejaVu fonts (fonts-dejavu-core).

    scripts/make-demo-images.py [DEMO_FOLDER]

CONVERT names the ImageMagick program when it is not /usr/bin/convert.
"""
import os
import subprocess
import sys

CONVERT = os.environ.get("CONVERT", "/usr/bin/convert")
FONTS = "/usr/share/fonts/truetype/dejavu/"
MONO = FONTS + "DejaVuSansMono.ttf"
MONO_BOLD = FONTS + "DejaVuSansMono-Bold.ttf"
SANS = FONTS + "DejaVuSans.ttf"
SANS_BOLD = FONTS + "DejaVuSans-Bold.ttf"

PREVIEW_SIZE = (500, 200)  # the console's preview area (20, 190, 520, 390)
BOTTOM_SIZE = (500, 235)  # the console's bottom area (20, 395, 520, 630)
BACKGROUND = "#dfe6ee"
INK = "#1d232b"
PAPER = "#fffdf6"

# Bar patterns of the digits 0-9, seven modules each (1 = bar).
DIGIT_BARS = ["0001101", "0011001", "0010011", "0111101", "0100011",
              "0110001", "0101111", "0111011", "0110111", "0001011"]

TICKETS = {
    "Ventrix Boarding Pass": {
        "accent": "#1f5fa8", "mode": "VENTRIX MODE  -  20 PACKETS",
        "heading": ("DEMO AIR", "BOARDING PASS"),
        "lines": ["PASSENGER HALVORSEN/INGRID MS", "FROM  OSLO OSL", "TO    REYKJAVIK KEF",
                  "FLIGHT DA 412    DATE 14 MAR", "DEPARTS 09:45  BOARDING 09:15",
                  "GATE B7   SEAT 14A   GROUP 2", "BAGS [1 PIECE 23 KG]"],
        "barcode": "0412140315042",
        "stub": ["SEQ 042", "GATE CLOSES 09:35", "<KEEP THIS PASS>"],
    },
    "Ventrix Event Ticket": {
        "accent": "#7a2e8c", "mode": "VENTRIX MODE  -  8 PACKETS",
        "heading": ("STAR HALL PRESENTS", "CONCERT"),
        "lines": ["THE NIGHT OWLS - LIVE", "SAT 21 JUN 20:00", "DOORS 19:00",
                  "BLOCK C   ROW 12   SEAT 7", "PRICE EUR 48.00"],
        "barcode": "2106120007",
        "stub": ["BLOCK C", "ROW 12  SEAT 7"],
    },
    "Smart Concert Ticket": {
        "accent": "#b5462a", "mode": "SMART MODE  -  ONE TRANSMISSION",
        "heading": ("STAR HALL PRESENTS", "CONCERT"),
        "lines": ["THE NIGHT OWLS - LIVE", "SAT 21 JUN 20:00", "DOORS 19:00",
                  "STANDING   GATE 2", "PRICE EUR 39.00"],
        "barcode": "2106120815",
        "stub": ["NO. 2106-120815", "STANDING"],
    },
    "Normal Parking Receipt": {
        "accent": "#2f7d4f", "mode": "NORMAL / VANTOR 40 MODE",
        "heading": ("HARBOUR STREET CAR PARK", "RECEIPT"),
        "lines": ["LEVEL 3     BAY 117", "IN   08:12  14 MAR", "OUT  17:40  14 MAR",
                  "TOTAL       \u00a312.50", "----------------",
                  "THANK YOU - DRIVE SAFELY"],
        "barcode": None,
        "stub": ["PAID", "\u00a312.50"],
    },
}


def text(font, size, color, x, y, words):
    return ["-font", font, "-pointsize", str(size), "-fill", color,
            "-annotate", "+%d+%d" % (x, y), words]


def rect(color, x0, y0, x1, y1, radius=0, stroke=None):
    shape = ("roundrectangle %d,%d %d,%d %d,%d" % (x0, y0, x1, y1, radius, radius)
             if radius else "rectangle %d,%d %d,%d" % (x0, y0, x1, y1))
    return ["-fill", color, "-stroke", stroke or "none", "-draw", shape, "-stroke", "none"]


def barcode(digits, x, y, height, module=1):
    modules = "101" + "".join(DIGIT_BARS[int(d)] for d in digits) + "101"
    args = []
    for i, bar in enumerate(modules):
        if bar == "1":
            args += rect(INK, x + i * module, y, x + (i + 1) * module - 1, y + height)
    return args, len(modules) * module


def write_bmp(size, drawing, path):
    command = [CONVERT, "-size", "%dx%d" % size, "xc:" + BACKGROUND] + drawing
    command += ["-alpha", "off", "-type", "TrueColor", "BMP3:" + path]
    subprocess.run(command, check=True)
    print(path)


def ticket_preview(ticket):
    accent = ticket["accent"]
    args = rect("#b8c2cc", 14, 14, 494, 194, 12)  # shadow
    args += rect(PAPER, 8, 8, 488, 188, 12, accent)
    args += rect(accent, 9, 9, 487, 40, 11) + rect(accent, 9, 28, 487, 40)
    args += text(SANS_BOLD, 15, "white", 22, 31, ticket["heading"][0])
    args += ["-gravity", "NorthEast"] + text(SANS_BOLD, 12, "white", 24, 17,
                                             ticket["heading"][1]) + ["-gravity", "NorthWest"]
    y = 60
    for line in ticket["lines"]:
        args += text(MONO, 12, INK, 22, y, line)
        y += 16
    # The stub behind a perforation.
    args += ["-stroke", accent, "-strokewidth", "1", "-draw",
             "stroke-dasharray 4 3 line 318,46 318,182", "-stroke", "none"]
    stub_y = 62
    if ticket["barcode"]:
        bars, width = barcode(ticket["barcode"], 330, 50, 52)
        args += bars
        args += text(MONO, 10, INK, 330, 116, ticket["barcode"][:24])
        stub_y = 136
    for line in ticket["stub"]:
        args += text(MONO_BOLD, 11, INK, 330, stub_y, line)
        stub_y += 14
    args += text(SANS_BOLD, 9, accent, 22, 180, ticket["mode"])
    return args


def status_preview():
    accent = "#b5462a"
    args = rect("#b8c2cc", 14, 14, 494, 194, 12)
    args += rect(PAPER, 8, 8, 488, 188, 12, accent)
    args += text(SANS_BOLD, 16, accent, 22, 36, "Smart status request")
    args += text(MONO_BOLD, 15, INK, 22, 64, "[gs]~SS<0x81>")
    args += text(SANS, 11, INK, 22, 84, "sent:  1D 7E 53 53 81")
    args += text(SANS, 11, INK, 22, 112, "The printer answers with its status records:")
    rows = ["0x81  status bits (Ticket Out, Ticket Low, ...)", "0x82  information line 1",
            "0x83  information line 2", "0x8A  Printer State text"]
    y = 132
    for row in rows:
        args += text(MONO, 11, INK, 30, y, row)
        y += 15
    # A small status panel on the right.
    args += rect("#eef2f6", 352, 22, 474, 104, 6, "#8a96a3")
    y = 40
    for label in ["Ticket Out", "Ticket Low", "Cover Open", "Ticket Jam"]:
        args += rect("white", 362, y - 9, 371, y, 0, "#4d5966")
        args += text(SANS, 10, INK, 378, y, label)
        y += 17
    args += text(SANS_BOLD, 9, accent, 300, 180, "SMART OR SERIAL PACKET MODE")
    return args


def no_preview():
    args = rect("#c9d1da", 8, 8, 488, 188, 12, "#8a96a3")
    args += ["-stroke", "#8a96a3", "-strokewidth", "2", "-draw",
             "stroke-dasharray 8 6 fill none roundrectangle 24,24 472,172 8,8",
             "-stroke", "none", "-strokewidth", "1"]
    args += ["-gravity", "Center"] + text(SANS_BOLD, 22, "#4d5966", 0, -14,
                                          "No preview for this ticket")
    args += text(SANS, 12, "#4d5966", 0, 18, "Place a picture named after the ticket beside it:")
    args += text(MONO, 12, "#4d5966", 0, 38, "<title>.dmo  ->  <title>.bmp")
    return args + ["-gravity", "NorthWest"]


def bottom_banner():
    accent = "#1f5fa8"
    args = rect("#1d3552", 0, 0, 499, 234)
    # A printer with a ticket coming out of it.
    args += rect("#e9eef3", 28, 92, 178, 176, 10, "#9fb0c2")
    args += rect("#c4cfda", 40, 104, 166, 116, 3)
    args += rect("#5bc06a", 150, 156, 162, 164, 2)
    args += rect(PAPER, 58, 28, 148, 104, 3, "#9fb0c2")
    bars, _ = barcode("4121403", 66, 64, 26)
    args += bars
    args += text(MONO_BOLD, 9, INK, 66, 46, "DEMO TICKET")
    args += text(SANS_BOLD, 26, "white", 210, 48, "Kestrel")
    args += text(SANS, 12, "#c9dcf0", 212, 68, "Vantor 60 Ticket Printer console")
    # The steps that end in a printed ticket: a ticket goes out framed for the mode that is
    # checked, and a printer in another mode drops it without a word.
    steps = ["1  Select a demo ticket (upper left)", "2  Check the Mode its name says",
             "3  Open the port with COMM", "4  Press Print"]
    y = 96
    for step in steps:
        args += text(SANS_BOLD, 12, "white", 212, y, step)
        y += 20
    modes = ["Ventrix tickets: Ventrix Mode (offered when Kestrel starts with ventrix)",
             "Smart tickets: Smart Mode      Normal tickets: Normal / Vantor 40 Mode"]
    y = 190
    for line in modes:
        args += text(SANS, 10, "#c9dcf0", 12, y, line)
        y += 15
    args += rect(accent, 0, 214, 499, 234)
    args += text(SANS, 10, "white", 12, 228,
                 "No printer? vantor-sim --mode ventrix, smart or normal, to match the ticket")
    return args


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "demo")
    for title, ticket in TICKETS.items():
        write_bmp(PREVIEW_SIZE, ticket_preview(ticket), os.path.join(folder, title + ".bmp"))
    write_bmp(PREVIEW_SIZE, status_preview(), os.path.join(folder, "Smart Status Check.bmp"))
    write_bmp(PREVIEW_SIZE, no_preview(), os.path.join(folder, "NoPreview.bmp"))
    write_bmp(BOTTOM_SIZE, bottom_banner(), os.path.join(folder, "PictBottom.bmp"))


if __name__ == "__main__":
    main()
