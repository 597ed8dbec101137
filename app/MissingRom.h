#pragma once
// The message a program shows when start-up loaded no ROM image at all, so that the calculator
// does not run through empty memory without a word.

#include <string>

// Empty when some ROM is loaded; otherwise a text that names the configuration file and shows
// how to list ROM images in it.
std::string NoRomMessage();
