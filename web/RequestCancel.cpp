#include "web/RequestCancel.h"

void RequestCancel::Cancel() {
  Lock hold(lock);
  cancelled = true;
  if (cancelledEvent) SetEvent(cancelledEvent.Get());
  if (attached) attached->Close();
}

bool RequestCancel::Cancelled() {
  Lock hold(lock);
  return cancelled;
}

bool RequestCancel::Attach(RequestHandles& handles) {
  Lock hold(lock);
  if (cancelled) return false;
  attached = &handles;
  return true;
}

void RequestCancel::CloseAttached() {
  Lock hold(lock);
  if (attached) attached->Close();
  attached = nullptr;
}
