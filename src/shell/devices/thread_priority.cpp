#include "shell/devices/thread_priority.h"

#include <pthread.h>
#include <sched.h>

namespace tonforge {

void RaiseToHighestPriority(std::thread& thread) {
  sched_param param{};
  param.sched_priority = sched_get_priority_max(SCHED_FIFO);
  if (param.sched_priority < 0) return;
  (void)pthread_setschedparam(thread.native_handle(), SCHED_FIFO, &param);
}

}  // namespace tonforge
