/*
 * A minimal plug-in as an author outside this tree would write it: compiled
 * against the installed <tessil/plugin.h> with flags from pkg-config. Every
 * entry point answers 0, except that _IsHWPresent reports no hardware, so a
 * test can tell that its calls arrive here.
 */
#define TESSIL_PLUGIN_IMPLEMENTATION
#include <tessil/plugin.h>

#include <string.h>

#define DEFINE_ENTRY(name, params, args) \
  uint8_t tessil_##name params { return strcmp(#name, "IsHWPresent") == 0 ? TESSIL_HW_ABSENT : 0; }
TESSIL_PLUGIN_ENTRIES(DEFINE_ENTRY)
