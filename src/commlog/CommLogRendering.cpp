#include "commlog/CommLogRendering.h"

namespace kestrel {

void CommLogFollower::Take(const CommLogRendering& rendering, std::string& document,
                           StyledText& content) {
    const StyledText& source = *rendering.content;
    const bool continues = Continues(rendering);
    m_serial = rendering.serial;
    if (!continues) {
        document.assign(rendering.document);
        content = source;
        return;
    }
    document.resize(rendering.keptDocumentBytes);
    document.append(rendering.document.substr(rendering.keptDocumentBytes));
    content.text.resize(rendering.keptTextBytes);
    content.text.append(source.text, rendering.keptTextBytes);
    content.lineStarts.resize(rendering.keptLines);
    content.lineStarts.insert(
        content.lineStarts.end(),
        source.lineStarts.begin() + static_cast<std::ptrdiff_t>(rendering.keptLines),
        source.lineStarts.end());
    content.runs.resize(rendering.keptRuns);
    content.runs.insert(content.runs.end(),
                        source.runs.begin() + static_cast<std::ptrdiff_t>(rendering.keptRuns),
                        source.runs.end());
    content.longestLine = source.longestLine;
}

}  // namespace kestrel
