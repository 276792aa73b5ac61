// Feeds arbitrary bytes to the RTF reader (with and without the RTF signature in front) and
// checks that the content it builds is consistent: lines and runs in order and inside the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "commlog/CommLogDocument.h"
#include "commlog/RtfReader.h"
#include "commlog/StyledText.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void CheckContent(const kestrel::StyledText& content) {
    Check(!content.lineStarts.empty() && content.lineStarts[0] == 0);
    for (size_t line = 1; line < content.lineStarts.size(); ++line) {
        Check(content.lineStarts[line] > content.lineStarts[line - 1]);
        Check(content.lineStarts[line] <= content.text.size());
        Check(content.text[content.lineStarts[line] - 1] == '\n');
    }
    for (size_t run = 1; run < content.runs.size(); ++run) {
        Check(content.runs[run].start > content.runs[run - 1].start);
    }
    for (const kestrel::StyleRun& run : content.runs) {
        Check(run.start < content.text.size());
    }
    for (size_t line = 0; line < content.LineCount(); ++line) {
        Check(content.Line(line).size() <= content.longestLine);
        Check(content.Line(line).find('\n') == std::string_view::npos);
    }
    for (const char c : content.text) {
        Check(c == '\n' || static_cast<uint8_t>(c) >= 0x20);
    }
}

bool SameContent(const kestrel::StyledText& a, const kestrel::StyledText& b) {
    if (a.text != b.text || a.lineStarts != b.lineStarts || a.longestLine != b.longestLine ||
        a.runs.size() != b.runs.size()) {
        return false;
    }
    for (size_t i = 0; i < a.runs.size(); ++i) {
        if (a.runs[i].start != b.runs[i].start || a.runs[i].colour != b.runs[i].colour ||
            a.runs[i].bold != b.runs[i].bold) {
            return false;
        }
    }
    return true;
}

// The log's own header in front takes the fast reader, a generator name it does not know the
// general one; both must read the same.
void CheckFastReaderAgreesWithGeneralReader(std::string_view body) {
    const std::string fastInput = std::string(kestrel::kCommLogHeader) + std::string(body);
    std::string generalInput = fastInput;
    generalInput.replace(generalInput.find("Msftedit"), 8, "Other");
    kestrel::StyledText fast;
    kestrel::StyledText general;
    std::string error;
    Check(kestrel::ReadRtf(fastInput, fast, &error));
    Check(kestrel::ReadRtf(generalInput, general, &error));
    CheckContent(fast);
    Check(SameContent(fast, general));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    kestrel::StyledText content;
    std::string error;
    if (kestrel::ReadRtf(input, content, &error)) {
        CheckContent(content);
    }
    const std::string signedInput = std::string(kestrel::kRtfSignature) + std::string(input);
    Check(kestrel::ReadRtf(signedInput, content, &error));
    CheckContent(content);
    CheckFastReaderAgreesWithGeneralReader(input);
    kestrel::ReadPlainText(input, content);
    CheckContent(content);
    return 0;
}
