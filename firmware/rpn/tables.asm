; ===========================================================================================
;  tables.asm: the keyboard's functions, their codes, names and code addresses.
;  KTAB (page 0, 0F00): four tables of the function code of each key index (column x 9 +
;  row): unshifted, shifted (+40), ALPHA (+80), ALPHA shifted (+C0); COLTAB (0FF0) gives
;  column x 9 for each column code. FNJMP (2000): a long jump per function code. FNTAB
;  (2800): eight words per function code, the attribute word (bit 0: an entry key) and the
;  name, padded with blanks to seven characters.
; ===========================================================================================

        .org 0F00
KTAB:
        .word 047, 01B, 00E, 012, 014, 013, 015, 016, 3FF    ; Σ+ X<>Y SHIFT ENTER^ - + * / -
        .word 017, 01C, 020, 3FF, 007, 004, 001, 000, 3FF    ; 1/X RDN XEQ - 7 4 1 0 -
        .word 018, 01D, 021, 00C, 008, 005, 002, 00A, 3FF    ; SQRT SIN STO CHS 8 5 2 . -
        .word 019, 01E, 022, 00B, 009, 006, 003, 024, 3FF    ; LOG COS RCL EEX 9 6 3 R/S -
        .word 01A, 01F, 023, 00D, 00F, 011, 010, 3FF, 3FF    ; LN TAN SST <- ALPHA PRGM USER - -
        .org 0F40
        .word 025, 02A, 04C, 033, 037, 03B, 03F, 043, 3FF    ; Σ- CLΣ SHIFT  CATALOG X=Y? X<=Y? X>Y? X=0? -
        .word 026, 02B, 02F, 3FF, 038, 03C, 040, 044, 3FF    ; Y^X % ASN - SF BEEP FIX PI -
        .word 027, 02C, 030, 034, 039, 03D, 041, 045, 3FF    ; X^2 ASIN LBL ISG CF P-R SCI LASTX -
        .word 028, 02D, 031, 035, 03A, 03E, 042, 046, 3FF    ; 10^X ACOS GTO RTN FS? R-P ENG VIEW -
        .word 029, 02E, 032, 036, 00F, 011, 010, 3FF, 3FF    ; E^X ATAN BST CLX ALPHA PRGM USER - -
        .org 0F80                ; ALPHA: the same as unshifted until ALPHA mode exists
        .word 047, 01B, 00E, 012, 014, 013, 015, 016, 3FF
        .word 017, 01C, 020, 3FF, 007, 004, 001, 000, 3FF
        .word 018, 01D, 021, 00C, 008, 005, 002, 00A, 3FF
        .word 019, 01E, 022, 00B, 009, 006, 003, 024, 3FF
        .word 01A, 01F, 023, 00D, 00F, 011, 010, 3FF, 3FF
        .org 0FC0
        .word 025, 02A, 04C, 033, 037, 03B, 03F, 043, 3FF
        .word 026, 02B, 02F, 3FF, 038, 03C, 040, 044, 3FF
        .word 027, 02C, 030, 034, 039, 03D, 041, 045, 3FF
        .word 028, 02D, 031, 035, 03A, 03E, 042, 046, 3FF
        .word 029, 02E, 032, 036, 00F, 011, 010, 3FF, 3FF
        .org 0FF0
COLTAB: .word 000, 000, 000, 009, 000, 000, 000, 012, 01B, 000, 000, 000, 024, 000, 000, 000

; ----- codes: 0=00, 1=01, 2=02, 3=03, 4=04, 5=05, 6=06, 7=07, 8=08, 9=09, .=0A, EEX=0B, CHS=0C, <-=0D, SHIFT=0E, ALPHA=0F, USER=10, PRGM=11, ENTER^=12, +=13, -=14, *=15, /=16, 1/X=17, SQRT=18, LOG=19, LN=1A, X<>Y=1B, RDN=1C, SIN=1D, COS=1E, TAN=1F, XEQ=20, STO=21, RCL=22, SST=23, R/S=24, Σ-=25, Y^X=26, X^2=27, 10^X=28, E^X=29, CLΣ=2A, %=2B, ASIN=2C, ACOS=2D, ATAN=2E, ASN=2F, LBL=30, GTO=31, BST=32, CATALOG=33, ISG=34, RTN=35, CLX=36, X=Y?=37, SF=38, CF=39, FS?=3A, X<=Y?=3B, BEEP=3C, P-R=3D, R-P=3E, X>Y?=3F, FIX=40, SCI=41, ENG=42, X=0?=43, PI=44, LASTX=45, VIEW=46, Σ+=47, ST+=48, ST-=49, ST*=4A, ST/=4B, SHIFT =4C

