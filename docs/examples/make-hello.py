# Writes hello.rom: "HELLO" on the display with PRGM and ALPHA, then sleep.
words = [0x130, 0x010, 0x270,             # LDI 010, DADD=C: select an absent data register
         0x130, 0x0FD, 0x3F0,             # LDI 0FD, PFAD=C: select the display driver
         0x19C, 0x210, 0x150, 0x310, 0x310, 0x3D0] + [0x010] * 7 + [0x028,  # low nibbles, REGN=C 0
         0x19C] + [0x010] * 5 + [0x090] * 7 + [0x068,  # PT= 11, LC ..., REGN=C 1: bits 4-5
         0x130, 0x003, 0x2F0,             # LDI 003, DATA=C: annunciators PRGM and ALPHA
         0x060]                           # POWOFF
image = bytearray(8192)
for i, w in enumerate(words):
    image[2 * i], image[2 * i + 1] = w >> 8, w & 0xFF
open("hello.rom", "wb").write(image)
