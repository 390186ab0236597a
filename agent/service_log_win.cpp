// The service's log file and event log entries.
#include "service_log_win.h"

#include "agent_log.h"
#include "agent_messages.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <vector>

namespace {

constexpr long LOG_LIMIT = 1024 * 1024;
// SYSTEM and Administrators only, nothing inherited from ProgramData (where
// every user may create files): no one else can read the log or plant a
// link in its place.
constexpr char FOLDER_SDDL[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr char SOURCE[] = "KelpraAgent";

// Owns a security descriptor made from SDDL.
class Descriptor {
public:
    explicit Descriptor(const char* sddl)
    {
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd_, nullptr))
            sd_ = nullptr;
    }
    ~Descriptor() { LocalFree(sd_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    PSECURITY_DESCRIPTOR Get() const { return sd_; }

private:
    PSECURITY_DESCRIPTOR sd_ = nullptr;
};

// The SID of this process's account (SYSTEM for the service), in buffer.
PSID OwnAccount(std::vector<unsigned char>* buffer)
{
    HANDLE token = nullptr;
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return nullptr;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    buffer->resize(size);
    bool ok = size && GetTokenInformation(token, TokenUser, buffer->data(), size, &size);
    CloseHandle(token);
    return ok ? reinterpret_cast<TOKEN_USER*>(buffer->data())->User.Sid : nullptr;
}

// Owned by SYSTEM, Administrators or this account: nobody else put it there.
bool OwnedByAdministrators(const std::string& folder)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                              nullptr, &sd) != ERROR_SUCCESS)
        return false;
    std::vector<unsigned char> buffer;
    PSID self = OwnAccount(&buffer);
    bool trusted = IsWellKnownSid(owner, WinLocalSystemSid) || IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                   (self && EqualSid(owner, self));
    LocalFree(sd);
    return trusted;
}

// Makes the folder, or takes an existing one that an administrator or
// SYSTEM owns, and gives it the protected access list. "" with *why else.
std::string LogFolder(std::string* why)
{
    char base[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base) != S_OK) {
        *why = "no ProgramData folder";
        return "";
    }
    std::string folder = std::string(base) + "\\KELPRA";
    Descriptor sd(FOLDER_SDDL);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, sd.Get(), FALSE};
    if (!sd.Get())
        *why = "no security descriptor";
    else if (CreateDirectoryA(folder.c_str(), &attributes))
        return folder;
    else if (GetLastError() != ERROR_ALREADY_EXISTS)
        *why = "cannot create " + folder + " (error " + std::to_string(GetLastError()) + ")";
    else if ((GetFileAttributesA(folder.c_str()) & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
                 FILE_ATTRIBUTE_DIRECTORY ||
             !OwnedByAdministrators(folder))
        *why = folder + " is not a folder owned by SYSTEM or Administrators";
    else {
        PACL dacl = nullptr;
        BOOL present = FALSE, defaulted = FALSE;
        GetSecurityDescriptorDacl(sd.Get(), &present, &dacl, &defaulted);
        DWORD set = SetNamedSecurityInfoA(&folder[0], SE_FILE_OBJECT,
                                          DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                          nullptr, dacl, nullptr);
        if (set == ERROR_SUCCESS)
            return folder;
        *why = "cannot set the access list of " + folder + " (error " + std::to_string(set) + ")";
    }
    return "";
}

} // namespace

ServiceLog::ServiceLog()
{
    CopyAgentLog([this](const std::string& line) { Copy(line); });
    std::string why;
    std::string folder = LogFolder(&why);
    if (!folder.empty()) {
        file_.reset(new RotatingLog(folder + "\\kelpra-agent.log", folder + "\\kelpra-agent.old.log", LOG_LIMIT));
        if (!file_->Open()) {
            why = "cannot open " + folder + "\\kelpra-agent.log";
            file_.reset();
        }
    }
    if (!file_)
        ReportToEventLog("no log file: " + why);
}

ServiceLog::~ServiceLog()
{
    CopyAgentLog(nullptr);
}

std::string ServiceLog::LastText() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return last_;
}

void ServiceLog::Copy(const std::string& line)
{
    if (file_)
        file_->Write(line);
    static const std::string MARK = "kelpra-agent: ";
    size_t text = line.find(MARK);
    std::lock_guard<std::mutex> lock(mutex_);
    last_ = text == std::string::npos ? line : line.substr(text + MARK.size());
    if (!last_.empty() && last_.back() == '\n')
        last_.pop_back();
}

void ReportToEventLog(const std::string& text)
{
    HANDLE source = RegisterEventSourceA(nullptr, SOURCE);
    if (!source)
        return;
    const char* strings[] = {text.c_str()};
    ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, MSG_AGENT_TEXT, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
}
