"""Writes tables.asm, the keyboard's and the functions' tables, from the lists below:
    python3 firmware/rpn/tables.py > firmware/rpn/tables.asm
"""
F = [  # name, attributes (1 entry key, 2 two digits, 4 one digit, 8 a register, 16 STO's arithmetic, 32 three digits), handler, second entry
 ("0",1,"ENDIG"),("1",1,"ENDIG"),("2",1,"ENDIG"),("3",1,"ENDIG"),("4",1,"ENDIG"),
 ("5",1,"ENDIG"),("6",1,"ENDIG"),("7",1,"ENDIG"),("8",1,"ENDIG"),("9",1,"ENDIG"),
 (".",1,"ENPT"),("EEX",1,"ENEEX"),("CHS",1,"ENCHS"),("<-",1,"ENBKSP"),
 ("SHIFT",1,"KSHIFT"),("ALPHA",1,"KALPHA"),("USER",1,"KUSER"),("PRGM",1,"KPRGM"),
 ("ENTER^",0,"KENTER"),("+",0,"KADD"),("-",0,"KSUB"),("*",0,"KMUL"),("/",0,"KDIV"),
 ("1/X",0,"KINV"),("SQRT",0,"KSQRT"),("LOG",0,"KLOG"),("LN",0,"KLN"),("X<>Y",0,"KSWAP"),
 ("RDN",0,"KRDN"),("SIN",0,"KSIN"),("COS",0,"KCOS"),("TAN",0,"KTAN"),("XEQ",2,"KPROMPT"),
 ("STO",0x1A,"KPROMPT","KRSTO"),("RCL",0x0A,"KPROMPT","KRRCL"),("SST",0,None),("R/S",0,None),
 ("Σ-",0,"KSIGM"),("Y^X",0,"KPOW"),("X^2",0,"KSQ"),("10^X",0,"KALOG"),("E^X",0,"KEXP"),
 ("CLΣ",0,"KCLSIG"),("%",0,"KPCT"),("ASIN",0,"KASIN"),("ACOS",0,"KACOS"),("ATAN",0,"KATAN"),
 ("ASN",0,None),("LBL",0,None),("GTO",0,None),("BST",0,None),("CATALOG",0,None),
 ("ISG",0,None),("RTN",0,None),("CLX",0,"KCLX"),("X=Y?",0,"KXEQY"),("SF",2,"KPROMPT","KRSF"),
 ("CF",2,"KPROMPT","KRCF"),("FS?",2,"KPROMPT","KRFS"),("X<=Y?",0,"KXLEY"),("BEEP",0,"KBEEP"),("P-R",0,"KP2R"),
 ("R-P",0,"KR2P"),("X>Y?",0,"KXGTY"),("FIX",4,"KPROMPT","KRFIX"),("SCI",4,"KPROMPT","KRSCI"),("ENG",4,"KPROMPT","KRENG"),
 ("X=0?",0,"KXEQ0"),("PI",0,"KPI"),("LASTX",0,"KLASTX"),("VIEW",0x0A,"KPROMPT","KRVIEW"),("Σ+",0,"KSIGP"),
 ("ST+",0x0A,"KPROMPT","KRSTA"),("ST-",0x0A,"KPROMPT","KRSTS"),("ST*",0x0A,"KPROMPT","KRSTM"),("ST/",0x0A,"KPROMPT","KRSTD"),
 ("SHIFT ",1,"KSHOFF"),("<- ",1,"ALBK"),("CLA",0,"KCLA"),("APPEND",0,"KAPPND"),
 # by name only
 ("DEG",0,"KDEG"),("RAD",0,"KRAD"),("GRAD",0,"KGRAD"),("CLST",0,"KCLST"),("CLD",0,"KCLD"),
 ("ABS",0,"KABS"),("INT",0,"KINT"),("FRC",0,"KFRC"),("SIGN",0,"KSIGN"),("MOD",0,"KMOD"),("FACT",0,"KFACT"),
 ("HMS",0,"KHMS"),("HR",0,"KHR"),("HMS+",0,"KHMSA"),("HMS-",0,"KHMSS"),("D-R",0,"KD2R"),("R-D",0,"KR2D"),
 ("LN1+X",0,"KLN1P"),("E^X-1",0,"KEXPM1"),
 ("X≠Y?",0,"KXNEY"),("X<Y?",0,"KXLTY"),("X<=0?",0,"KXLE0"),("X<0?",0,"KXLT0"),("X>0?",0,"KXGT0"),("X≠0?",0,"KXNE0"),
 ("AVIEW",0,"KAVIEW"),("CLRG",0,"KCLRG"),("X<>",0x0A,"KPROMPT","KRXCH"),("ARCL",0x0A,"KPROMPT","KRARCL"),("ASTO",0x0A,"KPROMPT","KRASTO"),
 ("FC?",2,"KPROMPT","KRFC"),("FS?C",2,"KPROMPT","KRFSC"),("FC?C",2,"KPROMPT","KRFCC"),
 ("OCT",0,"KOCT"),("DEC",0,"KDEC"),("RND",0,"KRND"),("MEAN",0,"KMEAN"),("SDEV",0,"KSDEV"),("TONE",4,"KPROMPT","KRTONE"),
 ("SIZE",0x20,"KPROMPT","KRSIZE"),("ΣREG",2,"KPROMPT","KRSREG"),
]
F = [f + (None,)*(4-len(f)) for f in F]
code = {n:i for i,(n,a,h,r) in enumerate(F)}
def c(n): return code[n]
unsh = [["Σ+","X<>Y","SHIFT","ENTER^","-","+","*","/",None],
        ["1/X","RDN","XEQ",None,"7","4","1","0",None],
        ["SQRT","SIN","STO","CHS","8","5","2",".",None],
        ["LOG","COS","RCL","EEX","9","6","3","R/S",None],
        ["LN","TAN","SST","<-","ALPHA","PRGM","USER",None,None]]
