// The module (DLL or program) that holds this code, whose resources are its own.
#pragma once

// The module's handle as an HMODULE: the one the loader passed to DllMain when this code
// is a DLL, else the module found from the address of this code (a test program).
void* qbOwnModule();
