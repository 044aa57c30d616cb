#pragma once
// The arguments of a late-bound member call: plain values of the kinds the
// bridge can send, an argument left out, or a reference to the caller's
// variable that the member may write back; and their conversions to and
// from the VARIANTs that go over the wire.
#include <initializer_list>
#include <type_traits>

#include "automation/Variant.h"
#include "text/Text.h"

// An OLE date, sent as VT_DATE.
struct DateTime {
  double oleDate = 0;
};

struct OmittedArgument {};
// An argument left out: sent as the missing-argument marker when a later
// argument follows, not sent at all at the end.
inline constexpr OmittedArgument Omitted{};

// One argument of a member call: a value of a kind the bridge can send, left
// out, or a reference to the caller's variable that the member may write back
// (ByReference). Values are borrowed, so an Argument lives only for the call
// expression it appears in.
class Argument {
 public:
  enum class Kind { Omitted, Logical, DateTime, Text, Byte, Short, Integer, Integer64, Float, Double, Variant };

  Argument(OmittedArgument) {}
  Argument(bool value) : kind(Kind::Logical) { number.logical = value; }
  Argument(DateTime value) : kind(Kind::DateTime) { number.real = value.oleDate; }
  Argument(const char* value) : kind(Kind::Text), text(value ? TextView(value) : TextView()) {}
  Argument(const Text& value) : kind(Kind::Text), text(value) {}
  Argument(TextView value) : kind(Kind::Text), text(value) {}
  Argument(unsigned char value) : kind(Kind::Byte) { number.integer = value; }
  Argument(short value) : kind(Kind::Short) { number.integer = value; }
  Argument(int value) : kind(Kind::Integer) { number.integer = value; }
  Argument(long value) : kind(Kind::Integer) { number.integer = value; }
  Argument(long long value) : kind(Kind::Integer64) { number.integer = value; }
  Argument(float value) : kind(Kind::Float) { number.real = value; }
  Argument(double value) : kind(Kind::Double) { number.real = value; }
  Argument(const Variant& value) : kind(Kind::Variant), variant(&value) {}

  Kind GetKind() const { return kind; }
  bool IsByReference() const { return target != nullptr; }
  // The value as the bridge sends it (before any by-reference handling);
  // false when it cannot be sent.
  [[nodiscard]] bool ToVariant(VARIANT& sent) const;
  // Stores a value the member wrote back, converted to the variable's kind.
  void WriteBack(const VARIANT& returned) const;

 private:
  template <typename Variable>
  friend Argument ByReference(Variable& variable);
  Argument(Kind kind, void* target);

  Kind kind = Kind::Omitted;
  union {
    bool logical;
    long long integer;
    double real;
  } number{};
  TextView text;
  const Variant* variant = nullptr;
  void* target = nullptr;  // the caller's variable, when passed by reference
};

// An argument passed by reference to the caller's variable, of one of the
// kinds bool, DateTime, Text, unsigned char, short, int, long long, float,
// double or Variant.
template <typename Variable>
Argument ByReference(Variable& variable) {
  using Kind = Argument::Kind;
  if constexpr (std::is_same_v<Variable, bool>) return Argument(Kind::Logical, &variable);
  else if constexpr (std::is_same_v<Variable, DateTime>) return Argument(Kind::DateTime, &variable);
  else if constexpr (std::is_same_v<Variable, Text>) return Argument(Kind::Text, &variable);
  else if constexpr (std::is_same_v<Variable, unsigned char>) return Argument(Kind::Byte, &variable);
  else if constexpr (std::is_same_v<Variable, short>) return Argument(Kind::Short, &variable);
  else if constexpr (std::is_same_v<Variable, int>) return Argument(Kind::Integer, &variable);
  else if constexpr (std::is_same_v<Variable, long long>) return Argument(Kind::Integer64, &variable);
  else if constexpr (std::is_same_v<Variable, float>) return Argument(Kind::Float, &variable);
  else if constexpr (std::is_same_v<Variable, double>) return Argument(Kind::Double, &variable);
  else if constexpr (std::is_same_v<Variable, Variant>) return Argument(Kind::Variant, &variable);
  else static_assert(sizeof(Variable) == 0, "a kind the bridge cannot pass by reference");
}

using Arguments = std::initializer_list<Argument>;
