// HttpRequest through a recording table of WinHttp functions: every call is
// logged and passed on to the real WinHttp (the stand-in service answers),
// except the one chosen to fail. This shows the failures no real server can
// cause, the arguments the platform is given, the closing order of the
// handles and where pending window messages are handled.
#include <gtest/gtest.h>

#include "StandInClient.h"
#include "http/Encoding.h"
#include "http/Headers.h"
#include "http/WinHttpApi_win.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

struct Call {
    std::string name;
    std::vector<std::uintptr_t> args;
    std::wstring text; // the first string argument, when there is one
};

struct Recording {
    std::vector<Call> calls{};
    std::function<bool(const Call&)> failWhen = [](const Call&) { return false; };
    std::function<bool(const Call&)> postMessageWhen = [](const Call&) { return false; };
    std::map<HINTERNET, std::string> handleNames{};
    HWND window = nullptr;
};

Recording* recording = nullptr;
const WinHttpApi& real = SystemWinHttp();

// Logs the call; true when it is the one to fail.
bool Log(Call call) {
    if (recording->postMessageWhen(call)) {
        PostMessageW(recording->window, WM_APP, 0, 0);
    }
    const bool fail = recording->failWhen(call);
    recording->calls.push_back(std::move(call));
    return fail;
}

std::uintptr_t U(std::uintptr_t v) {
    return v;
}
template <typename T> std::uintptr_t P(T* p) {
    return reinterpret_cast<std::uintptr_t>(p);
}
std::wstring W(LPCWSTR s) {
    return s ? std::wstring(s) : std::wstring(L"<null>");
}

HINTERNET Named(HINTERNET handle, const char* name) {
    if (handle != nullptr) {
        recording->handleNames[handle] = name;
    }
    return handle;
}

BOOL WINAPI FakeCheckPlatform() {
    return Log({"CheckPlatform", {}, {}}) ? FALSE : real.CheckPlatform();
}
BOOL WINAPI FakeCrackUrl(LPCWSTR url, DWORD length, DWORD flags, LPURL_COMPONENTS parts) {
    if (Log({"CrackUrl", {U(length), U(flags)}, W(url)})) {
        return FALSE;
    }
    return real.CrackUrl(url, length, flags, parts);
}
HINTERNET WINAPI FakeOpen(LPCWSTR agent, DWORD access, LPCWSTR proxy, LPCWSTR bypass, DWORD flags) {
    if (Log({"Open", {P(agent), U(access), P(bypass), U(flags)}, W(proxy)})) {
        return nullptr;
    }
    return Named(real.Open(agent, access, proxy, bypass, flags), "session");
}
BOOL WINAPI FakeSetTimeouts(HINTERNET h, int a, int b, int c, int d) {
    if (Log({"SetTimeouts", {U(a), U(b), U(c), U(d)}, {}})) {
        return FALSE;
    }
    return real.SetTimeouts(h, a, b, c, d);
}
HINTERNET WINAPI FakeConnect(HINTERNET session, LPCWSTR host, INTERNET_PORT port, DWORD reserved) {
    if (Log({"Connect", {U(port), U(reserved)}, W(host)})) {
        return nullptr;
    }
    return Named(real.Connect(session, host, port, reserved), "connection");
}
HINTERNET WINAPI FakeOpenRequest(HINTERNET connection, LPCWSTR verb, LPCWSTR object,
                                 LPCWSTR version, LPCWSTR referrer, LPCWSTR* accept, DWORD flags) {
    if (Log({"OpenRequest",
             {P(version), P(referrer), P(accept), U(flags)},
             W(verb) + L" " + W(object)})) {
        return nullptr;
    }
    return Named(real.OpenRequest(connection, verb, object, version, referrer, accept, flags),
                 "request");
}
BOOL WINAPI FakeSetCredentials(HINTERNET h, DWORD target, DWORD scheme, LPCWSTR user,
                               LPCWSTR password, LPVOID params) {
    if (Log({"SetCredentials", {U(target), U(scheme), P(params)}, W(user) + L":" + W(password)})) {
        return FALSE;
    }
    return real.SetCredentials(h, target, scheme, user, password, params);
}
BOOL WINAPI FakeSetOption(HINTERNET h, DWORD option, LPVOID buffer, DWORD length) {
    const DWORD value = length == 4 ? *static_cast<DWORD*>(buffer) : 0xFFFFFFFF;
    if (Log({"SetOption", {U(option), U(value), U(length)}, {}})) {
        return FALSE;
    }
    return real.SetOption(h, option, buffer, length);
}
BOOL WINAPI FakeAddRequestHeaders(HINTERNET h, LPCWSTR headers, DWORD length, DWORD modifiers) {
    if (Log({"AddRequestHeaders", {U(length), U(modifiers)}, W(headers)})) {
        return FALSE;
    }
    return real.AddRequestHeaders(h, headers, length, modifiers);
}
BOOL WINAPI FakeSendRequest(HINTERNET h, LPCWSTR headers, DWORD headersLength, LPVOID optional,
                            DWORD optionalLength, DWORD total, DWORD_PTR context) {
    if (Log({"SendRequest",
             {P(headers), U(headersLength), P(optional), U(optionalLength), U(total), U(context)},
             {}})) {
        return FALSE;
    }
    return real.SendRequest(h, headers, headersLength, optional, optionalLength, total, context);
}
BOOL WINAPI FakeReceiveResponse(HINTERNET h, LPVOID reserved) {
    if (Log({"ReceiveResponse", {P(reserved)}, {}})) {
        return FALSE;
    }
    return real.ReceiveResponse(h, reserved);
}
BOOL WINAPI FakeQueryDataAvailable(HINTERNET h, LPDWORD available) {
    if (Log({"QueryDataAvailable", {}, {}})) {
        return FALSE;
    }
    const BOOL ok = real.QueryDataAvailable(h, available);
    recording->calls.back().args.push_back(*available);
    return ok;
}
BOOL WINAPI FakeReadData(HINTERNET h, LPVOID buffer, DWORD toRead, LPDWORD read) {
    if (Log({"ReadData", {U(toRead)}, {}})) {
        return FALSE;
    }
    return real.ReadData(h, buffer, toRead, read);
}
BOOL WINAPI FakeQueryHeaders(HINTERNET h, DWORD level, LPCWSTR name, LPVOID buffer, LPDWORD length,
                             LPDWORD index) {
    if (Log({"QueryHeaders", {U(level), P(name), P(buffer), U(*length), U(*index)}, {}})) {
        return FALSE;
    }
    return real.QueryHeaders(h, level, name, buffer, length, index);
}
BOOL WINAPI FakeCloseHandle(HINTERNET h) {
    Log({"Close " + recording->handleNames[h], {}, {}});
    return real.CloseHandle(h);
}

