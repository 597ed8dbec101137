#pragma once
// The instruction handlers, installed by BuildDispatchTable. Each takes the instruction word.

#include <cstdint>

void Class2(uint16_t w);  // register arithmetic on a field
void Class1(uint16_t w);  // long jump or call
void Class3(uint16_t w);  // relative jump

// Control flow, status bits, pointers and register transfers.
void OpNop(uint16_t w);
void OpStClear(uint16_t w);
void OpStSet(uint16_t w);
void OpStTest(uint16_t w);
void OpPtTest(uint16_t w);
void OpPtSet(uint16_t w);
void OpLc(uint16_t w);
void OpRcr(uint16_t w);
void OpClrst(uint16_t w);
void OpDecpt(uint16_t w);
void OpIncpt(uint16_t w);
void OpSpopnd(uint16_t w);
void OpPowoff(uint16_t w);
void OpSelp(uint16_t w);
void OpSelq(uint16_t w);
void OpPEqQ(uint16_t w);
void OpClrabc(uint16_t w);
void OpGotoc(uint16_t w);
void OpSethex(uint16_t w);
void OpSetdec(uint16_t w);
void OpRtnc(uint16_t w);
void OpRtnnc(uint16_t w);
void OpRtn(uint16_t w);
void OpGEqC(uint16_t w);
void OpCEqG(uint16_t w);
void OpCgex(uint16_t w);
void OpMEqC(uint16_t w);
void OpCEqM(uint16_t w);
void OpCmex(uint16_t w);
void OpFEqSb(uint16_t w);
void OpSbEqF(uint16_t w);
void OpFexsb(uint16_t w);
void OpStEqC(uint16_t w);
void OpCEqSt(uint16_t w);
void OpCstex(uint16_t w);
void OpNEqC(uint16_t w);
void OpCEqN(uint16_t w);
void OpCnex(uint16_t w);
void OpStkEqC(uint16_t w);
void OpCEqStk(uint16_t w);
void OpCOrA(uint16_t w);
void OpCAndA(uint16_t w);

// Memory, peripherals and keyboard.
void OpEnrom(uint16_t w);
void OpWmldl(uint16_t w);
void OpLdi(uint16_t w);
void OpCxisa(uint16_t w);
void OpDaddEqC(uint16_t w);
void OpCEqRegn(uint16_t w);
void OpRegnEqC(uint16_t w);
void OpDataEqC(uint16_t w);
void OpPfadEqC(uint16_t w);
void OpSelpf(uint16_t w);
void OpFlagTest(uint16_t w);
void OpRstkb(uint16_t w);
void OpChkkb(uint16_t w);
void OpCEqKeys(uint16_t w);
void OpGokeys(uint16_t w);
