// Feeds arbitrary bytes to the answer decoding and the upload body: neither
// may read outside its input, and every body holds the content whole, once
// per data placeholder, under a delimiter that the content does not hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "cloud/AnswerDecoding.h"
#include "cloud/UploadForm.h"
#include "text/TextRules.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Text input(reinterpret_cast<const char*>(data), size);
    DecodeAnswer(input);
    Text literal;
    UnescapeQuotedLiteral(input, literal);

    // Input for the body: folder ID, then the content after the first 0xFF.
    std::size_t split = input.find('\xff');
    Text folderId =
        split == Text::npos ? Text() : input.substr(0, std::min<std::size_t>(split, 64));
    Bytes content = BytesOf(split == Text::npos ? input : input.substr(split + 1));
    BytesContent source(content);
    UploadBody body = BuildUploadBody({folderId, "2021-03-05 00:09:00", "1", "a.txt"}, source);

    const Text bodyText(body.bytes.begin(), body.bytes.end());
    const Text contentText(content.begin(), content.end());
    if (body.delimiter.size() != kUploadFormDelimiter.size() ||
        bodyText.find(contentText) == Text::npos ||
        bodyText.compare(bodyText.size() - body.delimiter.size(), Text::npos, body.delimiter) !=
            0) {
        std::abort();
    }
    if (body.delimiter != kUploadFormDelimiter && contentText.find(body.delimiter) != Text::npos) {
        std::abort();
    }
    if (body.delimiter == kUploadFormDelimiter &&
        contentText.find(kUploadFormDelimiter) != Text::npos) {
        std::abort();
    }
    return 0;
}
