; ===========================================================================================
;  alpha.asm: ALPHA mode, the ALPHA register, and functions by name (XEQ).
;
;  The ALPHA register is the 28 bytes of P O N M (status registers 8..5) with the text
;  right-aligned: its last character in M[1..0], zero bytes before the first one; 24
;  characters at most. The bytes are the HP-41's character codes: ASCII 20..5F, a..e
;  61..65, Σ 7E.
;  e[8] is 1 while ALPHA is being typed: the first character after ALPHA was switched on
;  replaces the text (APPEND keeps it), the next ones are added. In ALPHA mode the keys
;  type the characters of the ALPHA tables (function codes 1xx: the byte xx).
;  XEQ, then ALPHA, a name and ALPHA again runs the function with that name: the name is
;  typed into the working register WKEY (seven bytes at most, the last in [1..0]) while e[9]
;  is 1, so that the ALPHA register stays as it was.
; ===========================================================================================

; KALPHA — the ALPHA key: ALPHA mode on (the register shows) or off (X shows). A number
; being typed ends first. Depth 0.
KALPHA: GSUBNC ENEND
        C=REGN 15
        PT= 8
        C=0 PT
        PT= 9
        C=0 PT                  ; not typing
        REGN=C 15
        C=REGN 14
        RCR 1                   ; C[0] = d[1]: ST 3 = flag 48
        ST=C
        ?ST=1 3
        GOC KALP1
        ST=1 3
        C=ST
        RCR 13
        REGN=C 14
        GOLNC ALDONE
KALP1:  ST=0 3
        C=ST
        RCR 13
        REGN=C 14
        ST=1 8
        GOLNC KYSHOW

; ALCHAR — a character key in ALPHA mode (B[1..0] = its byte). Depth 0.
ALCHAR: SETHEX
        C=0 W
        DADD=C
        C=REGN 15
        RCR 8
        ST=C                    ; ST 0 = e[8]: typing
        ?ST=1 0
        GOC ALCH1
        GSUBNC CLA              ; the first character replaces the text
        C=REGN 15
        PT= 8
        LC 1
        REGN=C 15
ALCH1:  C=REGN 8
        RCR 4
        PT= 1
        ?C<>0 WPT               ; 24 characters already: no room
        GOC ALDONE
        GSUBNC ALAPP
; ALDONE — ALPHA shows, and the annunciators; then sleep.
ALDONE: GSUBNC ALSHOW
        GSUBNC DSANN
        GOLNC SLEEP

; ALBK — the back arrow in ALPHA mode: the last character goes; when ALPHA is not being
; typed, the whole text (as CLA).
ALBK:   SETHEX
        C=0 W
        DADD=C
        C=REGN 15
        RCR 8
        ST=C
        ?ST=1 0
        GONC KCLA
        GSUBNC ALDEL
        GONC ALDONE
; KCLA — CLA (also CL X/A in ALPHA mode).
KCLA:   GSUBNC CLA
        C=REGN 15
        PT= 8
        C=0 PT
        REGN=C 15
        GONC ALDONE
; KAPPND — APPEND: typing goes on after the text as it is.
KAPPND: SETHEX
        C=0 W
        DADD=C
        C=REGN 15
        PT= 8
        LC 1
        REGN=C 15
        GONC ALDONE

; CLA — the ALPHA register is empty. Out: DADD = 0. Changes: C. Depth 1.
CLA:    SETHEX
        C=0 W
        DADD=C
        REGN=C 5
        REGN=C 6
        REGN=C 7
        REGN=C 8
        RTN

; ALAPP — adds byte B[1..0] after the text: the 28 bytes move left by one.
; In: DADD = 0. Changes: A, C, P. Depth 1.
ALAPP:  PT= 1
        C=REGN 8
        RCR 12
        A=C W                   ; A = P turned left by a byte
        C=REGN 7
        RCR 12
        ACEX WPT                ; its first byte comes from O
        ACEX W
        REGN=C 8
        C=REGN 6
        RCR 12
        ACEX WPT
        ACEX W
        REGN=C 7
        C=REGN 5
        RCR 12
        ACEX WPT
        ACEX W
        REGN=C 6
        C=B W
        ACEX WPT                ; and M's last byte is the new one
        ACEX W
        REGN=C 5
        RTN

