#include "host/Threads.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

pid_t CurrentThreadId() {
  return static_cast<pid_t>(syscall(SYS_gettid));
}

int NiceOfPriority(int level) {
  static constexpr int kNice[7] = {19, 10, 5, 0, -5, -10, -15};
  return kNice[std::clamp(level, 0, 6)];
}

bool SetThreadPriority(pid_t tid, int level) {
  level = std::clamp(level, 0, 6);
  sched_param param{};
  // Idle runs only when nothing else wants the core; the others share time by nice value.
  const int policy = level == 0 ? SCHED_IDLE : SCHED_OTHER;
  bool ok = sched_setscheduler(tid, policy, &param) == 0;
  ok = setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceOfPriority(level)) == 0 && ok;
  return ok;
}

void NameThisThread(const char* name) {
  pthread_setname_np(pthread_self(), name);
}

void IdleSleep() {
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
