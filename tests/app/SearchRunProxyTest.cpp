// The search run behind the user's proxy: the prefix's proxy settings point
// at a local CONNECT proxy that logs every tunnel it opens.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/SearchState.h"
#include "tests/app/SearchRunTestSupport.h"
#include "tests/ui/WindowTestSupport.h"
#include "tests/web/ConnectProxy.h"

namespace {

TEST_F(SearchRunTest, PagesFollowTheUsersProxyItsScriptAndItsBypassListAndGoDirectWithoutSettings) {
  ConnectProxy proxy;
  ASSERT_TRUE(proxy.Start());
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

TEST_F(SearchRunTest, PagesFollowTheUsersProxySettingsSoonAfterEachStartWhenTheirScriptDrips) {
  // The script's server sends its headers, then a byte every two seconds: a
  // run cannot wait for it, nor can the next run wait for the one stopped
  // while it waited.
  ConnectProxy proxy;
  ASSERT_TRUE(proxy.Start());
  const TextList rows = site.Rows("ubuntu");
  UserProxySettings settings("", "", proxy.DrippingScriptUrl());
  StartSearch(L"ubuntu");
  const KernelHandle stopped = CurrentWorker();
  ASSERT_TRUE(PumpUntil([&] { return proxy.DrippingScriptRequests() == 1; }, 5000));
  PumpMessagesFor(1000);
  const DWORD stoppedAt = GetTickCount();
  SendClick(app.window.搜索_按钮.handle);  // 关闭
  const bool stoppedLeft = PumpUntilSignalled(stopped.Get(), 2000);
  std::printf("the stopped run's worker left %lu ms after the stop\n", GetTickCount() - stoppedAt);
  EXPECT_TRUE(stoppedLeft);

  const DWORD startedAt = GetTickCount();
  StartSearch(L"ubuntu");
  const KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(PumpUntil([&] { return !site.RequestedPaths().empty(); }, 40000)) << "no page was asked for";
  const DWORD firstPage = GetTickCount() - startedAt;
  std::printf("the next run asked for its first page %lu ms after its start\n", firstPage);
  EXPECT_LE(firstPage, 12000u);
  ASSERT_TRUE(PumpUntilEnded(worker));
  // Directly, the script given up: every page once, the run's end with no reason.
  ExpectListed(rows);
  EXPECT_EQ(site.RequestedPaths().size(), 4u);
  EXPECT_EQ(app.window.状态条.parts[3].tipText, "");
  // Once a run: the script is not asked for again for each page.
  EXPECT_EQ(proxy.DrippingScriptRequests(), 2u);
}

}  // namespace