; ALDEL — takes the last byte away: the 28 bytes move right by one.
; In: DADD = 0. Changes: A, C, P. Depth 1.
ALDEL:  PT= 1
        C=REGN 6
        A=C W
        C=REGN 5
        ACEX WPT                ; N's last byte goes to M's end...
        RCR 2                   ; ...which turns round to the front
        REGN=C 5
        C=REGN 7
        A=C W
        C=REGN 6
        ACEX WPT
        RCR 2
        REGN=C 6
        C=REGN 8
        A=C W
        C=REGN 7
        ACEX WPT
        RCR 2
        REGN=C 7
        C=REGN 8
        C=0 WPT
        RCR 2
        REGN=C 8
        RTN

; ALSHOW — shows ALPHA: its last eleven characters, then "_" while it is typed.
; Changes: A, B, C, M, N, P, Q, ST 0, base, DADD, PFAD. Depth 4.
ALSHOW: SETHEX
        C=0 W
        DADD=C
        C=REGN 15
        RCR 8
        ST=C                    ; ST 0: typing
        C=REGN 5
        N=C                     ; the last seven bytes, for later
        C=REGN 6
        RCR 8                   ; the four before them on top
        A=C W
        B=A W
        GSUBNC DSSEL
        C=0 W
        LDI 004
        M=C
        GSUBNC ALBYTES
        C=N
        A=C W
        B=A W
        C=0 W
        LDI 007
        M=C
        GSUBNC ALBYTES
        ?ST=1 0
        GONC ALSH1
        LDI CUNDER
        GSUBNC DSCHAR
ALSH1:  GOLNC DSPAD

; ALBYTES — writes M[2..0] bytes from the top of B (zero bytes write nothing).
; Changes: A, B, C, M, P, Q. Depth 3 (DSBYTE).
ALBYTES: C=M
        C=C-1 X
        RTNC
        M=C
        C=B W
        RCR 12                  ; the next byte to C[1..0]
        A=C W
        B=A W
        C=0 M
        C=0 S
        C=0 XS
        ?C<>0 X
        GONC ALBYTES
        GSUBNC DSBYTE
        GONC ALBYTES

; ----- Functions by name ------------------------------------------------------------------

; XQALPHA — ALPHA while XEQ prompts: a name follows (M = e). Depth 0.
XQALPHA: C=M
        PT= 9
        ?C<>0 PT
        GOLC XQFIND             ; the second ALPHA: run it
        LC 1
        PT= 3
        C=0 PT                  ; (no digit)
        REGN=C 15
        C=0 W
        LDI WORK
        DADD=C
        C=0 W
        REGN=C WKEY
        GOLNC XQSHOW

; XQCHAR — a key while the name is typed: A = the key index, M = e. Depth 0.
XQCHAR: C=0 W                   ; its character from the ALPHA table (shifted: +40)
        ACEX X
        A=C W
        C=M
        PT= 10
        ?C<>0 PT
        GONC XQCH1
        LDI 040
        A=A+C X
XQCH1:  C=M
        PT= 10
        C=0 PT                  ; the shift is used up
        REGN=C 15
        LDI 080
        A=A+C X
        C=0 W
        ACEX X
        RCR 11
        PT= 6
        LC 0
        LC 15
        CXISA
        C=0 M
        A=C W
        B=A W                   ; B = the code
        LDI FALPHA
        ?A<>C X
        GONC XQFINDJ
        LDI FSHIFT
        ?A<>C X
        GONC XQSHFT
        LDI FALBK
        ?A<>C X
        GONC XQDEL
        ?A<>0 XS                ; a character
        GONC XQIGN
        C=0 W
        LDI WORK
        DADD=C
        C=REGN WKEY
        ?C<>0 S                 ; seven already
        GOC XQIGN
        RCR 12
        A=C W
        C=B W
        PT= 1
        ACEX WPT
        ACEX W
        REGN=C WKEY
        GOLNC XQSHOW
