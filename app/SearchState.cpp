#include "app/SearchState.h"

SearchState searchState;
