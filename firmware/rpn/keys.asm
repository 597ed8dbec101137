; ===========================================================================================
;  keys.asm: from a key to its function, and the ways a function ends.
;
;  A key code is column code x 16 + row (columns 1 3 7 8 C, rows 0..7; ON is 18). KEYDN
;  turns it into a key index, column x 9 + row (0..44, with the table at COLTAB giving
;  column x 9), and reads the function code from one of four 64-word tables at KTAB:
;  unshifted, shifted, ALPHA, ALPHA shifted. A function code c has
;    FNJMP + 2c   a long jump to its code
;    FNTAB + 8c   an attribute word (bit 0: an entry key, which acts at once), then its
;                 name in seven display words (blanks at the end)
;  A function's code is entered by a jump with the return stack free; the number being
;  typed has been ended first, unless it is an entry key. While a key is held its
;  function's name shows; held for 700 turns of the wait (3,500 instructions, over half
;  a second at the real speed) it shows NULL and does nothing.
;
;  Register e (15), between keys:
;    e[2..0]  the function waiting for its number (a prompt such as "STO __"), 0 for none
;    e[3]     the digits typed in the prompt so far; e[4] the first one
;    e[5]     1: "." was typed (a stack register follows), 2: IND
;    e[6]     1: the stack lift is off (after ENTER, CLX, Σ+, Σ-)
; ===========================================================================================

; KEYDN — a key woke the calculator (the keyboard flag is set). Depth 0.
KEYDN:  SETHEX
        C=0 W
        C=KEYS
        RCR 3                   ; C[1..0] = the key code
        A=C W
        LDI 018
        ?A<>C X
        GOLNC OFF               ; ON switches off, whatever else is going on
        C=0 W
        ACEX W                  ; C = the code, A = 0
        PT= 0
        ACEX PT                 ; A = the row
        RCR 12                  ; C[3] = the column code
        PT= 6
        LC 0
        LC 15
        LC 15                   ; C[6..3] = COLTAB + the column code
        CXISA
        A=A+C X                 ; A = the key index
        C=0 W
        DADD=C
        C=REGN 15
        ?C<>0 X
        GOLC KYPRMT             ; a prompt waits for this key
        C=REGN 14
        RCR 1
        ST=C                    ; ST 3 ALPHA (48), ST 4 shift (47), ST 1 message (50)
        ?ST=1 4
        GONC KYD1
        LDI 040                 ; the shifted table
        A=A+C X
KYD1:   ?ST=1 3
        GONC KYD2
        LDI 080                 ; the ALPHA tables
        A=A+C X
KYD2:   ST=0 4                  ; the shift is used up
        ST=0 1                  ; and a message goes
        C=REGN 14
        RCR 1
        C=ST
        RCR 13
        REGN=C 14
        C=0 W
        ACEX X
        RCR 11                  ; C[5..3] = the table offset
        PT= 6
        LC 0
        LC 15                   ; C[6..3] = KTAB + offset (KTAB = 0F00)
        CXISA                   ; C[2..0] = the function code
        C=0 M
        ?C<>0 XS
        GOLC KYSHOW             ; no key has this place (or an ALPHA character, for now)
        A=C W
        B=A W                   ; B[2..0] = the function code
        ?ST=1 1                 ; a message was showing: the back arrow only clears it
        GONC KYD3
        LDI FBKSP
        ?A<>C X
        GOLNC KYSHOW
KYD3:   GSUBNC KYATTR           ; C = the attribute word, C[6..3] the name's address - 1
        ST=C
        ?ST=1 0
        GOLC KYEXEC             ; an entry key acts at once
        C=C+1 M
        GSUBNC DSLINE           ; the name, while the key is held
        GSUBNC DSANN
        C=0 W
        LDI 2BC                 ; 700 turns
KYHD1:  RSTKB
        CHKKB
        GONC KYREL
        C=C-1 X
        GONC KYHD1
        GSUBNC DSMSG            ; held too long: nothing happens
        .lcd "NULL"
