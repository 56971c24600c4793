// The upload's multipart form: the fixed template of the service's own web
// uploader, the replacements that fill it and the body built from it.
#pragma once

#include "text/Text.h"

#include <cstddef>
#include <cstdint>

// The template, 954 bytes of GBK: 34 lines joined by CR LF, the last of them
// the delimiter line without a final CR LF or closing dashes.
extern const Text UploadFormTemplate;

// The template's delimiter line: 29 dashes and 14 digits. The boundary of the
// Content-Type line is the same without its first two dashes.
extern const Text kUploadFormDelimiter;

// Applies up to five pairs in order, each replacing every occurrence of its
// find text in the current text, ASCII letters folded, left to right, never
// rescanning inserted text. An empty find text changes nothing.
Text ReplaceTextPairs(const Text& text, const Text& find1 = Text(),
                      const Text& replacement1 = Text(), const Text& find2 = Text(),
                      const Text& replacement2 = Text(), const Text& find3 = Text(),
                      const Text& replacement3 = Text(), const Text& find4 = Text(),
                      const Text& replacement4 = Text(), const Text& find5 = Text(),
                      const Text& replacement5 = Text());

// The UTF-8 bytes of a GBK text, without terminator; empty for an empty text
// and for anything the conversion cannot take. Never ends the program.
Bytes TextToUtf8(const Text& text);

// Every occurrence of the exact bytes `find` replaced, left to right, without
// rescanning inserted bytes. An empty `find` changes nothing.
Bytes ReplaceBytes(const Bytes& bytes, const Bytes& find, const Bytes& replacement);

// The file's content as the body builder takes it: read once, straight into
// its place in the body, so that the body is the one full copy of it.
class UploadContent {
public:
    virtual ~UploadContent() = default;
    // The content's length in bytes, or -1 when it cannot be read.
    virtual std::int64_t Length() = 0;
    // Reads up to `count` bytes into `destination` and tells how many it
    // read; fewer when the content ends early or a read fails.
    virtual std::size_t ReadInto(unsigned char* destination, std::size_t count) = 0;
};

struct UploadFormFields {
    Text folderId;
    Text modifiedTime;
    Text sizeText;
    Text fileName; // GBK; the form carries it as UTF-8
};

struct UploadBody {
    Bytes bytes;
    // The delimiter line the body uses: the template's own, unless the
    // content holds it, in which case one of the same form that occurs
    // nowhere in the content.
    Text delimiter;
};

// The filled template with the content in place of its data placeholder.
UploadBody BuildUploadBody(const UploadFormFields& fields, UploadContent& content);

// The upload endpoint on the upload host `host` (`host` or `host:port`).
Text UploadUrl(const Text& host);

// The request's two header lines for a body with `delimiter`, joined by CR LF.
Text UploadHeaderLines(const Text& delimiter);

// Content already held in memory (tests, benchmarks).
class BytesContent : public UploadContent {
public:
    explicit BytesContent(const Bytes& bytes, bool readable = true)
        : bytes_(bytes), readable_(readable) {}
    std::int64_t Length() override;
    std::size_t ReadInto(unsigned char* destination, std::size_t count) override;

private:
    const Bytes& bytes_;
    bool readable_;
    std::size_t position_ = 0;
};
