#pragma once

namespace umbrix::platform {

// Code built for AVX (the toolkit's painting, some of the libraries under it)
// may return with the upper halves of the vector registers still in use.
// Until they are cleared, the SSE instructions of our own code, built for
// plain x86-64, pay for them one by one: on the development machine's Xeon
// a walk ran at two thirds of its speed after each round of window events.
// Clearing them takes a few cycles, and nothing of ours keeps a value there.
inline void clearUpperVectorState()
{
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx"))
        asm volatile("vzeroupper");
#endif
}

} // namespace umbrix::platform
