; ===========================================================================================
;  arith.asm: + - x / and the other rational functions, square root, and the 13-digit
;  working form that the transcendental layers compute in.
;
;  ---- The wide form ----------------------------------------------------------------------
;  Inside, and for trans.asm and trig.asm, a number is kept in two registers:
;    mantissa register  digit 13 the sign (0 positive, 9 negative); digits 12..0 thirteen
;                       mantissa digits d12.d11...d0, normalised (d12 is not 0 unless the
;                       number is 0). Zero is all digits 0, never -0.
;    exponent register  digits 2..0 the exponent, -499..499, a negative one as 1000 - |e|
;                       (as in the register form). Its other digits are never read: the
;                       register form of a number is also the exponent register of its
;                       wide form.
;  A register-form number is a wide one whose digits 2..0 are 0, so WUNP only splits it.
;  The wide routines take
;    y (the left operand)  A = mantissa, B = exponent
;    x                     C = mantissa, M = exponent
;  and give the result as C = mantissa, B = exponent (a unary one takes x in C and B).
;  A result becomes the next y with ACEX W, the next unary operand as it is.
;  Accuracy: WADD, WSUB, WMUL, WDIV give the exact result cut (not rounded) to 13 digits,
;  except that a sum whose first digit cancels may end in a 0 where the exact one has
;  another digit (the error stays below one unit of the 12th digit); WSQRT is below two
;  units of its 12th digit. They check no range: WADD and WSUB take exponents within
;  -249..249, WMUL and WDIV within -499..499 for their results as well. WPACK rounds to
;  the register form and checks the range.
;  To change the sign of a wide or register-form number that is not 0: SETDEC, C=-C-1 S.
;
;  ---- Routines ---------------------------------------------------------------------------
;  Register form (A = y, C = x, result in C; errors jump to ERRDATA / ERRRANGE):
;    FADD y+x   FSUB y-x   FMUL y*x   FDIV y/x (x = 0: ERRDATA)   FPCT y*x/100
;    FINV 1/x (x = 0: ERRDATA)   FSQ x^2   FSQRT (x < 0: ERRDATA)
;    FINT FFRC FABS FSIGN   FMOD y mod x (the sign of x; x = 0 gives y)
;    FFACT x! (0..69; not an integer or negative: ERRDATA; above 69: ERRRANGE)
;    FHMS FHR (hours <-> H.MMSSss)   FHMSADD FHMSSUB (y +- x in H.MMSSss)
;    FOCT (an integer, |x| <= 1073741823)   FDEC (an integer below 1E10 with no digit 8
;    or 9); anything else ERRDATA
;  Every result is the exact one rounded half away from zero to ten digits (HMS+ and HMS-:
;  whenever the sum in seconds has at most 13 digits, e.g. both operands within a factor
;  of 1000). A result of 1E100 or more in size is an OUT OF RANGE error, or
;  +-9.999999999E99 with flag 24 set; below 1E-99 it is 0.
;  Wide form (above): WUNP WPACK WADD WSUB WMUL WDIV WSQRT, and two helpers:
;    WINT   In: C = mantissa (not negative), B = exponent. Out: C = the digits before the
;           point, A = those after it, both with the exponent in B, not normalised.
;    WNORM  In: A = digits (digit 13 0), M = exponent, ST 0 = negative. Out: C, B
;           normalised (the exponent lowered by the shift).
;
;  ---- What they change -------------------------------------------------------------------
;  All of them may change A, B, C, M, G, P, Q (the active pointer is P on return), ST 0..3
;  and DADD, and may leave the base decimal. The wide routines keep N, ST 4..7 and RAM; the
;  register-form ones may also change N, ST 4..7, status registers 9 (Q, digits 0..12)
;  and 10, and RAM 0C0..0C3.
;  Depth: the wide routines 1 (they call nothing; a range error leaves WPACK by a jump);
;  FADD FSUB FMUL FDIV FPCT FINV FSQ FSQRT FINT FFRC FMOD FOCT FDEC 2; FFACT FHR FHMS
;  FHMSADD FHMSSUB 3 (each header says). trans.asm and trig.asm may therefore call the
;  wide routines from three levels down.
; ===========================================================================================

; ---- Register form in and out -------------------------------------------------------------

; WUNP: the wide form of a register-form number.
; In: C = x. Out: C = mantissa, B = exponent (B holds all of x). Changes B, C. Depth 1.
WUNP:   BCEX W
        C=B W
        C=0 X
        RTN

; WPACK: a wide number rounded half away from zero to ten digits, in the register form.
; In: C = mantissa, B = exponent (-499..499). Out: C.
; A result of 1E100 or more in size jumps to ERRRANGE, unless flag 24 is set: then it is
; +-9.999999999E99. Below 1E-99 it is 0. Rounding comes first: 9.9999999996E99 is too large.
; Changes A, B, C, ST 0, DADD (flag 24 is read only for a result that is too large).
; Depth 1.
WPACK:  SETDEC
        ST=0 0
        ?C<>0 S
        GONC ARP1
        ST=1 0                  ; ST 0: negative
