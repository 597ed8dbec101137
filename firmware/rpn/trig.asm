; ===========================================================================================
;  trig.asm: trigonometric functions and coordinate changes
;
;  FSIN, FCOS, FTAN turn the angle into a quadrant and a rest r between 0 and 45 degrees
;  (exactly, in decimal, in DEG and GRAD; with pi/2 to 27 digits in RAD), then find
;  t = tan(r/2) by pseudo-multiplication: the vector (1, 0) is turned by atan(10^-k) as often
;  as the angle allows, for four values of k, and by the small rest at the end; t is then
;  y / x. sin r = 2t / (1 + t^2), cos r = (1 - t^2) / (1 + t^2), tan r = 2t / (1 - t^2).
;
;  Fixed point: 14 digits, 12 of them after the point (digit 12 the units, digit 13 the
;  tens), decimal. Small angles keep their digits: the half angle is Psi * 10^-j with
;  0.99 <= Psi < 9.9, and y is carried as y * 10^j, so the turns by atan(10^-k), k >= j, shift
;  x by k - j digits into y and y by k + j digits into x.
;
;  Working registers (DADD = TGWORK): 0C4..0CB, named TGR* below. Status bits ST 0..7.
; ===========================================================================================

TGRA    .equ 4                  ; the angle still to turn, Psi (fixed point)
TGRY    .equ 5                  ; y * 10^j
TGRT    .equ 6                  ; atan(10^-k) * 10^k for this level; scratch
TGRSX   .equ 7                  ; C[6..3]: the shift entry for x into y; scratch
TGRSY   .equ 8                  ; C[6..3]: the shift entry for y into x; scratch
TGRJ    .equ 9                  ; X field: j (decimal)
TGRLV   .equ 10                 ; digit 0: the level l = k - j; scratch
TGRW    .equ 11                 ; scratch
TGWORK  .equ 0C0                ; the working registers' group
TGFLAG  .equ 14                 ; status register d: the flags

; ---- SIN, COS, TAN -------------------------------------------------------------------------
; FSIN, FCOS, FTAN: sine, cosine and tangent of x in the angle mode (flags 42 GRAD, 43 RAD).
; In: C = x. Out: C = the result, rounded to ten digits. Exact 0 where the reduced angle is
; 0 (SIN 180, COS 90, TAN 180 in DEG). TAN at a pole (TAN 90 in DEG): OUT OF RANGE, or with
; flag 24 +-9.999999999E99 with the sign of x. Changes A, B, C, M, N, P, ST 0..7, base,
; DADD, 0C4..0CB. Depth 4 (TGRED 3, TGROT 4). Calls TGRED, TGROT, TGNSH, TGJMP, TGMUL,
; TGDIV, TGPACK.
FSIN:   GSUBNC TGRED
TGSIN:  ST=0 1                  ; ST 1: cos r instead of sin r = odd quadrant xor complement
        ST=0 2                  ; ST 2: negative = quadrant 2 or 3 xor x < 0
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
        GONC TGTRI
        ?ST=1 2
        GOC TGSN5
        ST=1 2
        GONC TGTRI
TGSN5:  ST=0 2
        GONC TGTRI

FCOS:   GSUBNC TGRED
        ST=0 4                  ; cos is even; cos x = sin(x + 90): one quadrant on
        ?ST=1 6
        GOC TGCS1
        ST=1 6
        GONC TGSIN
TGCS1:  ST=0 6
        ?ST=1 7
        GOC TGCS2
        ST=1 7
        GONC TGSIN
TGCS2:  ST=0 7
        GONC TGSIN

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
        GOC TGSN5
        ST=1 2
        GONC TGTRI

