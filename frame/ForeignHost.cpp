#include "frame/ForeignHost.h"

#include <windows.h>

#include <memory>
#include <mutex>

#include "common/db/Database.h"
#include "common/net/Channel.h"
#include "common/net/ServerList.h"
#include "common/net/SessionChannel.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxcommon/StaticDatabase.h"
#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "host/win/DialogTemplate.h"
#include "host/win/UiDriver.h"
#include "win32/WideText.h"
#include "win32/Win32Driver.h"

namespace kel {
namespace {

enum { IDD_LOGON = 9900, IDC_USER = 9901, IDC_PASSWORD = 9902, IDC_MESSAGE = 9903 };

struct Settings {
    std::vector<net::ServerAddress> servers;  // tried in order
    std::string problem;                      // what is wrong with Address=, if anything
    net::TlsClientOptions tls;                // CA= and Fingerprint=; both empty: plain TCP
    std::string database;
};

// The folder of Kelmor.dll, with its separator at the end.
std::wstring DllFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&EnsureForeignHostReady), &self);
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

std::wstring IniPath() { return DllFolder() + L"Kelmor.ini"; }

// A file named in Kelmor.ini: a relative name is taken from the ini's folder.
std::string BesideIni(const std::string& name) {
    const bool absolute = name.size() > 1 && (name[1] == ':' || name[0] == '\\' || name[0] == '/');
    return name.empty() || absolute ? name : win32::Utf8(DllFolder()) + name;
}

std::string ReadIni(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(section, key, L"", value, 1024, path.c_str());
    return win32::Utf8(value);
}

Settings ReadSettings() {
    const std::wstring path = IniPath();
    Settings s;
    const std::string address = ReadIni(path, L"Server", L"Address");
    if (auto servers = net::ParseServerList(address, s.problem)) s.servers = std::move(*servers);
    s.tls.caFile = BesideIni(ReadIni(path, L"Server", L"CA"));
    s.tls.fingerprintHex = ReadIni(path, L"Server", L"Fingerprint");
    s.database = ReadIni(path, L"Database", L"Connection");
    return s;
}

class CLogonDlg : public CDialog {
public:
    explicit CLogonDlg(const Settings& settings) : CDialog(IDD_LOGON), m_settings(settings) {
        win::TemplateBuilder(IDD_LOGON, "登录")
            .Label(0, "用户代码:", 0, 0)
            .Edit(IDC_USER, 0, 1, 1, 0, 20)
            .Label(0, "口令:", 1, 0)
            .Edit(IDC_PASSWORD, 1, 1, 1, ES_PASSWORD, 20)
            .Label(IDC_MESSAGE, "", 2, 0, 2)
            .Size(380, 64)  // room for a system's error text or a certificate's over four lines
            .Button(IDOK, "确定", 3, 0, BS_DEFPUSHBUTTON)
            .Button(IDCANCEL, "取消", 3, 1)
            .Register();
    }
    void OnOK() override {
        const std::string user = GetDlgItem(IDC_USER)->GetText().str();
        const std::string password = GetDlgItem(IDC_PASSWORD)->GetText().str();
        CWaitCursor wait;
        net::SessionOptions options;
        options.tcp.tls = m_settings.tls;
        auto channel = std::make_shared<net::SessionChannel>(m_settings.servers, user, password, options);
        channel->OnWaiting([](bool waiting) {
            if (auto driver = win::InstalledDriver()) waiting ? driver->BeginWaitCursor() : driver->EndWaitCursor();
        });
        const net::ConnectResult result = channel->Open();
        if (!result.ok()) {
            // The form stays with what was typed; only the password is asked again.
            GetDlgItem(IDC_MESSAGE)->SetWindowText(result.refused ? "用户代码或密码错误" : result.message.c_str());
            GetDlgItem(IDC_PASSWORD)->SetWindowText("");
            GetDlgItem(IDC_PASSWORD)->SetFocus();
            return;
        }
        if (!m_settings.database.empty()) {
            std::string why;
            std::shared_ptr<db::Connection> database = db::Open(m_settings.database, &why);
            if (!database) {
                GetDlgItem(IDC_MESSAGE)->SetWindowText(("无法打开数据库: " + why).c_str());
                return;
            }
            SetStaticDatabase(database);
        }
        CBASEBASE::SetLoginUser(user.c_str());
        InstallChannel(channel);
        EndDialog(IDOK);
    }

private:
    Settings m_settings;
};

}  // namespace

void EnsureForeignHostDriver() {
    static std::mutex mutex;  // PopWnd may come from any thread
    std::lock_guard lock(mutex);
    if (!win::InstalledDriver()) win::InstallDriver(std::make_shared<win32::Win32Driver>());
}

bool EnsureForeignHostReady(bool askAgain) {
    static bool asked = false;
    EnsureForeignHostDriver();
    if (InstalledChannel()) return true;
    if (asked && !askAgain) return false;
    asked = true;
    const Settings settings = ReadSettings();
    if (settings.servers.empty()) {
        const std::string text = "Kelmor.ini 中没有可用的应用服务器地址 ([Server] Address=主机:端口[,主机:端口...])" +
                                 (settings.problem.empty() ? std::string() : ": " + settings.problem);
        AfxMessageBox(text.c_str(), MB_OK | MB_ICONSTOP);
        return false;
    }
    CLogonDlg logon(settings);
    logon.DoModal();
    return InstalledChannel() != nullptr;
}

std::string FromHostText(const char* text) {
    if (!text || !*text) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    return win32::Utf8(wide);
}

}  // namespace kel
