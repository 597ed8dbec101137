; ===========================================================================================
;  print.asm: the 82143A printer.
;
;  The printer is peripheral 9: after SELPF 9 its words follow (PRINTC sends C[1..0],
;  RDTPR reads its status into C[13..10], ?PFSET 1 asks whether it is on) until one with
;  bit 0 set (RTNUT) hands back to the CPU. A line ends with E0 (left-justified) or E8
;  (right-justified); A0 + n skips n characters.
;  - Its PRINT button prints X as the display shows it, ADV feeds a line (both wake the
;    calculator from a light sleep, with no key down).
;  - With the mode switch at TRACE every function that ends with X shown prints its name,
;    then X (keys.asm keeps the function's code in e[12..11] for that).
;  Printed characters are the display's: what it shows is read back from the display driver
;  and each character, with its punctuation mark after it, becomes the printer's code.
; ===========================================================================================

; PRBTN — a printer button (no key) woke the calculator; a number being typed ends.
; Depth 0.
PRBTN:  GSUBNC ENEND
        SELPF 9
        RDTPRN
        RCR 13
        ST=C                    ; ST 1 PRINT, ST 0 ADV
        ?ST=1 1
        GOC PRBP
        ?ST=1 0
        GONC PRBUP
        SELPF 9
        ?PFSET 1 RTNUT
        GONC PRBUP
        LDI 0A0                 ; a line with nothing on it
        GSUBNC PRBYTE
        LDI 0E0
        GSUBNC PRBYTE
        GONC PRBUP
PRBP:   SELPF 9
        ?PFSET 1 RTNUT
        GONC PRBUP
        GSUBNC DSX
        GSUBNC PRDISP
PRBUP:  SELPF 9                 ; a held button keeps waking the calculator: wait for it
        RDTPRN
        RCR 13
        ST=C
        ?ST=1 1
        GOC PRBUP
        ?ST=1 0
        GOC PRBUP
        GOLNC KYSHOW

; PRTRACE — in TRACE mode, with the printer on, after a function (e[12..11] its code):
; its name, then X. Returns at once otherwise. Changes: A, B, C, M, N, P, Q, ST 0..7, base,
; DADD, PFAD. Depth 3.
PRTRACE: SELPF 9
        RDTPRN
        RCR 13
        ST=C                    ; ST 3: TRACE
        ?ST=1 3
        RTNNC                   ; (e[12..11] clears at the next key)
        SELPF 9
        ?PFSET 1 RTNUT
        RTNNC
        SETHEX
        C=0 W
        DADD=C
        C=REGN 15
        A=C W
        RCR 11                  ; C[1..0] = the code
        PT= 1
        ?C<>0 WPT
        RTNNC                   ; no function ran
        M=C
        ACEX W
        PT= 12
        C=0 PT
        PT= 11
        C=0 PT
        REGN=C 15               ; done with it
        C=M                     ; the name, left-justified
        C=0 M
        C=0 S
        C=0 XS
        GSUBNC KYATTC
        C=C+1 M
        N=C
PRTR1:  C=N
        CXISA
        A=C W
        LDI CBLANK
        PT= 1
        ?A<>C WPT               ; a blank (the last word's bit 9 aside) ends the name
        GONC PRTR2
        ACEX W
        GSUBNC PRWORD
        C=N
        C=C+1 M
        N=C
        GONC PRTR1
PRTR2:  LDI 0E0
        GSUBNC PRBYTE
        GSUBNC DSX              ; then X, as it shows
; PRDISP — prints what the display shows, right-justified, without its trailing blanks
; (blanks before a character go as one skip). Changes: A, B, C, N, P, Q, ST 0..7, base,
; DADD, PFAD. Depth 2.
PRDISP: GSUBNC DSSEL
        C=0 W
        N=C                     ; blanks not yet printed
PRD1:   SELQ
        ?PT= 12
        GOC PRD9
        INCPT
        SELP
        C=REGN 15               ; the next character from the left (the display turns)
        A=C W
        LDI CBLANK
        ?A<>C X
        GOC PRD2
        C=N
        C=C+1 X
        N=C
        GONC PRD1
PRD2:   B=A W
        C=N
        ?C<>0 X
        GONC PRD3
        A=C W
        LDI 0A0
        A=A+C X
        ACEX W
        GSUBNC PRBYTE           ; skip that many
        C=0 W
        N=C
PRD3:   C=B W
        GSUBNC PRWORD
        GONC PRD1
PRD9:   SELP
        LDI 0E8
; PRBYTE — sends byte C[1..0] to the printer. Depth 1.
PRBYTE: SELPF 9
        PRINTC RTNUT
        RTN

; PRWORD — prints display word C[2..0] as the printer's character, and its punctuation
; mark as a character of its own. Changes: C, P, ST 0..7. Depth 2 (PRBYTE).
; Display codes: 0x = @A..O, 1x = P.._, 2x = blank.../, 3x = 0..?; with register C's
; bit, a..e.
PRWORD: RCR 2
        ST=C                    ; ST 0 = register C's bit
        RCR 12
        ?ST=1 0
        GOC PRW5
        ST=C                    ; ST 5, 4: the code's bits 5, 4; ST 7, 6: the mark
        PT= 1
        ?ST=1 5
        GOC PRW3
        ?ST=1 4
        GOC PRW2
        LC 4
        GONC PRW6
PRW2:   LC 5
        GONC PRW6
PRW3:   ?ST=1 4
        GOC PRW4
        LC 2
        GONC PRW6
PRW4:   LC 3
        GONC PRW6
PRW5:   ST=C                    ; a..e
        PT= 1
        LC 6
PRW6:   C=0 XS
        GSUBNC PRBYTE
        ?ST=1 6
        GOC PRW7
        ?ST=1 7
        RTNNC                   ; no mark
        LDI 03A                 ; ":"
        GONC PRBYTE
PRW7:   LDI 02E                 ; "."
        ?ST=1 7
        GONC PRBYTE
        LDI 02C                 ; ","
        GONC PRBYTE
