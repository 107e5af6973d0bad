// Linked into every executable of a sanitizer build. Fontconfig keeps its font
// cache for the life of the process in a form the leak checker cannot follow,
// and the HEIF encoder used by the tests does the same with its tables.
extern "C" const char *__lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libx265.so\n";
}

// The list of suppressions used would otherwise end every program's error
// output, and the tests hold the command line to one sentence there.
extern "C" const char *__lsan_default_options() {
  return "print_suppressions=0";
}
