; ===========================================================================================
;  stack.asm: the stack, the modes, and the functions that call the arithmetic.
;  Each function here is entered by a jump from KYEXEC (keys.asm) with the return stack free
;  and leaves by a jump to one of the exits there.
; ===========================================================================================

; ----- The stack ----------------------------------------------------------------------------

; KENTER — ENTER^: X is copied into Y (the stack lifts) and the lift is off.
KENTER: SETHEX
        C=0 W
        DADD=C
        GSUBNC LIFT
        GSUBNC LIFTOFF
        GOLNC KYSHOW

; KCLX — CLX: X = 0, the lift off.
KCLX:   SETHEX
        C=0 W
        DADD=C
        REGN=C 3
        C=REGN 14
        RCR 2
        ST=C
        ST=0 2                  ; no number is being typed
        C=ST
        RCR 12
        REGN=C 14
        GSUBNC LIFTOFF
        GOLNC KYSHOW

; KSWAP — X<>Y.
KSWAP:  GSUBNC XYGET
        REGN=C 2
        ACEX W
        REGN=C 3
        GOLNC KYLIFT

; KRDN — RDN: the stack rolls down, X goes to T.
KRDN:   SETHEX
        C=0 W
        DADD=C
        C=REGN 3
        A=C W
        C=REGN 2
        REGN=C 3
        C=REGN 1
        REGN=C 2
        C=REGN 0
        REGN=C 1
        ACEX W
        REGN=C 0
        GOLNC KYLIFT

; KLASTX — LASTX: the last function's argument comes back.
KLASTX: SETHEX
        C=0 W
        DADD=C
        C=REGN 4
        GOLNC PUSHX

; KPI — pi to ten digits.
KPI:    C=0 W
        PT= 12
        LC 3
        LC 1
        LC 4
        LC 1
        LC 5
        LC 9
        LC 2
        LC 6
        LC 5
        LC 4
        GOLNC PUSHX

; ----- Modes --------------------------------------------------------------------------------

; KSHIFT — the shift key: flag 47 for the next key; the display stays. Pressed while set
; (the shifted table's entry, KSHOFF) it only clears: KEYDN has already cleared the flag.
KSHIFT: SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 2
        ST=C
        ST=1 0
        C=ST
        RCR 12
        REGN=C 14
KSHOFF: GSUBNC DSANN
        GOLNC SLEEP

; KUSER — USER: flag 27 toggles (no key is assigned yet, so the keys stay as they are).
KUSER:  SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 7
        ST=C
        ?ST=1 0
        GOC KUS1
        ST=1 0
        GONC KUS2
KUS1:   ST=0 0
KUS2:   C=ST
        RCR 7
        REGN=C 14
        GSUBNC DSANN
        GOLNC SLEEP

; ----- Functions of the arithmetic ------------------------------------------------------------
KADD:   GSUBNC XYGET
        GSUBNC FADD
        GOLNC DYEXIT
KSUB:   GSUBNC XYGET
        GSUBNC FSUB
        GOLNC DYEXIT
KMUL:   GSUBNC XYGET
        GSUBNC FMUL
        GOLNC DYEXIT
KDIV:   GSUBNC XYGET
        GSUBNC FDIV
        GOLNC DYEXIT
KPCT:   GSUBNC XYGET            ; % keeps Y
        GSUBNC FPCT
        GOLNC MONEXIT
KINV:   GSUBNC XGET
        GSUBNC FINV
        GOLNC MONEXIT
KSQRT:  GSUBNC XGET
        GSUBNC FSQRT
        GOLNC MONEXIT
KSQ:    GSUBNC XGET
        GSUBNC FSQ
        GOLNC MONEXIT

; ----- Storage registers ---------------------------------------------------------------------
; The second entries of the functions that prompt (keys.asm): B[2..0] = the register's
; address, or the number typed (decimal); DADD = 0.

; KRSTO — STO: the register = X.
KRSTO:  C=REGN 3
        M=C
        C=B W
        DADD=C
        C=M
        DATA=C
        GOLNC KYSHOW

; KRRCL — RCL: the register goes into X, as a number typed would (the stack lifts).
KRRCL:  C=B W
        DADD=C
        C=REGN 0                ; (register 0 of "C=REGN" keeps the address)
        GOLNC PUSHX

; KRSTA, KRSTS, KRSTM, KRSTD — ST+ ST- ST* ST/: the register = the register op X.
KRSTA:  GSUBNC KRARG
        GSUBNC FADD
        GOLNC KRPUT
KRSTS:  GSUBNC KRARG
        GSUBNC FSUB
        GOLNC KRPUT
KRSTM:  GSUBNC KRARG
        GSUBNC FMUL
        GOLNC KRPUT
KRSTD:  GSUBNC KRARG
        GSUBNC FDIV
        GOLNC KRPUT
; KRARG — A = the register, C = X; the register's address kept in WSPARE (the arithmetic
; may change B). Changes: A, C, base. Depth 1.
KRARG:  SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=B W
        REGN=C WSPARE
        DADD=C
        C=REGN 0
        A=C W
        C=0 W
        DADD=C
        C=REGN 3
        RTN
