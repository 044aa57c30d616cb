#include "web/RequestOutcome.h"

namespace {

const char* FailureMessage(RequestFailure failure) {
  switch (failure) {
    case RequestFailure::PlatformUnsupported: return "700 当前系统不支持WinHttp服务!";
    case RequestFailure::UrlNotParsed: return "701 解析URL地址失败!";
    case RequestFailure::SessionNotOpened: return "702 创建WinHttp会话失败!";
    case RequestFailure::ConnectionNotOpened: return "703 创建WinHttp连接失败!";
    case RequestFailure::RequestNotOpened: return "704 创建WinHttp请求失败!";
    case RequestFailure::TimeoutsNotSet: return "705 设置超时时间失败!";
    case RequestFailure::ProtocolsNotSet: return "706 设置安全协议失败!";
    case RequestFailure::CredentialsNotSet: return "707 设置代理凭证失败!";
    case RequestFailure::CookieFeatureNotSet: return "708 禁止自动设置Cookies失败!";
    case RequestFailure::RedirectNotSet: return "709 重定向设置失败!";
    case RequestFailure::HeadersNotAdded: return "710 设置协议头失败!";
    case RequestFailure::RequestNotSent: return "711 发送请求失败!";
    case RequestFailure::NoResponse: return "712 服务器未响应!";
    case RequestFailure::ReadFailed: return "713 读取数据失败!";
    case RequestFailure::None: break;
  }
  return "";
}

}  // namespace

Text StatusText(const RequestOutcome& outcome, TextView statusLine) {
  if (outcome.failure == RequestFailure::None) return Text(statusLine);
  return FailureMessage(outcome.failure);
}
