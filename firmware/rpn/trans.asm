; ===========================================================================================
;  trans.asm: logarithms, exponentials and powers.
;
;  FLN, FLOG, FLN1P (LN1+X) take x in C; FEXP, FALOG, FEXPM1 (E^X-1) too; FPOW takes y in A
;  and x in C and gives y^x. Results come in C, rounded to ten digits by WPACK (arith.asm),
;  which also turns a result too large into OUT OF RANGE (or +-9.999999999E99 with flag 24)
;  and one too small into 0.
;
;  ---- How -------------------------------------------------------------------------------
;  Everything is computed in fixed point: fourteen digits, the units in digit 13 and thirteen
;  digits after the point ("L13" below). Only shifts and additions are used:
;  - A logarithm drives its argument towards 1 with factors (1 - 10^-k) (from above, "u":
;    x = 1 + u) or (1 + 10^-k) (from below, "v": x = 1 - v), k = k0..k0+6, as often as each
;    fits. ln x is then the sum of the -ln(1 - 10^-k) or ln(1 + 10^-k) used, plus what is
;    left of u or v (below 10^-(k0+6), so that its square no longer counts).
;  - An exponential takes its argument apart into such constants (as often as each fits),
;    then builds the product of the factors, starting from 1 + what is left.
;  The value worked on is kept scaled by 10^(k-1) at stage k (shifted one digit at each
;  stage), so that a small argument keeps all its digits: ln(1 + x) and e^x - 1 are
;  computed to the full precision however small x is. A factor (1 +- 10^-k) multiplies by
;  w + 0.1 +- w*10^-k on the scaled value w; the shift by k digits is one rotation of C
;  (TRSHR), rounded. The counts of each stage are kept as two decimal digits in N, and
;  the sum of the constants is formed from the last stage back.
;  Larger arguments are brought into range first: ln of a mantissa m in [1, 10) halves m
;  (ln 2 each time) until it is below 2; 10^z is 10^n * e^(f ln 10) with n the integer part
;  of z, and e^r takes ln 2 out as often as it fits. Arguments within 1E-7 of the point
;  where the result is 0 take two terms of the series instead (ln(1 + u) = u - u^2/2,
;  e^x - 1 = x + x^2/2). e^x is 10^(x log10 e); y^x is 10^(x log10 y), where log10 y, its
;  exponent (exact) plus the logarithm of the mantissa, is kept in fixed point with twelve
;  or thirteen digits after the point until it has been multiplied by x: z = x log10 y
;  then has all the digits that 10^z needs, up to |z| = 100.
;  tests/firmware/rpn/trans_test.py holds every routine to 2 units of the tenth digit of
;  the exact result, against mpmath.
;
;  ---- What they use --------------------------------------------------------------------
;  Working registers 0C4..0CA (DADD = WORK, registers TRE .. TRSG below). ST 0..3 hold k,
;  the stage, and the active pointer P is k - 1 during the stage loops; ST 4 is the
;  direction (1: the factors 1 + 10^-k), ST 5 a sign, ST 6 a ten that does not fit in
;  digit 13, ST 7 "log10 rather than ln". The public routines change A, B, C, M, N, G,
;  P, Q, ST 0..7 and DADD, and return in decimal mode.
;  Depth: the public routines 4, the cores TRLNF, TRLNE and TRALW 3, the stage loops TRLNK and
;  TREXK 2, the rest 1.
; ===========================================================================================

TRE     .equ 4                  ; 0C4: the exponent still to add (TRLNF); n in TRALW
TRH     .equ 5                  ; 0C5: how often the argument was halved (or ln 2 taken out)
TRTM    .equ 7                  ; 0C7: a wide number kept aside: mantissa...
TRTE    .equ 8                  ; 0C8: ...and exponent
TRXX    .equ 9                  ; 0C9: x of y^x
TRSG    .equ 10                 ; 0CA: the sign of y^x (digit 13)


; ---- Public routines --------------------------------------------------------------------------

; FLN: natural logarithm. In: C = x. Out: C = ln x. x <= 0: ERRDATA. LN 1 = 0 exactly.
; Changes: see the top. Depth 4. Calls WUNP, TRLNF, TRLNE, WPACK.
FLN:    SETDEC
        ST=0 7
TRLN0:  ?C<>0 S
        GOLC ERRDATA            ; negative
        ?C<>0 W
        GOLNC ERRDATA           ; 0
        GSUBNC WUNP
        GSUBNC TRLNF
        GSUBNC TRLNE
        GOLNC WPACK

; FLOG: common logarithm. In: C = x. Out: C = log10 x, exact for a power of ten.
; x <= 0: ERRDATA. Changes: see the top. Depth 4. Calls as FLN.
FLOG:   SETDEC
        ST=1 7
        GONC TRLN0

; FALOG: 10^x. In: C = x. Out: C, exact for an integer x. Changes: see the top. Depth 4.
; Calls WUNP, TRALW, WPACK.
FALOG:  SETDEC
        GSUBNC WUNP
        GSUBNC TRALW
        GOLNC WPACK

; FEXP: e^x. In: C = x. Out: C; e^0 = 1. Changes: see the top. Depth 4.
; Calls TRZLE, TRALW, WPACK.
FEXP:   SETDEC
        GSUBNC TRZLE            ; C, B = x log10 e
        GSUBNC TRALW
        GOLNC WPACK

; FLN1P: ln(1 + x), to full precision for a small x too. In: C = x. Out: C.
; x <= -1: ERRDATA. Changes: see the top. Depth 4.
; Calls TRSMALL, TRLNK, TRMK0, TRNRM, TRONE, TRXW, WADD, TRLNF, TRLNE, TRSQ2, WSUB,
; WPACK.
FLN1P:  SETDEC
        ?C<>0 W
        RTNNC                   ; ln 1 = 0
        ?C<>0 S
        GONC TRLP1
        ?C<>0 XS
        GOLNC ERRDATA           ; x <= -1
