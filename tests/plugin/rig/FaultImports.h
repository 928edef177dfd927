// Faults the import table can put into the plug-in's file and memory calls:
// scripted temporary names, a failing allocation, poisoned frees, short
// writes and a failing close. All off after CFaults::Reset.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

class CFaults
{
public:
    static void Reset();

    // Temporary names come from 'names' (each created as the system does); none left fails the call.
    static void ScriptTempNames(const std::deque<std::string>& names);
    // Scripted names not yet handed out.
    static size_t TempNamesLeft();
    // Allocation number nFailAt (counted from 0 from now) fails; the others succeed.
    static void FailAllocation(int nFailAt);
    static void StopFailingAllocations();
    // Freed blocks are overwritten and kept, so a later look into one reads garbage.
    static void PoisonFrees(bool bPoison);
    // At most nBytes more bytes reach files (no limit when negative).
    static void LimitWrites(LONGLONG nBytes);
    // Closing a file reports lost data (after closing it).
    static void FailCloses(bool bFail);
};
