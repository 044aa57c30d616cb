#pragma once
// Ends one thread's requests from another thread. The ender closes the
// handles of the request in progress, so that a synchronous WinHttp call
// blocked on them returns, and every later request fails before it opens
// anything. The requesting thread and the ender both may close the handles;
// the lock lets only the first do it, so no handle is ever closed twice.
// A wait of the requesting thread that is no WinHttp call ends with the
// cancel through its event.
#include "system/Holders.h"
#include "web/WinHttpApi.h"

// One request's handles, declared in opening order.
struct RequestHandles {
  InternetHandle session;
  InternetHandle connection;
  InternetHandle request;
  // Closes request, connection, session: the reverse of opening.
  void Close() {
    request.Close();
    connection.Close();
    session.Close();
  }
};

class RequestCancel {
 public:
  RequestCancel() = default;
  RequestCancel(const RequestCancel&) = delete;
  RequestCancel& operator=(const RequestCancel&) = delete;

  // Closes the attached request's handles, if any, and refuses every later
  // one. Any thread; it never waits for the request.
  void Cancel();
  [[nodiscard]] bool Cancelled();
  // Set once cancelled, for a wait to end with; null where the system
  // refused it (such a wait then runs its own course).
  HANDLE CancelledEvent() const { return cancelledEvent.Get(); }

  // The requesting thread's side. Hands the open handles over to be closed
  // by whichever side comes first; false (nothing attached) once cancelled.
  [[nodiscard]] bool Attach(RequestHandles& handles);
  // Closes the attached handles unless the ender has, and forgets them.
  void CloseAttached();

 private:
  CriticalSection lock;
  bool cancelled = false;
  RequestHandles* attached = nullptr;
  KernelHandle cancelledEvent{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};
