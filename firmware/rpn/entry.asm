; ===========================================================================================
;  entry.asm: typing a number.
;
;  While a number is typed flag 45 is set, X holds its value after every key (so the stack
;  registers are right whenever the calculator sleeps), and the display shows it as typed,
;  with the cursor "_". The keys are kept as typed in two working registers:
;    WENTRY  digits 12..3: the mantissa digits, the first in digit 12 (ten at most)
;    WENTST  [0] the mantissa digits typed (hexadecimal 0..A)
;            [1] the digits before the radix mark when it was typed; F: not typed
;            [2] 1 while the exponent is typed (after EEX)
;            [3] the exponent digits typed (0..2)
;            [4] 9: the mantissa is negative; [5] 9: the exponent is negative
;            [7..6] the exponent's two digits
;  A digit, ".", EEX, CHS and the back arrow act at once (entry keys); any other function
;  first ends the number (keys.asm).
; ===========================================================================================

; ENSTART — starts a number unless one is being typed: the stack lifts (unless the lift is
; off), the lift is on for afterwards, flag 45 is set and the state is cleared.
; Out: DADD = WORK, hexadecimal. Changes: C, P, ST 0..7. Depth 2 (LIFT).
ENSTART: SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 2
        ST=C                    ; ST 2 = flag 45
        ?ST=1 2
        GOC ENST2
        ST=1 2
        C=ST
        RCR 12
        REGN=C 14
        C=REGN 15
        ?C<>0 S                 ; the lift is off: the number replaces X
        GOC ENST1
        GSUBNC LIFT
ENST1:  C=REGN 15
        C=0 S
        REGN=C 15
        LDI WORK
        DADD=C
        C=0 W
        REGN=C WENTRY
        PT= 1
        LC 15                   ; no radix mark yet
        REGN=C WENTST
        RTN
ENST2:  LDI WORK
        DADD=C
        RTN

; ENEND — ends the number being typed, if one is: flag 45 clears and the stack lift is on.
; Out: DADD = 0, hexadecimal. Changes: C, ST 0..7. Depth 1.
ENEND:  SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 2
        ST=C                    ; ST 2 = flag 45
        ?ST=1 2
        RTNNC
        ST=0 2
        C=ST
        RCR 12
        REGN=C 14
        C=REGN 15
        C=0 S                   ; a number typed lifts the stack after it
        REGN=C 15
        RTN

; ENDIG — a digit key (B[2..0] = the digit). Depth 0.
ENDIG:  GSUBNC ENSTART
        C=REGN WENTST
        M=C
        A=C W
        PT= 2
        ?C<>0 PT
        GOC ENDEXP
        LDI 00A
        PT= 0
        ?A<C PT
        GOLNC ENDONE             ; ten digits already
        C=B W
        RCR 2                   ; C[12] = the digit
ENDG1:  A=A-1 PT                ; (P = 0) moved right by the digits typed
        GOC ENDG2
        CSR W
        GONC ENDG1
ENDG2:  A=C W
        C=REGN WENTRY
        A=A+C W
        ACEX W
        REGN=C WENTRY
        C=M
        C=C+1 PT
        REGN=C WENTST
        GONC ENDONE
; An exponent digit: the two digits move left, the new one comes in at the right.
ENDEXP: RCR 6                   ; C[1..0] = the exponent's digits
        A=C W
        ASL X
        A=0 XS
        C=B W
        A=A+C X
        ACEX W
        RCR 8
        PT= 3
        ?C<>0 PT
        GOC ENDX1
        LC 1
        GONC ENDX2
ENDX1:  PT= 3
        LC 2
ENDX2:  REGN=C WENTST
        GONC ENDONE

; ENPT — the radix mark key. Typed first it stands for "0.". Depth 0.
ENPT:   GSUBNC ENSTART
        C=REGN WENTST
        PT= 2
        ?C<>0 PT
        GOC ENDONE              ; not in the exponent
        A=C W
        PT= 1
        A=A+1 PT                ; carry: [1] was F, no mark yet
        GONC ENDONE
        PT= 0
        ?C<>0 PT
        GOC ENPT1
        C=C+1 PT                ; the 0 before the mark counts as a digit
ENPT1:  A=C W
        ASL X                   ; A[1] = the digits so far
        PT= 1
        ACEX PT
        REGN=C WENTST
        GONC ENDONE

