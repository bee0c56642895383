// MILMET2.DLL, the board library of the simulated board. The source loads it
// only to prove that the board's library is installed and resolves nothing
// from it, so the module has no entry points; its version resource is all it
// carries.