; KRPUT — the register (address in WSPARE) = C.
KRPUT:  M=C
        SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=REGN WSPARE
        DADD=C
        C=M
        DATA=C
        GOLNC KYSHOW

; KRVIEW — VIEW: the register shows until the next key; nothing else changes.
KRVIEW: C=B W
        DADD=C
        C=REGN 0
        GSUBNC DSNUM
        GOLNC MSGSHOW

; MSGSHOW — what the display shows stays as a message (flag 50): the next key clears it,
; and the back arrow does nothing else. Then the annunciators, and sleep.
MSGSHOW: SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 1
        ST=C
        ST=1 1
        C=ST
        RCR 13
        REGN=C 14
        GSUBNC DSANN
        GOLNC SLEEP

; ----- Display modes --------------------------------------------------------------------------

; KRFIX, KRSCI, KRENG — FIX n, SCI n, ENG n (B[0] = n): flags 36..39 = n, flag 40 for FIX,
; 41 for ENG, neither for SCI.
KRFIX:  LDI 008
        GONC KRDSP
KRSCI:  LDI 000
        GONC KRDSP
KRENG:  LDI 004
KRDSP:  M=C
        C=B W
        A=C W
        ASL X                   ; A[1] = n
        C=M
        PT= 0
        ACEX PT                 ; A[0] = flags 40 and 41
        C=0 W
        DADD=C
        C=REGN 14
        RCR 3                   ; C[0] = d[3], C[1] = d[4]
        ST=C
        ST=0 3
        ST=0 2
        C=ST
        PT= 1
        ACEX PT
        PT= 0
        C=A+C PT
        RCR 11
        REGN=C 14
        GOLNC KYSHOW

; ----- Flags ---------------------------------------------------------------------------------

; KRSF, KRCF — SF nn, CF nn: flags 00..29 (the others belong to the calculator).
KRSF:   GSUBNC KRFL30
        GSUBNC FLMASK
        C=C!A
KRFPUT: REGN=C 14
        GOLNC KYSHOW
KRCF:   GSUBNC KRFL30
        GSUBNC FLMASK
        C=-C-1 W                ; every flag but this one
        C=C&A
        GONC KRFPUT
; KRFS — FS? nn from the keyboard: YES or NO, as a message.
KRFS:   C=B W
        A=C W
        LDI 056
        ?A<C X
        GOLNC ERRNONEX
        GSUBNC FLMASK
        C=C&A
        ?C<>0 W
        GOC KRFS1
        GSUBNC DSMSG
        .lcd "NO"
        GOLNC MSGSHOW
KRFS1:  GSUBNC DSMSG
        .lcd "YES"
        GOLNC MSGSHOW

; KRFL30 — returns for a flag number B[1..0] below 30; NONEXISTENT otherwise (no return).
; Changes: A, C. Depth 1.
KRFL30: C=B W
        A=C W
        LDI 030
        ?A<C X
        RTNC
        GOLNC ERRNONEX

; FLMASK — the mask of flag B[1..0] (decimal 00..55) in register d: flag n is bit
; 55 - n of d counted from bit 0 of digit 0, so the mask is 1 doubled 55 - n times.
; Out: A = d, C = the mask, DADD = 0, hexadecimal. Changes: A, C. Depth 1.
FLMASK: SETDEC
        C=B W
        A=C W
        LDI 055
        ACEX X
        C=A-C X                 ; 55 - n
        A=C W
        C=0 W
        C=C+1 W
FLM1:   SETDEC
        A=A-1 X
        GOC FLM2
        SETHEX
        C=C+C W
        GONC FLM1
FLM2:   SETHEX
        ACEX W
        C=0 W
        DADD=C
        C=REGN 14
        ACEX W
        RTN
KSIN:   GSUBNC XGET
        GSUBNC FSIN
        GOLNC MONEXIT
KCOS:   GSUBNC XGET
        GSUBNC FCOS
        GOLNC MONEXIT
KTAN:   GSUBNC XGET
        GSUBNC FTAN
        GOLNC MONEXIT