XQFINDJ: GOLNC XQFIND
XQIGN:  GOLNC SLEEP
XQSHFT: C=M
        PT= 10
        LC 1
        REGN=C 15
        GOLNC XQSHOW
XQDEL:  C=0 W
        LDI WORK
        DADD=C
        C=REGN WKEY
        PT= 1
        C=0 WPT
        RCR 2
        REGN=C WKEY
; XQSHOW — "XEQ " and the name typed so far, then "_".
XQSHOW: SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=REGN WKEY
        A=C W
        B=A W
        GSUBNC DSSEL
        GSUBNC DSINL
        .lcd "XEQ "
        C=0 W
        LDI 007
        M=C
        GSUBNC ALBYTES
        LDI CUNDER
        GSUBNC DSCHAR
        GSUBNC DSPAD
        GSUBNC DSANN
        GOLNC SLEEP

; XQFIND — the name is complete: the function whose name (padded with blanks to seven
; characters) is the same runs, as if its key had been pressed; NONEXISTENT if none is.
XQFIND: SETHEX
        C=0 W
        DADD=C
        C=REGN 15
        PT= 10
        C=0 WPT                 ; the prompt and the name are done
        REGN=C 15
        LDI WORK
        DADD=C
        C=REGN WKEY
        ?C<>0 W
        GOLNC KYSHOW            ; no name: nothing runs
XQF1:   ?C<>0 S                 ; left-align it, blanks after it
        GOC XQF2
        RCR 12
        PT= 1
        LC 2
        LC 0
        GONC XQF1
XQF2:   N=C                     ; N = the name, its first byte on top
        C=0 W
        A=C W
        B=A W                   ; B = the function code to compare
XQF3:   C=B W
        GSUBNC KYATTC
        C=C+1 M
        M=C                     ; M[6..3] = the address of its name's next character
        C=N
        A=C W
XQF4:   C=M
        CXISA
        GSUBNC WDBYTE
        RCR 2                   ; the byte to C[13..12]
        ?A<>C S
        GOC XQF5
        PT= 12
        ?A<>C PT
        GOC XQF5
        ASL W
        ASL W
        C=M
        C=C+1 M
        M=C
        ?A<>0 W
        GOC XQF4
        GOLNC KYEXEC            ; the same: B[2..0] = the function code
XQF5:   C=B W
        C=C+1 X
        A=C W
        B=A W
        LDI NFUNC
        ?A<C X
        GOC XQF3
        GOLNC ERRNONEX

