// Preloaded into 32-bit Wine where i386 programs run under qemu's user-mode
// emulation. qemu delivers a synchronous fault with the trap number of the
// signal context left at -1; Wine tells the Windows exceptions apart by that
// number, and without it reports an access violation as an illegal
// instruction, a division by zero as a floating-point fault, and misses
// guard pages and stack overflows. Handlers installed with sigaction for
// the fault signals get the number the processor would have set, derived
// from the signal and its code, before they run.
//
// Built for x86-64 this file is empty: that twin sits at the $LIB path of
// 64-bit processes, so the same LD_PRELOAD loads silently in both.

#if defined(__i386__) && defined(__linux__)

#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stddef.h>
#include <ucontext.h>

enum {
  kTrapDivide = 0,
  kTrapTrace = 1,
  kTrapBreakpoint = 3,
  kTrapOverflow = 4,
  kTrapInvalidOpcode = 6,
  kTrapProtection = 13,
  kTrapPageFault = 14,
  kTrapFloatingPoint = 16,
};

typedef int (*SigactionFn)(int, const struct sigaction*, struct sigaction*);
typedef void (*InfoHandler)(int, siginfo_t*, void*);

// The handler each fault signal's owner installed, and whether it takes siginfo.
static struct sigaction installed[_NSIG];

static int IsFaultSignal(int sig) {
  return sig == SIGSEGV || sig == SIGILL || sig == SIGFPE || sig == SIGTRAP;
}

static int TrapNumber(int sig, const siginfo_t* info) {
  switch (sig) {
    case SIGSEGV:
      return info->si_code == SEGV_MAPERR || info->si_code == SEGV_ACCERR ? kTrapPageFault : kTrapProtection;
    case SIGILL:
      return kTrapInvalidOpcode;
    case SIGFPE:
      if (info->si_code == FPE_INTDIV) return kTrapDivide;
      if (info->si_code == FPE_INTOVF) return kTrapOverflow;
      return kTrapFloatingPoint;
    case SIGTRAP:
      return info->si_code == TRAP_TRACE ? kTrapTrace : kTrapBreakpoint;
  }
  return -1;
}

static void FillTrapNumber(int sig, siginfo_t* info, void* context) {
  ucontext_t* uc = context;
  if (uc != NULL && uc->uc_mcontext.gregs[REG_TRAPNO] == -1) {
    uc->uc_mcontext.gregs[REG_TRAPNO] = TrapNumber(sig, info);
  }
  const struct sigaction* action = &installed[sig];
  if (action->sa_flags & SA_SIGINFO) {
    action->sa_sigaction(sig, info, context);
  } else if (action->sa_handler != SIG_DFL && action->sa_handler != SIG_IGN) {
    action->sa_handler(sig);
  }
}

int sigaction(int sig, const struct sigaction* action, struct sigaction* previous) {
  static SigactionFn real;
  if (real == NULL) real = (SigactionFn)dlsym(RTLD_NEXT, "sigaction");
  if (!IsFaultSignal(sig)) return real(sig, action, previous);

  // The table holds the new handler before the kernel can deliver to it.
  const struct sigaction before = installed[sig];
  if (action != NULL) installed[sig] = *action;
  struct sigaction replacement;
  if (action != NULL && !(action->sa_flags & SA_SIGINFO) &&
      (action->sa_handler == SIG_DFL || action->sa_handler == SIG_IGN)) {
    replacement = *action;  // the default and ignoring need no trap number
  } else if (action != NULL) {
    replacement = *action;
    replacement.sa_flags |= SA_SIGINFO;
    replacement.sa_sigaction = FillTrapNumber;
  }
  struct sigaction kernel_before;
  const int result = real(sig, action != NULL ? &replacement : NULL, &kernel_before);
  if (result != 0) {
    installed[sig] = before;
    return result;
  }
  if (previous != NULL) {
    // The caller sees its own handler, never the wrapper.
    *previous = kernel_before;
    if (kernel_before.sa_sigaction == FillTrapNumber) {
      previous->sa_flags = before.sa_flags;
      previous->sa_sigaction = before.sa_sigaction;
    }
  }
  return 0;
}

#endif
