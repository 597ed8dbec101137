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
;  except that a sum whose digits cancel may lose its last one (then the error is below
;  one unit of the 13th digit); WSQRT cuts to 12 digits. They check no range: keep the
;  exponents within -499..499. WPACK rounds to the register form and checks the range.
;  To change the sign of a wide or register-form number that is not 0: SETDEC, C=-C-1 S.
;
;  ---- Routines ---------------------------------------------------------------------------
;  Register form (A = y, C = x, result in C; errors jump to ERRDATA / ERRRANGE):
;    FADD y+x   FSUB y-x   FMUL y*x   FDIV y/x (x = 0: ERRDATA)   FPCT y*x/100
;    FINV 1/x (x = 0: ERRDATA)   FSQ x^2   FSQRT (x < 0: ERRDATA)
;    FINT FFRC FABS FSIGN   FMOD y mod x (the sign of x; x = 0 gives y)
;    FFACT x! (0..69; not an integer or negative: ERRDATA; above 69: ERRRANGE)
;    FHMS FHR (hours <-> H.MMSSss)   FHMSADD FHMSSUB (y +- x in H.MMSSss)
;    FOCT FDEC (integers; DEC of a number with a digit 8 or 9: ERRDATA)
;  Every result is the exact one rounded half away from zero to ten digits. A result of
;  1E100 or more in size is an OUT OF RANGE error, or +-9.999999999E99 with flag 24 set;
;  below 1E-99 it is 0.
;  Wide form (above): WUNP WPACK WADD WSUB WMUL WDIV WSQRT.
;
;  ---- What they change -------------------------------------------------------------------
;  All of them may change A, B, C, M, G, P, Q (the active pointer is P on return), ST 0..3
;  and DADD, and return in decimal mode (SETDEC). The wide routines keep N, ST 4..7 and
;  RAM; the register-form ones may also change N, ST 4..7, status registers 9 (Q, digits
;  0..12) and 10, and RAM 0C0..0C3.
;  Depth: the wide routines 1 (they call nothing; a range error leaves WPACK by a jump),
;  the register-form ones at most 2 (they call the wide ones). trans.asm and trig.asm may
;  therefore call the wide routines from three levels down.
; ===========================================================================================
