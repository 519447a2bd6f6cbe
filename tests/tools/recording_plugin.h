// What the recording test plug-in remembers, shared with the tests that read it.
#pragma once

#include "aeffect.h"

/// One call the plug-in received, or one answer it got from its host: host
/// answers appear with the negated host opcode and the answer as `value`.
struct RecordedCall {
    VstInt32 opcode;
    VstIntPtr value;
    float opt;
};

/// Exported by the plug-in: the calls so far, oldest first.
using RecordedCallsProc = const RecordedCall* (*)(int* count);
/// Exported by the plug-in: forgets every call so far.
using ForgetRecordedCallsProc = void (*)();
