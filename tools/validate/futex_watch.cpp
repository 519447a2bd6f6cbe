// Every blocking wait of the C library and of the threads library ends in a futex system
// call, including the internal locks that no symbol exposes (rand's, malloc's, stdio's). A
// seccomp filter installed on one thread alone (without synchronising it to the others)
// turns that thread's futex calls into SIGSYS, which is counted here when the thread is
// inside processReplacing; the handler then makes the call itself. Only little-endian
// processors whose registers this file knows are watched.
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <link.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/futex.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include "audio_thread_monitor.h"

// ThreadSanitizer defers the delivery of signals to a point of its choosing, by when the
// trapped call can no longer be answered in place nor counted as inside the audio call:
// under it, futex calls are not watched.
#if defined(__SANITIZE_THREAD__)
#define VORLEN_NO_FUTEX_WATCH 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VORLEN_NO_FUTEX_WATCH 1
#endif
#endif

#if defined(VORLEN_NO_FUTEX_WATCH)
// no architecture: not watched
#elif defined(__x86_64__)
#define VORLEN_AUDIT_ARCH AUDIT_ARCH_X86_64
#elif defined(__i386__)
#define VORLEN_AUDIT_ARCH AUDIT_ARCH_I386
#elif defined(__aarch64__)
#define VORLEN_AUDIT_ARCH AUDIT_ARCH_AARCH64
#endif

namespace vorlen::validate {

#ifdef VORLEN_AUDIT_ARCH
namespace {

// Code whose futex calls are not the plug-in's: the validator itself and the sanitizer
// runtimes, whose bookkeeping may wait on their own locks wherever the plug-in runs.
struct CodeRange {
    std::uintptr_t begin;
    std::uintptr_t end;
};
constexpr int kMaxExcluded = 32;
CodeRange excluded[kMaxExcluded];
int excludedCount = 0;

bool isSanitizerRuntime(const char* name) {
    for (const char* runtime : {"libasan", "libtsan", "libubsan", "liblsan", "libclang_rt"}) {
        if (std::strstr(name, runtime) != nullptr) {
            return true;
        }
    }
    return false;
}

int collectExcluded(dl_phdr_info* info, std::size_t, void*) {
    const bool program = info->dlpi_name == nullptr || info->dlpi_name[0] == '\0';
    if (!program && !isSanitizerRuntime(info->dlpi_name)) {
        return 0;
    }
    for (int i = 0; i < info->dlpi_phnum && excludedCount < kMaxExcluded; ++i) {
        const auto& header = info->dlpi_phdr[i];
        if (header.p_type == PT_LOAD && (header.p_flags & PF_X) != 0) {
            const std::uintptr_t begin = info->dlpi_addr + header.p_vaddr;
            excluded[excludedCount++] = {begin, begin + header.p_memsz};
        }
    }
    return 0;
}

bool fromExcludedCode(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    for (int i = 0; i < excludedCount; ++i) {
        if (at >= excluded[i].begin && at < excluded[i].end) {
            return true;
        }
    }
    return false;
}

// Marks a futex call as made by the handler below, which the filter lets through. It goes
// in an argument the operation ignores: the second address for the plain waits, wakes and
// priority-inheritance locks, the last value for a requeue.
constexpr std::uint32_t kCookie = 0x5ec0ffeeu;

// Counts the trapped call and makes it after all, marked, so that the thread behaves as if
// it had never been watched. The two operations that use every argument cannot be marked:
// for them a wait returns as if woken spuriously (which callers must handle by retrying)
// and a wake reports that nobody was woken.
void onTrappedSystemCall(int, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    auto* machine = static_cast<ucontext_t*>(context);
#if defined(__x86_64__)
    greg_t* const registers = machine->uc_mcontext.gregs;
    greg_t* const argument[6] = {&registers[REG_RDI], &registers[REG_RSI], &registers[REG_RDX],
                                 &registers[REG_R10], &registers[REG_R8],  &registers[REG_R9]};
    greg_t& result = registers[REG_RAX];
#elif defined(__i386__)
    greg_t* const registers = machine->uc_mcontext.gregs;
    greg_t* const argument[6] = {&registers[REG_EBX], &registers[REG_ECX], &registers[REG_EDX],
                                 &registers[REG_ESI], &registers[REG_EDI], &registers[REG_EBP]};
    greg_t& result = registers[REG_EAX];
#elif defined(__aarch64__)
    auto* const registers = machine->uc_mcontext.regs;
    decltype(registers) const argument[6] = {&registers[0], &registers[1], &registers[2],
                                             &registers[3], &registers[4], &registers[5]};
    auto& result = registers[0];
#endif
    if (!fromExcludedCode(info->si_call_addr)) {
        detail::noteFutex();
    }
    long values[6];
    for (int i = 0; i < 6; ++i) {
        values[i] = static_cast<long>(*argument[i]);
    }
    const long command = values[1] & FUTEX_CMD_MASK;
    int marked = 4;
    if (command == FUTEX_REQUEUE) {
        marked = 5;
    } else if (command == FUTEX_WAKE_OP || command == FUTEX_CMP_REQUEUE ||
               command == FUTEX_CMP_REQUEUE_PI || command == FUTEX_WAIT_REQUEUE_PI) {
        marked = -1;
    }
    if (marked < 0) {
        const bool wakes = command != FUTEX_WAIT_REQUEUE_PI;
        result = wakes ? 0 : -EAGAIN;
    } else {
        values[marked] = static_cast<long>(kCookie);
        const long made = syscall(info->si_syscall, values[0], values[1], values[2], values[3],
                                  values[4], values[5]);
        result = made == -1 ? -errno : made;
    }
    errno = savedErrno;
}

} // namespace

bool watchFutexOnThisThread() noexcept {
    static const bool handlerInstalled = [] {
        dl_iterate_phdr(collectExcluded, nullptr);
        struct sigaction action {};
        action.sa_sigaction = onTrappedSystemCall;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        return sigaction(SIGSYS, &action, nullptr) == 0;
    }();
    if (!handlerInstalled) {
        return false;
    }
    // Little-endian only (see above): the low word of a 64-bit argument comes first.
    constexpr std::uint32_t kArgument4 = offsetof(seccomp_data, args) + 4 * sizeof(std::uint64_t);
    constexpr std::uint32_t kArgument5 = offsetof(seccomp_data, args) + 5 * sizeof(std::uint64_t);
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, VORLEN_AUDIT_ARCH, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_futex, 2, 0),
#ifdef SYS_futex_time64
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_futex_time64, 1, 0),
#else
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_futex, 1, 0),
#endif
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kArgument4),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kCookie, 3, 0),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kArgument5),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kCookie, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog filter{static_cast<unsigned short>(sizeof program / sizeof program[0]), program};
    // Without privileges a filter needs no_new_privs; it is inherited only by threads this
    // one creates. No TSYNC: the other threads stay unfiltered.
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        return false;
    }
    return syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &filter) == 0;
}

#else

bool watchFutexOnThisThread() noexcept {
    return false;
}

#endif

} // namespace vorlen::validate
