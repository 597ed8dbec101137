; ===========================================================================================
;  VALDOR demonstration firmware
;
;  A small open firmware for the emulated Nut CPU: it greets, echoes keys, adds numbers (and
;  prints them), runs a stopwatch on the timer chip and changes the display contrast. It is
;  meant to be read: the comments explain the microcode as it goes.
;
;  Build:  nutasm -o demo.rom -s Entries.A -l demo.lst demo.asm
;  Load:   VALDOR.Ini  [ROM] Modules=1  Module1=0 demo.rom
;
;  Keys
;    ON          off (deep sleep); ON again switches on
;    0..9        type a number (up to nine digits)
;    CHS         change the sign of the number typed
;    <- (BKSP)   remove the last digit; with nothing typed, clear the total
;    + / -       add the number to the total, or subtract it
;    ENTER       show the total
;    R/S         start and stop the stopwatch; SST sets it to zero
;    * and /     display contrast up and down
;    other keys  show their legend and key code: "KEY 71 SIN"
;  With the printer on, + and - print the number and the new total, ENTER prints the total,
;  the printer's PRINT button prints the total and its ADV button feeds a blank line.
;
;  The machine in a few lines
;  - Registers A, B and C hold 14 digits of 4 bits each; digit 0 is the least significant.
;    M and N are places to keep C. P and Q are digit pointers; one of them is active (SELP,
;    SELQ) and LC, PT= and the field PT use it.
;  - Arithmetic ("A=A+C W") works on a field of digits: W all 14, X digits 0..2, XS digit 2,
;    M digits 3..12, S digit 13, PT the digit at the active pointer, WPT 0 up to it, PQ P to Q.
;    SETHEX and SETDEC choose hexadecimal or decimal digits.
;  - A test sets the carry, and only the very next word sees it: "?C<>0 W" then "GOC there".
;    Every other instruction leaves the carry 0, so "GONC" after it always jumps and "GSUBNC"
;    always calls. GOC/GONC reach 64 words back and 63 forward; GOLC/GOLNC/GSUBC/GSUBNC
;    (two words) reach everywhere. The return stack holds four addresses.
;  - C is the way to everything else: DADD=C selects a RAM register (C=REGN n / REGN=C n
;    then read and write register n of its group of 16), PFAD=C a peripheral. A RAM register
;    that exists always wins over a peripheral, so before talking to the display or the timer
;    we point the data address at 3F0, where no HP-41 has RAM.
;  - The printer is a smart peripheral: after SELPF 9 the next words go to the printer
;    instead of the CPU, until one with bit 0 set (the assembler writes RTNUT for that bit).
;  - POWOFF puts the CPU to sleep; it wakes at address 0. With the display on the sleep is
;    light and any key wakes it; with the display off it is deep and only ON does.
;
;  Memory
;    0000-01FE  program        01FF  GOKEYS     0200-02FF  key jumps
;    0300-03FF  key data and legends            0400-      more program
;  RAM registers 1 (total), 2 (number typed), 3 (digits typed, sign) are kept in the RAM
;  image, so the total survives switching off and restarting the emulator.
;  Status bits: ST 0, 1, 3, 4 are the arguments of NUMOUT; ST 9 says "subtract".
; ===========================================================================================

        .org 0000

; --- Waking up --------------------------------------------------------------------------
; Execution starts at 0 after a reset and after every sleep. The carry the CPU hands to the
; first word is 1 after a reset or a deep sleep (POWOFF with the display off) and 0 after a
; light one: a conditional long jump tells them apart.
POWERON: GOLC COLD

; A light sleep ended: a key, or a button of the printer.
WARM:   GSUBNC SETUP
        CHKKB                   ; carry: a key is down, or has not been let go
        GOC KEY
        SELPF 9                 ; ask the printer for its status word...
        RDTPRN                  ; ...into C[13..10], and give control back (RDTPR, bit 0 set)
        RCR 13                  ; rotate: C[0] = status bits 15..12
        ST=C                    ; ST 0..3 = C[0]: ST 1 is the PRINT button, ST 0 ADV
        ?ST=1 1
        GOC PRINTBTN
        ?ST=1 0
        GOC ADVBTN
        GOLNC SLEEP             ; something else woke us: back to sleep