; ENEEX — EEX: the exponent follows. First, it means 1 E. Depth 0.
ENEEX:  GSUBNC ENSTART
        C=REGN WENTST
        PT= 2
        ?C<>0 PT
        GOC ENDONE
        LC 1
        PT= 0
        ?C<>0 PT
        GOC ENEE1
        C=C+1 PT
        REGN=C WENTST
        C=0 W
        PT= 12
        LC 1
        REGN=C WENTRY
        GONC ENDONE
ENEE1:  REGN=C WENTST
; ENDONE — X takes the number as typed; the display shows it. Depth 0.
ENDONE: GSUBNC ENTOX
        GSUBNC ENSHOW
        GSUBNC DSANN
        GOLNC SLEEP

; ENCHS — CHS: the sign of the mantissa, or of the exponent after EEX; with no number being
; typed, the sign of X. Depth 0.
ENCHS:  SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 2
        ST=C
        ?ST=1 2
        GONC ENCHX
        LDI WORK
        DADD=C
        C=REGN WENTST
        PT= 2
        ?C<>0 PT
        GOC ENCH1
        PT= 4
        GONC ENCH2
ENCH1:  PT= 5
ENCH2:  ?C<>0 PT
        GOC ENCH3
        LC 9
        GONC ENCH4
ENCH3:  C=0 PT
ENCH4:  REGN=C WENTST
        GONC ENDONE
ENCHX:  GSUBNC XGET              ; (text has no sign either)
        ?C<>0 W                 ; zero has no sign
        GONC ENCHX1
        SETDEC
        C=-C-1 S                ; 0 <-> 9
        REGN=C 3
ENCHX1: GOLNC KYSHOW

; ENBKSP — the back arrow: takes back the last key of the number; the number gone, X is 0
; and the lift off, as after CLX; with no number being typed, CLX. Depth 0.
ENBKSP: SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 2
        ST=C
        ?ST=1 2
        GOLNC KCLX
        LDI WORK
        DADD=C
        C=REGN WENTST
        PT= 2
        ?C<>0 PT
        GOC ENBK5
        A=C W
        ASL X
        PT= 1
        ?A<>C PT                ; the radix mark was the last key
        GOC ENBK2
        LC 15
        REGN=C WENTST
        GOLNC ENDONE
ENBK2:  PT= 0
        C=C-1 PT
        ?C<>0 PT
        GOLNC KCLX              ; no digit left
        REGN=C WENTST
        A=0 W
        ACEX PT                 ; A = the digits left
        C=REGN WENTRY
        PT= 12
ENBK3:  A=A-1 X
        GOC ENBK4
        DECPT
        GONC ENBK3
ENBK4:  C=0 PT                  ; the digit after them goes
        REGN=C WENTRY
        GOLNC ENDONE
ENBK5:  PT= 3                   ; in the exponent
        ?C<>0 PT
        GONC ENBK6
        C=C-1 PT                ; one exponent digit fewer: the digits move right
        RCR 6
        A=C W
        ASR X
        ACEX X
        RCR 8
        REGN=C WENTST
        GOLNC ENDONE
ENBK6:  PT= 2                   ; no exponent digit: back to the mantissa
        C=0 PT
        PT= 5
        C=0 PT
        REGN=C WENTST
        GOLNC ENDONE

; ENTOX — X = the number as typed: the first digit that is not 0 leads, the exponent is the
; digits before the mark less one, less the leading zeros, plus the exponent typed. Beyond
; 9.999999999E99 it is that; below 1E-99 it is 0.
; Changes: A, B, C, M, N, P, ST 0, base. Depth 1.
ENTOX:  SETHEX
        LDI WORK
        DADD=C
        C=REGN WENTRY
        A=C W
        ?A<>0 W
        GOLNC ENTX0              ; no digit but 0: X = 0
        C=REGN WENTST
        M=C
        PT= 1
        C=C+1 PT                ; carry: no radix mark, so all the digits count
        GOC ENTX1
        C=C-1 PT
        RCR 1                   ; C[0] = the digits before the mark
ENTX1:  B=0 W
        PT= 0
        BCEX PT
        C=B W
        SETDEC
        C=C-1 X                 ; less one, and decimal from here (hexadecimal A becomes 9)
        PT= 12
ENTX2:  ?A<>0 PT                ; the leading zeros
        GOC ENTX3
        C=C-1 X
        ASL W
        GONC ENTX2
ENTX3:  N=C
        B=A W                   ; B = the mantissa
        C=M
        RCR 6                   ; C[1..0] = the exponent typed, C[13] its sign
        ST=0 0
        ?C<>0 S
        GONC ENTX4
        ST=1 0
