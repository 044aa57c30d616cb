#pragma once
// The body of each search's worker: walks the result pages of the keyword
// from page 1 and lists their entries, until a page yields none.
void SearchRun();