KEY:    C=0 X
        DATA=C                  ; annunciators off (DATA=C writes them at PfAd FD)
        GOLNC DISPATCH

; The printer's buttons: PRINT prints the total, ADV feeds a blank line.
PRINTBTN: GSUBNC PRTOTAL
        GONC BTNUP
ADVBTN: SELPF 9
        ?PFSET 1 RTNUT          ; carry = the printer is on
        GONC BTNUP
        LDI 0A0                 ; "skip no characters": a line with nothing on it
        GSUBNC PRBYTE
        LDI 0E0                 ; end of line
        GSUBNC PRBYTE
; A held button keeps waking the CPU: wait until it is let go.
BTNUP:  SELPF 9
        RDTPRN
        RCR 13
        ST=C
        ?ST=1 1
        GOC BTNUP
        ?ST=1 0
        GOC BTNUP
        GOLNC SLEEP

; --- Cold start -------------------------------------------------------------------------
COLD:   GSUBNC SETUP
        DISOFF
        DISTOG                  ; off, then toggled: the display is on, whatever it was
        C=0 X
        DADD=C                  ; RAM registers 0..15
        C=0 W
        REGN=C 2                ; nothing typed yet (the total in register 1 stays)
        REGN=C 3
        GSUBNC SETUP
        C=0 W
        PT= 2                   ; LC loads C from the active pointer downwards:
        LC 4                    ; C[2..0] = 403, the annunciators USER, PRGM and ALPHA
        LC 0
        LC 3
        DATA=C
        GSUBNC SHOWMSG          ; the text follows the call
        .lcd " VALDOR DEMO"
        GOLNC SLEEP

; --- Going to sleep ---------------------------------------------------------------------
; Waits until the key is let go and the keyboard flag is clear (RSTKB clears it only then):
; otherwise the same key would wake us again at once. Then sleeps, lightly if the display is
; on. With PfAd at the display, a light sleep turns the display off after ten minutes.
SLEEP:  RSTKB
        CHKKB
        GOC SLEEP
        GSUBNC SETUP
        POWOFF

; The ON key: display off, so that the sleep is deep and only ON ends it.
OFF:    DISOFF
        GOLNC SLEEP

; SETUP: hexadecimal digits, data address 3F0 (no RAM there, so register numbers reach the
; peripheral; REGN=C n and C=REGN n change only the low digit), peripheral address FD (the
; display). Changes C[2..0].
SETUP:  SETHEX
        LDI 3F0                 ; LDI: the next word is a constant, into C[2..0]
        DADD=C
        LDI 0FD
        PFAD=C
        RTN

; --- Display texts ----------------------------------------------------------------------
; A text is one word per position: bits 3..0 go to the display's register A, bits 7..4 to
; register B (character bits 4..5, and the punctuation), bit 8 to register C (character bit
; 6). Bit 9 marks the last word. The .lcd directive writes such words.

; SHOWMSG: shows the text that follows the GSUBNC, then continues after it.
SHOWMSG: C=0 W
        C=STK                   ; pop the return address into C[6..3]: the text's first word
        GSUBNC SHOWAT
        GOTOC                   ; jump to C[6..3], the word after the text

; SHOWAT: shows the text at C[6..3], shifting it in at the right end of the display. Returns
; with C[6..3] just past it. Uses A and C.
SHOWAT: A=0 W
        A=A+1 XS                ; A[2] = 1: a word whose digit 2 is more than 1 is the last
SHOWAT1: CXISA                  ; C[2..0] = the ROM word at C[6..3]
        REGN=C 15               ; display write 15: registers A, B, C, one character, right end
                                ; (always all three: a write that leaves out register C
                                ; would not move it along with the others)
        C=C+1 M                 ; the address, in digits 3..6, moves on
        ?A<C XS                 ; carry: that was the last word
        GONC SHOWAT1
        RTN

