// Status text, Location lines and the charset subject; see HttpResponseParsing.h.
#include "http/HttpResponseParsing.h"

#include "regex/RegExpObject.h"
#include "text/TextRules.h"

Text StatusFromHeaderText(const Text& headerText) {
    // The status line reads "HTTP/1.1 200 OK": the status text starts at the
    // 10th character, after the version and its blank.
    const int end = FindText(headerText, "\r\n", 10);
    if (end < 10) {
        return Text();
    }
    return headerText.substr(9, static_cast<std::size_t>(end - 10));
}

TextArray HeaderLinesOf(const Text& headerText) {
    return SplitText(headerText, "\r\n");
}

bool TakeLocationLine(const Text& line, Text& location) {
    static const Text prefix = "Location: ";
    if (!TextMatchesAt(line, 0, prefix, true)) {
        return false;
    }
    location = line.substr(prefix.size());
    return true;
}

Text CharsetSearchSubject(const Text& bodyText) {
    return bodyText.substr(0, 1024);
}

bool CharsetNeedsConversion(const Text& charset) {
    return !charset.empty() && charset != "gbk" && charset != "gb2312";
}

bool FindDeclaredCharset(RegExpObject& search, const Text& bodyText, Text& charset) {
    static const Text pattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
    if (!search.Search(pattern, CharsetSearchSubject(bodyText))) {
        return false;
    }
    charset = search.GetSubmatchText(1, 1);
    return true;
}
