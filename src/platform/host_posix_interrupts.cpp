// Interrupts on POSIX: SIGINT, SIGTERM, SIGHUP and SIGQUIT are caught while
// deferred and raised again, with their usual effect, when delivered.
#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "platform/host.h"
#include "platform/host_internal.h"
#include "platform/host_posix.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile sig_atomic_t deferring = 0;
volatile sig_atomic_t pendingSignal = 0;
bool installed = false;

void EndBy(int signal) {
  PosixRemoveWorkOnInterrupt();
  HostUnlockCard();  // unlink and close only: safe here
  struct sigaction usual = {};
  usual.sa_handler = SIG_DFL;
  sigemptyset(&usual.sa_mask);
  sigaction(signal, &usual, nullptr);
  raise(signal);
}

void OnSignal(int signal) {
  if (deferring == 0) {
    EndBy(signal);  // as if never caught
    return;
  }
  if (pendingSignal == 0) pendingSignal = signal;
}

}  // namespace

void HostDeferInterrupts(bool defer) {
  if (defer && !installed) {
    installed = true;
    for (int signal : kSignals) {
      struct sigaction was;
      // A signal ignored when the tool started (nohup) stays ignored.
      if (sigaction(signal, nullptr, &was) != 0 || was.sa_handler == SIG_IGN) continue;
      struct sigaction caught = {};
      caught.sa_handler = OnSignal;
      caught.sa_flags = SA_RESTART;
      sigemptyset(&caught.sa_mask);
      for (int other : kSignals) sigaddset(&caught.sa_mask, other);
      sigaction(signal, &caught, nullptr);
    }
  }
  deferring = defer ? 1 : 0;
  if (!defer) HostDeliverInterrupt();
}

bool HostInterruptPending() { return pendingSignal != 0; }

void HostDeliverInterrupt() {
  int signal = pendingSignal;
  if (signal == 0) return;
  std::fflush(nullptr);  // what was printed and reported reaches its files
  EndBy(signal);
}

void HostInterruptAsCtrlC() { raise(SIGINT); }

void HostEndAsKilled() {
  raise(SIGKILL);
  _exit(137);  // not reached
}