; HEXOUT: shows C[0] (C[13..1] = 0) as a hexadecimal digit. Uses A and C.
HEXOUT: A=C W
        LDI 009
        ACEX W                  ; A[2..0] = 009, C = the digit
        ?A<C X                  ; 9 < digit: a letter
        GOC HEXLET
        PT= 1
        LC 3                    ; the digits 0..9 are the codes 30..39
        GONC HEXPUT             ; (LC leaves the carry 0: this always jumps)
HEXLET: ACEX W
        A=A-C X                 ; digit - 9: A..F are the codes 01..06
        ACEX W
HEXPUT: REGN=C 15               ; (C[2] is 0)
        RTN

; --- Numbers ----------------------------------------------------------------------------
; NUM9: writes the nine low digits of C (see NUMOUT; ten positions).
NUM9:   RCR 9                   ; rotate right by 9: digit 8 comes to digit 13
        A=C W
        SELQ
        PT= 8                   ; Q counts the digits still to go, less one
        SELP
; NUMOUT: writes a number digit by digit, to the display (at its right end) or the printer.
; In: A = the digits, the first in A[13]; Q = number of digits - 1; P active.
;     ST 1: a point before the last two digits, and at least "0.00";
;     ST 3: to the printer (then leading blanks are left out); ST 4: a minus sign.
; n digits take n + 1 places: the sign's place is just before the first digit shown.
; Uses A, B, C, P, Q, ST 0.
NUMOUT: SETHEX
        ST=0 0                  ; ST 0: the digits have begun
NUMNXT: C=0 W
        C=A+C S                 ; C[13] = the next digit
        ASL W                   ; A moves up for the one after it
        RCR 13                  ; rotate left by one: C[0] = this digit, the rest 0
        ?ST=1 0
        GOC NUMDIG              ; past the leading zeros every digit shows
        ?C<>0 W
        GOC NUMSGN              ; the first digit that is not zero
        SELQ                    ; ?PT= tests the active pointer: make it Q for a moment
        ?PT= 0
        GOC NUMSGQ              ; the last digit shows, even when it is 0
        ?ST=1 1
        GONC NUMBLQ
        ?PT= 2                  ; with the point, "0.00" shows in full
        GOC NUMSGQ
NUMBLQ: SELP
        ?ST=1 3
        GOC NUMSTP              ; the printer leaves leading blanks out
        PT= 1
        LC 2                    ; C[1..0] = 20, a blank
        GSUBNC OUTCH
        GONC NUMSTP
NUMSGQ: SELP
NUMSGN: ST=1 0
        BCEX W                  ; keep the digit in B while the sign goes out
        C=0 W
        PT= 1
        LC 2                    ; 20, a blank...
        ?ST=1 4
        GONC NUMPLUS
        LC 13                   ; ...or 2D, a minus sign
        GONC NUMSGO
NUMPLUS: ?ST=1 3
        GOC NUMSGD              ; the printer leaves the blank out
NUMSGO: GSUBNC OUTCH
NUMSGD: C=B W
NUMDIG: PT= 1
        LC 3                    ; 3d: the digit d, for the display and the printer alike
        ?ST=1 1
        GONC NUMPUT
        SELQ
        ?PT= 2
        GONC NUMPTQ
        SELP
        PT= 1
        LC 7                    ; register B = 3 + 4: the same digit with a point after it
        GONC NUMPUT
NUMPTQ: SELP
NUMPUT: GSUBNC OUTCH
NUMSTP: SELQ
        ?PT= 0
        GOC NUMEND              ; that was the last digit
        DECPT
        SELP
        GONC NUMNXT
NUMEND: SELP
        RTN

; OUTCH: one character C[1..0] to the display, or with ST 3 as a byte to the printer.
OUTCH:  ?ST=1 3
        GOC PRBYTE
        REGN=C 15               ; (C[2] is 0: register C of the display gets its 0 too)
        RTN
