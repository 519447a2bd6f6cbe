// The C-library functions that serialise on a lock shared by the whole process, replaced in
// this program so that a call from inside processReplacing is counted before the library's
// own definition (or a sanitizer's interceptor) runs. glibc's rand and random take the
// generator's lock, every stdio call the stream's lock, the time zone functions the time
// zone lock and the locale functions the locale lock: on an audio thread any of them can
// wait behind another thread of the host.
//
// No header here may bring in <stdio.h> (nor the C++ headers that include it): where it is
// fortified or optimised, its inline definitions would clash with these. FILE is only ever
// passed through.
#include <clocale>
#include <cstdarg>
#include <cstddef>
#include <ctime>
#include <dlfcn.h>

#include "audio_thread_monitor.h"

struct _IO_FILE;
using File = _IO_FILE;

namespace {

template <typename Function>
Function resolveNext(const char* name) noexcept {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

// Resolved before main, so that no lookup (which takes the loader's lock) happens on an
// audio thread.
#define VORLEN_COUNTED(result, name, parameters, arguments, exceptions)                            \
    namespace {                                                                                    \
    using name##_type = result(*) parameters;                                                      \
    name##_type next_##name = nullptr;                                                             \
    __attribute__((constructor)) void resolve_##name() {                                           \
        next_##name = resolveNext<name##_type>(#name);                                             \
    }                                                                                              \
    }                                                                                              \
    extern "C" __attribute__((visibility("default"))) result name parameters exceptions {          \
        vorlen::validate::detail::noteLibraryLock(#name);                                          \
        if (next_##name == nullptr) {                                                              \
            next_##name = resolveNext<name##_type>(#name);                                         \
        }                                                                                          \
        return next_##name arguments;                                                              \
    }

// The generator behind rand and random.
VORLEN_COUNTED(int, rand, (), (), noexcept)
VORLEN_COUNTED(long, random, (), (), noexcept)
VORLEN_COUNTED(void, srand, (unsigned seed), (seed), noexcept)
VORLEN_COUNTED(void, srandom, (unsigned seed), (seed), noexcept)
VORLEN_COUNTED(char*, initstate, (unsigned seed, char* state, std::size_t size),
               (seed, state, size), noexcept)
VORLEN_COUNTED(char*, setstate, (char* state), (state), noexcept)

// stdio: every stream operation locks the stream, and opening and closing lock the list of
// streams. printf and fprintf are written out below.
VORLEN_COUNTED(int, vprintf, (const char* format, va_list arguments), (format, arguments), )
VORLEN_COUNTED(int, vfprintf, (File * stream, const char* format, va_list arguments),
               (stream, format, arguments), )
VORLEN_COUNTED(int, __vprintf_chk, (int flag, const char* format, va_list arguments),
               (flag, format, arguments), )
VORLEN_COUNTED(int, __vfprintf_chk,
               (File * stream, int flag, const char* format, va_list arguments),
               (stream, flag, format, arguments), )
VORLEN_COUNTED(int, puts, (const char* text), (text), )
VORLEN_COUNTED(int, fputs, (const char* text, File* stream), (text, stream), )
VORLEN_COUNTED(int, fputc, (int c, File* stream), (c, stream), )
VORLEN_COUNTED(int, putc, (int c, File* stream), (c, stream), )
VORLEN_COUNTED(int, putchar, (int c), (c), )
VORLEN_COUNTED(std::size_t, fwrite,
               (const void* data, std::size_t size, std::size_t count, File* stream),
               (data, size, count, stream), )
VORLEN_COUNTED(std::size_t, fread, (void* data, std::size_t size, std::size_t count, File* stream),
               (data, size, count, stream), )
VORLEN_COUNTED(int, fflush, (File * stream), (stream), )
VORLEN_COUNTED(File*, fopen, (const char* path, const char* mode), (path, mode), )
VORLEN_COUNTED(int, fclose, (File * stream), (stream), )
VORLEN_COUNTED(char*, fgets, (char* text, int size, File* stream), (text, size, stream), )
VORLEN_COUNTED(int, fgetc, (File * stream), (stream), )
VORLEN_COUNTED(int, getc, (File * stream), (stream), )

// The time zone: conversions to broken-down time read it under its lock.
VORLEN_COUNTED(std::tm*, localtime, (const std::time_t* time), (time), noexcept)
VORLEN_COUNTED(std::tm*, localtime_r, (const std::time_t* time, std::tm* out), (time, out),
               noexcept)
VORLEN_COUNTED(std::tm*, gmtime, (const std::time_t* time), (time), noexcept)
VORLEN_COUNTED(std::tm*, gmtime_r, (const std::time_t* time, std::tm* out), (time, out), noexcept)
VORLEN_COUNTED(std::time_t, mktime, (std::tm * time), (time), noexcept)
VORLEN_COUNTED(char*, ctime, (const std::time_t* time), (time), noexcept)
VORLEN_COUNTED(void, tzset, (), (), noexcept)
VORLEN_COUNTED(std::size_t, strftime,
               (char* out, std::size_t size, const char* format, const std::tm* time),
               (out, size, format, time), noexcept)

// Locales: creating, copying and switching one takes the locale lock.
VORLEN_COUNTED(char*, setlocale, (int category, const char* name), (category, name), noexcept)
VORLEN_COUNTED(locale_t, newlocale, (int mask, const char* name, locale_t base), (mask, name, base),
               noexcept)
VORLEN_COUNTED(locale_t, duplocale, (locale_t locale), (locale), noexcept)
VORLEN_COUNTED(void, freelocale, (locale_t locale), (locale), noexcept)

#undef VORLEN_COUNTED

extern "C" __attribute__((visibility("default"))) int printf(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vorlen::validate::detail::noteLibraryLock("printf");
    const int result = next_vprintf(format, arguments);
    va_end(arguments);
    return result;
}

extern "C" __attribute__((visibility("default"))) int fprintf(File* stream, const char* format,
                                                              ...) {
    va_list arguments;
    va_start(arguments, format);
    vorlen::validate::detail::noteLibraryLock("fprintf");
    const int result = next_vfprintf(stream, format, arguments);
    va_end(arguments);
    return result;
}

extern "C" __attribute__((visibility("default"))) int __printf_chk(int flag, const char* format,
                                                                   ...) {
    va_list arguments;
    va_start(arguments, format);
    vorlen::validate::detail::noteLibraryLock("__printf_chk");
    const int result = next___vprintf_chk(flag, format, arguments);
    va_end(arguments);
    return result;
}

extern "C" __attribute__((visibility("default"))) int __fprintf_chk(File* stream, int flag,
                                                                    const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vorlen::validate::detail::noteLibraryLock("__fprintf_chk");
    const int result = next___vfprintf_chk(stream, flag, format, arguments);
    va_end(arguments);
    return result;
}
