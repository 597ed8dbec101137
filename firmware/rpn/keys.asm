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
;    e[3]     1: its first digit is typed, e[4] that digit
;    e[5]     1: "." was typed, a stack register's letter follows
;    e[7]     1: IND: the register named (two digits, or "." and a letter) holds the number
;    e[8]     1: ALPHA is being typed; e[9] 1: a name after XEQ; e[10] its shift
;    e[12..11] the function that ran, for the printer's TRACE mode
;    e[13]    1: the stack lift is off (after ENTER, CLX, Σ+, Σ-)
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
        PT= 12
        C=0 PT
        PT= 11
        C=0 PT                  ; no function has run for TRACE yet
        REGN=C 15
        ?C<>0 X
        GOLC KYPRMT             ; a prompt waits for this key
        C=REGN 14
        RCR 1
        ST=C                    ; ST 3 ALPHA (48), ST 4 shift (47), ST 1 message (50)
        ST=0 8                  ; ST 8: the annunciators must be drawn again
        ST=0 9                  ; ST 9: SHIFT goes out
        ?ST=1 4
        GONC KYD1
        ST=1 9
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
        A=C W
        B=A W                   ; B[2..0] = the function code
        ?C<>0 XS
        GONC KYD3A
        C=C-1 XS                ; 1xx: a character in ALPHA mode
        ?C<>0 XS
        GOLC SLEEP              ; 2FF: no key has this place
        GOLNC ALCHAR
KYD3A:
        ?ST=1 1                 ; a message was showing: the back arrow only clears it
        GONC KYD3
        LDI FBKSP
        ?A<>C X
        GOLNC KYSHOW
KYD3:   GSUBNC KYATTR           ; C = the attribute word, C[6..3] the name's address - 1
        ST=C
        ?ST=1 0
        GOLC KYEXEC             ; an entry key acts at once
        M=C
        RSTKB                   ; a tap already over shows no name: nothing would see it
        CHKKB
        GONC KYREL
        C=M
        C=C+1 M
        GSUBNC DSLINE           ; the name, while the key is held
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

; KYREL — the key was let go: end the number being typed, then run the function; its code
; is kept in e[12..11] for the printer's TRACE mode.
KYREL:  GSUBNC ENEND
        C=REGN 15
        RCR 11
        A=C W
        C=B W
        PT= 1
        ACEX WPT
        ACEX W
        RCR 3
        REGN=C 15
; KYEXEC — runs function B[2..0]: FNJMP + 2 x code.
KYEXEC: SETHEX
        C=0 W
        C=B W
        RCR 11
        C=C+C M
        PT= 6
        LC FNJMPH
        GOTOC

; KYATTR — the attribute word of function B[2..0]; KYATTC: of function C[2..0].
; Out: C[2..0] = the word, C[6..3] = its address. Changes: A, C, P, base. Depth 1.
KYATTR: C=B W
KYATTC: SETHEX
        C=0 M
        C=0 S
        RCR 11
        C=C+C M
        C=C+C M
        C=C+C M                 ; C[6..3] = 8 x code
        A=C W
        C=0 W
        PT= 6
        LC FNTABH
        LC FNTABM
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
        C=0 S
        REGN=C 15
; KYSHOW — shows X (or, in ALPHA mode, ALPHA) and, when ST 8 says that a flag they show has
; changed during this key, the annunciators (ST 9: only SHIFT goes out); then sleeps.
; (ST 8 and 9 belong to the keyboard: the layers leave ST 8..13 alone.)
KYDONE:
KYSHOW: SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 1
        ST=C                    ; ST 3 = flag 48
        ?ST=1 3
        GOLC ALDONE
        GSUBNC PRTRACE
        GSUBNC DSX
        ?ST=1 8                 ; only when something they show has changed
        GONC KYSH1
        GSUBNC DSANN
        GOLNC SLEEP
