#pragma once
// COM initialised for the calling thread (a single-threaded apartment) for the
// guard's lifetime. S_FALSE (already initialised) is balanced too.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  [[nodiscard]] bool IsInitialised() const { return initialised; }

 private:
  bool initialised = false;
};
