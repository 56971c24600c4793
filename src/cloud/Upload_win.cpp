// Uploading one file the way the service's web uploader does: the multipart
// template filled with the file's facts and content, posted with the
// session's cookies; a message box tells the user the outcome.
#include "cloud/Upload.h"

#include "ServiceHosts.h"
#include "cloud/AnswerDecoding.h"
#include "cloud/FileFacts.h"
#include "cloud/SessionCookies.h"
#include "cloud/UploadForm.h"
#include "http/HttpRequest.h"
#include "platform/FileSystem.h"
#include "platform/WindowServices.h"
#include "text/TextRules.h"

#include <string>

namespace {

const Text kUploadSuccessText = "上传成功";
const Text kUploadFailureText = "上传失败";

// The file's content, read straight into the body.
class FileContent : public UploadContent {
public:
    explicit FileContent(const Text& path) : file_(path) {}
    std::int64_t Length() override { return file_.Length(); }
    std::size_t ReadInto(unsigned char* destination, std::size_t count) override {
        return file_.Read(destination, count);
    }

private:
    ReadOnlyFile file_;
};

// Sends the form and tells whether the service's answer holds the success
// phrase. The body is released when this returns, before any message box.
bool SendForm(const Text& path, const Text& folderId) {
    UploadFormFields fields;
    fields.modifiedTime = FileModifiedTime(path);
    fields.fileName = FileNameOf(path);
    fields.sizeText = std::to_string(FileSizeInKb(path));
    fields.folderId = folderId;

    UploadBody body;
    {
        FileContent content(path); // a file that cannot be read goes in empty
        body = BuildUploadBody(fields, content);
    }
    // The cookie merge rewrites SessionCookies with what the answer sets.
    const Text answer = HttpRequest({.url = UploadUrl(kUploadHost),
                                     .method = kHttpPost,
                                     .sendCookies = &SessionCookies,
                                     .extraHeaders = UploadHeaderLines(body.delimiter),
                                     .postBytes = body.bytes});
    return FindText(DecodeAnswer(answer), kUploadSuccessText) != -1;
}

} // namespace

bool UploadFile(const Text& path, const Text& folderId) {
    const bool accepted = SendForm(path, folderId);
    // No icon, a single OK button, no owner, task-modal.
    ShowMessage(accepted ? kUploadSuccessText : kUploadFailureText, kMessageTaskModal,
                kDefaultMessageTitle);
    return accepted;
}
