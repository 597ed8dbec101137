; ===========================================================================================
;  defs.asm: the names every layer uses for registers, working registers and constants.
;  (No code: only .equ lines.)
; ===========================================================================================

; ---- Status registers (C=REGN n / REGN=C n with DADD = 000) -------------------------------
RT      .equ 0                  ; T
RZ      .equ 1                  ; Z
RY      .equ 2                  ; Y
RX      .equ 3                  ; X
RL      .equ 4                  ; LASTX
RM      .equ 5                  ; ALPHA, the last characters
RN      .equ 6
RO      .equ 7
RP      .equ 8                  ; ALPHA, the first characters
RCURT   .equ 13                 ; c: curtain, top of RAM, signature
RFLAGS  .equ 14                 ; d: flags 0..55
RKEYS   .equ 15                 ; e: the keyboard's state between keys

; ---- Working registers (DADD = WORK, then C=REGN n / REGN=C n) ----------------------------
WORK    .equ 0C0                ; the group of 16 working registers
WENTRY  .equ 12                 ; 0CC: the digits typed, as typed (entry.asm)
WENTST  .equ 13                 ; 0CD: the state of the number being typed (entry.asm)
WKEY    .equ 14                 ; 0CE: the function and its prompt (keys.asm)
WSPARE  .equ 15                 ; 0CF: keys.asm and display.asm, within one key

; ---- Memory ---------------------------------------------------------------------------------
PROGS   .equ 0D0                ; the first register kept for programs
NOLCD   .equ 3F0                ; a data address without RAM: the display answers there
LCD     .equ 0FD                ; the display driver's peripheral address
SIGNAT  .equ 2C1                ; c[13..11]: this memory is ours
SIGNAT2 .equ 2                  ; (its digits, for LC)
SIGNAT1 .equ 12
SIGNAT0 .equ 1

; ---- Display characters (the word that one position takes) ---------------------------------
CBLANK  .equ 020
CMINUS  .equ 02D
CUNDER  .equ 01F                ; "_", the entry cursor

; ---- Tables (tables.asm) --------------------------------------------------------------------
FNJMPH  .equ 2                  ; FNJMP = 2000: digit 6 of its address
FNTABH  .equ 2                  ; FNTAB = 2200: digits 6 and 5
FNTABM  .equ 2
RUNJMPH .equ 2                  ; RUNJMP = 2100: digits 6 and 5
RUNJMPM .equ 1
FPOINT  .equ 00A                ; function codes that keys.asm tells apart
FBKSP   .equ 00D
FSHIFT  .equ 00E
FADDK   .equ 013                ; + - * / follow each other
FDIVK   .equ 016
FSTADD  .equ 048                ; ST+ ST- ST* ST/ follow each other
