// Stack-balance probe: calls a function with arguments pushed by hand and
// reports how far the stack pointer moved, which shows who removes the
// arguments (0 for __stdcall, 4 x the argument count for __cdecl).
#pragma once

#include <windows.h>

// Calls pfn with nArgs 32-bit arguments (pArgs[0] first, pushed last) and
// returns the stack pointer before the call minus the stack pointer after it.
// The stack pointer is restored either way.
int StackBytesLeftByCall(const void* pfn, const DWORD* pArgs, int nArgs);
