; ===========================================================================================
;  trig.asm: trigonometric functions and coordinate changes
;
;  FSIN, FCOS, FTAN turn the angle into a quadrant and a rest r between 0 and 45 degrees
;  (exactly, in decimal, in DEG and GRAD; in RAD below 1000 with pi/2 to 28 digits, above
;  with x / 2pi modulo 1 from the digits of 1/2pi about x's exponent), then turn the
;  vector (1, 0) by atan(10^-k) as often as the angle allows, for four values of k, and by
;  the small rest at the end (pseudo-multiplication). SIN and COS turn by r/2: with
;  t = tan(r/2) = y / x, sin r = 2t / (1 + t^2) and cos r = (1 - t^2) / (1 + t^2). TAN turns
;  by r: tan r = y / x. ATAN, ASIN, ACOS and R->P turn a vector back to the axis
;  (pseudo-division), adding up the angles.
;
;  Fixed point: 14 digits, 12 of them after the point (digit 12 the units, digit 13 the
;  tens), decimal. Small angles keep their digits: the angle is Psi * 10^-j with
;  0.99 <= Psi < 9.9, and y is carried as y * 10^j, so the turns by atan(10^-k), k >= j, shift
;  x by k - j digits into y and y by k + j digits into x.
;
;  Working registers (DADD = TGWORK): 0C4..0CB, named TGR* below. Status bits ST 0..7.
;  Public routines: FSIN FCOS FTAN FASIN FACOS FATAN FP2R FR2P FD2R FR2D; each may use all
;  four return levels (depth 4; FD2R and FR2D 2).
; ===========================================================================================

TGRA    .equ 4                  ; the angle still to turn, Psi (fixed point)
TGRY    .equ 5                  ; y * 10^j
TGRT    .equ 6                  ; atan(10^-k) * 10^k for this level; scratch
TGRSX   .equ 7                  ; C[6..3]: the shift entry for x into y; scratch
TGRSY   .equ 8                  ; C[6..3]: the shift entry for y into x; scratch
TGRJ    .equ 9                  ; X field: j (decimal); scratch
TGRLV   .equ 10                 ; digit 0: the level l = k - j; scratch
TGRW    .equ 11                 ; kept by TGRED and TGROT: r of P->R, R->P
TGWORK  .equ 0C0                ; the working registers' group
TGFLAG  .equ 14                 ; status register d: the flags

; ---- SIN, COS, TAN -------------------------------------------------------------------------
; FSIN, FCOS, FTAN: sine, cosine and tangent of x in the angle mode (flags 42 GRAD, 43 RAD).
; In: C = x. Out: C = the result, rounded to ten digits. Exact 0 where the reduced angle is
; 0 (SIN 180, COS 90, TAN 180 in DEG). TAN at a pole (TAN 90 in DEG): OUT OF RANGE, or with
; flag 24 +-9.999999999E99 with the sign of x. Changes A, B, C, M, N, P, ST 0..7, base,
; DADD, 0C4..0CB. Depth 4 (TGROT and TGRED take 3 under it). Calls TGRED, TGROT, TGNSH,
; TGJMP, TGMUL, TGDIV, TGPACK.
FSIN:   GSUBNC TGRED
        GSUBNC TGSGN
        GOLNC TGTRI

FCOS:   GSUBNC TGRED
        GSUBNC TGQ1
        GSUBNC TGSGN
        GOLNC TGTRI

FTAN:   GSUBNC TGRED
        ST=1 0                  ; ST 0: tangent
        ST=0 1                  ; ST 1: cot r = odd quadrant xor complement
        ST=0 2                  ; ST 2: negative = odd quadrant xor x < 0
        ?ST=1 6
        GONC TGTN1
        ST=1 1
        ST=1 2
TGTN1:  ?ST=1 3
        GONC TGTN3
        ?ST=1 1
        GOC TGTN2
        ST=1 1
        GONC TGTN3
TGTN2:  ST=0 1
TGTN3:  ?ST=1 4
        GONC TGTRI
        ?ST=1 2
        GOC TGTN4
        ST=1 2
        GONC TGTRI
TGTN4:  ST=0 2
        GONC TGTRI

; TGSGN: for the sine of the angle that TGRED reduced: ST 1 = cos r instead of sin r (odd
; quadrant xor complement), ST 2 = negative (quadrant 2 or 3 xor x < 0). Depth 1.
TGSGN:  ST=0 1
        ST=0 2
        ?ST=1 6
        GONC TGSN1
        ST=1 1
TGSN1:  ?ST=1 3
        GONC TGSN3
        ?ST=1 1
        GOC TGSN2
        ST=1 1
        GONC TGSN3
TGSN2:  ST=0 1
TGSN3:  ?ST=1 7
        GONC TGSN4
        ST=1 2
TGSN4:  ?ST=1 4
        RTNNC
        ?ST=1 2
        GOC TGSN5
        ST=1 2
        RTN
TGSN5:  ST=0 2
        RTN

; TGQ1: from the sine to the cosine: cos x = sin(|x| + a quarter). Depth 1.
TGQ1:   ST=0 4
        ?ST=1 6
        GOC TGQ11
        ST=1 6
        RTN
TGQ11:  ST=0 6
        ?ST=1 7
        GOC TGQ12
        ST=1 7
        RTN
TGQ12:  ST=0 7
        RTN

; The common end of SIN, COS and TAN: ST 0 tangent, ST 1 the co-function, ST 2 negative.
TGTRI:  ?ST=1 5
        GOC TGZER
        ?ST=1 0
        GONC TGTR1
        GSUBNC TGDBL            ; the tangent turns by the whole angle
TGTR1:  GSUBNC TGROT
        GOLNC TGFIN
TGZER:  ?ST=1 1                 ; the reduced angle is 0
        GOC TGZR1
        C=0 W                   ; sin 0 = tan 0 = 0
        RTN
TGZR1:  ?ST=1 0
        GOC TGZR2
        C=0 W                   ; cos 0 = 1
        PT= 12
        LC 1
        ?ST=1 2
        RTNNC
        C=C-1 S
        RTN
TGZR2:  ST=0 2                  ; cot 0: a pole, signed as x
        ?ST=1 4
        GONC TGZR3
        ST=1 2
TGZR3:  GOLNC TGOVF

; TGFIN: from the turned vector to the result. In: B = x, TGWORK+TGRY = y * 10^j, TGRJ = j,
; ST 0, 1, 2 as above. Out: C = the result (jumps to TGPACK, which returns).
TGFIN:  ?ST=1 0
        GOLC TGFN2
        GSUBNC TGTDD
        ?ST=1 1
        GOC TGFN1
        C=REGN TGRT             ; sin r = 2t / (1 + t^2)
TGFN0:  BCEX W
        C=REGN TGRA
        A=C W
        GSUBNC TGDIV
        C=C+C W
        M=C
        C=REGN TGRJ
        C=-C X
        A=C W                   ; exponent -j
        C=M
        GOLNC TGPACK
TGFN1:  GSUBNC TGCSR            ; cos r = (1 - t^2) / (1 + t^2)
        GOLNC TGPACK

; TGCSR: C * 10^A[2..0] = cos r = (1 - t^2) / (1 + t^2) from TGTDD's registers. Depth 2.
TGCSR:  C=REGN TGRT
        BCEX W
        C=REGN TGRSX
        A=C W
        GSUBNC TGDIV
        A=0 W
        RTN

; TGTDD: T = t * 10^j = y / x (to TGWORK+TGRA), 1 + t^2 (TGRT), 1 - t^2 (TGRSX).
; In: B = x, TGRY = y * 10^j, TGRJ = j; DADD = TGWORK. SETDEC. Changes A, B, C, M, N, P.
; Depth 3 (TGNSH, TGJMP with their entries).
TGTDD:  C=REGN TGRY
        A=C W
        GSUBNC TGDIV            ; T = t * 10^j = y / x
        REGN=C TGRA
        A=C W
        B=A W
        PT= 1                   ; (T's last digit adds below 10^-12 to t^2 = T^2 10^-2j)
        GSUBNC TGMULP           ; T^2
        ACEX W
        M=C
        C=REGN TGRJ
        A=C W
        C=0 W
        GSUBNC TGNSH
        N=C
        GSUBNC TGJMP            ; t^2 = T^2 * 10^-2j
        SETDEC
        A=C W
        C=0 W
        PT= 12
        LC 1
        C=A+C W
        REGN=C TGRT             ; 1 + t^2
        C=0 W
        PT= 12
        LC 1
        C=A-C W
        C=-C W
        REGN=C TGRSX            ; 1 - t^2
        RTN
TGFN2:  ?ST=1 1                 ; tangent: the vector turned by r itself
        GOC TGFN3
        C=REGN TGRY             ; tan r = y / x
        A=C W
        GSUBNC TGDV10
        M=C
        C=REGN TGRJ
        C=-C X
        A=C W                   ; exponent -j
        C=M
        GOLNC TGPACK
TGFN3:  C=REGN TGRY             ; cot r = x / y
        BCEX W
        A=C W
        GSUBNC TGDIV
        M=C
        C=REGN TGRJ
        A=C W                   ; exponent j
        C=M
        GOLNC TGPACK

; TGDBL: the half angle TGRED left doubled: Psi * 2, and if that is 9.9 or more, a tenth
; of it with j - 1 (j stays >= 1: r <= pi/4). Changes A, C, P. Depth 1.
TGDBL:  C=REGN TGRA
        C=C+C W
        A=C W
        C=0 W
        PT= 12
        LC 9
        LC 9
        ?A<C W
        GOC TGDB1
        ASR W
        C=REGN TGRJ
        C=C-1 X
        REGN=C TGRJ
TGDB1:  ACEX W
        REGN=C TGRA
        RTN

; TGDV10: C = A / B as TGDIV, for A < 100 B when B < 1.1 (the quotient may reach 10).
; Changes A, C, P, ST 3. Depth 2.
TGDV10: C=B W
        RCR 13                  ; 10 B
        ST=0 3
        ?A<C W
        GOC TGD11
        A=A-C W
        ST=1 3
TGD11:  GSUBNC TGDIV
        ?ST=1 3
        RTNNC
        C=C+1 S                 ; + 10
        RTN

; ---- Inverse functions and coordinate changes ----------------------------------------------
; FATAN, FASIN, FACOS: arc tangent, sine and cosine in the angle mode. In: C = x (|x| <= 1
; for FASIN and FACOS: else DATA ERROR). Out: C = the angle: ATAN and ASIN in -90..90,
; ACOS in 0..180 (degrees; the same in RAD and GRAD). Changes A, B, C, M, N, P, Q, ST 0..7,
; base, DADD, 0C4..0CB. Depth 4 (TGVEC takes 3 under it). Calls WUNP, WADD, WSUB, WMUL, WSQRT, WPACK,
; TGVEC, TGMODE, TGQTR, TGHTN and the constants.
; How: the angle of a vector (x, y) with 0 <= y <= x comes from TGVEC; ATAN x is the angle
; of (1, |x|), ASIN x of (sqrt(1 - x^2), |x|), ACOS x of (|x|, sqrt(1 - x^2)); the angle
; of (x, y) with y > x is a quarter less that of (y, x) (TGV2).
FATAN:  CLRST
        SETDEC
        ?C<>0 S
        GONC TGAN1
        ST=1 7                  ; ST 7: negate the angle
        C=0 S
TGAN1:  GSUBNC WUNP
        A=C W                   ; y = |x|
        C=0 W
        M=C                     ; x = 1
        PT= 12
        LC 1
        GOLNC TGV2

FASIN:  CLRST
        SETDEC
        ?C<>0 S
        GONC TGAS1
        ST=1 7
        C=0 S
TGAS1:  GSUBNC TGSQ1            ; y = |x|, x = sqrt(1 - x^2)
        GOLNC TGV2

FACOS:  CLRST
        SETDEC
        ?C<>0 S
        GONC TGAC1
        ST=1 5                  ; ST 5: a half turn less the angle
        C=0 S
TGAC1:  GSUBNC TGSQ1
        N=C                     ; y = sqrt(1 - x^2), x = |x|
        C=M
        ABEX W
        BCEX W
        ACEX W
        M=C
        C=N
        ACEX W
        GOLNC TGV2

; TGSQ1: for ASIN and ACOS: A, B = a (wide) and C, M = sqrt(1 - a^2) (wide).
; In: C = a = |x| (register form). a > 1: DATA ERROR. Depth 2. Changes A, B, C, M, N, P, Q,
; ST 0..2, DADD, TGWORK+TGRW, TGRT, TGRSX.
TGSQ1:  M=C
        C=0 W
        LDI TGWORK
        DADD=C
        C=M
        REGN=C TGRW             ; a (M = its exponent)
        GSUBNC TGONE            ; y = 1, x = a
        GSUBNC WSUB             ; 1 - a (exact)
        ?C<>0 S
        GOLC ERRDATA            ; a > 1
        GSUBNC TGDA
        REGN=C TGRT
        C=B W
        REGN=C TGRSX
        C=REGN TGRW
        M=C
        GSUBNC TGONE
        GSUBNC WADD             ; 1 + a
        GSUBNC TGDA
        A=C W
        C=REGN TGRSX
        M=C
        C=REGN TGRT
        GSUBNC WMUL             ; (1 - a)(1 + a)
        GSUBNC WSQRT
        GSUBNC TGDA
        N=C
        C=B W
        M=C                     ; x = the root
        C=REGN TGRW
        A=C W
        B=A W
        A=0 X                   ; y = a
        C=N
        RTN

; TGONE: A, B = 1 and C = the mantissa of the register-form number C (wide form; M is its
; exponent). Changes A, B, C, P. Depth 1.
TGONE:  C=0 X
        ACEX W
        C=0 W
        PT= 12
        LC 1
        ACEX W
        B=0 W
        RTN

; TGDA: DADD = TGWORK, keeping C. Changes N. Depth 1.
TGDA:   N=C
        LDI TGWORK
        DADD=C
        C=N
        RTN

; FR2P: rectangular to polar. In: A = y, C = x. Out: C = r = sqrt(x^2 + y^2) (no overflow
; inside: the squares are taken in the wide form), A = the angle of (x, y), -180 < angle
; <= 180 in DEG. r too large: OUT OF RANGE (flag 24: 9.999999999E99). Changes and depth as
; FATAN.
FR2P:   CLRST
        SETDEC
        ?C<>0 S
        GONC TGRP1
        ST=1 5                  ; x < 0: a half turn less the angle
        C=0 S
TGRP1:  ACEX W
        ?C<>0 S
        GONC TGRP2
        ST=1 7                  ; y < 0: negated
        C=0 S
TGRP2:  M=C
        C=0 W
        LDI TGWORK
        DADD=C
        C=M
        REGN=C TGRY             ; |y|
        ACEX W
        REGN=C TGRA             ; |x|
        GSUBNC TGSQW
        GSUBNC TGDA
        REGN=C TGRT             ; x^2
        C=B W
        REGN=C TGRSX
        C=REGN TGRY
        GSUBNC TGSQW            ; y^2
        GSUBNC TGDA
        A=C W
        C=REGN TGRSX
        M=C
        C=REGN TGRT
        GSUBNC WADD
        GSUBNC WSQRT
        GSUBNC WPACK
        GSUBNC TGDA
        REGN=C TGRW             ; r
        C=REGN TGRY
        GSUBNC WUNP
        A=C W                   ; y = |y|
        C=REGN TGRA
        M=C
        C=0 X                   ; x = |x|
        ST=1 4                  ; ST 4: return r and the angle
        GOLNC TGV2

; TGSQW: C, B = C^2 in the wide form, for C in the register form. Depth 2.
TGSQW:  GSUBNC WUNP
        M=C
        C=B W
        CMEX
        A=C W
        GOLNC WMUL

; TGV2: the angle of (x, y) for x, y >= 0, then TGANG. In: A, B = y, C, M = x (wide).
; Swaps them when y > x (toggling ST 6: a quarter less the angle). Jumped to.
TGV2:   SETDEC
        N=C                     ; N = x's mantissa
        LDI TGWORK
        DADD=C
        C=M                     ; C = x's exponent
        ?A<>0 W
        GONC TGV2Z              ; y = 0: the angle is 0
        REGN=C TGRLV
        C=N
        ?C<>0 W
        GOC TGV21
        ?ST=1 6                 ; x = 0: a quarter
        GOC TGV20
        ST=1 6
        GONC TGV2Z
TGV20:  ST=0 6
TGV2Z:  C=0 W
        A=0 W
        GOLNC TGANG
TGV21:  REGN=C TGRA             ; x's mantissa
        ACEX W
        REGN=C TGRY             ; y's mantissa
        C=B W
        A=C W
        C=REGN TGRLV
        C=A-C X                 ; the exponent of y less that of x
        A=C W
        ?C<>0 X
        GOC TGV22
        C=REGN TGRY             ; the same exponent: compare the mantissas
        A=C W
        C=REGN TGRA
        ?A<C W
        GOC TGV25
        ?A<>C W
        GONC TGV25              ; equal: 45 degrees either way
        A=0 W
        GONC TGV23
TGV22:  C=C+C XS                ; carries when negative: y is the smaller one
        GONC TGV23
        ACEX W
        C=-C X
        SETDEC
        GONC TGV24
TGV23:  ACEX W                  ; y > x: swap (A = j)
        M=C
        C=REGN TGRA
        A=C W
        C=REGN TGRY
        REGN=C TGRA
        ACEX W
        REGN=C TGRY
        ?ST=1 6
        GOC TGV2A
        ST=1 6
        GONC TGV2B
TGV2A:  ST=0 6
TGV2B:  C=M
TGV24:  A=0 W                   ; C[2..0] = j
        ACEX X
        ACEX W
        REGN=C TGRJ
        GONC TGV26
TGV25:  A=0 W
        C=0 W
        REGN=C TGRJ
TGV26:  C=REGN TGRA
        A=C W
        B=A W
        C=REGN TGRJ
        A=C W
        C=REGN TGRY
        GSUBNC TGVEC
                                ; (on into TGANG)
; TGANG: C * 10^A[2..0] = theta0, 0 <= theta0 <= pi/4 radians, in the angle mode; then
; ST 6: a quarter turn less it; ST 5: a half turn less that; ST 7: negated. Packed (WPACK).
; ST 4: for R->P, A = the angle and C = r (TGWORK+TGRW). Jumped to; returns from the
; function.
TGANG:  ?C<>0 W
        GONC TGAG1
        GSUBNC TGNRM
TGAG1:  B=A W
        N=C
        GSUBNC TGMODE
        C=N
        ?A<>0 X
        GOC TGAG2
        ACEX W                  ; degrees: times 180/pi
        C=0 W
        LDI 001
        M=C
        GSUBNC TGC180
        GONC TGAG3
TGAG2:  A=A-1 X
        ?A<>0 X
        GONC TGAG4              ; radians
        ACEX W                  ; grads: times 200/pi
        C=0 W
        LDI 001
        M=C
        GSUBNC TGC200
TGAG3:  GSUBNC WMUL
TGAG4:  ?ST=1 6
        GONC TGAG5
        N=C
        C=B W
        M=C
        GSUBNC TGQTR
        C=N
        GSUBNC WSUB
TGAG5:  ?ST=1 5
        GONC TGAG6
        N=C
        C=B W
        M=C
        GSUBNC TGHTN
        C=N
        GSUBNC WSUB
TGAG6:  ?ST=1 7
        GONC TGAG7
        ?C<>0 W
        GONC TGAG7
        C=-C-1 S
TGAG7:  SETDEC
        ?ST=1 4
        GOLNC WPACK
        GSUBNC WPACK
        A=C W
        C=0 W
        LDI TGWORK
        DADD=C
        C=REGN TGRW
        RTN

; TGMODE: A = the angle mode: 0 DEG, 1 RAD (flag 43), 2 GRAD (flag 42); DADD = TGWORK.
; Changes A, C. Depth 1.
TGMODE: C=0 W
        DADD=C
        C=REGN TGFLAG
        RCR 3                   ; flags 40..43 in digit 0
        A=0 W
        A=A+1 X
        C=C&A
        ?C<>0 W
        GOC TGMD1
        C=REGN TGFLAG
        RCR 3
        A=A+1 X
        C=C&A
        A=C W
        GONC TGMD2
TGMD1:  A=0 W
        A=A+1 X
TGMD2:  C=0 W
        LDI TGWORK
        DADD=C
        RTN

; TGQTR, TGHTN: A, B = a quarter or a half turn in the angle mode (wide form).
; Changes A, B, C, P. Depth 2.
TGQTR:  GSUBNC TGMODE
        ?A<>0 X
        GOC TGQT1
        C=0 W                   ; 90
        PT= 12
        LC 9
        A=C W
        C=0 W
        LDI 001
        BCEX W
        RTN
TGQT1:  A=A-1 X
        ?A<>0 X
        GOC TGQT2
        GSUBNC TGCP2            ; pi/2
        A=C W
        B=0 W
        RTN
TGQT2:  C=0 W                   ; 100
        PT= 12
        LC 1
TGQT3:  A=C W
        C=0 W
        LDI 002
        BCEX W
        RTN
TGHTN:  GSUBNC TGMODE
        ?A<>0 X
        GOC TGHT1
        C=0 W                   ; 180
        PT= 12
        LC 1
        LC 8
        GONC TGQT3
TGHT1:  A=A-1 X
        ?A<>0 X
        GOC TGHT2
        GSUBNC TGCPI            ; pi
        A=C W
        B=0 W
        RTN
TGHT2:  C=0 W                   ; 200
        PT= 12
        LC 2
        GONC TGQT3

; FP2R: polar to rectangular. In: A = theta (Y), C = r (X). Out: C = r cos theta,
; A = r sin theta. Changes and depth as FSIN. Calls TGRED, TGROT, TGTDD, TGCSR, TGSGN,
; TGQ1, TGRMUL.
FP2R:   M=C
        C=0 W
        LDI TGWORK
        DADD=C
        C=M
        REGN=C TGRW             ; r
        ACEX W
        GSUBNC TGRED
        ?ST=1 5
        GOC TGPR1
        GSUBNC TGROT
        GSUBNC TGTDD
        GSUBNC TGCSR
        REGN=C TGRLV            ; cos r, exponent 0
        C=REGN TGRT
        BCEX W
        C=REGN TGRA
        A=C W
        GSUBNC TGDIV
        C=C+C W
        REGN=C TGRY             ; sin r * 10^j
        GONC TGPR2
TGPR1:  C=0 W                   ; r = 0
        REGN=C TGRY
        PT= 12
        LC 1
        REGN=C TGRLV
TGPR2:  GSUBNC TGSGN
        GSUBNC TGPRV
        GSUBNC TGRMUL           ; r sin theta
        GSUBNC TGDA
        REGN=C TGRSY
        GSUBNC TGQ1
        GSUBNC TGSGN
        GSUBNC TGPRV
        GSUBNC TGRMUL           ; r cos theta
        M=C
        C=0 W
        LDI TGWORK
        DADD=C
        C=REGN TGRSY
        A=C W
        C=M
        RTN

; TGPRV: C * 10^A[2..0] = cos r (ST 1) or sin r. Depth 1.
TGPRV:  ?ST=1 1
        GONC TGPV1
        C=REGN TGRLV
        A=0 W
        RTN
TGPV1:  C=REGN TGRJ
        C=-C X
        A=C W
        C=REGN TGRY
        RTN

; TGRMUL: C = r * (C * 10^A[2..0]), negated with ST 2, in the register form (r is
; TGWORK+TGRW). Changes A, B, C, M, P, ST 0, DADD. Depth 2.
TGRMUL: ?C<>0 W
        RTNNC
        GSUBNC TGNRM
        B=A W
        A=C W
        C=0 W
        LDI TGWORK
        DADD=C
        C=REGN TGRW
        M=C
        C=0 X
        GSUBNC WMUL
        ?ST=1 2
        GONC TGRM1
        ?C<>0 W
        GONC TGRM1
        C=-C-1 S
TGRM1:  SETDEC
        GOLNC WPACK

; FD2R, FR2D: degrees to radians and back. In: C = x. Out: C. Changes A, B, C, M, P, ST 0,
; DADD. Depth 2. Calls WUNP, WMUL, WPACK.
FD2R:   SETDEC
        GSUBNC WUNP
        A=C W
        C=0 W
        LDI 002
        C=-C X
        M=C                     ; pi/180 = 1.745329251994E-2
        GSUBNC TGCD2R
        GONC TGDR1
FR2D:   GSUBNC WUNP
        A=C W
        C=0 W
        LDI 001
        M=C                     ; 180/pi = 5.729577951308E1
        GSUBNC TGC180
TGDR1:  GSUBNC WMUL
        GOLNC WPACK

; TGVEC: theta = atan(y/x) by pseudo-division: (x, y) is turned back by atan(10^-k) as
; often as y stays >= 0, for four values of k; the rest of y/x is the rest of the angle.
; In: B = x, C = y, fixed point, 1 <= x, y < 10; A = j (decimal, X field only): y/x is
; (y/x) * 10^-j, at most 1. DADD = TGWORK.
; Out: theta = C * 10^A[2..0]. Changes A, B, C, M, N, P, 0C4..0CA. Depth 3 (TGATK, TGSHX,
; TGSHY, TGNSH, TGJMP and the shift entries take 2). SETDEC.
TGVEC:  SETDEC
        M=C
        ?A<>0 X
        GOC TGVC0
        C=M                     ; j = 0: y * 10 with j = 1, so that the rest after four
        RCR 13                  ; levels is below 10^-4 and its cube negligible
        M=C
        A=A+1 X
TGVC0:  ACEX W
        REGN=C TGRJ
        A=C W
        C=0 W
        LDI 007
        ?A<C X
        GOC TGVC1
        C=M                     ; j >= 7: atan v = v within 4E-13
        A=C W
        GSUBNC TGDIV
        M=C
        C=REGN TGRJ
        C=-C X
        A=C W
        C=M
        RTN
TGVC1:  C=M
        REGN=C TGRY             ; y * 10^j
        C=0 W
        REGN=C TGRA             ; the angle, 13 decimals
        REGN=C TGRLV
        A=0 W
        GSUBNC TGSHA
        REGN=C TGRSX
        C=REGN TGRJ
        A=C W
        C=0 W
        GSUBNC TGNSH
        REGN=C TGRSY
TGVL:   SETDEC
        C=REGN TGRJ
        A=C W
        C=REGN TGRLV
        A=A+C X
        GSUBNC TGATK
        RCR 13                  ; times 10: 13 decimals
        M=C
        C=REGN TGRSX
        N=C
        GSUBNC TGJMP            ; atan(10^-k) * 10^j
        SETDEC
        REGN=C TGRT
TGVI:   GSUBNC TGSHX
        M=C
        C=REGN TGRY
        A=C W
        C=M
        A=A-C W
        GOC TGVN
        ACEX W
        N=C
        GSUBNC TGSHY
        ABEX W
        A=A+C W
        B=A W                   ; x + y tan
        C=N
        REGN=C TGRY             ; y - x tan
        C=REGN TGRA
        A=C W
        C=REGN TGRT
        C=A+C W
        REGN=C TGRA
        GONC TGVI
TGVN:   C=REGN TGRLV
        C=C+1 X
        REGN=C TGRLV
        A=C W
        C=0 W
        LDI 004
        ?A<C X
        GONC TGVRS
        GSUBNC TGNXE
        GOLNC TGVL
TGVRS:  C=REGN TGRY             ; the rest: (y * 10^2 / (x / 10)) * 10^-3 (x may have
        RCR 12                  ; grown past 10; the rest is below 10^-4 * 10^-j)
        A=C W
        BSR W
        GSUBNC TGDIV
        CSR W
        CSR W
        A=C W
        C=REGN TGRA
        C=A+C W
        M=C
        C=REGN TGRJ
        C=C+1 X
        C=-C X
        A=C W                   ; exponent -j - 1 (13 decimals)
        C=M
        RTN

; TGNXE: both shift entries one digit further (TGRSX, TGRSY). SETHEX. Changes A, C. Depth 1.
TGNXE:  SETHEX
        C=0 W
        LDI 004
        RCR 11
        A=C W
        C=REGN TGRSX
        C=A+C M
        REGN=C TGRSX
        C=REGN TGRSY
        C=A+C M
        REGN=C TGRSY
        RTN

; ---- Argument reduction --------------------------------------------------------------------
; TGRED: reduces the angle x of SIN, COS and TAN.
; In: C = x (register form); the angle mode in flags 42 (GRAD) and 43 (RAD).
; Out: ST 4 x < 0; ST 6 and ST 7 the quadrant q (odd, 2 or 3); ST 3 the complement;
;      |x| = q quarters + r, or with ST 3 q quarters + (a quarter - r), 0 <= r <= 1/8 turn;
;      ST 5: r = 0 (nothing else set). Otherwise TGWORK+TGRA = Psi and TGRJ = j, with
;      r/2 in radians = Psi * 10^-j, 0.99 <= Psi < 9.9 and j >= 1; TGRLV = 0.
; DEG and GRAD reduce exactly (an exponent above 13 counts as 13, which changes nothing
; modulo 360 or 400). RAD below 1000 subtracts multiples of pi/2 carried to 28 digits; from
; 1000 to 9.999999999E99 TGRRP takes x / 2pi modulo 1 to 14 decimals, from a table.
; Also: SETDEC, ST 0 = 0. Changes A, B, C, M, N, P, ST 1, ST 2, DADD, 0C4..0CB.
; Depth 3 (TGPIA takes 2; TGMUL, TGNRM, TGHLF and the constant routines 1).
TGRED:  CLRST
        SETDEC
        ?C<>0 S
        GONC TGRD1
        ST=1 4
        C=0 S
TGRD1:  ?C<>0 W
        GOC TGRD2
        ST=1 5
        RTN
TGRD2:  M=C                     ; |x|
        C=0 W
        DADD=C
        C=REGN TGFLAG
        RCR 3                   ; flags 40..43 in digit 0
        A=0 W
        A=A+1 X                 ; flag 43: RAD
        C=C&A
        ?C<>0 W
        GOLC TGRDR
        C=REGN TGFLAG
        RCR 3
        A=A+1 X                 ; flag 42: GRAD
        C=C&A
        ?C<>0 W
        GOC TGRDG
        GSUBNC TGCDEG           ; degrees: a turn is 360
        N=C
        C=0 W
        PT= 13
        LC 3
        LC 6
        GONC TGRD3
TGRDG:  GSUBNC TGCGRD           ; grads: a turn is 400
        N=C
        C=0 W
        PT= 13
        LC 4
        LC 0
TGRD3:  A=C W                   ; A = a turn * 10^11
        LDI TGWORK
        DADD=C
        C=0 W
        LDI 003
        C=-C X
        REGN=C TGRLV            ; the scale of the constant: 10^-3
        ACEX W
        REGN=C TGRT
        C=M
        A=C W
        C=0 W
        PT= 2
        LC 5
        ?A<C X                  ; exponent >= 0?
        GOC TGRD4
        C=M                     ; |x| < 1: nothing to reduce
        C=0 X
        GOLNC TGCNV
TGRD4:  C=M                     ; A[2..0] = e >= 0
        C=0 X
        M=C                     ; the mantissa, digits 12..3
        C=0 W
        LDI 013
        ?A<C X
        GOC TGRD6
        C=M                     ; e >= 13: as 13, the mantissa times 10^4
        RCR 13
        GONC TGRD9
TGRD6:  LDI 009
        ?A<C X
        GONC TGRD7
        C=A-C X
        C=-C X
        REGN=C TGRJ             ; f = 9 - e digits after the point
        C=M
        CSR W
        CSR W
        CSR W
        GONC TGRDA
TGRD7:  LDI 012                 ; 9 <= e <= 12: shift right 12 - e digits
        A=A-C X
        C=M
TGRD8:  ?A<>0 X
        GONC TGRD9
        CSR W
        A=A+1 X
        GONC TGRD8
TGRD9:  M=C                     ; an integer: f = 0
        C=0 W
        REGN=C TGRJ
        C=M
TGRDA:  REGN=C TGRY             ; N = |x| * 10^f, an integer
        C=REGN TGRJ
        A=C W
        C=0 W
        LDI 011
        A=A-C X                 ; f - 11
        C=REGN TGRT
TGRDB:  CSR W                   ; the turn * 10^f
        A=A+1 X
        GONC TGRDB
        REGN=C TGRSY
        GSUBNC TGHLF
        GSUBNC TGHLF
        REGN=C TGRSX            ; a quarter * 10^f
        C=REGN TGRSY
        M=C
        C=REGN TGRT
        A=C W
        B=A W                   ; B = the turn * 10^i, i from 11 down to f
        C=REGN TGRY
        A=C W
TGRDC:  A=A-B W
        GONC TGRDC
        A=A+B W                 ; one too many
        C=M
        ACEX W
        ?A<B W                  ; not yet at 10^f: on with a tenth
        GONC TGRDE
        ACEX W
        BSR W
        GONC TGRDC
TGRDE:  ACEX W                  ; A = N modulo the turn
        C=REGN TGRSX
TGRDF:  ?A<C W                  ; count the quarters
        GOC TGRDH
        A=A-C W
        ?ST=1 6
        GOC TGRD10
        ST=1 6
        GONC TGRDF
TGRD10: ST=0 6
        ST=1 7
        GONC TGRDF
TGRDH:  B=A W                   ; B = r, C = a quarter
        ACEX W
        C=C+C W
        ?A<C W                  ; past the eighth: the complement
        GONC TGRDI
        A=A-B W
        ST=1 3
        GONC TGRDJ
TGRDI:  C=B W
        A=C W
TGRDJ:  ?A<>0 W
        GOC TGRDK
        ST=1 5
        RTN
TGRDK:  ACEX W
        M=C
        C=REGN TGRJ
        A=C W
        C=0 W
        LDI 012
        A=A-C X
        ACEX W
        C=-C X
        A=C W                   ; exponent 12 - f
        C=M
        GSUBNC TGNRM
        GOLNC TGCNV

TGRDR:  LDI TGWORK                ; radians
        DADD=C
        ST=1 0                  ; ST 0: the constant is 5
        C=0 W
        PT= 12
        LC 5
        N=C                     ; r/2: times 5 * 10^-1
        C=0 W
        LDI 001
        C=-C X
        REGN=C TGRLV
        C=M
        A=C W
        C=0 W
        PT= 2
        LC 5
        ?A<C X
        GOC TGRR1               ; |x| >= 1
        C=0 W
        LDI 001
        C=-C X
        ?A<>C X
        GOC TGRR0               ; below 0.1: below pi/4
        C=M
        C=0 X
        A=C W                   ; 10 |x|
        GSUBNC TGCP4
        ?A<C W
        GOC TGRRZ
        ASR W                   ; past pi/4: pi/2 - |x|
        GSUBNC TGCP2
        C=A-C W
        C=-C W
        ST=1 3
        A=0 W
        GSUBNC TGNRM
        GOLNC TGCNV
TGRRZ:  C=0 W
        LDI 001
        C=-C X
        A=C W
TGRR0:  C=M
        C=0 X
        GOLNC TGCNV
TGRR1:  LDI 003
        ?A<C X
        GOLNC TGRRP             ; e >= 3: by the digits of 1/2pi
        ACEX W
        REGN=C TGRSY            ; X field: e, the first level
        A=C W
        C=M
        C=0 X
        RCR 12                  ; the units digit to digit 0 (exponent 0)...
        PT= 1
TGRR3:  ?A<>0 X
        GONC TGRR4
        A=A-1 X
        RCR 13                  ; ...and up by one for each step of the exponent
        INCPT
        GONC TGRR3
TGRR4:  A=C W
        C=0 WPT                 ; the decimals, 14 of them
        REGN=C TGRY
        A=A-C W                 ; the integer part
        ACEX W
        REGN=C TGRA
        GSUBNC TGCKH            ; K = pi/2 * 10^e: pi/2 * 10^13 in two registers, shifted
        GSUBNC TGKSH            ; right by 13 - e digits
        A=C W
        C=0 WPT                 ; the digits that move into the decimals
        A=A-C W
        M=C
        ACEX W
        N=C                     ; N = K's integer part
        GSUBNC TGCKL
        GSUBNC TGKSH
        A=C W
        C=0 WPT
        A=A-C W
        C=M
        C=A+C W
        BCEX W                  ; B = K's decimals
TGRRL:  ST=0 1                  ; level i: ST 1 at level 1 (each K is two quadrants),
        ST=0 2                  ; ST 2 at level 0 (one)
        C=REGN TGRSY
        ?C<>0 X
        GOC TGRRM
        ST=1 2
        GONC TGRR5
TGRRM:  C=C-1 X
        ?C<>0 X
        GOC TGRR5
        ST=1 1
TGRR5:  C=REGN TGRY             ; subtract K while it goes
        A=C W
        A=A-B W
        GOC TGRR6
        ACEX W
        M=C
        C=REGN TGRA
        A=C W
        C=N
        A=A-C W
        GOC TGRR8
TGRR7:  ACEX W
        REGN=C TGRA
        C=M
        REGN=C TGRY
        ?ST=1 2
        GOC TGRRA
        ?ST=1 1
        GONC TGRR5
        ?ST=1 7                 ; two quadrants
        GOC TGRR9
        ST=1 7
        GONC TGRR5
TGRR9:  ST=0 7
        GONC TGRR5
TGRRA:  ?ST=1 6                 ; one quadrant
        GOC TGRRB
        ST=1 6
        GONC TGRR5
TGRRB:  ST=0 6
        ?ST=1 7
        GOC TGRR9
        ST=1 7
        GONC TGRR5
TGRR6:  ACEX W
        M=C
        C=REGN TGRA
        A=C W
        C=N
        A=A-C W
        GOC TGRR8
        A=A-1 W                 ; the borrow from the decimals
        GONC TGRR7
TGRR8:  C=REGN TGRSY            ; next level: K / 10
        ?C<>0 X
        GONC TGRRC
        C=C-1 X
        REGN=C TGRSY
        C=N
        RCR 1
        A=C W                   ; A[13] = the digit that moves into the decimals
        C=0 S
        N=C
        C=B W
        CSR W
        C=A+C S
        BCEX W
        GOLNC TGRRL
TGRRC:  C=REGN TGRA             ; r < pi/2 in fixed point
        RCR 2
        A=C W
        C=REGN TGRY
        CSR W
        CSR W
        C=A+C W
        ?C<>0 W
        GOC TGRRD
        ST=1 5
        RTN
TGRRD:  A=C W
        B=A W
        C=C+C W
        A=C W                   ; 2r
        GSUBNC TGCP2
        ?A<C W
        GOC TGRRE
        ABEX W                  ; past pi/4: pi/2 - r
        C=A-C W
        C=-C W
        ST=1 3
        GONC TGRRF
TGRRE:  C=B W
TGRRF:  A=0 W
        GSUBNC TGNRM
                                ; (on into TGCNV)
; TGCNV: the half angle in radians from the reduced angle r.
; In: C = m, 1 <= m < 10, A[2..0] = its exponent (r = m * 10^e in the mode's units),
; N = the mode's constant c (half a unit in radians, scaled to 1 <= c < 10), TGWORK+TGRLV =
; the constant's exponent. Out: as TGRED. Depth 2.
TGCNV:  ACEX W
        REGN=C TGRJ
        C=N
        BCEX W
        ACEX W                  ; B = c, C = m
        ?ST=1 0
        GOC TGCV0
        PT= 2                   ; (m has ten or eleven digits: 0 below 10^-10)
        GSUBNC TGMULP           ; m * c (m has the fewer digits, often)
        GONC TGCV2
TGCV0:  A=C W                   ; m * 5
        C=C+C W
        C=C+C W
        A=A+C W
        ST=0 0
TGCV2:
        C=REGN TGRJ
        ACEX W
        M=C
        C=REGN TGRLV
        A=A+C X
        C=M
        GSUBNC TGNRM
        B=A W
        A=C W
        C=0 W
        PT= 12
        LC 9
        LC 9
        ?A<C W                  ; 9.9 and above go one digit down: tan(Psi) stays below 10
        GOC TGCV1
        ASR W
        ABEX W
        A=A+1 X
        ABEX W
TGCV1:  ACEX W
        REGN=C TGRA
        C=B W
        C=-C X
        A=C W
        C=0 W
        ACEX X
        REGN=C TGRJ             ; j = -e
        C=0 W
        REGN=C TGRLV
        RTN

; TGKSH: C rotated right by 13 - e digits, P = e (e = TGWORK+TGRSY[2..0], 0..12): the
; digits of C that fall below the point of pi/2 * 10^e are then at e+1..13. Changes A, C, P.
; Depth 1.
TGKSH:  ACEX W
        C=REGN TGRSY
        ACEX W
        RCR 13
        PT= 0
TGKS1:  ?A<>0 X
        RTNNC
        A=A-1 X
        RCR 13
        INCPT
        GONC TGKS1

; TGHLF: C = C / 2 for an even integer C (times 5, a digit down). Changes A. Depth 1.
TGHLF:  A=C W
        C=C+C W
        C=C+C W
        C=A+C W
        CSR W
        RTN

; TGRRP: the reduction in RAD for e >= 3 (e = A[2..0], M = |x|), in turns: with
; x = m * 10^(e-9), m an integer of ten digits, and g = 10^(e-9) / 2pi modulo 1 from the
; digits of 1/2pi about x's place (TGPIT), as H (its first 14 decimals) and L (the next 13),
; F = x / 2pi modulo 1 = m H 10^-14 + m L 10^-27 modulo 1, good to 1E-14; then
; 4F = q + f, and r = f pi/2, or (1 - f) pi/2 past the eighth. The cost does not grow with e.
TGRRP:  ST=0 0                  ; (TGRED returns ST 0 = 0)
        SETHEX
        C=0 W
        ACEX X                  ; C = e = 0ab (decimal)
        RCR 11
        A=C W                   ; A[4..3] = 16a + b in hexadecimal
        RCR 1
        C=0 X                   ; C[3] = a
        C=C+C W
        A=A-C W
        C=C+C W
        A=A-C W                 ; 16a + b - 2a - 4a = e
        GSUBNC TGPIA
        C=A+C M                 ; the address of the digits for e
        GSUBNC TGRDD            ; H
        B=A W
        GSUBNC TGRDD
        ASR W                   ; L: 13 digits (digit 13 0)
        ABEX W
        ACEX W
        REGN=C TGRT             ; H
        SETDEC
        C=M
        C=0 X                   ; m * 10^-9 in fixed point
        PT= 3
        GSUBNC TGMULP           ; A = m L * 10^-9, below 10 L < 10^14
        ACEX W
        REGN=C TGRA
        C=REGN TGRT
        BCEX W                  ; B = H
        C=M
        C=0 X
        A=0 W
        PT= 12
TGRQ3:  ASL W                   ; m H modulo 10^14, from m's first digit (Horner)
        C=C-1 PT
        GOC TGRQ5
TGRQ4:  A=A+B W                 ; (a carry past digit 13 is dropped: modulo 1)
        C=C-1 PT
        GONC TGRQ4
TGRQ5:  ?PT= 3
        GOC TGRQ6
        DECPT
        GONC TGRQ3
TGRQ6:  C=REGN TGRA             ; + m L 10^-27: digits 13..4 of m L 10^-9 at 10^-14 and on
        CSR W
        CSR W
        CSR W
        CSR W
        A=A+C W                 ; F * 10^14 (modulo 10^14)
        C=0 W
        PT= 13
        LC 5
        BCEX W                  ; B = 1/2
        ?A<B W
        GOC TGRQ7
        ST=1 7                  ; the second half turn: quadrant 2 or 3
TGRQ7:  ACEX W
        C=C+C W                 ; 2F modulo 1
        A=C W
        ?A<B W
        GOC TGRQ8
        ST=1 6                  ; an odd quadrant
TGRQ8:  C=C+C W                 ; f = 4F modulo 1
        ?C<>0 W
        GOC TGRQ9
        ST=1 5                  ; r = 0
        RTN
TGRQ9:  A=C W
        ?A<B W
        GOC TGRQA
        C=-C W                  ; past the eighth: 1 - f
        ST=1 3
TGRQA:  A=C W
        C=0 W
        LDI 002
        C=-C X
        ACEX W                  ; C * 10^-2 = the rest, f or 1 - f (digit 12 the units)
        GSUBNC TGNRM
        ACEX W
        REGN=C TGRJ             ; the exponent
        B=A W
        GSUBNC TGCQ4
        GSUBNC TGMUL            ; f (8 - 10 pi/4)
        C=B W
        C=C+C W
        C=C+C W
        C=C+C W
        ACEX W
        A=A-C W                 ; r/2 = f * 10 pi/4 * 10^-1 (TGRLV = -1)
        GOLNC TGCV2

; TGRDD: A = the next 14 digits of TGPIT, from the word at C[6..3] on (two digits a word, a
; word every second address); C[6..3] moves past them. Written out seven times: a loop would
; cost 4 instructions more a word. SETHEX. Changes A, C. Depth 1.
TGRDD:  A=0 W
        CXISA
        A=A+C X
        C=C+1 M
        C=C+1 M
        CXISA
        ASL W
        ASL W
        A=A+C X
        C=C+1 M
        C=C+1 M
        CXISA
        ASL W
        ASL W
        A=A+C X
        C=C+1 M
        C=C+1 M
        CXISA
        ASL W
        ASL W
        A=A+C X
        C=C+1 M
        C=C+1 M
        CXISA
        ASL W
        ASL W
        A=A+C X
        C=C+1 M
        C=C+1 M
        CXISA
        ASL W
        ASL W
        A=A+C X
        C=C+1 M
        C=C+1 M
        CXISA
        ASL W
        ASL W
        A=A+C X
        C=C+1 M
        C=C+1 M
        RTN

; ---- The turning -----------------------------------------------------------------------------
; TGROT: turns (1, 0) by the angle Psi * 10^-j (pseudo-multiplication).
; In: TGWORK+TGRA = Psi (0.99 <= Psi < 9.9), TGRJ = j >= 1, TGRLV = 0; DADD = TGWORK.
; Out: B = x, TGWORK+TGRY = y * 10^j with y / x = tan(Psi * 10^-j); SETDEC.
; The turns at a level go either way, so that the angle left is within half a turn's angle
; of 0 (never more than five turns a level after the first); the angle left is then
; negative as a tens complement (digit 13 is 9).
; Changes A, B, C, M, N, P, 0C4..0CA. Depth 3 (TGATK, TGSHA, TGNSH, TGJMP and the shift
; entries take 2). Calls TGATK, TGSHA, TGNSH, TGJMP, TGMULP, TGNXE.
TGROT:  C=0 W
        LDI TGWORK
        DADD=C
        C=0 W
        REGN=C TGRY
        A=0 W
        GSUBNC TGSHA            ; the entry that shifts by 0
        REGN=C TGRSX            ; x * 10^-l goes into y * 10^j
        C=REGN TGRJ
        A=C W
        C=0 W
        GSUBNC TGNSH
        REGN=C TGRSY            ; y * 10^j * 10^-(2j + l) goes into x
        C=0 W
        PT= 12
        LC 1
        A=C W
        B=A W                   ; x = 1
TGRL:   SETDEC                  ; level l: k = j + l
        C=REGN TGRJ
        A=C W
        C=REGN TGRLV
        A=A+C X
        GSUBNC TGATK
        SETDEC
        REGN=C TGRT             ; T = atan(10^-k) * 10^k
        A=C W
        C=C+C W
        C=C+C W
        C=A+C W
        CSR W
        N=C                     ; T / 2
        C=REGN TGRA
        A=C W
        C=N
        A=A+C W                 ; Phi = Psi + T/2: turn forward while Phi >= T,
        ACEX W                  ; back while Phi < 0
        REGN=C TGRA
        A=C W
        A=A+1 S                 ; (digit 13 is 9: negative)
        GOC TGRB
TGRI:   C=REGN TGRA
        A=C W
        C=REGN TGRT
        A=A-C W
        GOC TGRN
        ACEX W
        REGN=C TGRA
        GSUBNC TGSHX
        M=C
        GSUBNC TGSHY
        ABEX W
        A=A-C W
        B=A W                   ; x - y tan
        C=REGN TGRY
        A=C W
        C=M
        C=A+C W
        REGN=C TGRY             ; y + x tan
        GONC TGRI
TGRB:   C=REGN TGRA             ; back
        A=C W
        C=REGN TGRT
        A=A+C W
        ACEX W
        REGN=C TGRA
        GSUBNC TGSHX
        M=C
        GSUBNC TGSHY
        ABEX W
        A=A+C W
        B=A W                   ; x + y tan
        C=REGN TGRY
        A=C W
        C=M
        A=A-C W
        ACEX W
        REGN=C TGRY             ; y - x tan
        C=REGN TGRA
        A=C W
        A=A+1 S
        GOC TGRB
TGRN:   C=REGN TGRA             ; Psi = Phi - T/2
        A=C W
        C=N
        A=A-C W
        ACEX W
        REGN=C TGRA
        C=REGN TGRLV            ; the next level, four in all
        C=C+1 X
        REGN=C TGRLV
        A=C W
        C=0 W
        LDI 004
        ?A<C X
        GONC TGRES
        C=REGN TGRA
        A=C W
        ASL W                   ; the rest times 10 (it is below 1/2 in size)
        ACEX W
        REGN=C TGRA
        GSUBNC TGNXE            ; both shifts one digit more: the next entries
        GOLNC TGRL
TGRES:  C=0 W                   ; the rest rho * 10^-3 (|rho| < 1/2): turn by tan = rho
        REGN=C TGRSX            ; (tan rho - rho < 2E-12 of y); TGRSX: rho < 0
        C=REGN TGRA
        A=C W
        A=A+1 S
        GONC TGRS1
        C=-C W
        REGN=C TGRA             ; |rho|
        C=0 W
        LDI 001
        REGN=C TGRSX
TGRS1:  C=B W
        REGN=C TGRLV            ; x
        C=REGN TGRA
        PT= 3                   ; (digits 0..2 of rho fall below the shift)
        GSUBNC TGMULP
        ACEX W
        GSUBNC TGSH3
        M=C                     ; x rho
        C=REGN TGRSX
        ?C<>0 X
        GOC TGRS2
        C=REGN TGRY
        A=C W
        C=M
        C=A+C W
        GONC TGRS3
TGRS2:  C=REGN TGRY
        A=C W
        C=M
        A=A-C W
        ACEX W
TGRS3:  REGN=C TGRT             ; the new y
        C=REGN TGRJ
        A=C W
        C=0 W
        LDI 006
        ?A<C X
        GONC TGRE1              ; j >= 6: nothing reaches x
        C=REGN TGRY
        A=C W
        B=A W
        C=REGN TGRA
        PT= 4                   ; (shifted by 3 + 2j >= 5: rho's digits 0..3 add < 1E-12)
        GSUBNC TGMULP
        ACEX W
        M=C
        C=REGN TGRJ
        A=C W
        C=0 W
        LDI 003
        GSUBNC TGNSH
        N=C
        GSUBNC TGJMP            ; y rho
        SETDEC
        M=C
        C=REGN TGRSX
        ?C<>0 X
        GOC TGRS4
        C=REGN TGRLV
        A=C W
        C=M
        A=A-C W
        ACEX W
        GONC TGRS5
TGRS4:  C=REGN TGRLV
        A=C W
        C=M
        C=A+C W
TGRS5:  REGN=C TGRLV
TGRE1:  C=REGN TGRLV
        A=C W
        B=A W
        C=REGN TGRT
        REGN=C TGRY
        RTN

; TGSHX, TGSHY: C = x (B) or y (TGWORK+TGRY) shifted by the entry in TGRSX or TGRSY. Depth 2.
TGSHX:  C=REGN TGRSX
        STK=C
        C=B W
        RTN
TGSHY:  C=REGN TGRSY
        STK=C
        C=REGN TGRY
        RTN
; TGJMP: C = M shifted by the entry in N[6..3]. Depth 2.
TGJMP:  C=N
        STK=C
        C=M
        RTN

; ---- Fixed-point helpers ---------------------------------------------------------------------
; TGMUL: A = B * C, 12 digits after the point, truncated. In: B, C < 10 (SETDEC).
; Out: A < 100. TGMULP: the same without C's digits below P (P = 0..12 on entry), whose
; share is then lost. Changes A, C, P. Depth 1.
TGMUL:  PT= 0
TGMULP: A=0 W
TGMU1:  C=C-1 PT                ; digit d of C: add B d times
        GOC TGMU3
TGMU2:  A=A+B W
        C=C-1 PT
        GONC TGMU2
TGMU3:  ?PT= 12
        RTNC
        ASR W
        INCPT
        GONC TGMU1

; TGDIV: C = A / B, 12 digits after the point, truncated. In: B < 10, A < 10 B (SETDEC).
; Changes A, C, P. Depth 1.
TGDIV:  C=0 W
        PT= 12
TGDV1:  C=C+1 PT                ; count the subtractions of B that go, one too many
        A=A-B W
        GONC TGDV1
        C=C-1 PT
        A=A+B W
        ?PT= 0
        RTNC
        ASL W
        DECPT
        GONC TGDV1

; TGNRM: normalises C * 10^A[2..0] to 1 <= C < 10 (C is not 0 and below 100; the exponent
; is decimal, 1000 - |e| when negative). SETDEC. Changes A[2..0], C, P. Depth 1.
TGNRM:  SETDEC
        ?C<>0 S
        GONC TGNR1
        A=A+1 X
        CSR W
        RTN
TGNR1:  PT= 12
        ?C<>0 PT
        RTNC
        A=A-1 X
        RCR 13
        GONC TGNR1

; TGPACK: the register form of +-C * 10^A[2..0], rounded half away from zero to ten digits
; (by WPACK: OUT OF RANGE above 9.999999999E99 unless flag 24, 0 below 1E-99).
; In: C fixed point (below 100; 0 gives 0), A[2..0] the exponent, ST 2 negative.
; Out: C. Changes A, B, C, P, ST 0, DADD; SETDEC. Depth 2 (TGNRM, then WPACK by a jump).
TGPACK: ?C<>0 W
        RTNNC
        GSUBNC TGNRM
TGPK1:  B=A W                   ; the wide form: C = mantissa, B = exponent
        ?ST=1 2
        GONC TGPK2
        C=C-1 S                 ; sign 9
        SETDEC                  ; (the borrow must not reach the jump)
TGPK2:  GOLNC WPACK
; TGOVF: a result too large (the pole of TAN), with the sign ST 2.
TGOVF:  C=0 W
        LDI 200
        A=C W
        C=0 W
        PT= 12
        LC 1
        GONC TGPK1              ; 1E200 through WPACK: OUT OF RANGE, or flag 24

; ---- Shifts by a digit count known only at run time ------------------------------------------
; TGNSH: C[6..3] = the entry that shifts right by n = min(2j + l, 14).
; In: A = j (decimal, digits 2..0 only), C = l (digit 0 only, l <= 4). SETHEX on return.
; Changes A, C, N. Depth 2 (jumps to TGSHA).
TGNSH:  SETHEX
        C=A+C X
        C=A+C X                 ; 2j + l, good for j < 7
        N=C
        LDI 007
        ?A<C X
        GONC TGNS1
        C=N
        A=C W
        LDI 00E
        ?A<C X
        GOC TGNS2
TGNS1:  C=0 W
        LDI 00E
        A=C W
TGNS2:  ACEX W
        RCR 11                  ; n to digits 4..3
        A=C W
        GOLNC TGSHA

; TGSHA: C[6..3] = the address of the entry of TGSHT that shifts C right by n digits (the
; digits shifted out are lost, zeros come in; n = 14 clears C). An entry is called with
; STK=C then RTN from a routine whose caller it returns to (TGSHX, TGSHY, TGJMP); it
; changes C and P only, and takes no return level of its own.
; In: A = n (hexadecimal) in digits 4..3, digits 12..5 zero. SETHEX on return. Changes A, C.
; Depth 2.
TGSHA:  GSUBNC TGSHB
TGSHT:  RTN                     ; n = 0
        NOP
        NOP
        NOP
        PT= 0
        C=0 WPT
        RCR 1
        RTN
        PT= 1
        C=0 WPT
        RCR 2
        RTN
TGSH3:  PT= 2
        C=0 WPT
        RCR 3
        RTN
        PT= 3
        C=0 WPT
        RCR 4
        RTN
        PT= 4
        C=0 WPT
        RCR 5
        RTN
        PT= 5
        C=0 WPT
        RCR 6
        RTN
        PT= 6
        C=0 WPT
        RCR 7
        RTN
        PT= 7
        C=0 WPT
        RCR 8
        RTN
        PT= 8
        C=0 WPT
        RCR 9
        RTN
        PT= 9
        C=0 WPT
        RCR 10
        RTN
        PT= 10
        C=0 WPT
        RCR 11
        RTN
        PT= 11
        C=0 WPT
        RCR 12
        RTN
        PT= 12
        C=0 WPT
        RCR 13
        RTN
        C=0 W                   ; n = 14
        RTN
        NOP
        NOP
        C=0 W                   ; n = 15 (14 and more clear C: TGROT steps past 14)
        RTN
        NOP
        NOP
        C=0 W                   ; n = 16
        RTN
        NOP
        NOP
        C=0 W                   ; n = 17
        RTN
TGSHB:  ACEX W
        SETHEX
        C=C+C M
        C=C+C M                 ; 4n
        ACEX W
        C=STK                   ; C[6..3] = TGSHT
        C=A+C M
        RTN

; TGATK: C = atan(10^-k) * 10^k (fixed point; 1 for k >= 6, where it differs from 1 by
; less than 4E-13). In: A = k (decimal, digits 2..0 only). Changes A, C, P; SETHEX when
; k < 6. Depth 2.
TGATK:  C=0 W
        LDI 006
        ?A<C X
        GOC TGAT1
        C=0 W
        PT= 12
        LC 1
        RTN
TGAT1:  ACEX W
        RCR 10                  ; k to digit 4: 16 words an entry
        A=C W
        GSUBNC TGATB
; ---- constants: generated by firmware/rpn/trig_tables.py, do not edit by hand
; atan(10^-k) * 10^k, k = 0..5 (TGATK: entry k at TGTK0 + 16 k)
TGTK0:  PT= 13                  ; 0.78539816339744831
        LC 0
        LC 0
        LC 7
        LC 8
        LC 5
        LC 3
        LC 9
        LC 8
        LC 1
        LC 6
        LC 3
        LC 3
        LC 9
        LC 7
        RTN
TGTK1:  PT= 13                  ; 0.996686524911620274
        LC 0
        LC 0
        LC 9
        LC 9
        LC 6
        LC 6
        LC 8
        LC 6
        LC 5
        LC 2
        LC 4
        LC 9
        LC 1
        LC 2
        RTN
TGTK2:  PT= 13                  ; 0.999966668666523821
        LC 0
        LC 0
        LC 9
        LC 9
        LC 9
        LC 9
        LC 6
        LC 6
        LC 6
        LC 6
        LC 8
        LC 6
        LC 6
        LC 7
        RTN
TGTK3:  PT= 13                  ; 0.999999666666866667
        LC 0
        LC 0
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 6
        LC 6
        LC 6
        LC 6
        LC 6
        LC 7
        RTN
TGTK4:  PT= 13                  ; 0.999999996666666687
        LC 0
        LC 0
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 6
        LC 6
        LC 6
        LC 7
        RTN
TGTK5:  PT= 13                  ; 0.999999999966666667
        LC 0
        LC 0
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 9
        LC 6
        LC 7
        RTN
TGCDEG: PT= 13                  ; pi/360 * 1000: half a degree in radians, scaled
        LC 0
        LC 8
        LC 7
        LC 2
        LC 6
        LC 6
        LC 4
        LC 6
        LC 2
        LC 5
        LC 9
        LC 9
        LC 7
        LC 2
        RTN
TGCGRD: PT= 13                  ; pi/400 * 1000: half a grad in radians, scaled
        LC 0
        LC 7
        LC 8
        LC 5
        LC 3
        LC 9
        LC 8
        LC 1
        LC 6
        LC 3
        LC 3
        LC 9
        LC 7
        LC 4
        RTN
TGCP2:  PT= 13                  ; pi/2
        LC 0
        LC 1
        LC 5
        LC 7
        LC 0
        LC 7
        LC 9
        LC 6
        LC 3
        LC 2
        LC 6
        LC 7
        LC 9
        LC 5
        RTN
TGCP4:  PT= 13                  ; 10 pi/4
        LC 0
        LC 7
        LC 8
        LC 5
        LC 3
        LC 9
        LC 8
        LC 1
        LC 6
        LC 3
        LC 3
        LC 9
        LC 7
        LC 4
        RTN
TGCPI:  PT= 13                  ; pi
        LC 0
        LC 3
        LC 1
        LC 4
        LC 1
        LC 5
        LC 9
        LC 2
        LC 6
        LC 5
        LC 3
        LC 5
        LC 9
        LC 0
        RTN
TGCQ4:  PT= 13                  ; 8 - 10 pi/4 (few digits: a cheap multiplier)
        LC 0
        LC 0
        LC 1
        LC 4
        LC 6
        LC 0
        LC 1
        LC 8
        LC 3
        LC 6
        LC 6
        LC 0
        LC 2
        LC 6
        RTN
TGC180: PT= 13                  ; 180/pi / 10
        LC 0
        LC 5
        LC 7
        LC 2
        LC 9
        LC 5
        LC 7
        LC 7
        LC 9
        LC 5
        LC 1
        LC 3
        LC 0
        LC 8
        RTN
TGC200: PT= 13                  ; 200/pi / 10
        LC 0
        LC 6
        LC 3
        LC 6
        LC 6
        LC 1
        LC 9
        LC 7
        LC 7
        LC 2
        LC 3
        LC 6
        LC 7
        LC 6
        RTN
TGCD2R: PT= 13                  ; pi/180 * 100
        LC 0
        LC 1
        LC 7
        LC 4
        LC 5
        LC 3
        LC 2
        LC 9
        LC 2
        LC 5
        LC 1
        LC 9
        LC 9
        LC 4
        RTN
TGCKH:  PT= 13                  ; pi/2 * 10^13, its integer part
        LC 1
        LC 5
        LC 7
        LC 0
        LC 7
        LC 9
        LC 6
        LC 3
        LC 2
        LC 6
        LC 7
        LC 9
        LC 4
        LC 8
        RTN
TGCKL:  PT= 13                  ; pi/2 * 10^13, its first 14 decimals
        LC 9
        LC 6
        LC 6
        LC 1
        LC 9
        LC 2
        LC 3
        LC 1
        LC 3
        LC 2
        LC 1
        LC 6
        LC 9
        LC 1
        RTN
; TGPIA: C[6..3] = TGPIT, the digits of 1/2pi (10^-9 / 2pi = 0.000000000159...),
; word j the digits j and j + 1. Depth 2 (C=STK takes TGPIA's level back).
TGPIA:  GSUBNC TGPIB
TGPIT:  .word 000, 000, 000, 000, 000, 000, 000, 000, 001, 015, 059, 091, 015, 054
        .word 049, 094, 043, 030, 009, 091, 018, 089, 095, 053, 033, 035, 057, 076
        .word 068, 088, 088, 083, 037, 076, 063, 033, 037, 072, 025, 051, 014, 043
        .word 036, 062, 020, 003, 034, 044, 045, 059, 096, 064, 045, 057, 074, 040
        .word 004, 045, 056, 064, 044, 048, 087, 074, 047, 076, 066, 067, 073, 034
        .word 044, 040, 005, 058, 088, 089, 096, 067, 079, 097, 076, 063, 034, 042
        .word 022, 026, 065, 053, 035, 050, 009, 090, 001, 011, 013, 038, 080, 002
        .word 027, 076, 066, 062, 025, 053, 030, 008, 085, 059, 095, 056, 060, 007
        .word 072, 028, 084, 042, 027, 072, 026, 067, 075, 057, 079, 095, 058, 080
TGPIB:  C=STK
        RTN
; ---- end of the generated constants
TGATB:  C=STK                   ; C[6..3] = TGTK0
        SETHEX
        C=A+C M
        STK=C
        RTN