; PRBYTE: sends the byte C[1..0] to the printer. The printer collects a line; E0 ends it
; (left-justified), E8 ends it right-justified.
PRBYTE: SELPF 9                 ; the printer takes the next word...
        PRINTC RTNUT            ; ...prints C[1..0], and gives control back (bit 0 set)
        RTN

; --- The key dispatch -------------------------------------------------------------------
; GOKEYS jumps to the word whose low byte is the key code, in the 256-word block of the word
; after it. The codes are column x 16 + row: 1x, 3x, 7x, 8x and Cx for the five columns.
; Each entry is one word, so it jumps (GONC: the carry is 0 after GOKEYS) to a nearby long
; jump that goes on to the handler.
        .org 01FF
DISPATCH: GOKEYS

        .org 0200
NOKEY:  GOLNC SLEEP             ; code 00: no key after all

        .org 0210
        GONC J1ECHO             ; 10 sigma+
        GONC J1ECHO             ; 11 x<>y
        GONC J1ECHO             ; 12 shift
        GONC J1TOTAL            ; 13 ENTER
        GONC J1SUB              ; 14 -
        GONC J1ADD              ; 15 +
        GONC J1CUP              ; 16 *
        GONC J1CDOWN            ; 17 /
        GONC J1OFF              ; 18 ON
J1ECHO: GOLNC ECHO
J1TOTAL: GOLNC TOTAL
J1SUB:  GOLNC SUB
J1ADD:  GOLNC ADD
J1CUP:  GOLNC CUP
J1CDOWN: GOLNC CDOWN
J1OFF:  GOLNC OFF

        .org 0230
        GONC J3ECHO             ; 30 1/x
        GONC J3ECHO             ; 31 R-down
        GONC J3ECHO             ; 32 XEQ
        GONC NOKEY              ; 33: no key has this code
        GONC J3DIGIT            ; 34 7
        GONC J3DIGIT            ; 35 4
        GONC J3DIGIT            ; 36 1
        GONC J3DIGIT            ; 37 0
J3ECHO: GOLNC ECHO
J3DIGIT: GOLNC DIGIT

        .org 0270
        GONC J7ECHO             ; 70 square root
        GONC J7ECHO             ; 71 SIN
        GONC J7ECHO             ; 72 STO
        GONC J7CHS              ; 73 CHS
        GONC J7DIGIT            ; 74 8
        GONC J7DIGIT            ; 75 5
        GONC J7DIGIT            ; 76 2
        GONC J7ECHO             ; 77 decimal point
        .org 0280
        GONC J7ECHO             ; 80 LOG
        GONC J7ECHO             ; 81 COS
        GONC J7ECHO             ; 82 RCL
        GONC J7ECHO             ; 83 EEX
        GONC J7DIGIT            ; 84 9
        GONC J7DIGIT            ; 85 6
        GONC J7DIGIT            ; 86 3
        GONC J7WATCH            ; 87 R/S
J7ECHO: GOLNC ECHO
J7DIGIT: GOLNC DIGIT
J7CHS:  GOLNC CHS
J7WATCH: GOLNC WATCH

        .org 02C0
        GONC JCECHO             ; C0 LN
        GONC JCECHO             ; C1 TAN
        GONC JCZERO             ; C2 SST
        GONC JCBACK             ; C3 back arrow
        GONC JCECHO             ; C4 ALPHA
        GONC JCECHO             ; C5 PRGM
        GONC JCECHO             ; C6 USER
JCECHO: GOLNC ECHO
JCZERO: GOLNC WATCHZERO
JCBACK: GOLNC BACK

; --- Key data ---------------------------------------------------------------------------
; One word per key code at 0300 + code, read with CXISA: the digit of a digit key, or the
; address of the legend that ECHO shows. The legends fill the gaps, five positions each.
        .org 0310
        .word LSIGMA, LXY, LSHIFT
        .org 0330
        .word LRECIP, LRDN, LXEQ
        .org 0334
        .word 7, 4, 1, 0
        .org 0338
