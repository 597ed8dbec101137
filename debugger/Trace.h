#pragma once
// The trace log: three lines per instruction executed at normal speed while tracing is on.

void OpenTrace();
void CloseTrace();
void WriteTraceRecord();