TRLP1:  GSUBNC TRSMALL          ; A = |m| (L13), ST 5: x < 0, k = k0 ...
        ?ST=1 7
        GOC TRLP4               ; ... ST 7: |x| < 1E-7
        ?ST=1 6
        GOC TRLP2               ; ... ST 6: |x| >= 0.1
; 1E-7 <= |x| < 0.1: ln(1 + u) or ln(1 - v), with u or v = m 10^-k0: the loop takes m / 10.
        ASR W
        GSUBNC TRLNK            ; A = |ln(1 + x)| 10^k0
        GSUBNC TRMK0            ; B = -k0
TRLP5:  GSUBNC TRNRM
        ?ST=1 5
        GOLNC WPACK
        C=C-1 S                 ; negative
        GOLC WPACK              ; (0 - 1 borrows: always taken)
; |x| >= 0.1: ln of 1 + x (1 + x cut to 13 digits, which ln hardly feels there).
TRLP2:  GSUBNC TRONE            ; A, B = 1
        GSUBNC TRXW             ; C, M = x
        GSUBNC WADD
        ST=0 7
        GSUBNC TRLNF
        GSUBNC TRLNE
        GOLNC WPACK
; |x| < 1E-7: x - x^2/2 (the next term is below 1E-14 of x).
TRLP4:  GSUBNC TRSQ2            ; C, B = x^2/2
        GSUBNC TRXOP            ; A, B = x; C, M = x^2/2
        GSUBNC WSUB
        GOLNC WPACK

; FEXPM1: e^x - 1, to full precision for a small x too. In: C = x. Out: C. Changes: see
; the top. Depth 4. Calls TRSMALL, TREXK, TRMK0, TRNRM, TRZLE, TRALW, TRSQ2, WADD, WSUB,
; WPACK.
FEXPM1: SETDEC
        ?C<>0 W
        RTNNC                   ; e^0 - 1 = 0
        GSUBNC TRSMALL
        ?ST=1 7
        GOC TRXP4
        ?ST=1 6
        GOC TRXP2
; 1E-7 <= |x| < 0.1: the loops on m = |x| 10^k0; e^x - 1 grows with the factors
; (1 + 10^-k) for x > 0, 1 - e^x with (1 - 10^-k) for x < 0.
        ST=1 4
        ?ST=1 5
        GONC TRXP1
        ST=0 4
TRXP1:  GSUBNC TREXK            ; A = |e^x - 1| 10^(k0-1)
        GSUBNC TRMK0
        BCEX W
        C=C+1 X                 ; B = 1 - k0
        BCEX W
        GOLNC TRLP5
; |x| >= 0.1: e^x, less one.
TRXP2:  C=REGN TRXX
        GSUBNC TRZLE
        GSUBNC TRALW
        ACEX W                  ; A, B = e^x
        C=0 W
        M=C                     ; M = 0
        PT= 12
        LC 1                    ; C = 1
        GSUBNC WSUB
        GOLNC WPACK
; |x| < 1E-7: x + x^2/2.
TRXP4:  GSUBNC TRSQ2
        GSUBNC TRXOP
        GSUBNC WADD
        GOLNC WPACK

; FPOW: y^x. In: A = y, C = x. Out: C. A negative y needs an integer x (an odd one makes the
; result negative); 0^x is 0 for x > 0; 0^0, 0 to a negative power and a negative y with x
; not an integer are ERRDATA. y^0 = 1. Changes: see the top. Depth 4.
; Calls TRALONE, WUNP, TRLNF, TRTEN, TRLG, TRPWL, TRWMUL, TRALW, WPACK.
FPOW:   SETDEC
        N=C                     ; N = x
        C=0 W
        LDI WORK
        DADD=C
        C=N
        REGN=C TRXX
        C=0 W
        REGN=C TRSG             ; positive, unless found otherwise
        ?A<>0 W
        GOC TRPW1
; y = 0: 0 for x > 0.
        C=N
        ?C<>0 W
        GOLNC ERRDATA           ; 0^0
        ?C<>0 S
        GOLC ERRDATA            ; 0 to a negative power
        C=0 W
        RTN
TRPW1:  C=N
        ?C<>0 W
        GOC TRPW2
        GSUBNC TRALONE          ; y^0 = 1
        GOLNC WPACK
TRPW2:  ?A<>0 S
        GONC TRPW5
; y < 0: x must be an integer. Shifted left by its exponent + 1 places, the mantissa of x
; has its units digit in digit 13 and its fraction below (from exponent 10 on, all digits
; have left: an even integer).
        A=0 S
        B=A W                   ; B = |y|
        A=C W                   ; A = x
        ?A<>0 XS
        GOLC ERRDATA            ; |x| < 1
        C=0 W
        C=A+C X                 ; C = the exponent of x
        A=0 X
        A=0 S
TRPW3:  ASL W
        C=C-1 X
        GONC TRPW3
        C=0 W
        C=A+C S                 ; C[13] = the units digit
        A=0 S
        ?A<>0 W
        GOLC ERRDATA            ; a fraction
        A=0 W
        A=A+1 S
        C=C&A                   ; its lowest bit
        ?C<>0 S
        GONC TRPW4
        C=0 W
        C=C-1 S                 ; 9: negative
        REGN=C TRSG
TRPW4:  ABEX W                  ; A = |y|
; |y|^x = 10^(x log10 |y|).
TRPW5:  ACEX W
        GSUBNC WUNP
        GSUBNC TRLNF            ; ln |y| = part + e ln 10 ...
        GSUBNC TRTEN
        GSUBNC TRLG             ; ... log10 |y| = part + e ...
        GSUBNC TRPWL            ; ... as one fixed-point number: A, B, ST 5
; z = x log10 |y|, from all the digits of both (a sum cut to 13 digits first would lose
; one where |x| is large).
        ACEX W
        M=C                     ; M = log10 |y|
        C=REGN TRXX
        A=C W
        C=B W
        C=A+C X
        BCEX W                  ; B = the exponents of x and of log10 |y| added
        A=0 X                   ; A = the mantissa of x
        ?ST=1 5
        GONC TRPWA
        ACEX W
        C=-C-1 S                ; log10 |y| < 0
        ACEX W