LSIGMA: .lcd "Σ+   "
LXY:    .lcd "X<>Y "
LSHIFT: .lcd "SHIFT"
LRECIP: .lcd "1/X  "
LRDN:   .lcd "RDN  "
LXEQ:   .lcd "XEQ  "
LSQRT:  .lcd "SQRT "
LSIN:   .lcd "SIN  "
LSTO:   .lcd "STO  "
LPOINT: .lcd "POINT"
LLOG:   .lcd "LOG  "
        .org 0370
        .word LSQRT, LSIN, LSTO
        .org 0374
        .word 8, 5, 2, LPOINT
        .org 0380
        .word LLOG, LCOS, LRCL, LEEX, 9, 6, 3
        .org 0388
LCOS:   .lcd "COS  "
LRCL:   .lcd "RCL  "
LEEX:   .lcd "EEX  "
LLN:    .lcd "LN   "
LTAN:   .lcd "TAN  "
LALPHA: .lcd "ALPHA"
LPRGM:  .lcd "PRGM "
LUSER:  .lcd "USER "
        .org 03C0
        .word LLN, LTAN
        .org 03C4
        .word LALPHA, LPRGM, LUSER

; ===========================================================================================
        .org 0400

; --- Key echo ---------------------------------------------------------------------------
; "KEY 71 SIN  ": the key code from C=KEYS, and the legend from the key data.
ECHO:   GSUBNC SHOWMSG
        .lcd "KEY "
        C=0 W
        C=KEYS                  ; C[4..3] = the key code
        RCR 4                   ; C[0] = its high digit (the low one went round to C[13])
        C=0 S
        GSUBNC HEXOUT
        C=0 W
        C=KEYS
        PT= 4
        LC 0                    ; drop the high digit
        RCR 3                   ; C[0] = the low digit
        GSUBNC HEXOUT
        GSUBNC SHOWMSG
        .lcd " "
        GSUBNC KEYWORD          ; C[2..0] = the legend's address
        C=0 M
        RCR 11                  ; rotate left by 3: the address moves to C[6..3]
        GSUBNC SHOWAT
        GOLNC SLEEP

; KEYWORD: C[2..0] = the key data word of the key in KEYS (C[6..3] its address).
KEYWORD: C=0 W
        C=KEYS
        PT= 5
        LC 3                    ; C[6..3] = 03kk
        CXISA
        RTN

; --- The adding machine -----------------------------------------------------------------
; Numbers are decimal digits; a negative total is kept as its ten's complement (0 - x, with
; 9s in the high digits), which decimal addition handles without a sign.

; A digit key: the number typed times ten, plus the digit.
DIGIT:  GSUBNC KEYWORD
        C=0 M                   ; C = the digit
        M=C
        C=0 X
        DADD=C                  ; RAM registers 0..15
        C=REGN 3                ; C[0] = digits typed so far, C[1] = 1 for minus
        A=C W
        B=A W                   ; B = the same (there is no B=C)
        LDI 009
        PT= 0
        ?A<C PT                 ; fewer than nine digits?
        GONC DIGFULL
        C=B W
        C=C+1 PT                ; one digit more
        REGN=C 3
        C=REGN 2
        A=C W
        ASL W                   ; shift left by one digit: times ten
        C=M
        A=A+C W
        ACEX W
        REGN=C 2
DIGFULL: GOLNC SHOWENTRY

; CHS: the sign of the number typed, bit 0 of C[1], seen as status bit 4.
CHS:    C=0 X
        DADD=C
        C=REGN 3
        ST=C                    ; ST 0..3 = C[0], ST 4..7 = C[1]
        ?ST=1 4
        GOC CHSPLUS
        ST=1 4
        GONC CHSPUT
CHSPLUS: ST=0 4
CHSPUT: C=ST                    ; and back into C[1..0]
        REGN=C 3
        GOLNC SHOWENTRY

