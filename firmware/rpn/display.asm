; ===========================================================================================
;  display.asm: numbers and texts on the display, and the annunciators.
;
;  A line is written one character at a time into the right end of the display (display
;  write 15), so the first character written ends up leftmost once twelve have gone in; the
;  number of characters written so far is kept in pointer Q, and DSPAD fills the rest of the
;  line with blanks. A character goes in as C[2..0]: C[0] = its low four bits, C[1] = bits
;  4..5 plus the punctuation mark of its position (4 "." , 8 ":", C ","), C[2] = bit 6.
;
;  Layout of a number (left-justified, as the HP-41 shows it):
;    FIX n   "-1,234.5600"       the digits, the radix mark on the units digit, groups of
;                                three integer digits marked (flag 29); FIX shows at most
;                                ten digits; a number that FIX cannot show (1E10 or more,
;                                or too small to show a digit that is not 0) appears in SCI
;    SCI n   "-1.2346    05"     the mantissa from the left, the exponent's sign and two
;                                digits in the last three places; at most nine mantissa
;                                digits (eight with a minus sign)
;    ENG n   "12.346     03"     as SCI with an exponent that is a multiple of three
;  The radix mark is "." and the group mark "," while flag 28 is set, the other way round
;  when it is clear.
; ===========================================================================================

; DSSEL — selects the display and starts a new line.
; Out: DADD = NOLCD, PFAD = LCD, hexadecimal mode, Q = 0 characters written, P active.
; Changes: C[2..0], P, Q. Depth 1.
DSSEL:  SETHEX
        LDI NOLCD
        DADD=C
        LDI LCD
        PFAD=C
        SELQ
        PT= 0
        SELP
        RTN

; DSCHAR — writes one character (C[2..0]) after those already on the line.
; In: display selected (DSSEL), P active. Out: Q + 1. Changes: Q. Depth 1.
DSCHAR: REGN=C 15
        SELQ
        INCPT
        SELP
        RTN

; DSPAD — fills the line with blanks up to twelve characters. DSPAD9: up to nine.
; In: display selected, Q = characters written, P active. Out: Q = 12 (9).
; Changes: C[2..0], Q. Depth 1.
DSPAD9: SELQ
DSPD91: ?PT= 9
        GOC DSPDE
        INCPT
        LDI CBLANK
        REGN=C 15
        GONC DSPD91             ; (LDI and REGN=C leave the carry 0: this always jumps)
DSPAD:  SELQ
DSPAD1: ?PT= 12
        GOC DSPDE
        INCPT
        LDI CBLANK
        REGN=C 15
        GONC DSPAD1
DSPDE:  SELP
        RTN