TRPWA:  C=M
        ACEX W
        GSUBNC TRWMUL           ; z
TRPW7:  GSUBNC TRALW
        ACEX W
        C=REGN TRSG             ; DADD: TRALW leaves it at WORK
        C=C!A                   ; the sign in digit 13
        GOLNC WPACK

; TRPWL: log10 |y| for FPOW as one fixed-point number: the part that TRLG gave (A, with
; B = 0 and ST 5 = 0 when an e is still to add) plus the e in TRE. The units go to digit
; 13, or to digit 12 when |e| >= 10 (then B = 1): thirteen or twelve digits after the
; point, which z = x log10 |y| needs. Out: A, B, ST 5 (negative). Needs DADD = WORK.
; Changes A, B, C, M, ST 5. Depth 1.
TRPWL:  C=REGN TRE
        ?C<>0 X
        RTNNC                   ; nothing to add
        ?C<>0 XS
        GONC TRPL1
        C=-C X
        ST=1 5                  ; e < 0: -(|e| - part)
TRPL1:  C=0 M
        C=0 S
        RCR 2                   ; digits 13..12 = |e|
        ?C<>0 S
        GOC TRPL2
        RCR 13                  ; |e| <= 9: its units in digit 13
        GONC TRPL3
TRPL2:  ASR W                   ; |e| >= 10: the part one digit down, exponent 1
        M=C
        C=0 W
        C=C+1 X
        BCEX W
        C=M
TRPL3:  ?ST=1 5
        GOC TRPL4
        A=A+C W                 ; |e| + part
        RTN
TRPL4:  C=A-C W
        C=-C W
        A=C W                   ; |e| - part
        RTN

; ---- The cores --------------------------------------------------------------------------------

; TRLNF: the logarithm of a positive wide number x, as a fixed-point part and an exponent
; still to be added: ln x = (+-A 10^B, ten more with ST 6) + e ln 10. A keeps fourteen
; digits: the relative error of the part is about 1E-13, also for x close to 1.
; In: C = mantissa, B = exponent. Out: A (L13), B = its exponent, ST 5 = it is negative,
; ST 6 = ten more, TRE = e (0 when the part is all of ln x), DADD = WORK.
; Changes A, B, C, M, N, G, P, Q, ST 0..6, TRE, TRH. Depth 3.
; Calls TRK1, TRNXK, TRLNK, TRMK0, TRMUL, TRKLN2.
; - e = 0, m < 2: ln(1 + u), u = m - 1, with the loops (k0 from the size of u), or for
;   u < 1E-7 with two terms of its series;
; - e = -1, m >= 5: ln(1 - v), v = 1 - m/10, the same way (e is then included);
; - otherwise: h ln 2 + ln(1 + u), u = m / 2^h - 1 < 1 (exponent 0; e is still to add).
TRLNF:  SETDEC
        A=C W
        A=0 S
        ASL W                   ; A = m (L13)
        C=0 W
        LDI WORK
        DADD=C
        C=B W
        REGN=C TRE              ; e
        ST=0 5
        ST=0 6
        ?C<>0 X
        GOC TRLW1
        C=0 W
        C=C+1 S
        C=C+1 S                 ; 2
        ?A<C W
        GOLNC TRLWH             ; e = 0, m >= 2
        A=A-1 S                 ; u = m - 1
        ?A<>0 W
        GOLNC TRLWZ             ; ln 1 = 0
        ST=0 4
        GONC TRLWK
TRLW1:  C=C+1 X
        ?C<>0 X
        GOLC TRLWH              ; e is not -1
        C=0 W
        PT= 13
        LC 5                    ; 5
        ?A<C W
        GOLC TRLWH              ; m < 5
        REGN=C TRE              ; (C[2..0] = 0) ln(m/10) is all of ln x
        ASR W                   ; x = m / 10, 0.5 <= x < 1
        C=0 W
        C=C+1 S                 ; 1
        C=A-C W
        C=-C W
        A=C W                   ; v = 1 - x
        ST=1 4
        ST=1 5                  ; ln x < 0
; The first stage k0 is the one where 0.1 <= u 10^(k0-1) < 1.
TRLWK:  GSUBNC TRK1
TRLWN:  C=0 W
        C=C+1 W
        RCR 2                   ; 0.1
        ?A<C W
        GONC TRLWL
        ?PT= 6
        GOC TRLWT               ; u < 1E-7
        ASL W
        GSUBNC TRNXK
        GONC TRLWN
TRLWL:  GSUBNC TRLNK            ; A = |ln x| 10^k0 (ST 6: plus ten)
        GOLNC TRMK0             ; B = -k0
; u (or v) below 1E-7: ln(1 + u) = u - u^2/2, -ln(1 - v) = v + v^2/2 (the next terms are
; below 1E-14 of it). With w = u 10^(k0-1) in [0.1, 1): 10^k0 |ln x| = 10 w -+ 5 w^2
; 10^-(k0-1).
TRLWT:  C=0 W
        LDI 007
        C=-C X
        BCEX W                  ; B = -7
TRLT1:  ASL W
        BCEX W
        C=C-1 X
        BCEX W
        C=0 W
        C=C+1 W
        RCR 2
        ?A<C W
        GOC TRLT1
        C=B W
        M=C                     ; M = -k0
        C=0 W
        C=A+C W
        N=C                     ; N = w
        B=A W
        GSUBNC TRMUL            ; A = w^2
        C=0 W
        C=A+C W
        C=C+C W
        C=C+C W
        A=A+C W                 ; 5 w^2
        C=M
        C=-C X
        C=C-1 X                 ; k0 - 1 (7 or more)
TRLT2:  ASR W
        C=C-1 X
        ?C<>0 X
        GOC TRLT2
        C=N
        ACEX W
        ASL W                   ; 10 w
        ?ST=1 4
        GOC TRLT3
        A=A-C W
        GONC TRLT4
