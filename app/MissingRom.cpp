#include "app/MissingRom.h"

#include "host/Host.h"
#include "memory/Rom.h"

namespace {
bool AnyRomLoaded() {
  for (auto& page : RomPages)
    for (auto& bank : page)
      if (bank.load(std::memory_order_relaxed)) return true;
  return false;
}
}  // namespace

std::string NoRomMessage() {
  if (AnyRomLoaded()) return {};
  return "No ROM image is loaded, so the calculator has no firmware to run.\n\n"
         "List your ROM images in the section [ROM] of\n" +
         HomeFile(".Ini") +
         "\nand start again, for example:\n\n"
         "[ROM]\n"
         "Modules=2\n"
         "Module1=0 NUT0.ROM\n"
         "Module2=$1000 NUT1.ROM\n\n"
         "A file name without a folder is taken from the folder of the configuration file.";
}
