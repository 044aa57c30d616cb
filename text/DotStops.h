#pragma once
// What the pattern engine's dot does not match besides the line feed: the
// system's own engine takes a carriage return, Wine's stops there as at every
// line end. The built-in matchers follow the engine they stand in for.
enum class DotStops { AtLineFeed, AtEveryLineEnd };  // every: also CR, U+2028, U+2029