ARP1:   A=C W
        A=0 S
        ?A<>0 W
        GONC ARPZ
        C=0 W
        PT= 2
        LC 5
        A=A+C W                 ; + 5 in the first digit after the ten kept
        ?A<>0 S
        GONC ARP2
        ASR W                   ; 9.99999999995 became 10.0: one digit down
        BCEX W
        C=C+1 X
        BCEX W
ARP2:   A=0 X
        C=B W
        ?C<>0 XS
        GONC ARP3               ; exponent 0..99
        C=C+C XS                ; digit 2 of 5 or more carries: a negative exponent
        GONC AROVF              ; 100..499
        C=B W
        C=C+1 XS
        GONC ARPZ               ; -499..-101: too small, 0
        PT= 1
        ?C<>0 WPT
        GONC ARPZ               ; -100
        C=B W                   ; -99..-1
ARP3:   A=C X
        ACEX W
        ?ST=1 0
        RTNNC
        C=C-1 S                 ; 0 - 1 is 9: the sign
        RTN
ARPZ:   C=0 W
        RTN
; Too large: the largest number of its sign with flag 24, else OUT OF RANGE.
AROVF:  SETHEX
        C=0 W
        DADD=C
        C=REGN 14               ; the flags
        RCR 5                   ; flag 24 (bit 3 of digit 7) to bit 3 of digit 2
        C=C+C XS                ; carries if it is set
        GOLNC ERRRANGE
        SETDEC
        C=0 W
        C=C-1 M                 ; 9.999999999
        LDI 099                 ; E99
        ?ST=1 0
        RTNNC
        C=C-1 S
        RTN

; ---- Wide addition --------------------------------------------------------------------------

; WSUB: y - x in the wide form; WADD: y + x.
; In: A = y mantissa, B = y exponent, C = x mantissa, M = x exponent (both -249..249).
; Out: C = mantissa, B = exponent of the sum, cut to 13 digits (see the top of the file).
; Changes A, B, C, M, P, Q, ST 0..2. Depth 1.
; How: the smaller operand is shifted right by the difference of the exponents, its lost
; digits remembered as one "sticky" unit, so that the difference of the magnitudes is the
; exact one cut at digit 0: the digits kept are right, and rounding needs no more.
WSUB:   SETDEC
        ?C<>0 W
        GONC WADD               ; y - 0
        C=-C-1 S                ; y + (-x)
WADD:   SETDEC
        ?C<>0 W
        GOC ARA1
        ACEX W                  ; x = 0: the sum is y
        RTN
ARA1:   ?A<>0 W
        GOC ARA2
        A=C W                   ; y = 0: the sum is x
        C=M
        BCEX W
        ACEX W
        RTN
ARA2:   ST=0 0
        ST=0 2
        ?A<>0 S
        GONC ARA3
        ST=1 0                  ; ST 0: y < 0 (the sign of the sum unless |x| is larger)
ARA3:   C=A+C S                 ; the signs added: 9 if they differ (0+0 = 0, 9+9 = 8)
        C=C+1 S
        GONC ARA4
        ST=1 2                  ; ST 2: the magnitudes subtract
ARA4:   A=0 S
        C=0 S
        CMEX                    ; C = ex, M = |x|
        RCR 11                  ; ex to C[5..3]
        BCEX X                  ; C[2..0] = ey
        ABEX W                  ; B = |y|
        A=C W
        RCR 3                   ; C[2..0] = ex
        A=A-C X                 ; A[2..0] = d = ey - ex, A[5..3] = ex
        PT= 2
        LC 5
        ?A<C XS
        GONC ARXB               ; d < 0: |x| has the larger exponent
; y has the larger exponent (or the same): B = |y| stays, |x| is shifted by d.
        LDI 013
        ?A<C X
        GONC ARNGY              ; d > 12
        ACEX W
        A=C W                   ; C = A = d and ex
        RCR 3
        C=A+C X                 ; C[2..0] = ey
        CMEX                    ; M = ey, C = |x|
        GONC ARSHF
ARNGY:  ACEX W
        A=C W
        RCR 3
        C=A+C X
        M=C
        GONC ARNEG
; x has the larger exponent: the sum has the sign of x; |x| goes to B, |y| is shifted.
ARXB:   ?ST=1 2
        GONC ARXB2
        ?ST=1 0
        GOC ARXB1
        ST=1 0
        GONC ARXB2
ARXB1:  ST=0 0
ARXB2:  PT= 2
        LC 9
        LC 8
        LC 8
        ?A<C X
        GOC ARNGX               ; -d > 12
        ACEX W
        A=C W                   ; C = A = d and ex
        C=-C X
        ACEX X                  ; A[2..0] = -d
        RCR 3
        CMEX                    ; M = ex, C = |x|
        BCEX W                  ; B = |x|, C = |y|
        GONC ARSHF
ARNGX:  ACEX W
        A=C W
        RCR 3
        CMEX
        BCEX W
; The smaller one lies wholly below the 13 digits kept: it is only a sticky unit.
ARNEG:  C=0 W
        ST=1 1
        GONC ARTL
; Shift C right by A[2..0] = 0..12 digits; ST 1 = a digit that was not 0 fell out.
ARSHF:  ST=0 1
        A=A-1 X
        GOC ARTL                ; d = 0
        SELQ
        PT= 13
        SELP
        PT= 13
