/* Compiled on its own as C and as C++ for 32-bit targets: the speaker records
 * must stand alone, stay warning-free, and keep their layout where pointers
 * are 4 bytes wide (the header's own assertions check every offset). */
#include "speaker_arrangement.h"

VstInt32 vorlenCheckSpeakerCount(const VstSpeakerArrangement* arrangement);
VstInt32 vorlenCheckSpeakerCount(const VstSpeakerArrangement* arrangement) {
    return arrangement->numChannels + arrangement->speakers[0].type;
}
