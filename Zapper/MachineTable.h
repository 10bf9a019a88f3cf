// The machine models that some behaviours depend on, listed in "ConfigInfo.ini" beside the
// program: manufacturer ids in sections Manufacture001, Manufacture002, ... (key
// "ManufactureID") and machine ids in MACHINE001, MACHINE002, ... (key "MachineID"). Each
// list ends at the first section whose value is missing or 0.
#pragma once

#include <windows.h>

// Set once while the main window initialises: the machine's ids are listed.
extern int machineListed;

// 1 when the id is 0 (nothing looked up), 0 when listed, E_FAIL when the list ends without it.
HRESULT lookupManufacturer(WORD id, const wchar_t* iniPath);
// The same; `listed` becomes 1 only when the id is listed.
HRESULT lookupMachine(WORD id, int& listed, const wchar_t* iniPath);

// "ConfigInfo.ini" in the folder of the running program.
void machineTablePath(wchar_t (&path)[MAX_PATH]);

// Derives machineListed from the two ids as the main window does at start.
void deriveMachineListed(WORD manufacturerId, WORD machineId, const wchar_t* iniPath);
