#include "Kit_StopSignal.h"

#include "Kit_TimeSource.h"

void Kit_StopSignal::RequestStop() {
  std::lock_guard<std::mutex> hold(lock_);
  stopped_.store(true, std::memory_order_release);
  for (Kit_VirtualClock* clock : clocks_) clock->ReleaseWaitsOn(this);
  raised_.notify_all();
}
