#pragma once
// The stand-in magnet: handler (MagnetHandlerStandIn.cpp) registered for the
// user of the prefix while the holder lives, and the links it was started with.
#include <string>
#include <vector>

// One start of the stand-in: when its process was created (100 ns units) and
// the arguments it was given after its log file, in UTF-8.
struct HandedLink {
  unsigned long long createdAt = 0;
  std::vector<std::string> arguments;
  std::string link;  // the one argument; empty when there were more or none
};

class MagnetHandlerRegistration {
 public:
  // How the registered command line holds the link: "%1" or %1, both of
  // which torrent clients register.
  enum class LinkArgument { Quoted, Unquoted };
  explicit MagnetHandlerRegistration(LinkArgument form = LinkArgument::Quoted);
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
