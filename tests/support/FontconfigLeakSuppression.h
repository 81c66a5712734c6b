#pragma once
// fontconfig keeps its configuration for the life of the process and frees it
// only on FcFini, which nothing calls; LeakSanitizer would report it at exit.
// Include from exactly one source file of a test program.

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