; Back arrow: one digit less, or with none typed, the total cleared.
BACK:   C=0 X
        DADD=C
        C=REGN 3
        PT= 0
        ?C<>0 PT
        GONC CLEAR
        C=C-1 PT
        REGN=C 3
        C=REGN 2
        CSR W                   ; shift right: the last digit typed drops out
        REGN=C 2
        GOLNC SHOWENTRY
CLEAR:  C=0 W
        REGN=C 3
        REGN=C 1
        GOLNC SHOWTOTAL

; + and -: the total changes by the number typed; the printer gets both.
ADD:    ST=0 9
        GONC ADDSUB
SUB:    ST=1 9
ADDSUB: C=0 X
        DADD=C
        C=REGN 3
        ST=C                    ; ST 4: the number typed is negative
        C=REGN 2
        SETDEC
        ?ST=1 4
        GONC ADDSUB1
        C=-C W                  ; 0 - C, in decimal: the ten's complement
ADDSUB1: ?ST=1 9
        GONC ADDSUB2
        C=-C W
ADDSUB2: A=C W
        C=REGN 1
        A=A+C W                 ; decimal addition over all 14 digits
        ACEX W
        REGN=C 1
        SETHEX
        GSUBNC PRENTRY
        GSUBNC PRTOTAL
        C=0 X
        DADD=C
        C=0 W
        REGN=C 2                ; ready for the next number
        REGN=C 3
        GOLNC SHOWTOTAL

; ENTER: shows and prints the total; a number typed is dropped.
TOTAL:  C=0 X
        DADD=C
        C=0 W
        REGN=C 2
        REGN=C 3
        GSUBNC PRTOTAL
        GOLNC SHOWTOTAL

; SHOWENTRY: the number typed, with its sign; then sleep.
SHOWENTRY: C=0 X
        DADD=C
        C=REGN 3
        ST=C                    ; ST 4: minus
        C=REGN 2
        N=C
        GSUBNC SETUP
        GSUBNC SHOWMSG
        .lcd "  "
        C=N
        ST=0 1
        ST=0 3
        GSUBNC NUM9
        GOLNC SLEEP

; SHOWTOTAL: "Σ=" and the total (its nine low digits); then sleep.
SHOWTOTAL: C=0 X
        DADD=C
        C=REGN 1
        GSUBNC SIGNED
        N=C
        GSUBNC SETUP
        GSUBNC SHOWMSG
        .lcd "Σ="
        C=N
        ST=0 1
        ST=0 3
        GSUBNC NUM9
        GOLNC SLEEP

; SIGNED: C = a number, perhaps in ten's complement -> C = its size, ST 4 = negative.
SIGNED: ST=0 4
        ?C<>0 S                 ; negative numbers have 9 in digit 13
        RTNNC
        ST=1 4
        SETDEC
        C=-C W
        SETHEX
        RTN

; PRENTRY: prints the number typed and "+" or "-" (ST 9), when the printer is on.
PRENTRY: SELPF 9
        ?PFSET 1 RTNUT          ; carry: the printer is on
        RTNNC
        C=0 X
        DADD=C
        C=REGN 3
        ST=C
        C=REGN 2
        ST=1 3
        ST=0 1
        GSUBNC NUM9
        LDI 020                 ; " "
        GSUBNC PRBYTE
        LDI 02B                 ; "+"
        ?ST=1 9
        GONC PRENTRY1
        LDI 02D                 ; "-"
PRENTRY1: GSUBNC PRBYTE
        LDI 0E8                 ; end of line, right-justified
        GOLNC PRBYTE            ; its RTN returns to our caller

; PRTOTAL: prints the total and "*", when the printer is on.
PRTOTAL: SELPF 9
        ?PFSET 1 RTNUT
        RTNNC
        C=0 X
        DADD=C
        C=REGN 1
        GSUBNC SIGNED
        ST=1 3
        ST=0 1
        GSUBNC NUM9
        LDI 020
        GSUBNC PRBYTE
        LDI 02A                 ; "*"
        GSUBNC PRBYTE
        LDI 0E8
        GOLNC PRBYTE

