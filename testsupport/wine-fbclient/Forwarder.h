#pragma once

// The seam between the two halves of fbclient.dll for Wine: Forwarder.cpp (host compiler, Linux
// view of ibase.h) and WineSide.c (winegcc, Windows API). Plain C functions in the System V
// convention on both sides: no Windows convention crosses here.

#ifdef __cplusplus
extern "C" {
#endif

// Loads libfbclient.so.2 and every entry point the exports need; 0 (after saying why on
// stderr) when one is missing.
int WineFbclientOpen(void);

// The Unix name (UTF-8, to be released with free) of a Windows file name of ALength bytes in
// the ANSI code page; null when Wine has none.
char* WineUnixFileName(const char* AName, int ALength);

#ifdef __cplusplus
}
#endif
