// The login and the upload under Wine, through the real WinHttp, against the
// stand-in service on 127.0.0.1. The stand-in keeps every request it
// received; the tests read those records and the fields it took apart.
#include <gtest/gtest.h>

#include "FormLines.h"
#include "cloud/FileFacts.h"
#include "cloud/Login.h"
#include "cloud/SessionCookies.h"
#include "cloud/Upload.h"
#include "http/HttpRequest.h"
#include "support/OwnWindow.h"
#include "text/TextRules.h"

#define WIN32_LEAN_AND_MEAN // keeps the dialog library's FindText macro out
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const Text D = "-----------------------------81971010215309";
const Text kState = STANDIN_STATE; // the stand-in's state directory, as a Windows path
const Text kService = "https://127.0.0.1:" STANDIN_PORT;

Text ReadWholeFile(const Text& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "(missing)";
    }
    Text bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
}

void WriteWholeFile(const Text& path, const Text& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty()) {
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    CloseHandle(file);
}

Text RecordName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "%06d", number);
    return name;
}

// How many requests the stand-in has recorded so far.
int RecordedRequests() {
    int count = 0;
    while (
        GetFileAttributesA((kState + "\\requests\\" + RecordName(count + 1) + ".http").c_str()) !=
        INVALID_FILE_ATTRIBUTES) {
        ++count;
    }
    return count;
}

struct Recorded {
    Text head; // request line and header lines, ending in the empty line
    Text body;
};

Recorded RecordedRequest(int number) {
    Text whole = ReadWholeFile(kState + "\\requests\\" + RecordName(number) + ".http");
    std::size_t end = whole.find("\r\n\r\n");
    if (end == Text::npos) {
        return {whole, ""};
    }
    return {whole.substr(0, end + 4), whole.substr(end + 4)};
}

Text UploadedField(int number, const Text& field) {
    return ReadWholeFile(kState + "\\uploads\\" + RecordName(number) + "\\" + field);
}

Text HeaderValue(const Text& head, const Text& name) {
    int at = FindText(head, "\r\n" + name + ": ", 1, true);
    if (at < 0) {
        return "(none)";
    }
    std::size_t start = static_cast<std::size_t>(at) - 1 + name.size() + 4;
    return head.substr(start, head.find("\r\n", start) - start);
}

void Control(const Text& settings) {
    ASSERT_EQ(HttpRequest({.url = kService + "/__control?" + settings}), "ok");
}

// Answers the message box the upload shows: waits for it (at most 60 s),
// keeps its text and closes it with its OK button.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() { thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr); }
    ~MessageBoxAnswerer() { Seen(); }
    Text Seen() {
        if (thread_ != nullptr) {
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        return text_;
    }

private:
    static DWORD WINAPI Watch(void* self) {
        auto* answerer = static_cast<MessageBoxAnswerer*>(self);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 60000) {
            HWND box = FindOwnWindow("#32770", "信息：");
            if (box != nullptr) {
                char text[256] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                answerer->text_ = text;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return 0;
            }
            Sleep(20);
        }
        return 0;
    }

    Text text_ = "(no message box)";
    HANDLE thread_ = nullptr;
};

class ServiceClientTest : public testing::Test {
protected:
    void SetUp() override {
        Control("login=ok&upload=login&formhash=5a1b2c3d&account=user&password=secret");
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        dir_ = Text(temp) + "cloud-client-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir_.c_str(), nullptr);
    }
    void TearDown() override {
        for (const Text& path : made_) {
            DeleteFileA(path.c_str());
        }
        RemoveDirectoryA(dir_.c_str());
        Control("login=ok&upload=login");
    }
    Text Make(const Text& name, const Text& content) {
        Text path = dir_ + "\\" + name;
        WriteWholeFile(path, content);
        made_.push_back(path);
        return path;
    }
    // Uploads and returns the text of the message box it showed.
    Text Upload(const Text& path, const Text& folderId, bool expected) {
        MessageBoxAnswerer answerer;
        EXPECT_EQ(UploadFile(path, folderId), expected);
        return answerer.Seen();
    }

