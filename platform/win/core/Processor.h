// Processor features under the Win32 name, for code that picks a vector path at run time.
//
// Keeps: IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE) is nonzero when the processor
// and the system support AVX2 instructions.
// Differs: that is the only feature known; any other is reported absent, as is AVX2 on
// processors other than x86. Header only, so the image library (which links no platform
// library) can use it too.
// Thread safety: any thread; the answer is found once.
#pragma once

#include "platform/win/WinTypes.h"

#define PF_AVX2_INSTRUCTIONS_AVAILABLE 40

inline BOOL IsProcessorFeaturePresent(DWORD feature) {
#if defined(__x86_64__) || defined(__i386__)
    if (feature == PF_AVX2_INSTRUCTIONS_AVAILABLE) {
        static const bool avx2 = [] {
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2") != 0;
        }();
        return avx2 ? TRUE : FALSE;
    }
#endif
    return FALSE;
}