KYNULL: RSTKB
        CHKKB
        GOC KYNULL
        GOLNC KYSHOW

; KYREL — the key was let go: end the number being typed, then run the function.
KYREL:  SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 2                   ; C[0] = d[2]: ST 2 = flag 45
        ST=C
        ?ST=1 2
        GONC KYREL1
        ST=0 2
        C=ST
        RCR 12
        REGN=C 14
KYREL1: C=0 W
        C=REGN 15
        PT= 6
        C=0 PT                  ; a number typed lifts the stack after it
        REGN=C 15
        C=B W
; KYEXEC — runs function C[2..0]: FNJMP + 2 x code.
KYEXEC: C=0 W
        C=B W
        RCR 11
        C=C+C M
        PT= 6
        LC FNJMPH
        GOTOC

; KYATTR — the attribute word of function B[2..0].
; Out: C[2..0] = the word, C[6..3] = its address. Changes: A, C, P. Depth 1.
KYATTR: C=0 W
        PT= 6
        LC FNTABH
        LC FNTABM
        A=C W                   ; A[6..3] = FNTAB
        C=B W
        C=0 M
        C=0 S
        RCR 11
        C=C+C M
        C=C+C M
        C=C+C M                 ; C[6..3] = 8 x code
        C=A+C M
        CXISA
        RTN

; ----- Ends of functions ------------------------------------------------------------------

; MONEXIT — a function of X ends: C = its result; LASTX = X, X = the result.
MONEXIT: M=C
        SETHEX
        C=0 W
        DADD=C
        C=REGN 3
        REGN=C 4
        C=M
        REGN=C 3
        GONC KYLIFT

; DYEXIT — a function of Y and X ends: C = its result; LASTX = X, X = the result, and the
; stack drops (Y = Z, Z = T).
DYEXIT: M=C
        SETHEX
        C=0 W
        DADD=C
        C=REGN 3
        REGN=C 4
        C=REGN 1
        REGN=C 2
        C=REGN 0
        REGN=C 1
        C=M
        REGN=C 3
; KYLIFT — the stack lift is on again; X shows.
KYLIFT: C=0 W
        DADD=C
        C=REGN 15
        PT= 6
        C=0 PT
        REGN=C 15
; KYSHOW — shows X (or, in ALPHA mode, ALPHA) and the annunciators; then sleeps.
KYDONE:
KYSHOW: GSUBNC DSX
        GSUBNC DSANN
        GOLNC SLEEP

; PUSHX — puts C into X as RCL, LASTX and π do: the stack lifts unless the lift is off;
; then the lift is on.
PUSHX:  M=C
        SETHEX
        C=0 W
        DADD=C
        C=REGN 15
        PT= 6
        ?C<>0 PT
        GOC PUSHX1
        GSUBNC LIFT
PUSHX1: C=M
        REGN=C 3
        GONC KYLIFT

; LIFT — T = Z, Z = Y, Y = X. In: DADD = 0. Changes: C. Depth 1.
LIFT:   C=REGN 1
        REGN=C 0
        C=REGN 2
        REGN=C 1
        C=REGN 3
        REGN=C 2
        RTN

; LIFTOFF — the next number typed replaces X instead of lifting the stack. Changes: C, P.
; Depth 1.
LIFTOFF: C=0 W
        DADD=C
        C=REGN 15
        PT= 6
        LC 1
        REGN=C 15
        RTN

; XGET — C = X; XYGET — A = Y, C = X. Changes: A, C, base (hexadecimal). Depth 1.
XYGET:  SETHEX
        C=0 W
        DADD=C
        C=REGN 2
        A=C W
        C=REGN 3
        RTN
XGET:   SETHEX
        C=0 W
        DADD=C
        C=REGN 3
        RTN

; ----- Prompts ------------------------------------------------------------------------------

; KYPRMT — a key while a prompt waits (A = the key index, C = e). Depth 0.
KYPRMT: GOLNC ERRNONEX