; --- Display contrast -------------------------------------------------------------------
; Peripheral address 10 holds the contrast: C=REGN 5 reads it into C[0], REGN=C 5 sets it.
CUP:    GSUBNC CONTRAST
        C=C+1 PT
        GONC CSET
        LC 15                   ; it was 15 already
        GONC CSET
CDOWN:  GSUBNC CONTRAST
        C=C-1 PT
        GONC CSET
        LC 0                    ; it was 0 already
CSET:   REGN=C 5
        N=C
        GSUBNC SETUP
        GSUBNC SHOWMSG
        .lcd "CONTRAST "
        C=N
        SETDEC
        A=0 W
        C=A+C X                 ; adding 0 in decimal turns 10..15 into 1 0..1 5
        SETHEX
        RCR 2                   ; the tens digit to C[13]
        A=C W
        SELQ
        PT= 1                   ; two digits
        SELP
        ST=0 1
        ST=0 3
        ST=0 4
        GSUBNC NUMOUT
        GOLNC SLEEP

; CONTRAST: C[0] = the contrast, P = 0.
CONTRAST: GSUBNC SETUP
        LDI 010
        PFAD=C
        C=REGN 5
        PT= 0
        RTN

; --- Stopwatch --------------------------------------------------------------------------
; Clock B of the timer chip (peripheral FB) counts hundredths of a second in decimal digits.
; REGN=C 14 and 15 select the B or the A registers; with B selected, C=REGN 0 reads clock B
; and REGN=C 0 sets it; REGN=C 12 stops the selected clock, 13 starts it. C=REGN 3 with A
; selected reads the status: bit 7 says that clock B runs.

; R/S: start or stop.
WATCH:  GSUBNC TIMER
        C=REGN 3                ; C[1..0] = status bits 7..0
        ST=C
        ?ST=1 7
        GOC WATCHSTOP
        REGN=C 14               ; clock B
        C=REGN 0                ; it stands, so this is where it stopped
        N=C
        REGN=C 13               ; run
        C=REGN 0                ; the chip adds the time it stood still...
        C=N
        REGN=C 0                ; ...so set it back: it counts on from where it stopped
        REGN=C 15
WATCHHOLD: GSUBNC WATCHSHOW     ; shown live while R/S is still down,
        RSTKB
        CHKKB
        GOC WATCHHOLD
WATCHRUN: GSUBNC WATCHSHOW      ; and then until any key
        CHKKB
        GONC WATCHRUN
        GOLNC KEY               ; that key does what it always does

WATCHSTOP: REGN=C 14
        C=REGN 0                ; bring clock B up to this moment: a stopped clock is not
        REGN=C 12               ; updated any more; then stop it
        REGN=C 15
WATCHEND: GSUBNC WATCHSHOW
        C=0 X
        DATA=C                  ; the running annunciator off
        GOLNC SLEEP

; SST: stop and set to zero.
WATCHZERO: GSUBNC TIMER
        REGN=C 14
        REGN=C 12
        C=0 W
        REGN=C 0
        REGN=C 15
        GONC WATCHEND

; TIMER: the timer chip, its A registers.
TIMER:  GSUBNC SETUP
        LDI 0FB
        PFAD=C
        REGN=C 15
        RTN

; WATCHSHOW: "SW" and clock B in seconds, "SW      12.34", and the annunciator PRGM. Leaves
; PfAd at the display.
WATCHSHOW: GSUBNC TIMER
        REGN=C 14
        C=REGN 0
        REGN=C 15
        N=C
        LDI 0FD
        PFAD=C
        GSUBNC SHOWMSG
        .lcd "SW"
        C=N
        ST=1 1
        ST=0 3
        ST=0 4
        GSUBNC NUM9
        LDI 002
        DATA=C                  ; annunciator PRGM
        RTN
