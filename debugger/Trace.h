#pragma once
// The trace log: three lines per instruction executed at normal speed while tracing is on.

#include <cstdint>

void OpenTrace();
void CloseTrace();
void WriteTraceRecord();

// The most the log may hold, in bytes (0: no limit). At the limit tracing stops and the
// annunciator line says so: a trace of a busy loop would otherwise fill the disk in minutes.
void SetTraceLimit(uint64_t bytes);
inline constexpr uint64_t kDefaultTraceLimitMb = 100;