ARSH1:  RCR 1                   ; the digit that falls out goes to the top...
        DECPT
        A=A-1 X
        GONC ARSH1
        INCPT                   ; ...so the lost digits are now C[13..P]
        ?C<>0 PQ
        GONC ARTL
        ST=1 1
        C=0 PQ
; B = the larger magnitude, C = the smaller one aligned, M = the exponent, ST 1 sticky.
ARTL:   ?ST=1 2
        GOC ARSB
        A=C W
        A=A+B W
        ?A<>0 S
        GONC ARNRM
        ASR W                   ; a carry into digit 13: one digit down
        C=M
        C=C+1 X
        M=C
        GONC ARNRM
ARSB:   ABEX W
        ?ST=1 1
        GONC ARSB1
        A=A-1 W                 ; the sticky unit: the difference is cut, not rounded
ARSB1:  A=A-C W
        GONC ARNRM
        ACEX W                  ; |x| was larger (same exponent): negate, and the sign
        C=-C W
        ACEX W
        ?ST=1 0
        GOC ARSB2
        ST=1 0
        GONC ARNRM
ARSB2:  ST=0 0
; A = the magnitude (digit 13 is 0), M = the exponent, ST 0 = negative: normalise.
; (WNORM: the same, public; see the top of the file.)
WNORM:  SETDEC
ARNRM:  ?A<>0 W
        GONC ARZER
        C=M
        PT= 12
        ?A<>0 PT
        GOC AROUT
ARNR1:  ASL W
        C=C-1 X
        ?A<>0 PT
        GONC ARNR1
; A = the magnitude, C = the exponent, ST 0 = negative: the wide result in C and B.
AROUT:  BCEX W
        ACEX W
        ?ST=1 0
        RTNNC
        C=C-1 S
        RTN
ARZER:  C=0 W
        B=0 W
        RTN

; ---- Wide product and quotient --------------------------------------------------------------

; WMUL: y * x in the wide form. In: A, B = y; C, M = x. Out: C, B, cut to 13 digits.
; Changes A, B, C, M, P, ST 0. Depth 1.
; How: the multiplier's digits from the lowest: add the multiplicand that many times, then
; shift the partial product right. A digit that falls out is never changed again by the
; later additions (they come in above it), so the 13 or 14 digits left are the exact
; product cut, whatever fell out.
WMUL:   SETDEC
        ?A<>0 W
        GONC ARZER
        ?C<>0 W
        GONC ARZER
        ST=0 0
        C=A+C S                 ; the signs: 9 if they differ
        C=C+1 S
        GONC ARM0
        ST=1 0                  ; ST 0: the product is negative
ARM0:   A=0 S
        C=0 S
        CMEX                    ; C = ex, M = |x|
        ABEX W                  ; A = ey, B = |y|
        A=A+C X
        ACEX X
        CMEX                    ; M = ey + ex, C = |x|
        A=0 W
        PT= 0
ARM1:   ?C<>0 PT                ; the multiplier's trailing zeros add nothing: drop them
        GOC ARM3
        CSR W
        GONC ARM1
ARM2:   A=A+B W
ARM3:   C=C-1 PT                ; (0 - 1 borrows: this digit is done)
        GONC ARM2
        CSR W
        ?C<>0 W
        GONC ARM4
        ASR W
        GONC ARM3
ARM4:   C=M                     ; A = the product / 10^12 (13 or 14 digits)
        ?A<>0 S
        GONC AROUT
        C=C+1 X
        ASR W
        GONC AROUT

; WDIV: y / x in the wide form. In: A, B = y; C, M = x. Out: C, B, cut to 13 digits.
; x = 0: ERRDATA. Changes A, B, C, M, P, Q, ST 0. Depth 1.
; ARDV is the same with the quotient's last digit at Q + 1 (FDIV takes 11 digits).
; How: long division; each quotient digit is the number of subtractions of the divisor
; that leave the remainder positive (unrolled: the exit says the digit).
WDIV:   SELQ
        PT= 13
        SELP
ARDV:   SETDEC
        ?C<>0 W
        GOLNC ERRDATA
        ?A<>0 W
        GONC ARZER
        ST=0 0
        C=A+C S
        C=C+1 S
        GONC ARD0
        ST=1 0
ARD0:   A=0 S
        C=0 S
        CMEX                    ; C = ex, M = |x|
        ABEX W                  ; A = ey, B = |y|
        A=A-C X
        ACEX X
        CMEX                    ; M = ey - ex, C = |x|
        ABEX W                  ; A = |y|
        BCEX W                  ; B = |x|
        ?A<B W
        GONC ARD1
        ASL W                   ; |y| < |x|: the quotient starts one place lower
        C=M
        C=C-1 X
        M=C
ARD1:   C=0 W
        PT= 12
ARDL:   A=A-B W
        GOC ARQ0
        A=A-B W
        GOC ARQ1
        A=A-B W
        GOC ARQ2
        A=A-B W
        GOC ARQ3
        A=A-B W
        GOC ARQ4
        A=A-B W
        GOC ARQ5
        A=A-B W
        GOC ARQ6
        A=A-B W
        GOC ARQ7
        A=A-B W
        GOC ARQ8
        LC 9                    ; (the remainder is below ten divisors)
        GONC ARDN
