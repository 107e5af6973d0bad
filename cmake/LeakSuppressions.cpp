// Linked into every executable of a sanitizer build. Fontconfig keeps its font
// cache for the life of the process in a form the leak checker cannot follow,
// and the HEIF encoder used by the tests does the same with its tables.
extern "C" const char *__lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libx265.so\n";
}