    Text dir_;
    std::vector<Text> made_;
};

TEST_F(ServiceClientTest, LoginSendsThePageRequestAndTheEncodedForm) {
    Control("account=%E5%BC%A0%E4%B8%89&password=p%26w%3D1%25%2B+x");
    SessionCookies = "stale=1";
    int before = RecordedRequests();
    EXPECT_TRUE(LoginToService("张三", "p&w=1%+ x"));
    ASSERT_EQ(RecordedRequests(), before + 2);

    Recorded page = RecordedRequest(before + 1);
    EXPECT_EQ(page.head.substr(0, page.head.find("\r\n")),
              "GET /account.php?action=login&ref=/mydisk.php HTTP/1.1");
    EXPECT_EQ(HeaderValue(page.head, "Cookie"), "(none)");

    Recorded form = RecordedRequest(before + 2);
    EXPECT_EQ(form.head.substr(0, form.head.find("\r\n")), "POST /account.php HTTP/1.1");
    EXPECT_EQ(form.body, "action=login&task=login&ref=%2Fmydisk.php&formhash=5a1b2c3d"
                         "&username=%D5%C5%C8%FD&password=p%26w%3D1%25%2B%20x");
    // The login page's cookie is not sent with the form.
    EXPECT_EQ(HeaderValue(form.head, "Cookie"), "(none)");

    EXPECT_NE(FindText(SessionCookies, "phpdisk_info="), -1);
    EXPECT_NE(FindText(SessionCookies, "ylogin=1234567"), -1);
    EXPECT_EQ(FindText(SessionCookies, "stale"), -1);
}

TEST_F(ServiceClientTest, AFailedLoginStillReplacesTheCookies) {
    Control("account=someone&password=right");
    EXPECT_TRUE(LoginToService("someone", "right"));
    EXPECT_NE(FindText(SessionCookies, "phpdisk_info="), -1);
    EXPECT_FALSE(LoginToService("someone", "wrong"));
    EXPECT_EQ(FindText(SessionCookies, "phpdisk_info="), -1);

    Control("login=fail");
    int before = RecordedRequests();
    EXPECT_FALSE(LoginToService("", ""));
    ASSERT_EQ(RecordedRequests(), before + 2);
    EXPECT_EQ(RecordedRequest(before + 2).body,
              "action=login&task=login&ref=%2Fmydisk.php&formhash=5a1b2c3d&username=&password=");
}

TEST_F(ServiceClientTest, UploadSendsTheFilledTemplateWithTheSessionsCookies) {
    ASSERT_TRUE(LoginToService("user", "secret"));
    const Text session = SessionCookies;
    Text content;
    for (int i = 0; i < 1500; ++i) {
        content += static_cast<char>(i * 7);
    }
    const Text path = Make("报告.txt", content);
    const Text modified = FileModifiedTime(path);
    ASSERT_EQ(modified.size(), 19u);

    int before = RecordedRequests();
    EXPECT_EQ(Upload(path, "2718281", true), "上传成功");
    ASSERT_EQ(RecordedRequests(), before + 1);
    Recorded upload = RecordedRequest(before + 1);
    EXPECT_EQ(upload.head.substr(0, upload.head.find("\r\n")), "POST /fileup.php HTTP/1.1");
    EXPECT_EQ(HeaderValue(upload.head, "Content-Type"),
              "multipart/form-data; boundary=---------------------------81971010215309");
    EXPECT_EQ(HeaderValue(upload.head, "User-Agent"),
              "Mozilla/5.0 (Windows NT 6.1; Win64; x64; rv:70.0) Gecko/20100101 Firefox/70.0");
    const Text cookie = HeaderValue(upload.head, "Cookie");
    EXPECT_NE(FindText(cookie, "phpdisk_info="), -1) << cookie;
    EXPECT_NE(FindText(cookie, "ylogin=1234567"), -1) << cookie;
    const Text utf8Name = "\xE6\x8A\xA5\xE5\x91\x8A.txt";
    EXPECT_EQ(upload.body, FilledForm(D, "2718281", utf8Name, modified, "2", content));
    EXPECT_EQ(UploadedField(before + 1, "upload_file"), content);
    EXPECT_EQ(UploadedField(before + 1, "upload_file.filename"), utf8Name);
    // The merge keeps the session's cookies.
    EXPECT_NE(FindText(SessionCookies, "phpdisk_info="), -1);
    EXPECT_NE(FindText(SessionCookies, "ylogin=1234567"), -1);
    (void)session;
}

