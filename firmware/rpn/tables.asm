; ===========================================================================================
;  tables.asm: the keyboard's functions, their codes, names and code addresses.
;  KTAB (0F00): four tables of the function code of each key index (column x 9 + row):
;  unshifted, shifted (+40), ALPHA (+80), ALPHA shifted (+C0); in the ALPHA tables 1xx is
;  the character xx; 2FF is no key. COLTAB (0FF0) gives column x 9 for each column code.
;  FNJMP (2000): a long jump per function code. RUNJMP (2100): the second entry of a
;  function that prompts. FNTAB (2200): eight words per function code, the attribute word
;  (keys.asm says what its bits mean) and the name, padded with blanks to seven characters.
;  (Written by tables.py from its lists; change them there.)
; ===========================================================================================

        .org 0F00                ; unshifted
KTAB:
        .word 047, 01B, 00E, 012, 014, 013, 015, 016, 2FF    ; Σ+ X<>Y SHIFT ENTER^ - + * / -
        .word 017, 01C, 020, 2FF, 007, 004, 001, 000, 2FF    ; 1/X RDN XEQ - 7 4 1 0 -
        .word 018, 01D, 021, 00C, 008, 005, 002, 00A, 2FF    ; SQRT SIN STO CHS 8 5 2 . -
        .word 019, 01E, 022, 00B, 009, 006, 003, 024, 2FF    ; LOG COS RCL EEX 9 6 3 R/S -
        .word 01A, 01F, 023, 00D, 00F, 011, 010, 2FF, 2FF    ; LN TAN SST <- ALPHA PRGM USER - -
        .org 0F40                ; shifted
        .word 025, 02A, 04C, 033, 037, 03B, 03F, 043, 2FF    ; Σ- CLΣ SHIFT  CATALOG X=Y? X<=Y? X>Y? X=0? -
        .word 026, 02B, 02F, 2FF, 038, 03C, 040, 044, 2FF    ; Y^X % ASN - SF BEEP FIX PI -
        .word 027, 02C, 030, 034, 039, 03D, 041, 045, 2FF    ; X^2 ASIN LBL ISG CF P-R SCI LASTX -
        .word 028, 02D, 031, 035, 03A, 03E, 042, 046, 2FF    ; 10^X ACOS GTO RTN FS? R-P ENG VIEW -
        .word 029, 02E, 032, 036, 00F, 011, 010, 2FF, 2FF    ; E^X ATAN BST CLX ALPHA PRGM USER - -
        .org 0F80                ; ALPHA
        .word 141, 146, 00E, 14E, 151, 155, 159, 13A, 2FF    ; A F SHIFT N Q U Y : -
        .word 142, 147, 14B, 2FF, 152, 156, 15A, 120, 2FF    ; B G K - R V Z ' ' -
        .word 143, 148, 14C, 14F, 153, 157, 13D, 12C, 2FF    ; C H L O S W = , -
        .word 144, 149, 14D, 150, 154, 158, 13F, 024, 2FF    ; D I M P T X ? R/S -
        .word 145, 14A, 023, 04D, 00F, 011, 010, 2FF, 2FF    ; E J SST <-  ALPHA PRGM USER - -
        .org 0FC0                ; ALPHA shifted
        .word 161, 17E, 04C, 04F, 12D, 12B, 12A, 12F, 2FF    ; a Σ SHIFT  APPEND - + * / -
        .word 162, 125, 11D, 2FF, 137, 134, 131, 130, 2FF    ; b % ≠ - 7 4 1 0 -
        .word 163, 13C, 126, 124, 138, 135, 132, 12E, 2FF    ; c < & $ 8 5 2 . -
        .word 164, 13E, 140, 15E, 139, 136, 133, 024, 2FF    ; d > @ ^ 9 6 3 R/S -
        .word 165, 127, 023, 04E, 00F, 011, 010, 2FF, 2FF    ; e ' SST CLA ALPHA PRGM USER - -
        .org 0FF0
COLTAB: .word 000, 000, 000, 009, 000, 000, 000, 012, 01B, 000, 000, 000, 024, 000, 000, 000