; WDBYTE — the ALPHA byte of display word C[2..0]; of the characters with display
; register C's bit, the names use only ≠ (1D) and Σ (7E).
; Out: C[1..0] = the byte, C clear elsewhere. Changes: C, P, ST 0..7. Depth 1.
WDBYTE: RCR 2
        ST=C                    ; ST 0 = bit 8 of the word
        RCR 12
        C=0 XS
        C=0 M
        C=0 S
        ?ST=1 0
        GOC WDB2
        RCR 1
        ST=C                    ; ST 1 and ST 0: bits 5 and 4 of the character
        RCR 13
        PT= 1
        ?ST=1 1
        GONC WDB0
        ?ST=1 0                 ; 20..3F: the same (without the punctuation mark's bits)
        GOC WDB4
        LC 2
        RTN
WDB4:   LC 3
        RTN
WDB0:   ?ST=1 0
        GOC WDB1
        LC 4                    ; 00..0F: 40..4F
        RTN
WDB1:   LC 5                    ; 10..1F: 50..5F
        RTN
WDB2:   ST=C                    ; ST 0 = bit 0 of D (≠) or E (Σ)
        PT= 1
        ?ST=1 0
        GOC WDB3
        LC 7                    ; Σ: 7E
        RTN
WDB3:   LC 1                    ; ≠: 1D
        RTN

; KRARCL — ARCL nn: the register, as the display shows it (without the blanks after it),
; goes after the text in ALPHA, as far as 24 characters allow; a punctuation mark becomes a
; character of its own. Depth 0.
KRARCL: C=B W
        DADD=C
        C=REGN 0
        GSUBNC DSNUM
        C=0 W
        M=C                     ; M = the blanks held back
        SELQ
        PT= 0                   ; Q = the characters read
ARL1:   SELQ
        ?PT= 12
        GOC ARL9
        INCPT
        SELP
        SETHEX
        LDI NOLCD
        DADD=C
        C=REGN 15               ; the next character from the left (the display turns)
        N=C
        A=C W
        LDI CBLANK
        ?A<>C X
        GOC ARL2
        C=M
        C=C+1 X
        M=C
        GONC ARL1
ARL2:   C=M                     ; the blanks before a character go in after all
        ?C<>0 X
        GONC ARL3
        C=C-1 X
        M=C
        LDI 020
        A=C W
        B=A W
        GSUBNC ALADD1
        GONC ARL2
ARL3:   C=N
        GSUBNC WDBYTE
        A=C W
        B=A W
        GSUBNC ALADD1
        C=N                     ; its mark: 1 ".", 2 ":", 3 ","
        RCR 1
        ST=C
        C=0 W
        ?ST=1 2
        GOC ARL4
        ?ST=1 3
        GONC ARL1
        LDI 03A
        GONC ARL5
ARL4:   LDI 02E
        ?ST=1 3
        GONC ARL5
        LDI 02C
ARL5:   A=C W
        B=A W
        GSUBNC ALADD1
        GOLNC ARL1
ARL9:   SELP
        GOLNC KYSHOW

; ALADD1 — adds byte B[1..0] after the ALPHA text, unless it has 24 characters already.
; Out: DADD = 0. Changes: A, C, P. Depth 2.
ALADD1: SETHEX
        C=0 W
        DADD=C
        C=REGN 8
        RCR 4
        PT= 1
        ?C<>0 WPT
        RTNC
        GOLNC ALAPP

; KRASTO — ASTO nn: the first six characters of ALPHA go into the register as text (digit 13
; 1, the bytes in 11..0 from the left; fewer characters leave zero bytes). X, RCL, STO and
; VIEW carry it and show it, ARCL adds it to ALPHA; a function given it says ALPHA DATA.
KRASTO: C=B W
        N=C                     ; N = the register's address
        SETHEX
        C=0 W
        DADD=C
        C=REGN 8                ; the first of P O N M that holds a character...
        ?C<>0 W
        GOC AST8
        C=REGN 7
        ?C<>0 W
        GOC AST7
        C=REGN 6
        ?C<>0 W
        GOC AST6
        C=REGN 5
        A=C W
        C=0 W
        GONC AST1
AST8:   A=C W                   ; ...in A, the one after it in B
        C=REGN 7
        GONC AST1
AST7:   A=C W
        C=REGN 6
        GONC AST1
AST6:   A=C W
        C=REGN 5
AST1:   BCEX W
        ?A<>0 W
        GONC AST3               ; ALPHA is empty
AST2:   ?A<>0 S                 ; (every character's code is 1x or more)
        GOC AST3
        C=B W                   ; a byte left, from B into A
        RCR 12
        BCEX W
        ACEX W
        RCR 12
        PT= 1
        C=B WPT
        A=C W
        C=B W
        C=0 WPT
        BCEX W
        GONC AST2
AST3:   ACEX W
        RCR 2                   ; the first six bytes to 11..0
        PT= 13
        LC 1
        LC 0
        M=C
        C=N
        DADD=C
        C=M
        DATA=C
        GOLNC KYSHOW
