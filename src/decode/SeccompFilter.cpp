#include "decode/SeccompFilter.h"

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <seccomp.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>

bool lockDownForDecoding(QString *why)
{
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        *why = QStringLiteral("no new privileges: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    scmp_filter_ctx ctx = seccomp_init(SCMP_ACT_ALLOW);
    if (!ctx) {
        *why = QStringLiteral("seccomp is not available");
        return false;
    }
    const uint32_t refuse = SCMP_ACT_ERRNO(EPERM);
    // Flatpak's list of what sandboxed code never needs, and starting programs.
    const int refused[] = {
        SCMP_SYS(unshare), SCMP_SYS(setns), SCMP_SYS(mount), SCMP_SYS(umount2), SCMP_SYS(pivot_root),
        SCMP_SYS(chroot), SCMP_SYS(ptrace), SCMP_SYS(process_vm_readv), SCMP_SYS(process_vm_writev),
        SCMP_SYS(add_key), SCMP_SYS(keyctl), SCMP_SYS(request_key), SCMP_SYS(perf_event_open),
        SCMP_SYS(bpf), SCMP_SYS(userfaultfd), SCMP_SYS(kexec_load), SCMP_SYS(init_module),
        SCMP_SYS(finit_module), SCMP_SYS(delete_module), SCMP_SYS(personality), SCMP_SYS(acct),
        SCMP_SYS(swapon), SCMP_SYS(swapoff), SCMP_SYS(reboot), SCMP_SYS(syslog), SCMP_SYS(uselib),
        SCMP_SYS(quotactl), SCMP_SYS(open_by_handle_at), SCMP_SYS(name_to_handle_at),
        SCMP_SYS(execve), SCMP_SYS(execveat), SCMP_SYS(fanotify_init), SCMP_SYS(io_uring_setup),
        SCMP_SYS(move_mount), SCMP_SYS(open_tree), SCMP_SYS(fsopen), SCMP_SYS(fsmount), SCMP_SYS(fsconfig),
    };
    bool ok = true;
    for (const int call : refused)
        ok = ok && seccomp_rule_add(ctx, refuse, call, 0) == 0;
    // No new namespaces through clone either.
    ok = ok && seccomp_rule_add(ctx, refuse, SCMP_SYS(clone), 1,
                                SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_NEWUSER, CLONE_NEWUSER)) == 0;
    // glibc starts threads with clone3 and falls back to clone only when the kernel lacks it.
    ok = ok && seccomp_rule_add(ctx, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0;
    // Typing into the terminal the program was started from.
    ok = ok && seccomp_rule_add(ctx, refuse, SCMP_SYS(ioctl), 1, SCMP_A1(SCMP_CMP_MASKED_EQ, 0xffffffffu, TIOCSTI)) == 0;
    // Only local sockets (there is no network inside; this holds without the namespaces too).
    ok = ok && seccomp_rule_add(ctx, refuse, SCMP_SYS(socket), 1, SCMP_A0(SCMP_CMP_NE, AF_UNIX)) == 0;
    ok = ok && seccomp_load(ctx) == 0;
    seccomp_release(ctx);
    if (!ok)
        *why = QStringLiteral("the seccomp filter could not be loaded");
    return ok;
}