KYSH1:  ?ST=1 9                 ; or just SHIFT out: bit 7 of what they show now
        GOLNC SLEEP
        C=REGN 5                ; (DSX left the display selected)
        ST=C
        ST=0 7
        C=ST
        DATA=C
        GOLNC SLEEP

; PUSHX — puts C into X as RCL, LASTX and π do: the stack lifts unless the lift is off;
; then the lift is on.
PUSHX:  M=C
        SETHEX
        C=0 W
        DADD=C
        C=REGN 15
        ?C<>0 S
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
        PT= 13
        LC 1
        REGN=C 15
        RTN

; XGET — C = X; XYGET — A = Y, C = X: numbers for a function. Text that ASTO stored is
; ALPHA DATA (no return). Changes: A, C, base (hexadecimal). Depth 1.
XYGET:  SETHEX
        C=0 W
        DADD=C
        C=REGN 2
        A=C W
        A=A-1 S
        ?A<>0 S
        GOLNC ERRALPHA
        C=REGN 3
        A=C W
        A=A-1 S
        ?A<>0 S
        GOLNC ERRALPHA
        C=REGN 2
        A=C W
        C=REGN 3
        RTN
XGET:   SETHEX
        C=0 W
        DADD=C
        C=REGN 3
; XCHK — returns when C is a number; ALPHA DATA (no return) for text that ASTO stored
; (digit 13 is 1 there). Changes: A. Depth 1.
XCHK:   A=C W
        A=A-1 S
        ?A<>0 S
        GOLNC ERRALPHA
        RTN

; ----- Prompts ------------------------------------------------------------------------------
; A function that needs a number first shows its prompt ("STO __", "FIX _") and keeps its
; code in e while the keys that give the number come. Its attribute word says what it takes:
;   bit 1  two digits (a register or flag number); bit 2  one digit (FIX, SCI, ENG)
;   bit 3  a storage register: "." then the key of X Y Z T or L names a stack register,
;          SHIFT makes it IND; bit 4  + - x / turn it into register arithmetic (STO);
;   bit 5  three digits (SIZE): e[3] counts them, the second waits in e[6]
; When the number is complete the function's second entry, RUNJMP + 2 x code, runs with
; DADD = 0 and B[2..0] = the register's address (a storage register, hexadecimal) or the
; number (decimal digits). A storage register past the top of memory is NONEXISTENT.

; KPROMPT — starts the prompt of function B[2..0]. Depth 0.
KPROMPT: SETHEX
        C=0 W
        DADD=C
        C=REGN 15
        PT= 7
        C=0 WPT
        ACEX W
        C=B W
        C=0 M
        C=0 S
        A=A+C W                 ; e[2..0] = the code
        ACEX W
        REGN=C 15
KYPSHOW: GSUBNC DSPRMT
        GSUBNC DSANN
        GOLNC SLEEP

; KYPRMT — a key while a prompt waits: A = the key index, C = e, DADD = 0. Depth 0.
KYPRMT: M=C                     ; M = e
        PT= 9
        ?C<>0 PT
        GOLC XQCHAR             ; a name is being typed after XEQ ALPHA
        C=0 W
        ACEX X
        N=C                     ; N = the key index
        RCR 11
        PT= 6
        LC 0
        LC 15                   ; the unshifted table
        CXISA
        C=0 M
        A=C W
        B=A W                   ; B = the key's own function code
        C=M
        PT= 5
        ?C<>0 PT
        GOLC KYPSTK             ; "." was typed: a stack register's letter
        LDI 00A
        ?A<C X
        GOLC KYPDIG
        LDI FBKSP
        ?A<>C X
        GOLNC KYPBK
        LDI FSHIFT
        ?A<>C X
        GOLNC KYPIND
        LDI FPOINT
        ?A<>C X
        GOLNC KYPPT
        LDI FALPHA
        ?A<>C X
        GONC KYPALP
        C=M
        GSUBNC KYATTC
        ST=C
        ?ST=1 4                 ; STO: + - x / make ST+ ST- ST* ST/
        GONC KYPIGN
        C=B W
        A=C W
        LDI FADDK
        ?A<C X
        GOC KYPIGN
        LDI FDIVK+1
        ?A<C X
        GONC KYPIGN
        LDI FADDK
        A=A-C X                 ; 0..3
        LDI FSTADD
        A=A+C X
        C=M
        ACEX X
        REGN=C 15
        GOLNC KYPSHOW