ARQ0:   A=A+B W
        LC 0                    ; LC writes the digit and moves P down
        GONC ARDN
ARQ1:   A=A+B W
        LC 1
        GONC ARDN
ARQ2:   A=A+B W
        LC 2
        GONC ARDN
ARQ3:   A=A+B W
        LC 3
        GONC ARDN
ARQ4:   A=A+B W
        LC 4
        GONC ARDN
ARQ5:   A=A+B W
        LC 5
        GONC ARDN
ARQ6:   A=A+B W
        LC 6
        GONC ARDN
ARQ7:   A=A+B W
        LC 7
        GONC ARDN
ARQ8:   A=A+B W
        LC 8
ARDN:   ?P=Q
        GOC ARDE
        ASL W
        GONC ARDL
ARDE:   ACEX W                  ; A = the quotient
        C=M
        GOLNC AROUT

; ---- The four operations in the register form ------------------------------------------

; FADD y + x, FSUB y - x, FMUL y * x, FDIV y / x (x = 0: ERRDATA).
; In: A = y, C = x. Out: C, rounded to ten digits (errors as WPACK). Changes A, B, C, M,
; P, Q, ST 0..2, DADD. Depth 2 (the wide routine, then WPACK by a jump).
FADD:   GSUBNC ARIN
        GSUBNC WADD
        GOLNC WPACK
FSUB:   GSUBNC ARIN
        GSUBNC WSUB
        GOLNC WPACK
FMUL:   GSUBNC ARIN
        GSUBNC WMUL
        GOLNC WPACK
FDIV:   GSUBNC ARIN
        SELQ
        PT= 1                   ; eleven quotient digits: ten and the rounding one
        SELP
        GSUBNC ARDV
        GOLNC WPACK
; ARIN: y and x from the register form to the wide one (A, B = y; C, M = x). Depth 1.
ARIN:   M=C
        C=0 X
        B=A W
        A=0 X
        RTN

; FINV 1/x (x = 0: ERRDATA), FSQ x^2 (In: C = x), FPCT y * x / 100 (In: A = y, C = x).
; Out: C, rounded to ten digits. Changes as FDIV, FMUL. Depth 2.
FINV:   ACEX W
        C=0 W
        PT= 12
        LC 1
        ACEX W                  ; A = 1
        GOLNC FDIV
FSQ:    A=C W
        GOLNC FMUL
FPCT:   GSUBNC ARIN
        SETDEC
        CMEX
        C=C-1 X
        C=C-1 X                 ; x / 100 (the wide form takes an exponent of -101)
        CMEX
        GSUBNC WMUL
        GOLNC WPACK

; ---- Square root ------------------------------------------------------------------------

; FSQRT: the square root of x, rounded to ten digits. In: C = x. Out: C. x < 0: ERRDATA.
; Changes A, B, C, M, P, Q, ST 0..2. Depth 2.
FSQRT:  GSUBNC WUNP
        SELQ
        PT= 2                   ; eleven digits of the root: ten and the rounding one
        SELP
        GSUBNC ARSQ
        GOLNC WPACK

; WSQRT: the square root in the wide form. In: C = mantissa, B = exponent. Out: C, B:
; twelve digits, cut; the error is below two units of the twelfth digit (the thirteenth
; digit of x is not used when its exponent is even). x < 0: ERRDATA.
; Changes A, B, C, M, P, Q, ST 0..2. Depth 1.
; ARSQ is the same with the root's last digit at Q (FSQRT takes eleven digits).
; How: digit by digit, on five times the radicand: the odd numbers 2k+1 that the square
; of a root grows by become 10k + 5, so the subtrahend is the root found so far followed
; by the digit being tried and a 5, and each subtraction that fits adds one to the digit.
WSQRT:  SELQ
        PT= 1
        SELP
ARSQ:   SETDEC
        ?C<>0 W
        RTNNC                   ; the root of 0 is 0
        ?C<>0 S
        GOLC ERRDATA
        M=C                     ; M = the mantissa
        ST=0 0
        ST=0 1
        ST=0 2
        C=B W
        C=0 S
        C=0 M                   ; C = e
        A=C W
        C=C+C XS                ; digit 2 of 5 or more carries: e < 0
        GONC ARSQ1
        ST=1 1                  ; ST 1: e < 0
        ACEX W
        C=-C X
        A=C W
        GONC ARSQ2
ARSQ1:  ACEX W
        A=C W
ARSQ2:  C=C+C W                 ; A = |e|
        C=C+C W
        C=A+C W                 ; 5|e|: it ends in 5 when e is odd
        PT= 0
        ?C<>0 PT
        GONC ARSQ4
        ST=1 2                  ; ST 2: e odd: the root of 10 m, and e - 1
        C=0 PT                  ; e > 0: 5(|e| - 1)
        ?ST=1 1
        GONC ARSQ4
        A=A+1 W                 ; e < 0: 5(|e| + 1)
        C=0 W
        C=A+C W
        C=C+C W
        C=C+C W
        C=A+C W
