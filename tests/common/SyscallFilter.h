#pragma once
// Fault injection by the kernel: a seccomp filter that makes one system call fail
// (or trap) on the calling thread, so a test sees the program's real reaction to a
// failure that cannot be provoked on a healthy file system. Install it only in a
// forked child (inChild, asNobody): it cannot be removed again.

#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>

#include <cstddef>
#include <cstdint>

namespace plenwick::test {

// The system call `number` gets `action` (SECCOMP_RET_ERRNO | error, SECCOMP_RET_TRAP,
// …) when its argument `argument` has a bit of `mask` set, or always for mask 0;
// every other call passes. Applies to the calling thread and the threads it starts
// afterwards. False when the kernel refuses the filter.
inline bool filterSyscall(long number, unsigned argument, std::uint32_t mask, std::uint32_t action) {
    // The low 32 bits of the argument (little-endian).
    const std::uint32_t argumentOffset =
        static_cast<std::uint32_t>(offsetof(seccomp_data, args) + argument * sizeof(std::uint64_t));
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(number), 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, argumentOffset),
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, mask, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, action),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    if (mask == 0) program[3] = BPF_STMT(BPF_JMP | BPF_JA, 0); // straight to the action
    sock_fprog filter{static_cast<unsigned short>(sizeof program / sizeof program[0]), program};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

} // namespace plenwick::test
