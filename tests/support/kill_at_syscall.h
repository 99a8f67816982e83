#pragma once
// Fault injection for writers: a child process does some work and is killed
// by the kernel (a seccomp filter) at its first system call of one kind, as a
// crash or a kill -9 at exactly that moment would end it.
#include <cstddef>
#include <functional>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kill_at {

#if defined(__x86_64__)
constexpr unsigned kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr unsigned kArch = AUDIT_ARCH_AARCH64;
#else
constexpr unsigned kArch = 0;
#endif

// Ends the calling process at its next system call numbered `nr`, or, with
// `flagsArg` >= 0, only when that argument holds all of `flags`.
inline bool KillAtSyscall(int nr, int flagsArg = -1, unsigned flags = 0) {
  std::vector<sock_filter> prog = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(nr), 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  if (flagsArg >= 0) {
    // The low 32 bits of the argument on a little-endian machine.
    prog.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS,
                            static_cast<unsigned>(offsetof(seccomp_data, args) + 8 * flagsArg)));
    prog.push_back(BPF_STMT(BPF_ALU | BPF_AND | BPF_K, flags));
    prog.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, flags, 1, 0));
    prog.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  }
  prog.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS));
  sock_fprog program{static_cast<unsigned short>(prog.size()), prog.data()};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Runs `work` in a child process; its wait status, or -1 when it did not end
// within `seconds` (it is then killed).
inline int RunInChild(const std::function<void()> &work, int seconds = 20) {
  const pid_t pid = fork();
  if (pid == 0) {
    work();
    _exit(0);
  }
  int status = 0;
  for (int i = 0; i < seconds * 100; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid)
      return status;
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

} // namespace kill_at