const WinHttpApi kRecordingApi = {
    FakeCheckPlatform,  FakeCrackUrl,        FakeOpen,
    FakeSetTimeouts,    FakeConnect,         FakeOpenRequest,
    FakeSetCredentials, FakeSetOption,       FakeAddRequestHeaders,
    FakeSendRequest,    FakeReceiveResponse, FakeQueryDataAvailable,
    FakeReadData,       FakeQueryHeaders,    FakeCloseHandle,
};

LRESULT CALLBACK NoteDispatch(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_APP && recording != nullptr) {
        recording->calls.push_back({"dispatched", {}, {}});
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

class RecordedRequest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(StandInPort(), 0) << "the stand-in service is not running";
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = NoteDispatch;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"RecordedRequestWindow";
        RegisterClassW(&windowClass);
        rec.window = CreateWindowW(L"RecordedRequestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(rec.window, nullptr);
        recording = &rec;
    }
    void TearDown() override {
        recording = nullptr;
        DestroyWindow(rec.window);
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Call& call : rec.calls) {
            names.push_back(call.name);
        }
        return names;
    }
    std::vector<std::string> Tail(std::size_t from) const {
        std::vector<std::string> names = Names();
        return std::vector<std::string>(names.begin() + std::min(from, names.size()), names.end());
    }
    std::vector<const Call*> CallsNamed(const std::string& name) const {
        std::vector<const Call*> found;
        for (const Call& call : rec.calls) {
            if (call.name == name) {
                found.push_back(&call);
            }
        }
        return found;
    }
    std::size_t IndexOf(const std::string& name) const {
        for (std::size_t i = 0; i < rec.calls.size(); ++i) {
            if (rec.calls[i].name == name) {
                return i;
            }
        }
        return rec.calls.size();
    }

    Recording rec;
};

std::function<bool(const Call&)> Named(const std::string& name) {
    return [name](const Call& call) { return call.name == name; };
}
std::function<bool(const Call&)> Option(DWORD option, DWORD value) {
    return [=](const Call& call) {
        return call.name == "SetOption" && call.args[0] == option && call.args[1] == value;
    };
}
std::function<bool(const Call&)> Credentials(DWORD target) {
    return
        [=](const Call& call) { return call.name == "SetCredentials" && call.args[0] == target; };
}
// The second QueryHeaders call, the one that reads the block.
std::function<bool(const Call&)> HeaderRead() {
    return [](const Call& call) { return call.name == "QueryHeaders" && call.args[2] != 0; };
}

