; ===========================================================================================
;  power.asm: waking up, the cold start (MEMORY LOST), going to sleep, and the errors.
;
;  The CPU starts at 0000 after a reset and after every sleep. The carry that the first
;  word sees is 1 after a reset or a deep sleep (the ON key) and 0 after a light one (any
;  key, or a printer button, while the display was on).
; ===========================================================================================

POWERON: GOLC PWON
        CHKKB                   ; a light sleep ended: a key is down...
        GOLC KEYDN
        GOLNC PRBTN             ; ...or a printer button

; PWON — the calculator is switched on: our memory is kept, or lost (a cold start) when it
; is not ours or the back-arrow key is held. Depth 0 (entered by a jump).
PWON:   GSUBNC DSSEL
        DISOFF
        DISTOG                  ; on, whatever it was
        C=0 W
        DADD=C
        C=REGN 13
        RCR 11                  ; c[13..11], the signature, to C[2..0]
        A=C W
        LDI SIGNAT
        ?A<>C X
        GOC PWCOLD
        CHKKB
        GOLNC PWWARM
        C=0 W
        C=KEYS
        RCR 3                   ; C[1..0] = the key code
        A=C W
        LDI 0C3                 ; the back-arrow key
        ?A<>C X
        GOLC PWWARM

; PWCOLD — MEMORY LOST: every register cleared, SIZE 100 (or what fits above the program
; registers), FIX 4, DEG, flags 26, 28, 29 set, ΣREG = R11.
PWCOLD: SETHEX
        C=0 W
        PFAD=C                  ; no peripheral answers: a register that is absent reads 0
        DADD=C
        REGN=C 0
        REGN=C 1
        REGN=C 2
        REGN=C 3
        REGN=C 4
        REGN=C 5
        REGN=C 6
        REGN=C 7
        REGN=C 8
        REGN=C 9
        REGN=C 10
        REGN=C 11
        REGN=C 12
        REGN=C 15
        PT= 2
        LC 4
        A=C W
        B=A W                   ; B = 400, the end of the data space
        LDI WORK                ; clear the RAM from 0C0 up, and find where it ends
PWCL1:  DADD=C
        A=C W
        C=0 W
        C=C+1 S
        DATA=C
        C=REGN 0                ; (register 0 of the group: the one just selected)
        ?C<>0 S
        GONC PWCL2              ; absent: A is the first address past the top
        C=0 W
        DATA=C
        A=A+1 X
        ?A<B X
        GONC PWCL2
        ACEX W
        GONC PWCL1
PWCL2:  B=A W                   ; B = the top + 1
        LDI 064                 ; 100 data registers...
        A=A-C X
        LDI PROGS
        ?A<C X                  ; ...if they fit above the program registers
        GONC PWCL3
        A=C W
        ?A<B X
        GOC PWCL3
        C=B W                   ; (no room at all: SIZE 0)
        A=C W
PWCL3:  C=B W
        RCR 11                  ; c[5..3] = the top + 1
        ACEX X                  ; c[2..0] = the curtain
        PT= 8
        LC 0
        LC 0
        LC 11                   ; c[8..6] = 00B: ΣREG is R11
        PT= 13
        LC SIGNAT2
        LC SIGNAT1
        LC SIGNAT0              ; c[13..11] = the signature
        M=C
        C=0 W
        DADD=C
        C=M
        REGN=C 13
        C=0 W
        PT= 7
        LC 2                    ; d[7]: flag 26 (sound)
        LC 12                   ; d[6]: flags 28, 29 (radix mark ".", digit grouping)
        LC 0
        LC 4                    ; d[4]: four digits
        LC 8                    ; d[3]: flag 40 (FIX); neither 42 nor 43: DEG
        LC 0
        LC 2                    ; d[1]: flag 50, a message is shown
        REGN=C 14
        GSUBNC DSMSG
        .lcd "MEMORY LOST"
        GSUBNC DSANN
        GOLNC SLEEP

; PWWARM — on again with the memory kept: no shift, no prompt, no number being typed,
; no message; X (or ALPHA) shows.
PWWARM: SETHEX
        C=0 W
        DADD=C
        REGN=C 15               ; e: no prompt
        C=REGN 14
        RCR 1                   ; C[0] = d[1], C[1] = d[2]
        ST=C
        ST=0 1                  ; 50 message
        ST=0 4                  ; 47 shift
        ST=0 5                  ; 46 partial key sequence
        ST=0 6                  ; 45 data entry
        C=ST
        RCR 13
        REGN=C 14
        ST=1 8                  ; the annunciators too
        GOLNC KYSHOW

; SLEEP — waits until the key is let go (RSTKB clears the keyboard flag only then, and the
; same key would wake us again at once), then sleeps: lightly with the display on, with
; the display selected so that ten minutes without a key turn it off.
SLEEP:  RSTKB
        CHKKB
        GOC SLEEP
        GSUBNC DSSEL
        POWOFF

; OFF — the ON key while on: display off, so the sleep is deep and only ON ends it.
OFF:    GSUBNC DSSEL
        DISOFF
        GOLNC SLEEP

; ----- Errors ---------------------------------------------------------------------------
; A function that finds an error jumps here before it has stored anything: the stack is as
; it was. With flag 25 set the error is ignored once: the flag clears and nothing shows.
; Otherwise the message stays until the next key (flag 50); the back-arrow key then only
; clears it.
ERRDATA: C=0 W
        LDI ERTDATA
        GONC ERRSHOW
ERRRANGE: C=0 W
        LDI ERTRANGE
        GONC ERRSHOW
ERRALPHA: C=0 W
        LDI ERTALPHA
        GONC ERRSHOW
ERRNOROOM: C=0 W
        LDI ERTNOROOM
        GONC ERRSHOW
ERRNONEX: C=0 W
        LDI ERTNONEX
ERRSHOW: RCR 11                 ; C[6..3] = the text's address (in page 0, below 400)
        N=C
        SETHEX
        C=0 W
        DADD=C
        C=REGN 14
        RCR 6                   ; C[1] = d[7]: flags 24..27
        ST=C
        ?ST=1 6                 ; flag 25
        GONC ERRSH1
        ST=0 6
        C=ST
        RCR 8
        REGN=C 14
        GOLNC KYDONE            ; ignored: as if the function had not run
ERRSH1: C=REGN 14
        RCR 1
        ST=C
        ST=1 1                  ; flag 50: a message shows
        ST=0 6                  ; 45: no number is being typed any more
        C=ST
        RCR 13
        REGN=C 14
        C=0 W
        REGN=C 15               ; no prompt
        C=N
        C=0 X
        GSUBNC DSLINE
        GSUBNC DSANN
        GOLNC SLEEP

ERTDATA: .lcd "DATA ERROR"
ERTRANGE: .lcd "OUT OF RANGE"
ERTNONEX: .lcd "NONEXISTENT"
ERTNOROOM: .lcd "NO ROOM"
ERTALPHA: .lcd "ALPHA DATA"