TRLT3:  A=A+C W
TRLT4:  C=M
        BCEX W                  ; B = -k0
        RTN
TRLWZ:  B=0 W
        RTN
; Halve m (exactly: m has at most 13 digits, and each halving adds one) while m >= 2.
TRLWH:  C=0 W
        N=C                     ; h
TRLH1:  C=0 W
        C=C+1 S
        C=C+1 S                 ; 2
        ?A<C W
        GOC TRLH2
        ASR W
        C=0 W
        C=A+C W
        C=C+C W
        C=C+C W
        A=A+C W                 ; m/10 * 5
        C=N
        C=C+1 X
        N=C
        GONC TRLH1
TRLH2:  C=N
        REGN=C TRH
        A=A-1 S                 ; u = m - 1, 0 <= u < 1
        ST=0 4
        GSUBNC TRK1
        GSUBNC TRLNK            ; A = 10 ln(1 + u) (below 6.94: no ten over)
        ASR W
        GSUBNC TRKLN2
        BCEX W                  ; B = ln 2
        C=REGN TRH
TRLH3:  C=C-1 X
        GOC TRLWZ               ; A = ln m, exponent 0
        A=A+B W
        GONC TRLH3

; TRLNE: ln x (ST 7 = 0) or log10 x (ST 7 = 1) in the wide form, from what TRLNF gave.
; In: A, B, ST 5, ST 6, TRE as TRLNF leaves them; DADD = WORK. Out: C, B (wide).
; Changes A, B, C, M, N, P, Q, ST 0..6, TRTM, TRTE. Depth 3.
; Calls TRTEN, TRLG, TRNRM, TRKL10, TRWMUL, WADD.
TRLNE:  GSUBNC TRTEN
        ?ST=1 7
        GONC TRLE1
        GSUBNC TRLG             ; log10: the part times log10 e
TRLE1:  GSUBNC TRNRM
        ?ST=1 5
        GONC TRLE2
        C=C-1 S
TRLE2:  N=C
        C=REGN TRE
        ?C<>0 X
        GOC TRLE3
        C=N                     ; nothing to add
        RTN
; Plus e ln 10 (or e for log10).
TRLE3:  C=N
        REGN=C TRTM
        C=B W
        REGN=C TRTE
        GSUBNC TREW             ; C, B = e (wide)
        ?ST=1 7
        GOC TRLE4
        A=C W
        GSUBNC TRKL10
        ACEX W
        GSUBNC TRWMUL           ; e ln 10
TRLE4:  N=C
        C=B W
        M=C                     ; x = e ln 10: C, M
        C=REGN TRTE
        BCEX W
        C=REGN TRTM
        A=C W                   ; y = the part: A, B
        C=N
        GOLNC WADD

; TREA: A = |e| / 10 (L13) for the e in TRE, ST 5 = e < 0. Needs DADD = WORK.
; Changes A, C, ST 5. Depth 1.
TREA:   C=REGN TRE
        ST=0 5
        ?C<>0 XS
        GONC TREA1
        C=-C X
        ST=1 5
TREA1:  C=0 M
        C=0 S                   ; C = |e| (two digits)
        RCR 2                   ; to digits 13..12: |e| / 10 in L13
        A=C W
        RTN

; TREW: C, B = the e in TRE as a wide number, ST 5 = e < 0. Needs DADD = WORK.
; Changes A, B, C, P, ST 5, ST 6. Depth 2. Calls TREA, TRNRM.
TREW:   GSUBNC TREA
        C=0 W
        C=C+1 X
        BCEX W                  ; times 10
        ST=0 6
        GSUBNC TRNRM
        ?ST=1 5
        RTNNC
        C=C-1 S
        RTN

; TRTEN: the ten that TRLNK may leave over (ST 6) taken into A: A / 10 + 1, B + 1.
; Changes A, B, C, ST 6. Depth 1.
TRTEN:  ?ST=1 6
        RTNNC
        ST=0 6
        ASR W
        A=A+1 S
        BCEX W
        C=C+1 X
        BCEX W
        RTN

; TRLG: A = A log10 e (L13, cut; A below 10). Changes A, C, N, P. Depth 2.
; Calls TRKLGE, TRMUL.
TRLG:   C=B W
        N=C                     ; the exponent
        GSUBNC TRKLGE
        CSR W
        C=C+1 W                 ; rounded: the digit that fell out is a 5
        BCEX W                  ; B = log10 e
        C=0 W
        C=A+C W
        GSUBNC TRMUL
        C=N
        BCEX W
        RTN

; TRALW: 10^z for a wide z, as 10^n e^(f ln 10) with n the integer below z and f = z - n.
; In: C = mantissa, B = exponent. Out: C = mantissa, B = exponent (wide, positive). z >= 100
; gives the exponent 200 (WPACK: too large); z <= -100, 0. Exact for an integer z.
; Changes A, B, C, M, N, G, P, Q, ST 0..6, DADD (= WORK), TRE, TRH.
; Depth 3. Calls TRMUL, TRKL10, TRKLN2, TRK1, TREXK.
TRALW:  SETDEC
        ?C<>0 W
        GOC TRAL1
TRALONE: C=0 W                  ; 1
        B=0 W
        PT= 12
        LC 1
        RTN
TRAL1:  ST=0 5
        ?C<>0 S
        GONC TRAL2
        ST=1 5                  ; z < 0
TRAL2:  A=C W
        A=0 S                   ; |z|, the units in digit 12
        C=B W
        ?C<>0 XS
        GOC TRAL4
        ?C<>0 X
        GONC TRAL5
        C=C-1 X
        ?C<>0 X
        GOLC TRALBIG            ; |z| >= 100
        ASL W                   ; the tens in digit 13
        GONC TRAL5
TRAL4:  C=-C X
TRAL3:  ASR W
        ?A<>0 W
        GONC TRAL5
        C=C-1 X
        ?C<>0 X
        GOC TRAL3