NFUNC   .equ 079                ; the number of function codes
FALPHA  .equ 00F
FXEQ    .equ 020
FALBK   .equ 04D

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
        GOLNC KALPHA   ; 0F ALPHA
        GOLNC KUSER    ; 10 USER
        GOLNC KPRGM    ; 11 PRGM
        GOLNC KENTER   ; 12 ENTER^
        GOLNC KADD     ; 13 +
        GOLNC KSUB     ; 14 -
        GOLNC KMUL     ; 15 *
        GOLNC KDIV     ; 16 /
        GOLNC KINV     ; 17 1/X
        GOLNC KSQRT    ; 18 SQRT
        GOLNC KLOG     ; 19 LOG
        GOLNC KLN      ; 1A LN
        GOLNC KSWAP    ; 1B X<>Y
        GOLNC KRDN     ; 1C RDN
        GOLNC KSIN     ; 1D SIN
        GOLNC KCOS     ; 1E COS
        GOLNC KTAN     ; 1F TAN
        GOLNC KPROMPT  ; 20 XEQ
        GOLNC KPROMPT  ; 21 STO
        GOLNC KPROMPT  ; 22 RCL
        GOLNC ERRNONEX ; 23 SST
        GOLNC ERRNONEX ; 24 R/S
        GOLNC KSIGM    ; 25 Σ-
        GOLNC KPOW     ; 26 Y^X
        GOLNC KSQ      ; 27 X^2
        GOLNC KALOG    ; 28 10^X
        GOLNC KEXP     ; 29 E^X
        GOLNC KCLSIG   ; 2A CLΣ
        GOLNC KPCT     ; 2B %
        GOLNC KASIN    ; 2C ASIN
        GOLNC KACOS    ; 2D ACOS
        GOLNC KATAN    ; 2E ATAN
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
        GOLNC KP2R     ; 3D P-R
        GOLNC KR2P     ; 3E R-P
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
        GOLNC ALBK     ; 4D <- 
        GOLNC KCLA     ; 4E CLA
        GOLNC KAPPND   ; 4F APPEND
        GOLNC KDEG     ; 50 DEG
        GOLNC KRAD     ; 51 RAD
        GOLNC KGRAD    ; 52 GRAD
        GOLNC KCLST    ; 53 CLST
        GOLNC KCLD     ; 54 CLD
        GOLNC KABS     ; 55 ABS
        GOLNC KINT     ; 56 INT
        GOLNC KFRC     ; 57 FRC
        GOLNC KSIGN    ; 58 SIGN
        GOLNC KMOD     ; 59 MOD
        GOLNC KFACT    ; 5A FACT
        GOLNC KHMS     ; 5B HMS
        GOLNC KHR      ; 5C HR
        GOLNC KHMSA    ; 5D HMS+
        GOLNC KHMSS    ; 5E HMS-
        GOLNC KD2R     ; 5F D-R
        GOLNC KR2D     ; 60 R-D
        GOLNC KLN1P    ; 61 LN1+X
        GOLNC KEXPM1   ; 62 E^X-1
        GOLNC KXNEY    ; 63 X≠Y?
        GOLNC KXLTY    ; 64 X<Y?
        GOLNC KXLE0    ; 65 X<=0?
        GOLNC KXLT0    ; 66 X<0?
        GOLNC KXGT0    ; 67 X>0?
        GOLNC KXNE0    ; 68 X≠0?
        GOLNC KAVIEW   ; 69 AVIEW
        GOLNC KCLRG    ; 6A CLRG
        GOLNC KPROMPT  ; 6B X<>
        GOLNC KPROMPT  ; 6C ARCL
        GOLNC KPROMPT  ; 6D ASTO
        GOLNC KPROMPT  ; 6E FC?
        GOLNC KPROMPT  ; 6F FS?C
        GOLNC KPROMPT  ; 70 FC?C
        GOLNC KOCT     ; 71 OCT
        GOLNC KDEC     ; 72 DEC
        GOLNC KRND     ; 73 RND
        GOLNC KMEAN    ; 74 MEAN
        GOLNC KSDEV    ; 75 SDEV
        GOLNC KPROMPT  ; 76 TONE
        GOLNC KPROMPT  ; 77 SIZE
        GOLNC KPROMPT  ; 78 ΣREG