KYPIGN: GOLNC SLEEP             ; any other key: the prompt stays

; ALPHA: after XEQ a name follows.
KYPALP: C=M
        A=C W
        LDI FXEQ
        ?A<>C X
        GOC KYPIGN
        GOLNC XQALPHA

; The back arrow: the digit typed goes, or with none the prompt.
KYPBK:  C=M
        PT= 3
        ?C<>0 PT
        GONC KYPBK1
        C=C-1 PT                ; one digit fewer
        REGN=C 15
        GOLNC KYPSHOW
KYPBK1: PT= 7
        C=0 WPT
        REGN=C 15
        GOLNC KYSHOW

; SHIFT: IND, before any digit. ".": a stack register follows, where a storage register is
; asked for (or after IND), before any digit.
KYPIND: C=M                     ; IND: before any digit, and once
        PT= 3
        ?C<>0 PT
        GOLC SLEEP
        PT= 7
        ?C<>0 PT
        GOLC SLEEP
        LC 1
        REGN=C 15
        GOLNC KYPSHOW
KYPPT:  GSUBNC KYPREG
        PT= 5
        LC 1
        REGN=C 15
        GOLNC KYPSHOW
; KYPREG — returns with C = e when the prompt takes a storage register (or IND was
; typed) and no digit is typed yet; otherwise the key is ignored (no return). Depth 2.
KYPREG: C=M
        GSUBNC KYATTC
        ST=C
        C=M
        PT= 7
        ?C<>0 PT
        GOC KYPRG1
        ?ST=1 3
        GONC KYPIGN
KYPRG1: C=M
        PT= 3
        ?C<>0 PT
        GOC KYPIGN
        RTN

; The letter of a stack register after ".": the keys that carry X Y Z T L in ALPHA.
KYPSTK: C=N
        A=C W                   ; A = the key index
        LDI 020                 ; X, on the 6 key
        ?A<>C X
        GONC KYPS3
        LDI 006                 ; Y, on the x key
        ?A<>C X
        GONC KYPS2
        LDI 00F                 ; Z, on the 1 key
        ?A<>C X
        GONC KYPS1
        LDI 01F                 ; T, on the 9 key
        ?A<>C X
        GONC KYPS0
        LDI 014                 ; L, on the STO key
        ?A<>C X
        GONC KYPS4
        LDI 027                 ; the back arrow takes the "." back
        ?A<>C X
        GONC KYPS5
        GOLNC SLEEP
KYPS5:  C=M
        PT= 5
        C=0 PT
        REGN=C 15
        GOLNC KYPSHOW
KYPS0:  C=0 W                   ; T
        GONC KYPSR
KYPS1:  C=0 W                   ; Z
        LDI 001
        GONC KYPSR
KYPS2:  C=0 W                   ; Y
        LDI 002
        GONC KYPSR
KYPS3:  C=0 W                   ; X
        LDI 003
        GONC KYPSR
KYPS4:  C=0 W                   ; L
        LDI 004
KYPSR:  A=C W
        B=A W                   ; B = the status register's address
        C=M
        PT= 7
        ?C<>0 PT
        GOLC KYPNI              ; IND: the number it holds
        GOLNC KYPRUN

