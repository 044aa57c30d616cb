// The search run behind the user's proxy: the prefix's proxy settings point
// at a local CONNECT proxy that logs every tunnel it opens.
#include <gtest/gtest.h>

#include "tests/app/SearchRunTestSupport.h"
#include "tests/web/ConnectProxy.h"

namespace {

TEST_F(SearchRunTest, PagesFollowTheUsersProxyItsScriptAndItsBypassListAndGoDirectWithoutSettings) {
  ConnectProxy proxy;
  ASSERT_TRUE(proxy.Start());
  // Asked before the settings change: the test's own requests to the site
  // would go through the proxy too.
  const TextList rows = site.Rows("ubuntu");
  ASSERT_EQ(rows.size(), 36u);
  {
    UserProxySettings settings(proxy.Address(), "");
    SearchUntilEnd(L"ubuntu");
    ExpectListed(rows);
    // WinHttp may carry several pages through one tunnel.
    const TextList tunnels = proxy.Tunnels();
    EXPECT_FALSE(tunnels.empty());
    for (const Text& tunnel : tunnels) EXPECT_EQ(tunnel, "CONNECT " + site.Host());
  }
  {
    proxy.DropTunnels();
    const size_t tunnelsBefore = proxy.Tunnels().size();
    UserProxySettings settings("", "", proxy.ScriptUrl());
    SearchUntilEnd(L"ubuntu");
    ExpectListed(rows);
    EXPECT_GT(proxy.Tunnels().size(), tunnelsBefore) << "the script's proxy was not used";
    // From here on, a page sent to the proxy would fail.
    proxy.Stop();
  }
  {
    UserProxySettings settings(proxy.Address(), "*.example.test;localhost");
    SearchUntilEnd(L"ubuntu");
    ExpectListed(rows);
  }
  SearchUntilEnd(L"ubuntu");
  ExpectListed(rows);
  // Every page of the four searches reached the site.
  EXPECT_EQ(site.RequestedPaths().size(), 16u);
}

}  // namespace