; A = |z|: integer part in digits 13..12, fraction below.
TRAL5:  C=0 W
        C=A+C W
        RCR 12
        C=0 M
        C=0 S
        C=0 XS                  ; C = the integer part
        A=0 S
        PT= 12
        A=0 PT
        ASL W                   ; A = the fraction (L13)
        ?ST=1 5
        GONC TRAL6
        ?A<>0 W                 ; z < 0: n = -(integer part + 1), f = 1 - fraction
        GONC TRAL7
        C=C+1 X
        ACEX W
        C=-C W
        C=0 S
        ACEX W
TRAL7:  C=-C X
TRAL6:  N=C
        C=0 W
        LDI WORK
        DADD=C
        C=N
        REGN=C TRE              ; n
        B=A W                   ; f
        GSUBNC TRKL10
        GSUBNC TRMUL            ; A = r = f ln 10 < 2.31
        GSUBNC TRKLN2
        BCEX W                  ; B = ln 2
        C=0 W
TRAL8:  A=A-B W                 ; take ln 2 out while it fits
        GOC TRAL9
        C=C+1 X
        GONC TRAL8
TRAL9:  A=A+B W
        REGN=C TRH
        ASL W                   ; R = 10 r < 6.94
        ST=1 4
        GSUBNC TRK1
        GSUBNC TREXK            ; A = e^r - 1 (r < ln 2)
        A=A+1 S
        C=REGN TRH
        BCEX W                  ; doublings to do
TRALA:  BCEX W
        C=C-1 X
        GOC TRALC
        BCEX W
        C=0 W
        C=A+C W
        A=A+C W
        GONC TRALA
; The last doubling reached 10 (f was within a few units of 1): 10^(n+1).
        A=0 W
        A=A+1 S
        C=REGN TRE
        C=C+1 X
        REGN=C TRE
TRALC:  ASR W
        C=REGN TRE
        BCEX W                  ; B = n
        ACEX W
        RTN
TRALBIG: C=0 W
        B=0 W
        ?ST=1 5
        RTNC                    ; 10^-100 or less: 0
        LDI 200
        BCEX W                  ; 10^200: too large
        C=0 W
        PT= 12
        LC 1
        RTN

; ---- Helpers of the public routines ------------------------------------------------------

; TRZLE: x log10 e for a register-form x. In: C = x. Out: C, B (wide).
; Changes A, B, C, N, P, Q. Depth 2. Calls WUNP, TRKLGE, TRWMUL.
TRZLE:  GSUBNC WUNP
        BCEX W
        C=C-1 X                 ; the constant is 10 log10 e
        BCEX W
        A=C W
        GSUBNC TRKLGE
        ACEX W
        GOLNC TRWMUL

; TRSMALL: sorts the argument of FLN1P and FEXPM1 by size. In: C = x (not 0).
; Out: x in TRXX (DADD = WORK), A = |mantissa| (L13), ST 5 = x < 0, and either
; ST 7 (|x| < 1E-7), ST 6 (|x| >= 0.1), or neither: then k = k0 = -exponent (2..7) and
; ST 4 = ST 5. Changes A, B, C, N, P, ST 0..7. Depth 2. Calls TRK1, TRNXK.
TRSMALL: N=C
        C=0 W
        LDI WORK
        DADD=C
        C=N
        REGN=C TRXX
        ST=0 4
        ST=0 5
        ST=0 6
        ST=0 7
        ?C<>0 S
        GONC TRSM1
        ST=1 4
        ST=1 5
TRSM1:  A=C W
        ?A<>0 XS
        GONC TRSMB              ; exponent >= 0
        LDI 001
        C=A+C X                 ; carries only for 999
        GOC TRSMB               ; exponent -1
        LDI 007
        C=A+C X                 ; carries from 993 (exponent -7) on
        GONC TRSMT              ; exponent -8 or less
        C=0 W
        C=A+C X
        C=-C X
        C=C-1 X
        BCEX W                  ; B[2..0] = k0 - 1
        GSUBNC TRK1
TRSM2:  BCEX W
        C=C-1 X
        GOC TRSM3
        BCEX W
        GSUBNC TRNXK
        GONC TRSM2
TRSM3:  A=0 X
        A=0 S
        ASL W                   ; A = |m| (L13)
        RTN
TRSMB:  ST=1 6
        RTN
TRSMT:  ST=1 7
        RTN

; TRSQ2: x^2 / 2 for the x in TRXX. Out: C, B (wide). Needs DADD = WORK.
; Changes A, B, C, N, P, Q. Depth 3. Calls TRWMUL.
TRSQ2:  C=REGN TRXX
        BCEX W
        C=B W
        C=C+C X                 ; 2e (modulo 1000, as the exponents are kept)
        BCEX W
        C=0 X
        C=0 S                   ; |m| (wide)
        A=C W
        ASL W                   ; |m| (L13)
        GSUBNC TRWMUL           ; x^2
        A=C W
        C=0 W
        PT= 13
        LC 5
        ACEX W                  ; A = 5
        BCEX W
        C=C-1 X
        BCEX W
        GOLNC TRWMUL            ; x^2 * 5 / 10

; TRXOP: the operands of x +- c for the x in TRXX and a wide c in C, B.
; Out: A, B = x; C, M = c. Needs DADD = WORK. Changes A, B, C, M, N. Depth 1.
TRXOP:  N=C
        C=B W
        M=C
        C=REGN TRXX
        A=C W
        B=A W
        A=0 X
        C=N
        RTN

; TRONE: A = 1, B = 0 (wide). Changes A, B, C, P. Depth 1.
TRONE:  C=0 W
        B=0 W
        PT= 12
        LC 1
        A=C W
        RTN

; TRXW: C, M = the x in TRXX (wide). Needs DADD = WORK. Changes C, M. Depth 1.
TRXW:   C=REGN TRXX
        M=C
        C=0 X
        RTN

; TRMK0: B = -k (the stage, ST 0..3, at most 9). Changes B, C. Depth 1.
TRMK0:  C=0 W
        C=ST
        RCR 1
        C=0 X
        RCR 13                  ; C = k
        C=-C X
        BCEX W
        RTN

