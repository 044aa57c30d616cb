#include "app/SearchInputs.h"

#include <utility>

void WriteSearchInputs(SearchInputs& inputs, Text keyword, bool exact) {
  Lock hold(inputs.lock);
  inputs.keyword = std::move(keyword);
  inputs.exact = exact;
}

SearchInputsSeen ReadSearchInputs(SearchInputs& inputs) {
  Lock hold(inputs.lock);
  return SearchInputsSeen{inputs.keyword, inputs.exact};
}