ARSQ4:  CSR W                   ; |e| / 2
        ?ST=1 1
        GONC ARSQ5
        C=-C X
ARSQ5:  BCEX W                  ; B = the root's exponent
        C=M
        ?ST=1 2
        GOC ARSQ6
        CSR W                   ; e even: the first root digit stays at digit 12
ARSQ6:  A=C W
        C=C+C W
        C=C+C W
        A=A+C W                 ; A = 5 times the radicand
        C=0 W
        PT= 11
        LC 5
        PT= 12
        GONC ARSQT
ARSQI:  C=C+1 PT                ; it fitted: the next digit
ARSQT:  A=A-C W
        GONC ARSQI
        A=A+C W                 ; the trial that did not fit
        ?P=Q
        GOC ARSQE
        DECPT
        LC 0                    ; the 5 becomes the next digit, tried from 0...
        LC 5                    ; ...with a 5 below it
        INCPT
        INCPT
        ASL W                   ; the remainder one place up: the next pair of digits
        GONC ARSQT
ARSQE:  DECPT
        LC 0
        ACEX W                  ; A = the root
        C=B W
        GOLNC AROUT

; ---- Parts of a number ------------------------------------------------------------------

; FABS |x|; FSIGN: 1 for x >= 0 (0 included, as on the HP-41), -1 for x < 0. In: C = x.
; Out: C. Changes C (FSIGN also P). Depth 1.
FABS:   C=0 S
        RTN
FSIGN:  C=0 M
        C=0 X
        PT= 12
        LC 1
        RTN

; FINT: the integer part of x (cut towards 0). FFRC: x - INT x. In: C = x. Out: C.
; Changes A, B, C, M, P, ST 0. Depth 2.
FINT:   SETDEC
        ?C<>0 XS
        GOC ARPZ2               ; |x| < 1: 0
        A=C W
        LDI 009
        ?A<C X
        GONC ARACX              ; e > 8: all ten digits are before the point
        ACEX W
        GSUBNC ARPTE
        A=C W
        C=0 WPT                 ; the digits after the point go...
        ACEX X                  ; ...the exponent stays
        RTN
ARACX:  ACEX W
        RTN
ARPZ2:  C=0 W
        RTN
FFRC:   SETDEC
        ?C<>0 XS
        RTNC                    ; |x| < 1: x
        A=C W
        LDI 009
        ?A<C X
        GONC ARPZ2              ; e > 8: 0
        ACEX W
        GSUBNC ARPTE
        A=C W
        C=0 WPT                 ; C = the integer part's digits
        A=A-C M                 ; A = the fraction's digits, exponent e
        ST=0 0
        ?A<>0 S
        GONC ARFR1
        ST=1 0
ARFR1:  A=0 S
        ACEX X
        M=C                     ; M = e, A = the digits
        GSUBNC ARNRM            ; normalised: the fraction's own exponent
        GOLNC WPACK

; ARPTE: P = 11 - e, the last digit after the point, for x in C with exponent e = 0..8.
; Changes A, P. Depth 1.
ARPTE:  A=C W
        PT= 11
ARPT1:  A=A-1 X
        RTNC
        DECPT
        GONC ARPT1

; FMOD: y mod x: y - x * floor(y / x), of the sign of x; x = 0 gives y. In: A = y, C = x.
; Out: C, rounded to ten digits (the remainder itself is exact; only |x| - r when the signs
; differ may need rounding). Changes A, B, C, M, N, P, Q, ST 0..4. Depth 2.
; How: the remainder of the mantissas by long division, one step for each power of ten
; between them (up to 199 steps).
FMOD:   SETDEC
        ?C<>0 W
        GONC ARACX              ; x = 0: y
        ?A<>0 W
        GONC ARPZ2              ; y = 0: 0
        ST=0 3
        ST=0 4
        ?C<>0 S
        GONC ARMD1
        ST=1 4                  ; ST 4: x < 0
ARMD1:  C=A+C S                 ; 9 if the signs differ
        C=C+1 S
        GONC ARMD2
        ST=1 3                  ; ST 3: they differ
ARMD2:  C=0 S
        N=C                     ; N = |x|
        A=0 S
        C=A-C X                 ; C[2..0] = k = ey - ex
        B=A W                   ; B = |y|
        A=C W
        C=C+C XS                ; k < 0 (digit 2 of 8 or 9) carries
        GOC ARMSM
        C=N
        C=0 X
        BCEX W                  ; B = the mantissa of |x|
        ACEX W                  ; C[2..0] = k
        A=0 X                   ; A = the mantissa of |y|
ARML:   A=A-B W
        GONC ARML
        A=A+B W
        C=C-1 X
        GOC ARMDN
        ASL W
        GONC ARML
ARMDN:  C=N
        M=C                     ; the remainder has the exponent of x
        ST=0 0
        GSUBNC ARNRM
        GONC ARMD3
ARMSM:  C=B W                   ; |y| < |x|: the remainder is |y|
        C=0 X
ARMD3:  ?C<>0 W
        RTNNC                   ; no remainder: 0
        ?ST=1 3
        GONC ARMD4
        BCEX W                  ; the signs differ: |x| - r
        M=C
        C=N
        A=C W
        A=0 X
        BCEX W
        GSUBNC WSUB
