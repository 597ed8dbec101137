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

; KPI — pi, rounded to ten digits.
KPI:    GSUBNC TGCPI            ; pi to thirteen digits (trig.asm)...
        B=0 W
        GSUBNC WPACK            ; ...rounded to ten
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
; KRPUT — the register (address in WSPARE) = C, and X shows.
KRPUT:  GSUBNC WSPUT
        GOLNC KYSHOW
; WSPUT — the register whose address WSPARE holds = C. Changes: C, M, base. Depth 1.
WSPUT:  M=C
        SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=REGN WSPARE
        DADD=C
        C=M
        DATA=C
        RTN

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
        ST=1 8                  ; flags 0..4 and 27 show
        GOLNC KYSHOW
KRCF:   GSUBNC KRFL30
        GSUBNC FLMASK
        C=-C-1 W                ; every flag but this one
        C=C&A
        GONC KRFPUT
; KRFS — FS? nn from the keyboard: YES or NO, as a message.
KRFS:   GSUBNC KRFL56
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

; ----- Tests ------------------------------------------------------------------------------
; From the keyboard a test shows YES or NO and changes nothing else.

KXEQY:  GSUBNC XYCMP
        ?ST=1 1
        GOLC KYES
        GOLNC KNO
KXNEY:  GSUBNC XYCMP
        ?ST=1 1
        GOLC KNO
        GOLNC KYES
KXLEY:  GSUBNC XYCMP
        ?ST=1 2
        GOLC KNO
        GOLNC KYES
KXLTY:  GSUBNC XYCMP
        ?ST=1 0
        GOLC KYES
        GOLNC KNO
KXGTY:  GSUBNC XYCMP
        ?ST=1 2
        GOLC KYES
        GOLNC KNO
KXEQ0:  GSUBNC X0CMP
        ?ST=1 1
        GOLC KYES
        GOLNC KNO
KXNE0:  GSUBNC X0CMP
        ?ST=1 1
        GOLC KNO
        GOLNC KYES
KXLE0:  GSUBNC X0CMP
        ?ST=1 2
        GOLC KNO
        GOLNC KYES
KXLT0:  GSUBNC X0CMP
        ?ST=1 0
        GOLC KYES
        GOLNC KNO
KXGT0:  GSUBNC X0CMP
        ?ST=1 2
        GOLC KYES
        GOLNC KNO
KYES:   GSUBNC DSMSG
        .lcd "YES"
        GOLNC MSGSHOW
KNO:    GSUBNC DSMSG
        .lcd "NO"
        GOLNC MSGSHOW

; XYCMP — compares X with Y; X0CMP — X with 0. Out: ST 0 = x < y (or 0), ST 1 = equal,
; ST 2 = x > y. Changes: A, B, C, ST 0..7, base. Depth 2.
X0CMP:  GSUBNC XGET
        A=0 W
        GONC FCMP
XYCMP:  GSUBNC XYGET
; FCMP — compares two numbers in register form: y in A, x in C; as above.
FCMP:   SETDEC
        CLRST
        ?A<>C W
        GOC FCM1
        ST=1 1                  ; the same digits: equal (0 is never -0)
        RTN
FCM1:   ?C<>0 S
        GOC FCM2
        ?A<>0 S
        GOC FCMGT               ; x >= 0 > y
        GSUBNC FCMAG            ; both >= 0: as their sizes
        RTN
FCM2:   ?A<>0 S
        GONC FCMLT              ; x < 0 <= y
        GSUBNC FCMAG            ; both < 0: the other way round
        ?ST=1 0
        GOC FCMGT
FCMLT:  CLRST
        ST=1 0
        RTN
FCMGT:  CLRST
        ST=1 2
        RTN
; FCMAG — ST 0 = |x| < |y|, else ST 2 (A = y, C = x, not equal). Depth 1.
FCMAG:  ?C<>0 W
        GONC FCMGS              ; x = 0: the smaller
        ?A<>0 W
        GONC FCMGB              ; y = 0: x the bigger
        ?C<>0 XS                ; a negative exponent (digit 2 is 9) is the smaller
        GOC FCMG1
        ?A<>0 XS
        GOC FCMGB
        GONC FCMG2