TEST_F(RecordedRequest, EachFailingStepLeavesItsTextAndClosesWhatWasOpened) {
    const std::vector<std::string> all = {"Close request", "Close connection", "Close session"};
    const struct {
        const char* name;
        std::function<bool(const Call&)> failWhen;
        const char* status;
        std::vector<std::string> closes;
        bool early; // steps 9 to 13 leave without handling pending messages
        HttpRequestParams params;
    } cases[] = {
        {"platform", Named("CheckPlatform"), "700 当前系统不支持WinHttp服务!", {}, false, {}},
        {"url", Named("CrackUrl"), "701 解析URL地址失败!", {}, false, {}},
        {"session", Named("Open"), "702 创建WinHttp会话失败!", {}, false, {}},
        {"timeouts", Named("SetTimeouts"), "705 设置超时时间失败!", {"Close session"}, false, {}},
        {"connection", Named("Connect"), "703 创建WinHttp连接失败!", {"Close session"}, false, {}},
        {"request",
         Named("OpenRequest"),
         "704 创建WinHttp请求失败!",
         {"Close connection", "Close session"},
         false,
         {}},
        {"server credentials",
         Credentials(WINHTTP_AUTH_TARGET_SERVER),
         "707 设置代理凭证失败!",
         all,
         true,
         {.authUser = "u", .authPassword = "p"}},
        {"proxy credentials",
         Credentials(WINHTTP_AUTH_TARGET_PROXY),
         "707 设置代理凭证失败!",
         all,
         true,
         {.proxyUser = "u", .proxyPassword = "p"}},
        {"security flags", Option(31, 0x3300), "忽略错误/证书错误  失败！", all, true, {}},
        {"cookies off", Option(63, 1), "708 禁止自动设置Cookies失败!", all, true, {}},
        {"revocation on", Option(79, 1), "708 禁止自动设置Cookies失败!", all, true, {}},
        {"redirects off", Option(63, 2), "709 重定向设置失败!", all, true, {.noRedirect = true}},
        {"headers", Named("AddRequestHeaders"), "710 设置协议头失败!", all, false, {}},
        {"send", Named("SendRequest"), "711 发送请求失败!", all, false, {}},
        {"receive", Named("ReceiveResponse"), "712 服务器未响应!", all, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rec = Recording{.window = rec.window};
        rec.failWhen = c.failWhen;
        rec.postMessageWhen = c.failWhen; // a message waits when the step fails
        HttpRequestParams params = c.params;
        params.url = StandInUrl("/answer?h=Set-Cookie:%20a=1&h=Location:%20/x&body=b");
        Text sendCookies = std::string(c.name) == "revocation on" ? "c=1" : "";
        Text returnedCookies = "kept", headers = "kept", location = "kept", status = "kept";
        Bytes body = {'k'};
        params.sendCookies = &sendCookies;
        params.returnedCookies = &returnedCookies;
        params.returnedHeaders = &headers;
        params.location = &location;
        params.status = &status;
        params.bodyBytes = &body;

        EXPECT_EQ(HttpRequestThrough(kRecordingApi, params), "");
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(returnedCookies, "kept");
        EXPECT_EQ(headers, "kept");
        EXPECT_EQ(location, "kept");
        EXPECT_EQ(body, Bytes{'k'});

        // After the failing call: the pending message is handled once per
        // opened handle on the normal way out, never on the early one, and
        // the handles close in the order request, connection, session.
        std::size_t failed = 0;
        while (failed < rec.calls.size() && !c.failWhen(rec.calls[failed])) {
            ++failed;
        }
        ASSERT_LT(failed, rec.calls.size());
        std::vector<std::string> expected;
        if (!c.early && !c.closes.empty()) {
            expected.push_back("dispatched");
        }
        expected.insert(expected.end(), c.closes.begin(), c.closes.end());
        EXPECT_EQ(Tail(failed + 1), expected);
        // Dispatch came from the engine, not from a later message loop.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
}

TEST_F(RecordedRequest, AFailedReadKeepsThePartReadAndTheReadError) {
    const struct {
        const char* name;
        std::function<bool(const Call&)> failWhen;
    } cases[] = {
        {"read", Named("ReadData")},
        {"query available", Named("QueryDataAvailable")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rec = Recording{.window = rec.window};
        rec.failWhen = c.failWhen;
        Text status, headers, location, cookies;
        Bytes body = {'k'};
        const Text result =
            HttpRequestThrough(kRecordingApi, {.url = StandInUrl("/answer?h=Set-Cookie:%20a=1"
                                                                 "&h=Location:%20/x&body=b"),
                                               .returnedCookies = &cookies,
                                               .returnedHeaders = &headers,
                                               .location = &location,
                                               .status = &status,
                                               .bodyBytes = &body});
        EXPECT_EQ(status, "713 读取数据失败!");
        EXPECT_NE(headers.find("HTTP/1.1 200 OK\r\n"), Text::npos);
        EXPECT_EQ(cookies, "a=1");
        EXPECT_EQ(location, "/x");
        EXPECT_TRUE(body.empty());
        EXPECT_EQ(result, "");
    }
}

TEST_F(RecordedRequest, AFailedHeaderQueryDeliversNothing) {
    rec.failWhen = HeaderRead();
    Text status = "kept", headers = "kept", cookies = "kept";
    Bytes body = {'k'};
    const Text result = HttpRequestThrough(
        kRecordingApi, {.url = StandInUrl("/answer?h=Set-Cookie:%20a=1&body=whole"),
                        .returnedCookies = &cookies,
                        .returnedHeaders = &headers,
                        .status = &status,
                        .bodyBytes = &body});
    EXPECT_EQ(result, "");
    EXPECT_EQ(status, "kept");
    EXPECT_EQ(headers, "kept");
    EXPECT_EQ(cookies, "kept");
    EXPECT_EQ(body, Bytes{'k'});
}

TEST_F(RecordedRequest, ASuccessfulCallGivesThePlatformTheseArguments) {
    const Bytes payload = {'p', 0, 'q'};
    Text cookies = "sid=1";
    rec.postMessageWhen = HeaderRead();
    Text status;
    const Text result = HttpRequestThrough(kRecordingApi, {.url = StandInUrl("/a/b?x=1"),
                                                           .method = kHttpPost,
                                                           .sendCookies = &cookies,
                                                           .extraHeaders = "x-one: 1",
                                                           .authUser = "user",
                                                           .authPassword = "pass",
                                                           .proxyUser = "only-user",
                                                           .status = &status,
                                                           .postBytes = payload});
    EXPECT_EQ(status, "404 Not Found");

    const Call& crack = *CallsNamed("CrackUrl").at(0);
    EXPECT_EQ(crack.args, (std::vector<std::uintptr_t>{0, 0}));

    const Call& open = *CallsNamed("Open").at(0);
    EXPECT_EQ(open.args, (std::vector<std::uintptr_t>{0, WINHTTP_ACCESS_TYPE_NO_PROXY, 0, 0}));
    EXPECT_EQ(open.text, L"");

    EXPECT_EQ(CallsNamed("SetTimeouts").at(0)->args,
              (std::vector<std::uintptr_t>{30000, 30000, 30000, 30000}));

    const Call& connect = *CallsNamed("Connect").at(0);
    EXPECT_EQ(connect.text, L"127.0.0.1");
    EXPECT_EQ(connect.args[0], static_cast<std::uintptr_t>(StandInPort()));

    const Call& request = *CallsNamed("OpenRequest").at(0);
    EXPECT_EQ(request.text, L"POST /a/b?x=1");
    EXPECT_EQ(request.args, (std::vector<std::uintptr_t>{0, 0, 0, WINHTTP_FLAG_SECURE}));

    // Server credentials only: the proxy's lack a password.
    const auto credentials = CallsNamed("SetCredentials");
    ASSERT_EQ(credentials.size(), 1u);
    EXPECT_EQ(credentials[0]->args, (std::vector<std::uintptr_t>{0, 1, 0}));
    EXPECT_EQ(credentials[0]->text, L"user:pass");

    // Certificate errors ignored; with cookies given, revocation checking on.
    const auto options = CallsNamed("SetOption");
    ASSERT_EQ(options.size(), 2u);
    EXPECT_EQ(options[0]->args, (std::vector<std::uintptr_t>{31, 0x3300, 4}));
    EXPECT_EQ(options[1]->args, (std::vector<std::uintptr_t>{79, 1, 4}));

    const Call& headers = *CallsNamed("AddRequestHeaders").at(0);
    const Bytes expected = TextToWide(ComposeHeaders("x-one: 1", "sid=1", kHttpPost));
    EXPECT_EQ(headers.text, std::wstring(reinterpret_cast<const wchar_t*>(expected.data())));
    EXPECT_EQ(headers.args, (std::vector<std::uintptr_t>{headers.text.size(), 0x20000000}));

    // The body goes straight from the caller's buffer, whole.
    const Call& send = *CallsNamed("SendRequest").at(0);
    EXPECT_EQ(send.args, (std::vector<std::uintptr_t>{
                             0, 0, reinterpret_cast<std::uintptr_t>(payload.data()), 3, 3, 0}));

    // Each read asks for what was reported available.
    const auto available = CallsNamed("QueryDataAvailable");
    const auto reads = CallsNamed("ReadData");
    ASSERT_EQ(available.size(), reads.size() + 1);
    for (std::size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(reads[i]->args[0], available[i]->args.back());
    }
    EXPECT_EQ(available.back()->args.back(), 0u);

    // The size query, then the read with the index reset to 0.
    const auto queries = CallsNamed("QueryHeaders");
    ASSERT_EQ(queries.size(), 2u);
    EXPECT_EQ(queries[0]->args, (std::vector<std::uintptr_t>{22, 0, 0, 0, 0}));
    EXPECT_EQ(queries[1]->args[4], 0u);

    // The message posted at the header read is handled in the line pass,
    // before the handles close in their order.
    EXPECT_LT(IndexOf("dispatched"), IndexOf("Close request"));
    EXPECT_EQ(Tail(rec.calls.size() - 3),
              (std::vector<std::string>{"Close request", "Close connection", "Close session"}));
    EXPECT_EQ(result, "not found");
}

TEST_F(RecordedRequest, OptionsFollowTheParameters) {
    const struct {
        const char* name;
        HttpRequestParams params;
        Text url;
        std::vector<std::uintptr_t> timeouts;
        DWORD access;
        std::wstring proxyName;
        std::vector<std::vector<std::uintptr_t>> options;
        std::uintptr_t flags;
    } cases[] = {
        {"defaults over http",
         {},
         "http://127.0.0.1:1/",
         {30000, 30000, 30000, 30000},
         WINHTTP_ACCESS_TYPE_NO_PROXY,
         L"",
         {{31, 0x3300, 4}, {63, 1, 4}},
         0},
        {"five seconds, no redirects",
         {.noRedirect = true, .timeoutSeconds = 5},
         "https://127.0.0.1:1/",
         {5000, 5000, 5000, 5000},
         WINHTTP_ACCESS_TYPE_NO_PROXY,
         L"",
         {{31, 0x3300, 4}, {63, 1, 4}, {63, 2, 4}},
         WINHTTP_FLAG_SECURE},
        {"proxy for http",
         {.proxy = "127.0.0.1:8888", .timeoutSeconds = -3},
         "http://127.0.0.1:1/",
         {30000, 30000, 30000, 30000},
         WINHTTP_ACCESS_TYPE_NAMED_PROXY,
         L"http=127.0.0.1:8888",
         {{31, 0x3300, 4}, {63, 1, 4}},
         0},
        {"proxy for https",
         {.proxy = "127.0.0.1:8888"},
         "https://127.0.0.1:1/",
         {30000, 30000, 30000, 30000},
         WINHTTP_ACCESS_TYPE_NAMED_PROXY,
         L"127.0.0.1:8888",
         {{31, 0x3300, 4}, {63, 1, 4}},
         WINHTTP_FLAG_SECURE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rec = Recording{.window = rec.window};
        // Stop before anything goes out: nothing listens on port 1.
        rec.failWhen = Named("SendRequest");
        HttpRequestParams params = c.params;
        params.url = c.url;
        HttpRequestThrough(kRecordingApi, params);
        EXPECT_EQ(CallsNamed("SetTimeouts").at(0)->args, c.timeouts);
        EXPECT_EQ(CallsNamed("Open").at(0)->args[1], c.access);
        EXPECT_EQ(CallsNamed("Open").at(0)->text, c.proxyName);
        std::vector<std::vector<std::uintptr_t>> options;
        for (const Call* option : CallsNamed("SetOption")) {
            options.push_back(option->args);
        }
        EXPECT_EQ(options, c.options);
        EXPECT_EQ(CallsNamed("OpenRequest").at(0)->args[3], c.flags);
        EXPECT_TRUE(CallsNamed("SetCredentials").empty());
    }
}

} // namespace