; ---- Fixed point --------------------------------------------------------------------------------

; TRWMUL: a wide number times a constant. In: C = mantissa, B = exponent, A = the constant
; (L13, any 14 digits). Out: C, B (wide), cut to 13 digits. Changes A, B, C, N, P, ST 6.
; Depth 2. Calls TRMUL, TRNRM.
TRWMUL: ?C<>0 W
        GONC TRWMZ
        ?A<>0 W
        GONC TRWMZ
TRWM1:  ?A<>0 S                 ; the constant shifted up to digit 13, so that the
        GOC TRWM2               ; product keeps all its digits
        ASL W
        BCEX W
        C=C-1 X
        BCEX W
        GONC TRWM1
TRWM2:  BCEX W                  ; B = mantissa, C = exponent
        C=C+1 X                 ; the product of the mantissas comes as L13 / 10
        C=B S                   ; the sign
        N=C
        B=0 S
        ACEX W
        GSUBNC TRMUL
        C=N
        BCEX W
        ST=0 6
        GSUBNC TRNRM
        ?C<>0 W
        RTNNC                   ; 0 (C = B = 0), without a sign
        A=C W
        C=N
        A=C S
        ACEX W
        RTN
TRWMZ:  C=0 W
        B=0 W
        RTN

; TRMUL: A = B * C / 10^13 (both as integers of fourteen digits), cut. B[13] must be 0
; (then nothing overflows). For L13 values b (in B) and c: A = b c in L13; for a wide
; mantissa b: A = b c / 10. Changes A, C, P. Depth 1.
; Each digit of C from the lowest adds B that many times; the sum goes one digit right
; between digits.
TRMUL:  SETDEC
        A=0 W
        PT= 0
TRMU1:  C=C-1 PT
        GOC TRMU2
        A=A+B W
        GONC TRMU1
TRMU2:  ?PT= 13
        RTNC
        ASR W
        INCPT
        GONC TRMU1

; TRNRM: a fixed-point value to the wide form. In: A = the value (L13), ST 6 = ten more,
; B[2..0] = its exponent (value A 10^B). Out: C = mantissa (normalised, positive), B =
; exponent; 0 gives C = B = 0. Changes A, B, C, P, ST 6. Depth 1.
TRNRM:  ?ST=1 6
        GONC TRNM1
        ST=0 6
        ASR W                   ; (A + 10) / 10: the ten is a one in digit 13
        A=A+1 S
        BCEX W
        C=C+1 X
        BCEX W
TRNM1:  ?A<>0 S
        GONC TRNM2
        ASR W                   ; the units to digit 12
        ACEX W
        RTN
TRNM2:  ?A<>0 W
        GONC TRWMZ
        PT= 12
TRNM3:  BCEX W
        C=C-1 X
        BCEX W
        ?A<>0 PT
        GOC TRNM4
        ASL W
        GONC TRNM3
TRNM4:  ACEX W
        RTN

; ---- The stage loops ------------------------------------------------------------------------

; TRLNK: the logarithm of x = 1 + u (ST 4 = 0) or x = 1 - v (ST 4 = 1), stages k0..k0+6.
; In: A = u 10^(k0-1) (or v), below 1.12; k = k0 (ST 0..3, P = k0 - 1, k0 <= 7).
; Out: A = R = |ln x| 10^k0 (L13), ST 6 = ten more. k = k0 again.
; Changes A, B, C, M, N, G, P, Q, ST 6. Depth 2.
; Calls TRGHALF, TRSHR, TRCON, TRNXK, TRPVK.
; Each stage multiplies x by (1 - 10^-k) (or 1 + 10^-k) while it stays on its side of 1,
; counting in N[1..0]; on w = u 10^(k-1): w - 0.1 - w 10^-k (or w - 0.1 + w 10^-k).
; Then R = sum of count * ln-constant, done from the last stage back (Horner), with what
; is left of w (ln(1 + w) = w to the digits kept).
TRLNK:  GSUBNC TRGHALF
        C=0 W
        N=C                     ; the counts, two digits per stage
        C=C+1 W
        RCR 2
        BCEX W                  ; B = 0.1
        C=0 W
        LDI 007
        M=C                     ; stages to go
TRLN1:  ?ST=1 4                 ; (a loop for each side: this one runs some 70 times)
        GOC TRLV1
TRLU1:  GSUBNC TRSHR            ; C = w 10^-k
        A=A-C W
        A=A-B W
        GOC TRLN4
        C=N
        C=C+1 X
        N=C
        GONC TRLU1
TRLV1:  GSUBNC TRSHR
        A=A+C W
        A=A-B W
        GOC TRLN3
        C=N
        C=C+1 X
        N=C
        GONC TRLV1
TRLN3:  A=A+B W                 ; past 1: undo
        A=A-C W
        GONC TRLN5
TRLN4:  A=A+B W                 ; past 1: undo
        A=A+C W
TRLN5:  C=M
        C=C-1 X
        M=C
        ?C<>0 X
        GONC TRHRN
        ASL W                   ; the next stage's scale (w < 0.112 here)
        C=N
        RCR 12
        N=C
        GSUBNC TRNXK
        GONC TRLN1
TRHRN:  ASL W                   ; R = 10 w: what is left, at the last stage's scale
        ST=0 6
        LDI 007
        M=C
        GONC TRHR2
TRHR1:  ASR W                   ; R / 10: the scale of the stage before
        ?ST=1 6
        GONC TRHR2
        A=A+1 S
        ST=0 6
TRHR2:  GSUBNC TRCON
        BCEX W                  ; B = the constant of stage k
        C=N
        C=0 M
        C=0 S
        C=0 XS                  ; C = its count
TRHR3:  C=C-1 X
        GOC TRHR4
        A=A+B W
        GONC TRHR3
        ST=1 6                  ; R passed 10
        GONC TRHR3
TRHR4:  C=M
        C=C-1 X
        M=C
        ?C<>0 X
        RTNNC
        C=N
        RCR 2
        N=C
        GSUBNC TRPVK
        GONC TRHR1