FCMG1:  ?A<>0 XS
        GONC FCMGS
FCMG2:  ?A<>C X
        GONC FCMG3
        ?A<C X                  ; y's exponent below x's
        GOC FCMGB
        GONC FCMGS
FCMG3:  ?A<C M
        GOC FCMGB
FCMGS:  ST=1 0
        RTN
FCMGB:  ST=1 2
        RTN

; ----- Statistics -------------------------------------------------------------------------
; Six registers from ΣREG (R11 after MEMORY LOST): Σx, Σx², Σy, Σy², Σxy, n.

; KSIGP, KSIGM — Σ+ and Σ-: x and y are added to the sums (or taken away); X = n,
; LASTX = x, and the lift is off.
KSIGP:  C=0 W
        GONC KSIG
KSIGM:  C=0 W
        PT= 13
        LC 9                    ; take away
KSIG:   M=C
        GSUBNC SGBASE
        GSUBNC XGET
        M=C
        C=0 X
        GSUBNC SGADD            ; Σx
        GSUBNC XGET
        A=C W
        GSUBNC FMUL
        M=C
        LDI 001
        GSUBNC SGADD            ; Σx²
        GSUBNC XYGET
        ACEX W
        M=C
        LDI 002
        GSUBNC SGADD            ; Σy
        GSUBNC XYGET
        ACEX W
        A=C W
        GSUBNC FMUL
        M=C
        LDI 003
        GSUBNC SGADD            ; Σy²
        GSUBNC XYGET
        GSUBNC FMUL
        M=C
        LDI 004
        GSUBNC SGADD            ; Σxy
        C=0 W
        PT= 12
        LC 1
        M=C
        LDI 005
        GSUBNC SGADD            ; n
        GSUBNC XGET
        REGN=C 4                ; LASTX = x
        LDI 005
        GSUBNC SGAT
        C=REGN 0
        M=C
        C=0 W
        DADD=C
        C=M
        REGN=C 3                ; X = n
        GSUBNC LIFTOFF
        GOLNC KYSHOW

; KCLSIG — CLΣ: the six sums are 0.
KCLSIG: C=0 W
        M=C
        GSUBNC SGBASE
        C=REGN WKEY
        C=0 S
        A=C W
        LDI 006
        A=A+C X
        B=A W                   ; B = the address past the last
        A=A-C X
KCLS1:  ACEX W
        DADD=C
        ACEX W
        C=0 W
        DATA=C
        A=A+1 X
        ?A<B X
        GOC KCLS1
        GOLNC KYSHOW

; SGBASE — the six registers of the sums must exist (NONEXISTENT otherwise: no return);
; WKEY = the first one's address with M[13] (9 for Σ-) in digit 13.
; Out: DADD in the working registers. Changes: A, B, C, base. Depth 1.
SGBASE: SETHEX
        C=0 W
        DADD=C
        C=REGN 13
        A=C W
        RCR 6                   ; C[2..0] = ΣREG
        A=A+C X                 ; A[2..0] = the first address, A[5..3] = the top + 1
        B=A W
        LDI 005
        A=A+C X
        C=B W
        RCR 3
        ?A<C X
        GOLNC ERRNONEX
        C=B W
        C=0 M
        C=0 S
        A=C W
        C=M
        C=0 X
        C=0 M
        A=A+C W
        C=0 W
        LDI WORK
        DADD=C
        ACEX W
        REGN=C WKEY
        RTN

; SGAT — DADD = register C[2..0] of the sums. Changes: A, C, base. Depth 1.
SGAT:   A=C W
        SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=REGN WKEY
        A=A+C X
        ACEX W
        DADD=C
        RTN

; SGADD — register C[2..0] of the sums += M, or -= M for Σ- (WKEY[13] = 9).
; Changes: as FADD, and WSPARE. Depth 3 (FADD).
SGADD:  A=C W
        B=A W
        SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=REGN WKEY
        A=C W
        C=B W
        A=A+C X                 ; A[2..0] = the address, A[13] = the sign
        ACEX W
        REGN=C WSPARE
        ST=0 7
        ?C<>0 S
        GONC SGAD1
        ST=1 7