ENTX4:  C=0 M
        C=0 S
        ?ST=1 0
        GONC ENTX5
        C=-C X
ENTX5:  A=C W
        C=N
        A=A+C X                 ; the exponent
        ?A<>0 XS
        GONC ENTX7              ; 0..99
        C=0 W
        PT= 2
        LC 9
        PT= 2
        ?A<C XS
        GONC ENTX7              ; -99..-1
        LC 5
        PT= 2
        ?A<C XS
        GONC ENTX0              ; -100 or less: 0
        C=0 W                   ; 100 or more: 9.999999999E99
        C=C-1 M
        PT= 1
        LC 9
        LC 9
        GONC ENTX8
ENTX7:  C=B W
        ACEX X
ENTX8:  A=C W
        C=M
        RCR 4
        PT= 0
        ?C<>0 PT                ; the mantissa's sign
        GONC ENTX9
        A=A-1 S
ENTX9:  ACEX W
ENTXS:  M=C
        SETHEX
        C=0 W
        DADD=C
        C=M
        REGN=C 3
        RTN
ENTX0:  C=0 W
        GONC ENTXS

; ENSHOW — shows the number as typed: its digits, the radix mark where it was typed, the
; group marks, then the cursor; after EEX the exponent's sign and two places at the right
; end, "_" for its digits still to come (at most nine places for the digits then).
; Changes: A, B, C, G, M, N, P, Q, ST 0..7, base, DADD, PFAD. Depth 3 (DSDIGS).
ENSHOW: SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 5
        ST=C                    ; ST 7 = flag 28, ST 6 = flag 29
        ST=0 5                  ; the exponent is typed
        ST=0 4                  ; negative
        ST=0 1                  ; no radix mark typed
        LDI WORK
        DADD=C
        C=REGN WENTST
        M=C
        RCR 4
        PT= 0
        ?C<>0 PT
        GONC ENSH1
        ST=1 4
ENSH1:  C=M
        PT= 2
        ?C<>0 PT
        GONC ENSH2
        ST=1 5
ENSH2:  C=M                     ; k: the digits before the mark, or all of them
        PT= 1
        C=C+1 PT
        GONC ENSH3
        ST=1 1
        C=M
        GONC ENSH4
ENSH3:  C=C-1 PT
        RCR 1
ENSH4:  B=0 W
        PT= 0
        BCEX PT
        C=B W
        N=C
        LDI 009                 ; t: the digits, at most nine places after EEX (eight
        ?ST=1 4                 ; with a minus sign)
        GONC ENSH5
        LDI 008
ENSH5:  A=C W
        C=M
        B=0 W
        PT= 0
        BCEX PT
        C=B W
        ?ST=1 5
        GONC ENSH6
        ?A<C X
        GONC ENSH6
        ACEX X
ENSH6:  PT= 0
        G=C
        C=REGN WENTRY
        A=C W
        GSUBNC DSSEL
        ?ST=1 4
        GONC ENSH7
        LDI CMINUS
        REGN=C 15
ENSH7:  GSUBNC DSDIGS
        SETHEX
        ?ST=1 5
        GOC ENSH8
        LDI CUNDER
        REGN=C 15
ENSH8:  LDI 011                 ; the blanks: to 11 places (9 after EEX)
        GSUBNC DSBLNK
        ?ST=1 5
        RTNNC
        C=M                     ; the exponent: its sign...
        RCR 5
        PT= 0
        ?C<>0 PT
        GOC ENSH11
        LDI CBLANK
        GONC ENSH12
ENSH11: LDI CMINUS
ENSH12: REGN=C 15
        C=M                     ; ...and its digits: C[1..0], and C[11] how many
        RCR 6
        A=C W
        PT= 11
        ?A<>0 PT
        GOC ENSH13
        LDI CUNDER
        REGN=C 15
        REGN=C 15
        RTN
ENSH13: A=A-1 PT
        ?A<>0 PT
        GOC ENSH14
        C=0 W                   ; one digit, then the cursor
        PT= 1
        LC 3
        ACEX PT
        REGN=C 15
        LDI CUNDER
        REGN=C 15
        RTN
ENSH14: B=A W                   ; two digits
        ASR X
        C=0 W
        PT= 1
        LC 3
        ACEX PT
        REGN=C 15
        C=B W
        PT= 1
        LC 3
        REGN=C 15
        RTN
