; ===========================================================================================
;  VALDOR RPN: an open firmware that makes the HP-41 faceplate a scientific RPN calculator
;
;  Written from scratch for VALDOR's Nut CPU. This first file says how the firmware is laid
;  out and how its layers call each other; then it includes them, one file per layer.
;
;  Build:  nutasm -o rpn.rom -s Entries.A -l rpn.lst firmware/rpn/main.asm
;  Load:   VALDOR.Ini  [ROM] Modules=1  Module1=0 rpn.rom
;
;  ---- Numbers --------------------------------------------------------------------------
;  A number in a register ("register form"):
;    digit 13      sign of the mantissa: 0 positive, 9 negative
;    digits 12..3  ten mantissa digits, normalised: digit 12 is not 0 unless the number is 0
;    digits 2..0   exponent -99..99; a negative one as 1000 - |e| (so digit 2 is 9)
;  Zero is all digits 0, never -0. Every layer takes and gives numbers in this form; the
;  arithmetic may use wider forms inside (arith.asm says which).
;
;  ---- Data memory ----------------------------------------------------------------------
;  Status registers 0..15 (the names the debugger shows):
;    0 T, 1 Z, 2 Y, 3 X, 4 L (LASTX)      the stack, register form
;    5..8 M N O P                          ALPHA, 24 characters, the last typed in M[1..0]
;    9 Q, 10 |-                            scratch of the arithmetic; digit 13 of Q is NOT
;                                          usable: the emulator keeps a CPU status bit there
;    11 a, 12 b                            kept free for the program return stack
;    13 c                                  c[2..0] the curtain: address of R00
;                                          c[5..3] the first address past the top of RAM
;                                          c[8..6] ΣREG, as a register number
;                                          c[13..11] = 2C1, the signature of our memory
;    14 d                                  flags 0..55: flag n is bit 3 - (n mod 4) of digit
;                                          13 - (n div 4) (flag 0 the top bit of digit 13)
;    15 e                                  the keyboard's state between keys (keys.asm)
;  Registers 0C0..0CF: the firmware's working registers (one DADD group):
;    0C0..0C3  arithmetic (arith.asm)
;    0C4..0CB  transcendental functions (trans.asm, trig.asm; they never run at once)
;    0CC..0CF  keyboard, entry and display
;  Registers 0D0 up to the curtain are kept for programs; R00 is at the curtain and the data
;  registers go up to the top of RAM. MEMORY LOST sets SIZE 100, or as many registers as
;  fit above 0D0.
;  Every routine sets DADD (and PFAD) itself before it reads or writes RAM or a peripheral;
;  none relies on what they were. The display is written with DADD = 3F0 (no RAM there) and
;  PFAD = FD.
;
;  ---- Flags that the firmware reads (d register) ----------------------------------------
;    21 print enable, 24 ignore range errors, 25 ignore one error, 26 sound,
;    27 USER, 28 radix mark is the point, 29 digit grouping, 36..39 the number of digits
;    (d[4]), 40 FIX, 41 ENG (neither: SCI), 42 GRAD, 43 RAD, 45 data entry,
;    47 shift, 48 ALPHA mode.
;
;  ---- Calling conventions --------------------------------------------------------------
;  - A, B, C, M, N, G, P, Q, the base (SETHEX/SETDEC) and ST 0..7 belong to the routine
;    that runs: every call may change them unless its header says otherwise. A routine sets
;    the base it needs. ST 8..13 are not used by the layers (the emulator saves ST 10).
;  - Binary arithmetic takes y (the left operand: the dividend, the base of y^x) in A and
;    x in C, both in register form, and returns the result in C. Unary takes x in C.
;  - Errors never return: a routine that finds an error jumps to ERRDATA ("DATA ERROR") or
;    ERRRANGE ("OUT OF RANGE"). Nothing has been stored then, so the stack is as it was.
;    A result beyond 9.999999999E99 in size is an OUT OF RANGE error unless flag 24 is set;
;    then it becomes +-9.999999999E99. A result below 1E-99 in size becomes 0.
;  - The key that woke the calculator is handled with an empty return stack: a function's
;    code is entered by a jump and may use all four return levels. Its depth is the number
;    of levels a routine takes when called, itself included:
;        function code         0 (entered by jump, leaves by a jump to an exit)
;        transcendental (FLN, FSIN, ...), display formatting     at most 4
;        arithmetic (FADD, FMUL, FDIV, FSQRT, ...)               at most 3
;        helpers of the arithmetic (normalising, rounding)       at most 2
;    Each routine's header gives its depth.
;  - Labels are global. Public entry points have plain names (FADD, FLN, FSIN, SHOWX, ...);
;    a layer's inner labels start with its prefix: arith AR, trans TR, trig TG, power PW,
;    keys KY, entry EN, display DS, stack SK, alpha AL, print PR, tables TB.
;
;  ---- Layers, and where they sit --------------------------------------------------------
;    power.asm    waking, cold start (MEMORY LOST), sleeping, messages and errors
;    keys.asm     reading a key, SHIFT, prompts ("STO __"), the function's name on a long
;                 press and NULL, the function exits
;    entry.asm    typing a number
;    display.asm  FIX, SCI and ENG with the radix mark and the grouping; texts
;    stack.asm    stack, storage registers, flags, tests and modes
;    alpha.asm    ALPHA mode and functions by name (XEQ)
;    print.asm    the printer
;    arith.asm    + - x / and the other rational functions, square root
;    trans.asm    logarithms, exponentials and powers
;    trig.asm     trigonometric functions and coordinate changes
;    tables.asm   the keyboard's functions and the function names
;  Pages 0-2 hold the firmware; pages 3-F are left to the user's modules. A relative jump
;  never crosses a page boundary. Page 0: power (from 0000), keys, entry, stack, display, and
;  the key tables at 0F00; page 1: arith, trans, alpha, print; page 2: the function tables
;  (2000-25FF) and trig (from 2600).
; ===========================================================================================

        .include "defs.asm"
        .include "tables.asm"           ; at fixed places: 0F00, 2000, 2100, 2200

        .org 0000
        .include "power.asm"
        .include "keys.asm"
        .include "entry.asm"
        .include "stack.asm"
        .include "display.asm"

        .org 1000
        .include "arith.asm"
        .include "trans.asm"
        .include "alpha.asm"
        .include "print.asm"

        .org 2600
        .include "trig.asm"