; The common end of SIN, COS and TAN: ST 0 tangent, ST 1 the co-function, ST 2 negative.
TGTRI:  ?ST=1 5
        GOC TGZER
        GSUBNC TGROT
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
TGFIN:  C=REGN TGRY
        A=C W
        GSUBNC TGDIV            ; T = t * 10^j = y / x
        REGN=C TGRA
        A=C W
        B=A W
        GSUBNC TGMUL            ; T^2
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
        ?ST=1 0
        GOC TGFN2
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
TGFN1:  C=REGN TGRT             ; cos r = (1 - t^2) / (1 + t^2)
        BCEX W
        C=REGN TGRSX
        A=C W
        GSUBNC TGDIV
        A=0 W
        GOLNC TGPACK
TGFN2:  ?ST=1 1
        GOC TGFN3
        C=REGN TGRSX            ; tan r = 2t / (1 - t^2)
        GONC TGFN0
TGFN3:  C=REGN TGRA             ; cot r = (1 - t^2) / 2t
        BCEX W
        C=REGN TGRSX
        A=C W
        GSUBNC TGDIV
        A=C W
        C=C+C W
        C=C+C W
        C=A+C W                 ; 5 Q
        M=C
        C=REGN TGRJ
        C=C-1 X
        A=C W                   ; exponent j - 1
        C=M
        GOLNC TGPACK

; ---- Argument reduction --------------------------------------------------------------------
; TGRED: reduces the angle x of SIN, COS and TAN.
; In: C = x (register form); the angle mode in flags 42 (GRAD) and 43 (RAD).
; Out: ST 4 x < 0; ST 6 and ST 7 the quadrant q (odd, 2 or 3); ST 3 the complement;
;      |x| = q quarters + r, or with ST 3 q quarters + (a quarter - r), 0 <= r <= 1/8 turn;
;      ST 5: r = 0 (nothing else set). Otherwise TGWORK+TGRA = Psi and TGRJ = j, with
;      r/2 in radians = Psi * 10^-j, 0.99 <= Psi < 9.9 and j >= 1; TGRLV = 0.
; DEG and GRAD reduce exactly (an exponent above 13 counts as 13, which changes nothing
; modulo 360 or 400). RAD subtracts multiples of pi/2 carried to 27 digits, from x with its
; exponent capped at 12 (beyond 1E13 radians the result is not the sine of x).
; Also: SETDEC, ST 0 = 0. Changes A, B, C, M, N, P, DADD, 0C4..0CB. Depth 3 (TGMUL, TGNRM,
; TGHLF, the constant routines).
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
        REGN=C TGRW             ; f = 9 - e digits after the point
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
        REGN=C TGRW
        C=M
TGRDA:  REGN=C TGRY             ; N = |x| * 10^f, an integer
        C=REGN TGRW
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
TGRDC:  ?A<B W
        GOC TGRDD
        A=A-B W
        GONC TGRDC
TGRDD:  C=M
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
        C=REGN TGRW
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
TGRR1:  LDI 012
        ?A<C X
        GOC TGRR2
        A=C X                   ; exponent 12 at most
TGRR2:  C=M
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
        GSUBNC TGCKH            ; K = pi/2 * 10^12 in two registers
        REGN=C TGRT
        GSUBNC TGCKL
        REGN=C TGRSX
        C=0 W
        LDI 012
        REGN=C TGRSY            ; the level i: K = pi/2 * 10^i
TGRR5:  C=REGN TGRY             ; subtract K while it goes
        A=C W
        C=REGN TGRSX
        A=A-C W
        GOC TGRR6
        ACEX W
        M=C
        C=REGN TGRA
        A=C W
        C=REGN TGRT
        A=A-C W
        GOC TGRR8
        GONC TGRR7
TGRR6:  ACEX W
        M=C
        C=REGN TGRA
        A=C W
        C=REGN TGRT
        A=A-C W
        GOC TGRR8
        A=A-1 W                 ; the borrow from the decimals
        GOC TGRR8
TGRR7:  ACEX W
        REGN=C TGRA
        C=M
        REGN=C TGRY
        C=REGN TGRSY            ; levels 1 and 0 count the quadrant
        ?C<>0 X
        GONC TGRRA
        C=C-1 X
        ?C<>0 X
        GOC TGRR5
        ?ST=1 7                 ; level 1: two quadrants
        GOC TGRR9
        ST=1 7
        GONC TGRR5
