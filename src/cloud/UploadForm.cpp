// The upload form. The body is built in one buffer of its final size: the
// form's pieces are written around the slot of the file's content and the
// content is read straight into that slot, so a large file is held once, not
// once for the reading and again for each replacement.
#include "cloud/UploadForm.h"

#include "platform/CodePageConversion.h"
#include "text/TextRules.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDelimiterDashes = 29;
constexpr std::size_t kDelimiterDigits = 14;
const Text kTemplateDigits = "81971010215309";

Text DelimiterWithDigits(const Text& digits) {
    return Text(kDelimiterDashes, '-') + digits;
}

Text TemplateWithDelimiter(const Text& d) {
    const Text crlf = "\r\n";
    auto field = [&](const char* name, const char* value) {
        return d + crlf + "Content-Disposition: form-data; name=\"" + name + "\"" + crlf + crlf +
               value + crlf;
    };
    return field("task", "1") + field("folder_id", "[目录ID]") + field("id", "WU_FILE_0") +
           field("name", "[文件名]") + field("type", "application/octet-stream") +
           field("lastModifiedDate", "[修改时间]") + field("size", "[文件大小]") + d + crlf +
           "Content-Disposition: form-data; name=\"upload_file\"; filename=\"[文件名]\"" + crlf +
           "Content-Type: application/octet-stream" + crlf + crlf + "[数据]" + crlf + d;
}

// The code page the conversion reads a text in: the system's ANSI code page
// on Windows, which is GBK on the target systems; GBK itself elsewhere.
#ifdef _WIN32
constexpr unsigned kAnsiCodePage = 0;
#else
constexpr unsigned kAnsiCodePage = kCodePageGbk;
#endif

// The pieces of `bytes` around each occurrence of `separator`, found left to
// right without overlap; one piece more than there are occurrences.
std::vector<Bytes> SplitBytes(const Bytes& bytes, const Bytes& separator) {
    std::vector<Bytes> pieces;
    auto start = bytes.begin();
    while (true) {
        auto found = std::search(start, bytes.end(), separator.begin(), separator.end());
        pieces.emplace_back(start, found);
        if (found == bytes.end()) {
            break;
        }
        start = found + static_cast<std::ptrdiff_t>(separator.size());
    }
    return pieces;
}

bool IsDigit(unsigned char byte) {
    return byte >= '0' && byte <= '9';
}

// The digits of every delimiter-shaped run in the data: 29 dashes (the end of
// any longer run of dashes) followed by 14 digits. A delimiter line with
// those digits occurs in the data exactly when they are collected here.
void CollectDelimiterDigits(const unsigned char* data, std::size_t length,
                            std::set<std::string>& digitsOut) {
    const unsigned char* end = data + length;
    const unsigned char* at = data;
    while (at < end) {
        at = static_cast<const unsigned char*>(std::memchr(at, '-', end - at));
        if (at == nullptr) {
            return;
        }
        const unsigned char* runEnd = at;
        while (runEnd < end && *runEnd == '-') {
            ++runEnd;
        }
        if (static_cast<std::size_t>(runEnd - at) >= kDelimiterDashes &&
            static_cast<std::size_t>(end - runEnd) >= kDelimiterDigits &&
            std::all_of(runEnd, runEnd + kDelimiterDigits, IsDigit)) {
            digitsOut.emplace(reinterpret_cast<const char*>(runEnd), kDelimiterDigits);
        }
        at = runEnd;
    }
}

// The first 14-digit number after the template's own that is not in `taken`.
Text FreeDelimiterDigits(const std::set<std::string>& taken) {
    unsigned long long value = std::stoull(kTemplateDigits);
    const unsigned long long modulus = 100000000000000ULL; // 10^14
    std::string digits;
    do {
        value = (value + 1) % modulus;
        digits = std::to_string(value);
        digits.insert(0, kDelimiterDigits - digits.size(), '0');
    } while (taken.count(digits) != 0);
    return digits;
}

// The filled form with the names in place, cut at its data placeholders.
std::vector<Bytes> FormPieces(const Text& delimiter, const UploadFormFields& fields) {
    Text form = ReplaceTextPairs(TemplateWithDelimiter(delimiter), "[目录ID]", fields.folderId,
                                 "[修改时间]", fields.modifiedTime, "[文件大小]", fields.sizeText);
    Bytes body = ReplaceBytes(BytesOf(form), BytesOf("[文件名]"), TextToUtf8(fields.fileName));
    return SplitBytes(body, BytesOf("[数据]"));
}

bool SameLayout(const std::vector<Bytes>& a, const std::vector<Bytes>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].size() != b[i].size()) {
            return false;
        }
    }
    return true;
}

// Writes the pieces with `contentLength` bytes of content between each pair,
// taking the content from the slot after the first piece.
void WritePieces(const std::vector<Bytes>& pieces, std::size_t contentLength, unsigned char* body) {
    const unsigned char* content = body + pieces[0].size();
    std::size_t at = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            if (i > 1) {
                std::memcpy(body + at, content, contentLength);
            }
            at += contentLength;
        }
        if (!pieces[i].empty()) {
            std::memcpy(body + at, pieces[i].data(), pieces[i].size());
        }
        at += pieces[i].size();
    }
}

} // namespace

