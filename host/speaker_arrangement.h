/*
 * Speaker-arrangement records exchanged with the host, and the opaque records
 * of the VST 2.4 interface that the extended protocol passes through by
 * pointer without reading them.
 *
 * Like aeffect.h this is plain C (C11 and C++20): the host reads and writes
 * these records with code we did not compile, so their layout is binding.
 * Numbers are in the machine's byte order; there are no gaps between fields.
 */
#ifndef VORLEN_HOST_SPEAKER_ARRANGEMENT_H
#define VORLEN_HOST_SPEAKER_ARRANGEMENT_H

#include "aeffect.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Records that only travel by pointer between host and effect. Their layout
 * belongs to the host; nothing in this plug-in dereferences them. */
typedef struct VstEvents VstEvents;
typedef struct VstParameterProperties VstParameterProperties;
typedef struct VstPinProperties VstPinProperties;
typedef struct VstPatchChunkInfo VstPatchChunkInfo;
typedef struct VstVariableIo VstVariableIo;
typedef struct VstTimeInfo VstTimeInfo;
typedef struct MidiProgramName MidiProgramName;
typedef struct MidiProgramCategory MidiProgramCategory;
typedef struct MidiKeyName MidiKeyName;
typedef struct VstFileSelect VstFileSelect;
typedef struct VstAudioFile VstAudioFile;
typedef struct VstOfflineTask VstOfflineTask;
typedef struct VstWindow VstWindow;

/** Length of a speaker name buffer in bytes, terminating NUL included. */
enum { kVstSpeakerNameLength = 64 };

/** One speaker of an arrangement, 112 bytes. The effect never interprets the
 *  numbers; it only zeroes or copies them. */
typedef struct VstSpeakerProperties {
    float azimuth;                    /**< 0: horizontal direction */
    float elevation;                  /**< 4: vertical direction */
    float radius;                     /**< 8: distance */
    float reserved;                   /**< 12: keep 0 */
    char name[kVstSpeakerNameLength]; /**< 16: NUL-terminated within the 64 bytes */
    VstInt32 type;                    /**< 80: speaker type */
    char future[28];                  /**< 84: reserved */
} VstSpeakerProperties;

/** A speaker arrangement: an 8-byte header followed by `numChannels` speaker
 *  records, 8 + 112 * numChannels bytes in all. The array is declared with the
 *  published interface's eight entries so that hosts may place one on their
 *  stack, but an arrangement made by allocateArrangement is exactly as long
 *  as its channel count says, fewer or more than eight; walk it by
 *  `numChannels`, never by sizeof. */
typedef struct VstSpeakerArrangement {
    VstInt32 type;                    /**< 0: arrangement type */
    VstInt32 numChannels;             /**< 4: number of speakers that follow */
    VstSpeakerProperties speakers[8]; /**< 8: one record per channel, in order */
} VstSpeakerArrangement;

VORLEN_STATIC_ASSERT(sizeof(VstSpeakerProperties) == 112, "VstSpeakerProperties is 112 bytes");
VORLEN_STATIC_ASSERT(offsetof(VstSpeakerProperties, azimuth) == 0, "azimuth");
VORLEN_STATIC_ASSERT(offsetof(VstSpeakerProperties, elevation) == 4, "elevation");
VORLEN_STATIC_ASSERT(offsetof(VstSpeakerProperties, radius) == 8, "radius");
VORLEN_STATIC_ASSERT(offsetof(VstSpeakerProperties, reserved) == 12, "reserved");
VORLEN_STATIC_ASSERT(offsetof(VstSpeakerProperties, name) == 16, "name");
VORLEN_STATIC_ASSERT(offsetof(VstSpeakerProperties, type) == 80, "type");
VORLEN_STATIC_ASSERT(offsetof(VstSpeakerProperties, future) == 84, "future");
VORLEN_STATIC_ASSERT(offsetof(VstSpeakerArrangement, type) == 0, "arrangement type");
VORLEN_STATIC_ASSERT(offsetof(VstSpeakerArrangement, numChannels) == 4, "numChannels");
VORLEN_STATIC_ASSERT(offsetof(VstSpeakerArrangement, speakers) == 8, "speakers");
VORLEN_STATIC_ASSERT(sizeof(VstSpeakerArrangement) == 8 + 8 * 112,
                     "VstSpeakerArrangement is a header and eight speakers");

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* VORLEN_HOST_SPEAKER_ARRANGEMENT_H */