TGRR9:  ST=0 7
        GONC TGRR5
TGRRA:  ?ST=1 6                 ; level 0: one quadrant
        GOC TGRRB
        ST=1 6
        GONC TGRR5
TGRRB:  ST=0 6
        ?ST=1 7
        GOC TGRR9
        ST=1 7
        GONC TGRR5
TGRR8:  C=REGN TGRSY            ; next level: K / 10
        ?C<>0 X
        GONC TGRRC
        C=C-1 X
        REGN=C TGRSY
        C=REGN TGRT
        RCR 1
        A=C W                   ; A[13] = the digit that moves into the decimals
        C=0 S
        REGN=C TGRT
        C=REGN TGRSX
        CSR W
        C=A+C S
        REGN=C TGRSX
        GOLNC TGRR5
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
TGCNV:  BCEX W
        ACEX W
        REGN=C TGRJ
        C=N
        ?ST=1 0
        GOC TGCV0
        GSUBNC TGMUL            ; m * c
        GONC TGCV2
TGCV0:  C=B W                   ; m * 5
        A=C W
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

; TGHLF: C = C / 2 for an even integer C (times 5, a digit down). Changes A. Depth 1.
TGHLF:  A=C W
        C=C+C W
        C=C+C W
        C=A+C W
        CSR W
        RTN

; ---- The turning -----------------------------------------------------------------------------
; TGROT: turns (1, 0) by the angle Psi * 10^-j (pseudo-multiplication).
; In: TGWORK+TGRA = Psi (0.99 <= Psi < 9.9), TGRJ = j >= 1, TGRLV = 0; DADD = TGWORK.
; Out: B = x, TGWORK+TGRY = y * 10^j with y / x = tan(Psi * 10^-j); SETDEC.
; Changes A, B, C, M, N, P, 0C4..0CB. Depth 3 (TGATK, TGSHA, TGNSH, TGJMP and the shift
; entries take 2). Calls TGATK, TGSHA, TGNSH, TGJMP, TGMUL.
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
        REGN=C TGRT             ; atan(10^-k) * 10^k
        SETDEC
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
TGRN:   C=REGN TGRLV            ; the next level, four in all
        C=C+1 X
        REGN=C TGRLV
        A=C W
        C=0 W
        LDI 004
        ?A<C X
        GONC TGRES
        C=REGN TGRA
        RCR 13                  ; the rest times 10 (it is below 1)
        REGN=C TGRA
        SETHEX                  ; both shifts one digit more: the next entries
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
        GOLNC TGRL
TGRES:  C=B W                   ; the rest rho * 10^-3 (< 10^-3): turn by tan = rho
        REGN=C TGRW             ; (tan rho - rho < 4E-12 of y)
        C=REGN TGRA
        PT= 3                   ; (digits 0..2 of rho fall below the shift)
        GSUBNC TGMULP
        ACEX W
        GSUBNC TGSH3
        A=C W
        C=REGN TGRY
        C=A+C W
        REGN=C TGRT             ; the new y
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
        PT= 3
        GSUBNC TGMULP
        ACEX W
        M=C
        C=REGN TGRJ
        A=C W
        C=0 W
        LDI 003
        GSUBNC TGNSH
        N=C
        GSUBNC TGJMP
        SETDEC
        A=C W
        C=REGN TGRW
        C=A-C W
        C=-C W
        REGN=C TGRW
TGRE1:  C=REGN TGRW
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
TGCKH:  PT= 13                  ; pi/2 * 10^12, its integer part
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
        LC 4
        RTN
TGCKL:  PT= 13                  ; pi/2 * 10^12, its first 14 decimals
        LC 8
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
        RTN
; ---- end of the generated constants
TGATB:  C=STK                   ; C[6..3] = TGTK0
        SETHEX
        C=A+C M
        STK=C
        RTN
