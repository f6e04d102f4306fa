// A module with nothing in it: the floor for loading and unloading one.
// Windows' entry point is the runtime's default one, which does nothing.
