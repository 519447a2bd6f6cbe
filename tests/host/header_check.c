/* Compiled on its own as C and as C++ for several targets: the record header
 * must stand alone, stay warning-free, and have the size the target expects. */
#include "aeffect.h"

#ifdef __cplusplus
static_assert(sizeof(AEffect) == VORLEN_EXPECTED_RECORD_SIZE, "record size for this target");
#else
_Static_assert(sizeof(AEffect) == VORLEN_EXPECTED_RECORD_SIZE, "record size for this target");
#endif

/* Using the types keeps the check honest about the function pointer typedefs. */
static VstIntPtr VSTCALLBACK vorlenCheckHost(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                             VstIntPtr value, void* ptr, float opt) {
    (void)effect;
    (void)index;
    (void)value;
    (void)ptr;
    (void)opt;
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

audioMasterCallback vorlenCheckCallback(void);
audioMasterCallback vorlenCheckCallback(void) { return vorlenCheckHost; }