; A digit: the first of two waits; the last completes the number.
KYPDIG: C=M
        GSUBNC KYATTC
        ST=C
        C=M
        PT= 7
        ?C<>0 PT
        GONC KYPD0
        ST=0 2                  ; after IND always two digits (a register's number)
        ST=0 5
KYPD0:  ?ST=1 2
        GOC KYPNUM              ; one digit is all: B = the digit
        C=M
        PT= 3
        ?C<>0 PT
        GOC KYPD2
        LC 1                    ; e[3] = 1, and e[4] = the digit
        A=C W
        C=B W
        RCR 10
        PT= 4
        ACEX PT
        ACEX W
        REGN=C 15
        GOLNC KYPSHOW
KYPD2:  ?ST=1 5
        GOC KYPD5               ; a prompt of three digits (SIZE)
        RCR 3                   ; C[1] = the first digit
        A=C W
        C=B W
        PT= 0
        ACEX PT                 ; A[0] = the second
        B=0 W
        ABEX PT
        PT= 1
        ABEX PT                 ; B[1..0] = the number
        GONC KYPNUM
KYPD5:  PT= 3                   ; three digits: the second waits too...
        C=C-1 PT
        ?C<>0 PT
        GOC KYPD6
        C=M
        PT= 3
        LC 2                    ; e[3] = 2, and e[6] = this one
        A=C W
        C=B W
        RCR 8
        PT= 6
        ACEX PT
        ACEX W
        REGN=C 15
        GOLNC KYPSHOW
KYPD6:  C=M                     ; ...and the third completes B[2..0] = e[4], e[6], it
        RCR 2
        A=C W
        C=M
        RCR 5
        PT= 1
        ACEX PT
        C=B W
        PT= 0
        ACEX PT
        B=0 W
        ABEX X
; KYPNUM — the number B[1..0] is complete: for a storage register, R00 + the number.
KYPNUM: C=M
        PT= 7
        ?C<>0 PT
        GONC KYPN1
        GSUBNC REGADR           ; IND: the register it names...
KYPNI:  C=B W
        DADD=C
        C=REGN 0
        GSUBNC INDNUM           ; ...holds the number meant
        A=C W
        B=A W
KYPN1:  C=M
        GSUBNC KYATTC
        ST=C
        ?ST=1 3
        GONC KYPRUN             ; a number: B as it is
        GSUBNC REGADR           ; a storage register: B = its address
; KYPRUN — the prompt is complete: RUNJMP + 2 x code, with B as above. Depth 0.
KYPRUN: SETHEX
        C=0 W
        DADD=C
        C=REGN 15
        PT= 7
        C=0 WPT                 ; no prompt any more
        REGN=C 15
        C=M
        C=0 M
        C=0 S
        RCR 11
        C=C+C M
        PT= 6
        LC RUNJMPH
        LC RUNJMPM
        GOTOC

; REGADR — B = the address of data register B[2..0] (decimal); NONEXISTENT (no return) past
; the top of memory. Changes: A, B, C, P, base. Depth 2.
REGADR: C=B W
        GSUBNC BCDHEX
        C=0 W
        DADD=C
        C=REGN 13               ; c[2..0] = R00, c[5..3] = the top + 1
        A=A+C X
        RCR 3
        ?A<C X
        GOLNC ERRNONEX
        B=A W
        RTN

; INDNUM — the integer part of C (0..999) as decimal digits in C[2..0], C clear elsewhere;
; NONEXISTENT (no return) for a negative number or one of 1000 or more. Changes: A, C.
; Depth 1.
INDNUM: ?C<>0 S
        GOLC ERRNONEX
        A=C W
        ?A<>0 XS
        GOC INDN0               ; below 1: 0
        LDI 003
        ?A<C X
        GOLNC ERRNONEX
        ACEX W
        ?C<>0 X
        GONC INDN1              ; exponent 0: one digit
        C=C-1 X
        ?C<>0 X
        GONC INDN2              ; 1: two
        RCR 10                  ; 2: three
        GONC INDN3
INDN2:  RCR 11
        GONC INDN3
INDN1:  RCR 12
INDN3:  C=0 M
        C=0 S
        RTN
INDN0:  C=0 W
        RTN
