#!/usr/bin/env python3
"""Draws the gadgets bar's button bitmaps and drag cursors into res/images (PNG, no dependencies)."""
import os, struct, sys, zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "images")
FONT = {  # 3x5 glyphs, rows top to bottom
    "A": "010101111101101", "B": "110101110101110", "C": "011100100100011", "D": "110101101101110",
    "E": "111100110100111", "G": "011100101101011", "I": "111010010010111", "L": "100100100100111",
    "N": "101111111111101", "O": "010101101101010", "P": "110101110100100", "S": "011100010001110",
    "T": "111010010010010", "U": "101101101101111", "V": "101101101101010", "X": "101101010101101",
    "Y": "101101010010010", "2": "110001010100111", "-": "000000111000000", "|": "010010010010010",
    "?": "110001010000010",
}
KINDS = [("SHOWVAR", "VAL"), ("GAUGE_HORZ", "G-"), ("GAUGE_VERT", "G|"), ("INPUT", "IN"), ("OUTPUT", "OUT"),
         ("SCOPE", "SC"), ("DOUBLE_SCOPE", "SC2"), ("YX_SCOPE", "XY"), ("BIT", "BIT"), ("SLIDER_HORZ", "S-"),
         ("SLIDER_VERT", "S|"), ("CODE", "COD"), ("TEXT", "TXT"), ("DEFAULT", "?")]
W, H = 32, 28


def png(path, pixels, w, h, alpha=False):
    rows = b"".join(b"\0" + bytes(c for p in pixels[y * w:(y + 1) * w] for c in p) for y in range(h))
    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
    hdr = struct.pack(">IIBBBBB", w, h, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", hdr) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def button(label, selected, focused):
    face, ink = ((0, 0, 128), (255, 255, 255)) if selected else ((192, 192, 192), (0, 0, 0))
    px = [face] * (W * H)
    for x in range(W):
        px[x] = (255, 255, 255)
        px[(H - 1) * W + x] = (64, 64, 64)
    for y in range(H):
        px[y * W] = (255, 255, 255)
        px[y * W + W - 1] = (64, 64, 64)
    if focused:  # dotted focus frame
        for x in range(3, W - 3, 2):
            px[3 * W + x] = px[(H - 4) * W + x] = ink
        for y in range(3, H - 3, 2):
            px[y * W + 3] = px[y * W + W - 4] = ink
    scale = 2 if len(label) <= 3 else 1
    left = (W - (len(label) * 4 - 1) * scale) // 2
    top = (H - 5 * scale) // 2
    for i, ch in enumerate(label):
        glyph = FONT[ch]
        for gy in range(5):
            for gx in range(3):
                if glyph[gy * 3 + gx] == "1":
                    for sy in range(scale):
                        for sx in range(scale):
                            px[(top + gy * scale + sy) * W + left + (i * 4 + gx) * scale + sx] = ink
    return px


def cursor(drop):
    n = 32
    px = [(0, 0, 0, 0)] * (n * n)
    for y in range(12):  # arrow
        for x in range(y // 2 + 1):
            px[y * n + x] = (255, 255, 255, 255) if 0 < x < y // 2 and y < 11 else (0, 0, 0, 255)
    cx, cy, r = 20, 20, 8
    for y in range(n):
        for x in range(n):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if drop:
                if (abs(x - cx) <= 1 and abs(y - cy) <= 6) or (abs(y - cy) <= 1 and abs(x - cx) <= 6):
                    px[y * n + x] = (0, 128, 0, 255)
            elif (r - 2) ** 2 <= d <= r * r or (d <= r * r and abs((x - cx) - (y - cy)) <= 1):
                px[y * n + x] = (200, 0, 0, 255)
    return px


def main():
    os.makedirs(OUT, exist_ok=True)
    for kind, label in KINDS:
        for suffix, sel, foc in (("U", 0, 0), ("F", 0, 1), ("SU", 1, 0), ("SF", 1, 1)):
            png(os.path.join(OUT, "GADGET_%s%s.png" % (kind, suffix)), button(label, sel, foc), W, H)
    png(os.path.join(OUT, "GADGET_CURSOR_NODROP.png"), cursor(False), 32, 32, True)
    png(os.path.join(OUT, "GADGET_CURSOR_DROP.png"), cursor(True), 32, 32, True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
