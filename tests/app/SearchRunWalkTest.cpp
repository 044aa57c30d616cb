// Where a search's walk over the result pages ends, and what it lists, in a
// live main window against the fault site: each torrent once however a page
// writes its link, and the end at the first page that brings nothing new,
// which is how a site that answers every page number past its last with
// that last page again lets the walk end.
#include <gtest/gtest.h>

#include "tests/app/FaultSiteSearch.h"
#include "tests/web/FaultSite.h"

namespace {

TEST_F(FaultSiteSearch, ASiteThatRepeatsItsLastPageForEveryLaterNumberIsAskedForOnePageBeyondIt) {
  ASSERT_TRUE(SearchUntilEnd("clamp.3", 30000)) << "the walk did not end by itself";
  ExpectPagesListed("clamp.3", 3);
  ExpectIdle();
  // The page beyond the last brought its five torrents again: no failure.
  ExpectReason("", 5);
  for (int page = 1; page <= 4; ++page) EXPECT_EQ(RequestsOfPage("clamp.3", page), 1u) << page;
  EXPECT_EQ(RequestsOfPage("clamp.3", 5), 0u);
}

TEST_F(FaultSiteSearch, ATorrentNamedAgainInOtherLettersInBase32OrUnderAnotherNameIsListedOnce) {
  // Page 3 names three torrents of page 2 again between two new ones, and
  // page 4 names one of page 3's new ones again in capitals.
  ASSERT_TRUE(SearchUntilEnd("dupes.3"));
  ExpectPagesListed("dupes.3", 5);
  ExpectIdle();
  ExpectReason("", 4);
  EXPECT_EQ(RequestsOfPage("dupes.3", 5), 1u);
  EXPECT_EQ(RequestsOfPage("dupes.3", 6), 0u);
}

}  // namespace