const Text kUploadFormDelimiter = DelimiterWithDigits(kTemplateDigits);
const Text UploadFormTemplate = TemplateWithDelimiter(kUploadFormDelimiter);

Text ReplaceTextPairs(const Text& text, const Text& find1, const Text& replacement1,
                      const Text& find2, const Text& replacement2, const Text& find3,
                      const Text& replacement3, const Text& find4, const Text& replacement4,
                      const Text& find5, const Text& replacement5) {
    Text result = ReplaceAll(text, find1, replacement1, true);
    result = ReplaceAll(result, find2, replacement2, true);
    result = ReplaceAll(result, find3, replacement3, true);
    result = ReplaceAll(result, find4, replacement4, true);
    return ReplaceAll(result, find5, replacement5, true);
}

Bytes TextToUtf8(const Text& text) {
    // Guarded: whatever goes wrong (a text too long for the conversion's
    // counts, a failed allocation, a failed step) gives empty bytes.
    try {
        if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) {
            return Bytes();
        }
        const int length = static_cast<int>(text.size());
        int units = MultiByteToWide(kAnsiCodePage, 0, text.data(), length, nullptr, 0);
        if (units <= 0) {
            return Bytes();
        }
        std::u16string wide(static_cast<std::size_t>(units), u'\0');
        if (MultiByteToWide(kAnsiCodePage, 0, text.data(), length, wide.data(), units) != units) {
            return Bytes();
        }
        int bytes = WideToMultiByte(kCodePageUtf8, 0, wide.data(), units, nullptr, 0);
        if (bytes <= 0) {
            return Bytes();
        }
        std::string utf8(static_cast<std::size_t>(bytes), '\0');
        if (WideToMultiByte(kCodePageUtf8, 0, wide.data(), units, utf8.data(), bytes) != bytes) {
            return Bytes();
        }
        return Bytes(utf8.begin(), utf8.end());
    } catch (...) {
        return Bytes();
    }
}

Bytes ReplaceBytes(const Bytes& bytes, const Bytes& find, const Bytes& replacement) {
    if (find.empty()) {
        return bytes;
    }
    std::vector<Bytes> pieces = SplitBytes(bytes, find);
    Bytes result;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            result.insert(result.end(), replacement.begin(), replacement.end());
        }
        result.insert(result.end(), pieces[i].begin(), pieces[i].end());
    }
    return result;
}

UploadBody BuildUploadBody(const UploadFormFields& fields, UploadContent& content) {
    UploadBody result;
    result.delimiter = kUploadFormDelimiter;
    std::vector<Bytes> pieces = FormPieces(result.delimiter, fields);
    const std::size_t slots = pieces.size() - 1;
    std::size_t formLength = 0;
    for (const Bytes& piece : pieces) {
        formLength += piece.size();
    }

    // The content's length as announced; content that cannot be read, or
    // that no buffer of this process could hold, goes in empty.
    std::int64_t announced = slots > 0 ? content.Length() : 0;
    std::size_t length = 0;
    const std::size_t room = std::numeric_limits<std::ptrdiff_t>::max() - formLength;
    if (announced > 0 && static_cast<std::uint64_t>(announced) <= room / slots) {
        length = static_cast<std::size_t>(announced);
    }
    try {
        result.bytes.resize(formLength + slots * length);
    } catch (const std::exception&) {
        length = 0;
        result.bytes.clear();
        result.bytes.resize(formLength);
    }
    unsigned char* slot = result.bytes.data() + pieces[0].size();
    if (length > 0) {
        length = std::min(length, content.ReadInto(slot, length));
    }
    WritePieces(pieces, length, result.bytes.data());
    result.bytes.resize(formLength + slots * length);

    std::set<std::string> taken;
    CollectDelimiterDigits(slot, length, taken);
    if (taken.count(kTemplateDigits) == 0) {
        return result;
    }
    // The content holds the delimiter line, which would end its part early
    // at the service: switch to a delimiter that occurs nowhere in the body.
    for (const Bytes& piece : pieces) {
        CollectDelimiterDigits(piece.data(), piece.size(), taken);
    }
    Text delimiter = DelimiterWithDigits(FreeDelimiterDigits(taken));
    std::vector<Bytes> renamed = FormPieces(delimiter, fields);
    if (SameLayout(pieces, renamed)) {
        // Only digits of delimiter lines differ, so every piece keeps its
        // place and the content stays where it was read to.
        WritePieces(renamed, length, result.bytes.data());
        result.delimiter = delimiter;
    }
    return result;
}

Text UploadUrl(const Text& host) {
    return "https://" + host + "/fileup.php";
}

Text UploadHeaderLines(const Text& delimiter) {
    return "Content-Type: multipart/form-data; boundary=" + delimiter.substr(2) + "\r\n" +
           "User-Agent: Mozilla/5.0 (Windows NT 6.1; Win64; x64; rv:70.0) Gecko/20100101 "
           "Firefox/70.0";
}

std::int64_t BytesContent::Length() {
    return readable_ ? static_cast<std::int64_t>(bytes_.size()) : -1;
}

std::size_t BytesContent::ReadInto(unsigned char* destination, std::size_t count) {
    std::size_t n = std::min(count, bytes_.size() - position_);
    if (n > 0) {
        std::memcpy(destination, bytes_.data() + position_, n);
    }
    position_ += n;
    return n;
}