ARMD4:  ?ST=1 4
        GONC ARMD5
        C=-C-1 S                ; the sign of x (the result is not 0 here)
ARMD5:  SETDEC                  ; (the carry of the sign is not the jump's)
        GOLNC WPACK

; FFACT: x! for the integers 0..69. In: C = x. Out: C. x < 0 or not an integer: ERRDATA;
; above 69: ERRRANGE. Changes A, B, C, M, N, P, ST 0. Depth 3 (FFRC, then ARNRM).
; How: the product n (n - 1) ... 2 in the wide form; 69! has 99 digits, but each product
; is cut to 13, so the result is off by far less than the rounding unit.
FFACT:  SETDEC
        ?C<>0 W
        GOLNC ARONE             ; 0! = 1
        ?C<>0 S
        GOLC ERRDATA
        ?C<>0 XS
        GOLC ERRDATA            ; 0 < x < 1
        N=C
        GSUBNC FFRC
        ?C<>0 W
        GOLC ERRDATA            ; not an integer
        C=N
        A=C W
        LDI 002
        ?A<C X
        GOLNC ERRRANGE          ; 100 or more
        ACEX W
        A=C W                   ; A = C = x
        RCR 11                  ; C[1..0] = the first two digits
        C=0 M
        C=0 S
        ?A<>0 X
        GOC ARFC1               ; e = 1: both
        CSR X                   ; e = 0: the first
ARFC1:  A=C W
        LDI 070
        ?A<C X
        GOLNC ERRRANGE          ; above 69
        ACEX W
        N=C                     ; N = n, the next factor
        C=0 W
        B=0 W
        PT= 12
        LC 1
        A=C W                   ; the product so far: 1
ARFCL:  C=N
        C=C-1 X
        ?C<>0 X
        GONC ARFCE              ; the factor is 1: done
        N=C                     ; the one after it
        C=C+1 X
        RCR 3                   ; the factor's two digits to digits 12 and 11
        PT= 12
        ?C<>0 PT
        GOC ARFC2
        RCR 13                  ; one digit: to digit 12, exponent 0
        M=C
        GONC ARFC3
ARFC2:  C=C+1 X
        M=C                     ; two digits: exponent 1
        C=C-1 X
ARFC3:  GSUBNC WMUL
        ACEX W
        GONC ARFCL
ARFCE:  ACEX W
        GOLNC WPACK
ARONE:  C=0 W
        PT= 12
        LC 1
        RTN

; ---- Hours, minutes and seconds -------------------------------------------------------------

; ARWINT: a positive wide number split at its point. In: C = mantissa, B = exponent.
; Out: C = the digits before the point, A = those after it (both with the exponent in B;
; not normalised). Changes A, C, P. Depth 1.
WINT:
ARWINT: SETDEC
        ACEX W
        C=B W
        C=C+C XS                ; e < 0 (digit 2 of 5 or more) carries
        GOC ARWI3
        PT= 12
ARWI1:  DECPT
        C=C-1 X
        GOC ARWI2               ; P = 11 - e: the last digit after the point
        ?PT= 0
        GONC ARWI1
        ACEX W                  ; e > 11: no digit after the point
        A=0 W
        RTN
ARWI2:  ACEX W
        A=C W
        C=0 WPT
        A=A-C W
        RTN
ARWI3:  C=0 W                   ; e < 0: all after the point
        RTN

; ARSG5: C = -C when ST 5 is set and C is not 0. Depth 1.
ARSG5:  ?ST=1 5
        RTNNC
        ?C<>0 W
        RTNNC
        C=-C-1 S
        RTN

; ARKX: the x operand of a wide routine for a constant: M = the exponent register (C),
; C = 0 with P = 12, for LC to write the digits. Depth 1.
ARKX:   M=C
        C=0 W
        PT= 12
        RTN

; FHR: H.MMSSss to hours; FHMS: hours to H.MMSSss. In: C = x. Out: C, rounded to ten digits.
; FHMSADD, FHMSSUB: y +- x in H.MMSSss (In: A = y, C = x), added as seconds: 3600 HR y
; +- 3600 HR x is exact, and so is its way back (below), so only the last step rounds.
; Changes A, B, C, M, N, P, Q, ST 0..2, 5..7, DADD, RAM 0C0..0C3 and status register 10.
; Depth 3.
FHR:    ST=0 7
        GSUBNC ARHR
        GOLNC WPACK
FHMS:   SETDEC
        ST=0 5
        ?C<>0 S
        GONC ARHM1
        ST=1 5                  ; ST 5: x < 0
        C=0 S
ARHM1:  GSUBNC WUNP
        ACEX W
        LDI 003
        GSUBNC ARKX
        LC 3
        LC 6
        GSUBNC WMUL             ; the seconds (exact)
        GONC ARHA3
FHMSSUB: ST=1 6                 ; ST 6: subtract
        GONC ARHA0
FHMSADD: ST=0 6
ARHA0:  ST=1 7                  ; ST 7: ARHR gives seconds
        N=C
        ACEX W
        M=C
        LDI 0C0
        DADD=C
        C=M
        DATA=C                  ; 0C0 = y
        C=N
        GSUBNC ARHR             ; x in seconds
        M=C
        C=0 W
        DADD=C
        C=M
        REGN=C 10               ; status register 10 = its mantissa
        LDI 0C0
        DADD=C
        C=REGN 0
        BCEX W                  ; B = y
        DATA=C                  ; 0C0 = the exponent of x in seconds
        C=B W
        GSUBNC ARHR             ; y in seconds
        ACEX W
        LDI 0C0
        DADD=C
        C=REGN 0
        M=C
        C=0 W
        DADD=C
        C=REGN 10
        ?ST=1 6
        GOC ARHA1
        GSUBNC WADD
        GONC ARHA2
ARHA1:  GSUBNC WSUB
ARHA2:  ST=0 5
        ?C<>0 S
        GONC ARHA3
        ST=1 5
        C=0 S
ARHA3:  GSUBNC ARSHMS
        GSUBNC ARSG5
        GOLNC WPACK

; ARHR: H.MMSSss to hours (ST 7 clear) or to seconds (ST 7 set), in the wide form.
; In: C = x (register form). Out: C, B. Changes A, B, C, M, N, P, Q, ST 0..2, 5, DADD,
; RAM 0C1..0C3. Depth 2.
; With g = 100 (x - H) = MM.SSss and s = FRC g, the minutes and seconds in seconds are
; 60 MM + 100 s = 60 g + 40 s, exact; hours = H + that / 3600, seconds = 3600 H + that.
ARHR:   SETDEC
        ST=0 5
        ?C<>0 S
        GONC ARHR1
        ST=1 5                  ; ST 5: x < 0
        C=0 S
ARHR1:  M=C
        LDI 0C0
        DADD=C
        C=M
        GSUBNC WUNP
        GSUBNC ARWINT           ; C = the digits of H, A = those of the fraction
        C=B X
        REGN=C 1                ; 0C1 = H (register form)
        C=B W
        M=C
        ST=0 0
        GSUBNC ARNRM            ; C, B = x - H
        ?C<>0 W
        GOLNC ARHR9             ; no fraction
        BCEX W
        C=C+1 X
        C=C+1 X
        BCEX W                  ; g = 100 (x - H)
        C=B X
        REGN=C 2                ; 0C2 = g (register form)
        C=0 X
        GSUBNC ARWINT           ; A = the digits of s
        C=B W
        M=C
        ST=0 0
        GSUBNC ARNRM            ; C, B = s
        ACEX W
        LDI 001
        GSUBNC ARKX
        LC 4
        GSUBNC WMUL             ; 40 s
        REGN=C 3
        C=B W
        N=C                     ; 0C3, N = 40 s
        C=REGN 2
        GSUBNC WUNP
        ACEX W
        LDI 001
        GSUBNC ARKX
        LC 6
        GSUBNC WMUL             ; 60 g
        ACEX W
        C=N
        M=C
        C=REGN 3
        GSUBNC WADD             ; 60 g + 40 s
        ?ST=1 7
        GOC ARHR2
        ACEX W
        LDI 003
        GSUBNC ARKX
        LC 3
        LC 6
        GSUBNC WDIV             ; / 3600
        ACEX W
        C=REGN 1
        M=C
        C=0 X
        GSUBNC WADD             ; + H
        GOLNC ARSG5
ARHR2:  REGN=C 2                ; seconds: + 3600 H
        C=B W
        N=C
        C=REGN 1
ARHR3:  GSUBNC WUNP
        ACEX W
        LDI 003
        GSUBNC ARKX
        LC 3
        LC 6
        GSUBNC WMUL             ; 3600 H
        ACEX W
        C=N
        M=C
        C=REGN 2
        GSUBNC WADD
        GOLNC ARSG5
ARHR9:  ?ST=1 7                 ; no fraction: x itself...
        GONC ARHR8
        C=0 W                   ; ...or 3600 x
        GOLNC ARHR2
ARHR8:  C=REGN 1
        GSUBNC WUNP
        GOLNC ARSG5

; ARSHMS: seconds to H.MMSSss in the wide form. In: C, B = T >= 0. Out: C, B.
; Changes A, B, C, M, N, P, Q, ST 0..2, DADD, RAM 0C1..0C3. Depth 2.
; With H = INT(T / 3600) and MM = INT((T - 3600 H) / 60), H.MMSSss = (T + 6400 H + 40 MM)
; / 10^4. The quotients are cut, but their integer parts are right; T of twelve digits or
; fewer keeps every sum exact.
ARSHMS: SETDEC
        M=C
        LDI 0C0
        DADD=C
        C=B W
        REGN=C 2
        C=M
        REGN=C 1                ; 0C1, 0C2 = T
        ACEX W
        LDI 003
        GSUBNC ARKX
        LC 3
        LC 6
        GSUBNC WDIV
        GSUBNC ARWINT           ; H (0 below an hour)
        REGN=C 3
        C=B W
        N=C                     ; 0C3, N = H
        C=REGN 3
        ACEX W
        LDI 003
        GSUBNC ARKX
        LC 6
        LC 4
        GSUBNC WMUL             ; 6400 H
        ACEX W
        C=REGN 2
        M=C
        C=REGN 1
        GSUBNC WADD             ; T + 6400 H
        REGN=C 1
        ACEX W
        C=B W
        REGN=C 2                ; 0C1, 0C2 = T + 6400 H
        C=N
        C=C+1 X
        C=C+1 X
        C=C+1 X
        C=C+1 X
        M=C
        C=REGN 3
        GSUBNC WSUB             ; - 10^4 H: the seconds past the hour
        ACEX W
        LDI 001
        GSUBNC ARKX
        LC 6
        GSUBNC WDIV
        GSUBNC ARWINT           ; MM
        ACEX W
        LDI 001
        GSUBNC ARKX
        LC 4
        GSUBNC WMUL             ; 40 MM
        ACEX W
        C=REGN 2
        M=C
        C=REGN 1
        GSUBNC WADD             ; T + 6400 H + 40 MM
        BCEX W
        C=C-1 X
        C=C-1 X
        C=C-1 X
        C=C-1 X
        BCEX W                  ; / 10^4
        RTN

; ---- Octal --------------------------------------------------------------------------------

; FOCT: an integer, |x| <= 1073741823, written in octal (its digits read as decimal ones).
; FDEC: the other way: an integer below 1E10 whose digits are 0..7. In: C = x. Out: C, with
; the sign of x. Anything else: ERRDATA. Changes A, B, C, M, P, ST 0, 5. Depth 2.
FOCT:   GSUBNC ARINTN           ; C = n, units at digit 0
        A=C W
        C=0 W
        PT= 9
        LC 1
        LC 0
        LC 7
        LC 3
        LC 7
        LC 4
        LC 1
        LC 8
        LC 2
        LC 4                    ; 2^30
        ?A<C W
        GOLNC ERRDATA
        ACEX W
        B=0 W
        A=C W
        C=0 W
        C=C-1 X
        CMEX                    ; M = -1: the exponent, one more for each octal digit
        ACEX W
        PT= 12
; n = 8 q + r: 125 n = 1000 q + 125 r, so q and r come out of one product.
AROL:   CMEX
        C=C+1 X
        CMEX
        A=C W
        C=C+C W
        C=C+C W
        C=A+C W
        A=C W
        C=C+C W
        C=C+C W
        C=A+C W
        A=C W
        C=C+C W
        C=C+C W
        C=A+C W                 ; 125 n
        A=C W
        C=0 M
        C=0 S                   ; 125 r
        C=C+C W
        C=C+C W
        C=C+C W                 ; 1000 r
        RCR 5                   ; r to digit 12
        BSR W
        BCEX PT                 ; the digits so far one place down, r on top
        ACEX W
        C=0 X
        RCR 3                   ; q
        ?C<>0 W
        GOC AROL
        C=M
        A=C W
        C=B W
        ACEX X                  ; the octal digits, and their exponent
        GOLNC ARSG5
FDEC:   GSUBNC ARINTN           ; C = n, units at digit 0
        A=0 W                   ; the value
        B=0 W
        ABEX W
        A=A+1 W
        ABEX W                  ; B = 8^i, the weight of the digit at C[0]
        PT= 0
ARDCL:   C=C-1 PT
        GOC ARDCN
        A=A+B W
        C=C-1 PT
        GOC ARDCN
        A=A+B W
        C=C-1 PT
        GOC ARDCN
        A=A+B W
        C=C-1 PT
        GOC ARDCN
        A=A+B W
        C=C-1 PT
        GOC ARDCN
        A=A+B W
        C=C-1 PT
        GOC ARDCN
        A=A+B W
        C=C-1 PT
        GOC ARDCN
        A=A+B W
        C=C-1 PT
        GOLNC ERRDATA           ; a digit 8 or 9
ARDCN:   CSR W
        ?C<>0 W
        GONC ARDCD
        M=C
        C=B W
        C=C+C W
        C=C+C W
        C=C+C W
        BCEX W
        C=M
        GONC ARDCL
ARDCD:   C=0 W
        LDI 012
        M=C                     ; A / 10^12 times 10^12
        ST=0 0
        GSUBNC ARNRM
        GSUBNC WPACK
        GOLNC ARSG5

; ARINTN: x as an integer n >= 0 in C, its units at digit 0 (n < 1E10); its sign in ST 5.
; x = 0 gives 0; not an integer, or 1E10 or more: ERRDATA. Changes A, C, P, ST 5. Depth 1.
ARINTN: SETDEC
        ST=0 5
        ?C<>0 W
        RTNNC
        ?C<>0 S
        GONC ARIN1
        ST=1 5
        C=0 S
ARIN1:  ?C<>0 XS
        GOLC ERRDATA            ; below 1
        A=C W
        LDI 010
        ?A<C X
        GOLNC ERRDATA           ; 1E10 or more
        ACEX W
        A=C W
        C=0 X
        RCR 3                   ; n 10^(9 - e)
        PT= 0
ARIN2:  A=A+1 PT
        RTNC                    ; e reached 10: 9 - e shifts done
        ?C<>0 PT
        GOLC ERRDATA            ; a digit after the point: not an integer
        CSR W
        GONC ARIN2
