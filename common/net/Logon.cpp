#include "common/net/Logon.h"

#include <cstring>
#include <vector>

#include "common/net/Channel.h"
#include "common/net/Frame.h"
#include "common/text/GbkText.h"

namespace kel::net {
namespace {

ConnectResult Refusal(std::string message) { return ConnectResult{kChannelNotConnected, false, std::move(message)}; }

// Stores one log-on text; returns what is wrong with it, empty when stored whole.
std::string PutLogonText(char* field, std::size_t width, std::string_view utf8, const char* what) {
    const auto bytes = text::GbkByteLength(utf8);
    if (!bytes) return std::string(what) + "含有无法用 GBK 表示的字符";
    if (*bytes > width - 1) return std::string(what) + "过长（最多 " + std::to_string(width - 1) + " 个字节）";
    if (text::PutField(field, width, utf8) != text::PutResult::Ok) return std::string(what) + "无法写入登录数据包";
    return {};
}

}  // namespace

ConnectResult BuildLogonRequest(std::string_view userCode, std::string_view password, _PacketHead& head,
                                _LogonBody& body) {
    head = _PacketHead{};
    body = _LogonBody{};
    if (userCode.empty()) return Refusal("用户代码不能为空");
    std::string problem = PutLogonText(body.szUserCode, sizeof body.szUserCode, userCode, "用户代码");
    if (problem.empty()) problem = PutLogonText(body.szPassword, sizeof body.szPassword, password, "密码");
    if (!problem.empty()) {
        body = _LogonBody{};  // never leave half a password lying in the buffer
        return Refusal(std::move(problem));
    }
    head.nTransCode = kLogonTransCode;
    head.nCount = 1;
    head.nSubSystem = kSubSystemDefault;
    return {};
}

ConnectResult CheckLogonAnswer(const _PacketHead& answer) {
    if (answer.cStatus == 0) return {};
    return ConnectResult{
        kChannelNotConnected, true,
        "应用服务器拒绝登录（状态 " + std::to_string(int{answer.cStatus}) + "），请检查用户代码和密码"};
}

ConnectResult LogOn(Channel& channel, std::string_view userCode, std::string_view password) {
    _PacketHead head;
    _LogonBody body;
    ConnectResult result = BuildLogonRequest(userCode, password, head, body);
    if (!result.ok()) return result;
    int r = channel.Send(head, &body, sizeof body);
    std::memset(&body, 0, sizeof body);
    _PacketHead answer{};
    std::vector<char> answerBody;
    if (r == kChannelOk) r = channel.Receive(answer, answerBody);
    if (r != kChannelOk)
        return ConnectResult{r, false, "登录时与应用服务器通讯失败：" + std::string(DescribeChannelError(r))};
    return CheckLogonAnswer(answer);
}

}  // namespace kel::net