SGAD1:  DADD=C
        C=REGN 0
        A=C W
        C=M
        ?ST=1 7
        GONC SGAD2
        ?C<>0 W
        GONC SGAD2
        SETDEC
        C=-C-1 S                ; (this sets the carry: the call below must not follow it)
SGAD2:  SETDEC
        GSUBNC FADD
        GOLNC WSPUT

; ----- Sound and program memory ------------------------------------------------------------

; KBEEP — BEEP: a short tone while flag 26 (sound) is set.
KBEEP:  SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 6                   ; C[1] = d[7]: ST 5 = flag 26
        ST=C
        ?ST=1 5
        GONC KBEEP2
        C=0 W
        C=C-1 X
        ST=C
        F=SB                    ; FO not 0: the beeper sounds
        LDI 200                 ; for about a quarter of a second
KBEEP1: C=C-1 X
        GONC KBEEP1
        CLRST
        F=SB
KBEEP2: GOLNC KYSHOW

; KPRGM — PRGM: the annunciator (flag 52) toggles; program memory is empty, so the display
; says how many registers it has: "00 REG nn".
KPRGM:  SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        ST=C                    ; ST 3 = flag 52
        ?ST=1 3
        GOC KPRG1
        ST=1 3
        GONC KPRG2
KPRG1:  ST=0 3
KPRG2:  C=ST
        REGN=C 14
        ST=1 8
        ?ST=1 3
        GOLNC KYSHOW            ; PRGM off: X again
        C=REGN 13
        A=C W                   ; A[2..0] = R00
        LDI PROGS
        A=A-C X                 ; the registers for programs (hexadecimal)
        C=0 W
        SETDEC
KPRG3:  SETHEX
        A=A-1 X
        GOC KPRG4
        SETDEC
        C=C+1 X
        GONC KPRG3
KPRG4:  M=C                     ; in decimal
        GSUBNC DSSEL
        GSUBNC DSINL
        .lcd "00 REG "
        C=M
        GSUBNC DSDEC3
        GSUBNC DSPAD
        GOLNC MSGSHOW

; ----- More functions of X, and of Y and X --------------------------------------------------
KLOG:   GSUBNC XGET
        GSUBNC FLOG
        GOLNC MONEXIT
KLN:    GSUBNC XGET
        GSUBNC FLN
        GOLNC MONEXIT
KALOG:  GSUBNC XGET
        GSUBNC FALOG
        GOLNC MONEXIT
KEXP:   GSUBNC XGET
        GSUBNC FEXP
        GOLNC MONEXIT
KLN1P:  GSUBNC XGET
        GSUBNC FLN1P
        GOLNC MONEXIT
KEXPM1: GSUBNC XGET
        GSUBNC FEXPM1
        GOLNC MONEXIT
KASIN:  GSUBNC XGET
        GSUBNC FASIN
        GOLNC MONEXIT
KACOS:  GSUBNC XGET
        GSUBNC FACOS
        GOLNC MONEXIT
KATAN:  GSUBNC XGET
        GSUBNC FATAN
        GOLNC MONEXIT
KD2R:   GSUBNC XGET
        GSUBNC FD2R
        GOLNC MONEXIT
KR2D:   GSUBNC XGET
        GSUBNC FR2D
        GOLNC MONEXIT
KABS:   GSUBNC XGET
        GSUBNC FABS
        GOLNC MONEXIT
KINT:   GSUBNC XGET
        GSUBNC FINT
        GOLNC MONEXIT
KFRC:   GSUBNC XGET
        GSUBNC FFRC
        GOLNC MONEXIT
KSIGN:  GSUBNC XGET
        GSUBNC FSIGN
        GOLNC MONEXIT
KFACT:  GSUBNC XGET
        GSUBNC FFACT
        GOLNC MONEXIT
KHMS:   GSUBNC XGET
        GSUBNC FHMS
        GOLNC MONEXIT
KHR:    GSUBNC XGET
        GSUBNC FHR
        GOLNC MONEXIT
KPOW:   GSUBNC XYGET
        GSUBNC FPOW
        GOLNC DYEXIT
KMOD:   GSUBNC XYGET
        GSUBNC FMOD
        GOLNC DYEXIT