; TREXK: e^r - 1 (ST 4 = 1) or 1 - e^-r (ST 4 = 0), stages k0..k0+6.
; In: A = r 10^k0 (L13, below 10); k = k0 (ST 0..3, P = k0 - 1, k0 <= 7).
; Out: A = the result times 10^(k0-1); k = k0 again.
; Changes A, B, C, M, N, G, P, Q, ST 6. Depth 2.
; Calls TRGHALF, TRCON, TRSHR, TRNXK, TRPVK.
; First r is taken apart: each stage takes ln(1 + 10^-k) (or -ln(1 - 10^-k)) out as often
; as it fits, counting in N[1..0], and the rest goes on ten times larger (ST 6 holds a
; ten that does not fit). Then, from the last stage back, w (the result at the stage's
; scale, starting from what is left of r) is multiplied by the factors: w + 0.1 + w 10^-k
; (or w + 0.1 - w 10^-k), and divided by ten between stages.
TREXK:  GSUBNC TRGHALF
        C=0 W
        N=C
        LDI 007
        M=C
        ST=0 6
TREX1:  GSUBNC TRCON
        BCEX W                  ; B = the constant of stage k
TREX2:  A=A-B W
        GOC TREX4
TREX3:  C=N
        C=C+1 X
        N=C
        GONC TREX2
TREX4:  ?ST=1 6
        GONC TREX5
        ST=0 6                  ; the ten above pays for the borrow
        GONC TREX3
TREX5:  A=A+B W                 ; does not fit: undo
        C=M
        C=C-1 X
        M=C
        ?C<>0 X
        GONC TREX7
        ?A<>0 S
        GONC TREX6
        A=0 S                   ; 1 <= rest < 1.06: ten times it needs the ten
        ST=1 6
TREX6:  ASL W
        C=N
        RCR 12
        N=C
        GSUBNC TRNXK
        GONC TREX1
TREX7:  ASR W                   ; w = what is left, at the scale 10^(k-1)
        C=0 W
        C=C+1 W
        RCR 2
        BCEX W                  ; B = 0.1
        SELQ                    ; Q = k0 - 1: six below P
        PT= 0
TREX8:  ?P=Q
        GOC TREX9
        INCPT
        GONC TREX8
TREX9:  DECPT
        DECPT
        DECPT
        DECPT
        DECPT
        DECPT
        SELP
TRGR1:  C=N
        C=0 M
        C=0 S
        C=0 XS
        M=C                     ; the count of stage k
        ?ST=1 4
        GOC TRGP1
TRGW1:  C=M                     ; 1 - e^-r: w + 0.1 - w 10^-k
        C=C-1 X
        GOC TRGR4
        M=C
        GSUBNC TRSHR            ; C = w 10^-k
        A=A-C W
        A=A+B W
        GONC TRGW1
TRGP1:  C=M                     ; e^r - 1: w + 0.1 + w 10^-k
        C=C-1 X
        GOC TRGR4
        M=C
        GSUBNC TRSHR
        A=A+C W
        A=A+B W
        GONC TRGP1
TRGR4:  ?P=Q
        RTNC
        ASR W
        C=N
        RCR 2
        N=C
        GSUBNC TRPVK
        GONC TRGR1

; TRSHR: C = A 10^-k, rounded (k in ST 0..3, 1..13; the active pointer P = k - 1;
; G = 5, 0 as TRGHALF sets it). Changes C. Depth 1.
; Rounded, not cut: a cut would always err the same way, and the stage loops take it
; some 70 times.
TRSHR:  C=0 W
        C=G                     ; half a unit of the result (G = 5, 0 at digit k - 1)...
        C=A+C W                 ; ...added before the cut
        C=0 WPT                 ; the digits that fall out, so that the rotation brings 0s
        ?ST=1 0
        GONC TRSH1
        RCR 1
TRSH1:  ?ST=1 1
        GONC TRSH2
        RCR 2
TRSH2:  ?ST=1 2
        GONC TRSH3
        RCR 4
TRSH3:  ?ST=1 3
        RTNNC
        RCR 8
        RTN

; TRGHALF: G = 5, 0 (the half unit that TRSHR adds). Changes C, G, Q. Depth 1.
TRGHALF: SELQ
        PT= 0
        C=0 W
        LDI 005
        G=C
        SELP
        RTN

; TRK1: k = 1 (P = 0, active; ST 0..3 = 1). Changes C, P. Depth 1.
TRK1:   SELP
        PT= 0
        C=ST
        C=0 PT
        C=C+1 PT
        ST=C
        RTN

; TRNXK, TRPVK: k + 1, k - 1 (P and ST 0..3 together). Change C. Depth 1.
TRNXK:  INCPT
        C=ST
        SETHEX
        C=C+1 X
        SETDEC
        ST=C
        RTN
TRPVK:  DECPT
        C=ST
        SETHEX
        C=C-1 X
        SETDEC
        ST=C
        RTN

; TRCON: C = the constant of stage k (L13): -ln(1 - 10^-k) 10^k (ST 4 = 0) or
; ln(1 + 10^-k) 10^k (ST 4 = 1). Changes C, Q (P stays active). Depth 1.
; From k = 7 on they are 1 +- 5 10^-(k+1) to the digits kept.
TRCON:  ?ST=1 4
        GOC TRCB
        ?PT= 0
        GOLC TRKA1
        ?PT= 1
        GOLC TRKA2
        ?PT= 2
        GOLC TRKA3
        ?PT= 3
        GOLC TRKA4
        ?PT= 4
        GOLC TRKA5
        ?PT= 5
        GOLC TRKA6
        GONC TRC7
TRCB:   ?PT= 0
        GOLC TRKB1
        ?PT= 1
        GOLC TRKB2
        ?PT= 2
        GOLC TRKB3
        ?PT= 3
        GOLC TRKB4
        ?PT= 4
        GOLC TRKB5
        ?PT= 5
        GOLC TRKB6
