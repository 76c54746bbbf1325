/*
 * Tessil device plug-in interface.
 *
 * A device plug-in is a shared library that exports exactly the 24 entry
 * points below under their exact names (`_ShowDLL`, `_ParseFile`, ...).
 * Tessil loads it with dlopen(), looks every name up and refuses the library
 * when any one of them is missing. There is no version handshake.
 *
 * Every entry point returns an 8-bit result code. Tessil tests only the codes
 * named below, and only on the entry points that give them meaning; every other
 * value counts as success (for `_ReadRevDev`: as "no device").
 *
 * Call order: `_ShowDLL` is the first call, `_InitHardware` the second. Device
 * access is bracketed by `_InitHardware`, `_PowerOn`, the calls, `_PowerOff`.
 * `_IsHWPresent` follows a bare `_InitHardware`; `_RunTarget` runs outside any
 * bracket. When Tessil closes, `_InitHardware` is the last call before unload.
 *
 * Images: the plug-in holds two images of program memory, selected by `kind`
 * (0 = the file image, 1 = the chip image). Word i holds the device bytes at
 * addresses 2i (low 8 bits) and 2i+1 (high 8 bits). `_GetMemoryBuffer` writes
 * and `_SetMemoryBuffer` reads exactly the number of words that
 * `_GetMemorySize` reports for the same kind. An image holds at most
 * TESSIL_MAX_IMAGE_WORDS words (2 MiB, the PIC18's 21-bit program space);
 * Tessil refuses larger counts, and the word arrays it hands over always have
 * room for that many words, so a plug-in whose two images differ in size
 * cannot run past them.
 *
 * Writing a plug-in: define TESSIL_PLUGIN_IMPLEMENTATION before including this
 * header, then define the functions `tessil_ShowDLL`, `tessil_ParseFile`, ...
 * The declarations below give each one its exported name (`_ShowDLL`, ...) and
 * default visibility, so the library can be built with -fvisibility=hidden and
 * export these 24 symbols and nothing else.
 */
#ifndef TESSIL_PLUGIN_H
#define TESSIL_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
enum {
  TESSIL_REFUSED = 1,         /* _ParseFile, _UnParseFile: the file was refused or not written */
  TESSIL_BLANK = 3,           /* _ReadMem: the device is erased (the read goes on) */
  TESSIL_VERIFY_FAILED = 5,   /* _ProgramMem: the device differs from the image */
  TESSIL_LOCKED = 6,          /* _ReadConfig: the device is code-protected */
  TESSIL_DEVICE_FOUND = 7,    /* _ReadRevDev: a device answers */
  TESSIL_HW_ABSENT = 8,       /* _IsHWPresent: no programmer hardware */
  TESSIL_ABORTED = 10         /* _ReadMem, _ProgramMem: the user cancelled */
};

enum { TESSIL_FILE_IMAGE = 0, TESSIL_CHIP_IMAGE = 1 };
enum { TESSIL_REVDEV_SIZE = 12, TESSIL_ID_BYTES = 8 };
#define TESSIL_MAX_IMAGE_WORDS 1048576u

/*
 * The 24 entry points in the order Tessil looks them up:
 * X(name, parameter list, argument names).
 */
#define TESSIL_PLUGIN_ENTRIES(X)                                                 \
  X(ShowDLL, (uintptr_t owner), (owner))                                         \
  X(ParseFile, (const char *path), (path))                                       \
  X(GetMemorySize, (uint32_t *count, int32_t kind), (count, kind))               \
  X(GetMemoryBuffer, (uint16_t *words, int32_t kind), (words, kind))             \
  X(SetMemoryBuffer, (const uint16_t *words, int32_t kind), (words, kind))       \
  X(UnParseFile, (const char *path, int32_t kind), (path, kind))                 \
  X(ProgramMem, (int32_t kind), (kind))                                          \
  X(ProgramConfig, (int32_t kind), (kind))                                       \
  X(ProgramID, (int32_t kind), (kind))                                           \
  X(ReadMem, (void), ())                                                         \
  X(ReadConfig, (void), ())                                                      \
  X(ReadID, (void), ())                                                          \
  X(ReadRevDev, (uint8_t area[TESSIL_REVDEV_SIZE]), (area))                      \
  X(GetIDValue, (uint8_t *value, uint8_t index, int32_t kind), (value, index, kind)) \
  X(SetIDValue, (uint8_t index, uint8_t value, int32_t kind), (index, value, kind))  \
  X(ComputeGeneralChecksum, (uint16_t *checksum, int32_t kind), (checksum, kind))    \
  X(IsHWPresent, (void), ())                                                     \
  X(InitHardware, (void), ())                                                    \
  X(PowerOn, (void), ())                                                         \
  X(PowerOff, (void), ())                                                        \
  X(ShowSettings, (uintptr_t owner), (owner))                                    \
  X(ShowConfig, (uintptr_t owner, int32_t kind), (owner, kind))                  \
  X(DoBulkErase, (uintptr_t owner), (owner))                                     \
  X(RunTarget, (void), ())

enum { TESSIL_ENTRY_COUNT = 24 };

/* One function-pointer type per entry point: tessil_ShowDLL_fn, ... */
#define TESSIL_DECLARE_FN_TYPE(name, params, args) typedef uint8_t(*tessil_##name##_fn) params;
TESSIL_PLUGIN_ENTRIES(TESSIL_DECLARE_FN_TYPE)
#undef TESSIL_DECLARE_FN_TYPE

/* The exported names, in lookup order. */
#define TESSIL_ENTRY_NAME(name, params, args) "_" #name,
#define TESSIL_ENTRY_NAMES {TESSIL_PLUGIN_ENTRIES(TESSIL_ENTRY_NAME)}

/*
 * TESSIL_EXPORT_AS(symbol): placed after a function declaration, exports the
 * function under the exact symbol name given, with default visibility.
 */
#if defined(__GNUC__) || defined(__clang__)
#define TESSIL_VISIBLE __attribute__((visibility("default")))
#define TESSIL_EXPORT_AS(symbol) __asm__(symbol)
#else
#error "Tessil plug-ins need a compiler that supports asm labels (GCC or Clang)"
#endif

#ifdef TESSIL_PLUGIN_IMPLEMENTATION
#define TESSIL_DECLARE_ENTRY(name, params, args) \
  TESSIL_VISIBLE uint8_t tessil_##name params TESSIL_EXPORT_AS("_" #name);
TESSIL_PLUGIN_ENTRIES(TESSIL_DECLARE_ENTRY)
#undef TESSIL_DECLARE_ENTRY
#endif

#ifdef __cplusplus
}
#endif

#endif /* TESSIL_PLUGIN_H */
