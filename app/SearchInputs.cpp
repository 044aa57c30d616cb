#include "app/SearchInputs.h"

#include <utility>

// Nothing is allocated or freed under the lock: a refused allocation there
// would raise the fatal report while the UI thread may wait for the lock.

void WriteSearchInputs(SearchInputs& inputs, Text keyword, bool exact) {
  {
    Lock hold(inputs.lock);
    inputs.keyword.swap(keyword);
    inputs.exact = exact;
  }
  // `keyword` now holds the old text, freed here.
}

SearchInputsSeen ReadSearchInputs(SearchInputs& inputs) {
  SearchInputsSeen seen;
  for (;;) {
    size_t size = 0;
    {
      Lock hold(inputs.lock);
      size = inputs.keyword.size();
    }
    seen.keyword.reserve(size);
    Lock hold(inputs.lock);
    // A copy that fits the room made is no allocation; a longer text written
    // meanwhile is measured again.
    if (inputs.keyword.size() > seen.keyword.capacity()) continue;
    seen.keyword.assign(inputs.keyword);
    seen.exact = inputs.exact;
    return seen;
  }
}
