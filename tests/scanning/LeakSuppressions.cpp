// Leaks the sanitizer reports inside third-party libraries, not ours:
// fontconfig keeps its pattern cache (reached through self-relative offsets
// the leak checker cannot follow) and x265 keeps one encoder allocation for
// the life of the process.
extern "C" const char *__lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libx265.so\n";
}