; ----- FNJMP: one long jump per function code -----
        .org 2000
FNJMP:
        GOLNC ENDIG    ; 00 0
        GOLNC ENDIG    ; 01 1
        GOLNC ENDIG    ; 02 2
        GOLNC ENDIG    ; 03 3
        GOLNC ENDIG    ; 04 4
        GOLNC ENDIG    ; 05 5
        GOLNC ENDIG    ; 06 6
        GOLNC ENDIG    ; 07 7
        GOLNC ENDIG    ; 08 8
        GOLNC ENDIG    ; 09 9
        GOLNC ENPT     ; 0A .
        GOLNC ENEEX    ; 0B EEX
        GOLNC ENCHS    ; 0C CHS
        GOLNC ENBKSP   ; 0D <-
        GOLNC KSHIFT   ; 0E SHIFT
        GOLNC ERRNONEX ; 0F ALPHA
        GOLNC KUSER    ; 10 USER
        GOLNC KPRGM    ; 11 PRGM
        GOLNC KENTER   ; 12 ENTER^
        GOLNC KADD     ; 13 +
        GOLNC KSUB     ; 14 -
        GOLNC KMUL     ; 15 *
        GOLNC KDIV     ; 16 /
        GOLNC KINV     ; 17 1/X
        GOLNC KSQRT    ; 18 SQRT
        GOLNC ERRNONEX ; 19 LOG
        GOLNC ERRNONEX ; 1A LN
        GOLNC KSWAP    ; 1B X<>Y
        GOLNC KRDN     ; 1C RDN
        GOLNC KSIN     ; 1D SIN
        GOLNC KCOS     ; 1E COS
        GOLNC KTAN     ; 1F TAN
        GOLNC ERRNONEX ; 20 XEQ
        GOLNC KPROMPT  ; 21 STO
        GOLNC KPROMPT  ; 22 RCL
        GOLNC ERRNONEX ; 23 SST
        GOLNC ERRNONEX ; 24 R/S
        GOLNC KSIGM    ; 25 Σ-
        GOLNC ERRNONEX ; 26 Y^X
        GOLNC KSQ      ; 27 X^2
        GOLNC ERRNONEX ; 28 10^X
        GOLNC ERRNONEX ; 29 E^X
        GOLNC KCLSIG   ; 2A CLΣ
        GOLNC KPCT     ; 2B %
        GOLNC ERRNONEX ; 2C ASIN
        GOLNC ERRNONEX ; 2D ACOS
        GOLNC ERRNONEX ; 2E ATAN
        GOLNC ERRNONEX ; 2F ASN
        GOLNC ERRNONEX ; 30 LBL
        GOLNC ERRNONEX ; 31 GTO
        GOLNC ERRNONEX ; 32 BST
        GOLNC ERRNONEX ; 33 CATALOG
        GOLNC ERRNONEX ; 34 ISG
        GOLNC ERRNONEX ; 35 RTN
        GOLNC KCLX     ; 36 CLX
        GOLNC KXEQY    ; 37 X=Y?
        GOLNC KPROMPT  ; 38 SF
        GOLNC KPROMPT  ; 39 CF
        GOLNC KPROMPT  ; 3A FS?
        GOLNC KXLEY    ; 3B X<=Y?
        GOLNC KBEEP    ; 3C BEEP
        GOLNC ERRNONEX ; 3D P-R
        GOLNC ERRNONEX ; 3E R-P
        GOLNC KXGTY    ; 3F X>Y?
        GOLNC KPROMPT  ; 40 FIX
        GOLNC KPROMPT  ; 41 SCI
        GOLNC KPROMPT  ; 42 ENG
        GOLNC KXEQ0    ; 43 X=0?
        GOLNC KPI      ; 44 PI
        GOLNC KLASTX   ; 45 LASTX
        GOLNC KPROMPT  ; 46 VIEW
        GOLNC KSIGP    ; 47 Σ+
        GOLNC KPROMPT  ; 48 ST+
        GOLNC KPROMPT  ; 49 ST-
        GOLNC KPROMPT  ; 4A ST*
        GOLNC KPROMPT  ; 4B ST/
        GOLNC KSHOFF   ; 4C SHIFT 

