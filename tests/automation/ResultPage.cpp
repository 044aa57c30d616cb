#include "ResultPage.h"

const char kResultPattern[] =
    "<li>(.*?)<span class=#引号lightColor#引号>(.*?)</span>(.*?)\\n(.*?)\\n(.*?)\\n(.*?)\\n(.*?)\\n(.*?)"
    "<span>文件大小：<b class=#引号cpill yellow-pill#引号>(.*?)</b>(.*?)\\n(.*?)\\n(.*?)\\n(.*?)磁力链接</a> "
    "<a href=#引号(.*?)#引号 class=#引号download#引号>";

Text ResultEntryMarkup(TextView name, TextView size, TextView magnet) {
  const Text nameText(name), sizeText(size), magnetText(magnet);
  // The site escapes the name on the files line; no group a test reads lies there.
  return "<li>" + nameText + "<span class=\"lightColor\">" + sizeText +
         "</span><span class=\"entry-date\">2026-12-08</span>\n"
         "<div class=\"entry-body\">\n"
         "<p class=\"files\">" + nameText + " 及其他文件</p>\n"
         "<p class=\"meta\">收录时间：<b>2026-12-08</b> 文件数：<b>3</b></p>\n"
         "</div>\n"
         "<div class=\"entry-foot\"><span>文件大小：<b class=\"cpill yellow-pill\">" + sizeText +
         "</b></span><span>热度：<b>128</b></span>\n"
         "<span>最近下载：<b>2026-12-08</b></span>\n"
         "</div>\n"
         "<div class=\"entry-links\"><a class=\"magnet\" href=\"" + magnetText + "\">磁力链接</a> <a href=\"" +
         magnetText + "\" class=\"download\">迅雷下载</a></div></li>\n";
}

Text ResultPage(int entries) {
  Text page = "<html><head><meta charset=\"gbk\"></head><body><ul class=\"result-list\">\n";
  for (int number = 1; number <= entries; ++number) {
    const Text id = DecimalText(number);
    page += ResultEntryMarkup("Ubuntu" + id + " 22.04 桌面版.iso", "4.7 GB", "magnet:?xt=urn:btih:" + id);
  }
  return page + "</ul></body></html>\n";
}