TRC7:   C=0 W
        SELQ
        PT= 12
        LC 5                    ; 0.5
        SELP
        C=0 WPT
        ?ST=1 0                 ; rotated right by k: 5 10^-(k+1)
        GONC TRC71
        RCR 1
TRC71:  ?ST=1 1
        GONC TRC72
        RCR 2
TRC72:  ?ST=1 2
        GONC TRC73
        RCR 4
TRC73:  ?ST=1 3
        GONC TRC74
        RCR 8
TRC74:  ?C<>0 W
        GONC TRC76
        ?ST=1 4
        GOC TRC75
TRC76:  C=C+1 S                 ; 1 + that
        RTN
TRC75:  C=-C W
        C=0 S                   ; 1 - that
        RTN

; ---- TABLES (written by trans_tables.py; do not edit by hand) ----
TRKLN2: SELQ                    ; C = 0.6931471805599, ln 2
        PT= 13
        LC 0
        LC 6
        LC 9
        LC 3
        LC 1
        LC 4
        LC 7
        LC 1
        LC 8
        LC 0
        LC 5
        LC 5
        LC 9
        LC 9
        SELP
        RTN
TRKL10: SELQ                    ; C = 2.3025850929940, ln 10
        PT= 13
        LC 2
        LC 3
        LC 0
        LC 2
        LC 5
        LC 8
        LC 5
        LC 0
        LC 9
        LC 2
        LC 9
        LC 9
        LC 4
        LC 0
        SELP
        RTN
TRKLGE: SELQ                    ; C = 4.3429448190325, log10(e) * 10
        PT= 13
        LC 4
        LC 3
        LC 4
        LC 2
        LC 9
        LC 4
        LC 4
        LC 8
        LC 1
        LC 9
        LC 0
        LC 3
        LC 2
        LC 5
        SELP
        RTN
TRKA1: SELQ                    ; C = 1.0536051565783, -ln(1 - 10^-1) * 10^1
        PT= 13
        LC 1
        LC 0
        LC 5
        LC 3
        LC 6
        LC 0
        LC 5
        LC 1
        LC 5
        LC 6
        LC 5
        LC 7
        LC 8
        LC 3
        SELP
        RTN
TRKB1: SELQ                    ; C = 0.9531017980432, ln(1 + 10^-1) * 10^1
        PT= 13
        LC 0
        LC 9
        LC 5
        LC 3
        LC 1
        LC 0
        LC 1
        LC 7
        LC 9
        LC 8
        LC 0
        LC 4
        LC 3
        LC 2
        SELP
        RTN
TRKA2: SELQ                    ; C = 1.0050335853501, -ln(1 - 10^-2) * 10^2
        PT= 13
        LC 1
        LC 0
        LC 0
        LC 5
        LC 0
        LC 3
        LC 3
        LC 5
        LC 8
        LC 5
        LC 3
        LC 5
        LC 0
        LC 1
        SELP
        RTN
TRKB2: SELQ                    ; C = 0.9950330853168, ln(1 + 10^-2) * 10^2
        PT= 13
        LC 0
        LC 9
        LC 9
        LC 5
        LC 0
        LC 3
        LC 3
        LC 0
        LC 8
        LC 5
        LC 3
        LC 1
        LC 6
        LC 8
        SELP
        RTN
TRKA3: SELQ                    ; C = 1.0005003335835, -ln(1 - 10^-3) * 10^3
        PT= 13
        LC 1
        LC 0
        LC 0
        LC 0
        LC 5
        LC 0
        LC 0
        LC 3
        LC 3
        LC 3
        LC 5
        LC 8
        LC 3
        LC 5
        SELP
        RTN
TRKB3: SELQ                    ; C = 0.9995003330835, ln(1 + 10^-3) * 10^3
        PT= 13
        LC 0
        LC 9
        LC 9
        LC 9
        LC 5
        LC 0
        LC 0
        LC 3
        LC 3
        LC 3
        LC 0
        LC 8
        LC 3
        LC 5
        SELP
        RTN
TRKA4: SELQ                    ; C = 1.0000500033336, -ln(1 - 10^-4) * 10^4
        PT= 13
        LC 1
        LC 0
        LC 0
        LC 0
        LC 0
        LC 5
        LC 0
        LC 0
        LC 0
        LC 3
        LC 3
        LC 3
        LC 3
        LC 6
        SELP
        RTN
TRKB4: SELQ                    ; C = 0.9999500033331, ln(1 + 10^-4) * 10^4
        PT= 13
        LC 0
        LC 9
        LC 9
        LC 9
        LC 9
        LC 5
        LC 0
        LC 0
        LC 0
        LC 3
        LC 3
        LC 3
        LC 3
        LC 1
        SELP
        RTN
TRKA5: SELQ                    ; C = 1.0000050000333, -ln(1 - 10^-5) * 10^5
        PT= 13
        LC 1
        LC 0
        LC 0
        LC 0
        LC 0
        LC 0
        LC 5
        LC 0
        LC 0
        LC 0
        LC 0
        LC 3
        LC 3
        LC 3
        SELP
        RTN
TRKB5: SELQ                    ; C = 0.9999950000333, ln(1 + 10^-5) * 10^5
        PT= 13
        LC 0
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 5
        LC 0
        LC 0
        LC 0
        LC 0
        LC 3
        LC 3
        LC 3
        SELP
        RTN
TRKA6: SELQ                    ; C = 1.0000005000003, -ln(1 - 10^-6) * 10^6
        PT= 13
        LC 1
        LC 0
        LC 0
        LC 0
        LC 0
        LC 0
        LC 0
        LC 5
        LC 0
        LC 0
        LC 0
        LC 0
        LC 0
        LC 3
        SELP
        RTN
TRKB6: SELQ                    ; C = 0.9999995000003, ln(1 + 10^-6) * 10^6
        PT= 13
        LC 0
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 5
        LC 0
        LC 0
        LC 0
        LC 0
        LC 0
        LC 3
        SELP
        RTN
; ---- END OF TABLES ----
