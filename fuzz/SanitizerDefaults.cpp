// AddressSanitizer settings for the fuzz targets; ASAN_OPTIONS in the environment still wins.
//
// A freed block stays in quarantine (unusable) so that a late use of it is caught. The default
// keeps 256 MB of them; one input frees a few kilobytes, so 16 MB still covers every block an
// input frees for the rest of that input and of many inputs after it, while the allocator works
// in memory that is already mapped and in cache instead of fresh pages.

extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
