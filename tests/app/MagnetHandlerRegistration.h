#pragma once
// The stand-in magnet: handler (MagnetHandlerStandIn.cpp) registered for the
// user of the prefix while the holder lives, and the links it was started with.
#include <string>
#include <vector>

// One start of the stand-in: when its process was created (100 ns units) and
// the link it was given.
struct HandedLink {
  unsigned long long createdAt = 0;
  std::string link;
};

class MagnetHandlerRegistration {
 public:
  MagnetHandlerRegistration();
  ~MagnetHandlerRegistration();
  MagnetHandlerRegistration(const MagnetHandlerRegistration&) = delete;
  MagnetHandlerRegistration& operator=(const MagnetHandlerRegistration&) = delete;

  // Every start logged so far, in order of creation.
  std::vector<HandedLink> HandedLinks() const;
  // Dispatches messages until `count` starts are logged; false after 20 s.
  [[nodiscard]] bool PumpUntilHanded(size_t count) const;

 private:
  std::wstring logFile;
  bool wroteMachineClasses = false;
};
