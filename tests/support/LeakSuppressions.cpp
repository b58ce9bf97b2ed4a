// Allocations the font configuration library keeps for the life of the process are not leaks
// of ours; the leak checker is told to pass over them.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