; ----- RUNJMP: the second entry of a function that prompts -----
        .org 2200
RUNJMP:
        GOLNC ERRNONEX ; 00 0
        GOLNC ERRNONEX ; 01 1
        GOLNC ERRNONEX ; 02 2
        GOLNC ERRNONEX ; 03 3
        GOLNC ERRNONEX ; 04 4
        GOLNC ERRNONEX ; 05 5
        GOLNC ERRNONEX ; 06 6
        GOLNC ERRNONEX ; 07 7
        GOLNC ERRNONEX ; 08 8
        GOLNC ERRNONEX ; 09 9
        GOLNC ERRNONEX ; 0A .
        GOLNC ERRNONEX ; 0B EEX
        GOLNC ERRNONEX ; 0C CHS
        GOLNC ERRNONEX ; 0D <-
        GOLNC ERRNONEX ; 0E SHIFT
        GOLNC ERRNONEX ; 0F ALPHA
        GOLNC ERRNONEX ; 10 USER
        GOLNC ERRNONEX ; 11 PRGM
        GOLNC ERRNONEX ; 12 ENTER^
        GOLNC ERRNONEX ; 13 +
        GOLNC ERRNONEX ; 14 -
        GOLNC ERRNONEX ; 15 *
        GOLNC ERRNONEX ; 16 /
        GOLNC ERRNONEX ; 17 1/X
        GOLNC ERRNONEX ; 18 SQRT
        GOLNC ERRNONEX ; 19 LOG
        GOLNC ERRNONEX ; 1A LN
        GOLNC ERRNONEX ; 1B X<>Y
        GOLNC ERRNONEX ; 1C RDN
        GOLNC ERRNONEX ; 1D SIN
        GOLNC ERRNONEX ; 1E COS
        GOLNC ERRNONEX ; 1F TAN
        GOLNC ERRNONEX ; 20 XEQ
        GOLNC KRSTO    ; 21 STO
        GOLNC KRRCL    ; 22 RCL
        GOLNC ERRNONEX ; 23 SST
        GOLNC ERRNONEX ; 24 R/S
        GOLNC ERRNONEX ; 25 Σ-
        GOLNC ERRNONEX ; 26 Y^X
        GOLNC ERRNONEX ; 27 X^2
        GOLNC ERRNONEX ; 28 10^X
        GOLNC ERRNONEX ; 29 E^X
        GOLNC ERRNONEX ; 2A CLΣ
        GOLNC ERRNONEX ; 2B %
        GOLNC ERRNONEX ; 2C ASIN
        GOLNC ERRNONEX ; 2D ACOS
        GOLNC ERRNONEX ; 2E ATAN
        GOLNC ERRNONEX ; 2F ASN
        GOLNC ERRNONEX ; 30 LBL
        GOLNC ERRNONEX ; 31 GTO
        GOLNC ERRNONEX ; 32 BST
        GOLNC ERRNONEX ; 33 CATALOG
        GOLNC ERRNONEX ; 34 ISG
        GOLNC ERRNONEX ; 35 RTN
        GOLNC ERRNONEX ; 36 CLX
        GOLNC ERRNONEX ; 37 X=Y?
        GOLNC KRSF     ; 38 SF
        GOLNC KRCF     ; 39 CF
        GOLNC KRFS     ; 3A FS?
        GOLNC ERRNONEX ; 3B X<=Y?
        GOLNC ERRNONEX ; 3C BEEP
        GOLNC ERRNONEX ; 3D P-R
        GOLNC ERRNONEX ; 3E R-P
        GOLNC ERRNONEX ; 3F X>Y?
        GOLNC KRFIX    ; 40 FIX
        GOLNC KRSCI    ; 41 SCI
        GOLNC KRENG    ; 42 ENG
        GOLNC ERRNONEX ; 43 X=0?
        GOLNC ERRNONEX ; 44 PI
        GOLNC ERRNONEX ; 45 LASTX
        GOLNC KRVIEW   ; 46 VIEW
        GOLNC ERRNONEX ; 47 Σ+
        GOLNC KRSTA    ; 48 ST+
        GOLNC KRSTS    ; 49 ST-
        GOLNC KRSTM    ; 4A ST*
        GOLNC KRSTD    ; 4B ST/
        GOLNC ERRNONEX ; 4C SHIFT 

; ----- FNTAB: attributes and names -----
        .org 2800
