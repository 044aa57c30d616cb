// Saving the list from the live window: 导出列表... in the popup menu and
// Ctrl+S open the system's save dialog, and the path and type chosen there
// reach the writer. The dialog is Wine's common item dialog, driven through
// its controls as a user would.
#include "tests/app/ResultActionsSupport.h"

#include "app/ListExport.h"
#include "tests/app/ExportFiles.h"

namespace {

// The controls of Wine's save dialog (a "#32770" box): the name box and the type box.
constexpr int kNameBox = 1152;
constexpr int kTypeBox = 1136;

// Finds the save dialog of the window's thread from a thread of its own (the
// handler that shows it is blocked inside it), notes what it offers, then
// picks the type, types the name and presses Save, or Cancel.
struct SaveDialogDriver {
  int type = -1;           // the type picked, -1 to leave the one offered
  std::wstring name;       // the name typed, empty to leave the one offered
  bool save = true;
  // What the dialog showed.
  bool seen = false;
  HWND owner = nullptr;
  std::wstring offeredName, nameAfterType;
  std::vector<std::wstring> types;
  int offeredType = -1;

  DWORD uiThread = GetCurrentThreadId();
  HANDLE thread = nullptr;

  static BOOL CALLBACK NoteDialog(HWND window, LPARAM found) {
    if (ClassNameOf(window) != L"#32770" || !IsWindowVisible(window) || !GetDlgItem(window, kNameBox)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  void Drive() {
    HWND dialog = nullptr;
    for (DWORD start = GetTickCount(); !dialog && GetTickCount() - start < 10000; Sleep(10))
      EnumThreadWindows(uiThread, NoteDialog, LPARAM(&dialog));
    if (!dialog) return;
    seen = true;
    owner = GetWindow(dialog, GW_OWNER);
    HWND nameBox = GetDlgItem(dialog, kNameBox), typeBox = GetDlgItem(dialog, kTypeBox);
    offeredName = WindowTextOf(nameBox);
    offeredType = int(SendMessageW(typeBox, CB_GETCURSEL, 0, 0));
    const int count = int(SendMessageW(typeBox, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
      std::wstring title(size_t(SendMessageW(typeBox, CB_GETLBTEXTLEN, WPARAM(index), 0)), L'\0');
      SendMessageW(typeBox, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(&title[0]));
      types.push_back(title);
    }
    if (type >= 0) {
      // As the box tells its dialog when the user picks an item.
      SendMessageW(typeBox, CB_SETCURSEL, WPARAM(type), 0);
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kTypeBox, CBN_SELCHANGE), reinterpret_cast<LPARAM>(typeBox));
    }
    nameAfterType = WindowTextOf(nameBox);
    if (!name.empty()) SetWindowTextW(nameBox, name.c_str());
    SendMessageW(GetDlgItem(dialog, save ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
  }
  static DWORD WINAPI Run(void* driver) {
    static_cast<SaveDialogDriver*>(driver)->Drive();
    return 0;
  }
  void Start() { thread = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
  // Once the dialog has closed and its handler returned.
  void Finish() {
    EXPECT_TRUE(PumpUntilSignalled(thread, 15000));
    CloseHandle(thread);
    EXPECT_TRUE(seen) << "no save dialog opened";
    EXPECT_EQ(owner, app.window.window.handle);
  }
};

class ListExportDialog : public ResultActions {
 protected:
  void SetUp() override {
    ResultActions::SetUp();
    AddRows(3);
  }
  static void SetKeyword(const std::wstring& keyword) { SetWindowTextW(app.window.编辑框1.handle, keyword.c_str()); }
  static void PressCtrlS() {
    SetForegroundWindow(app.window.window.handle);
    SetFocus(List().handle);
    INPUT keys[] = {KeyInput(VK_CONTROL, 0), KeyInput('S', 0), KeyInput('S', KEYEVENTF_KEYUP),
                     KeyInput(VK_CONTROL, KEYEVENTF_KEYUP)};
    SendInput(4, keys, sizeof(INPUT));
    PumpMessagesFor(150);
  }
};

TEST_F(ListExportDialog, TheMenusThirdItemAndCtrlSSaveToThePathAndTypeChosenInADialogOwnedByTheWindow) {
  ExportFolder folder;
  NoticeCloser closer;  // each saved file's notice
  // A row with a Chinese name holding a comma, quotes and a tab.
  List().SetCellText(1, ResultColumn::FileName, "\xD6\xD0\xCE\xC4 a,b \"c\"\td");  // 中文
  List().SetCellText(1, ResultColumn::Size, "1.5 GB");

  // The menu's third item; the links type picked, and a name typed without an
  // extension: it gets the type's.
  SaveDialogDriver byMenu;
  byMenu.type = 2;
  byMenu.name = folder.path + L"links";
  byMenu.Start();
  RECT rowRect;
  ASSERT_TRUE(ListView_GetItemRect(List().handle, 0, &rowRect, LVIR_BOUNDS));
  ASSERT_TRUE(MenuDriver::RightClickAndPress({rowRect.left + 20, (rowRect.top + rowRect.bottom) / 2},
                                             {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
  byMenu.Finish();

  SaveDialogDriver byKey;
  byKey.type = 1;
  byKey.name = folder.path + L"rows.tsv";
  byKey.Start();
  PressCtrlS();
  byKey.Finish();

  SaveDialogDriver asOffered;  // the type offered first: CSV
  asOffered.name = folder.path + L"rows";
  asOffered.Start();
  Choose(ControlId::导出列表);
  asOffered.Finish();

  // Each file as its type writes it, read back byte for byte.
  EXPECT_EQ(FileBytes(folder.path + L"links.txt"), AddressOf(0) + "\r\n" + AddressOf(1) + "\r\n" + AddressOf(2) + "\r\n");
  EXPECT_EQ(FileBytes(folder.path + L"rows.tsv"), u8"序号\t文件名\t文件大小\t下载地址\r\n"
                                                  u8"1\t\t\tmagnet:?xt=urn:btih:0\r\n"
                                                  u8"2\t\"中文 a,b \"\"c\"\"\td\"\t1.5 GB\tmagnet:?xt=urn:btih:1\r\n"
                                                  u8"3\t\t\tmagnet:?xt=urn:btih:2\r\n");
  EXPECT_EQ(FileBytes(folder.path + L"rows.csv"), u8"\uFEFF序号,文件名,文件大小,下载地址\r\n"
                                                  u8"1,,,magnet:?xt=urn:btih:0\r\n"
                                                  u8"2,\"中文 a,b \"\"c\"\"\td\",1.5 GB,magnet:?xt=urn:btih:1\r\n"
                                                  u8"3,,,magnet:?xt=urn:btih:2\r\n");
  EXPECT_EQ(closer.notices.size(), 3u);
}

TEST_F(ListExportDialog, OffersTheKeywordAsAUsableNameWithTheExtensionOfTheTypePickedAndACancelSavesNothing) {
  NoticeCloser closer;
  SetKeyword(L"a:b*c\u4E2D. ");  // 中
  SaveDialogDriver driver;
  driver.type = 1;
  driver.save = false;
  driver.Start();
  Choose(ControlId::导出列表);
  driver.Finish();
  EXPECT_EQ(driver.offeredName, L"a_b_c\u4E2D.csv");
  EXPECT_EQ(driver.offeredType, 0);
  const std::vector<std::wstring> types = {
      L"CSV \u6587\u4EF6 (*.csv)",                        // CSV 文件
      L"\u5236\u8868\u7B26\u5206\u9694\u6587\u4EF6 (*.tsv)",  // 制表符分隔文件
      L"\u94FE\u63A5\u5217\u8868 (*.txt)",                  // 链接列表
  };
  EXPECT_EQ(driver.types, types);
  EXPECT_EQ(driver.nameAfterType, L"a_b_c\u4E2D.tsv");

  // Nothing typed: the fixed name.
  SetKeyword(L"");
  SaveDialogDriver empty;
  empty.save = false;
  empty.Start();
  Choose(ControlId::导出列表);
  empty.Finish();
  EXPECT_EQ(empty.offeredName, L"\u641C\u7D22\u7ED3\u679C.csv");  // 搜索结果
  EXPECT_TRUE(closer.notices.empty()) << "a cancelled save wrote nothing and said nothing";
}

}  // namespace
