// Runs the program's charset search and a few other patterns over arbitrary
// page bytes: nothing may read outside its texts, a valid pattern is always
// searched, and every match or submatch reported at a byte position is the
// subject's own bytes there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "regex/RegExpObject.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A found text at a position: the position is -2 only when the text did not
// survive the trip through UTF-16 (bytes that are no GBK character).
void CheckPlace(const Text& subject, const Text& found, int position) {
    if (position == -2) {
        return;
    }
    Check(position >= 0);
    Check(static_cast<std::size_t>(position) + found.size() <= subject.size());
    Check(subject.compare(static_cast<std::size_t>(position), found.size(), found) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Input: a byte choosing the pattern and the options, then the subject;
    // the request engine searches at most 1024 bytes.
    if (size < 1 || size > 1025) {
        return 0;
    }
    static const char* const patterns[] = {
        "<meta.+?charset=[^\\w]?([-\\w]+)",
        "(\\w+)=(\\w*)",
        "^(.*)$",
        "([^\\x00-\\x7f]+)|(\\d+)",
    };
    const char* pattern = patterns[data[0] % 4];
    const bool caseSensitive = (data[0] & 4) != 0;
    const bool multiline = (data[0] & 8) == 0;
    const bool global = (data[0] & 16) == 0;
    const Text subject(reinterpret_cast<const char*>(data) + 1, size - 1);
    const Text stored = subject.substr(0, std::strlen(subject.c_str()));

    RegExpObject object;
    Check(object.Search(pattern, subject, caseSensitive, multiline, global));
    const int count = object.GetMatchCount();
    Check(count >= 0 && static_cast<std::size_t>(count) <= stored.size() + 1);
    Check(global || count <= 1);
    const int groups = object.GetSubmatchCount();
    Check(count == 0 ? groups == 0 : groups >= 1);
    for (int match = 1; match <= count && match <= 8; ++match) {
        int position = -99;
        const Text text = object.GetMatchText(match, &position);
        CheckPlace(stored, text, position);
        for (int group = 1; group <= groups; ++group) {
            const Text part = object.GetSubmatchText(match, group, &position);
            CheckPlace(stored, part, position);
            Check(part.size() <= text.size());
        }
    }
    Check(object.Replace("$1").size() <= 2 * stored.size() + 2);
    return 0;
}
