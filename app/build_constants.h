// Build-time globals read by the dialog and the install sequence.
#pragma once

// Build date as yyyymmdd, shown in the dialog caption as Vyyyy.m.d.
extern int kBuildDate;
// Bitness of this edition: 32 or 64. The 32-bit edition hides AutoCAD 2017..2024.
extern int kEditionBits;
// While set, Install first checks for a running AutoCAD; cleared after the first warning.
extern bool g_warnIfHostRunning;