; DSTEXT — writes the text at C[6..3] (one word a character, the last with bit 9 set, as
; the assembler's .lcd makes them) after the characters already on the line.
; In: display selected. Out: C[6..3] = the word after the text; Q advanced.
; Changes: A, C, Q. Depth 1.
DSTEXT: A=0 W
        A=A+1 XS                ; A[2] = 1: a word whose C[2] is above 1 is the last
DSTXT1: CXISA
        REGN=C 15
        SELQ
        INCPT
        SELP
        C=C+1 M
        ?A<C XS
        GONC DSTXT1
        RTN

; DSMSG — shows the text that follows the call as the whole line (left-justified) and
; continues after the text.
; Changes: A, C, P, Q, base, DADD, PFAD. Depth 2 (DSSEL, DSTEXT, DSPAD).
DSMSG:  C=0 W
        C=STK                   ; C[6..3] = the text (the return address)
        GSUBNC DSSEL
        GSUBNC DSTEXT
        GSUBNC DSPAD            ; (keeps C[6..3])
        GOTOC                   ; on after the text

; DSLINE — shows the text at C[6..3] as the whole line. Changes: A, C, P, Q, base. Depth 2.
DSLINE: GSUBNC DSSEL
        GSUBNC DSTEXT
        GOLNC DSPAD

; DSBLNK — writes the blanks that fill the line to C[2..0] places (decimal; with ST 5, to 9
; places, where an exponent follows) after a sign (ST 4) and G = t digits.
; Changes: A, C, P, base. Depth 2.
DSBLNK: SETDEC
        A=C W
        ?ST=1 5
        GONC DSBL1
        LDI 009
        A=C W
DSBL1:  PT= 0
        C=0 W
        C=G
        A=A-C X
        ?ST=1 4
        GONC DSBL2
        A=A-1 X
DSBL2:  C=0 W
        ACEX X
; DSPADN — writes C[2..0] blanks (decimal or hexadecimal count; C[12..3] must be 0).
; In: display selected. Changes: C. Depth 1.
DSPADN: RCR 11                  ; the count to C[5..3]: LDI below keeps it
DSPN1:  C=C-1 M
        GOC DSPN2
        LDI CBLANK
        REGN=C 15
        GONC DSPN1
DSPN2:  RTN

; ----- Numbers ------------------------------------------------------------------------------

; DSX — shows X in the current display mode. Depth 2 (as DSNUM).
DSX:    SETHEX
        C=0 W
        DADD=C
        C=REGN 3
; DSNUM — shows a number in the current display mode (flags 36..41, 28, 29).
; In: C = the number in register form.
; Changes: A, B, C, M, N, G, P, Q, ST 0..7, base, DADD, PFAD. Depth 2.
; While it works: M the number (later: the exponent shown), N[2..0] = k, the digits
; before the radix mark, G = t, the digits to show (both decimal, 1..10);
; ST 2 ENG, ST 3 FIX, ST 4 negative, ST 5 an exponent is shown, ST 6 digit grouping,
; ST 7 flag 28 (the radix mark is ".").
DSNUM:  M=C
        A=C W
        A=A-1 S
        ?A<>0 S
        GOLNC DSALF             ; text that ASTO stored
        SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        N=C
        RCR 4                   ; C[0] = d[4]: the number of digits n
        PT= 1
        LC 0                    ; C[1] = 0; P = 0
        G=C                     ; G = n
        C=N
        RCR 5                   ; C[1] = d[6]: flags 28..31
        A=C W
        C=N
        RCR 3                   ; C[0] = d[3]: flags 40..43
        PT= 1
        ACEX PT
        ST=C                    ; ST 7 = 28, ST 6 = 29, ST 3 = FIX, ST 2 = ENG
        ST=0 5
        ST=0 4
        ST=0 1                  ; ST 1: no radix mark (typing a number without one)
        C=M
        ?C<>0 S
        GONC DSN1
        ST=1 4
DSN1:   SETDEC
        ?ST=1 3
        GOLNC DSSCI

; FIX. An exponent e of 0..9: k = e + 1, t = min(10, k + n). e < 0: "0" and the mark,
; then n decimals. Otherwise, or when no digit other than 0 would show, SCI.
        C=M
        A=C W
        ?A<>0 XS
        GOC DSFNEG
        LDI 010
        ?A<C X
        GOLNC DSSCI
        C=0 W
        ACEX X                  ; C = e
        C=C+1 X
        N=C                     ; k
        GSUBNC DSKPLN
        PT= 0
        G=C                     ; t
        GSUBNC DSMANT
        PT= 0
        C=0 W
        C=G
        GSUBNC DSRND
        ?A<>0 S
        GOLNC DSEMIT
        GSUBNC DSONE            ; 99.996 became 100.00: one digit more before the mark
        C=N
        C=C+1 X
        N=C
        GSUBNC DSTINC
        GOLNC DSEMIT             ; (RTN leaves the carry 0)

DSFNEG: C=0 W
        ACEX X
        C=-C X                  ; s = -e: the zeros after the mark, before the first digit
        A=C W
        B=A W
        PT= 0
        C=0 W
        C=G
        C=C+1 X                 ; t = n + 1
        ?A<C X
        GOC DSFN2               ; s < t: a digit shows
        ?A<>C X
        GOC DSSCI               ; s > t: nothing would
        C=M                     ; s = t: only if the first digit rounds up
        A=C W
        C=0 W
        PT= 12
        LC 5
        PT= 12
        ?A<C PT
        GOC DSSCI
DSFN2:  PT= 0
        C=0 W
        C=G
        C=C+1 X
        G=C                     ; t = n + 1
        GSUBNC DSMANT
        C=B W
DSFN3:  ASR W                   ; shifted right by s: "0." and the zeros come first
        C=C-1 X
        ?C<>0 X
        GOC DSFN3
        C=0 W
        C=C+1 X
        N=C                     ; k = 1
        PT= 0
        C=0 W
        C=G
        GSUBNC DSRND            ; (the first digit is 0: it cannot carry out)
        GOLNC DSEMIT

; SCI and ENG: t = n + 1 digits, at most nine (eight after a minus sign).
DSSCI:  ST=1 5
        C=0 W
        C=C+1 X
        N=C                     ; k = 1
        PT= 0
        C=0 W
        C=G
        C=C+1 X
        A=C W
        LDI 010
        ?ST=1 4
        GONC DSS1
        LDI 009
DSS1:   ?A<C X
        GOC DSS2
        C=C-1 X
        ACEX X
DSS2:   ACEX X
        PT= 0
        G=C                     ; t
        ?ST=1 2
        GONC DSS3
        GSUBNC DSENGK           ; ENG: k from the exponent
DSS3:   GSUBNC DSMANT
        PT= 0
        C=0 W
        C=G
        GSUBNC DSRND
        ?A<>0 S
        GONC DSS5
        C=M                     ; rounding carried out: the exponent grows...
        A=C W
        LDI 099
        ?A<>C X
        GOC DSS4
        C=0 W                   ; ...except past 99: then 9.99..9 E99 shows
        C=C-1 M
        A=C W
        GONC DSS5
DSS4:   C=M
        C=C+1 X
        M=C
        ?ST=1 2
        GONC DSS4A
        GSUBNC DSENGK
DSS4A:  GSUBNC DSONE
DSS5:   ?ST=1 2
        GONC DSEMIT
        B=A W                   ; ENG: the exponent shown is e - (k - 1)...
        C=M
        A=C W
        C=N
        C=C-1 X
        A=A-C X
        ACEX W
        M=C
        C=N                     ; ...and at least k digits show
        A=C W
        PT= 0
        C=0 W
        C=G
        ?A<C X
        GOC DSS6
        ACEX X
        PT= 0
        G=C
DSS6:   ABEX W

; DSEMIT — writes the number: a minus sign, t digits with the radix mark after the k-th and
; group marks before it, then the blanks and, with ST 5, the exponent M[2..0].
; In: A[12..0] the digits (A[12] first), N = k, G = t, ST 4..7 as in DSNUM. Depth 2.
DSEMIT: GSUBNC DSSEL
        ?ST=1 4
        GONC DSE1
        LDI CMINUS
        REGN=C 15
DSE1:   GSUBNC DSDIGS
        LDI 012
        GSUBNC DSBLNK
        ?ST=1 5
        RTNNC
        C=M                     ; the exponent: its sign and two digits
        ?C<>0 XS
        GONC DSE4
        C=-C X
        A=C W
        LDI CMINUS
        GONC DSE5
DSE4:   A=C W
        LDI CBLANK
DSE5:   REGN=C 15
        B=A W
        ASR X
        C=0 W
        PT= 1
        LC 3
        ACEX PT                 ; C[0] = the tens
        REGN=C 15
        C=B W
        PT= 1
        LC 3                    ; C[0] = the units
        REGN=C 15
        RTN

; DSDIGS — writes t digits from A[12] down, the radix mark on the k-th (ST 1 leaves it
; out), group marks (ST 6) on the integer digits.
; In: display selected, A[12..0] the digits, N = k, G = t (decimal, t >= 1),
; ST 6 grouping, ST 7 flag 28. Out: A shifted, ST 6 cleared if the mark was written.
; Changes: A, B, C, P, Q. Depth 1.
; The characters come from templates in B: B[0] = 3 (a digit), B[3] = the digit with the
; radix mark (7 for ".", F for ","), B[5] = with the group mark; the digit is added at C[13]
; and RCR 13 turns it into the word for the display.
DSDIGS: SETDEC
        A=0 S
        ASL W                   ; the first digit to A[13]
        C=0 W
        PT= 0
        LC 3
        PT= 3
        LC 7
        PT= 5
        LC 15
        ?ST=1 7
        GOC DSDG1
        PT= 3
        LC 15
        PT= 5
        LC 7
DSDG1:  BCEX W
        SELQ
        PT= 0
        C=0 W
        C=G
        GSUBNC DSSETP           ; Q = t - 1: the digits after this one
        SELP
        PT= 0
        C=N
        GSUBNC DSSETP           ; P = k - 1: the digits before the mark (P = 13: none)
DSDG2:  C=B W
        ?PT= 0
        GOC DSDGR
        ?ST=1 6
        GONC DSDGC
        ?PT= 3
        GOC DSDGG
        ?PT= 6
        GOC DSDGG
        ?PT= 9
        GONC DSDGC
DSDGG:  RCR 5
        GONC DSDGC
DSDGR:  ST=0 6                  ; no group marks after the radix mark
        ?ST=1 1
        GOC DSDGC
        RCR 3
DSDGC:  C=A+C S
        RCR 13
        REGN=C 15
        ASL W
        DECPT
        SELQ
        ?PT= 0
        GOC DSDG3
        DECPT
        SELP
        GONC DSDG2
DSDG3:  SELP
        RTN

; DSSETP — sets the active pointer to C[2..0] - 1 (13 for 0), counting up from 13.
; In: C[2..0] = 0..14. Changes: C. Depth 1.
DSSETP: PT= 13
DSSP1:  C=C-1 X
        RTNC
        INCPT
        GONC DSSP1

; DSKPLN — C = min(10, C + n) (decimal; n = G). Changes: A, C, P. Depth 1.
DSKPLN: A=C W
        PT= 0
        C=0 W
        C=G
        A=A+C X
        LDI 010
        ?A<C X
        RTNNC
        ACEX X
        RTN

; DSTINC — G = min(10, G + 1). Changes: C, P. Depth 1.
DSTINC: PT= 0
        C=0 W
        C=G
        PT= 1
        ?C<>0 PT                ; 10 already
        RTNC
        C=C+1 X
        PT= 0
        G=C
        RTN

; DSMANT — A = the mantissa of M (digits 12..3), 0 elsewhere. Changes: A, C. Depth 1.
DSMANT: C=M
        A=C W
        A=0 S
        A=0 X
        RTN

; DSONE — A = 1000000000 (after a rounding that carried out). Changes: A, C, P. Depth 1.
DSONE:  C=0 W
        PT= 12
        LC 1
        A=C W
        RTN

; DSRND — rounds the first t digits of A (A[12] the first) half up: 5 is added in the digit
; after them, which with the ones after it is then 0 (ENG shows zeros there when its first
; group has more digits than t). A[13] becomes 1 when that carried out of A[12].
; In: A (A[13] = 0), C[2..0] = t (0..10). Out: P = the digit after the t-th.
; Changes: A, C, P. Depth 1.
DSRND:  SETDEC
        PT= 12
DSRD1:  C=C-1 X
        GOC DSRD2
        DECPT
        GONC DSRD1
DSRD2:  C=0 W
        LC 5
        A=A+C W
        INCPT
        A=0 WPT
        RTN

; DSENGK — N = k = (e mod 3) + 1 for ENG, from the exponent e in M[2..0].
; Changes: A, C, ST 0. Depth 1.
DSENGK: C=M
        C=0 M
        C=0 S
        ST=0 0
        ?C<>0 XS
        GONC DSEK1
        ST=1 0
        C=-C X                  ; |e|
DSEK1:  A=C W
        ASR X                   ; A = the tens
        PT= 1
        C=0 PT                  ; C = the units
        A=A+C X                 ; their sum has the same remainder modulo 3
        LDI 003
DSEK2:  ?A<C X
        GOC DSEK3
        A=A-C X
        GONC DSEK2
DSEK3:  ?ST=1 0
        GONC DSEK4
        ?A<>0 X                 ; e < 0: the remainder of e is 3 - that, or 0
        GONC DSEK4
        ACEX X
        A=A-C X
DSEK4:  A=A+1 X
        ACEX W
        N=C
        RTN

; ----- Annunciators -------------------------------------------------------------------------

; DSANN — lights the annunciators from the flags: USER (27), GRAD and RAD (42, 43),
; SHIFT (47), 0..4 (flags 0..4), PRGM (52), ALPHA (48).
; Changes: A, C, N, ST 0..7, base, DADD, PFAD, P, Q. Depth 2 (DSSEL).
; The annunciator register's bits, 11 first: BAT USER G RAD SHIFT 0 1 2 3 4 PRGM ALPHA.
DSANN:  SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        N=C
        RCR 13                  ; C[0] = d[13]: flags 0..3
        A=0 W
        PT= 0
        ACEX PT
        C=0 W
        ACEX W
        C=C+C X
        C=C+C X
        C=C+C X                 ; flags 0..3 times 8: bits 6..3
        A=C W
        C=N
        RCR 12
        ST=C                    ; ST 3 = flag 4
        ?ST=1 3
        GONC DSAN1
        LDI 004
        A=A+C X
DSAN1:  C=N
        RCR 6
        ST=C                    ; ST 4 = flag 27
        ?ST=1 4
        GONC DSAN2
        C=0 W
        PT= 2
        LC 4
        A=A+C X
DSAN2:  C=N
        RCR 2
        ST=C                    ; ST 0 = 47, ST 5 = 42, ST 4 = 43
        ?ST=1 0
        GONC DSAN3
        LDI 080
        A=A+C X
DSAN3:  ?ST=1 5
        GONC DSAN4
        LDI 300                 ; GRAD lights G and RAD
        A=A+C X
        GONC DSAN5
DSAN4:  ?ST=1 4
        GONC DSAN5
        LDI 100
        A=A+C X
DSAN5:  C=N
        ST=C                    ; ST 3 = 52, ST 7 = 48
        ?ST=1 3
        GONC DSAN6
        LDI 002
        A=A+C X
DSAN6:  ?ST=1 7
        GONC DSAN7
        LDI 001
        A=A+C X
DSAN7:  GSUBNC DSSEL
        ACEX W
        DATA=C
        RTN

; ----- Prompts and names ---------------------------------------------------------------------

; DSPRMT — shows the prompt that waits in e: the function's name, a blank, "." after that
; key, and the digits typed with "_" for those still to come ("STO 1_", "FIX _").
; Changes: A, C, M, N, P, Q, ST 0..7, base, DADD, PFAD. Depth 3.
DSPRMT: SETHEX
        C=0 W
        DADD=C
        C=REGN 15
        M=C
        GSUBNC KYATTC
        N=C
        GSUBNC DSSEL
        C=N
        C=C+1 M
        GSUBNC DSNAME
        LDI CBLANK
        GSUBNC DSCHAR
        C=M
        PT= 7
        ?C<>0 PT
        GONC DSPR0
        GSUBNC DSINL
        .lcd "IND "
DSPR0:  C=M
        PT= 5
        ?C<>0 PT
        GONC DSPR1
        LDI 02E                 ; "."
        GSUBNC DSCHAR
DSPR1:  C=N
        ST=C
        C=M
        PT= 7
        ?C<>0 PT
        GONC DSPR6
        ST=0 2                  ; after IND: two digits
        ST=0 5
DSPR6:  C=M
        ?ST=1 2
        GOC DSPR3               ; one digit
        ?ST=1 5
        GOC DSPR5               ; three
        PT= 3
        ?C<>0 PT
        GONC DSPR2
        RCR 4                   ; the digit typed
        PT= 1
        LC 3
        C=0 XS
        GSUBNC DSCHAR
        GONC DSPR3
DSPR2:  LDI CUNDER
        GSUBNC DSCHAR
DSPR3:  LDI CUNDER
        GSUBNC DSCHAR
        GOLNC DSPAD
DSPR5:  PT= 3                   ; "___", "1__", "12_"
        ?C<>0 PT
        GONC DSPR7
        RCR 4
        PT= 1
        LC 3
        C=0 XS
        GSUBNC DSCHAR
        C=M
        PT= 3
        C=C-1 PT
        ?C<>0 PT
        GONC DSPR2
        RCR 6
        PT= 1
        LC 3
        C=0 XS
        GSUBNC DSCHAR
        GONC DSPR3
DSPR7:  LDI CUNDER
        GSUBNC DSCHAR
        GONC DSPR2

; DSNAME — writes the name at C[6..3] up to its first blank (a name that prompts is
; shorter than seven characters, so it has one). Changes: A, C, Q. Depth 1.
DSNAME: CXISA
        A=C W
        LDI CBLANK
        PT= 1
        ?A<>C WPT               ; (the last word's bit 9 aside)
        RTNNC
        ACEX W
        REGN=C 15
        SELQ
        INCPT
        SELP
        C=C+1 M
        GONC DSNAME

; DSINL — writes the text that follows the call after the characters already on the line,
; and continues after the text. Changes: A, C, Q. Depth 2.
DSINL:  C=0 W
        C=STK
        GSUBNC DSTEXT
        GOTOC

; DSDEC3 — writes C[2..0] (decimal 0..999, C clear elsewhere) without its leading zeros.
; Changes: A, C, P, Q, ST 0. Depth 2 (DSCHAR).
DSDEC3: RCR 3
        A=C W                   ; the digits in A[13..11]
        ST=0 0                  ; no digit written yet
        GSUBNC DSD3A            ; hundreds
        GSUBNC DSD3A            ; tens
        ST=1 0                  ; the units show even when 0
DSD3A:  C=0 W                   ; writes A[13] unless it is a leading 0; A moves up
        C=A+C S
        ASL W
        ?C<>0 S
        GOC DSD3B
        ?ST=1 0
        RTNNC
DSD3B:  ST=1 0
        RCR 13
        PT= 1
        LC 3
        GOLNC DSCHAR

; DSBYTE — writes ALPHA byte C[1..0] (C clear elsewhere) as a character: 20..3F as they are,
; 40..5F as the display's 00..1F, 60..7F (a..e, Σ) and 1D (≠) with display register C's bit.
; Changes: A, C, P, Q. Depth 2 (DSCHAR).
DSBYTE: A=C W
        LDI 020
        ?A<C X
        GOC DSBY3               ; below 20: ≠
        LDI 060
        ?A<C X
        GONC DSBY3              ; 60 and up: a..e, Σ
        LDI 040
        ?A<C X
        GOC DSBY1
        A=A-C X                 ; 40..5F: 00..1F
DSBY1:  ACEX W
        GOLNC DSCHAR
DSBY3:  ACEX W
        PT= 1
        LC 0
        PT= 2
        LC 1
        GOLNC DSCHAR

; DSALF — shows the text that ASTO stored in a register (M: digit 13 is 1, six bytes in
; digits 11..0, the first in 11..10, zero bytes for none), left-justified. Depth 2.
DSALF:  GSUBNC DSSEL
        C=M
        RCR 12                  ; the first byte on top
        A=C W
        B=A W
        C=0 W
        LDI 006
        M=C
        GSUBNC ALBYTES
        GOLNC DSPAD