TEST_F(ServiceClientTest, UploadOutcomes) {
    ASSERT_TRUE(LoginToService("user", "secret"));
    const Text empty = Make("empty.txt", "");
    int before = RecordedRequests();
    EXPECT_EQ(Upload(empty, "", true), "上传成功");
    EXPECT_EQ(UploadedField(before + 1, "size"), "0");
    EXPECT_EQ(UploadedField(before + 1, "folder_id"), "");

    // A missing file still goes out, with the size -1 and no data.
    const Text missing = dir_ + "\\missing.txt";
    before = RecordedRequests();
    Upload(missing, "1", true);
    ASSERT_EQ(RecordedRequests(), before + 1);
    EXPECT_EQ(RecordedRequest(before + 1).body, FilledForm(D, "1", "missing.txt", "", "-1", ""));

    Control("upload=fail");
    const Text file = Make("a.txt", "abc");
    EXPECT_EQ(Upload(file, "1", false), "上传失败");

    // Without the session's cookie the service refuses the file.
    Control("upload=login");
    SessionCookies.clear();
    EXPECT_EQ(Upload(file, "1", false), "上传失败");
}

TEST_F(ServiceClientTest, ADirectoryAndALockedFileGoOutWithoutContent) {
    ASSERT_TRUE(LoginToService("user", "secret"));
    const Text sub = dir_ + "\\folder";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    int before = RecordedRequests();
    Upload(sub, "1", true);
    RemoveDirectoryA(sub.c_str());
    ASSERT_EQ(RecordedRequests(), before + 1);
    EXPECT_EQ(RecordedRequest(before + 1).body, FilledForm(D, "1", "folder", "", "0", ""));

    // Held open by another without read sharing: no time, no content, and
    // the file stays as it was.
    const Text locked = Make("locked.txt", "kept as it is");
    HANDLE holder =
        CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    before = RecordedRequests();
    Upload(locked, "1", true);
    CloseHandle(holder);
    ASSERT_EQ(RecordedRequests(), before + 1);
    EXPECT_EQ(RecordedRequest(before + 1).body, FilledForm(D, "1", "locked.txt", "", "1", ""));
    EXPECT_EQ(ReadWholeFile(locked), "kept as it is");
}

TEST_F(ServiceClientTest, ContentHoldingTheDelimiterArrivesWhole) {
    ASSERT_TRUE(LoginToService("user", "secret"));
    const Text content = "first\r\n" + D +
                         "\r\nContent-Disposition: form-data; name=\"x\"\r\n\r\n" + "second\r\n" +
                         D;
    const Text path = Make("tricky.txt", content);
    int before = RecordedRequests();
    EXPECT_EQ(Upload(path, "5", true), "上传成功");
    Recorded upload = RecordedRequest(before + 1);
    const Text contentType = HeaderValue(upload.head, "Content-Type");
    EXPECT_NE(contentType,
              "multipart/form-data; boundary=---------------------------81971010215309");
    EXPECT_EQ(UploadedField(before + 1, "upload_file"), content);
    EXPECT_EQ(UploadedField(before + 1, "folder_id"), "5");
}

} // namespace