FNTAB:
        .word 001                ; 00
        .lcd "0      "
        .word 001                ; 01
        .lcd "1      "
        .word 001                ; 02
        .lcd "2      "
        .word 001                ; 03
        .lcd "3      "
        .word 001                ; 04
        .lcd "4      "
        .word 001                ; 05
        .lcd "5      "
        .word 001                ; 06
        .lcd "6      "
        .word 001                ; 07
        .lcd "7      "
        .word 001                ; 08
        .lcd "8      "
        .word 001                ; 09
        .lcd "9      "
        .word 001                ; 0A
        .lcd ".      "
        .word 001                ; 0B
        .lcd "EEX    "
        .word 001                ; 0C
        .lcd "CHS    "
        .word 001                ; 0D
        .lcd "<-     "
        .word 001                ; 0E
        .lcd "SHIFT  "
        .word 001                ; 0F
        .lcd "ALPHA  "
        .word 001                ; 10
        .lcd "USER   "
        .word 001                ; 11
        .lcd "PRGM   "
        .word 000                ; 12
        .lcd "ENTER^ "
        .word 000                ; 13
        .lcd "+      "
        .word 000                ; 14
        .lcd "-      "
        .word 000                ; 15
        .lcd "*      "
        .word 000                ; 16
        .lcd "/      "
        .word 000                ; 17
        .lcd "1/X    "
        .word 000                ; 18
        .lcd "SQRT   "
        .word 000                ; 19
        .lcd "LOG    "
        .word 000                ; 1A
        .lcd "LN     "
        .word 000                ; 1B
        .lcd "X<>Y   "
        .word 000                ; 1C
        .lcd "RDN    "
        .word 000                ; 1D
        .lcd "SIN    "
        .word 000                ; 1E
        .lcd "COS    "
        .word 000                ; 1F
        .lcd "TAN    "
        .word 000                ; 20
        .lcd "XEQ    "
        .word 01A                ; 21
        .lcd "STO    "
        .word 00A                ; 22
        .lcd "RCL    "
        .word 000                ; 23
        .lcd "SST    "
        .word 000                ; 24
        .lcd "R/S    "
        .word 000                ; 25
        .lcd "Σ-     "
        .word 000                ; 26
        .lcd "Y^X    "
        .word 000                ; 27
        .lcd "X^2    "
        .word 000                ; 28
        .lcd "10^X   "
        .word 000                ; 29
        .lcd "E^X    "
        .word 000                ; 2A
        .lcd "CLΣ    "
        .word 000                ; 2B
        .lcd "%      "
        .word 000                ; 2C
        .lcd "ASIN   "
        .word 000                ; 2D
        .lcd "ACOS   "
        .word 000                ; 2E
        .lcd "ATAN   "
        .word 000                ; 2F
        .lcd "ASN    "
        .word 000                ; 30
        .lcd "LBL    "
        .word 000                ; 31
        .lcd "GTO    "
        .word 000                ; 32
        .lcd "BST    "
        .word 000                ; 33
        .lcd "CATALOG"
        .word 000                ; 34
        .lcd "ISG    "
        .word 000                ; 35
        .lcd "RTN    "
        .word 000                ; 36
        .lcd "CLX    "
        .word 000                ; 37
        .lcd "X=Y?   "
        .word 002                ; 38
        .lcd "SF     "
        .word 002                ; 39
        .lcd "CF     "
        .word 002                ; 3A
        .lcd "FS?    "
        .word 000                ; 3B
        .lcd "X<=Y?  "
        .word 000                ; 3C
        .lcd "BEEP   "
        .word 000                ; 3D
        .lcd "P-R    "
        .word 000                ; 3E
        .lcd "R-P    "
        .word 000                ; 3F
        .lcd "X>Y?   "
        .word 004                ; 40
        .lcd "FIX    "
        .word 004                ; 41
        .lcd "SCI    "
        .word 004                ; 42
        .lcd "ENG    "
        .word 000                ; 43
        .lcd "X=0?   "
        .word 000                ; 44
        .lcd "PI     "
        .word 000                ; 45
        .lcd "LASTX  "
        .word 00A                ; 46
        .lcd "VIEW   "
        .word 000                ; 47
        .lcd "Σ+     "
        .word 00A                ; 48
        .lcd "ST+    "
        .word 00A                ; 49
        .lcd "ST-    "
        .word 00A                ; 4A
        .lcd "ST*    "
        .word 00A                ; 4B
        .lcd "ST/    "
        .word 001                ; 4C
        .lcd "SHIFT  "
