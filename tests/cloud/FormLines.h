// The upload form as the service's web uploader sends it, written out line
// by line for the tests to compare bodies with.
#pragma once

#include "text/Text.h"

inline Text JoinedLines(const TextArray& lines) {
    Text text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += (i > 0 ? "\r\n" : "") + lines[i];
    }
    return text;
}

inline TextArray FormLines(const Text& d, const Text& folderId, const Text& name,
                           const Text& modified, const Text& size, const Text& data) {
    return {d,
            "Content-Disposition: form-data; name=\"task\"",
            "",
            "1",
            d,
            "Content-Disposition: form-data; name=\"folder_id\"",
            "",
            folderId,
            d,
            "Content-Disposition: form-data; name=\"id\"",
            "",
            "WU_FILE_0",
            d,
            "Content-Disposition: form-data; name=\"name\"",
            "",
            name,
            d,
            "Content-Disposition: form-data; name=\"type\"",
            "",
            "application/octet-stream",
            d,
            "Content-Disposition: form-data; name=\"lastModifiedDate\"",
            "",
            modified,
            d,
            "Content-Disposition: form-data; name=\"size\"",
            "",
            size,
            d,
            "Content-Disposition: form-data; name=\"upload_file\"; filename=\"" + name + "\"",
            "Content-Type: application/octet-stream",
            "",
            data,
            d};
}

inline Text FilledForm(const Text& d, const Text& folderId, const Text& name, const Text& modified,
                       const Text& size, const Text& data) {
    return JoinedLines(FormLines(d, folderId, name, modified, size, data));
}