KHMSA:  GSUBNC XYGET
        GSUBNC FHMSADD
        GOLNC DYEXIT
KHMSS:  GSUBNC XYGET
        GSUBNC FHMSSUB
        GOLNC DYEXIT
KP2R:   GSUBNC XYGET
        GSUBNC FP2R
        GOLNC TWOEXIT
KR2P:   GSUBNC XYGET
        GSUBNC FR2P
; TWOEXIT — a function with two results ends: C = the new X, A = the new Y; LASTX = X.
TWOEXIT: M=C
        SETHEX
        C=0 W
        DADD=C
        C=REGN 3
        REGN=C 4
        ACEX W
        REGN=C 2
        C=M
        REGN=C 3
        GOLNC KYLIFT

; ----- Angles, clearing, exchange ------------------------------------------------------------

; KDEG, KRAD, KGRAD — the angle mode: flags 42 (GRAD) and 43 (RAD).
KDEG:   LDI 000
        GONC KANG
KRAD:   LDI 001
        GONC KANG
KGRAD:  LDI 002
KANG:   A=C W
        SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 3
        ST=C
        ST=0 1
        ST=0 0
        C=ST
        PT= 0
        C=A+C PT
        RCR 11
        REGN=C 14
        ST=1 8
        GOLNC KYSHOW

; KCLST — CLST: X Y Z T are 0.
KCLST:  SETHEX
        C=0 W
        DADD=C
        REGN=C 0
        REGN=C 1
        REGN=C 2
        REGN=C 3
        GOLNC KYSHOW

; KCLD — CLD: the message goes; X (or ALPHA) shows.
KCLD:   GOLNC KYSHOW

; KCLRG — CLRG: every data register, R00 to the top, is 0.
KCLRG:  SETHEX
        C=0 W
        DADD=C
        C=REGN 13
        RCR 3
        A=C W
        B=A W                   ; B[2..0] = the top + 1
        C=REGN 13
        A=C W                   ; A[2..0] = R00
KCLR1:  ?A<B X
        GONC KCLR2
        ACEX W
        DADD=C
        ACEX W
        C=0 W
        DATA=C
        A=A+1 X
        GONC KCLR1
KCLR2:  GOLNC KYSHOW

; KAVIEW — AVIEW: ALPHA shows until the next key.
KAVIEW: GSUBNC ALSHOW
        GOLNC MSGSHOW

; KRXCH — X<> nn: X and the register change places.
KRXCH:  C=B W
        DADD=C
        C=REGN 0
        M=C
        C=0 W
        DADD=C
        C=REGN 3
        N=C
        C=M
        REGN=C 3
        C=B W
        DADD=C
        C=N
        DATA=C
        GOLNC KYSHOW

; KRFC — FC? nn; KRFSC, KRFCC — FS?C and FC?C: the answer, then the flag is clear.
KRFC:   GSUBNC KRFL56
        GSUBNC FLMASK
        C=C&A
        ?C<>0 W
        GOLC KNO
        GOLNC KYES
KRFSC:  GSUBNC KRFL30
        GSUBNC FLTC
        ?ST=1 0
        GOLC KYES
        GOLNC KNO
KRFCC:  GSUBNC KRFL30
        GSUBNC FLTC
        ?ST=1 0
        GOLC KNO
        GOLNC KYES
; KRFL56 — returns for a flag number B[1..0] below 56; NONEXISTENT otherwise.
KRFL56: C=B W
        A=C W
        LDI 056
        ?A<C X
        RTNC
        GOLNC ERRNONEX
; FLTC — tests flag B[1..0] (ST 0 = it was set) and clears it. Changes: A, C, M, ST 0.
; Depth 2 (FLMASK).
FLTC:   GSUBNC FLMASK
        M=C
        ST=0 0
        C=C&A
        ?C<>0 W
        GONC FLTC1
        ST=1 0
FLTC1:  C=M
        C=-C-1 W
        C=C&A
        REGN=C 14
        RTN

; ----- Statistics from the sums -----------------------------------------------------------

