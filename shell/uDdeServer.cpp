#include "shell/uDdeServer.h"

#include "app/uCmdLineText.h"
#include "app/uReg.h"
#include "shell/uCapabilities.h"

#include <memory>

namespace {

constexpr wchar_t kServiceName[] = L"ZEKO";
constexpr wchar_t kInstanceMarkName[] = L"ZEKO2";
constexpr wchar_t kShellVerbTopic[] = L"ZEKOTopic";

struct DdeServer {
    std::unique_ptr<DdeInstance> instance;
    HSZ service = nullptr;
    HSZ shellVerbTopic = nullptr;
    HSZ secondStartTopic = nullptr;
    DdeRequestHandler handler = nullptr;
};

DdeServer& Server() {
    static DdeServer server;
    return server;
}

std::wstring AccessText(HDDEDATA data) {
    DWORD bytes = 0;
    const BYTE* at = DdeAccessData(data, &bytes);
    if (!at) return {};
    std::wstring text = DdeDataText(at, bytes);
    DdeUnaccessData(data);
    return text;
}

bool IsName(HSZ name, HSZ expected) { return expected && DdeCmpStringHandles(name, expected) == 0; }

void HandleRequest(const std::wstring& text, int firstIndex) {
    if (Server().handler) Server().handler(text, firstIndex);
}

// The text is copied out of the data before any folder opens: opening runs
// the shell and may pump messages, and the data stays locked no longer than needed.
HDDEDATA OnExecute(HSZ topic, HDDEDATA data) {
    const DdeServer& server = Server();
    const bool secondStart = IsName(topic, server.secondStartTopic);
    if (!secondStart && !IsName(topic, server.shellVerbTopic)) {
        DdeFreeDataHandle(data);
        return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
    }
    std::wstring text = AccessText(data);
    if (secondStart) DdeFreeDataHandle(data);
    HandleRequest(text, secondStart ? 1 : 0);
    return reinterpret_cast<HDDEDATA>(DDE_FACK);
}

// A second start's command line poked as CF_UNICODETEXT: the stand-in for the
// execute where an execute cannot carry UTF-16 intact. DDEML frees the data
// of a poke itself once the callback returns.
HDDEDATA OnPoke(HSZ topic, UINT format, HDDEDATA data) {
    if (format != CF_UNICODETEXT || !IsName(topic, Server().secondStartTopic))
        return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
    HandleRequest(AccessText(data), 1);
    return reinterpret_cast<HDDEDATA>(DDE_FACK);
}

HDDEDATA CALLBACK DdeServerCallback(UINT type, UINT format, HCONV, HSZ topic, HSZ nameOrItem, HDDEDATA data,
                                    ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(IsName(nameOrItem, Server().service)));
    case XTYP_EXECUTE:
        return OnExecute(topic, data);
    case XTYP_POKE:
        return OnPoke(topic, format, data);
    }
    return nullptr;
}

// A kernel object's name may not hold a backslash; the key's text stays
// readable with slashes in their place.
std::wstring KeySuffix(const std::wstring& settingsKey) {
    if (settingsKey == kSettingsRootPath) return {};
    std::wstring suffix = L" " + settingsKey;
    for (wchar_t& c : suffix)
        if (c == L'\\') c = L'/';
    return suffix;
}

}  // namespace

std::wstring InstanceMarkName(const std::wstring& settingsKey) { return kInstanceMarkName + KeySuffix(settingsKey); }

std::wstring DdeServiceName(const std::wstring& settingsKey) { return kServiceName + KeySuffix(settingsKey); }

DdeInstance::DdeInstance(PFNCALLBACK callback, DWORD flags) {
    if (DdeInitializeW(&id_, callback, flags, 0) != DMLERR_NO_ERROR) id_ = 0;
}

DdeInstance::~DdeInstance() {
    if (!id_) return;
    for (HSZ name : names_) DdeFreeStringHandle(id_, name);
    DdeUninitialize(id_);
}

HSZ DdeInstance::Name(const wchar_t* text) {
    HSZ name = DdeCreateStringHandleW(id_, text, CP_WINUNICODE);
    if (name) names_.push_back(name);
    return name;
}

void SetDdeRequestHandler(DdeRequestHandler handler) { Server().handler = handler; }

void StartDdeServer() {
    DdeServer& server = Server();
    if (server.instance) return;
    // Pokes are the second start's stand-in where an execute cannot carry
    // UTF-16 intact; elsewhere they stay refused as the protocol has it.
    DWORD filters = CBF_FAIL_ADVISES;
    if (PlatformCapabilities().ddeUnicodeExecute) filters |= CBF_FAIL_POKES;
    auto instance = std::make_unique<DdeInstance>(DdeServerCallback, filters);
    if (!*instance) return;
    server.service = instance->Name(DdeServiceName(SettingsRootPath()).c_str());
    server.shellVerbTopic = instance->Name(kShellVerbTopic);
    server.secondStartTopic = instance->Name(kSecondStartTopic);
    server.instance = std::move(instance);
    DdeNameService(server.instance->id(), server.service, nullptr, DNS_REGISTER);
}

void StopDdeServer() {
    DdeServer& server = Server();
    if (!server.instance) return;
    DdeNameService(server.instance->id(), server.service, nullptr, DNS_UNREGISTER);
    server.instance.reset();
    server.service = server.shellVerbTopic = server.secondStartTopic = nullptr;
}
