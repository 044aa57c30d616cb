#include "ResultPage.h"

const char kResultPattern[] =
    "<li>(.*?)<span class=#引号lightColor#引号>(.*?)</span>(.*?)\\n(.*?)\\n(.*?)\\n(.*?)\\n(.*?)\\n(.*?)"
    "<span>文件大小：<b class=#引号cpill yellow-pill#引号>(.*?)</b>(.*?)\\n(.*?)\\n(.*?)\\n(.*?)磁力链接</a> "
    "<a href=#引号(.*?)#引号 class=#引号download#引号>";

Text ResultEntry(int number) {
  Text id = DecimalText(number);
  return "<li><a href=\"/hash/" + id + ".html\"><span class=\"lightColor\">Ubuntu" + id +
         "</span> 22.04 桌面版.iso</a>\n"
         "<div class=\"meta\">\n"
         "<span>创建时间：2024-01-01</span>\n"
         "<span>文件数：1</span>\n"
         "<span>热度：12</span>\n"
         "<span>文件大小：<b class=\"cpill yellow-pill\">4.7 GB</b></span>\n"
         "</div>\n"
         "<div class=\"links\">\n"
         "<a href=\"thunder://" + id + "\">迅雷链接</a> <a href=\"magnet:?xt=urn:btih:" + id +
         "\">磁力链接</a> <a href=\"magnet:?xt=urn:btih:" + id + "\" class=\"download\">下载</a></li>\n";
}

Text ResultPage(int entries) {
  Text page = "<html><head><meta charset=\"gbk\"></head><body><ul class=\"list\">\n";
  for (int number = 1; number <= entries; ++number) page += ResultEntry(number);
  return page + "</ul></body></html>\n";
}