; KMEAN — MEAN: X = Σx / n, Y = Σy / n; LASTX = X.
KMEAN:  C=0 W
        M=C
        GSUBNC SGBASE
        LDI 002
        GSUBNC SGGET
        GSUBNC SGDIVN           ; the mean of y...
        GSUBNC WKPUT            ; ...kept in WENTRY
        C=0 W
        GSUBNC SGGET
        GSUBNC SGDIVN           ; the mean of x
        GOLNC SGTWO

; KSDEV — SDEV: X = sx, Y = sy, the sample standard deviations: the root of
; (Σx² - (Σx)²/n) / (n - 1).
KSDEV:  C=0 W
        M=C
        GSUBNC SGBASE
        LDI 002
        GSUBNC SGSD
        GSUBNC WKPUT
        C=0 W
        GSUBNC SGSD
; SGTWO — ends MEAN and SDEV: C = the new X, WENTRY the new Y.
SGTWO:  M=C
        SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=REGN WENTRY
        A=C W
        C=M
        GOLNC TWOEXIT

; SGSD — the standard deviation of the first (C[2..0] = 0) or second (2) values.
; Changes: as FSQRT, and WSPARE, WENTST. Depth 4.
SGSD:   A=C W
        B=A W
        SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=B W
        REGN=C WSPARE           ; which one
        GSUBNC SGGET            ; Σx
        A=C W
        GSUBNC FMUL             ; (Σx)²
        GSUBNC SGDIVN           ; / n
        M=C
        GSUBNC SGSPARE
        C=C+1 X
        GSUBNC SGGET            ; Σx²
        A=C W
        C=M
        GSUBNC FSUB
        M=C                     ; (the arithmetic may change M: kept in WENTST)
        SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=M
        REGN=C WENTST
        LDI 005
        GSUBNC SGGET            ; n
        A=C W
        C=0 W
        PT= 12
        LC 1
        GSUBNC FSUB             ; n - 1
        M=C
        SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=REGN WENTST
        A=C W
        C=M
        GSUBNC FDIV
        GOLNC FSQRT

; SGSPARE — C = WSPARE. Changes: C. Depth 1.
SGSPARE: SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=REGN WSPARE
        RTN

; WKPUT — WENTRY = C (a number kept across the arithmetic). Changes: C, M. Depth 1.
WKPUT:  M=C
        SETHEX
        C=0 W
        LDI WORK
        DADD=C
        C=M
        REGN=C WENTRY
        RTN

; SGGET — C = register C[2..0] of the sums. Changes: A, C. Depth 2.
SGGET:  GSUBNC SGAT
        C=REGN 0
        RTN

; SGDIVN — C = C / n. Changes: as FDIV, and N. Depth 3.
SGDIVN: M=C
        LDI 005
        GSUBNC SGGET
        N=C
        C=M
        A=C W
        C=N
        GOLNC FDIV

; KRSREG — ΣREG nn: the sums begin at Rnn.
KRSREG: SETHEX
        C=B W                   ; nn in hexadecimal: tens x 10 + units
        A=C W
        ASR X
        PT= 1
        C=0 PT
        ACEX W
        C=C+C X
        A=A+C X
        C=C+C X
        C=C+C X
        A=A+C X
        C=0 W
        DADD=C
        C=REGN 13
        RCR 6
        ACEX X                  ; c[8..6] = nn
        RCR 8
        REGN=C 13
        GOLNC KYSHOW

; KRTONE — TONE n: a tone of n + 1 tenths of a second, while flag 26 is set (the beeper has
; one pitch).
KRTONE: SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 6
        ST=C
        ?ST=1 5
        GONC KTON3
        C=0 W
        C=C-1 X
        ST=C
        F=SB
        C=B W
        A=C W                   ; A = n
KTON1:  LDI 0D2                 ; 210 turns of three: a tenth of a second
KTON2:  C=C-1 X
        GONC KTON2
        A=A-1 X
        GONC KTON1
        CLRST
        F=SB
KTON3:  GOLNC KYSHOW
KOCT:   GSUBNC XGET
        GSUBNC FOCT
        GOLNC MONEXIT
KDEC:   GSUBNC XGET
        GSUBNC FDEC
        GOLNC MONEXIT

