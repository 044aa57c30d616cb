#include "text/Charsets.h"

namespace {

struct CharsetName {
  const wchar_t* name;
  unsigned codePage;
};

constexpr CharsetName kCharsets[] = {
    {L"unicode", kUtf16CodePage}, {L"utf-16", kUtf16CodePage},  {L"utf-16le", kUtf16CodePage},
    {L"utf-8", kUtf8CodePage},    {L"us-ascii", 20127},         {L"gb18030", 54936},
    {L"gbk", 936},                {L"gb2312", 936},             {L"x-gbk", 936},
    {L"big5", 950},               {L"shift_jis", 932},          {L"x-sjis", 932},
    {L"euc-jp", 20932},           {L"euc-kr", 949},             {L"ks_c_5601-1987", 949},
    {L"koi8-r", 20866},           {L"koi8-u", 21866},           {L"iso-8859-1", 28591},
    {L"iso-8859-2", 28592},       {L"iso-8859-3", 28593},       {L"iso-8859-4", 28594},
    {L"iso-8859-5", 28595},       {L"iso-8859-6", 28596},       {L"iso-8859-7", 28597},
    {L"iso-8859-8", 28598},       {L"iso-8859-9", 28599},       {L"iso-8859-15", 28605},
    {L"windows-874", 874},        {L"windows-1250", 1250},      {L"windows-1251", 1251},
    {L"windows-1252", 1252},      {L"windows-1253", 1253},      {L"windows-1254", 1254},
    {L"windows-1255", 1255},      {L"windows-1256", 1256},      {L"windows-1257", 1257},
    {L"windows-1258", 1258},
    // Other names the system's charset list gives the same code pages.
    {L"ascii", 20127},            {L"cp936", 936},              {L"euc-cn", 936},
    {L"windows-936", 936},        {L"hz-gb-2312", 52936},       {L"big5-hkscs", 950},
    {L"cp950", 950},              {L"shift-jis", 932},          {L"sjis", 932},
    {L"csshiftjis", 932},         {L"windows-31j", 932},        {L"x-euc-jp", 20932},
    {L"iso-2022-jp", 50220},      {L"cp949", 949},              {L"iso-2022-kr", 50225},
    {L"latin1", 28591},           {L"iso-8859-13", 28603},      {L"tis-620", 874},
    {L"cp866", 866},              {L"ibm866", 866},             {L"koi8-ru", 21866},
};

// Charset names are ASCII: only A to Z fold, so no other letter can pass for one.
bool SameName(const wchar_t* declared, const wchar_t* known) {
  for (; *declared && *known; ++declared, ++known) {
    wchar_t letter = *declared;
    if (letter >= L'A' && letter <= L'Z') letter = static_cast<wchar_t>(letter - L'A' + L'a');
    if (letter != *known) return false;
  }
  return *declared == *known;
}

}  // namespace

unsigned CodePageOfCharset(const wchar_t* name) {
  if (!name) return 0;
  for (const CharsetName& charset : kCharsets) {
    if (SameName(name, charset.name)) return charset.codePage;
  }
  return 0;
}
