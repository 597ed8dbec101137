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

; KSHIFT — the shift key: flag 47 toggles; the display stays.
KSHIFT: SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 2
        ST=C
        ?ST=1 0
        GOC KSH1
        ST=1 0
        GONC KSH2
KSH1:   ST=0 0
KSH2:   C=ST
        RCR 12
        REGN=C 14
        GSUBNC DSANN
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