shif = [["Σ-","CLΣ","SHIFT ","CATALOG","X=Y?","X<=Y?","X>Y?","X=0?",None],
        ["Y^X","%","ASN",None,"SF","BEEP","FIX","PI",None],
        ["X^2","ASIN","LBL","ISG","CF","P-R","SCI","LASTX",None],
        ["10^X","ACOS","GTO","RTN","FS?","R-P","ENG","VIEW",None],
        ["E^X","ATAN","BST","CLX","ALPHA","PRGM","USER",None,None]]
# ALPHA: a one-character string is a character (code 100 + its byte)
alph = [["A","F","SHIFT","N","Q","U","Y",":",None],
        ["B","G","K",None,"R","V","Z"," ",None],
        ["C","H","L","O","S","W","=",",",None],
        ["D","I","M","P","T","X","?","R/S",None],
        ["E","J","SST","<- ","ALPHA","PRGM","USER",None,None]]
alsh = [["a","Σ","SHIFT ","APPEND","-","+","*","/",None],
        ["b","%","≠",None,"7","4","1","0",None],
        ["c","<","&","$","8","5","2",".",None],
        ["d",">","@","^","9","6","3","R/S",None],
        ["e","'","SST","CLA","ALPHA","PRGM","USER",None,None]]
BYTE = {"Σ":0x7E, "≠":0x1D}
def kcode(n, alpha):
    """A key's entry: 2FF for no key, 1xx for a character in the ALPHA tables, else the
    function's code."""
    if n is None:
        return "2FF"
    if alpha and len(n) == 1:
        return "%03X" % (0x100 + BYTE.get(n, ord(n)))
    return "%03X" % c(n)
out=[]
w=out.append
w("; ===========================================================================================")
w(";  tables.asm: the keyboard's functions, their codes, names and code addresses.")
w(";  KTAB (0F00): four tables of the function code of each key index (column x 9 + row):")
w(";  unshifted, shifted (+40), ALPHA (+80), ALPHA shifted (+C0); in the ALPHA tables 1xx is")
w(";  the character xx; 2FF is no key. COLTAB (0FF0) gives column x 9 for each column code.")
w(";  FNJMP (2000): a long jump per function code. RUNJMP (2100): the second entry of a")
w(";  function that prompts. FNTAB (2200): eight words per function code, the attribute word")
w(";  (keys.asm says what its bits mean) and the name, padded with blanks to seven characters.")
w(";  (Written by tables.py from its lists; change them there.)")
w("; ===========================================================================================")
w("")
for org, rows, alpha, what in (("0F00",unsh,False,"unshifted"),("0F40",shif,False,"shifted"),("0F80",alph,True,"ALPHA"),("0FC0",alsh,True,"ALPHA shifted")):
    w("        .org %s                ; %s" % (org, what))
    if org == "0F00": w("KTAB:")
    for r in rows:
        w("        .word %s    ; %s" % (", ".join(kcode(n, alpha) for n in r), " ".join(n if n and n != " " else ("' '" if n == " " else "-") for n in r)))
w("        .org 0FF0")
w("COLTAB: .word 000, 000, 000, 009, 000, 000, 000, 012, 01B, 000, 000, 000, 024, 000, 000, 000")
w("")
w("NFUNC   .equ %03X                ; the number of function codes" % len(F))
w("FALPHA  .equ %03X" % c("ALPHA"))
w("FXEQ    .equ %03X" % c("XEQ"))
w("FALBK   .equ %03X" % c("<- "))
w("")
w("; ----- FNJMP: one long jump per function code -----")
w("        .org 2000")
w("FNJMP:")
for i,(n,a,h,r) in enumerate(F):
    w("        GOLNC %-8s ; %02X %s" % (h or "ERRNONEX", i, n))
w("")
w("; ----- RUNJMP: the second entry of a function that prompts -----")
w("        .org 2100")
w("RUNJMP:")
for i,(n,a,h,r) in enumerate(F):
    w("        GOLNC %-8s ; %02X %s" % (r or "ERRNONEX", i, n))
w("")
w("; ----- FNTAB: attributes and names -----")
w("        .org 2200")
w("FNTAB:")
for i,(n,a,h,r) in enumerate(F):
    w("        .word %03X                ; %02X" % (a, i))
    if "≠" in n:
        # .lcd has no ≠ (display register C's bit with D): the name as words
        lcd = []
        for ch in n.ljust(7):
            if ch == "≠": lcd.append(0x10D)
            else:
                o = ord(ch); code_ = o - 0x40 if 0x40 <= o < 0x60 else o
                lcd.append(((code_ >> 6) << 8) | (((code_ >> 4) & 3) << 4) | (code_ & 15))
        lcd[-1] |= 0x200
        w("        .word %s   ; %s" % (", ".join("%03X" % x for x in lcd), n))
    else:
        w('        .lcd "%s"' % n.ljust(7))
print("\n".join(out))