; ----- RUNJMP: the second entry of a function that prompts -----
        .org 2100
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
        GOLNC ERRNONEX ; 4D <- 
        GOLNC ERRNONEX ; 4E CLA
        GOLNC ERRNONEX ; 4F APPEND
        GOLNC ERRNONEX ; 50 DEG
        GOLNC ERRNONEX ; 51 RAD
        GOLNC ERRNONEX ; 52 GRAD
        GOLNC ERRNONEX ; 53 CLST
        GOLNC ERRNONEX ; 54 CLD
        GOLNC ERRNONEX ; 55 ABS
        GOLNC ERRNONEX ; 56 INT
        GOLNC ERRNONEX ; 57 FRC
        GOLNC ERRNONEX ; 58 SIGN
        GOLNC ERRNONEX ; 59 MOD
        GOLNC ERRNONEX ; 5A FACT
        GOLNC ERRNONEX ; 5B HMS
        GOLNC ERRNONEX ; 5C HR
        GOLNC ERRNONEX ; 5D HMS+
        GOLNC ERRNONEX ; 5E HMS-
        GOLNC ERRNONEX ; 5F D-R
        GOLNC ERRNONEX ; 60 R-D
        GOLNC ERRNONEX ; 61 LN1+X
        GOLNC ERRNONEX ; 62 E^X-1
        GOLNC ERRNONEX ; 63 X≠Y?
        GOLNC ERRNONEX ; 64 X<Y?
        GOLNC ERRNONEX ; 65 X<=0?
        GOLNC ERRNONEX ; 66 X<0?
        GOLNC ERRNONEX ; 67 X>0?
        GOLNC ERRNONEX ; 68 X≠0?
        GOLNC ERRNONEX ; 69 AVIEW
        GOLNC ERRNONEX ; 6A CLRG
        GOLNC KRXCH    ; 6B X<>
        GOLNC KRARCL   ; 6C ARCL
        GOLNC KRASTO   ; 6D ASTO
        GOLNC KRFC     ; 6E FC?
        GOLNC KRFSC    ; 6F FS?C
        GOLNC KRFCC    ; 70 FC?C
        GOLNC ERRNONEX ; 71 OCT
        GOLNC ERRNONEX ; 72 DEC
        GOLNC ERRNONEX ; 73 RND
        GOLNC ERRNONEX ; 74 MEAN
        GOLNC ERRNONEX ; 75 SDEV
        GOLNC KRTONE   ; 76 TONE
        GOLNC KRSIZE   ; 77 SIZE
        GOLNC KRSREG   ; 78 ΣREG

; ----- FNTAB: attributes and names -----
        .org 2200
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
        .word 002                ; 20
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
        .word 001                ; 4D
        .lcd "<-     "
        .word 000                ; 4E
        .lcd "CLA    "
        .word 000                ; 4F
        .lcd "APPEND "
        .word 000                ; 50
        .lcd "DEG    "
        .word 000                ; 51
        .lcd "RAD    "
        .word 000                ; 52
        .lcd "GRAD   "
        .word 000                ; 53
        .lcd "CLST   "
        .word 000                ; 54
        .lcd "CLD    "
        .word 000                ; 55
        .lcd "ABS    "
        .word 000                ; 56
        .lcd "INT    "
        .word 000                ; 57
        .lcd "FRC    "
        .word 000                ; 58
        .lcd "SIGN   "
        .word 000                ; 59
        .lcd "MOD    "
        .word 000                ; 5A
        .lcd "FACT   "
        .word 000                ; 5B
        .lcd "HMS    "
        .word 000                ; 5C
        .lcd "HR     "
        .word 000                ; 5D
        .lcd "HMS+   "
        .word 000                ; 5E
        .lcd "HMS-   "
        .word 000                ; 5F
        .lcd "D-R    "
        .word 000                ; 60
        .lcd "R-D    "
        .word 000                ; 61
        .lcd "LN1+X  "
        .word 000                ; 62
        .lcd "E^X-1  "
        .word 000                ; 63
        .word 018, 10D, 019, 03F, 020, 020, 220   ; X≠Y?
        .word 000                ; 64
        .lcd "X<Y?   "
        .word 000                ; 65
        .lcd "X<=0?  "
        .word 000                ; 66
        .lcd "X<0?   "
        .word 000                ; 67
        .lcd "X>0?   "
        .word 000                ; 68
        .word 018, 10D, 030, 03F, 020, 020, 220   ; X≠0?
        .word 000                ; 69
        .lcd "AVIEW  "
        .word 000                ; 6A
        .lcd "CLRG   "
        .word 00A                ; 6B
        .lcd "X<>    "
        .word 00A                ; 6C
        .lcd "ARCL   "
        .word 00A                ; 6D
        .lcd "ASTO   "
        .word 002                ; 6E
        .lcd "FC?    "
        .word 002                ; 6F
        .lcd "FS?C   "
        .word 002                ; 70
        .lcd "FC?C   "
        .word 000                ; 71
        .lcd "OCT    "
        .word 000                ; 72
        .lcd "DEC    "
        .word 000                ; 73
        .lcd "RND    "
        .word 000                ; 74
        .lcd "MEAN   "
        .word 000                ; 75
        .lcd "SDEV   "
        .word 004                ; 76
        .lcd "TONE   "
        .word 020                ; 77
        .lcd "SIZE   "
        .word 002                ; 78
        .lcd "ΣREG   "