; KRSIZE — SIZE nnn: R00 moves so that nnn data registers end at the top of memory (their
; contents stay where they are); NO ROOM if that would take registers kept for programs.
KRSIZE: C=B W
        GSUBNC BCDHEX
        B=A W                   ; B = nnn
        C=0 W
        DADD=C
        C=REGN 13
        RCR 3
        A=C W                   ; A[2..0] = the top + 1
        A=A-B X
        GOC KRSZ1
        LDI PROGS
        ?A<C X
        GOC KRSZ1
        C=REGN 13
        ACEX X
        REGN=C 13
        GOLNC KYSHOW
KRSZ1:  GOLNC ERRNOROOM

; BCDHEX — A[2..0] = the number whose decimal digits are C[2..0], in hexadecimal.
; Changes: A, B, C, P, base. Depth 1.
BCDHEX: SETHEX
        A=C W
        B=A W
        A=0 W
        PT= 0
        ACEX PT                 ; the units
        C=B W
        RCR 1
        C=0 S
        PT= 1
        C=0 PT
        C=C+C X
        A=A+C X
        C=C+C X
        C=C+C X
        A=A+C X                 ; + 10 x the tens
        C=B W
        RCR 2
        C=0 S
        C=0 M
        C=C+C X
        C=C+C X
        A=A+C X
        C=C+C X
        C=C+C X
        C=C+C X
        A=A+C X
        C=C+C X
        A=A+C X                 ; + (4 + 32 + 64) x the hundreds
        RTN

; KRND — RND: X rounded to what the display shows of it (FIX, SCI or ENG n, FIX falling back
; to SCI as the display does); LASTX = X.
KRND:   GSUBNC XGET
        ?C<>0 W
        GOLNC MONEXIT           ; 0 stays 0
        M=C
        C=REGN 14
        RCR 3
        ST=C                    ; ST 3: FIX
        RCR 1                   ; C[0] = d[4]: n
        B=0 W
        PT= 0
        BCEX PT
        C=B W
        SETDEC
        C=C+1 X
        N=C                     ; N = n + 1
        ?ST=1 3
        GONC RND5               ; SCI, ENG: n + 1 digits
        C=M
        A=C W
        ?A<>0 XS
        GOC RND2
        LDI 010
        ?A<C X
        GONC RND5               ; 1E10 or more shows in SCI
        C=0 W
        ACEX X                  ; C = e
        A=C W
        C=N
        A=A+C X                 ; e + n + 1 digits...
        LDI 010
        ?A<C X
        GONC RND6               ; ...all ten: as it is
        ACEX X
        GONC RND4
RND2:   C=0 W                   ; e < 0: n + 1 + e digits show after "0."
        ACEX X
        A=C W
        C=N
        A=A+C X
        ?A<>0 XS
        GOC RND5                ; none: SCI
        ?A<>0 X
        GOC RND3
        C=M                     ; exactly none: the first digit rounds it up to 1E(e+1),
        A=C W                   ; or SCI
        C=0 W
        PT= 12
        LC 5
        PT= 12
        ?A<C PT
        GOC RND5
        C=M
        C=0 M
        PT= 12
        LC 1
        SETDEC
        C=C+1 X
        GOLNC MONEXIT
RND3:   ACEX X                  ; C = that many digits
        GONC RND4
RND5:   C=N
RND4:   GSUBNC RNDT
        GOLNC MONEXIT
RND6:   C=M
        GOLNC MONEXIT

; RNDT — M (a number, not 0) rounded half away from zero to its first C[2..0] digits (1..10,
; decimal). Out: C. Changes: A, C, N, P, base. Depth 2 (DSRND).
RNDT:   N=C
        C=M
        A=C W
        A=0 S
        A=0 X
        C=N
        GSUBNC DSRND            ; (the digits after the kept ones are 0)
        ?A<>0 S
        GONC RNDT1
        C=M                     ; 9.99.. carried out: the exponent one more...
        SETDEC
        C=C+1 X
        M=C
        A=C W
        LDI 100
        ?A<>C X
        GONC RNDT2              ; (past 9.999999999E99)
        C=0 W                   ; ...and the mantissa 1
        PT= 12
        LC 1
        A=C W
RNDT1:  C=M
        C=0 M
        C=A+C M
        RTN
RNDT2:  GOLNC ERRRANGE
