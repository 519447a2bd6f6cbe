// Every blocking wait of the C library and of the threads library ends in a futex system
// call, including the internal locks that no symbol exposes (rand's, malloc's, stdio's). A
// seccomp filter installed on one thread alone (without synchronising it to the others)
// turns that thread's futex calls into SIGSYS, which is counted here when the thread is
// inside processReplacing.
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

#if defined(__x86_64__)
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

// The trapped call is not made. A wait returns as if woken spuriously, which every caller
// must already handle by retrying; a wake reports that nobody was woken.
void onTrappedSystemCall(int, siginfo_t* info, void* context) {
    auto* machine = static_cast<ucontext_t*>(context);
#if defined(__x86_64__)
    greg_t& operation = machine->uc_mcontext.gregs[REG_RSI];
    greg_t& result = machine->uc_mcontext.gregs[REG_RAX];
#elif defined(__i386__)
    greg_t& operation = machine->uc_mcontext.gregs[REG_ECX];
    greg_t& result = machine->uc_mcontext.gregs[REG_EAX];
#elif defined(__aarch64__)
    auto& operation = machine->uc_mcontext.regs[1];
    auto& result = machine->uc_mcontext.regs[0];
#endif
    if (!fromExcludedCode(info->si_call_addr)) {
        detail::noteFutex();
    }
    const long command = static_cast<long>(operation) & FUTEX_CMD_MASK;
    const bool wakes = command == FUTEX_WAKE || command == FUTEX_WAKE_OP ||
                       command == FUTEX_WAKE_BITSET || command == FUTEX_REQUEUE ||
                       command == FUTEX_CMP_REQUEUE || command == FUTEX_UNLOCK_PI;
    result = wakes ? 0 : -EAGAIN;
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
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, VORLEN_AUDIT_ARCH, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_futex, 3, 0),
#ifdef SYS_futex_time64
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_futex_time64, 2, 0),
#else
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_futex, 2, 0),
#endif
#ifdef SYS_futex_waitv
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_futex_waitv, 1, 0),
#else
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_futex, 1, 0),
#endif
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
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
